// What the parts of the window-library facade (host/glfw2.cpp, host/glfw2_keys.cpp and
// host/glfw2_joystick.cpp) share. Not for use outside the facade.
#pragma once

namespace glfw2_internal {

// True once the real GLFW 3 is initialised (never in headless mode).
bool Inited();
// GLFW 3 key codes to 2.7 key numbers (GLFW_KEY_UNKNOWN when 2.7 has no such key), and
// 2.7 numbers back to GLFW 3 codes (GLFW 3's unknown key, -1, when there is none).
int KeyFrom3(int key);
int KeyTo3(int key);
// Fake joysticks off and unplugged.
void ResetJoysticks();
#ifdef __EMSCRIPTEN__
// Takes the browser's pad state that the joystick calls read until the next sample.
void SampleGamepads();
#endif

}  // namespace glfw2_internal
