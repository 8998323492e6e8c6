// The window library as the host is written against it: GLFW 2.7's single-window calls and
// constants, implemented in host/glfw2.cpp over a platform's window backend
// (host/glfw2_backend.h). Plain declarations with no GLFW include. The names live in
// namespace glfw2 because GLFW 3 exports C functions with several of the same names.
#pragma once

namespace glfw2 {

enum {
  GLFW_RELEASE = 0,
  GLFW_PRESS = 1,

  // Key numbers: printable keys are their (upper case) ASCII codes; special keys from 256.
  GLFW_KEY_UNKNOWN = -1,
  GLFW_KEY_SPACE = 32,
  GLFW_KEY_SPECIAL = 256,
  GLFW_KEY_ESC = 257,
  GLFW_KEY_F1 = 258,
  GLFW_KEY_F12 = 269,
  GLFW_KEY_F25 = 282,
  GLFW_KEY_UP = 283,
  GLFW_KEY_DOWN = 284,
  GLFW_KEY_LEFT = 285,
  GLFW_KEY_RIGHT = 286,
  GLFW_KEY_LSHIFT = 287,
  GLFW_KEY_RSHIFT = 288,
  GLFW_KEY_LCTRL = 289,
  GLFW_KEY_RCTRL = 290,
  GLFW_KEY_LALT = 291,
  GLFW_KEY_RALT = 292,
  GLFW_KEY_TAB = 293,
  GLFW_KEY_ENTER = 294,
  GLFW_KEY_BACKSPACE = 295,
  GLFW_KEY_INSERT = 296,
  GLFW_KEY_DEL = 297,
  GLFW_KEY_PAGEUP = 298,
  GLFW_KEY_PAGEDOWN = 299,
  GLFW_KEY_HOME = 300,
  GLFW_KEY_END = 301,
  GLFW_KEY_KP_0 = 302,
  GLFW_KEY_KP_9 = 311,
  GLFW_KEY_KP_DIVIDE = 312,
  GLFW_KEY_KP_MULTIPLY = 313,
  GLFW_KEY_KP_SUBTRACT = 314,
  GLFW_KEY_KP_ADD = 315,
  GLFW_KEY_KP_DECIMAL = 316,
  GLFW_KEY_KP_EQUAL = 317,
  GLFW_KEY_KP_ENTER = 318,
  GLFW_KEY_KP_NUM_LOCK = 319,
  GLFW_KEY_CAPS_LOCK = 320,
  GLFW_KEY_SCROLL_LOCK = 321,
  GLFW_KEY_PAUSE = 322,
  GLFW_KEY_LSUPER = 323,
  GLFW_KEY_RSUPER = 324,
  GLFW_KEY_MENU = 325,
  GLFW_KEY_LAST = GLFW_KEY_MENU,

  GLFW_MOUSE_BUTTON_1 = 0,
  GLFW_MOUSE_BUTTON_8 = 7,
  GLFW_MOUSE_BUTTON_LEFT = 0,
  GLFW_MOUSE_BUTTON_RIGHT = 1,
  GLFW_MOUSE_BUTTON_MIDDLE = 2,
  GLFW_MOUSE_BUTTON_LAST = GLFW_MOUSE_BUTTON_8,

  GLFW_JOYSTICK_1 = 0,
  GLFW_JOYSTICK_16 = 15,
  GLFW_JOYSTICK_LAST = GLFW_JOYSTICK_16,

  // glfwOpenWindow modes.
  GLFW_WINDOW = 0x00010001,
  GLFW_FULLSCREEN = 0x00010002,

  // glfwGetWindowParam and glfwOpenWindowHint tokens.
  GLFW_OPENED = 0x00020001,
  GLFW_ACTIVE = 0x00020002,
  GLFW_ICONIFIED = 0x00020003,
  GLFW_ACCELERATED = 0x00020004,
  GLFW_RED_BITS = 0x00020005,
  GLFW_GREEN_BITS = 0x00020006,
  GLFW_BLUE_BITS = 0x00020007,
  GLFW_ALPHA_BITS = 0x00020008,
  GLFW_DEPTH_BITS = 0x00020009,
  GLFW_STENCIL_BITS = 0x0002000A,
  GLFW_REFRESH_RATE = 0x0002000B,
  GLFW_WINDOW_NO_RESIZE = 0x00020012,
  GLFW_FSAA_SAMPLES = 0x00020013,

