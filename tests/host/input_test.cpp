// Input as a player produces it: GLFW 3 key, character and mouse events fed through the
// facade's callbacks and translated by the host for the delegate; replacing the window; and
// joysticks polled from fake devices behind the facade.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "host/glfw2.h"
#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "runtime/array.h"
#include "tests/host/host_testing.h"

namespace {
using Events = std::vector<std::pair<int, int>>;
using glfw2_testing::FeedKey;
enum { kRelease3 = 0, kPress3 = 1, kRepeat3 = 2 };  // GLFW 3 actions and key codes
enum { kEnter3 = 257, kInsert3 = 260, kDelete3, kRight3, kLeft3, kDown3, kUp3, kF1_3 = 290 };

class HostInput : public ::testing::Test {
 protected:
  void SetUp() override {
    glfw2_testing::Reset();
    glfw2_testing::SetHeadless(true);
    ASSERT_TRUE(glfw2::glfwInit());
    host->SetDelegate(app);
    host->StartGame();
    host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
    app->calls.clear();
    glfw2_testing::UseFakeJoysticks(true);
  }
  void TearDown() override { glfw2_testing::Reset(), delete host; }
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
  static void Plug(int port, std::vector<float> axes, int count, std::vector<int> down = {}) {
    glfw2_testing::FakeJoystick j;
    j.axes = std::move(axes);
    j.buttons.assign(count, 0);
    for (int b : down) j.buttons[b] = 1;
    glfw2_testing::PlugFakeJoystick(port, j);
  }
  VgGlfwGame* host = new VgGlfwGame;
  RecordingDelegate* app = new RecordingDelegate;
  Array<float> x{2}, y{2}, z{2};
  Array<bool> buttons{32};
};

TEST_F(HostInput, KeysGiveTheirRuntimeCodesAndOnlyEditingKeysTypeCharacters) {
  const std::pair<int, Events> taps[] = {
      {'A', {{1, 65}, {2, 65}}}, {'\'', {{1, 222}, {2, 222}}}, {kF1_3 + 11, {{1, 123}, {2, 123}}},
      {kLeft3, {{1, 37}, {3, 0x10025}, {2, 37}}}, {kDelete3, {{1, 46}, {3, 127}, {2, 46}}},
      {kEnter3, {{1, 13}, {3, 13}, {2, 13}}}, {kInsert3, {{1, 45}, {3, 0x1002d}, {2, 45}}},
      {340, {{1, 16}, {2, 16}}}, {345, {{1, 17}, {2, 17}}},  // left shift, right control
      {329, {{1, 105}, {2, 105}}}, {332, {{1, 106}, {2, 106}}},  // keypad 9 and *
      // No runtime code, so nothing at all: Alt, F13, keypad enter, Caps Lock, junk.
      {342, {}}, {346, {}}, {302, {}}, {335, {}}, {280, {}}, {-1, {}}, {400, {}},
  };
  for (const auto& [key3, events] : taps) EXPECT_EQ(Tap(key3), events) << key3;
  // Named keys by their GLFW 3 codes: Escape, Tab, Backspace, Page Up and Down, Home, End,
  // Up, Down, F1, F25, keypad 0, /, -, +, the keypad point and right Shift.
  const std::pair<int, int> named[] = {
      {256, 27}, {258, 9}, {259, 8}, {266, 33}, {267, 34}, {268, 36}, {269, 35}, {265, 38},
      {264, 40}, {290, 112}, {314, 0}, {320, 96}, {331, 111}, {333, 109}, {334, 107},
      {330, 110}, {344, 16}};
  for (auto [key3, code] : named) {
    Events e = Tap(key3);
    EXPECT_EQ(e.empty() ? 0 : e[0].second, code) << key3;
  }
}

TEST_F(HostInput, HeldKeysRepeatDownsAndCharactersWithoutUpsUnlessRepeatIsOff) {
  FeedKey(kLeft3, 0, kPress3, 0), FeedKey(kLeft3, 0, kRepeat3, 0);
  FeedKey('W', 0, kPress3, 0), glfw2_testing::FeedChar('w');
  FeedKey('W', 0, kRepeat3, 0), glfw2_testing::FeedChar('w');
  FeedKey(kLeft3, 0, kRelease3, 0), glfw2_testing::FeedChar(0xe9);
  EXPECT_EQ(app->Keys(), (Events{{1, 37}, {3, 0x10025}, {1, 37}, {3, 0x10025}, {1, 87},
                                 {3, 119}, {1, 87}, {3, 119}, {2, 37}, {3, 0xe9}}));
  app->calls.clear();
  glfw2::glfwDisable(glfw2::GLFW_KEY_REPEAT);
  FeedKey('Q', 0, kPress3, 0), glfw2_testing::FeedChar('q');
  FeedKey('Q', 0, kRepeat3, 0), glfw2_testing::FeedChar('q');
  EXPECT_EQ(app->Keys(), (Events{{1, 81}, {3, 113}}));
}

TEST_F(HostInput, MouseButtonsCarryTheCursorPositionAndAFourthButtonIsIgnored) {
  glfw2_testing::FeedCursorPos(100.75, 50.25);
  for (int button : {0, 3, 2}) glfw2_testing::FeedMouseButton(button, kPress3, 0);
  glfw2_testing::FeedMouseButton(3, kRelease3, 0);
  glfw2_testing::FeedMouseButton(0, kRelease3, 0);
  using Mouse = std::tuple<std::string, int, int, float, float>;
  std::vector<Mouse> seen;
  for (const HostCall& c : app->calls) seen.emplace_back(c.op, c.event, c.data, c.x, c.y);
  EXPECT_EQ(seen, (std::vector<Mouse>{{"mouse", 6, -1, 100, 50}, {"mouse", 4, 0, 100, 50},
                                      {"mouse", 4, 2, 100, 50}, {"mouse", 5, 0, 100, 50}}));
}

TEST_F(HostInput, ReplacingTheWindowReleasesHeldKeysFirstAndCountsTheNewContext) {
  FeedKey('A', 0, kPress3, 0), FeedKey(kLeft3, 0, kPress3, 0);
  FeedKey(340, 0, kPress3, 0), FeedKey(340, 0, kRelease3, 0);
  app->calls.clear();
  int seq = glfwGraphicsSeq;
  host->SetGlfwWindow(1280, 720, 8, 8, 8, 0, 0, 0, true);
  EXPECT_EQ(glfwGraphicsSeq, seq + 1);
  Events keys = app->Keys();
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (Events{{2, 37}, {2, 65}}));
  EXPECT_EQ(glfw2::glfwGetKey('A'), glfw2::GLFW_RELEASE);
  EXPECT_EQ(Tap(kUp3), (Events{{1, 38}, {3, 0x10026}, {2, 38}})) << "callbacks installed";
}

