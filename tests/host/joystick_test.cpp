// Joysticks through the host's poll with fake devices behind the facade: the axis-count
// assignment for unmapped devices, the gamepad layout for mapped pads, and pads that are
// absent, vanish or report more than the arrays hold.
#include <gtest/gtest.h>

#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "runtime/array.h"

namespace {

// GLFW 3 gamepad button and axis indices.
enum { kA = 0, kB, kX, kY, kLB, kRB, kBack, kStart, kGuide, kLThumb, kRThumb, kUp, kRight, kDown, kLeft };
enum { kLX = 0, kLY, kRX, kRY, kLT, kRT };

class HostJoystick : public ::testing::Test {
 protected:
  void SetUp() override {
    glfw2_testing::Reset();
    glfw2_testing::UseFakeJoysticks(true);
    for (int i = 0; i < 2; ++i) joyx[i] = joyy[i] = joyz[i] = 7;
    for (int i = 0; i < 32; ++i) buttons[i] = true;
  }
  void TearDown() override { glfw2_testing::Reset(); }

  bool Poll(int port) { return host.PollJoystick(port, joyx, joyy, joyz, buttons); }
  void ExpectSticks(float x0, float x1, float y0, float y1, float z0, float z1) {
    EXPECT_FLOAT_EQ(joyx[0], x0);
    EXPECT_FLOAT_EQ(joyx[1], x1);
    EXPECT_FLOAT_EQ(joyy[0], y0);
    EXPECT_FLOAT_EQ(joyy[1], y1);
    EXPECT_FLOAT_EQ(joyz[0], z0);
    EXPECT_FLOAT_EQ(joyz[1], z1);
  }
  static glfw2_testing::FakeJoystick Raw(std::vector<float> axes, int buttonCount) {
    glfw2_testing::FakeJoystick j;
    j.axes = std::move(axes);
    j.buttons.assign(buttonCount, 0);
    return j;
  }

