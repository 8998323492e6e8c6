// The host's window under a real X server (a private Xvfb with Mesa's software OpenGL): size,
// place and title, full screen and back with new contexts, the close box as the close key,
// focus suspending the real loop; and the program's start-up without a display.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

#include "host/glfw2.h"
#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "runtime/startup.h"
#include "tests/host/host_testing.h"
#include "tests/support/x11_client.h"
#include "tests/support/xvfb.h"

namespace {
constexpr int kScreenW = 1280, kScreenH = 1024;  // the test server's screen

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
  VgGlfwGame* host = new VgGlfwGame;
  RecordingDelegate* app = new RecordingDelegate;
};

TEST_F(HostWindow, ACentredWindowGoesFullScreenAndBackWithTheFocusAndItsCloseBoxOnlySendsTheCloseKey) {
  host->StartGame();
  unsigned long id = Open();
  vgtest::WindowGeometry g;
  ASSERT_TRUE(id && vgtest::GetWindowGeometry(id, &g));
  EXPECT_EQ(std::vector<int>({g.x, g.y, g.width, g.height}),
            std::vector<int>({(kScreenW - 640) / 2, (kScreenH - 480) / 2, 640, 480}));
  int seq = glfwGraphicsSeq, w = 0, h = 0;
  VgGlfwVideoMode* desk = VgGlfwGame::GetGlfwDesktopMode();
  EXPECT_EQ(std::make_pair(desk->Width, desk->Height), std::make_pair(kScreenW, kScreenH));
  Open(true, desk->Width, desk->Height);
  glfw2::glfwGetWindowSize(&w, &h);
  EXPECT_EQ(std::make_pair(w, h), std::make_pair(kScreenW, kScreenH));
  // It takes the keyboard, or the game would be suspended where no window manager hands the
  // focus over.
  EXPECT_TRUE(PollUntil(Active));
  id = Open();
  EXPECT_EQ(glfwGraphicsSeq, seq + 2);
  EXPECT_TRUE(PollUntil(Active));
  app->calls.clear();
  ASSERT_TRUE(vgtest::SendDeleteWindow(id));
  ASSERT_TRUE(PollUntil([&] { return app->Keys().size() >= 2; }));
  EXPECT_EQ(app->Keys(), (std::vector<std::pair<int, int>>{{1, 432}, {2, 432}}));
  PollUntil([] { return false; }, 0.3);  // time for the library to close it, were it to
  EXPECT_EQ(glfw2::glfwGetWindowParam(glfw2::GLFW_OPENED), 1);
  EXPECT_NE(vgtest::FindWindowByTitle("Vantorell", 0), 0u);
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

}  // namespace

// The program's entry points, reached only once the window library has started.
int vgInit() { return std::printf("init\n"), 0; }
int vgMain() { return std::printf("main\n"), 0; }

TEST(HostStartup, WithoutADisplayItPrintsGlfwInitFailedAndExitsWith255) {
  ChildResult r = RunInChild([] {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    char name[] = "vantorell";
    char* argv[] = {name, nullptr};
    VgTarvikGame::Main(1, argv);
  });
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "glfwInit failed\n");
}
