// The host's main loop and entry points, driven through the real Run() on a headless window
// with a manual clock: update batching, dropped backlogs, suspend and resume, the entry
// points' guards, the collector step after each entry and the uncaught-exception exit.
#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "host/glfw2.h"
#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "runtime/array.h"
#include "tests/host/child_process.h"
#include "tests/host/recording_delegate.h"

namespace {

constexpr double kPeriod = 1.0 / 60;

class MainLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    glfw2_testing::Reset();
    glfw2_testing::SetHeadless(true);
    glfw2_testing::SetClock(&clock);
    ASSERT_TRUE(glfw2::glfwInit());
    host = new VgGlfwGame;
    app = new RecordingDelegate;
    host->SetDelegate(app);
    app->onStart = [this] { host->SetUpdateRate(60); };
  }
  void TearDown() override {
    glfw2_testing::Reset();
    delete host;
  }

  // Runs the loop, calling step at every event poll, until step returns true; then the
  // window is closed and Run returns. A loop that never gets there fails the test.
  void RunUntil(const std::function<bool()>& step) {
    int polls = 0;
    glfw2_testing::SetEventHook([&] {
      if (step() || ++polls > 200000) glfw2::glfwCloseWindow();
    });
    host->Run();
    glfw2_testing::SetEventHook(nullptr);
    ASSERT_LE(polls, 200000) << "the loop did not reach its end condition";
  }

  // Sizes of the update batches, each of which must be followed by one render.
  std::vector<int> Batches() const {
    std::vector<int> sizes;
    std::string trace = app->Trace();
    int run = 0;
    for (char c : trace) {
      if (c == 'u') {
        ++run;
      } else if (c == 'r' && run) {
        sizes.push_back(run);
        run = 0;
      }
    }
    return sizes;
  }

  std::vector<double> UpdateTimes() const {
    std::vector<double> times;
    for (const HostCall& c : app->calls)
      if (c.op == "update") times.push_back(c.time);
    return times;
  }

  glfw2_testing::ManualClock clock;
  VgGlfwGame* host = nullptr;
  RecordingDelegate* app = nullptr;
};

TEST_F(MainLoop, FastRenderingGivesOneUpdateAndOneRenderPerPeriodAndSleepsBetween) {
  RunUntil([&] { return clock.now >= 2.0; });
  // Start, the first render, then strictly alternating updates and renders.
  ASSERT_EQ(app->calls.front().op, "start");
  EXPECT_TRUE(std::regex_match(app->Trace(), std::regex("r(ur)+")));
  std::vector<double> t = UpdateTimes();
  ASSERT_GE(t.size(), 119u);
  EXPECT_LE(t.size(), 121u);
  for (size_t i = 1; i < t.size(); ++i) EXPECT_NEAR(t[i] - t[i - 1], kPeriod, 1e-9) << i;
  // It waits for the next update by sleeping, once per period, not by polling in a spin.
  EXPECT_GE(clock.sleeps, 119);
  EXPECT_LE(clock.sleeps, 2 * 121);
}

TEST_F(MainLoop, SlowRenderingRunsUpToFourUpdatesPerRenderAndKeepsGameSpeed) {
  app->onRender = [&] { clock.now += 2.5 * kPeriod; };
  RunUntil([&] { return clock.now >= 10.0; });
  std::vector<int> sizes = Batches();
  ASSERT_FALSE(sizes.empty());
  bool sawSeveral = false;
  for (int n : sizes) {
    EXPECT_GE(n, 1);
    EXPECT_LE(n, 4);
    sawSeveral |= n > 1;
  }
  EXPECT_TRUE(sawSeveral);
  // Fixed steps: ten seconds are still about 600 updates.
  EXPECT_NEAR(static_cast<double>(app->Count("update")), 600, 5);
}

TEST_F(MainLoop, RenderingSlowerThanFourPeriodsDropsTheBacklog) {
  std::vector<double> renderEnds;
  app->onRender = [&] {
    clock.now += 5.5 * kPeriod;
    renderEnds.push_back(clock.now);
  };
  RunUntil([&] { return clock.now >= 10.0; });
  std::vector<int> sizes = Batches();
  ASSERT_GT(sizes.size(), 10u);
  int fours = 0;
  for (int n : sizes) {
    EXPECT_LE(n, 4);
    fours += n == 4;
  }
  EXPECT_GT(fours, 5);

  // After a batch of four the schedule restarts at the end of that render: the next update
  // runs at once and alone, with no attempt to catch up.
  std::vector<double> t = UpdateTimes();
  size_t update = 0, render = 0;
  const std::string trace = app->Trace();
  int run = 0;
  int checked = 0;
  for (size_t i = 0; i < trace.size(); ++i) {
    if (trace[i] == 'u') {
      ++update;
      ++run;
    } else if (trace[i] == 'r') {
      if (run == 4 && update < t.size()) {
        EXPECT_DOUBLE_EQ(t[update], renderEnds[render]);
        ASSERT_LT(i + 2, trace.size());
        EXPECT_EQ(trace.substr(i + 1, 2), "ur");
        ++checked;
      }
      ++render;
      run = 0;
    }
  }
  EXPECT_GT(checked, 5);
  EXPECT_LT(app->Count("update"), 400);
}

