// Keyboard, character and mouse input as a player produces it: GLFW 3 events fed through the
// facade's callbacks, translated to 2.7 key numbers and then to runtime key codes by the
// host, arriving at the delegate. Also the held-key release before a window is replaced.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "host/glfw2.h"
#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "tests/host/recording_delegate.h"

namespace {

// GLFW 3 key codes and actions, as the system library reports them.
enum {
  kPress3 = 1,
  kRelease3 = 0,
  kRepeat3 = 2,
  kSpace3 = 32,
  kEscape3 = 256,
  kEnter3 = 257,
  kTab3 = 258,
  kBackspace3 = 259,
  kInsert3 = 260,
  kDelete3 = 261,
  kRight3 = 262,
  kLeft3 = 263,
  kDown3 = 264,
  kUp3 = 265,
  kPageUp3 = 266,
  kPageDown3 = 267,
  kHome3 = 268,
  kEnd3 = 269,
  kCapsLock3 = 280,
  kPrintScreen3 = 283,
  kF1_3 = 290,
  kF12_3 = 301,
  kF13_3 = 302,
  kKp0_3 = 320,
  kKpDecimal3 = 330,
  kKpDivide3 = 331,
  kKpMultiply3 = 332,
  kKpSubtract3 = 333,
  kKpAdd3 = 334,
  kKpEnter3 = 335,
  kKpEqual3 = 336,
  kLeftShift3 = 340,
  kLeftControl3 = 341,
  kLeftAlt3 = 342,
  kRightShift3 = 344,
  kRightControl3 = 345,
  kRightAlt3 = 346,
  kWorld1_3 = 161,
};

using Events = std::vector<std::pair<int, int>>;

class HostInput : public ::testing::Test {
 protected:
  void SetUp() override {
    glfw2_testing::Reset();
    glfw2_testing::SetHeadless(true);
    ASSERT_TRUE(glfw2::glfwInit());
    host = new VgGlfwGame;
    app = new RecordingDelegate;
    host->SetDelegate(app);
    host->StartGame();
    host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
    app->calls.clear();
  }
  void TearDown() override {
    glfw2_testing::Reset();
    delete host;
  }
  // Key and character events of one press and release of a GLFW 3 key.
  Events Tap(int key3) {
    app->calls.clear();
    glfw2_testing::FeedKey(key3, 0, kPress3, 0);
    glfw2_testing::FeedKey(key3, 0, kRelease3, 0);
    return app->Keys();
  }

