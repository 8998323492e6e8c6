// The host on a headless window with a manual clock, as a player and the real Run() drive
// it: GLFW 3 key, character and mouse events fed through the facade's callbacks and
// translated for the delegate, replacing the window, joysticks from fake devices, the loop's
// update batching, dropped backlogs, suspend and resume, and the uncaught-exception exit.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <regex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "host/glfw2.h"
#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "runtime/array.h"
#include "tests/host/recording_delegate.h"

namespace {
using Events = std::vector<std::pair<int, int>>;
using glfw2_testing::FeedKey;
enum { kRelease3 = 0, kPress3 = 1, kRepeat3 = 2 };  // GLFW 3 actions and key codes
enum { kEnter3 = 257, kInsert3 = 260, kDelete3, kRight3, kLeft3, kDown3, kUp3, kF1_3 = 290 };
constexpr double kPeriod = 1.0 / 60;

class Headless : public ::testing::Test {
 protected:
  void SetUp() override {
    glfw2_testing::Reset();
    glfw2_testing::SetHeadless(true);
    glfw2_testing::SetClock(&clock);
    glfw2_testing::UseFakeJoysticks(true);
    ASSERT_TRUE(glfw2::glfwInit());
    host->SetDelegate(app);
    app->onStart = [this] { host->SetUpdateRate(60); };
  }
  void TearDown() override { glfw2_testing::Reset(), delete host; }
  glfw2_testing::ManualClock clock;
  VgGlfwGame* host = new VgGlfwGame;
  RecordingDelegate* app = new RecordingDelegate;
};

class HostInput : public Headless {
 protected:
  void SetUp() override {
    Headless::SetUp();
    host->StartGame();
    host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
    app->calls.clear();
  }
  Events Tap(int key3) {  // the events of one press and release
    app->calls.clear();
    FeedKey(key3, 0, kPress3, 0), FeedKey(key3, 0, kRelease3, 0);
    return app->Keys();
  }
  // Polls the joystick with every element preset to 7 or true, so the untouched ones show.
  bool Poll(int port) {
    for (Array<float> a : {x, y, z}) a[0] = a[1] = 7;
    for (int i = 0; i < 32; ++i) buttons[i] = true;
    return host->PollJoystick(port, x, y, z, buttons);
  }
  std::vector<float> Sticks() const { return {x[0], x[1], y[0], y[1], z[0], z[1]}; }
  std::string Pressed() const {
    std::string s;
    for (int i = 0; i < 32; ++i) s += buttons[i] ? '1' : '0';
    return s;
  }
  Array<float> x{2}, y{2}, z{2};
  Array<bool> buttons{32};
};

class MainLoop : public Headless {
 protected:
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
      if (c.op == 'u' && c.time >= from) times.push_back(c.time);
    return times;
  }
};

TEST_F(HostInput, KeysGiveRuntimeCodesEditingKeysTypeCharactersAndHeldKeysRepeatWithoutUps) {
  // A GLFW 3 key, its runtime code (0: none, so no events at all) and the character it types.
  const int keys[][3] = {
      {'A', 65, 0}, {'\'', 222, 0}, {kF1_3 + 11, 123, 0}, {kLeft3, 37, 0x10025}, {kEnter3, 13, 13},
      {kDelete3, 46, 127}, {kInsert3, 45, 0x1002d}, {256, 27, 27}, {258, 9, 9}, {259, 8, 8},
      {266, 33, 0x10021}, {267, 34, 0x10022}, {268, 36, 0x10024}, {269, 35, 0x10023},  // Home, End
      {265, 38, 0x10026}, {264, 40, 0x10028}, {320, 96, 0}, {329, 105, 0}, {330, 110, 0},
      {331, 111, 0}, {332, 106, 0}, {333, 109, 0}, {334, 107, 0},  // the keypad from 0
      {340, 16, 0}, {344, 16, 0}, {345, 17, 0},  // left and right Shift, right Control
      // Alt, F13, F25, keypad Enter, Caps Lock and junk.
      {342, 0, 0}, {302, 0, 0}, {314, 0, 0}, {335, 0, 0}, {280, 0, 0}, {-1, 0, 0}, {400, 0, 0}};
  for (const auto& [key3, code, chr] : keys) {
    Events want = {{1, code}, {3, chr}, {2, code}};
    if (!chr) want.erase(want.begin() + 1);
    EXPECT_EQ(Tap(key3), code ? want : Events()) << key3;
  }
  app->calls.clear();  // held keys repeat downs and characters, but no ups
  FeedKey(kLeft3, 0, kPress3, 0), FeedKey(kLeft3, 0, kRepeat3, 0);
  FeedKey(kLeft3, 0, kRelease3, 0), FeedKey('W', 0, kRepeat3, 0);
  glfw2_testing::FeedChar(0xe9);
  EXPECT_EQ(app->Keys(), (Events{{1, 37}, {3, 0x10025}, {1, 37}, {3, 0x10025}, {2, 37}, {1, 87},
                                 {3, 0xe9}}));
}

