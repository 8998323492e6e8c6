// Xlib and external-tool helpers for window tests (see x11_client.h). xdotool comes from the
// project's setup script.
#include "tests/support/x11_client.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace vgtest {
namespace {
struct Connection {
  Display* d = XOpenDisplay(nullptr);
  ~Connection() {
    if (d) XCloseDisplay(d);
  }
};

// The window library sets the plain WM_NAME beside the UTF-8 one; titles here are ASCII.
Window Search(Display* d, Window w, const std::string& title) {
  XWindowAttributes attrs;
  char* name = nullptr;
  bool match = XGetWindowAttributes(d, w, &attrs) && attrs.map_state == IsViewable &&
               XFetchName(d, w, &name) && name && title == name;
  if (name) XFree(name);
  if (match) return w;
  Window root, parent, *children = nullptr, found = 0;
  unsigned int n = 0;
  if (XQueryTree(d, w, &root, &parent, &children, &n)) {
    for (unsigned int i = 0; i < n && !found; ++i) found = Search(d, children[i], title);
    if (children) XFree(children);
  }
  return found;
}
}  // namespace

unsigned long FindWindowByTitle(const std::string& title, double timeout) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
  for (;; std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
    Connection c;
    // A window replaced mid-search (full screen) raises an error that must not end the test.
    XErrorHandler old = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    Window w = c.d ? Search(c.d, DefaultRootWindow(c.d), title) : 0;
    XSetErrorHandler(old);
    if (w) return w;
    if (!c.d || std::chrono::steady_clock::now() > deadline) return 0;
  }
}

bool SendDeleteWindow(unsigned long window) {
  Connection c;
  if (!c.d) return false;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(c.d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(c.d, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  bool ok = XSendEvent(c.d, window, False, NoEventMask, &e) != 0;
  XSync(c.d, False);
  return ok;
}

bool FocusWindow(unsigned long window) {
  Connection c;
  if (!c.d) return false;
  XRaiseWindow(c.d, window);
  XSetInputFocus(c.d, window, RevertToParent, CurrentTime);
  XSync(c.d, False);
  return true;
}

unsigned long RootWindowId() {
  Connection c;
  return c.d ? DefaultRootWindow(c.d) : 0;
}

bool XdotoolKey(const std::string& command, const std::string& keys) {
  std::string line = "xdotool '" + command + "' --delay 0 '" + keys + "' >/dev/null 2>&1 </dev/null";
  return std::system(line.c_str()) == 0;
}

}  // namespace vgtest
