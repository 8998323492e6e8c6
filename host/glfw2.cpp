// The GLFW 2.7-style facade over GLFW 3: one implicit window, 2.7 key numbers, a close
// callback that can keep the window, and the test hooks of host/glfw2_testing.h. Called by
// the host (host/glfw_game.cpp) and, for the window size, by the graphics device.
// Joysticks are in host/glfw2_joystick.cpp, the key numbering in host/glfw2_keys.cpp.
// In a page (Emscripten's GLFW 3) the window is the page's canvas: it keeps its size and
// GL context for the page's life, full screen is the browser's, and it has no close box.
#include "host/glfw2.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "host/glfw2_testing.h"
#include "runtime/file_read.h"

// GLFW 3 defines macros with many of the 2.7 names; take the 2.7 values first.
namespace {
namespace k2 {
using namespace glfw2;
enum {
  Press = GLFW_PRESS,
  Release = GLFW_RELEASE,
  KeyLast = GLFW_KEY_LAST,
  MouseLast = GLFW_MOUSE_BUTTON_LAST,
  Opened = GLFW_OPENED,
  Active = GLFW_ACTIVE,
  Iconified = GLFW_ICONIFIED,
  Accelerated = GLFW_ACCELERATED,
  RedBits = GLFW_RED_BITS,
  GreenBits = GLFW_GREEN_BITS,
  BlueBits = GLFW_BLUE_BITS,
  AlphaBits = GLFW_ALPHA_BITS,
  DepthBits = GLFW_DEPTH_BITS,
  StencilBits = GLFW_STENCIL_BITS,
  RefreshRate = GLFW_REFRESH_RATE,
  NoResize = GLFW_WINDOW_NO_RESIZE,
  FsaaSamples = GLFW_FSAA_SAMPLES,
  Fullscreen = GLFW_FULLSCREEN,
  MouseCursor = GLFW_MOUSE_CURSOR,
  StickyKeys = GLFW_STICKY_KEYS,
  StickyMouse = GLFW_STICKY_MOUSE_BUTTONS,
  KeyRepeat = GLFW_KEY_REPEAT,
  AutoPoll = GLFW_AUTO_POLL_EVENTS,
};
}  // namespace k2
}  // namespace

#include <GLFW/glfw3.h>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#include <emscripten/html5.h>
#endif

#include "host/glfw2_internal.h"

namespace {

// The headless window's pretend desktop.
constexpr int kHeadlessDesktopW = 1280, kHeadlessDesktopH = 720;

struct Facade {
  bool inited = false;
  bool headless = false;
  GLFWwindow* window = nullptr;
  bool headlessOpen = false;
  bool headlessActive = true, headlessIconified = false;
  // Focus and minimised state of the real window as its events report them (as 2.7 kept
  // them), so the loop's three window queries per pass cost no trip to the X server.
  bool focused = false, iconified = false;
  int width = 0, height = 0;  // headless window size
  bool fullscreen = false;
  bool pageWindowClosed = false;  // a page's window is kept while the host has it closed
  bool fullscreenKeyDown = false;  // the page's full-screen key, pressed for the game
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

  // Headless input state (a real window is asked directly).
  unsigned char keyDown[k2::KeyLast + 1] = {};
  unsigned char mouseDown[k2::MouseLast + 1] = {};
  double mouseX = 0, mouseY = 0;

