// The host's window under a real X server (a private Xvfb with Mesa's software OpenGL): size,
// place and title, the full-screen switch and back with a working context, the close box as
// the close key, focus suspending the real loop, and real key presses arriving translated.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
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
    host->SetDelegate(app);
  }
  void TearDown() override {
    glfw2_testing::Reset();
    delete host;
  }
  unsigned long Open(bool fullScreen = false, int w = 640, int h = 480) {
    host->SetGlfwWindow(w, h, 8, 8, 8, 0, 0, 0, fullScreen);
    return fullScreen ? 0 : vgtest::FindWindowByTitle("Vantorell");
  }
  // Polls the window's events until done() holds or the time runs out.
  static bool PollUntil(const std::function<bool()>& done, double seconds = 5) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (; std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(std::chrono::milliseconds(5)))
      if (glfw2::glfwPollEvents(), done()) return true;
    return false;
  }
  static bool Active() { return glfw2::glfwGetWindowParam(glfw2::GLFW_ACTIVE) == 1; }
  // Clears the window to one colour through the current context and returns the centre pixel
  // as the X server shows it. GL comes through the window library: no GL headers here.
  static std::vector<int> Draw(unsigned long id, float r, float g, float b) {
    auto clearColor = reinterpret_cast<void (*)(float, float, float, float)>(glfw2::glfwGetProcAddress("glClearColor"));
    auto clear = reinterpret_cast<void (*)(unsigned)>(glfw2::glfwGetProcAddress("glClear"));
    auto finish = reinterpret_cast<void (*)()>(glfw2::glfwGetProcAddress("glFinish"));
    if (!clearColor || !clear || !finish) return {};
    clearColor(r, g, b, 1), clear(0x4000), finish();  // 0x4000: the colour buffer
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
  ASSERT_NE(id, 0u);
  vgtest::WindowGeometry g;
  int sw = 0, sh = 0;
  ASSERT_TRUE(vgtest::GetWindowGeometry(id, &g) && vgtest::GetScreenSize(&sw, &sh));
  EXPECT_EQ(std::vector<int>({g.x, g.y, g.width, g.height}), std::vector<int>({(sw - 640) / 2, (sh - 480) / 2, 640, 480}));
  EXPECT_EQ(Draw(id, 1, 0, 0), (std::vector<int>{255, 0, 0}));

  ASSERT_TRUE(vgtest::SendDeleteWindow(id));
  ASSERT_TRUE(PollUntil([&] { return app->Keys().size() >= 2; }));
  EXPECT_EQ(app->Keys(), (Events{{1, 432}, {2, 432}}));
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
  // It has the keyboard, so the game is not suspended behind it where no window manager
  // hands the focus over.
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
    int n = app->Count("update");
    if (n == 5 && !id) vgtest::FocusWindow(vgtest::RootWindowId()), id = vgtest::FindWindowByTitle("Vantorell");
    if (n >= 10) glfw2::glfwCloseWindow();
  };
  app->onRender = [&] {
    if (host->Suspended()) vgtest::FocusWindow(id);
  };
  host->Run();
  std::string trace = app->Trace();
  size_t s = trace.find('s'), r = trace.find('R');
  ASSERT_LT(s, r);
  EXPECT_EQ(app->Count("suspend"), 1);
  EXPECT_EQ(std::count(trace.begin(), trace.begin() + s, 'u'), 5);
  EXPECT_EQ(trace.substr(s + 1, r - s - 1), std::string(r - s - 1, 'r')) << "renders only, on events";
  EXPECT_GE(app->Count("update"), 10);
}

TEST_F(HostWindow, RealKeyPressesArriveAsRuntimeKeysAndCharacters) {
  host->StartGame();
  unsigned long id = Open();
  ASSERT_TRUE(id && vgtest::FocusWindow(id) && PollUntil(Active));
  for (auto [key, events] : {std::pair<const char*, Events>{"Left", {{1, 37}, {3, 0x10025}, {2, 37}}},
                             {"a", {{1, 65}, {3, 97}, {2, 65}}}}) {
    app->calls.clear();
    ASSERT_TRUE(vgtest::XdotoolKey("key", key));
    ASSERT_TRUE(PollUntil([&] { return app->Keys().size() >= 3; }));
    EXPECT_EQ(app->Keys(), events) << key;
  }
  app->calls.clear();  // a key held when the window is replaced comes up first
  ASSERT_TRUE(vgtest::XdotoolKey("keydown", "Down"));
  ASSERT_TRUE(PollUntil([&] { return glfw2::glfwGetKey(glfw2::GLFW_KEY_DOWN) == 1; }));
  Open();
  ASSERT_FALSE(app->Keys().empty());
  EXPECT_EQ(app->Keys().back(), std::make_pair(2, 40));
  vgtest::XdotoolKey("keyup", "Down");
}

TEST_F(HostWindow, AMalformedMappingFileInTheWorkingFolderDoesNotStopTheLibrary) {
  char dir[] = "/tmp/vg_padmapXXXXXX", old[4096];
  ASSERT_TRUE(mkdtemp(dir) && getcwd(old, sizeof old) && chdir(dir) == 0);
  if (std::FILE* f = std::fopen("gamecontrollerdb.txt", "wb")) {
    std::fputs("not a mapping\n0300000000000000000000000000000,Broken,a:b0,\n\xff\xfe\n", f);
    std::fclose(f);
  }
  glfw2::glfwTerminate();
  EXPECT_EQ(glfw2::glfwInit(), 1);
  std::remove("gamecontrollerdb.txt");
  EXPECT_EQ(chdir(old), 0);
  rmdir(dir);
}
}  // namespace
