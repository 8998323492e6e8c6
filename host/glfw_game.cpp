// VgGlfwGame: the host's window and the fixed schedule its main loop runs, over the GLFW
// 2.7-style facade. Start-up creates it and calls Run() (host/glfw_loop.cpp on the desktop,
// host/web/web_loop.cpp in a page); the game's full-screen switch (SetFullscreen) replaces
// the window through SetGlfwWindow. Input callbacks are in host/glfw_input.cpp.
#include "host/glfw_game.h"

#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "host/files.h"
#include "host/glfw2.h"
#include "runtime/console.h"

using namespace glfw2;

int glfwGraphicsSeq = 0;

VgGlfwGame* VgGlfwGame::_glfwGame = nullptr;

VgGlfwGame::VgGlfwGame() : _iconified(false), _nextUpdate(0), _updatePeriod(0) {
  _glfwGame = this;
#ifdef __GLIBC__
  // Tunes, decode buffers and pixel blocks are large and replaced whole (a new tune, images
  // reloaded at another resolution). Once such a block is freed glibc raises its mmap
  // threshold, the next ones land in the heap and fragment it, and resident memory wanders
  // up by tens of megabytes over a session. A fixed threshold keeps every large block in a
  // mapping of its own that goes back to the system when it is freed.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

void VgGlfwGame::SetUpdateRate(int hz) {
  VgGame::SetUpdateRate(hz);
  if (hz) {
    _updatePeriod = 1.0 / hz;
    _nextUpdate = glfwGetTime() + _updatePeriod;
  }
}

void VgGame::WindowSize(int* width, int* height) { glfwGetWindowSize(width, height); }
void VgGame::SwapBuffers() { glfwSwapBuffers(); }
int VgGame::GraphicsSeq() { return glfwGraphicsSeq; }
bool VgGame::KeepsLastPicture() { return glfwKeepsLastPicture() != 0; }

int VgGlfwGame::Millisecs() { return static_cast<int>(glfwGetTime() * 1000); }

void VgGlfwGame::SetMouseVisible(bool visible) {
  if (visible) {
    glfwEnable(GLFW_MOUSE_CURSOR);
  } else {
    glfwDisable(GLFW_MOUSE_CURSOR);
  }
}

String VgGlfwGame::PathToFilePath(String path) { return vg_files::PathToFilePath(path); }

void VgGlfwGame::OpenUrl(String url) { vg_files::OpenUrl(url); }

void VgGlfwGame::SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha,
                               int depth, int stencil, bool fullscreen) {
  // The application must see every held key come up before the window that holds it goes.
  for (int key = 0; key <= GLFW_KEY_LAST; ++key) {
    int code = TransKey(key);
    if (code && glfwGetKey(key) == GLFW_PRESS) KeyEvent(2, code);
  }

  GLFWvidmode desktop;
  glfwGetDesktopMode(&desktop);

  glfwCloseWindow();
  glfwOpenWindowHint(GLFW_WINDOW_NO_RESIZE, 0);
  int opened;
  if (fullscreen) {
    opened = glfwOpenWindow(width, height, red, green, blue, alpha, depth, stencil,
                            GLFW_FULLSCREEN);
  } else {
    opened = glfwOpenWindow(width, height, red, green, blue, alpha, depth, stencil, GLFW_WINDOW);
    glfwSetWindowPos((desktop.Width - width) / 2, (desktop.Height - height) / 2);
  }
  // Full screen too: task switchers and window lists name the game either way.
  glfwSetWindowTitle("Vantorell");
  CountNewContext();
  // Without a window the loop would end at once and the program would exit as if closed
  // normally; say why and fail instead.
  if (!opened) vgError("Unable to open a window with OpenGL");

  glfwEnable(GLFW_KEY_REPEAT);
  glfwDisable(GLFW_AUTO_POLL_EVENTS);

  glfwSetKeyCallback(OnKey);
  glfwSetCharCallback(OnChar);
  glfwSetMouseButtonCallback(OnMouseButton);
  glfwSetMousePosCallback(OnMousePos);
  glfwSetWindowCloseCallback(OnWindowClose);
}

bool VgGlfwGame::SetFullscreen(bool fullscreen) {
  VgGlfwVideoMode* desktop = GetGlfwDesktopMode();
  if (fullscreen) {
    SetGlfwWindow(desktop->Width, desktop->Height, desktop->RedBits, desktop->GreenBits,
                  desktop->BlueBits, 0, 0, 0, true);
  } else {
    SetGlfwWindow(640, 480, desktop->RedBits, desktop->GreenBits, desktop->BlueBits, 0, 0, 0,
                  false);
  }
  return true;
}

void VgGlfwGame::FollowWindowState(bool iconified, bool active) {
  if (iconified) {
    if (!_suspended) {
      _iconified = true;
      SuspendGame();
    }
  } else if (active) {
    if (_suspended) {
      _iconified = false;
      ResumeGame();
      // No backlog of updates is run for the time spent away.
      _nextUpdate = glfwGetTime();
    }
  } else if (!_suspended) {
    SuspendGame();
  }
}

void VgGlfwGame::RunDueUpdates() {
  bool caughtUp = false;
  for (int i = 0; i < 4 && !caughtUp; ++i) {
    _nextUpdate += _updatePeriod;
    UpdateGame();
    caughtUp = !_updateRate || _nextUpdate - glfwGetTime() > 0;
  }
  RenderGame();
  // Still behind after four updates: drop the backlog rather than spiral.
  if (!caughtUp && _updateRate) _nextUpdate = glfwGetTime();
}

int VgGlfwGame::OnWindowClose() {
  if (_game) {
    _game->KeyEvent(1, 432);
    _game->KeyEvent(2, 432);
  }
  // The application decides whether the window goes.
  return 0;
}

namespace {
VgGlfwVideoMode* NewVideoMode(const GLFWvidmode& mode) {
  VgGlfwVideoMode* m = new VgGlfwVideoMode;
  m->Width = mode.Width;
  m->Height = mode.Height;
  m->RedBits = mode.RedBits;
  m->GreenBits = mode.GreenBits;
  m->BlueBits = mode.BlueBits;
  return m;
}
}  // namespace

VgGlfwVideoMode* VgGlfwGame::GetGlfwDesktopMode() {
  GLFWvidmode mode;
  glfwGetDesktopMode(&mode);
  return NewVideoMode(mode);
}

Array<VgGlfwVideoMode*> VgGlfwGame::GetGlfwVideoModes() {
  std::vector<GLFWvidmode> modes(1024);
  int n = glfwGetVideoModes(modes.data(), 1024);
  Array<VgGlfwVideoMode*> out(n);
  for (int i = 0; i < n; ++i) gc_assign(out[i], NewVideoMode(modes[i]));
  return out;
}
