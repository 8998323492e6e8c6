// Test hooks of the window-library facade (host/glfw2.cpp): an injected clock, a headless
// window that needs no display (host/glfw2_headless.cpp, desktop build only), the size
// reported while no window is open, fake joysticks, and a way to deliver GLFW 3-style input
// events through the facade's own callbacks.
// Used by the host's tests and the headless harnesses of the layers above; never by the game.
#pragma once
#include <functional>
#include <vector>

namespace glfw2_testing {

// Replaces the real timer: glfwGetTime returns Now(), glfwSleep calls Sleep(), and
// glfwWaitEvents calls WaitEvents() instead of blocking. The clock must outlive its use.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual double Now() = 0;
  virtual void Sleep(double seconds) = 0;
  virtual void WaitEvents() = 0;
};
// Null restores the real timer.
void SetClock(Clock* clock);

// A manual clock: time moves only when the test (or a sleep or wait) moves it.
class ManualClock : public Clock {
 public:
  double now = 0;
  double waitStep = 0;  // how far each glfwWaitEvents moves time
  int sleeps = 0;
  int waits = 0;
  double Now() override { return now; }
  void Sleep(double seconds) override {
    ++sleeps;
    if (seconds > 0) now += seconds;
  }
  void WaitEvents() override {
    ++waits;
    now += waitStep;
  }
};

// Headless mode: glfwInit always succeeds and glfwOpenWindow makes a pretend window with no
// context, so the host's loop runs without a display. Its desktop is 1280 x 720 with 8 bits
// per channel (full screen takes that size); its video modes are a 640 x 480 16-bit mode and
// the desktop. Off by default.
void SetHeadless(bool headless);
// Focus and minimised state of the headless window (a new one starts active, not iconified).
void SetHeadlessWindowState(bool active, bool iconified);
// Whether the headless window shows its last picture through renders that draw nothing, as a
// page's canvas does (off by default, as on the desktop).
void SetHeadlessKeepsLastPicture(bool keeps);

// Called at the start of every glfwPollEvents and glfwWaitEvents, where a test can feed
// events, change the headless window's state or close it. An empty function removes it.
void SetEventHook(std::function<void()> hook);

// What glfwGetWindowSize reports while no window is open (0 x 0 unless set).
void SetClosedWindowSize(int width, int height);

// A joystick as GLFW 3 would present it. A device with a gamepad mapping also carries the
// mapped state in GLFW 3's gamepad layout (buttons A B X Y LB RB back start guide, left and
// right thumb, d-pad up right down left; axes LX LY RX RY LT RT, y positive down, triggers
// -1 at rest). Other devices carry their raw axes and buttons.
struct FakeJoystick {
  std::vector<float> axes;
  std::vector<unsigned char> buttons;
  bool gamepad = false;
  float gamepadAxes[6] = {0, 0, 0, 0, -1, -1};
  unsigned char gamepadButtons[15] = {};
};
// While on, joysticks come from the fake slots below instead of the system. Off by default.
void UseFakeJoysticks(bool on);
void PlugFakeJoystick(int joy, const FakeJoystick& stick);
void UnplugFakeJoystick(int joy);

// GLFW 3-style input delivered through the facade exactly as a window's callbacks would
// deliver it (key codes, actions 0 release / 1 press / 2 repeat, and modifiers as GLFW 3).
void FeedKey(int glfw3Key, int scancode, int action, int mods);
void FeedChar(unsigned int codepoint);
void FeedMouseButton(int button, int action, int mods);
void FeedCursorPos(double x, double y);
// A close request from the window manager. Returns true when the installed close callback
// let the window close (it then closes at the end of the current or next event poll).
bool FeedCloseRequest();

// Everything above back to its default, fake joysticks unplugged.
void Reset();

}  // namespace glfw2_testing