TEST_F(MainLoop, RateZeroInsideAnUpdateEndsTheBatchAndRendersOnlyOnEvents) {
  clock.waitStep = 0.1;
  app->onRender = [&] { clock.now += 3.5 * kPeriod; };
  app->onUpdate = [&] {
    if (app->Count("update") == 10) host->SetUpdateRate(0);
  };
  RunUntil([&] { return clock.waits >= 5; });
  EXPECT_EQ(app->Count("update"), 10);
  std::string trace = app->Trace();
  size_t last = trace.rfind('u');
  ASSERT_NE(last, std::string::npos);
  // The update that stopped the clock is followed by the batch's render, then one render per
  // wait for events.
  std::string after = trace.substr(last + 1);
  EXPECT_EQ(after, std::string(after.size(), 'r'));
  EXPECT_GE(static_cast<int>(after.size()), clock.waits);
}

TEST_F(MainLoop, MinimisingSuspendsOnceAndRestoringRunsTheNextUpdateAtOnce) {
  clock.waitStep = 0.5;
  double restoredAt = -1;
  bool minimised = false;
  RunUntil([&] {
    if (!minimised && clock.now >= 1.0) {
      minimised = true;
      glfw2_testing::SetHeadlessWindowState(false, true);
    } else if (minimised && restoredAt < 0 && clock.now >= 5.0) {
      restoredAt = clock.now;
      glfw2_testing::SetHeadlessWindowState(true, false);
    }
    return restoredAt >= 0 && clock.now >= restoredAt + 1.0;
  });
  EXPECT_EQ(app->Count("suspend"), 1);
  EXPECT_EQ(app->Count("resume"), 1);
  std::string trace = app->Trace();
  size_t s = trace.find('s'), r = trace.find('R');
  ASSERT_LT(s, r);
  // Nothing is updated or drawn while minimised.
  EXPECT_EQ(r, s + 1);
  EXPECT_EQ(trace.substr(r + 1, 2), "ur");

  size_t resume = 0;
  while (app->calls[resume].op != "resume") ++resume;
  EXPECT_DOUBLE_EQ(app->calls[resume + 1].time, restoredAt);
  int after = 0;
  for (double t : UpdateTimes()) after += t >= restoredAt;
  EXPECT_NEAR(after, 60, 1);  // one second's worth, not the four seconds spent minimised
}

TEST_F(MainLoop, LosingFocusSuspendsButKeepsRenderingOnEachEvent) {
  clock.waitStep = 0.25;
  bool lost = false, back = false;
  int waitsWhenLost = 0, waitsWhenBack = 0;
  RunUntil([&] {
    if (!lost && clock.now >= 1.0) {
      lost = true;
      waitsWhenLost = clock.waits;
      glfw2_testing::SetHeadlessWindowState(false, false);
    } else if (lost && !back && clock.now >= 3.0) {
      back = true;
      waitsWhenBack = clock.waits;
      glfw2_testing::SetHeadlessWindowState(true, false);
    }
    return back && clock.now >= 3.5;
  });
  EXPECT_EQ(app->Count("suspend"), 1);
  EXPECT_EQ(app->Count("resume"), 1);
  std::string trace = app->Trace();
  std::string between = trace.substr(trace.find('s') + 1, trace.find('R') - trace.find('s') - 1);
  EXPECT_EQ(between, std::string(between.size(), 'r'));
  EXPECT_GE(static_cast<int>(between.size()), waitsWhenBack - waitsWhenLost);
  EXPECT_GE(waitsWhenBack - waitsWhenLost, 4);
}

TEST_F(MainLoop, ClosingTheWindowDeliversTheCloseKeyAndKeepsTheWindow) {
  bool asked = false, closedByLibrary = true;
  RunUntil([&] {
    if (!asked && clock.now >= 0.5) {
      asked = true;
      closedByLibrary = glfw2_testing::FeedCloseRequest();
      return false;
    }
    return asked && clock.now >= 1.0;
  });
  EXPECT_FALSE(closedByLibrary);
  EXPECT_EQ(app->Keys(), (std::vector<std::pair<int, int>>{{1, 432}, {2, 432}}));
  // The loop went on after the request: updates kept running until the test closed it.
  int after = 0;
  for (double t : UpdateTimes()) after += t > 0.5;
  EXPECT_GE(after, 29);
}