  VgGlfwGame* host = nullptr;
  RecordingDelegate* app = nullptr;
};

TEST_F(HostInput, PlayerKeysGiveTheirRuntimeCodesAndEditingKeysAlsoTypeCharacters) {
  EXPECT_EQ(Tap('A'), (Events{{1, 65}, {2, 65}}));
  EXPECT_EQ(Tap(kLeft3), (Events{{1, 37}, {3, 0x10025}, {2, 37}}));
  EXPECT_EQ(Tap(kDelete3), (Events{{1, 46}, {3, 127}, {2, 46}}));
  EXPECT_EQ(Tap(kEnter3), (Events{{1, 13}, {3, 13}, {2, 13}}));
  EXPECT_EQ(Tap(kEscape3), (Events{{1, 27}, {3, 27}, {2, 27}}));
  EXPECT_EQ(Tap(kBackspace3), (Events{{1, 8}, {3, 8}, {2, 8}}));
  EXPECT_EQ(Tap(kTab3), (Events{{1, 9}, {3, 9}, {2, 9}}));
  EXPECT_EQ(Tap(kInsert3), (Events{{1, 45}, {3, 0x1002d}, {2, 45}}));
  EXPECT_EQ(Tap(kSpace3), (Events{{1, 32}, {2, 32}}));
}

TEST_F(HostInput, KeysWithoutARuntimeCodeProduceNoEventAtAll) {
  for (int key3 : std::vector<int>{kLeftAlt3, kRightAlt3, kF13_3, kKpEnter3, kKpEqual3, kCapsLock3,
                   kPrintScreen3, kWorld1_3, -1, 400}) {
    EXPECT_EQ(Tap(key3), Events{}) << key3;
  }
}

TEST_F(HostInput, EveryKeyOfTheKeyboardMapsToItsWindowsVirtualKey) {
  const std::pair<int, int> table[] = {
      {'0', 48},         {'9', 57},          {'Z', 90},          {'\'', 222},
      {',', 188},        {'-', 189},         {'.', 190},         {'/', 191},
      {';', 186},        {'=', 187},         {'[', 219},         {'\\', 220},
      {']', 221},        {'`', 192},         {kF1_3, 112},       {kF12_3, 123},
      {kUp3, 38},        {kDown3, 40},       {kRight3, 39},      {kLeftShift3, 16},
      {kRightShift3, 16}, {kLeftControl3, 17}, {kRightControl3, 17}, {kPageUp3, 33},
      {kPageDown3, 34},  {kHome3, 36},       {kEnd3, 35},        {kKp0_3, 96},
      {kKp0_3 + 9, 105}, {kKpDivide3, 111},  {kKpMultiply3, 106}, {kKpSubtract3, 109},
      {kKpAdd3, 107},    {kKpDecimal3, 110},
  };
  for (const auto& [key3, code] : table) {
    Events e = Tap(key3);
    ASSERT_FALSE(e.empty()) << key3;
    EXPECT_EQ(e.front(), std::make_pair(1, code)) << key3;
    EXPECT_EQ(e.back(), std::make_pair(2, code)) << key3;
  }
  for (int f = 0; f < 12; ++f) EXPECT_EQ(Tap(kF1_3 + f).front().second, 112 + f);
}

TEST_F(HostInput, TheTranslationTablesFollowTheLegacyNumbering) {
  EXPECT_EQ(VgGlfwGame::TransKey(34), 222);   // '"'
  EXPECT_EQ(VgGlfwGame::TransKey(126), 192);  // '~'
  EXPECT_EQ(VgGlfwGame::TransKey('a'), 0);    // lower case never arrives as a key
  EXPECT_EQ(VgGlfwGame::TransKey(glfw2::GLFW_KEY_LALT), 0);
  EXPECT_EQ(VgGlfwGame::TransKey(317), 0);
  EXPECT_EQ(VgGlfwGame::TransKey(-1), 0);
  EXPECT_EQ(VgGlfwGame::TransKey(100000), 0);
  EXPECT_EQ(VgGlfwGame::KeyToChar(33), 0x10021);
  EXPECT_EQ(VgGlfwGame::KeyToChar(40), 0x10028);
  EXPECT_EQ(VgGlfwGame::KeyToChar(41), 0);
  EXPECT_EQ(VgGlfwGame::KeyToChar(65), 0);
}

TEST_F(HostInput, TypedCharactersArriveSeparatelyFromKeys) {
  glfw2_testing::FeedKey('A', 0, kPress3, 0);
  glfw2_testing::FeedChar('a');
  glfw2_testing::FeedKey('A', 0, kRelease3, 0);
  glfw2_testing::FeedChar(0xe9);
  EXPECT_EQ(app->Keys(), (Events{{1, 65}, {3, 97}, {2, 65}, {3, 0xe9}}));
}

TEST_F(HostInput, HeldKeysRepeatKeyDownsAndCharactersWithoutKeyUps) {
  glfw2_testing::FeedKey(kLeft3, 0, kPress3, 0);
  glfw2_testing::FeedKey(kLeft3, 0, kRepeat3, 0);
  glfw2_testing::FeedKey('W', 0, kPress3, 0);
  glfw2_testing::FeedChar('w');
  glfw2_testing::FeedKey('W', 0, kRepeat3, 0);
  glfw2_testing::FeedChar('w');
  glfw2_testing::FeedKey(kLeft3, 0, kRelease3, 0);
  EXPECT_EQ(app->Keys(), (Events{{1, 37},
                                 {3, 0x10025},
                                 {1, 37},
                                 {3, 0x10025},
                                 {1, 87},
                                 {3, 119},
                                 {1, 87},
                                 {3, 119},
                                 {2, 37}}));
}

TEST_F(HostInput, WithoutKeyRepeatHeldKeysNeitherRepeatNorRetype) {
  glfw2::glfwDisable(glfw2::GLFW_KEY_REPEAT);
  glfw2_testing::FeedKey('W', 0, kPress3, 0);
  glfw2_testing::FeedChar('w');
  glfw2_testing::FeedKey('W', 0, kRepeat3, 0);
  glfw2_testing::FeedChar('w');
  EXPECT_EQ(app->Keys(), (Events{{1, 87}, {3, 119}}));
}

TEST_F(HostInput, MouseButtonsCarryTheCursorPositionAndAFourthButtonIsIgnored) {
  glfw2_testing::FeedCursorPos(100.75, 50.25);
  glfw2_testing::FeedMouseButton(0, kPress3, 0);
  glfw2_testing::FeedMouseButton(3, kPress3, 0);
  glfw2_testing::FeedMouseButton(3, kRelease3, 0);
  glfw2_testing::FeedMouseButton(2, kPress3, 0);
  glfw2_testing::FeedMouseButton(0, kRelease3, 0);
  ASSERT_EQ(app->calls.size(), 4u);
  const HostCall& move = app->calls[0];
  EXPECT_EQ(move.op, "mouse");
  EXPECT_EQ(move.event, 6);
  EXPECT_EQ(move.data, -1);
  EXPECT_FLOAT_EQ(move.x, 100);
  EXPECT_FLOAT_EQ(move.y, 50);
  const int expected[3][2] = {{4, 0}, {4, 2}, {5, 0}};
  for (int i = 0; i < 3; ++i) {
    const HostCall& c = app->calls[i + 1];
    EXPECT_EQ(c.op, "mouse");
    EXPECT_EQ(c.event, expected[i][0]);
    EXPECT_EQ(c.data, expected[i][1]);
    EXPECT_FLOAT_EQ(c.x, 100);
    EXPECT_FLOAT_EQ(c.y, 50);
  }
}

TEST_F(HostInput, ReplacingTheWindowReleasesHeldKeysFirstAndCountsTheNewContext) {
  glfw2_testing::FeedKey('A', 0, kPress3, 0);
  glfw2_testing::FeedKey(kLeft3, 0, kPress3, 0);
  glfw2_testing::FeedKey(kLeftShift3, 0, kPress3, 0);
  glfw2_testing::FeedKey(kLeftShift3, 0, kRelease3, 0);
  app->calls.clear();
  int seq = glfwGraphicsSeq;
  host->SetGlfwWindow(1280, 720, 8, 8, 8, 0, 0, 0, true);
  EXPECT_EQ(glfwGraphicsSeq, seq + 1);
  Events keys = app->Keys();
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (Events{{2, 37}, {2, 65}}));
  // The new window starts with nothing held, and its callbacks are installed.
  EXPECT_EQ(glfw2::glfwGetKey('A'), glfw2::GLFW_RELEASE);
  int w, h;
  glfw2::glfwGetWindowSize(&w, &h);
  EXPECT_EQ(w, 1280);
  EXPECT_EQ(h, 720);
  EXPECT_EQ(Tap(kUp3), (Events{{1, 38}, {3, 0x10026}, {2, 38}}));
}

