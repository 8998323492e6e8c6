// The GLFW 2.7-style facade, the part every platform shares: one implicit window, 2.7 key
// numbers, a close callback that can keep the window, key repeat, the clock, and the test
// hooks of host/glfw2_testing.h. The window itself is the platform's backend
// (host/glfw2_backend.h). Called by the host (host/glfw_game.cpp and its loops).
// Joysticks are in host/glfw2_joystick.cpp.
#include "host/glfw2.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <utility>

#include "host/glfw2_backend.h"
#include "host/glfw2_testing.h"

namespace {

// GLFW 3's input actions, as backends and test hooks deliver them.
constexpr int kPress3 = 1, kRepeat3 = 2;

struct Facade {
  bool inited = false;
  glfw2_internal::Backend* backend = nullptr;  // null: the platform's
  int bits[6] = {};  // red, green, blue, alpha, depth, stencil of the open window
  // Hints for the next glfwOpenWindow only.
  int hintNoResize = 0, hintRefresh = 0, hintSamples = 0;

  glfw2::GLFWwindowsizefun sizefun = nullptr;
  glfw2::GLFWwindowclosefun closefun = nullptr;
  glfw2::GLFWwindowrefreshfun refreshfun = nullptr;
  glfw2::GLFWkeyfun keyfun = nullptr;
  glfw2::GLFWcharfun charfun = nullptr;
  glfw2::GLFWmousebuttonfun mousebuttonfun = nullptr;
  glfw2::GLFWmouseposfun mouseposfun = nullptr;

  bool keyRepeat = false, autoPoll = true, cursorVisible = true;
  bool stickyKeys = false, stickyMouse = false;
  bool closePending = false;
  bool lastKeyWasRepeat = false;

  // Input as delivered, for a backend with no window to ask.
  unsigned char keyDown[glfw2::GLFW_KEY_LAST + 1] = {};
  unsigned char mouseDown[glfw2::GLFW_MOUSE_BUTTON_LAST + 1] = {};
  double mouseX = 0, mouseY = 0;

  std::chrono::steady_clock::time_point epoch = std::chrono::steady_clock::now();
  glfw2_testing::Clock* clock = nullptr;
  std::function<void()> hook;
  int closedW = 0, closedH = 0;
};

Facade f;

glfw2_internal::Backend& B() {
  return f.backend ? *f.backend : *glfw2_internal::PlatformBackend();
}

void ApplyInputModes() { B().ApplyInputModes(f.cursorVisible, f.stickyKeys, f.stickyMouse); }

void ClearInput() {
  std::memset(f.keyDown, 0, sizeof f.keyDown);
  std::memset(f.mouseDown, 0, sizeof f.mouseDown);
}

void FinishPoll() {
  if (f.closePending) {
    f.closePending = false;
    glfw2::glfwCloseWindow();
  }
}

void RunHook() {
  if (f.hook) {
    auto hook = f.hook;  // the hook may replace itself
    hook();
  }
}

}  // namespace

