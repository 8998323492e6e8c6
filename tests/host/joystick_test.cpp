// Joysticks through the host's poll with fake devices behind the facade: the axis-count
// table for unmapped devices, the gamepad layout for mapped pads, and pads that are absent,
// vanish or report more than the arrays hold.
#include <gtest/gtest.h>

#include <vector>

#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "runtime/array.h"

namespace {
using Sticks = std::vector<float>;  // x0 x1 y0 y1 z0 z1

class HostJoystick : public ::testing::Test {
 protected:
  void SetUp() override {
    glfw2_testing::Reset();
    glfw2_testing::UseFakeJoysticks(true);
  }
  void TearDown() override { glfw2_testing::Reset(); }
  // Polls with every element preset to 7 / true, so untouched ones show.
  bool Poll(int port, Array<float> x, Array<float> y, Array<float> z, Array<bool> b) {
    for (Array<float> a : {x, y, z})
      for (int i = 0; i < a.Length(); ++i) a[i] = 7;
    for (int i = 0; i < b.Length(); ++i) b[i] = true;
    return host.PollJoystick(port, x, y, z, b);
  }
  bool Poll(int port) { return Poll(port, x, y, z, buttons); }
  Sticks Read() const { return {x[0], x[1], y[0], y[1], z[0], z[1]}; }
  void Plug(int port, std::vector<float> axes, int count, std::vector<int> pressed = {}) {
    glfw2_testing::FakeJoystick j;
    j.axes = std::move(axes);
    j.buttons.assign(count, 0);
    for (int b : pressed) j.buttons[b] = 1;
    glfw2_testing::PlugFakeJoystick(port, j);
  }
  VgGlfwGame host;
  Array<float> x{2}, y{2}, z{2};
  Array<bool> buttons{32};
};

TEST_F(HostJoystick, UnmappedDevicesAssignAxesByTheirCountWithUpPositive) {
  const std::pair<std::vector<float>, Sticks> cases[] = {
      {{0.9f, -1.0f}, {0.9f, 0, 1.0f, 0, 0, 0}},
      {{0.1f, 0.2f, 0.3f, 0.4f}, {0.1f, -0.4f, -0.2f, 0.3f, 0, 0}},  // no left trigger
      {{0.1f, 0.2f, 0.3f, 0.4f, 0.5f}, {0.1f, 0.5f, -0.2f, -0.4f, 0.3f, 0}},
      {{0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f}, {0.1f, -0.4f, -0.2f, 0.5f, 0.3f, -0.6f}},
  };
  for (const auto& [axes, sticks] : cases) {
    Plug(1, axes, 4);
    ASSERT_TRUE(Poll(1));
    EXPECT_EQ(Read(), sticks) << axes.size() << " axes";
  }
  // Raw buttons fill only what is reported, and never beyond the arrays.
  Plug(0, {0, 0}, 40, {1, 35});
  ASSERT_TRUE(Poll(0));
  for (int i = 0; i < 32; ++i) EXPECT_EQ(buttons[i], i == 1) << i;
  Plug(0, {0, 0}, 3);
  ASSERT_TRUE(Poll(0));
  for (int i = 0; i < 32; ++i) EXPECT_EQ(buttons[i], i >= 3) << i;
  Array<float> one(1);
  Array<bool> few(4);
  Plug(0, {0, 0}, 40, {1, 3});
  EXPECT_TRUE(Poll(0, one, one, one, few));
  EXPECT_TRUE(few[1] && few[3] && !few[2]);
}

TEST_F(HostJoystick, MappedPadsUseTheGameLayoutWithSticksUpAndTriggersInZ) {
  glfw2_testing::FakeJoystick pad;
  pad.gamepad = true;
  const float axes[6] = {0.5f, -0.25f, 0.1f, 0.2f, 1.0f, -1.0f};  // LX LY RX RY LT RT (at rest)
  std::copy(axes, axes + 6, pad.gamepadAxes);
  glfw2_testing::PlugFakeJoystick(2, pad);
  ASSERT_TRUE(Poll(2));
  EXPECT_EQ(Read(), (Sticks{0.5f, 0.1f, 0.25f, -0.2f, 1.0f, 0}));
  // GLFW 3's A B X Y LB RB back start guide LThumb RThumb up right down left, one at a time.
  const int layout[15] = {0, 1, 2, 3, 4, 5, 6, 7, 14, 12, 13, 9, 10, 11, 8};
  for (int from = 0; from < 15; ++from) {
    glfw2_testing::FakeJoystick p;
    p.gamepad = true;
    p.gamepadButtons[from] = 1;
    glfw2_testing::PlugFakeJoystick(2, p);
    ASSERT_TRUE(Poll(2));
    for (int i = 0; i < 32; ++i) EXPECT_EQ(buttons[i], i == layout[from] || i >= 15) << from << " -> " << i;
  }
}

TEST_F(HostJoystick, AbsentOrPulledPadsReadAsAbsentAndLeaveTheArraysAlone) {
  for (int port : {0, -1, 16}) EXPECT_FALSE(Poll(port)) << port;
  EXPECT_EQ(Read(), Sticks(6, 7));
  EXPECT_TRUE(buttons[0] && buttons[31]);
  Plug(3, {-1, 0}, 4);  // plugged in after start: found by the next poll
  ASSERT_TRUE(Poll(3));
  EXPECT_EQ(x[0], -1);
  glfw2_testing::UnplugFakeJoystick(3);
  EXPECT_FALSE(Poll(3));
  EXPECT_EQ(x[0], 7);
}
}  // namespace
