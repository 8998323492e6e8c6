// The platform-neutral host: VgGame owns the delegate, the update rate and the started and
// suspended flags, and its ten event entry points shield every call into application code.
// The framework implements VgGameDelegate; start-up creates the one host (VgTarvikGame).
#pragma once
#include <cstdio>

#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/string.h"

// What the host asks of the application. Every operation is empty here; the framework's
// delegate overrides them. The slot order is part of the contract with the framework.
class VgGameDelegate : public Object {
 public:
  virtual void StartGame() {}
  virtual void SuspendGame() {}
  virtual void ResumeGame() {}
  virtual void UpdateGame() {}
  virtual void RenderGame() {}
  virtual void KeyEvent(int /*event*/, int /*data*/) {}
  virtual void MouseEvent(int /*event*/, int /*data*/, float /*x*/, float /*y*/) {}
  virtual void TouchEvent(int /*event*/, int /*data*/, float /*x*/, float /*y*/) {}
  virtual void MotionEvent(int /*event*/, int /*data*/, float /*x*/, float /*y*/,
                           float /*z*/) {}
  virtual void DiscardGraphics() {}
};

class VgGame {
 public:
  VgGame();
  virtual ~VgGame();

  virtual void SetDelegate(VgGameDelegate* delegate);
  virtual VgGameDelegate* Delegate();
  virtual void SetKeyboardEnabled(bool enabled);
  virtual bool KeyboardEnabled();
  virtual void SetUpdateRate(int hz);
  virtual int UpdateRate();
  virtual bool Started();
  virtual bool Suspended();
  virtual int Millisecs();
  virtual void GetDate(Array<int> date);
  virtual int SaveState(String state);
  virtual String LoadState();
  virtual String LoadString(String path);
  virtual bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                            Array<bool> buttons);
  virtual void OpenUrl(String url);
  virtual void SetMouseVisible(bool visible);
  // The game's full-screen switch: a window filling the desktop at its own size, or a
  // 640 x 480 window. False, with nothing done, where there is no window to replace (this
  // base: a headless run).
  virtual bool SetFullscreen(bool fullscreen);
  virtual String PathToFilePath(String path);
  virtual FILE* OpenFile(String path, String mode);
  // The caller owns the block and releases it with std::free().
  virtual unsigned char* LoadData(String path, int* length);
  // Prints the uncaught-exception line and ends the process with exit code -1.
  virtual void Die(ThrowableObject* exception);
  // The only place collector steps run: marks the delegate at once, then one step.
  virtual void gc_collect();

  // Entry points: each tests its guard, calls the delegate's operation of the same name
  // inside the exception handler, then runs one collector step.
  virtual void StartGame();
  virtual void SuspendGame();
  virtual void ResumeGame();
  virtual void UpdateGame();
  virtual void RenderGame();
  virtual void KeyEvent(int event, int data);
  virtual void MouseEvent(int event, int data, float x, float y);
  virtual void TouchEvent(int event, int data, float x, float y);
  virtual void MotionEvent(int event, int data, float x, float y, float z);
  virtual void DiscardGraphics();

  // Decoders for the devices. Each returns a block the caller frees with std::free(), or
  // null when the file is missing or cannot be decoded; this base decodes nothing.
  virtual unsigned char* LoadImageData(String path, int* width, int* height, int* depth);
  virtual unsigned char* LoadAudioData(String path, int* length, int* channels, int* format,
                                       int* hertz);
  // Long sounds decoded ahead of need: PrefetchAudioData starts on a file, TakeAudioData hands
  // that result over and forgets it, or is LoadAudioData for a file not prefetched.
  virtual void PrefetchAudioData(String path);
  virtual unsigned char* TakeAudioData(String path, int* length, int* channels, int* format,
                                       int* hertz);
  // TakeAudioData without the wait, for sounds wanted again on a new audio device: null with
  // *waiting set while a long sound is still being decoded; this base decodes at once.
  virtual unsigned char* FetchAudioData(String path, int* length, int* channels, int* format,
                                        int* hertz, bool* waiting);

  // The window as the graphics device sees it: its size in pixels, the end of a frame, and
  // the number of the GL context it has, counted up each time a window brings a new one (0
  // before the first), so a texture made under another number is made again. Answered by
  // the host built in (host/glfw_game.cpp); static, as the device may draw with no host
  // object (its tests do).
  static void WindowSize(int* width, int* height);
  static void SwapBuffers();
  static int GraphicsSeq();
  // True where a frame that draws nothing leaves the last picture showing (a page's canvas).
  static bool KeepsLastPicture();

  // The one host of the process (set by the constructor).
  static VgGame* _game;

 protected:
  VgGameDelegate* _delegate;
  bool _keyboardEnabled;
  int _updateRate;
  bool _started;
  bool _suspended;
};