namespace glfw2_internal {

void UseBackend(Backend* backend) {
  if (f.backend == backend) return;
  glfw2::glfwTerminate();
  f.backend = backend;
}

void KeyInput(int key3, int action3) {
  int k = KeyFrom3(key3);
  f.lastKeyWasRepeat = action3 == kRepeat3;
  if (k < 0) return;
  bool press = action3 == kPress3;
  if (action3 == kRepeat3) {
    if (!f.keyRepeat) return;
    press = true;
  }
  f.keyDown[k] = press;
  if (f.keyfun) f.keyfun(k, press ? glfw2::GLFW_PRESS : glfw2::GLFW_RELEASE);
}

void CharInput(unsigned int codepoint) {
  // GLFW 3 types characters on every auto-repeat; 2.7 only while key repeat is on.
  bool repeat = f.lastKeyWasRepeat;
  f.lastKeyWasRepeat = false;
  if (repeat && !f.keyRepeat) return;
  if (f.charfun) f.charfun(static_cast<int>(codepoint), glfw2::GLFW_PRESS);
}

void MouseButtonInput(int button, int action3) {
  if (button < 0 || button > glfw2::GLFW_MOUSE_BUTTON_LAST) return;
  bool press = action3 == kPress3;
  f.mouseDown[button] = press;
  if (f.mousebuttonfun) f.mousebuttonfun(button, press ? glfw2::GLFW_PRESS : glfw2::GLFW_RELEASE);
}

void CursorInput(double x, double y) {
  f.mouseX = x;
  f.mouseY = y;
  if (f.mouseposfun) {
    f.mouseposfun(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
  }
}

bool CloseRequest() {
  bool close = !f.closefun || f.closefun() != 0;
  if (close) f.closePending = true;
  return close;
}

void SizeInput(int width, int height) {
  if (f.sizefun) f.sizefun(width, height);
}

void RefreshInput() {
  if (f.refreshfun) f.refreshfun();
}

bool ReadBackendJoystick(int joy, JoystickReading* out) {
  return f.inited && B().ReadJoystick(joy, out);
}

}  // namespace glfw2_internal

namespace glfw2 {

int glfwInit() {
  if (f.inited) return 1;
  if (!B().Init()) return 0;
  f.inited = true;
  f.epoch = std::chrono::steady_clock::now();
  return 1;
}

void glfwTerminate() {
  if (!f.inited) return;
  glfwCloseWindow();
  B().Terminate();
  f.inited = false;
}

int glfwOpenWindow(int width, int height, int redbits, int greenbits, int bluebits,
                   int alphabits, int depthbits, int stencilbits, int mode) {
  if (!f.inited || B().IsOpen()) return 0;
  glfw2_internal::OpenRequest r;
  r.width = width;
  r.height = height;
  r.redBits = redbits;
  r.greenBits = greenbits;
  r.blueBits = bluebits;
  r.alphaBits = alphabits;
  r.depthBits = depthbits;
  r.stencilBits = stencilbits;
  r.fullscreen = mode == GLFW_FULLSCREEN;
  r.noResize = f.hintNoResize != 0;
  r.refreshRate = f.hintRefresh;
  r.samples = f.hintSamples;
  f.hintNoResize = f.hintRefresh = f.hintSamples = 0;
  if (!B().Open(r)) return 0;
  ApplyInputModes();
  const int bits[6] = {redbits, greenbits, bluebits, alphabits, depthbits, stencilbits};
  std::memcpy(f.bits, bits, sizeof bits);
  ClearInput();
  return 1;
}

void glfwOpenWindowHint(int target, int hint) {
  if (target == GLFW_WINDOW_NO_RESIZE) f.hintNoResize = hint;
  else if (target == GLFW_REFRESH_RATE) f.hintRefresh = hint;
  else if (target == GLFW_FSAA_SAMPLES) f.hintSamples = hint;
}

void glfwCloseWindow() {
  B().Close();
  f.closePending = false;
  ClearInput();
}

void glfwSetWindowTitle(const char* title) { B().SetTitle(title); }

void glfwGetWindowSize(int* width, int* height) {
  int w = f.closedW, h = f.closedH;
  B().GetSize(&w, &h);
  if (width) *width = w;
  if (height) *height = h;
}

void glfwSetWindowSize(int width, int height) { B().SetSize(width, height); }
void glfwSetWindowPos(int x, int y) { B().SetPos(x, y); }
void glfwIconifyWindow() { B().Iconify(); }
void glfwRestoreWindow() { B().Restore(); }

void glfwSwapBuffers() {
  B().SwapBuffers();
  if (f.autoPoll) glfwPollEvents();
}

void glfwSwapInterval(int interval) { B().SwapInterval(interval); }

int glfwKeepsLastPicture() { return B().KeepsLastPicture() ? 1 : 0; }

int glfwGetWindowParam(int param) {
  glfw2_internal::Backend& b = B();
  if (param == GLFW_OPENED) return b.IsOpen() ? 1 : 0;
  if (!b.IsOpen()) return 0;
  switch (param) {
    case GLFW_ACTIVE: return b.Active() ? 1 : 0;
    case GLFW_ICONIFIED: return b.Iconified() ? 1 : 0;
    case GLFW_ACCELERATED: return 1;
    case GLFW_RED_BITS: return f.bits[0];
    case GLFW_GREEN_BITS: return f.bits[1];
    case GLFW_BLUE_BITS: return f.bits[2];
    case GLFW_ALPHA_BITS: return f.bits[3];
    case GLFW_DEPTH_BITS: return f.bits[4];
    case GLFW_STENCIL_BITS: return f.bits[5];
    case GLFW_REFRESH_RATE: return b.RefreshRate();
    case GLFW_WINDOW_NO_RESIZE: return b.NoResize() ? 1 : 0;
    default: return 0;
  }
}

void glfwSetWindowSizeCallback(GLFWwindowsizefun cbfun) { f.sizefun = cbfun; }
void glfwSetWindowCloseCallback(GLFWwindowclosefun cbfun) { f.closefun = cbfun; }
void glfwSetWindowRefreshCallback(GLFWwindowrefreshfun cbfun) { f.refreshfun = cbfun; }

int glfwGetVideoModes(GLFWvidmode* list, int maxcount) {
  if (!list || maxcount <= 0) return 0;
  return B().VideoModes(list, maxcount);
}

void glfwGetDesktopMode(GLFWvidmode* mode) {
  if (!mode) return;
  *mode = GLFWvidmode{0, 0, 0, 0, 0};
  B().DesktopMode(mode);
}

void glfwPollEvents() {
  RunHook();
  if (f.inited) B().PollEvents();
  FinishPoll();
}

void glfwWaitEvents() {
  if (f.clock) {
    f.clock->WaitEvents();
    RunHook();
    if (f.inited) B().PollEvents();
  } else {
    RunHook();
    if (f.inited) B().WaitEvents();
  }
  FinishPoll();
}

int glfwGetKey(int key) {
  if (key < 0 || key > GLFW_KEY_LAST) return GLFW_RELEASE;
  return B().KeyDown(key, f.keyDown[key] != 0) ? GLFW_PRESS : GLFW_RELEASE;
}

int glfwGetMouseButton(int button) {
  if (button < 0 || button > GLFW_MOUSE_BUTTON_LAST) return GLFW_RELEASE;
  return B().MouseDown(button, f.mouseDown[button] != 0) ? GLFW_PRESS : GLFW_RELEASE;
}

void glfwGetMousePos(int* xpos, int* ypos) {
  double x = f.mouseX, y = f.mouseY;
  B().CursorPos(&x, &y);
  if (xpos) *xpos = static_cast<int>(std::floor(x));
  if (ypos) *ypos = static_cast<int>(std::floor(y));
}

void glfwSetMousePos(int xpos, int ypos) {
  f.mouseX = xpos;
  f.mouseY = ypos;
  B().SetCursorPos(xpos, ypos);
}

void glfwSetKeyCallback(GLFWkeyfun cbfun) { f.keyfun = cbfun; }
void glfwSetCharCallback(GLFWcharfun cbfun) { f.charfun = cbfun; }
void glfwSetMouseButtonCallback(GLFWmousebuttonfun cbfun) { f.mousebuttonfun = cbfun; }
void glfwSetMousePosCallback(GLFWmouseposfun cbfun) { f.mouseposfun = cbfun; }

double glfwGetTime() {
  if (f.clock) return f.clock->Now();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - f.epoch).count();
}

void glfwSetTime(double time) {
  if (f.clock) return;
  f.epoch = std::chrono::steady_clock::now() -
            std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                std::chrono::duration<double>(time));
}