TEST_F(HostInput, PadsUseTheGameLayoutOtherDevicesTheirAxisCountAndAbsentOnesNothing) {
  for (int port : {0, -1, 16}) EXPECT_FALSE(Poll(port)) << port;
  EXPECT_EQ(Sticks(), std::vector<float>(6, 7)) << "absent: the arrays are left alone";
  EXPECT_EQ(Pressed(), std::string(32, '1'));
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
    EXPECT_EQ(Sticks(), (std::vector<float>{0.5f, 0.1f, 0.25f, -0.2f, 1.0f, 0})) << "sticks up";
    std::string want = std::string(15, '0') + std::string(17, '1');  // beyond the pad's buttons
    want[layout[from]] = '1';
    EXPECT_EQ(Pressed(), want) << from;
  }
  const std::pair<std::vector<float>, std::vector<float>> cases[] = {  // x0 x1 y0 y1 z0 z1
      {{0.9f, -1.0f}, {0.9f, 0, 1.0f, 0, 0, 0}},  // odd axes turned, so that up is positive
      {{0.1f, 0.2f, 0.3f, 0.4f}, {0.1f, -0.4f, -0.2f, 0.3f, 0, 0}},  // no left trigger
      {{0.1f, 0.2f, 0.3f, 0.4f, 0.5f}, {0.1f, 0.5f, -0.2f, -0.4f, 0.3f, 0}},
      {{0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f}, {0.1f, -0.4f, -0.2f, 0.5f, 0.3f, -0.6f}},
  };
  for (const auto& [axes, sticks] : cases) {
    Plug(1, axes, 4);
    ASSERT_TRUE(Poll(1));
    EXPECT_EQ(Sticks(), sticks) << axes.size() << " axes";
  }
  Plug(0, {0, 0}, 40, {1, 35});  // more buttons than the array holds
  ASSERT_TRUE(Poll(0));
  EXPECT_EQ(Pressed(), "01" + std::string(30, '0'));
  Plug(0, {0, 0}, 3);  // fewer: the rest are left alone
  ASSERT_TRUE(Poll(0));
  EXPECT_EQ(Pressed(), "000" + std::string(29, '1'));
  glfw2_testing::UnplugFakeJoystick(0);
  EXPECT_FALSE(Poll(0));
}
}  // namespace
