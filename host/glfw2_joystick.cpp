// Joysticks of the GLFW 2.7-style facade. Pads GLFW 3 knows a mapping for are reported in
// the layout the game's control table assumes; other devices give their own axes and
// buttons. Read afresh on every call, so pads come and go between polls. Called by the
// host's PollJoystick; the fake slots serve the tests (host/glfw2_testing.h). In a page the
// pads come from the browser, sampled once per event poll; the browser's "standard" layout
// stands in for GLFW 3's mappings.
#include "host/glfw2.h"
#include "host/glfw2_internal.h"
#include "host/glfw2_testing.h"

namespace {
enum {
  kPress = glfw2::GLFW_PRESS,
  kRelease = glfw2::GLFW_RELEASE,
  kPresent = glfw2::GLFW_PRESENT,
  kAxes = glfw2::GLFW_AXES,
  kButtons = glfw2::GLFW_BUTTONS,
  kJoyLast = glfw2::GLFW_JOYSTICK_LAST,
};
}  // namespace

#include <GLFW/glfw3.h>

#ifdef __EMSCRIPTEN__
#include <emscripten/html5.h>

#include <cstring>

// The page's GLFW predates the gamepad calls; the layout's numbers as GLFW 3.3 has them.
enum {
  GLFW_GAMEPAD_BUTTON_A, GLFW_GAMEPAD_BUTTON_B, GLFW_GAMEPAD_BUTTON_X, GLFW_GAMEPAD_BUTTON_Y,
  GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER, GLFW_GAMEPAD_BUTTON_BACK,
  GLFW_GAMEPAD_BUTTON_START, GLFW_GAMEPAD_BUTTON_GUIDE, GLFW_GAMEPAD_BUTTON_LEFT_THUMB,
  GLFW_GAMEPAD_BUTTON_RIGHT_THUMB, GLFW_GAMEPAD_BUTTON_DPAD_UP, GLFW_GAMEPAD_BUTTON_DPAD_RIGHT,
  GLFW_GAMEPAD_BUTTON_DPAD_DOWN, GLFW_GAMEPAD_BUTTON_DPAD_LEFT,
};
enum {
  GLFW_GAMEPAD_AXIS_LEFT_X, GLFW_GAMEPAD_AXIS_LEFT_Y, GLFW_GAMEPAD_AXIS_RIGHT_X,
  GLFW_GAMEPAD_AXIS_RIGHT_Y, GLFW_GAMEPAD_AXIS_LEFT_TRIGGER, GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER,
};
#endif

namespace {

constexpr int kMaxAxes = 32;
constexpr int kMaxButtons = 128;

// One reading of a joystick in 2.7 form.
struct Reading {
  int axisCount = 0;
  float axes[kMaxAxes] = {};
  int buttonCount = 0;
  unsigned char buttons[kMaxButtons] = {};
};

bool useFake = false;
bool plugged[kJoyLast + 1] = {};
glfw2_testing::FakeJoystick fakes[kJoyLast + 1];

// Output button i comes from GLFW 3 gamepad button kPadButtonFrom[i]: A B X Y, shoulders,
// back, start, d-pad left up right down, thumbs, guide.
constexpr int kPadButtonFrom[15] = {
    GLFW_GAMEPAD_BUTTON_A,          GLFW_GAMEPAD_BUTTON_B,
    GLFW_GAMEPAD_BUTTON_X,          GLFW_GAMEPAD_BUTTON_Y,
    GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER,
    GLFW_GAMEPAD_BUTTON_BACK,       GLFW_GAMEPAD_BUTTON_START,
    GLFW_GAMEPAD_BUTTON_DPAD_LEFT,  GLFW_GAMEPAD_BUTTON_DPAD_UP,
    GLFW_GAMEPAD_BUTTON_DPAD_RIGHT, GLFW_GAMEPAD_BUTTON_DPAD_DOWN,
    GLFW_GAMEPAD_BUTTON_LEFT_THUMB, GLFW_GAMEPAD_BUTTON_RIGHT_THUMB,
    GLFW_GAMEPAD_BUTTON_GUIDE,
};

// Six axes in the order the host's six-axis assignment expects (left x, left y, left
// trigger, right x, right y, right trigger), sticks with y up and triggers 0 at rest.
void FromGamepad(const float* axes, const unsigned char* buttons, Reading* out) {
  out->axisCount = 6;
  out->axes[0] = axes[GLFW_GAMEPAD_AXIS_LEFT_X];
  out->axes[1] = -axes[GLFW_GAMEPAD_AXIS_LEFT_Y];
  out->axes[2] = (axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] + 1) / 2;
  out->axes[3] = axes[GLFW_GAMEPAD_AXIS_RIGHT_X];
  out->axes[4] = -axes[GLFW_GAMEPAD_AXIS_RIGHT_Y];
  out->axes[5] = (axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] + 1) / 2;
  out->buttonCount = 15;
  for (int i = 0; i < 15; ++i) {
    out->buttons[i] = buttons[kPadButtonFrom[i]] == GLFW_PRESS ? kPress : kRelease;
  }
}

