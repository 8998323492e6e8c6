// GLFW 3 for the two backends over it (host/glfw2_desktop.cpp and host/web/web_window.cpp),
// and what they share (host/glfw2_glfw3.cpp): the window's creation and the callbacks that
// hand its events to the facade. GLFW 3 defines macros with many of host/glfw2.h's 2.7
// names, so a file that includes this one uses no 2.7 name after it.
#pragma once
#include "host/glfw2_backend.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

namespace glfw2_internal {

// GLFW 3's hints for the request's window: its bit counts, resizing and samples. A backend
// may add hints of its own before creating the window.
void Glfw3WindowHints(const OpenRequest& request);
// Creates the window on monitor (null: a window on the desktop) under the hints set, makes
// its context current, gives it the keyboard when focus is true, and installs the callbacks
// for input, size and refresh; null when GLFW cannot make it. The close request, focus and
// minimising are the backend's own.
GLFWwindow* CreateGlfw3Window(int width, int height, GLFWmonitor* monitor, bool focus);

// A backend over a GLFW 3 window: what GLFW 3 answers the same on every platform. The input
// it is asked for comes from the window itself while there is one, and from the facade's
// record of delivered events while there is not.
class Glfw3Backend : public Backend {
 public:
  void SetTitle(const char* title) override {
    if (window_) ::glfwSetWindowTitle(window_, title);
  }
  void SetPos(int x, int y) override {
    if (window_) ::glfwSetWindowPos(window_, x, y);
  }
  void Iconify() override {
    if (window_) ::glfwIconifyWindow(window_);
  }
  void Restore() override {
    if (window_) ::glfwRestoreWindow(window_);
  }
  void SwapBuffers() override {
    if (window_) ::glfwSwapBuffers(window_);
  }
  void SwapInterval(int interval) override {
    if (window_) ::glfwSwapInterval(interval);
  }
  bool NoResize() override { return !glfwGetWindowAttrib(window_, GLFW_RESIZABLE); }
  void WaitEvents() override { ::glfwWaitEvents(); }

  bool KeyDown(int key, bool recorded) override {
    if (!window_) return recorded;
    int k3 = KeyTo3(key);
    return k3 != GLFW_KEY_UNKNOWN && ::glfwGetKey(window_, k3) == GLFW_PRESS;
  }
  bool MouseDown(int button, bool recorded) override {
    if (!window_) return recorded;
    return ::glfwGetMouseButton(window_, button) == GLFW_PRESS;
  }
  void CursorPos(double* x, double* y) override {
    if (window_) glfwGetCursorPos(window_, x, y);
  }
  void SetCursorPos(double x, double y) override {
    if (window_) glfwSetCursorPos(window_, x, y);
  }

 protected:
  GLFWwindow* window_ = nullptr;
};

}  // namespace glfw2_internal
