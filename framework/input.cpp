// Input module: the key, mouse, touch and joystick state that the delegate fills from host
// events and polls, and the vg_input_* queries game code reads once per update.
#include "framework/input.h"

#include "framework/app.h"
#include "host/game.h"

c_InputDevice* vg_input_device;

namespace {

bool ValidKey(long long key) { return key >= 1 && key < c_InputDevice::kKeyCount; }
bool ValidFinger(int finger) { return finger >= 0 && finger < c_InputDevice::kTouchCount; }
bool ValidUnit(int unit) { return unit >= 0 && unit < c_InputDevice::kJoyUnits; }

}  // namespace

c_JoyState* c_JoyState::m_new() {
  gc_assign(m_joyx, Array<float>(2));
  gc_assign(m_joyy, Array<float>(2));
  gc_assign(m_joyz, Array<float>(2));
  gc_assign(m_buttons, Array<bool>(c_InputDevice::kJoyButtons));
  return this;
}

void c_JoyState::mark() {
  gc_mark_q(m_joyx);
  gc_mark_q(m_joyy);
  gc_mark_q(m_joyz);
  gc_mark_q(m_buttons);
}

c_InputDevice* c_InputDevice::m_new() {
  gc_assign(m__joyStates, Array<c_JoyState*>(kJoyUnits));
  gc_assign(m__keyDown, Array<bool>(kKeyCount));
  gc_assign(m__keyHitQueue, Array<int>(kHitQueueSize));
  gc_assign(m__keyHit, Array<int>(kKeyCount));
  gc_assign(m__charQueue, Array<int>(kCharQueueSize));
  gc_assign(m__touchX, Array<float>(kTouchCount));
  gc_assign(m__touchY, Array<float>(kTouchCount));
  for (int i = 0; i < kJoyUnits; ++i) gc_assign(m__joyStates[i], (new c_JoyState)->m_new());
  return this;
}

void c_InputDevice::mark() {
  gc_mark_q(m__joyStates);
  gc_mark_q(m__keyDown);
  gc_mark_q(m__keyHitQueue);
  gc_mark_q(m__keyHit);
  gc_mark_q(m__charQueue);
  gc_mark_q(m__touchX);
  gc_mark_q(m__touchY);
}

int c_InputDevice::p_PutKeyHit(int key) {
  if (!ValidKey(key) || m__keyHitPut == kHitQueueSize) return 0;
  m__keyHit[key] += 1;
  m__keyHitQueue[m__keyHitPut++] = key;
  return 0;
}

// The left button and the first finger are one pointer: each presses the other.
int c_InputDevice::p_OnKeyDown(int key) {
  if (!ValidKey(key) || m__keyDown[key]) return 0;
  m__keyDown[key] = true;
  p_PutKeyHit(key);
  if (key == kKeyMouseLeft) {
    m__keyDown[kKeyTouchBase] = true;
    p_PutKeyHit(kKeyTouchBase);
  } else if (key == kKeyTouchBase) {
    m__keyDown[kKeyMouseLeft] = true;
    p_PutKeyHit(kKeyMouseLeft);
  }
  return 0;
}

int c_InputDevice::p_OnKeyUp(int key) {
  if (!ValidKey(key) || !m__keyDown[key]) return 0;
  m__keyDown[key] = false;
  if (key == kKeyMouseLeft) {
    m__keyDown[kKeyTouchBase] = false;
  } else if (key == kKeyTouchBase) {
    m__keyDown[kKeyMouseLeft] = false;
  }
  return 0;
}

int c_InputDevice::p_KeyEvent(int event, int data) {
  switch (event) {
    case c_VgGameEvent::KeyDown:
      p_OnKeyDown(data);
      break;
    case c_VgGameEvent::KeyUp:
      p_OnKeyUp(data);
      break;
    case c_VgGameEvent::KeyChar:
      if (m__charPut < kCharQueueSize) m__charQueue[m__charPut++] = data;
      break;
  }
  return 0;
}

int c_InputDevice::p_MouseEvent(int event, int button, float x, float y) {
  switch (event) {
    case c_VgGameEvent::MouseDown:
      if (button >= 0) p_OnKeyDown(button + 1);
      break;
    case c_VgGameEvent::MouseUp:
      if (button >= 0) p_OnKeyUp(button + 1);
      return 0;
    case c_VgGameEvent::MouseMove:
      break;
    default:
      return 0;
  }
  m__mouseX = x;
  m__mouseY = y;
  m__touchX[0] = x;
  m__touchY[0] = y;
  return 0;
}

int c_InputDevice::p_TouchEvent(int event, int finger, float x, float y) {
  // A finger past the 32 tracked ones has no slot to write; the host must not send one.
  if (!ValidFinger(finger)) return 0;
  switch (event) {
    case c_VgGameEvent::TouchDown:
      p_OnKeyDown(kKeyTouchBase + finger);
      break;
    case c_VgGameEvent::TouchUp:
      p_OnKeyUp(kKeyTouchBase + finger);
      return 0;
    case c_VgGameEvent::TouchMove:
      break;
    default:
      return 0;
  }
  m__touchX[finger] = x;
  m__touchY[finger] = y;
  if (finger == 0) {
    m__mouseX = x;
    m__mouseY = y;
  }
  return 0;
}

