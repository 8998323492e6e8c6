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

}  // namespace glfw2_internal
