// The host's window under a real X server (a private Xvfb with Mesa's software OpenGL): size,
// place and title, full screen and back with a working context, the close box as the close
// key, focus suspending the real loop; and the program's start-up through VgTarvikGame::Main.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

#include "host/glfw2.h"
#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "runtime/startup.h"
#include "tests/host/child_process.h"
#include "tests/host/recording_delegate.h"
#include "tests/support/x11_client.h"
#include "tests/support/xvfb.h"

namespace {
class HostWindow : public vgtest::XvfbTest {
 protected:
  void SetUp() override {
    vgtest::XvfbTest::SetUp();
    glfw2_testing::Reset();
    ASSERT_TRUE(glfw2::glfwInit());
    host->SetDelegate(app);
  }
  void TearDown() override { glfw2_testing::Reset(), delete host; }
  unsigned long Open(bool fullScreen = false, int w = 640, int h = 480) {
    host->SetGlfwWindow(w, h, 8, 8, 8, 0, 0, 0, fullScreen);
    return fullScreen ? 0 : vgtest::FindWindowByTitle("Vantorell");
  }
  // Polls the window's events until done() holds or the time runs out.
  static bool PollUntil(const std::function<bool()>& done, double seconds = 5) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (glfw2::glfwPollEvents(), !done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
  static bool Active() { return glfw2::glfwGetWindowParam(glfw2::GLFW_ACTIVE) == 1; }
  // Clears the window through the current context and returns the centre pixel as the X
  // server shows it. GL comes through the window library: no GL headers here.
  static std::vector<int> Draw(unsigned long id, float r, float g, float b) {
    auto clearColor = reinterpret_cast<void (*)(float, float, float, float)>(
        glfw2::glfwGetProcAddress("glClearColor"));
    auto clear = reinterpret_cast<void (*)(unsigned)>(glfw2::glfwGetProcAddress("glClear"));
    if (!clearColor || !clear) return {};
    clearColor(r, g, b, 1), clear(0x4000);  // the colour buffer
    glfw2::glfwSwapBuffers();
    std::vector<unsigned char> rgb;
    int w = 0, h = 0;
    if (!vgtest::CaptureRgb(id, &rgb, &w, &h)) return {};
    size_t i = (static_cast<size_t>(h / 2) * w + w / 2) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
  VgGlfwGame* host = new VgGlfwGame;
  RecordingDelegate* app = new RecordingDelegate;
};

TEST_F(HostWindow, OpensACentredWindowTitledVantorellWhoseCloseBoxOnlySendsTheCloseKey) {
  host->StartGame();
  unsigned long id = Open();
  vgtest::WindowGeometry g;
  int sw = 0, sh = 0;
  ASSERT_TRUE(id && vgtest::GetWindowGeometry(id, &g) && vgtest::GetScreenSize(&sw, &sh));
  EXPECT_EQ(std::vector<int>({g.x, g.y, g.width, g.height}),
            std::vector<int>({(sw - 640) / 2, (sh - 480) / 2, 640, 480}));
  EXPECT_EQ(Draw(id, 1, 0, 0), (std::vector<int>{255, 0, 0}));
  ASSERT_TRUE(vgtest::SendDeleteWindow(id));
  ASSERT_TRUE(PollUntil([&] { return app->Keys().size() >= 2; }));
  EXPECT_EQ(app->Keys(), (std::vector<std::pair<int, int>>{{1, 432}, {2, 432}}));
  PollUntil([] { return false; }, 0.3);  // time for the library to close it, were it to
  EXPECT_EQ(glfw2::glfwGetWindowParam(glfw2::GLFW_OPENED), 1);
  EXPECT_NE(vgtest::FindWindowByTitle("Vantorell", 0), 0u);
}

TEST_F(HostWindow, FullScreenAndBackMakesTwoNewContextsWithTheFocusAndTheLastOneDraws) {
  Open();
  int seq = glfwGraphicsSeq, sw = 0, sh = 0, w = 0, h = 0;
  ASSERT_TRUE(vgtest::GetScreenSize(&sw, &sh));
  VgGlfwVideoMode* desk = VgGlfwGame::GetGlfwDesktopMode();
  EXPECT_EQ(std::make_pair(desk->Width, desk->Height), std::make_pair(sw, sh));
  Open(true, desk->Width, desk->Height);
  glfw2::glfwGetWindowSize(&w, &h);
  EXPECT_EQ(std::make_pair(w, h), std::make_pair(sw, sh));
  // It takes the keyboard, or the game would be suspended where no window manager hands the
  // focus over.
  EXPECT_TRUE(PollUntil(Active));
  unsigned long id = Open();
  EXPECT_EQ(glfwGraphicsSeq, seq + 2);
  EXPECT_TRUE(PollUntil(Active));
  EXPECT_EQ(Draw(id, 0, 1, 0), (std::vector<int>{0, 255, 0}));
}

TEST_F(HostWindow, TheRealLoopSuspendsWhenTheFocusGoesAndResumesWhenItComesBack) {
  unsigned long id = 0;
  app->onStart = [&] { host->SetUpdateRate(60); };
  app->onUpdate = [&] {
    if (app->Count("update") == 5 && !id) {
      id = vgtest::FindWindowByTitle("Vantorell");
      vgtest::FocusWindow(vgtest::RootWindowId());
    }
    if (app->Count("update") >= 10) glfw2::glfwCloseWindow();
  };
  app->onRender = [&] {
    if (host->Suspended()) vgtest::FocusWindow(id);
  };
  host->Run();
  std::string trace = app->Trace();
  size_t s = trace.find('s'), r = trace.find('R');
  ASSERT_LT(s, r);
  EXPECT_EQ(app->Count("suspend"), 1);
  // The focus leaves after update 5; a loaded X server may deliver it an update or two later.
  EXPECT_GE(std::count(trace.begin(), trace.begin() + s, 'u'), 5);
  EXPECT_EQ(trace.substr(s + 1, r - s - 1), std::string(r - s - 1, 'r')) << "renders on events";
  EXPECT_GE(app->Count("update"), 10);
}

// A stand-in application that prints what happens to it, and after ten updates asks its own
// window to close the way a window manager's close box does.
class StartupApp : public VgGameDelegate {
 public:
  int updates = 0;
  void StartGame() override {
    std::printf("start rate=%d\n", VgGame::_game->UpdateRate());
    VgGame::_game->SetUpdateRate(60);
  }
  void UpdateGame() override {
    if (++updates != 10) return;
    int w = 0, h = 0;
    glfw2::glfwGetWindowSize(&w, &h);
    std::printf("window=%dx%d\n", w, h);
    vgtest::SendDeleteWindow(vgtest::FindWindowByTitle("Vantorell"));
  }
  void KeyEvent(int event, int data) override {
    if (event != 1 || data != 432) return;
    std::printf("close key\n");  // the framework ends the program on this key; so does this
    std::exit(0);
  }
};

int initCalls = 0;
ChildResult RunMain() {
  return RunInChild([] {
    alarm(30);  // a program that never ends fails the test instead of hanging it
    char name[] = "vantorell";
    char* argv[] = {name, nullptr};
    VgTarvikGame::Main(1, argv);
    std::printf("returned\n");
  });
}
}  // namespace

int vgInit() {
  std::printf("init\n");
  ++initCalls;
  return 0;
}

int vgMain() {
  std::printf("main after init=%d\n", initCalls);
  VgGame::_game->SetDelegate(new StartupApp);
  return 0;
}

TEST(HostStartup, WithoutADisplayItPrintsGlfwInitFailedAndExitsWith255) {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  ChildResult r = RunMain();
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "glfwInit failed\n");
}

class HostStartupWindow : public vgtest::XvfbTest {};

TEST_F(HostStartupWindow, TheProgramShowsItsWindowAndTheCloseBoxEndsItWithStatusZero) {
  ChildResult r = RunMain();
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "init\nmain after init=1\nstart rate=0\nwindow=640x480\nclose key\n");
}