// An unmapped device as 2.7 presented it: its own axes with the odd (vertical) ones turned
// so positive is up, and its own buttons (hats follow as buttons, as GLFW 3 appends them).
void FromRaw(const float* axes, int axisCount, const unsigned char* buttons, int buttonCount,
             Reading* out) {
  out->axisCount = axisCount < kMaxAxes ? axisCount : kMaxAxes;
  for (int i = 0; i < out->axisCount; ++i) out->axes[i] = (i & 1) ? -axes[i] : axes[i];
  out->buttonCount = buttonCount < kMaxButtons ? buttonCount : kMaxButtons;
  for (int i = 0; i < out->buttonCount; ++i) {
    out->buttons[i] = buttons[i] == GLFW_PRESS ? kPress : kRelease;
  }
}

#ifdef __EMSCRIPTEN__
bool pageSampled = false;

// The browser's pad in slot joy. Its "standard" layout numbers buttons A B X Y, bumpers,
// triggers, back, start, thumbs, d-pad up down left right, guide; axes are the two sticks.
bool ReadPage(int joy, Reading* out) {
  EmscriptenGamepadEvent pad;
  if (!pageSampled || joy >= emscripten_get_num_gamepads() ||
      emscripten_get_gamepad_status(joy, &pad) != EMSCRIPTEN_RESULT_SUCCESS || !pad.connected) {
    return false;
  }
  if (std::strcmp(pad.mapping, "standard") == 0 && pad.numButtons >= 16 && pad.numAxes >= 4) {
    static const int kFrom[15] = {0, 1, 2, 3, 4, 5, 8, 9, 16, 10, 11, 12, 15, 13, 14};
    const float axes[6] = {static_cast<float>(pad.axis[0]), static_cast<float>(pad.axis[1]),
                           static_cast<float>(pad.axis[2]), static_cast<float>(pad.axis[3]),
                           static_cast<float>(pad.analogButton[6] * 2 - 1),
                           static_cast<float>(pad.analogButton[7] * 2 - 1)};
    unsigned char buttons[15];
    for (int i = 0; i < 15; ++i) {
      bool down = kFrom[i] < pad.numButtons && pad.digitalButton[kFrom[i]];
      buttons[i] = down ? GLFW_PRESS : GLFW_RELEASE;
    }
    FromGamepad(axes, buttons, out);
    return true;
  }
  float axes[kMaxAxes];
  unsigned char buttons[kMaxButtons];
  int axisCount = pad.numAxes < kMaxAxes ? pad.numAxes : kMaxAxes;
  int buttonCount = pad.numButtons < kMaxButtons ? pad.numButtons : kMaxButtons;
  for (int i = 0; i < axisCount; ++i) axes[i] = static_cast<float>(pad.axis[i]);
  for (int i = 0; i < buttonCount; ++i) buttons[i] = pad.digitalButton[i] ? GLFW_PRESS : GLFW_RELEASE;
  FromRaw(axes, axisCount, buttons, buttonCount, out);
  return true;
}
#endif

// False when there is no such joystick, or it vanished while being read.
bool Read(int joy, Reading* out) {
  if (joy < 0 || joy > kJoyLast) return false;
  if (useFake) {
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
#ifdef __EMSCRIPTEN__
  return glfw2_internal::Inited() && ReadPage(joy, out);
#else
  if (!glfw2_internal::Inited() || !glfwJoystickPresent(joy)) return false;
  GLFWgamepadstate state;
  if (glfwJoystickIsGamepad(joy) && glfwGetGamepadState(joy, &state)) {
    FromGamepad(state.axes, state.buttons, out);
    return true;
  }
  int axisCount = 0, buttonCount = 0;
  const float* axes = glfwGetJoystickAxes(joy, &axisCount);
  const unsigned char* buttons = glfwGetJoystickButtons(joy, &buttonCount);
  if (!axes || !buttons) return false;
  FromRaw(axes, axisCount, buttons, buttonCount, out);
  return true;
#endif
}

}  // namespace

#ifdef __EMSCRIPTEN__
void glfw2_internal::SampleGamepads() {
  pageSampled = emscripten_sample_gamepad_data() == EMSCRIPTEN_RESULT_SUCCESS;
}
#endif

void glfw2_internal::ResetJoysticks() {
  useFake = false;
  for (int i = 0; i <= kJoyLast; ++i) {
    plugged[i] = false;
    fakes[i] = glfw2_testing::FakeJoystick();
  }
}

namespace glfw2 {

int glfwGetJoystickParam(int joy, int param) {
  Reading r;
  if (!Read(joy, &r)) return 0;
  switch (param) {
    case kPresent: return 1;
    case kAxes: return r.axisCount;
    case kButtons: return r.buttonCount;
    default: return 0;
  }
}

int glfwGetJoystickPos(int joy, float* pos, int numaxes) {
  Reading r;
  if (!pos || numaxes <= 0 || !Read(joy, &r)) return 0;
  int n = numaxes < r.axisCount ? numaxes : r.axisCount;
  for (int i = 0; i < n; ++i) pos[i] = r.axes[i];
  return n;
}

int glfwGetJoystickButtons(int joy, unsigned char* buttons, int numbuttons) {
  Reading r;
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
