// The window's platform contract: what a backend under the GLFW 2.7-style facade
// (host/glfw2.cpp) must provide, and what the facade offers back to it. One backend per
// platform, chosen by the build: host/glfw2_desktop.cpp (GLFW 3, host/CMakeLists.txt) and
// host/web/web_window.cpp (the page's canvas, host/web/web.cmake); the desktop build also
// has host/glfw2_headless.cpp, which the tests switch to at run time. A new port starts here.
#pragma once
#include "host/glfw2.h"

namespace glfw2_internal {

// What glfwOpenWindow asks for. Bit counts of 0 take what the platform gives; the hints
// are the ones set with glfwOpenWindowHint for this one opening.
struct OpenRequest {
  int width = 0, height = 0;
  int redBits = 0, greenBits = 0, blueBits = 0, alphaBits = 0, depthBits = 0,
      stencilBits = 0;
  bool fullscreen = false;
  bool noResize = false;
  int refreshRate = 0;  // a full-screen refresh rate to ask for when the desktop has none
  int samples = 0;
};

// One reading of a joystick in 2.7 form.
struct JoystickReading {
  static constexpr int kMaxAxes = 32;
  static constexpr int kMaxButtons = 128;
  int axisCount = 0;
  float axes[kMaxAxes] = {};
  int buttonCount = 0;
  unsigned char buttons[kMaxButtons] = {};
};

// The pad layout a gamepad reading starts from (GLFW 3's numbering, with GLFW 3's values:
// sticks y positive down, triggers -1 at rest, buttons 1 when pressed).
enum PadButton {
  kPadA, kPadB, kPadX, kPadY, kPadLeftBumper, kPadRightBumper, kPadBack, kPadStart, kPadGuide,
  kPadLeftThumb, kPadRightThumb, kPadDpadUp, kPadDpadRight, kPadDpadDown, kPadDpadLeft,
  kPadButtonCount
};
enum PadAxis {
  kPadLeftX, kPadLeftY, kPadRightX, kPadRightY, kPadLeftTrigger, kPadRightTrigger, kPadAxisCount
};

class Backend {
 public:
  virtual ~Backend() = default;

  // Starts the window system: false when there is no display. Terminate ends it; the
  // facade closes the window first.
  virtual bool Init() = 0;
  virtual void Terminate() = 0;

  // Opens the one window with a current OpenGL context, and from then on delivers its
  // events through the entry points below. Called only after Init and while IsOpen is
  // false; false when no window can be made. Full screen is the platform's own: the
  // display's current mode, never a mode switch (on a page, the browser's).
  virtual bool Open(const OpenRequest& request) = 0;
  // Closes it (a platform that cannot give its window back may keep it, and its context,
  // for the next Open). IsOpen says whether the game has a window now.
  virtual void Close() = 0;
  virtual bool IsOpen() = 0;

  // The window's calls; each does nothing while there is no window. GetSize leaves its
  // arguments alone then, so the facade's closed-window size stands.
  virtual void SetTitle(const char* title) = 0;
  virtual void GetSize(int* width, int* height) = 0;
  virtual void SetSize(int width, int height) = 0;
  virtual void SetPos(int x, int y) = 0;
  virtual void Iconify() = 0;
  virtual void Restore() = 0;
  virtual void SwapBuffers() = 0;
  // Whether the window goes on showing its last picture through frames that draw nothing:
  // true for a page, whose canvas is shown again until it is drawn into; a desktop window's
  // back buffer is undefined after a swap, so every frame there draws all of its picture.
  virtual bool KeepsLastPicture() { return false; }
  virtual void SwapInterval(int interval) = 0;

  // The open window's state, asked several times per pass of the loop, so cheap: whether
  // it has the keyboard (or is the page on show), is minimised, its display's refresh rate
  // (0 unknown) and whether it refuses resizing.
  virtual bool Active() = 0;
  virtual bool Iconified() = 0;
  virtual int RefreshRate() = 0;
  virtual bool NoResize() = 0;

  // The display's modes, largest count maxcount (at least 1), and its current mode; zeros
  // and no modes before Init.
  virtual int VideoModes(glfw2::GLFWvidmode* list, int maxcount) = 0;
  virtual void DesktopMode(glfw2::GLFWvidmode* mode) = 0;

  // Delivers the events that are waiting; WaitEvents first waits for one.
  virtual void PollEvents() = 0;
  virtual void WaitEvents() = 0;

  // Input state asked of the window itself. Without a window (or without a window system)
  // KeyDown and MouseDown give back the facade's record of the delivered events, passed in,
  // and CursorPos leaves the recorded position it is given.
  virtual bool KeyDown(int key, bool recorded) = 0;
  virtual bool MouseDown(int button, bool recorded) = 0;
  virtual void CursorPos(double* x, double* y) = 0;
  virtual void SetCursorPos(double x, double y) = 0;
  // The pointer shown or hidden over the window, and sticky keys and buttons, as enabled.
  virtual void ApplyInputModes(bool cursorVisible, bool stickyKeys, bool stickyMouse) = 0;

  // GL entry points and extensions of the open window's context (null and 0 without one).
  virtual void* ProcAddress(const char* name) = 0;
  virtual bool ExtensionSupported(const char* name) = 0;

  // Reads joystick joy (0 to GLFW_JOYSTICK_LAST) afresh, so pads come and go between
  // reads; false when there is none. FromGamepad and FromRaw below make the reading.
  virtual bool ReadJoystick(int joy, JoystickReading* out) = 0;
};

// The build's own backend, which the facade uses unless switched.
Backend* PlatformBackend();
// Switches the facade to another backend (null: the platform's), ending the one in use.
void UseBackend(Backend* backend);

// The facade's entry points for a backend's window events, in GLFW 3's terms (key codes,
// actions 0 release, 1 press, 2 repeat). CloseRequest returns whether the game lets the
// window close; it then closes at the end of the event poll, never inside a callback.
void KeyInput(int key3, int action3);
void CharInput(unsigned int codepoint);
void MouseButtonInput(int button, int action3);
void CursorInput(double x, double y);
bool CloseRequest();
void SizeInput(int width, int height);
void RefreshInput();

// GLFW 3 key codes to 2.7 key numbers (GLFW_KEY_UNKNOWN when 2.7 has no such key), and
// 2.7 numbers back to GLFW 3 codes (GLFW 3's unknown key, -1, when there is none); for the
// backends over GLFW 3 (host/glfw2_glfw3.cpp).
int KeyFrom3(int key);
int KeyTo3(int key);

// The facade's own, between its files: the backend's joystick while the window system is
// started, and fake joysticks off and unplugged (its test reset).
bool ReadBackendJoystick(int joy, JoystickReading* out);
void ResetJoysticks();

// A joystick reading from a mapped pad (axes and buttons in the PadAxis and PadButton
// order), or from an unmapped device's own axes and buttons (1 for pressed).
void FromGamepad(const float* axes, const unsigned char* buttons, JoystickReading* out);
void FromRaw(const float* axes, int axisCount, const unsigned char* buttons, int buttonCount,
             JoystickReading* out);

}  // namespace glfw2_internal
