// The host's window under a real X server (a private Xvfb with Mesa's software OpenGL): its
// size, place and title, the full-screen switch and back with a working context, the close
// box arriving as the close key, and real key presses arriving translated.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "host/glfw2.h"
#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "tests/host/recording_delegate.h"
#include "tests/support/x11_client.h"
#include "tests/support/xvfb.h"

namespace {

using Events = std::vector<std::pair<int, int>>;

class HostWindow : public vgtest::XvfbTest {
 protected:
  void SetUp() override {
    vgtest::XvfbTest::SetUp();
    if (HasFatalFailure()) return;
    glfw2_testing::Reset();
    ASSERT_TRUE(glfw2::glfwInit());
    host = new VgGlfwGame;
    app = new RecordingDelegate;
    host->SetDelegate(app);
    host->StartGame();
  }
  void TearDown() override {
    glfw2_testing::Reset();
    delete host;
  }

  // Polls the window's events until done() holds or the time runs out.
  bool PollUntil(const std::function<bool()>& done, double seconds = 5) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
      glfw2::glfwPollEvents();
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }

  // Fills the window with one colour through the current context and shows it. GL is
  // reached through the window library, so the host's tests stay free of GL headers.
  static bool Fill(float r, float g, float b) {
    using ClearColor = void (*)(float, float, float, float);
    using Clear = void (*)(unsigned);
    using Finish = void (*)();
    auto clearColor = reinterpret_cast<ClearColor>(glfw2::glfwGetProcAddress("glClearColor"));
    auto clear = reinterpret_cast<Clear>(glfw2::glfwGetProcAddress("glClear"));
    auto finish = reinterpret_cast<Finish>(glfw2::glfwGetProcAddress("glFinish"));
    if (!clearColor || !clear || !finish) return false;
    clearColor(r, g, b, 1);
    clear(0x4000);  // the colour buffer
    finish();
    glfw2::glfwSwapBuffers();
    return true;
  }

  // The colour at the centre of the window as the X server shows it.
  static std::vector<int> CentrePixel(unsigned long window, const char* png) {
    std::vector<unsigned char> rgb;
    int w = 0, h = 0;
    if (png) vgtest::Screenshot(window, png);
    if (!vgtest::CaptureRgb(window, &rgb, &w, &h)) return {};
    size_t i = (static_cast<size_t>(h / 2) * w + w / 2) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }

  VgGlfwGame* host = nullptr;
  RecordingDelegate* app = nullptr;
};