TEST_F(HostInput, MouseButtonsCarryTheCursorPositionAndAFourthButtonIsIgnored) {
  glfw2_testing::FeedCursorPos(100.75, 50.25);
  for (int button : {0, 3, 2}) glfw2_testing::FeedMouseButton(button, kPress3, 0);
  glfw2_testing::FeedMouseButton(0, kRelease3, 0);
  using Mouse = std::tuple<char, int, int, float, float>;
  std::vector<Mouse> seen;
  for (const HostCall& c : app->calls) seen.emplace_back(c.op, c.event, c.data, c.x, c.y);
  EXPECT_EQ(seen, (std::vector<Mouse>{{'m', 6, -1, 100, 50}, {'m', 4, 0, 100, 50},
                                      {'m', 4, 2, 100, 50}, {'m', 5, 0, 100, 50}}));
}

TEST_F(HostInput, ReplacingTheWindowReleasesHeldKeysFirstAndKeepsTheCallbacks) {
  FeedKey('A', 0, kPress3, 0), FeedKey(kLeft3, 0, kPress3, 0);
  FeedKey(340, 0, kPress3, 0), FeedKey(340, 0, kRelease3, 0);
  app->calls.clear();
  host->SetGlfwWindow(1280, 720, 8, 8, 8, 0, 0, 0, true);
  Events keys = app->Keys();
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (Events{{2, 37}, {2, 65}}));
  EXPECT_EQ(Tap(kUp3), (Events{{1, 38}, {3, 0x10026}, {2, 38}})) << "callbacks installed";
}

TEST_F(HostInput, PadsUseTheGameLayoutOtherDevicesTheirAxisCountAndAbsentOnesNothing) {
  for (int port : {0, -1, 16}) EXPECT_FALSE(Poll(port)) << port;
  EXPECT_EQ(Sticks(), std::vector<float>(6, 7)) << "absent: the arrays are left alone";
  glfw2_testing::FakeJoystick pad;  // mapped, and plugged in after start
  pad.gamepad = true;
  const float axes[6] = {0.5f, -0.25f, 0.1f, 0.2f, 1.0f, -1.0f};  // LX LY RX RY LT RT (at rest)
  std::copy(axes, axes + 6, pad.gamepadAxes);
  // GLFW 3's A B X Y LB RB back start guide, thumbs, d-pad up right down left, one by one.
  const int layout[15] = {0, 1, 2, 3, 4, 5, 6, 7, 14, 12, 13, 9, 10, 11, 8};
  for (int from = 0; from < 15; ++from) {
    pad.gamepadButtons[from] = 1;
    glfw2_testing::PlugFakeJoystick(2, pad);
    pad.gamepadButtons[from] = 0;
    ASSERT_TRUE(Poll(2));
    std::string want = std::string(15, '0') + std::string(17, '1');  // beyond the pad's buttons
    want[layout[from]] = '1';
    EXPECT_EQ(Pressed(), want) << from;
  }
  EXPECT_EQ(Sticks(), (std::vector<float>{0.5f, 0.1f, 0.25f, -0.2f, 1.0f, 0})) << "up positive";
  pad = {};  // unmapped, with five axes and more buttons than the array holds
  pad.axes = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f};
  pad.buttons.assign(40, 0);
  pad.buttons[1] = pad.buttons[35] = 1;
  glfw2_testing::PlugFakeJoystick(2, pad);
  ASSERT_TRUE(Poll(2));
  EXPECT_EQ(Sticks(), (std::vector<float>{0.1f, 0.5f, -0.2f, -0.4f, 0.3f, 0}));
  EXPECT_EQ(Pressed(), "01" + std::string(30, '0'));
}

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
    EXPECT_EQ(trace.find_first_of("sR", r + 1), std::string::npos) << "suspended once";
    EXPECT_EQ(trace.substr(s + 1, r - s - 1), std::string(iconify ? 0 : 8, 'r')) << iconify;
    EXPECT_EQ(trace.substr(r + 1, 2), "ur") << iconify;
    EXPECT_DOUBLE_EQ(UpdateTimes(back).front(), back) << iconify;
    EXPECT_NEAR(UpdateTimes(back).size(), 60u, 1) << "one second's worth, not the backlog";
  }
}

TEST_F(MainLoop, AnUncaughtExceptionPrintsTheLineAndExitsWith255) {
  app->onUpdate = [] { throw new ThrowableObject; };
  auto run = [this] {
    std::fflush(stdout);
    dup2(2, 1);  // EXPECT_EXIT matches what the child writes to standard error
    host->Run();
  };
  EXPECT_EXIT(run(), ::testing::ExitedWithCode(255),
              "^Tarvik Runtime Error : Uncaught Tarvik Exception\n$");
}
}  // namespace