void glfwSleep(double time) {
  if (f.clock) {
    f.clock->Sleep(time);
    return;
  }
  if (!(time > 0)) return;
  struct timespec ts;
  ts.tv_sec = static_cast<time_t>(time);
  ts.tv_nsec = static_cast<long>((time - static_cast<double>(ts.tv_sec)) * 1e9);
  while (nanosleep(&ts, &ts) != 0) {
  }
}

void glfwEnable(int token) {
  switch (token) {
    case GLFW_MOUSE_CURSOR: f.cursorVisible = true; break;
    case GLFW_STICKY_KEYS: f.stickyKeys = true; break;
    case GLFW_STICKY_MOUSE_BUTTONS: f.stickyMouse = true; break;
    case GLFW_KEY_REPEAT: f.keyRepeat = true; break;
    case GLFW_AUTO_POLL_EVENTS: f.autoPoll = true; break;
    default: break;
  }
  ApplyInputModes();
}

void glfwDisable(int token) {
  switch (token) {
    // 2.7 also captured the pointer here; the host only wants it out of sight.
    case GLFW_MOUSE_CURSOR: f.cursorVisible = false; break;
    case GLFW_STICKY_KEYS: f.stickyKeys = false; break;
    case GLFW_STICKY_MOUSE_BUTTONS: f.stickyMouse = false; break;
    case GLFW_KEY_REPEAT: f.keyRepeat = false; break;
    case GLFW_AUTO_POLL_EVENTS: f.autoPoll = false; break;
    default: break;
  }
  ApplyInputModes();
}

void* glfwGetProcAddress(const char* procname) { return B().ProcAddress(procname); }

int glfwExtensionSupported(const char* extension) {
  return B().ExtensionSupported(extension) ? 1 : 0;
}

}  // namespace glfw2

namespace glfw2_testing {

void SetClock(Clock* clock) { f.clock = clock; }

void SetEventHook(std::function<void()> hook) { f.hook = std::move(hook); }

void SetClosedWindowSize(int width, int height) {
  f.closedW = width;
  f.closedH = height;
}

void FeedKey(int glfw3Key, int, int action, int) { glfw2_internal::KeyInput(glfw3Key, action); }
void FeedChar(unsigned int codepoint) { glfw2_internal::CharInput(codepoint); }
void FeedMouseButton(int button, int action, int) {
  glfw2_internal::MouseButtonInput(button, action);
}
void FeedCursorPos(double x, double y) { glfw2_internal::CursorInput(x, y); }
bool FeedCloseRequest() { return glfw2_internal::CloseRequest(); }

void Reset() {
  glfw2::glfwTerminate();
  glfw2_internal::ResetJoysticks();
  Facade fresh;
  f = std::move(fresh);
}

}  // namespace glfw2_testing