TEST_F(HostInput, CloseRequestBecomesTheCloseKeyAndTheWindowStays) {
  EXPECT_FALSE(glfw2_testing::FeedCloseRequest());
  glfw2::glfwPollEvents();
  EXPECT_EQ(glfw2::glfwGetWindowParam(glfw2::GLFW_OPENED), 1);
  EXPECT_EQ(app->Keys(), (Events{{1, 432}, {2, 432}}));
}

TEST(HostFacade, WithoutACloseCallbackTheWindowClosesAfterThePoll) {
  glfw2_testing::Reset();
  glfw2_testing::SetHeadless(true);
  ASSERT_TRUE(glfw2::glfwInit());
  ASSERT_TRUE(glfw2::glfwOpenWindow(320, 200, 8, 8, 8, 0, 0, 0, glfw2::GLFW_WINDOW));
  EXPECT_TRUE(glfw2_testing::FeedCloseRequest());
  EXPECT_EQ(glfw2::glfwGetWindowParam(glfw2::GLFW_OPENED), 1);
  glfw2::glfwPollEvents();
  EXPECT_EQ(glfw2::glfwGetWindowParam(glfw2::GLFW_OPENED), 0);
  // With no window open the size is the one a harness asked for.
  glfw2_testing::SetClosedWindowSize(1280, 720);
  int w = 0, h = 0;
  glfw2::glfwGetWindowSize(&w, &h);
  EXPECT_EQ(w, 1280);
  EXPECT_EQ(h, 720);
  glfw2_testing::Reset();
}

TEST(HostFacade, VideoModesCopyTheBitCountsByName) {
  glfw2_testing::Reset();
  glfw2_testing::SetHeadless(true);
  ASSERT_TRUE(glfw2::glfwInit());
  VgGlfwVideoMode* desk = VgGlfwGame::GetGlfwDesktopMode();
  EXPECT_EQ(desk->Width, 1280);
  EXPECT_EQ(desk->Height, 720);
  EXPECT_EQ(desk->RedBits, 8);
  Array<VgGlfwVideoMode*> modes = VgGlfwGame::GetGlfwVideoModes();
  ASSERT_EQ(modes.Length(), 2);
  EXPECT_EQ(modes[0]->Width, 640);
  EXPECT_EQ(modes[0]->RedBits, 5);
  EXPECT_EQ(modes[0]->GreenBits, 6);
  EXPECT_EQ(modes[0]->BlueBits, 5);
  EXPECT_EQ(modes[1]->Height, 720);
  glfw2_testing::Reset();
}

}  // namespace
