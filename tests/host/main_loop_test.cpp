// The host's main loop and entry points, driven through the real Run() on a headless window
// with a manual clock: update batching, dropped backlogs, suspend and resume, and the
// uncaught-exception exit.
#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "host/glfw2.h"
#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "tests/host/host_testing.h"

namespace {
constexpr double kPeriod = 1.0 / 60;

class MainLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    glfw2_testing::Reset();
    glfw2_testing::SetHeadless(true);
    glfw2_testing::SetClock(&clock);
    ASSERT_TRUE(glfw2::glfwInit());
    host->SetDelegate(app);
    app->onStart = [this] { host->SetUpdateRate(60); };
  }
  void TearDown() override { glfw2_testing::Reset(), delete host; }
  void Restart() {  // for the next case of a table
    TearDown();
    clock = glfw2_testing::ManualClock();
    host = new VgGlfwGame, app = new RecordingDelegate;
    SetUp();
  }
  // Runs the loop, calling done() at every event poll, until it holds.
  void RunUntil(const std::function<bool()>& done) {
    int polls = 0;
    glfw2_testing::SetEventHook([&] {
      if (done() || ++polls > 200000) glfw2::glfwCloseWindow();
    });
    host->Run();
    ASSERT_LE(polls, 200000) << "the loop did not reach its end condition";
  }
  std::vector<double> UpdateTimes(double from = -1) const {  // the clock at each update
    std::vector<double> times;
    for (const HostCall& c : app->calls)
      if (c.op == "update" && c.time >= from) times.push_back(c.time);
    return times;
  }
  glfw2_testing::ManualClock clock;
  VgGlfwGame* host = new VgGlfwGame;
  RecordingDelegate* app = new RecordingDelegate;
};

TEST_F(MainLoop, UpdatesKeepTheirFixedStepUpToFourPerRenderThenDropTheBacklog) {
  for (double cost : {0.0, 2.5, 5.5}) {  // periods per render
    Restart();
    std::vector<double> renderEnds;
    app->onRender = [&] { renderEnds.push_back(clock.now += cost * kPeriod); };
    RunUntil([&] { return clock.now >= 10.0; });
    std::string trace = app->Trace();
    std::vector<double> t = UpdateTimes();
    int run = 0, fours = 0;
    for (size_t i = 0, u = 0, r = 0; i < trace.size(); ++i, ++r, run = 0) {
      for (; trace[i] == 'u'; ++i) ++run, ++u;
      EXPECT_LE(run, 4) << cost;
      // After four the schedule restarts when the render ends: one update at once, alone.
      if (run == 4 && u < t.size()) {
        ++fours;
        EXPECT_DOUBLE_EQ(t[u], renderEnds[r]) << cost;
        EXPECT_EQ(trace.substr(i + 1, 2), "ur") << cost;
      }
    }
    if (cost == 0) {
      EXPECT_TRUE(std::regex_match(trace, std::regex("r(ur)+")));
      for (size_t i = 1; i < t.size(); ++i) EXPECT_NEAR(t[i] - t[i - 1], kPeriod, 1e-9) << i;
      EXPECT_NEAR(clock.sleeps, 600, 2) << "it sleeps until the next update instead of spinning";
    }
    if (cost < 4) {
      EXPECT_NEAR(t.size(), 600u, 5) << "fixed steps keep the game's speed";
      EXPECT_TRUE(!cost || trace.find("uur") != std::string::npos) << "batches of more than one";
    } else {
      EXPECT_GT(fours, 5);
    }
  }
}

TEST_F(MainLoop, RateZeroInsideAnUpdateEndsTheBatchAndRendersOnlyOnEvents) {
  clock.waitStep = 0.1;
  app->onRender = [&] { clock.now += 3.5 * kPeriod; };
  app->onUpdate = [&] {
    if (app->Count("update") == 10) host->SetUpdateRate(0);
  };
  RunUntil([&] { return clock.waits >= 5; });
  EXPECT_EQ(app->Count("update"), 10);
  std::string after = app->Trace().substr(app->Trace().rfind('u') + 1);
  EXPECT_EQ(after, std::string(after.size(), 'r'));  // the batch's render, then one per wait
  EXPECT_GE(static_cast<int>(after.size()), clock.waits);
}

TEST_F(MainLoop, GoingAwaySuspendsOnceAndComingBackRunsTheNextUpdateAtOnce) {
  for (bool iconify : {true, false}) {  // minimised: nothing runs; unfocused: renders on events
    Restart();
    clock.waitStep = 0.25;
    double back = 0;
    RunUntil([&] {
      if (clock.now >= 1.0 && !back) back = -1, glfw2_testing::SetHeadlessWindowState(false, iconify);
      if (clock.now >= 3.0 && back < 0) back = clock.now, glfw2_testing::SetHeadlessWindowState(true, false);
      return clock.now >= 4.0;
    });
    std::string trace = app->Trace();
    size_t s = trace.find('s'), r = trace.find('R');
    ASSERT_LT(s, r) << iconify;
    EXPECT_EQ(app->Count("suspend") + app->Count("resume"), 2) << iconify;
    EXPECT_EQ(trace.substr(s + 1, r - s - 1), std::string(iconify ? 0 : 8, 'r')) << iconify;
    EXPECT_EQ(trace.substr(r + 1, 2), "ur") << iconify;
    EXPECT_DOUBLE_EQ(UpdateTimes(back).front(), back) << iconify;
    EXPECT_NEAR(UpdateTimes(back).size(), 60u, 1) << "one second's worth, not the backlog";
  }
}

TEST(HostExceptions, AnUncaughtExceptionPrintsTheLineAndExitsWith255) {
  ChildResult r = RunInChild([] {
    glfw2_testing::SetHeadless(true);
    glfw2::glfwInit();
    VgGlfwGame* host = new VgGlfwGame;
    RecordingDelegate* app = new RecordingDelegate;
    host->SetDelegate(app);
    app->onStart = [host] { host->SetUpdateRate(60); };
    app->onUpdate = [] { throw new ThrowableObject; };
    host->Run();
  });
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "Tarvik Runtime Error : Uncaught Tarvik Exception\n");
}
}  // namespace
