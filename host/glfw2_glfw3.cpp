// What the desktop and page backends share over GLFW 3: the key numbering (GLFW 3 key codes
// to the GLFW 2.7 numbers the host's key table is written for, and back, for polling a key)
// and the window's creation with the callbacks that hand its events to the facade.
#include "host/glfw2.h"

// GLFW 3 defines macros with many of the 2.7 names; take the 2.7 values first.
namespace {
namespace k2 {
using namespace glfw2;
enum {
  KeyUnknown = GLFW_KEY_UNKNOWN,
  KeyEsc = GLFW_KEY_ESC,
  KeyF1 = GLFW_KEY_F1,
  KeyUp = GLFW_KEY_UP,
  KeyDown = GLFW_KEY_DOWN,
  KeyLeft = GLFW_KEY_LEFT,
  KeyRight = GLFW_KEY_RIGHT,
  KeyLShift = GLFW_KEY_LSHIFT,
  KeyRShift = GLFW_KEY_RSHIFT,
  KeyLCtrl = GLFW_KEY_LCTRL,
  KeyRCtrl = GLFW_KEY_RCTRL,
  KeyLAlt = GLFW_KEY_LALT,
  KeyRAlt = GLFW_KEY_RALT,
  KeyTab = GLFW_KEY_TAB,
  KeyEnter = GLFW_KEY_ENTER,
  KeyBackspace = GLFW_KEY_BACKSPACE,
  KeyInsert = GLFW_KEY_INSERT,
  KeyDel = GLFW_KEY_DEL,
  KeyPageUp = GLFW_KEY_PAGEUP,
  KeyPageDown = GLFW_KEY_PAGEDOWN,
  KeyHome = GLFW_KEY_HOME,
  KeyEnd = GLFW_KEY_END,
  KeyKp0 = GLFW_KEY_KP_0,
  KeyKpDivide = GLFW_KEY_KP_DIVIDE,
  KeyKpMultiply = GLFW_KEY_KP_MULTIPLY,
  KeyKpSubtract = GLFW_KEY_KP_SUBTRACT,
  KeyKpAdd = GLFW_KEY_KP_ADD,
  KeyKpDecimal = GLFW_KEY_KP_DECIMAL,
  KeyKpEqual = GLFW_KEY_KP_EQUAL,
  KeyKpEnter = GLFW_KEY_KP_ENTER,
  KeyKpNumLock = GLFW_KEY_KP_NUM_LOCK,
  KeyCapsLock = GLFW_KEY_CAPS_LOCK,
  KeyScrollLock = GLFW_KEY_SCROLL_LOCK,
  KeyPause = GLFW_KEY_PAUSE,
  KeyLSuper = GLFW_KEY_LSUPER,
  KeyRSuper = GLFW_KEY_RSUPER,
  KeyMenu = GLFW_KEY_MENU,
  KeyLast = GLFW_KEY_LAST,
};
}  // namespace k2
}  // namespace

#include "host/glfw2_glfw3.h"

// GLFW 3 key codes to 2.7 key numbers. Printable keys keep their US-layout ASCII codes.
int glfw2_internal::KeyFrom3(int key) {
  if (key >= 32 && key <= 96) return key;
  if (key >= GLFW_KEY_F1 && key <= GLFW_KEY_F25) return k2::KeyF1 + (key - GLFW_KEY_F1);
  if (key >= GLFW_KEY_KP_0 && key <= GLFW_KEY_KP_9) return k2::KeyKp0 + (key - GLFW_KEY_KP_0);
  switch (key) {
    case GLFW_KEY_ESCAPE: return k2::KeyEsc;
    case GLFW_KEY_ENTER: return k2::KeyEnter;
    case GLFW_KEY_TAB: return k2::KeyTab;
    case GLFW_KEY_BACKSPACE: return k2::KeyBackspace;
    case GLFW_KEY_INSERT: return k2::KeyInsert;
    case GLFW_KEY_DELETE: return k2::KeyDel;
    case GLFW_KEY_RIGHT: return k2::KeyRight;
    case GLFW_KEY_LEFT: return k2::KeyLeft;
    case GLFW_KEY_DOWN: return k2::KeyDown;
    case GLFW_KEY_UP: return k2::KeyUp;
    case GLFW_KEY_PAGE_UP: return k2::KeyPageUp;
    case GLFW_KEY_PAGE_DOWN: return k2::KeyPageDown;
    case GLFW_KEY_HOME: return k2::KeyHome;
    case GLFW_KEY_END: return k2::KeyEnd;
    case GLFW_KEY_CAPS_LOCK: return k2::KeyCapsLock;
    case GLFW_KEY_SCROLL_LOCK: return k2::KeyScrollLock;
    case GLFW_KEY_NUM_LOCK: return k2::KeyKpNumLock;
    case GLFW_KEY_PAUSE: return k2::KeyPause;
    case GLFW_KEY_KP_DECIMAL: return k2::KeyKpDecimal;
    case GLFW_KEY_KP_DIVIDE: return k2::KeyKpDivide;
    case GLFW_KEY_KP_MULTIPLY: return k2::KeyKpMultiply;
    case GLFW_KEY_KP_SUBTRACT: return k2::KeyKpSubtract;
    case GLFW_KEY_KP_ADD: return k2::KeyKpAdd;
    case GLFW_KEY_KP_ENTER: return k2::KeyKpEnter;
    case GLFW_KEY_KP_EQUAL: return k2::KeyKpEqual;
    case GLFW_KEY_LEFT_SHIFT: return k2::KeyLShift;
    case GLFW_KEY_LEFT_CONTROL: return k2::KeyLCtrl;
    case GLFW_KEY_LEFT_ALT: return k2::KeyLAlt;
    case GLFW_KEY_LEFT_SUPER: return k2::KeyLSuper;
    case GLFW_KEY_RIGHT_SHIFT: return k2::KeyRShift;
    case GLFW_KEY_RIGHT_CONTROL: return k2::KeyRCtrl;
    case GLFW_KEY_RIGHT_ALT: return k2::KeyRAlt;
    case GLFW_KEY_RIGHT_SUPER: return k2::KeyRSuper;
    case GLFW_KEY_MENU: return k2::KeyMenu;
    default: return k2::KeyUnknown;  // world keys, print screen, unknown
  }
}

