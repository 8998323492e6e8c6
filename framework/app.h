// Application framework: c_App is the base of the game's application object, and
// c_GameDelegate is what the host calls; it owns the graphics, audio and input devices and
// brackets every update and render with the other framework modules' work.
#pragma once
#include "host/game.h"
#include "runtime/object.h"
#include "runtime/string.h"

class gxtkGraphics;
class gxtkAudio;
class c_InputDevice;

class c_App : public Object {
 public:
  // Registers this object as the one application and hands a new delegate to the host.
  c_App* m_new();

  virtual int p_OnCreate() { return 0; }
  virtual int p_OnSuspend() { return 0; }
  virtual int p_OnResume() { return 0; }
  virtual int p_OnUpdate() { return 0; }
  virtual int p_OnRender() { return 0; }

  // Deliberately not virtual: a close or back request always ends the application.
  int p_OnLoading() { return 0; }
  int p_OnClose();
  int p_OnBack();
};

class c_GameDelegate : public VgGameDelegate {
 public:
  gxtkGraphics* m__graphics = nullptr;
  gxtkAudio* m__audio = nullptr;
  c_InputDevice* m__input = nullptr;

  c_GameDelegate* m_new() { return this; }

  void StartGame() override;
  void SuspendGame() override;
  void ResumeGame() override;
  void UpdateGame() override;
  void RenderGame() override;
  void KeyEvent(int event, int data) override;
  void MouseEvent(int event, int data, float x, float y) override;
  void TouchEvent(int event, int data, float x, float y) override;
  void MotionEvent(int event, int data, float x, float y, float z) override;
  void DiscardGraphics() override;

  void mark() override;
};

// Names of the event codes the host passes to the delegate's event operations.
class c_VgGameEvent {
 public:
  enum {
    KeyDown = 1,
    KeyUp = 2,
    KeyChar = 3,
    MouseDown = 4,
    MouseUp = 5,
    MouseMove = 6,
    TouchDown = 7,
    TouchUp = 8,
    TouchMove = 9,
    MotionAccel = 10,
  };
};

// Key codes the host posts for a window close request and for a back button.
enum { vg_app_KEY_CLOSE = 432, vg_app_KEY_BACK = 416 };

extern c_App* vg_app__app;
extern c_GameDelegate* vg_app__delegate;
extern VgGame* vg_app__game;
extern int vg_app__updateRate;

int vg_app_SetUpdateRate(int hz);
int vg_app_Millisecs();
String vg_app_LoadState();
int vg_app_SaveState(String state);
// Ends the process with exit code 0; never returns.
[[noreturn]] void vg_app_EndApp();