int c_InputDevice::p_MotionEvent(int event, int /*data*/, float x, float y, float z) {
  if (event == c_VgGameEvent::MotionAccel) {
    m__accelX = x;
    m__accelY = y;
    m__accelZ = z;
  }
  return 0;
}

int c_InputDevice::p_BeginUpdate() {
  for (int unit = 0; unit < kJoyUnits; ++unit) {
    c_JoyState* state = m__joyStates[unit];
    if (!VgGame::_game->PollJoystick(unit, state->m_joyx, state->m_joyy, state->m_joyz,
                                     state->m_buttons)) {
      break;
    }
    for (int b = 0; b < kJoyButtons; ++b) {
      int key = kKeyJoyBase + unit * kJoyButtons + b;
      if (!state->m_buttons[b]) {
        m__keyDown[key] = false;
      } else if (!m__keyDown[key]) {
        m__keyDown[key] = true;
        p_PutKeyHit(key);
      }
    }
  }
  return 0;
}

int c_InputDevice::p_EndUpdate() {
  for (int i = 0; i < m__keyHitPut; ++i) m__keyHit[m__keyHitQueue[i]] = 0;
  m__keyHitPut = 0;
  m__charGet = 0;
  m__charPut = 0;
  return 0;
}

bool c_InputDevice::p_SetKeyboardEnabled(bool enabled) {
  VgGame::_game->SetKeyboardEnabled(enabled);
  return true;
}

int c_InputDevice::p_KeyDown(int key) { return ValidKey(key) && m__keyDown[key] ? 1 : 0; }

int c_InputDevice::p_KeyHit(int key) { return ValidKey(key) ? m__keyHit[key] : 0; }

int c_InputDevice::p_GetChar() {
  if (m__charGet == m__charPut) return 0;
  return m__charQueue[m__charGet++];
}

int vg_input_SetInputDevice(c_InputDevice* device) {
  gc_assign(vg_input_device, device);
  return 0;
}

int vg_input_KeyDown(int key) { return vg_input_device->p_KeyDown(key); }
int vg_input_KeyHit(int key) { return vg_input_device->p_KeyHit(key); }

int vg_input_MouseDown(int button) {
  return button >= 0 && button <= 510 ? vg_input_device->p_KeyDown(button + 1) : 0;
}

int vg_input_MouseHit(int button) {
  return button >= 0 && button <= 510 ? vg_input_device->p_KeyHit(button + 1) : 0;
}

int vg_input_TouchDown(int finger) {
  long long key = c_InputDevice::kKeyTouchBase + static_cast<long long>(finger);
  return ValidKey(key) ? vg_input_device->p_KeyDown(static_cast<int>(key)) : 0;
}

static long long JoyKey(int button, int unit) {
  return static_cast<long long>(button) | c_InputDevice::kKeyJoyBase |
         static_cast<long long>(unit) * c_InputDevice::kJoyButtons;
}

int vg_input_JoyDown(int button, int unit) {
  long long key = JoyKey(button, unit);
  return ValidKey(key) ? vg_input_device->p_KeyDown(static_cast<int>(key)) : 0;
}

int vg_input_JoyHit(int button, int unit) {
  long long key = JoyKey(button, unit);
  return ValidKey(key) ? vg_input_device->p_KeyHit(static_cast<int>(key)) : 0;
}

float vg_input_JoyX(int index, int unit) {
  if (!ValidUnit(unit) || index < 0 || index > 1) return 0;
  return vg_input_device->m__joyStates[unit]->m_joyx[index];
}

float vg_input_JoyY(int index, int unit) {
  if (!ValidUnit(unit) || index < 0 || index > 1) return 0;
  return vg_input_device->m__joyStates[unit]->m_joyy[index];
}

float vg_input_MouseX() { return vg_input_device->m__mouseX; }
float vg_input_MouseY() { return vg_input_device->m__mouseY; }

float vg_input_TouchX(int finger) {
  return ValidFinger(finger) ? vg_input_device->m__touchX[finger] : 0;
}

float vg_input_TouchY(int finger) {
  return ValidFinger(finger) ? vg_input_device->m__touchY[finger] : 0;
}

float vg_input_AccelX() { return vg_input_device->m__accelX; }
float vg_input_AccelY() { return vg_input_device->m__accelY; }

int vg_input_GetChar() { return vg_input_device->p_GetChar(); }

int vg_input_EnableKeyboard() {
  vg_input_device->p_SetKeyboardEnabled(true);
  return 0;
}

int vg_input_DisableKeyboard() {
  vg_input_device->p_SetKeyboardEnabled(false);
  return 0;
}
