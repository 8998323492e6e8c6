// Joysticks of the GLFW 2.7-style facade. Pads the platform knows a mapping for are reported
// in the layout the game's control table assumes; other devices give their own axes and
// buttons. Read afresh on every call (from the platform's backend, host/glfw2_backend.h), so
// pads come and go between polls. Called by the host's PollJoystick; the fake slots serve
// the tests (host/glfw2_testing.h).
#include "host/glfw2.h"
#include "host/glfw2_backend.h"
#include "host/glfw2_testing.h"

namespace {

using glfw2_internal::JoystickReading;
using namespace glfw2_internal;  // the pad layout

constexpr int kJoyLast = glfw2::GLFW_JOYSTICK_LAST;
constexpr int kMaxAxes = JoystickReading::kMaxAxes;
constexpr int kMaxButtons = JoystickReading::kMaxButtons;

bool useFake = false;
bool plugged[kJoyLast + 1] = {};
glfw2_testing::FakeJoystick fakes[kJoyLast + 1];

// Output button i comes from pad button kPadButtonFrom[i]: A B X Y, shoulders, back, start,
// d-pad left up right down, thumbs, guide.
constexpr int kPadButtonFrom[15] = {
    kPadA,        kPadB,         kPadX,         kPadY,        kPadLeftBumper,
    kPadRightBumper, kPadBack,   kPadStart,     kPadDpadLeft, kPadDpadUp,
    kPadDpadRight, kPadDpadDown, kPadLeftThumb, kPadRightThumb, kPadGuide,
};

// False when there is no such joystick, or it vanished while being read.
bool Read(int joy, JoystickReading* out) {
  if (joy < 0 || joy > kJoyLast) return false;
  if (!useFake) return ReadBackendJoystick(joy, out);
  if (!plugged[joy]) return false;
  const glfw2_testing::FakeJoystick& s = fakes[joy];
  if (s.gamepad) {
    FromGamepad(s.gamepadAxes, s.gamepadButtons, out);
  } else {
    FromRaw(s.axes.data(), static_cast<int>(s.axes.size()), s.buttons.data(),
            static_cast<int>(s.buttons.size()), out);
  }
  return true;
}

}  // namespace

// Six axes in the order the host's six-axis assignment expects (left x, left y, left
// trigger, right x, right y, right trigger), sticks with y up and triggers 0 at rest.
void glfw2_internal::FromGamepad(const float* axes, const unsigned char* buttons,
                                 JoystickReading* out) {
  out->axisCount = 6;
  out->axes[0] = axes[kPadLeftX];
  out->axes[1] = -axes[kPadLeftY];
  out->axes[2] = (axes[kPadLeftTrigger] + 1) / 2;
  out->axes[3] = axes[kPadRightX];
  out->axes[4] = -axes[kPadRightY];
  out->axes[5] = (axes[kPadRightTrigger] + 1) / 2;
  out->buttonCount = 15;
  for (int i = 0; i < 15; ++i) {
    out->buttons[i] = buttons[kPadButtonFrom[i]] == glfw2::GLFW_PRESS ? glfw2::GLFW_PRESS
                                                                       : glfw2::GLFW_RELEASE;
  }
}

// An unmapped device as 2.7 presented it: its own axes with the odd (vertical) ones turned
// so positive is up, and its own buttons (hats follow as buttons, as GLFW 3 appends them).
void glfw2_internal::FromRaw(const float* axes, int axisCount, const unsigned char* buttons,
                             int buttonCount, JoystickReading* out) {
  out->axisCount = axisCount < kMaxAxes ? axisCount : kMaxAxes;
  for (int i = 0; i < out->axisCount; ++i) out->axes[i] = (i & 1) ? -axes[i] : axes[i];
  out->buttonCount = buttonCount < kMaxButtons ? buttonCount : kMaxButtons;
  for (int i = 0; i < out->buttonCount; ++i) {
    out->buttons[i] = buttons[i] == glfw2::GLFW_PRESS ? glfw2::GLFW_PRESS : glfw2::GLFW_RELEASE;
  }
}

void glfw2_internal::ResetJoysticks() {
  useFake = false;
  for (int i = 0; i <= kJoyLast; ++i) {
    plugged[i] = false;
    fakes[i] = glfw2_testing::FakeJoystick();
  }
}

namespace glfw2 {

int glfwGetJoystickParam(int joy, int param) {
  JoystickReading r;
  if (!Read(joy, &r)) return 0;
  switch (param) {
    case glfw2::GLFW_PRESENT: return 1;
    case glfw2::GLFW_AXES: return r.axisCount;
    case glfw2::GLFW_BUTTONS: return r.buttonCount;
    default: return 0;
  }
}

int glfwGetJoystickPos(int joy, float* pos, int numaxes) {
  JoystickReading r;
  if (!pos || numaxes <= 0 || !Read(joy, &r)) return 0;
  int n = numaxes < r.axisCount ? numaxes : r.axisCount;
  for (int i = 0; i < n; ++i) pos[i] = r.axes[i];
  return n;
}

int glfwGetJoystickButtons(int joy, unsigned char* buttons, int numbuttons) {
  JoystickReading r;
  if (!buttons || numbuttons <= 0 || !Read(joy, &r)) return 0;
  int n = numbuttons < r.buttonCount ? numbuttons : r.buttonCount;
  for (int i = 0; i < n; ++i) buttons[i] = r.buttons[i];
  return n;
}

}  // namespace glfw2

namespace glfw2_testing {

void UseFakeJoysticks(bool on) { useFake = on; }

void PlugFakeJoystick(int joy, const FakeJoystick& stick) {
  if (joy < 0 || joy > kJoyLast) return;
  fakes[joy] = stick;
  plugged[joy] = true;
}

void UnplugFakeJoystick(int joy) {
  if (joy < 0 || joy > kJoyLast) return;
  plugged[joy] = false;
}

}  // namespace glfw2_testing