// 2.7 key numbers back to GLFW 3 codes, for glfwGetKey on a real window.
int glfw2_internal::KeyTo3(int key) {
  static int table[k2::KeyLast + 1];
  static bool built = false;
  if (!built) {
    for (int& k : table) k = GLFW_KEY_UNKNOWN;
    for (int k3 = 0; k3 <= GLFW_KEY_LAST; ++k3) {
      int k = KeyFrom3(k3);
      if (k >= 0) table[k] = k3;
    }
    built = true;
  }
  return key >= 0 && key <= k2::KeyLast ? table[key] : GLFW_KEY_UNKNOWN;
}

namespace {

// The window's callbacks: its events in GLFW 3's terms, to the facade.
void OnKey3(GLFWwindow*, int key, int, int action, int) { glfw2_internal::KeyInput(key, action); }
void OnChar3(GLFWwindow*, unsigned int codepoint) { glfw2_internal::CharInput(codepoint); }
void OnMouseButton3(GLFWwindow*, int button, int action, int) {
  glfw2_internal::MouseButtonInput(button, action);
}
void OnCursorPos3(GLFWwindow*, double x, double y) { glfw2_internal::CursorInput(x, y); }
void OnSize3(GLFWwindow*, int w, int h) { glfw2_internal::SizeInput(w, h); }
void OnRefresh3(GLFWwindow*) { glfw2_internal::RefreshInput(); }

}  // namespace

void glfw2_internal::Glfw3WindowHints(const OpenRequest& r) {
  ::glfwDefaultWindowHints();
  glfwWindowHint(GLFW_RED_BITS, r.redBits > 0 ? r.redBits : GLFW_DONT_CARE);
  glfwWindowHint(GLFW_GREEN_BITS, r.greenBits > 0 ? r.greenBits : GLFW_DONT_CARE);
  glfwWindowHint(GLFW_BLUE_BITS, r.blueBits > 0 ? r.blueBits : GLFW_DONT_CARE);
  glfwWindowHint(GLFW_ALPHA_BITS, r.alphaBits);
  glfwWindowHint(GLFW_DEPTH_BITS, r.depthBits);
  glfwWindowHint(GLFW_STENCIL_BITS, r.stencilBits);
  glfwWindowHint(GLFW_RESIZABLE, r.noResize ? GLFW_FALSE : GLFW_TRUE);
  glfwWindowHint(GLFW_SAMPLES, r.samples);
}

GLFWwindow* glfw2_internal::CreateGlfw3Window(int width, int height, GLFWmonitor* monitor,
                                              bool focus) {
  GLFWwindow* window = glfwCreateWindow(width, height, "", monitor, nullptr);
  if (!window) return nullptr;
  glfwMakeContextCurrent(window);
  // GLFW 3 focuses a new window only in windowed mode; a full-screen one would otherwise
  // start without the keyboard (and the host would suspend the game at once) wherever no
  // window manager hands it the focus. 2.7's full-screen window took the focus itself.
  if (focus) glfwFocusWindow(window);
  glfwSetKeyCallback(window, OnKey3);
  glfwSetCharCallback(window, OnChar3);
  glfwSetMouseButtonCallback(window, OnMouseButton3);
  glfwSetCursorPosCallback(window, OnCursorPos3);
  glfwSetWindowSizeCallback(window, OnSize3);
  glfwSetWindowRefreshCallback(window, OnRefresh3);
  return window;
}
