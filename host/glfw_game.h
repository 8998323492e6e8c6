// The host over the GLFW 2.7-style facade (host/glfw2.h): the window, the fixed-step
// main loop, input translation and image/sound decoding for the devices. Start-up creates the
// one VgTarvikGame; the game reaches its window switch through VgGame::SetFullscreen.
#pragma once
#include <memory>

#include "host/game.h"

struct VgAudioPrefetch;

// Incremented each time a window (and with it a new OpenGL context) is opened; the graphics
// device reads it through VgGame::GraphicsSeq and compares it with the value its textures
// were made under. Tests set it to stand for a window.
extern int glfwGraphicsSeq;

class VgGlfwVideoMode : public Object {
 public:
  int Width = 0;
  int Height = 0;
  int RedBits = 0;
  int GreenBits = 0;
  int BlueBits = 0;
};

class VgGlfwGame : public VgGame {
 public:
  VgGlfwGame();

  void SetUpdateRate(int hz) override;
  int Millisecs() override;
  bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                    Array<bool> buttons) override;
  void OpenUrl(String url) override;
  void SetMouseVisible(bool visible) override;
  // Replaces the window through SetGlfwWindow, full screen at the desktop's mode.
  bool SetFullscreen(bool fullscreen) override;
  String PathToFilePath(String path) override;

  // The devices' decoders (host/media.cpp).
  unsigned char* LoadImageData(String path, int* width, int* height, int* depth) override;
  unsigned char* LoadAudioData(String path, int* length, int* channels, int* format,
                               int* hertz) override;
  // Long sounds decoded ahead of need (host/audio_prefetch.cpp): PrefetchAudioData opens the
  // file and has a worker thread decode it; TakeAudioData hands that result over (waiting
  // for the worker if it is not done yet) and forgets it, or is LoadAudioData for a file
  // that was not prefetched. Main thread only, like LoadAudioData.
  void PrefetchAudioData(String path) override;
  unsigned char* TakeAudioData(String path, int* length, int* channels, int* format,
                               int* hertz) override;
  // TakeAudioData without the wait: a tune is handed over once the worker has decoded it
  // (requested now if it was not), and until then the result is null with *waiting set;
  // a short sound is LoadAudioData. For sounds wanted again on a new audio device.
  unsigned char* FetchAudioData(String path, int* length, int* channels, int* format, int* hertz,
                                bool* waiting) override;

  // Replaces the window: held keys are released first, then a new window (and context) opens.
  virtual void SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha,
                             int depth, int stencil, bool fullscreen);
  // Opens the first window and runs the main loop until the window is no longer open (on
  // the desktop; a page's loop runs on from the browser's frame callback instead).
  virtual void Run();

  static VgGlfwGame* _glfwGame;

  // What a platform's loop needs beyond Run, with the members' access: declared here and
  // defined only by a platform that has such steps, in a header of its own (the page's is
  // host/web/web_loop.h; the desktop has none).
  struct PlatformLoop;

  static VgGlfwVideoMode* GetGlfwDesktopMode();
  static Array<VgGlfwVideoMode*> GetGlfwVideoModes();

  // GLFW 2.7 key numbers to runtime key codes (Windows virtual-key numbers); 0 for no key.
  static int TransKey(int key);
  // The character code a navigation or editing key also types; 0 for none.
  static int KeyToChar(int key);

  // Callbacks installed on every window.
  static void OnKey(int key, int action);
  static void OnChar(int chr, int action);
  static void OnMouseButton(int button, int action);
  static void OnMousePos(int x, int y);
  static int OnWindowClose();

 protected:
  // Suspends the game while the window is minimised or unfocused and resumes it, without a
  // backlog of updates, once it is active again.
  void FollowWindowState(bool iconified, bool active);
  // Counts the window just opened in glfwGraphicsSeq when it came with a new GL context:
  // every window on the desktop (host/glfw_loop.cpp), only the first in a page, whose canvas
  // keeps its context (host/web/web_loop.cpp).
  void CountNewContext();
  // Runs the updates that are due (at most four, the rest of a backlog dropped), then one
  // render. Called once the schedule's next update time has come.
  void RunDueUpdates();

  std::shared_ptr<VgAudioPrefetch> _prefetch;
  bool _iconified;
  double _nextUpdate;
  double _updatePeriod;
};

class VgTarvikGame : public VgGlfwGame {
 public:
  // The program's start-up sequence; game/main.cpp's main calls it.
  static int Main(int argc, char* argv[]);

  // The command line, stored and not otherwise read.
  static int argc;
  static char** argv;
};
