// VgGame: the platform-neutral host behaviour. Every call into application code goes
// through one of the ten guarded entry points below, each followed by one collector step,
// so a collection never interrupts game code. Files and state forward to host/files.h.
#include "host/game.h"

#include <cstdlib>

#include "host/files.h"
#include "runtime/console.h"
#include "runtime/gc.h"

VgGame* VgGame::_game = nullptr;

VgGame::VgGame()
    : _delegate(nullptr),
      _keyboardEnabled(false),
      _updateRate(0),
      _started(false),
      _suspended(false) {
  _game = this;
}

VgGame::~VgGame() {
  if (_game == this) _game = nullptr;
}

unsigned char* VgGame::LoadImageData(String, int*, int*, int*) { return nullptr; }
unsigned char* VgGame::LoadAudioData(String, int*, int*, int*, int*) { return nullptr; }
void VgGame::PrefetchAudioData(String) {}
unsigned char* VgGame::TakeAudioData(String path, int* length, int* channels, int* format,
                                     int* hertz) {
  return LoadAudioData(path, length, channels, format, hertz);
}
unsigned char* VgGame::FetchAudioData(String path, int* length, int* channels, int* format,
                                      int* hertz, bool* waiting) {
  if (waiting) *waiting = false;
  return LoadAudioData(path, length, channels, format, hertz);
}

void VgGame::SetDelegate(VgGameDelegate* delegate) { _delegate = delegate; }
VgGameDelegate* VgGame::Delegate() { return _delegate; }
void VgGame::SetKeyboardEnabled(bool enabled) { _keyboardEnabled = enabled; }
bool VgGame::KeyboardEnabled() { return _keyboardEnabled; }
void VgGame::SetUpdateRate(int hz) { _updateRate = hz; }
int VgGame::UpdateRate() { return _updateRate; }
bool VgGame::Started() { return _started; }
bool VgGame::Suspended() { return _suspended; }
int VgGame::Millisecs() { return 0; }

void VgGame::GetDate(Array<int> date) { vg_files::GetDate(date); }
int VgGame::SaveState(String state) { return vg_files::SaveState(state); }
String VgGame::LoadState() { return vg_files::LoadState(); }
String VgGame::LoadString(String path) { return vg_files::LoadString(path); }

bool VgGame::PollJoystick(int, Array<float>, Array<float>, Array<float>, Array<bool>) {
  return false;
}

void VgGame::OpenUrl(String) {}
void VgGame::SetMouseVisible(bool) {}
bool VgGame::SetFullscreen(bool) { return false; }
String VgGame::PathToFilePath(String path) { return path; }
FILE* VgGame::OpenFile(String path, String mode) { return vg_files::OpenFile(path, mode); }
unsigned char* VgGame::LoadData(String path, int* length) {
  return vg_files::LoadData(path, length);
}

void VgGame::Die(ThrowableObject*) {
  vgPrint("Tarvik Runtime Error : Uncaught Tarvik Exception");
  std::exit(-1);
}

void VgGame::gc_collect() {
  gc_mark_now(_delegate);
  ::gc_collect();
}

// The shape of every entry point: guard, delegate call inside the handler, collector step.
#define VG_ENTRY(guard, call)                \
  do {                                       \
    if (!(guard)) return;                    \
    try {                                    \
      if (_delegate) _delegate->call;        \
    } catch (ThrowableObject * exception) {  \
      Die(exception);                        \
    }                                        \
    gc_collect();                            \
  } while (0)

void VgGame::StartGame() {
  if (_started) return;
  _started = true;
  VG_ENTRY(true, StartGame());
}

void VgGame::SuspendGame() {
  if (!_started || _suspended) return;
  _suspended = true;
  VG_ENTRY(true, SuspendGame());
}

void VgGame::ResumeGame() {
  if (!_started || !_suspended) return;
  _suspended = false;
  VG_ENTRY(true, ResumeGame());
}

void VgGame::UpdateGame() { VG_ENTRY(_started && !_suspended, UpdateGame()); }
void VgGame::RenderGame() { VG_ENTRY(_started, RenderGame()); }
void VgGame::KeyEvent(int event, int data) { VG_ENTRY(_started, KeyEvent(event, data)); }
void VgGame::MouseEvent(int event, int data, float x, float y) {
  VG_ENTRY(_started, MouseEvent(event, data, x, y));
}
void VgGame::TouchEvent(int event, int data, float x, float y) {
  VG_ENTRY(_started, TouchEvent(event, data, x, y));
}
void VgGame::MotionEvent(int event, int data, float x, float y, float z) {
  VG_ENTRY(_started, MotionEvent(event, data, x, y, z));
}
void VgGame::DiscardGraphics() { VG_ENTRY(_started, DiscardGraphics()); }

#undef VG_ENTRY