TEST_F(MainLoop, SetUpdateRateSchedulesFromNowAndZeroKeepsTheSchedule) {
  clock.now = 10;
  host->SetUpdateRate(50);
  EXPECT_EQ(host->UpdateRate(), 50);
  EXPECT_EQ(host->Millisecs(), 10000);
  clock.now = 10.0129;
  EXPECT_EQ(host->Millisecs(), 10012);  // truncated, not rounded
  host->SetUpdateRate(0);
  EXPECT_EQ(host->UpdateRate(), 0);
  // The rate comes back with a fresh schedule: the first update is one period from now.
  app->onStart = nullptr;
  app->onUpdate = nullptr;
  clock.now = 20;
  host->SetUpdateRate(60);
  RunUntil([&] { return app->Count("update") >= 1; });
  ASSERT_EQ(app->Count("update"), 1);
  EXPECT_NEAR(UpdateTimes()[0], 20 + kPeriod, 1e-9);
}

TEST_F(MainLoop, EntryPointsBeforeStartDoNothingAndGuardsHoldAfterwards) {
  host->SuspendGame();
  host->ResumeGame();
  host->UpdateGame();
  host->RenderGame();
  host->KeyEvent(1, 65);
  host->MouseEvent(4, 0, 1, 2);
  host->TouchEvent(7, 0, 1, 2);
  host->MotionEvent(10, 0, 1, 2, 3);
  host->DiscardGraphics();
  EXPECT_TRUE(app->calls.empty());
  EXPECT_FALSE(host->Started());

  app->onStart = nullptr;
  host->StartGame();
  host->StartGame();
  EXPECT_EQ(app->Count("start"), 1);
  EXPECT_TRUE(host->Started());

  host->SuspendGame();
  host->SuspendGame();
  host->UpdateGame();  // no updates while suspended
  host->RenderGame();  // but rendering is still allowed
  host->KeyEvent(1, 65);
  host->ResumeGame();
  host->ResumeGame();
  host->UpdateGame();
  host->TouchEvent(7, 3, 1, 2);
  host->MotionEvent(10, 0, 1, 2, 3);
  host->DiscardGraphics();
  EXPECT_EQ(app->Count("suspend"), 1);
  EXPECT_EQ(app->Count("resume"), 1);
  EXPECT_EQ(app->Trace(), "srRu");
  EXPECT_EQ(app->Count("key"), 1);
  EXPECT_EQ(app->Count("touch"), 1);
  EXPECT_EQ(app->Count("motion"), 1);
  EXPECT_EQ(app->Count("discard"), 1);
}

TEST(HostWithoutDelegate, EntryPointsAreHarmless) {
  VgGlfwGame host;
  host.StartGame();
  host.UpdateGame();
  host.RenderGame();
  host.KeyEvent(1, 65);
  EXPECT_TRUE(host.Started());
  EXPECT_EQ(host.Delegate(), nullptr);
}

// Objects the collector may destroy, counting their destructors.
struct Tracked : Object {
  int* destroyed;
  explicit Tracked(int* counter) : destroyed(counter) {}
  ~Tracked() override { ++*destroyed; }
};

struct ParentDelegate : RecordingDelegate {
  Tracked* child = nullptr;
  void mark() override { gc_mark_q(child); }
};

TEST(HostCollector, StepAfterEachEntryKeepsTheDelegateAndWhatItHoldsAlive) {
  VgGlfwGame host;
  int childGone = 0, garbageGone = 0;
  ParentDelegate* app = new ParentDelegate;
  gc_assign(app->child, new Tracked(&childGone));
  host.SetDelegate(app);
  // Each update makes over 8 MiB of garbage, so each step after it ends a cycle with a sweep;
  // the delegate is no root, only the host's step keeps it.
  app->onUpdate = [&] {
    for (int i = 0; i < 3; ++i) Array<int> big(1 << 20);
    new Tracked(&garbageGone);
  };
  host.StartGame();
  for (int i = 0; i < 6; ++i) host.UpdateGame();
  EXPECT_EQ(childGone, 0);
  EXPECT_EQ(app->Count("update"), 6);
  // Garbage is destroyed, lazily, by later allocations.
  EXPECT_GE(garbageGone, 3);
}

TEST(HostExceptions, UncaughtExceptionFromAnUpdatePrintsTheLineAndExitsWith255) {
  ChildResult r = RunInChild([] {
    glfw2_testing::Reset();
    glfw2_testing::SetHeadless(true);
    glfw2::glfwInit();
    VgGlfwGame* host = new VgGlfwGame;
    RecordingDelegate* app = new RecordingDelegate;
    host->SetDelegate(app);
    app->onStart = [host] { host->SetUpdateRate(60); };
    app->onUpdate = [] { throw new ThrowableObject; };
    host->Run();
    std::printf("the loop returned\n");
  });
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "Tarvik Runtime Error : Uncaught Tarvik Exception\n");
}

TEST(HostExceptions, ThrowingFromAKeyEventEndsTheProcessToo) {
  ChildResult r = RunInChild([] {
    struct Thrower : VgGameDelegate {
      void KeyEvent(int, int) override { throw new ThrowableObject; }
    };
    VgGlfwGame host;
    host.SetDelegate(new Thrower);
    host.StartGame();
    host.KeyEvent(1, 65);
    std::printf("survived\n");
  });
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "Tarvik Runtime Error : Uncaught Tarvik Exception\n");
}

}  // namespace