  // glfwEnable / glfwDisable tokens.
  GLFW_MOUSE_CURSOR = 0x00030001,
  GLFW_STICKY_KEYS = 0x00030002,
  GLFW_STICKY_MOUSE_BUTTONS = 0x00030003,
  GLFW_SYSTEM_KEYS = 0x00030004,
  GLFW_KEY_REPEAT = 0x00030005,
  GLFW_AUTO_POLL_EVENTS = 0x00030006,

  // glfwGetJoystickParam tokens.
  GLFW_PRESENT = 0x00050001,
  GLFW_AXES = 0x00050002,
  GLFW_BUTTONS = 0x00050003,
};

// A video mode record; note the bit counts run red, blue, green.
struct GLFWvidmode {
  int Width, Height;
  int RedBits, BlueBits, GreenBits;
};

typedef void (*GLFWwindowsizefun)(int width, int height);
typedef int (*GLFWwindowclosefun)();
typedef void (*GLFWwindowrefreshfun)();
typedef void (*GLFWkeyfun)(int key, int action);
typedef void (*GLFWcharfun)(int character, int action);
typedef void (*GLFWmousebuttonfun)(int button, int action);
typedef void (*GLFWmouseposfun)(int x, int y);

// 1 on success, 0 when no display can be opened.
int glfwInit();
void glfwTerminate();

// Opens the one window with a new OpenGL context made current; 1 on success. Hints set with
// glfwOpenWindowHint apply to this call only.
int glfwOpenWindow(int width, int height, int redbits, int greenbits, int bluebits,
                   int alphabits, int depthbits, int stencilbits, int mode);
void glfwOpenWindowHint(int target, int hint);
void glfwCloseWindow();
void glfwSetWindowTitle(const char* title);
void glfwGetWindowSize(int* width, int* height);
void glfwSetWindowSize(int width, int height);
void glfwSetWindowPos(int x, int y);
void glfwIconifyWindow();
void glfwRestoreWindow();
void glfwSwapBuffers();
// Not in GLFW 2.7: 1 when frames that draw nothing leave the last picture on show (a page).
int glfwKeepsLastPicture();
void glfwSwapInterval(int interval);
int glfwGetWindowParam(int param);
void glfwSetWindowSizeCallback(GLFWwindowsizefun cbfun);
void glfwSetWindowCloseCallback(GLFWwindowclosefun cbfun);
void glfwSetWindowRefreshCallback(GLFWwindowrefreshfun cbfun);

int glfwGetVideoModes(GLFWvidmode* list, int maxcount);
void glfwGetDesktopMode(GLFWvidmode* mode);

void glfwPollEvents();
void glfwWaitEvents();
int glfwGetKey(int key);
int glfwGetMouseButton(int button);
void glfwGetMousePos(int* xpos, int* ypos);
void glfwSetMousePos(int xpos, int ypos);
void glfwSetKeyCallback(GLFWkeyfun cbfun);
void glfwSetCharCallback(GLFWcharfun cbfun);
void glfwSetMouseButtonCallback(GLFWmousebuttonfun cbfun);
void glfwSetMousePosCallback(GLFWmouseposfun cbfun);

int glfwGetJoystickParam(int joy, int param);
// Axis values -1 to 1 with y positive up; returns the number of axes written.
int glfwGetJoystickPos(int joy, float* pos, int numaxes);
// GLFW_PRESS or GLFW_RELEASE per button; returns the number of buttons written.
int glfwGetJoystickButtons(int joy, unsigned char* buttons, int numbuttons);

double glfwGetTime();
void glfwSetTime(double time);
void glfwSleep(double time);

void glfwEnable(int token);
void glfwDisable(int token);

void* glfwGetProcAddress(const char* procname);
int glfwExtensionSupported(const char* extension);

}  // namespace glfw2