  std::chrono::steady_clock::time_point epoch = std::chrono::steady_clock::now();
  glfw2_testing::Clock* clock = nullptr;
  std::function<void()> hook;
  int closedW = 0, closedH = 0;
};

Facade f;

bool IsOpen() { return (f.window != nullptr && !f.pageWindowClosed) || f.headlessOpen; }

#ifdef __EMSCRIPTEN__
// The canvas's size in its own pixels; the page keeps it at the size of the browser window.
void PageSize(int* width, int* height) {
  emscripten_get_canvas_element_size("#canvas", width, height);
}

// Full screen is the whole page, which the canvas fills. The browser allows it only shortly
// after a key press or click, which is when the game asks for it. Until the browser has
// answered, the page's state is not yet the one asked for (Module.vgFullscreenBusy).
void PageFullscreen(bool on) {
  EM_ASM(
      {
        var d = document;
        function done() { Module.vgFullscreenBusy = false; }
        if ($0 && !d.fullscreenElement && d.documentElement.requestFullscreen) {
          Module.vgFullscreenBusy = true;
          d.documentElement.requestFullscreen().then(done, done);
        } else if (!$0 && d.fullscreenElement) {
          Module.vgFullscreenBusy = true;
          d.exitFullscreen().then(done, done);
        }
      },
      on);
}

void OnKey3(GLFWwindow*, int key, int, int action, int);

// The browser leaves full screen on its own (Esc, its menus) and may refuse to enter it.
// The game then hears its own full-screen key, pressed in one poll and released in the
// next, so that its setting (and the options box) says what the page shows.
void FollowPageFullscreen() {
  if (f.fullscreenKeyDown) {
    f.fullscreenKeyDown = false;
    OnKey3(f.window, GLFW_KEY_F11, 0, GLFW_RELEASE, 0);
    return;
  }
  if (!f.window || f.pageWindowClosed) return;
  int shown = EM_ASM_INT({
    if (Module.vgFullscreenBusy) return -1;
    return document.fullscreenElement ? 1 : 0;
  });
  if (shown < 0 || (shown == 1) == f.fullscreen) return;
  f.fullscreenKeyDown = true;
  OnKey3(f.window, GLFW_KEY_F11, 0, GLFW_PRESS, 0);
}

bool PageHidden() {
  EmscriptenVisibilityChangeEvent state;
  return emscripten_get_visibility_status(&state) == EMSCRIPTEN_RESULT_SUCCESS && state.hidden;
}
#endif

void ApplyInputModes() {
  if (!f.window) return;
#ifdef __EMSCRIPTEN__
  // The page's GLFW knows neither a hidden pointer nor sticky input; the canvas's style
  // hides the pointer, and sticky state is never read in a page.
  EM_ASM({ Module["canvas"].style.cursor = $0 ? "" : "none"; }, f.cursorVisible);
  return;
#endif

  glfwSetInputMode(f.window, GLFW_CURSOR, f.cursorVisible ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_HIDDEN);
  glfwSetInputMode(f.window, GLFW_STICKY_KEYS, f.stickyKeys ? GLFW_TRUE : GLFW_FALSE);
  glfwSetInputMode(f.window, GLFW_STICKY_MOUSE_BUTTONS, f.stickyMouse ? GLFW_TRUE : GLFW_FALSE);
}

// The GLFW 3 callbacks; test feeding calls them too, with a null window.
void OnKey3(GLFWwindow*, int key, int, int action, int) {
  int k = glfw2_internal::KeyFrom3(key);
  f.lastKeyWasRepeat = action == GLFW_REPEAT;
  if (k < 0) return;
  if (action == GLFW_REPEAT) {
    if (!f.keyRepeat) return;
    action = k2::Press;
  }
  f.keyDown[k] = action == k2::Press;
  if (f.keyfun) f.keyfun(k, action == k2::Press ? k2::Press : k2::Release);
}

void OnChar3(GLFWwindow*, unsigned int codepoint) {
  // GLFW 3 types characters on every auto-repeat; 2.7 only while key repeat is on.
  bool repeat = f.lastKeyWasRepeat;
  f.lastKeyWasRepeat = false;
  if (repeat && !f.keyRepeat) return;
  if (f.charfun) f.charfun(static_cast<int>(codepoint), k2::Press);
}

void OnMouseButton3(GLFWwindow*, int button, int action, int) {
  if (button < 0 || button > k2::MouseLast) return;
  f.mouseDown[button] = action == GLFW_PRESS;
  if (f.mousebuttonfun) f.mousebuttonfun(button, action == GLFW_PRESS ? k2::Press : k2::Release);
}

void OnCursorPos3(GLFWwindow*, double x, double y) {
  f.mouseX = x;
  f.mouseY = y;
  if (f.mouseposfun) {
    f.mouseposfun(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
  }
}

// Returns whether the close goes ahead; the window itself closes after the event poll, so a
// callback never runs on a destroyed window.
bool DeliverClose() {
  bool close = !f.closefun || f.closefun() != 0;
  if (close) f.closePending = true;
  return close;
}

#ifndef __EMSCRIPTEN__
void OnClose3(GLFWwindow* window) {
  if (!DeliverClose()) glfwSetWindowShouldClose(window, GLFW_FALSE);
}
#endif

void OnSize3(GLFWwindow*, int w, int h) {
  if (f.sizefun) f.sizefun(w, h);
}

void OnFocus3(GLFWwindow*, int focused) { f.focused = focused == GLFW_TRUE; }
void OnIconify3(GLFWwindow*, int iconified) { f.iconified = iconified == GLFW_TRUE; }

void OnRefresh3(GLFWwindow*) {
  if (f.refreshfun) f.refreshfun();
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

// A page has no such file: the browser maps pads itself (host/glfw2_joystick.cpp).
void ReadGamepadMappings() {
#ifndef __EMSCRIPTEN__
  std::FILE* file = std::fopen("gamecontrollerdb.txt", "rb");
  if (!file) return;
  std::vector<unsigned char> bytes;
  vgReadRest(file, bytes);
  std::fclose(file);
  glfwUpdateGamepadMappings(std::string(bytes.begin(), bytes.end()).c_str());
#endif
}

}  // namespace

bool glfw2_internal::Inited() { return f.inited && !f.headless; }

namespace glfw2 {

int glfwInit() {
  if (f.inited) return 1;
  if (!f.headless) {
    if (::glfwInit() != GLFW_TRUE) return 0;
    ReadGamepadMappings();
  }
  f.inited = true;
  f.epoch = std::chrono::steady_clock::now();
  return 1;
}

void glfwTerminate() {
  if (!f.inited) return;
  glfwCloseWindow();
  if (!f.headless) ::glfwTerminate();
  f.inited = false;
}

int glfwOpenWindow(int width, int height, int redbits, int greenbits, int bluebits,
                   int alphabits, int depthbits, int stencilbits, int mode) {
  if (!f.inited || IsOpen()) return 0;
  bool full = mode == k2::Fullscreen;
  int bits[6] = {redbits, greenbits, bluebits, alphabits, depthbits, stencilbits};
  int noResize = f.hintNoResize, refresh = f.hintRefresh, samples = f.hintSamples;
  f.hintNoResize = f.hintRefresh = f.hintSamples = 0;
  if (f.headless) {
    f.headlessOpen = true;
    f.headlessActive = true;
    f.headlessIconified = false;
    f.width = full ? kHeadlessDesktopW : width;
    f.height = full ? kHeadlessDesktopH : height;
  } else {
#ifdef __EMSCRIPTEN__
    PageSize(&width, &height);
    if (f.window) {
      // The page's one window comes back with its context and textures as they were.
      f.pageWindowClosed = false;
      f.fullscreen = full;
      PageFullscreen(full);
      std::memcpy(f.bits, bits, sizeof bits);
      std::memset(f.keyDown, 0, sizeof f.keyDown);
      std::memset(f.mouseDown, 0, sizeof f.mouseDown);
      return 1;
    }
    full = false;  // never the page's GLFW full screen: it would lock the pointer
#endif
    ::glfwDefaultWindowHints();
    glfwWindowHint(GLFW_RED_BITS, redbits > 0 ? redbits : GLFW_DONT_CARE);
    glfwWindowHint(GLFW_GREEN_BITS, greenbits > 0 ? greenbits : GLFW_DONT_CARE);
    glfwWindowHint(GLFW_BLUE_BITS, bluebits > 0 ? bluebits : GLFW_DONT_CARE);
    glfwWindowHint(GLFW_ALPHA_BITS, alphabits);
    glfwWindowHint(GLFW_DEPTH_BITS, depthbits);
    glfwWindowHint(GLFW_STENCIL_BITS, stencilbits);
    glfwWindowHint(GLFW_RESIZABLE, noResize ? GLFW_FALSE : GLFW_TRUE);
    glfwWindowHint(GLFW_SAMPLES, samples);
    GLFWmonitor* monitor = nullptr;
    if (full) {
      // Full screen keeps the desktop's own mode, so the display never switches modes.
      monitor = glfwGetPrimaryMonitor();
      const ::GLFWvidmode* desk = monitor ? glfwGetVideoMode(monitor) : nullptr;
      if (desk) {
        width = desk->width;
        height = desk->height;
        glfwWindowHint(GLFW_REFRESH_RATE, desk->refreshRate);
      } else if (refresh > 0) {
        glfwWindowHint(GLFW_REFRESH_RATE, refresh);
      }
    }
    f.window = glfwCreateWindow(width, height, "", monitor, nullptr);
    if (!f.window) return 0;
#ifdef __EMSCRIPTEN__
    full = mode == k2::Fullscreen;
    PageFullscreen(full);
#endif
    glfwMakeContextCurrent(f.window);
    // GLFW 3 focuses a new window only in windowed mode; a full-screen one would otherwise
    // start without the keyboard (and the host would suspend the game at once) wherever no
    // window manager hands it the focus. 2.7's full-screen window took the focus itself.
    if (full) glfwFocusWindow(f.window);
    glfwSetKeyCallback(f.window, OnKey3);
    glfwSetCharCallback(f.window, OnChar3);
    glfwSetMouseButtonCallback(f.window, OnMouseButton3);
    glfwSetCursorPosCallback(f.window, OnCursorPos3);
#ifndef __EMSCRIPTEN__
    glfwSetWindowCloseCallback(f.window, OnClose3);
#endif
    glfwSetWindowSizeCallback(f.window, OnSize3);
    glfwSetWindowRefreshCallback(f.window, OnRefresh3);
    glfwSetWindowFocusCallback(f.window, OnFocus3);
    glfwSetWindowIconifyCallback(f.window, OnIconify3);
    f.focused = glfwGetWindowAttrib(f.window, GLFW_FOCUSED) == GLFW_TRUE;
    f.iconified = glfwGetWindowAttrib(f.window, GLFW_ICONIFIED) == GLFW_TRUE;
    ApplyInputModes();
  }
  f.fullscreen = full;
  std::memcpy(f.bits, bits, sizeof bits);
  std::memset(f.keyDown, 0, sizeof f.keyDown);
  std::memset(f.mouseDown, 0, sizeof f.mouseDown);
  return 1;
}

void glfwOpenWindowHint(int target, int hint) {
  if (target == k2::NoResize) f.hintNoResize = hint;
  else if (target == k2::RefreshRate) f.hintRefresh = hint;
  else if (target == k2::FsaaSamples) f.hintSamples = hint;
}

void glfwCloseWindow() {
#ifdef __EMSCRIPTEN__
  if (f.window && f.inited) {
    f.pageWindowClosed = true;
  } else
#endif
  if (f.window) {
    glfwDestroyWindow(f.window);
    f.window = nullptr;
  }
  f.headlessOpen = false;
  f.closePending = false;
  std::memset(f.keyDown, 0, sizeof f.keyDown);
  std::memset(f.mouseDown, 0, sizeof f.mouseDown);
}

void glfwSetWindowTitle(const char* title) {
  if (f.window) ::glfwSetWindowTitle(f.window, title);
}

void glfwGetWindowSize(int* width, int* height) {
  int w = f.closedW, h = f.closedH;
  if (f.window) {
#ifdef __EMSCRIPTEN__
    PageSize(&w, &h);
#else
    ::glfwGetWindowSize(f.window, &w, &h);
#endif
  } else if (f.headlessOpen) {
    w = f.width;
    h = f.height;
  }
  if (width) *width = w;
  if (height) *height = h;
}

void glfwSetWindowSize(int width, int height) {
#ifdef __EMSCRIPTEN__
  if (f.window) return;  // the page sizes its canvas to the browser window
#endif
  if (f.window) {
    ::glfwSetWindowSize(f.window, width, height);
  } else if (f.headlessOpen) {
    f.width = width;
    f.height = height;
  }
}

void glfwSetWindowPos(int x, int y) {
  if (f.window) ::glfwSetWindowPos(f.window, x, y);
}

void glfwIconifyWindow() {
  if (f.window) ::glfwIconifyWindow(f.window);
  else if (f.headlessOpen) f.headlessIconified = true;
}

void glfwRestoreWindow() {
  if (f.window) ::glfwRestoreWindow(f.window);
  else if (f.headlessOpen) f.headlessIconified = false;
}

void glfwSwapBuffers() {
  if (f.window) ::glfwSwapBuffers(f.window);
  if (f.autoPoll) glfwPollEvents();
}

void glfwSwapInterval(int interval) {
  if (f.window) ::glfwSwapInterval(interval);
}

int glfwGetWindowParam(int param) {
  if (param == k2::Opened) return IsOpen() ? 1 : 0;
  if (!IsOpen()) return 0;
  switch (param) {
#ifdef __EMSCRIPTEN__
    // A page is away while its tab is hidden; the browser reports no focus or minimising.
    case k2::Active:
      return (f.window ? !PageHidden() : f.headlessActive) ? 1 : 0;
    case k2::Iconified:
      return (f.window ? PageHidden() : f.headlessIconified) ? 1 : 0;
#else
    case k2::Active:
      return (f.window ? f.focused : f.headlessActive) ? 1 : 0;
    case k2::Iconified:
      return (f.window ? f.iconified : f.headlessIconified) ? 1 : 0;
#endif
    case k2::Accelerated: return 1;
    case k2::RedBits: return f.bits[0];
    case k2::GreenBits: return f.bits[1];
    case k2::BlueBits: return f.bits[2];
    case k2::AlphaBits: return f.bits[3];
    case k2::DepthBits: return f.bits[4];
    case k2::StencilBits: return f.bits[5];
    case k2::RefreshRate: {
#ifdef __EMSCRIPTEN__
      return 0;
#endif
      GLFWmonitor* monitor = f.window ? glfwGetWindowMonitor(f.window) : nullptr;
      const ::GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
      return mode ? mode->refreshRate : 0;
    }
    case k2::NoResize:
      if (f.window) return glfwGetWindowAttrib(f.window, GLFW_RESIZABLE) ? 0 : 1;
      return 0;
    default: return 0;
  }
}

void glfwSetWindowSizeCallback(GLFWwindowsizefun cbfun) { f.sizefun = cbfun; }
void glfwSetWindowCloseCallback(GLFWwindowclosefun cbfun) { f.closefun = cbfun; }
void glfwSetWindowRefreshCallback(GLFWwindowrefreshfun cbfun) { f.refreshfun = cbfun; }

int glfwGetVideoModes(GLFWvidmode* list, int maxcount) {
  if (!list || maxcount <= 0) return 0;
  if (f.headless) {
    // A 16-bit mode first (5 red, 5 blue, 6 green), then the desktop.
    const GLFWvidmode modes[2] = {{640, 480, 5, 5, 6},
                                  {kHeadlessDesktopW, kHeadlessDesktopH, 8, 8, 8}};
    int n = maxcount < 2 ? maxcount : 2;
    for (int i = 0; i < n; ++i) list[i] = modes[i];
    return n;
  }
  if (!f.inited) return 0;
#ifdef __EMSCRIPTEN__
  glfwGetDesktopMode(list);  // a page has one mode, the screen's
  return 1;
#endif
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  int count = 0;
  const ::GLFWvidmode* modes = monitor ? ::glfwGetVideoModes(monitor, &count) : nullptr;
  int n = 0;
  for (int i = 0; modes && i < count && n < maxcount; ++i) {
    GLFWvidmode m{modes[i].width, modes[i].height, modes[i].redBits, modes[i].blueBits,
                  modes[i].greenBits};
    // 2.7 modes carry no refresh rate, so modes differing only in it are one mode.
    if (n > 0 && std::memcmp(&list[n - 1], &m, sizeof m) == 0) continue;
    list[n++] = m;
  }
  return n;
}

void glfwGetDesktopMode(GLFWvidmode* mode) {
  if (!mode) return;
  *mode = GLFWvidmode{0, 0, 0, 0, 0};
  if (f.headless) {
    *mode = GLFWvidmode{kHeadlessDesktopW, kHeadlessDesktopH, 8, 8, 8};
    return;
  }
  if (!f.inited) return;
#ifdef __EMSCRIPTEN__
  mode->Width = EM_ASM_INT({ return screen.width; });
  mode->Height = EM_ASM_INT({ return screen.height; });
  mode->RedBits = mode->GreenBits = mode->BlueBits = 8;
  return;
#endif
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  const ::GLFWvidmode* m = monitor ? glfwGetVideoMode(monitor) : nullptr;
  if (m) *mode = GLFWvidmode{m->width, m->height, m->redBits, m->blueBits, m->greenBits};
}

void glfwPollEvents() {
  RunHook();
#ifdef __EMSCRIPTEN__
  // The page's events arrive between frames on their own; only the pads must be sampled.
  if (f.inited && !f.headless) {
    glfw2_internal::SampleGamepads();
    FollowPageFullscreen();
  }
#else
  if (f.inited && !f.headless) ::glfwPollEvents();
#endif
  FinishPoll();
}

void glfwWaitEvents() {
  if (f.clock) {
    f.clock->WaitEvents();
    RunHook();
    if (f.inited && !f.headless) ::glfwPollEvents();
  } else {
    RunHook();
    if (f.inited && !f.headless) ::glfwWaitEvents();
  }
  FinishPoll();
}

int glfwGetKey(int key) {
  if (key < 0 || key > k2::KeyLast) return k2::Release;
  if (f.window) {
    int k3 = glfw2_internal::KeyTo3(key);
    if (k3 == GLFW_KEY_UNKNOWN) return k2::Release;
    return ::glfwGetKey(f.window, k3) == GLFW_PRESS ? k2::Press : k2::Release;
  }
  return f.keyDown[key] ? k2::Press : k2::Release;
}

int glfwGetMouseButton(int button) {
  if (button < 0 || button > k2::MouseLast) return k2::Release;
  if (f.window) {
    return ::glfwGetMouseButton(f.window, button) == GLFW_PRESS ? k2::Press : k2::Release;
  }
  return f.mouseDown[button] ? k2::Press : k2::Release;
}

void glfwGetMousePos(int* xpos, int* ypos) {
  double x = f.mouseX, y = f.mouseY;
  if (f.window) glfwGetCursorPos(f.window, &x, &y);
  if (xpos) *xpos = static_cast<int>(std::floor(x));
  if (ypos) *ypos = static_cast<int>(std::floor(y));
}

void glfwSetMousePos(int xpos, int ypos) {
  f.mouseX = xpos;
  f.mouseY = ypos;
  if (f.window) glfwSetCursorPos(f.window, xpos, ypos);
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
    case k2::MouseCursor: f.cursorVisible = true; break;
    case k2::StickyKeys: f.stickyKeys = true; break;
    case k2::StickyMouse: f.stickyMouse = true; break;
    case k2::KeyRepeat: f.keyRepeat = true; break;
    case k2::AutoPoll: f.autoPoll = true; break;
    default: break;
  }
  ApplyInputModes();
}

void glfwDisable(int token) {
  switch (token) {
    // 2.7 also captured the pointer here; the host only wants it out of sight.
    case k2::MouseCursor: f.cursorVisible = false; break;
    case k2::StickyKeys: f.stickyKeys = false; break;
    case k2::StickyMouse: f.stickyMouse = false; break;
    case k2::KeyRepeat: f.keyRepeat = false; break;
    case k2::AutoPoll: f.autoPoll = false; break;
    default: break;
  }
  ApplyInputModes();
}

void* glfwGetProcAddress(const char* procname) {
  if (!f.window) return nullptr;
  return reinterpret_cast<void*>(::glfwGetProcAddress(procname));
}

int glfwExtensionSupported(const char* extension) {
  if (!f.window) return 0;
  return ::glfwExtensionSupported(extension) == GLFW_TRUE ? 1 : 0;
}

}  // namespace glfw2

namespace glfw2_testing {

void SetClock(Clock* clock) { f.clock = clock; }

void SetHeadless(bool headless) {
  if (f.headless == headless) return;
  glfw2::glfwTerminate();
  f.headless = headless;
}

void SetHeadlessWindowState(bool active, bool iconified) {
  f.headlessActive = active;
  f.headlessIconified = iconified;
}

void SetEventHook(std::function<void()> hook) { f.hook = std::move(hook); }

void SetClosedWindowSize(int width, int height) {
  f.closedW = width;
  f.closedH = height;
}

void FeedKey(int glfw3Key, int scancode, int action, int mods) {
  OnKey3(f.window, glfw3Key, scancode, action, mods);
}
void FeedChar(unsigned int codepoint) { OnChar3(f.window, codepoint); }
void FeedMouseButton(int button, int action, int mods) {
  OnMouseButton3(f.window, button, action, mods);
}
void FeedCursorPos(double x, double y) { OnCursorPos3(f.window, x, y); }
bool FeedCloseRequest() {
  bool close = DeliverClose();
  if (!close && f.window) glfwSetWindowShouldClose(f.window, GLFW_FALSE);
  return close;
}

void Reset() {
  glfw2::glfwTerminate();
  glfw2_internal::ResetJoysticks();
  Facade fresh;
  f = std::move(fresh);
}

}  // namespace glfw2_testing