TEST_F(HostWindow, OpensACentred640By480WindowTitledVantorellWithAWorkingContext) {
  host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
  unsigned long id = vgtest::FindWindowByTitle("Vantorell");
  ASSERT_NE(id, 0u);
  vgtest::WindowGeometry g;
  ASSERT_TRUE(vgtest::GetWindowGeometry(id, &g));
  EXPECT_EQ(g.width, 640);
  EXPECT_EQ(g.height, 480);
  int sw = 0, sh = 0;
  ASSERT_TRUE(vgtest::GetScreenSize(&sw, &sh));
  EXPECT_EQ(g.x, (sw - 640) / 2);
  EXPECT_EQ(g.y, (sh - 480) / 2);
  int w = 0, h = 0;
  glfw2::glfwGetWindowSize(&w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_EQ(glfw2::glfwGetWindowParam(glfw2::GLFW_OPENED), 1);
  EXPECT_EQ(glfw2::glfwGetWindowParam(glfw2::GLFW_ICONIFIED), 0);

  ASSERT_TRUE(Fill(1, 0, 0));
  EXPECT_EQ(CentrePixel(id, "/tmp/vg_host_window.png"), (std::vector<int>{255, 0, 0}));
}

TEST_F(HostWindow, FullScreenAndBackMakesTwoNewContextsAndTheLastOneDraws) {
  host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
  int seq = glfwGraphicsSeq;
  VgGlfwVideoMode* desk = VgGlfwGame::GetGlfwDesktopMode();
  int sw = 0, sh = 0;
  ASSERT_TRUE(vgtest::GetScreenSize(&sw, &sh));
  EXPECT_EQ(desk->Width, sw);
  EXPECT_EQ(desk->Height, sh);

  host->SetGlfwWindow(desk->Width, desk->Height, 8, 8, 8, 0, 0, 0, true);
  EXPECT_EQ(glfwGraphicsSeq, seq + 1);
  EXPECT_EQ(glfw2::glfwGetWindowParam(glfw2::GLFW_OPENED), 1);
  int w = 0, h = 0;
  glfw2::glfwGetWindowSize(&w, &h);
  EXPECT_EQ(w, sw);
  EXPECT_EQ(h, sh);
  EXPECT_TRUE(Fill(0, 0, 1));
  // The full-screen window has the keyboard, so the game is not suspended behind it.
  EXPECT_TRUE(PollUntil([] { return glfw2::glfwGetWindowParam(glfw2::GLFW_ACTIVE) == 1; }));

  host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
  EXPECT_EQ(glfwGraphicsSeq, seq + 2);
  unsigned long id = vgtest::FindWindowByTitle("Vantorell");
  ASSERT_NE(id, 0u);
  vgtest::WindowGeometry g;
  ASSERT_TRUE(vgtest::GetWindowGeometry(id, &g));
  EXPECT_EQ(g.width, 640);
  EXPECT_EQ(g.height, 480);
  EXPECT_TRUE(PollUntil([] { return glfw2::glfwGetWindowParam(glfw2::GLFW_ACTIVE) == 1; }));
  ASSERT_TRUE(Fill(0, 1, 0));
  EXPECT_EQ(CentrePixel(id, "/tmp/vg_host_window_after_fullscreen.png"),
            (std::vector<int>{0, 255, 0}));
}

TEST_F(HostWindow, TheCloseBoxArrivesAsTheCloseKeyAndDoesNotCloseTheWindow) {
  host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
  unsigned long id = vgtest::FindWindowByTitle("Vantorell");
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(vgtest::SendDeleteWindow(id));
  ASSERT_TRUE(PollUntil([&] { return app->Keys().size() >= 2; }));
  EXPECT_EQ(app->Keys(), (Events{{1, 432}, {2, 432}}));
  // Give the library time to act on the request, should it wrongly do so.
  PollUntil([] { return false; }, 0.3);
  EXPECT_EQ(glfw2::glfwGetWindowParam(glfw2::GLFW_OPENED), 1);
  EXPECT_NE(vgtest::FindWindowByTitle("Vantorell", 0), 0u);
}

TEST_F(HostWindow, FocusChangesReachTheActiveParameter) {
  host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
  unsigned long id = vgtest::FindWindowByTitle("Vantorell");
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(vgtest::FocusWindow(id));
  EXPECT_TRUE(PollUntil([] { return glfw2::glfwGetWindowParam(glfw2::GLFW_ACTIVE) == 1; }));
  ASSERT_TRUE(vgtest::FocusWindow(vgtest::RootWindowId()));
  EXPECT_TRUE(PollUntil([] { return glfw2::glfwGetWindowParam(glfw2::GLFW_ACTIVE) == 0; }));
  EXPECT_EQ(glfw2::glfwGetWindowParam(glfw2::GLFW_ICONIFIED), 0);
  ASSERT_TRUE(vgtest::FocusWindow(id));
  EXPECT_TRUE(PollUntil([] { return glfw2::glfwGetWindowParam(glfw2::GLFW_ACTIVE) == 1; }));
}

TEST_F(HostWindow, TheRealLoopSuspendsWhenTheFocusGoesAndResumesWhenItComesBack) {
  // Run() opens its own window and starts the game; this delegate was started already, so
  // a fresh host and delegate run the loop.
  delete host;
  host = new VgGlfwGame;
  app = new RecordingDelegate;
  host->SetDelegate(app);
  unsigned long id = 0;
  bool away = false, back = false;
  app->onStart = [&] { host->SetUpdateRate(60); };
  app->onUpdate = [&] {
    int n = app->Count("update");
    if (n == 5 && !away) {
      away = true;
      id = vgtest::FindWindowByTitle("Vantorell");
      vgtest::FocusWindow(vgtest::RootWindowId());
    } else if (back && n >= 10) {
      glfw2::glfwCloseWindow();
    }
  };
  app->onRender = [&] {
    if (host->Suspended() && !back) {
      back = true;
      vgtest::FocusWindow(id);
    }
  };
  host->Run();
  EXPECT_EQ(app->Count("suspend"), 1);
  EXPECT_EQ(app->Count("resume"), 1);
  std::string trace = app->Trace();
  size_t s = trace.find('s'), r = trace.find('R');
  ASSERT_NE(s, std::string::npos);
  ASSERT_NE(r, std::string::npos);
  EXPECT_EQ(std::count(trace.begin(), trace.begin() + s, 'u'), 5);
  // While away: renders only, on events; after: updates again.
  std::string between = trace.substr(s + 1, r - s - 1);
  EXPECT_EQ(between, std::string(between.size(), 'r'));
  EXPECT_GE(app->Count("update"), 10);
}

TEST_F(HostWindow, RealKeyPressesArriveAsRuntimeKeysAndCharacters) {
  host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
  unsigned long id = vgtest::FindWindowByTitle("Vantorell");
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(vgtest::FocusWindow(id));
  ASSERT_TRUE(PollUntil([] { return glfw2::glfwGetWindowParam(glfw2::GLFW_ACTIVE) == 1; }));

  ASSERT_TRUE(vgtest::XdotoolKey("key", "Left"));
  ASSERT_TRUE(PollUntil([&] { return app->Keys().size() >= 3; }));
  EXPECT_EQ(app->Keys(), (Events{{1, 37}, {3, 0x10025}, {2, 37}}));

  app->calls.clear();
  ASSERT_TRUE(vgtest::XdotoolKey("key", "a"));
  ASSERT_TRUE(PollUntil([&] { return app->Keys().size() >= 3; }));
  EXPECT_EQ(app->Keys(), (Events{{1, 65}, {3, 97}, {2, 65}}));

  // A key held down when the window is replaced comes up first.
  app->calls.clear();
  ASSERT_TRUE(vgtest::XdotoolKey("keydown", "Down"));
  ASSERT_TRUE(PollUntil([&] { return glfw2::glfwGetKey(glfw2::GLFW_KEY_DOWN) == 1; }));
  host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
  Events keys = app->Keys();
  ASSERT_FALSE(keys.empty());
  EXPECT_EQ(keys.back(), std::make_pair(2, 40));
  vgtest::XdotoolKey("keyup", "Down");
}

// A user's mapping file in the working folder is read at start-up; a broken one changes
// nothing else.
TEST(HostGamepadMappings, AMalformedMappingFileDoesNotStopTheLibraryStarting) {
  vgtest::XvfbServer server;
  ASSERT_TRUE(server.Start()) << server.error();
  glfw2_testing::Reset();
  char dir[] = "/tmp/vg_padmapXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(dir), 0);
  if (std::FILE* f = std::fopen("gamecontrollerdb.txt", "wb")) {
    std::fputs("not a mapping\n0300000000000000000000000000000,Broken,a:b0,\n\xff\xfe\n", f);
    std::fclose(f);
  }
  EXPECT_EQ(glfw2::glfwInit(), 1);
  glfw2::glfwTerminate();
  std::remove("gamecontrollerdb.txt");
  EXPECT_EQ(chdir(old), 0);
  rmdir(dir);
}

}  // namespace
