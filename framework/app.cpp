// Application framework: c_App's registration with the host, and c_GameDelegate, which
// creates the devices at start and brackets every update and render for the other modules.
// The host calls the delegate; the delegate calls the game through c_App's p_On* methods.
#include "framework/app.h"

#include "devices/audio.h"
#include "devices/graphics.h"
#include "framework/audio.h"
#include "framework/graphics.h"
#include "framework/input.h"
#include "runtime/console.h"

c_App* vg_app__app;
c_GameDelegate* vg_app__delegate;
VgGame* vg_app__game;
int vg_app__updateRate;

c_App* c_App::m_new() {
  if (vg_app__app) vgError("App has already been created");
  gc_assign(vg_app__app, this);
  gc_assign(vg_app__delegate, (new c_GameDelegate)->m_new());
  vg_app__game->SetDelegate(vg_app__delegate);
  return this;
}

int c_App::p_OnClose() { vg_app_EndApp(); }

int c_App::p_OnBack() { vg_app_EndApp(); }

void c_GameDelegate::StartGame() {
  gc_assign(m__graphics, new gxtkGraphics());
  vg_graphics_SetGraphicsDevice(m__graphics);
  vg_graphics_SetFont(nullptr, 32);
  gc_assign(m__audio, new gxtkAudio());
  vg_audio_SetAudioDevice(m__audio);
  gc_assign(m__input, (new c_InputDevice)->m_new());
  vg_input_SetInputDevice(m__input);
  vg_app__app->p_OnCreate();
}

void c_GameDelegate::SuspendGame() {
  vg_app__app->p_OnSuspend();
  m__audio->Suspend();
}

void c_GameDelegate::ResumeGame() {
  m__audio->Resume();
  vg_app__app->p_OnResume();
}

void c_GameDelegate::UpdateGame() {
  if (m__audio) m__audio->Service(vg_app__updateRate > 0 ? 1.0 / vg_app__updateRate : 0);
  m__input->p_BeginUpdate();
  vg_app__app->p_OnUpdate();
  m__input->p_EndUpdate();
}

void c_GameDelegate::RenderGame() {
  // Without devices there is nothing to render to; the host's guard normally keeps us out.
  if (!m__graphics) return;
  int mode = m__graphics->BeginRender();
  if (mode) vg_graphics_BeginRender();
  if (mode == 2) {
    vg_app__app->p_OnLoading();
  } else {
    vg_app__app->p_OnRender();
  }
  if (mode) vg_graphics_EndRender();
  m__graphics->EndRender();
}

void c_GameDelegate::KeyEvent(int event, int data) {
  m__input->p_KeyEvent(event, data);
  if (event != c_VgGameEvent::KeyDown) return;
  if (data == vg_app_KEY_CLOSE) {
    vg_app__app->p_OnClose();
  } else if (data == vg_app_KEY_BACK) {
    vg_app__app->p_OnBack();
  }
}

void c_GameDelegate::MouseEvent(int event, int data, float x, float y) {
  m__input->p_MouseEvent(event, data, x, y);
}

void c_GameDelegate::TouchEvent(int event, int data, float x, float y) {
  m__input->p_TouchEvent(event, data, x, y);
}

void c_GameDelegate::MotionEvent(int event, int data, float x, float y, float z) {
  m__input->p_MotionEvent(event, data, x, y, z);
}

void c_GameDelegate::DiscardGraphics() {
  if (m__graphics) m__graphics->DiscardGraphics();
}

void c_GameDelegate::mark() {
  gc_mark_q(m__graphics);
  gc_mark_q(m__audio);
  gc_mark_q(m__input);
}

int vg_app_SetUpdateRate(int hz) {
  vg_app__updateRate = hz;
  vg_app__game->SetUpdateRate(hz);
  return 0;
}

int vg_app_Millisecs() { return vg_app__game->Millisecs(); }

String vg_app_LoadState() { return vg_app__game->LoadState(); }

int vg_app_SaveState(String state) { return vg_app__game->SaveState(state); }

void vg_app_EndApp() { vgError(String()); }
