// Input module: folds keys, mouse buttons, joystick buttons and touch fingers into one
// space of 512 key codes, counts hits and queues typed characters between two updates.
// The delegate feeds it host events; game code polls it through the vg_input_* queries.
#pragma once
#include "runtime/array.h"
#include "runtime/object.h"

// One joystick: two sticks, two triggers (z) and 32 buttons, filled by the host's poll.
class c_JoyState : public Object {
 public:
  Array<float> m_joyx;
  Array<float> m_joyy;
  Array<float> m_joyz;
  Array<bool> m_buttons;

  c_JoyState* m_new();
  void mark() override;
};

class c_InputDevice : public Object {
 public:
  static constexpr int kKeyCount = 512;
  static constexpr int kJoyUnits = 4;
  static constexpr int kJoyButtons = 32;
  static constexpr int kHitQueueSize = 33;
  static constexpr int kCharQueueSize = 32;
  static constexpr int kTouchCount = 32;
  static constexpr int kKeyMouseLeft = 1;
  static constexpr int kKeyJoyBase = 256;
  static constexpr int kKeyTouchBase = 384;

  Array<c_JoyState*> m__joyStates;
  Array<bool> m__keyDown;
  int m__keyHitPut = 0;
  Array<int> m__keyHitQueue;
  Array<int> m__keyHit;
  int m__charGet = 0;
  int m__charPut = 0;
  Array<int> m__charQueue;
  float m__mouseX = 0;
  float m__mouseY = 0;
  Array<float> m__touchX;
  Array<float> m__touchY;
  float m__accelX = 0;
  float m__accelY = 0;
  float m__accelZ = 0;

  // Creates the four joystick states.
  c_InputDevice* m_new();

  int p_KeyEvent(int event, int data);
  int p_MouseEvent(int event, int button, float x, float y);
  int p_TouchEvent(int event, int finger, float x, float y);
  int p_MotionEvent(int event, int data, float x, float y, float z);
  int p_PutKeyHit(int key);
  // Polls the joysticks, stopping at the first absent unit.
  int p_BeginUpdate();
  // Forgets this update's hits and characters.
  int p_EndUpdate();
  bool p_SetKeyboardEnabled(bool enabled);

  int p_KeyDown(int key);
  int p_KeyHit(int key);
  int p_GetChar();

  void mark() override;

 private:
  int p_OnKeyDown(int key);
  int p_OnKeyUp(int key);
};

extern c_InputDevice* vg_input_device;

int vg_input_SetInputDevice(c_InputDevice* device);
// Queries: every index outside its range gives 0.
int vg_input_KeyDown(int key);
int vg_input_KeyHit(int key);
int vg_input_MouseDown(int button = 0);
int vg_input_MouseHit(int button = 0);
int vg_input_TouchDown(int finger = 0);
int vg_input_JoyDown(int button, int unit = 0);
int vg_input_JoyHit(int button, int unit = 0);
float vg_input_JoyX(int index = 0, int unit = 0);
float vg_input_JoyY(int index = 0, int unit = 0);
float vg_input_MouseX();
float vg_input_MouseY();
float vg_input_TouchX(int finger = 0);
float vg_input_TouchY(int finger = 0);
float vg_input_AccelX();
float vg_input_AccelY();
int vg_input_GetChar();
int vg_input_EnableKeyboard();
int vg_input_DisableKeyboard();
