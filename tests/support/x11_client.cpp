// Xlib and external-tool helpers for window tests (see x11_client.h). The tools (xdotool,
// ImageMagick's import) come from the project's setup script.
#include "tests/support/x11_client.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace vgtest {

namespace {

class Connection {
 public:
  Connection() : d_(XOpenDisplay(nullptr)) {}
  ~Connection() {
    if (d_) XCloseDisplay(d_);
  }
  Display* get() const { return d_; }

 private:
  Display* d_;
};

std::string TitleOf(Display* d, Window w) {
  Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(d, w, netName, 0, 1024, False, utf8, &type, &format, &count, &after,
                         &data) == Success &&
      data) {
    title.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
    return title;
  }
  char* name = nullptr;
  if (XFetchName(d, w, &name) && name) {
    title = name;
    XFree(name);
  }
  return title;
}

Window Search(Display* d, Window w, const std::string& title) {
  XWindowAttributes attrs;
  if (XGetWindowAttributes(d, w, &attrs) && attrs.map_state == IsViewable &&
      TitleOf(d, w) == title) {
    return w;
  }
  Window root, parent, *children = nullptr;
  unsigned int n = 0;
  Window found = 0;
  if (XQueryTree(d, w, &root, &parent, &children, &n)) {
    for (unsigned int i = 0; i < n && !found; ++i) found = Search(d, children[i], title);
    if (children) XFree(children);
  }
  return found;
}

// Runs argv with stdout to outPath (or /dev/null) and returns the exit status.
int Run(const std::vector<std::string>& argv, const char* outPath) {
  pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    int out = open(outPath ? outPath : "/dev/null", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int null = open("/dev/null", O_RDWR);
    if (out >= 0) dup2(out, 1);
    if (null >= 0) {
      dup2(null, 0);
      dup2(null, 2);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

unsigned long FindWindowByTitle(const std::string& title, double timeout) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
  for (;;) {
    {
      Connection c;
      if (!c.get()) return 0;
      Window w = Search(c.get(), DefaultRootWindow(c.get()), title);
      if (w) return w;
    }
    if (std::chrono::steady_clock::now() > deadline) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool GetWindowGeometry(unsigned long window, WindowGeometry* out) {
  Connection c;
  if (!c.get() || !out) return false;
  XWindowAttributes attrs;
  if (!XGetWindowAttributes(c.get(), window, &attrs)) return false;
  Window child;
  int x = 0, y = 0;
  XTranslateCoordinates(c.get(), window, DefaultRootWindow(c.get()), 0, 0, &x, &y, &child);
  out->x = x;
  out->y = y;
  out->width = attrs.width;
  out->height = attrs.height;
  out->viewable = attrs.map_state == IsViewable;
  return true;
}

bool GetScreenSize(int* width, int* height) {
  Connection c;
  if (!c.get()) return false;
  *width = DisplayWidth(c.get(), DefaultScreen(c.get()));
  *height = DisplayHeight(c.get(), DefaultScreen(c.get()));
  return true;
}

bool SendDeleteWindow(unsigned long window) {
  Connection c;
  if (!c.get()) return false;
  XEvent e;
  std::memset(&e, 0, sizeof e);
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(c.get(), "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(c.get(), "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  bool ok = XSendEvent(c.get(), window, False, NoEventMask, &e) != 0;
  XSync(c.get(), False);
  return ok;
}

bool FocusWindow(unsigned long window) {
  Connection c;
  if (!c.get()) return false;
  XRaiseWindow(c.get(), window);
  XSetInputFocus(c.get(), window, RevertToParent, CurrentTime);
  XSync(c.get(), False);
  return true;
}

unsigned long RootWindowId() {
  Connection c;
  return c.get() ? DefaultRootWindow(c.get()) : 0;
}

bool XdotoolKey(const std::string& command, const std::string& keys) {
  return Run({"xdotool", command, "--delay", "0", keys}, nullptr) == 0;
}

bool Screenshot(unsigned long window, const std::string& pngPath) {
  return Run({"import", "-window", std::to_string(window), pngPath}, nullptr) == 0;
}

bool CaptureRgb(unsigned long window, std::vector<unsigned char>* rgb, int* width, int* height) {
  char path[] = "/tmp/vg_captureXXXXXX";
  int fd = mkstemp(path);
  if (fd < 0) return false;
  close(fd);
  std::string target = std::string("ppm:") + path;
  bool ok = Run({"import", "-window", std::to_string(window), "-depth", "8", target}, nullptr) == 0;
  if (ok) {
    ok = false;
    if (std::FILE* f = std::fopen(path, "rb")) {
      int w = 0, h = 0, max = 0;
      if (std::fscanf(f, "P6 %d %d %d", &w, &h, &max) == 3 && max == 255 && w > 0 && h > 0) {
        std::fgetc(f);  // the single white-space byte before the pixels
        rgb->resize(static_cast<size_t>(w) * h * 3);
        ok = std::fread(rgb->data(), 1, rgb->size(), f) == rgb->size();
        *width = w;
        *height = h;
      }
      std::fclose(f);
    }
  }
  std::remove(path);
  return ok;
}

int RunProgram(const std::vector<std::string>& argv) { return Run(argv, nullptr); }

}  // namespace vgtest
