// Headless game harness: the real c_MyApp, framework and devices driven update by update by a
// window host without a window (GL calls go to a GlRecorder, OpenAL Soft to its null output),
// a manual clock, a pretend window size and scripted input. One game per process (vgInit and
// vgMain run once), so each scenario runs in a child (RunInChild), in a temporary folder with a
// `data` link (or pruned copy) of <VG_BUILD_DIR>/game/data so saved state never leaks.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "tests/support/gl_recorder.h"

class c_MyApp;

namespace vgtest {

// SetGlfwWindow resizes the pretend window; Run is never used.
class HarnessHost : public VgGlfwGame {
 public:
  // Every file the devices asked for, in order (paths as the host received them).
  std::vector<std::string> opened;

  void SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha, int depth,
                     int stencil, bool fullscreen) override;
  void Run() override {}
  FILE* OpenFile(String path, String mode) override;
  // The files opened since the last call, and forgets them.
  std::vector<std::string> TakeOpened() { return std::exchange(opened, {}); }
};

// Runtime key codes the tests use most.
enum Key {
  kKeyEnter = 13, kKeySpace = 32, kKeyEscape = 27, kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39,
  kKeyDown = 40, kKeyF4 = 115, kKeyF11 = 122, kKeyClose = 432,
};

class Harness {
 public:
  struct Options {
    int width = 640, height = 480;
    // Data files (relative to data/) to leave out; any entry makes Start copy the folder.
    std::vector<std::string> removeData;
  };

  Harness();
  explicit Harness(Options options);
  ~Harness();

  // Creates the game as the program does (vgInit, vgMain), starts it and renders once.
  void Start();
  // After Start: renders from now on go to a real window of the harness's size with its own
  // GL context (DISPLAY must name a server, e.g. an XvfbServer) instead of the recorder.
  // Textures are made again in the new context; gl() records nothing more.
  bool UseRealWindow();

  // One fixed step: the clock moves 1/60 s, then the host's UpdateGame.
  void Update(int n = 1);
  void Render() { host_->RenderGame(); }
  // n times an update followed by a render, like the main loop when it keeps up.
  void Frame(int n = 1);
  // Frames until the loader has finished, at most limit; returns how many ran.
  int FinishLoading(int limit = 200);

  void Press(int key) { host_->KeyEvent(1, key); }
  void Release(int key) { host_->KeyEvent(2, key); }
  void Tap(int key) { Press(key), Update(), Release(key); }  // over one update
  // Window pixels.
  void MouseMove(float x, float y) { host_->MouseEvent(6, 0, x, y); }
  void MouseDown(float x, float y, int button = 0) { host_->MouseEvent(4, button, x, y); }
  void MouseUp(int button = 0) { host_->MouseEvent(5, button, 0, 0); }
  void Suspend() { host_->SuspendGame(); }
  void Resume() { host_->ResumeGame(); }
  // Resizes the pretend window (seen by the devices at the next render).
  void Resize(int width, int height) { glfw2_testing::SetClosedWindowSize(width, height); }
  // A pad on unit 0..3: axes as GLFW reports them (y positive down) and button states.
  void Joystick(int unit, std::vector<float> axes, std::vector<unsigned char> buttons);

  c_MyApp* app() const;
  HarnessHost* host() const { return host_; }
  GlRecorder& gl() { return *gl_; }
  glfw2_testing::ManualClock& clock() { return clock_; }
  const std::string& workDir() const { return workDir_; }

 private:
  Options options_;
  glfw2_testing::ManualClock clock_;
  std::unique_ptr<GlRecorder> gl_;
  HarnessHost* host_ = nullptr;
  std::string workDir_;
};

// Runs body in a forked child: its exit status (1 when an expectation failed in it, else 0,
// unless the body ends the process itself), or -1 when it died from a signal.
int RunInChild(const std::function<void()>& body);

// The credits deep in the names with every object, particle and star in use, on a game
// already on its game screen: the next update records the longest draw list the game makes.
void FillCreditsScene(c_MyApp* a);

// Runs body in a child process on a game started and past its loader.
void OnLoadedGame(void (*body)(Harness&, c_MyApp*), Harness::Options options = {});

}  // namespace vgtest

// Runs a scenario (a lambda) in a child process and expects it to pass there (the status
// alone is reported: the failures are listed by the child).
#define VG_IN_CHILD(...)                                                \
  if (int vg_status = ::vgtest::RunInChild(__VA_ARGS__); vg_status == 0) \
    ;                                                                    \
  else                                                                   \
    ADD_FAILURE() << "the scenario failed in its child, status " << vg_status
