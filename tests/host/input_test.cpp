// Keyboard, character and mouse input as a player produces it: GLFW 3 events fed through the
// facade's callbacks, translated to 2.7 key numbers and then to runtime key codes by the
// host, arriving at the delegate. Also the close request and replacing the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "host/glfw2.h"
#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "tests/host/recording_delegate.h"

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
  }
  void TearDown() override {
    glfw2_testing::Reset();
    delete host;
  }
  Events Tap(int key3) {  // the events of one press and release
    app->calls.clear();
    FeedKey(key3, 0, kPress3, 0), FeedKey(key3, 0, kRelease3, 0);
    return app->Keys();
  }
  VgGlfwGame* host = new VgGlfwGame;
  RecordingDelegate* app = new RecordingDelegate;
};

TEST_F(HostInput, KeysGiveTheirRuntimeCodesAndOnlyEditingKeysTypeCharacters) {
  const std::pair<int, Events> taps[] = {
      {'A', {{1, 65}, {2, 65}}},       {' ', {{1, 32}, {2, 32}}},
      {kLeft3, {{1, 37}, {3, 0x10025}, {2, 37}}}, {kDelete3, {{1, 46}, {3, 127}, {2, 46}}},
      {kEnter3, {{1, 13}, {3, 13}, {2, 13}}},     {kInsert3, {{1, 45}, {3, 0x1002d}, {2, 45}}},
      {256, {{1, 27}, {3, 27}, {2, 27}}},         {259, {{1, 8}, {3, 8}, {2, 8}}},  // Esc, Bksp
      {'\'', {{1, 222}, {2, 222}}},    {'`', {{1, 192}, {2, 192}}},  // US punctuation
      {kF1_3 + 11, {{1, 123}, {2, 123}}}, {340, {{1, 16}, {2, 16}}},  // F12, left shift
      {345, {{1, 17}, {2, 17}}},       {320 + 9, {{1, 105}, {2, 105}}},  // right ctrl, keypad 9
      {332, {{1, 106}, {2, 106}}},     {330, {{1, 110}, {2, 110}}},  // keypad * and .
      // No runtime code, so nothing at all: Alt, F13, keypad enter, Caps Lock, World 1, junk.
      {342, {}}, {346, {}}, {302, {}}, {335, {}}, {280, {}}, {161, {}}, {-1, {}}, {400, {}},
  };
  for (const auto& [key3, events] : taps) EXPECT_EQ(Tap(key3), events) << key3;
  for (int f = 0; f < 12; ++f) EXPECT_EQ(Tap(kF1_3 + f).front().second, 112 + f);
  EXPECT_EQ(VgGlfwGame::TransKey(317), 0);
  EXPECT_EQ(VgGlfwGame::TransKey(100000), 0);
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
  for (auto [button, action] : {std::pair{0, kPress3}, {3, kPress3}, {3, kRelease3}, {2, kPress3}, {0, kRelease3}})
    glfw2_testing::FeedMouseButton(button, action, 0);
  const int expected[4][2] = {{6, -1}, {4, 0}, {4, 2}, {5, 0}};  // a move, then the buttons
  ASSERT_EQ(app->calls.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    const HostCall& c = app->calls[i];
    EXPECT_EQ(c.op, "mouse");
    EXPECT_EQ(std::make_pair(c.event, c.data), std::make_pair(expected[i][0], expected[i][1]));
    EXPECT_EQ(std::make_pair(c.x, c.y), std::make_pair(100.0f, 50.0f));
  }
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

TEST_F(HostInput, CloseRequestBecomesTheCloseKeyAndTheWindowStays) {
  EXPECT_FALSE(glfw2_testing::FeedCloseRequest());
  glfw2::glfwPollEvents();
  EXPECT_EQ(glfw2::glfwGetWindowParam(glfw2::GLFW_OPENED), 1);
  EXPECT_EQ(app->Keys(), (Events{{1, 432}, {2, 432}}));
}

TEST(HostFacade, AWindowWithoutACloseCallbackClosesAndModesCopyTheBitCountsByName) {
  glfw2_testing::Reset();
  glfw2_testing::SetHeadless(true);
  ASSERT_TRUE(glfw2::glfwInit());
  ASSERT_TRUE(glfw2::glfwOpenWindow(320, 200, 8, 8, 8, 0, 0, 0, glfw2::GLFW_WINDOW));
  EXPECT_TRUE(glfw2_testing::FeedCloseRequest());
  glfw2::glfwPollEvents();
  EXPECT_EQ(glfw2::glfwGetWindowParam(glfw2::GLFW_OPENED), 0);
  VgGlfwVideoMode* desk = VgGlfwGame::GetGlfwDesktopMode();
  EXPECT_EQ(std::make_pair(desk->Width, desk->Height), std::make_pair(1280, 720));
  Array<VgGlfwVideoMode*> modes = VgGlfwGame::GetGlfwVideoModes();
  ASSERT_EQ(modes.Length(), 2);
  EXPECT_EQ(modes[0]->RedBits * 100 + modes[0]->GreenBits * 10 + modes[0]->BlueBits, 565);
  glfw2_testing::Reset();
}
}  // namespace