  VgGlfwGame host;
  Array<float> joyx{2}, joyy{2}, joyz{2};
  Array<bool> buttons{32};
};

TEST_F(HostJoystick, NoJoystickLeavesTheArraysUntouched) {
  EXPECT_FALSE(Poll(0));
  EXPECT_FALSE(Poll(-1));
  EXPECT_FALSE(Poll(16));
  ExpectSticks(7, 7, 7, 7, 7, 7);
  for (int i = 0; i < 32; ++i) EXPECT_TRUE(buttons[i]);
}

// Unmapped devices keep 2.7's convention: odd axes turned so that up is positive.
TEST_F(HostJoystick, FourAxesGiveTheThirdAsRightStickVerticalAndNoLeftTrigger) {
  glfw2_testing::PlugFakeJoystick(0, Raw({0.1f, 0.2f, 0.3f, 0.4f}, 4));
  ASSERT_TRUE(Poll(0));
  ExpectSticks(0.1f, -0.4f, -0.2f, 0.3f, 0, 0);
}

TEST_F(HostJoystick, FiveAndSixAxesFollowTheirOwnAssignments) {
  glfw2_testing::PlugFakeJoystick(1, Raw({0.1f, 0.2f, 0.3f, 0.4f, 0.5f}, 4));
  ASSERT_TRUE(Poll(1));
  ExpectSticks(0.1f, 0.5f, -0.2f, -0.4f, 0.3f, 0);
  glfw2_testing::PlugFakeJoystick(1, Raw({0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f}, 4));
  ASSERT_TRUE(Poll(1));
  ExpectSticks(0.1f, -0.4f, -0.2f, 0.5f, 0.3f, -0.6f);
  glfw2_testing::PlugFakeJoystick(1, Raw({0.9f, -1.0f}, 4));
  ASSERT_TRUE(Poll(1));
  ExpectSticks(0.9f, 0, 1.0f, 0, 0, 0);
}

TEST_F(HostJoystick, RawButtonsFillOnlyWhatIsReportedAndNeverOverrun) {
  glfw2_testing::FakeJoystick j = Raw({0, 0}, 40);
  j.buttons[1] = 1;
  j.buttons[35] = 1;
  glfw2_testing::PlugFakeJoystick(0, j);
  ASSERT_TRUE(Poll(0));
  for (int i = 0; i < 32; ++i) EXPECT_EQ(buttons[i], i == 1) << i;

  // A device with fewer buttons leaves the rest as they were.
  for (int i = 0; i < 32; ++i) buttons[i] = true;
  glfw2_testing::PlugFakeJoystick(0, Raw({0, 0}, 3));
  ASSERT_TRUE(Poll(0));
  for (int i = 0; i < 32; ++i) EXPECT_EQ(buttons[i], i >= 3) << i;

  // Arrays shorter than usual are filled only as far as they go.
  Array<float> one(1);
  Array<bool> few(4);
  glfw2_testing::PlugFakeJoystick(0, j);
  EXPECT_TRUE(host.PollJoystick(0, one, one, one, few));
  EXPECT_TRUE(few[1]);
  EXPECT_FALSE(few[3]);
}

TEST_F(HostJoystick, MappedPadsUseTheGameLayoutWithSticksUpAndTriggersInZ) {
  glfw2_testing::FakeJoystick pad;
  pad.gamepad = true;
  pad.gamepadAxes[kLX] = 0.5f;
  pad.gamepadAxes[kLY] = -0.25f;  // pushed up
  pad.gamepadAxes[kRX] = 0.1f;
  pad.gamepadAxes[kRY] = 0.2f;
  pad.gamepadAxes[kLT] = 1.0f;   // fully pressed
  pad.gamepadAxes[kRT] = -1.0f;  // at rest
  pad.gamepadButtons[kA] = 1;
  pad.gamepadButtons[kStart] = 1;
  pad.gamepadButtons[kLeft] = 1;
  pad.gamepadButtons[kDown] = 1;
  pad.gamepadButtons[kGuide] = 1;
  glfw2_testing::PlugFakeJoystick(2, pad);
  ASSERT_TRUE(Poll(2));
  ExpectSticks(0.5f, 0.1f, 0.25f, -0.2f, 1.0f, 0);
  const bool expected[15] = {true,  false, false, false, false, false, false, true,
                             true,  false, false, true,  false, false, true};
  for (int i = 0; i < 15; ++i) EXPECT_EQ(buttons[i], expected[i]) << i;
  for (int i = 15; i < 32; ++i) EXPECT_TRUE(buttons[i]) << i;  // beyond the pad's buttons

  // Each face, shoulder and d-pad button lands on its own index.
  const std::pair<int, int> layout[] = {{kB, 1},    {kX, 2},     {kY, 3},   {kLB, 4},
                                        {kRB, 5},   {kBack, 6},  {kUp, 9},  {kRight, 10},
                                        {kLThumb, 12}, {kRThumb, 13}};
  for (const auto& [from, to] : layout) {
    glfw2_testing::FakeJoystick p;
    p.gamepad = true;
    p.gamepadButtons[from] = 1;
    glfw2_testing::PlugFakeJoystick(2, p);
    ASSERT_TRUE(Poll(2));
    for (int i = 0; i < 15; ++i) EXPECT_EQ(buttons[i], i == to) << from << " -> " << i;
  }
}

TEST_F(HostJoystick, APadPulledOutReadsAsAbsentAndOnePluggedInIsFoundByTheNextPoll) {
  EXPECT_FALSE(Poll(3));
  glfw2_testing::FakeJoystick pad;
  pad.gamepad = true;
  pad.gamepadAxes[kLX] = -1;
  glfw2_testing::PlugFakeJoystick(3, pad);
  ASSERT_TRUE(Poll(3));
  EXPECT_FLOAT_EQ(joyx[0], -1);
  joyx[0] = 7;
  glfw2_testing::UnplugFakeJoystick(3);
  EXPECT_FALSE(Poll(3));
  EXPECT_FLOAT_EQ(joyx[0], 7);
}

}  // namespace
