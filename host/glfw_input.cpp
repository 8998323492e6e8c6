// Input translation of the desktop host: GLFW 2.7 key numbers to the runtime's key codes
// (Windows virtual-key numbers), characters, mouse buttons and position, and the joystick
// poll. The callbacks run inside the main loop's event polls and call the host's entry points;
// the input module calls PollJoystick once per update for each pad.
#include "host/glfw2.h"
#include "host/glfw_game.h"

using namespace glfw2;

namespace {
// Runtime key of each GLFW 2.7 key number from 0 to 316; 0 is no key. Digits and letters
// never reach the table.
const unsigned char kKeyTable[317] = {
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  // 0
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  // 16
     32,   0, 222,   0,   0,   0,   0, 222,   0,   0,   0,   0, 188, 189, 190, 191,  // 32
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0, 186,   0, 187,   0,   0,  // 48
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  // 64
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0, 219, 220, 221,   0,   0,  // 80
    192,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  // 96
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0, 192,   0,  // 112
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  // 128
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  // 144
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  // 160
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  // 176
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  // 192
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  // 208
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  // 224
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  // 240
      0,  27, 112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123,   0,   0,  // 256
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,  38,  40,  37,  39,  16,  // 272
     16,  17,  17,   0,   0,   9,  13,   8,  45,  46,  33,  34,  36,  35,  96,  97,  // 288
     98,  99, 100, 101, 102, 103, 104, 105, 111, 106, 109, 107, 110,  // 304
};
}  // namespace

int VgGlfwGame::TransKey(int key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return key;
  if (key >= 32 && key <= 316) return kKeyTable[key];
  return 0;
}

int VgGlfwGame::KeyToChar(int key) {
  switch (key) {
    case 8:
    case 9:
    case 13:
    case 27:
      return key;
    case 46:
      return 127;
    default:
      break;
  }
  // Navigation keys type private character codes so text fields can see them.
  if ((key >= 33 && key <= 40) || key == 45) return key | 0x10000;
  return 0;
}

void VgGlfwGame::OnKey(int key, int action) {
  int code = TransKey(key);
  if (!code || !_game) return;
  if (action == GLFW_PRESS) {
    _game->KeyEvent(1, code);
    int chr = KeyToChar(code);
    if (chr) _game->KeyEvent(3, chr);
  } else if (action == GLFW_RELEASE) {
    _game->KeyEvent(2, code);
  }
}

void VgGlfwGame::OnChar(int chr, int action) {
  if (action == GLFW_PRESS && _game) _game->KeyEvent(3, chr);
}

void VgGlfwGame::OnMouseButton(int button, int action) {
  if (button < 0 || button > 2 || !_game) return;
  int x, y;
  glfwGetMousePos(&x, &y);
  if (action == GLFW_PRESS) {
    _game->MouseEvent(4, button, static_cast<float>(x), static_cast<float>(y));
  } else if (action == GLFW_RELEASE) {
    _game->MouseEvent(5, button, static_cast<float>(x), static_cast<float>(y));
  }
}

void VgGlfwGame::OnMousePos(int x, int y) {
  if (_game) _game->MouseEvent(6, -1, static_cast<float>(x), static_cast<float>(y));
}

bool VgGlfwGame::PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                              Array<bool> buttons) {
  if (!glfwGetJoystickParam(port, GLFW_PRESENT)) return false;
  int axisCount = glfwGetJoystickParam(port, GLFW_AXES);
  int buttonCount = glfwGetJoystickParam(port, GLFW_BUTTONS);

  // A pad pulled out between these reads leaves zeros, never stale or foreign memory.
  float a[6] = {};
  glfwGetJoystickPos(port, a, 6);
  float x[2], y[2], z[2];
  if (axisCount == 4) {
    x[0] = a[0], x[1] = a[3], y[0] = a[1], y[1] = a[2], z[0] = 0, z[1] = a[5];
  } else if (axisCount == 5) {
    x[0] = a[0], x[1] = a[4], y[0] = a[1], y[1] = a[3], z[0] = a[2], z[1] = a[5];
  } else {
    x[0] = a[0], x[1] = a[3], y[0] = a[1], y[1] = a[4], z[0] = a[2], z[1] = a[5];
  }
  // The caller's arrays are normally 2, 2, 2 and 32 long; shorter ones are filled as far
  // as they go.
  for (int i = 0; i < 2; ++i) {
    if (i < joyx.Length()) joyx[i] = x[i];
    if (i < joyy.Length()) joyy[i] = y[i];
    if (i < joyz.Length()) joyz[i] = z[i];
  }

  unsigned char state[32] = {};
  glfwGetJoystickButtons(port, state, 32);
  int n = buttonCount < 32 ? buttonCount : 32;
  if (n > buttons.Length()) n = buttons.Length();
  for (int i = 0; i < n; ++i) buttons[i] = state[i] == GLFW_PRESS;
  return true;
}
