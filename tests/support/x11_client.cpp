// Xlib and external-tool helpers for window tests (see x11_client.h). The tools (xdotool,
// ImageMagick's import) come from the project's setup script.
#include "tests/support/x11_client.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
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

int RunProgram(const std::vector<std::string>& argv) {  // its exit status, or -1
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0), dup2(null, 1), dup2(null, 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
}  // namespace

unsigned long FindWindowByTitle(const std::string& title, double timeout) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
  for (;; std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
    Connection c;
    if (Window w = c.d ? Search(c.d, DefaultRootWindow(c.d), title) : 0) return w;
    if (!c.d || std::chrono::steady_clock::now() > deadline) return 0;
  }
}

bool GetWindowGeometry(unsigned long window, WindowGeometry* out) {
  Connection c;
  XWindowAttributes attrs;
  Window child;
  if (!c.d || !XGetWindowAttributes(c.d, window, &attrs)) return false;
  XTranslateCoordinates(c.d, window, DefaultRootWindow(c.d), 0, 0, &out->x, &out->y, &child);
  out->width = attrs.width, out->height = attrs.height;
  return true;
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
  return RunProgram({"xdotool", command, "--delay", "0", keys}) == 0;
}

bool Screenshot(unsigned long window, const std::string& pngPath) {
  return RunProgram({"import", "-window", std::to_string(window), pngPath}) == 0;
}

bool CaptureRgb(unsigned long window, std::vector<unsigned char>* rgb, int* width, int* height) {
  std::string command = "import -window " + std::to_string(window) + " -depth 8 ppm:- 2>/dev/null";
  std::FILE* f = popen(command.c_str(), "r");
  if (!f) return false;
  int w = 0, h = 0, max = 0;
  bool ok = std::fscanf(f, "P6 %d %d %d", &w, &h, &max) == 3 && max == 255 && w > 0 && h > 0;
  if (ok) {
    std::fgetc(f);  // the single white-space byte before the pixels
    rgb->resize(static_cast<size_t>(w) * h * 3);
    ok = std::fread(rgb->data(), 1, rgb->size(), f) == rgb->size();
    *width = w, *height = h;
  }
  return pclose(f) == 0 && ok;
}

}  // namespace vgtest
