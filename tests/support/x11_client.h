// A test's hands on the X server: find a window by its title, ask it to close the way a
// window manager does, focus it and type into it with xdotool. Every call opens its own
// connection to $DISPLAY.
#pragma once
#include <string>

namespace vgtest {

// The X id of a mapped window titled exactly title, waiting up to timeout seconds; or 0.
unsigned long FindWindowByTitle(const std::string& title, double timeout = 5);

// Sends WM_PROTOCOLS / WM_DELETE_WINDOW, as a window manager's close box does.
bool SendDeleteWindow(unsigned long window);
bool FocusWindow(unsigned long window);  // gives it the keyboard focus and raises it
unsigned long RootWindowId();  // e.g. to move the focus away from every application window

// xdotool without a window target, so the keys go to the focused window through XTEST:
// for example XdotoolKey("key", "Left") or XdotoolKey("keydown", "a").
bool XdotoolKey(const std::string& command, const std::string& keys);

}  // namespace vgtest
