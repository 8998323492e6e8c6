// What the two halves of the window-library facade (host/glfw2.cpp and
// host/glfw2_joystick.cpp) share. Not for use outside the facade.
#pragma once

namespace glfw2_internal {

// True once the real GLFW 3 is initialised (never in headless mode).
bool Inited();
// Fake joysticks off and unplugged.
void ResetJoysticks();

}  // namespace glfw2_internal
