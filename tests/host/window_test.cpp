// The host's window under a real X server (a private Xvfb with Mesa's software OpenGL): size
// and title, full screen and back with new contexts and the focus, the close box as the
// close key, and focus suspending the real loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
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
class HostWindow : public vgtest::XvfbTest {
 protected:
  void SetUp() override {
    vgtest::XvfbTest::SetUp();
    glfw2_testing::Reset();
    ASSERT_TRUE(glfw2::glfwInit());
    host->SetDelegate(app);
  }
  void TearDown() override { glfw2_testing::Reset(), delete host; }
  unsigned long Open() {
    host->SetGlfwWindow(640, 480, 8, 8, 8, 0, 0, 0, false);
    return vgtest::FindWindowByTitle("Vantorell");
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

TEST_F(HostWindow, FullScreenAndBackKeepTheFocusAndTheCloseBoxOnlySendsTheCloseKey) {
  host->StartGame();
  unsigned long id = Open();
  int seq = glfwGraphicsSeq, w = 0, h = 0;
  glfw2::glfwGetWindowSize(&w, &h);
  ASSERT_TRUE(id && w == 640 && h == 480);
  ASSERT_TRUE(host->SetFullscreen(true));  // the game's switch: the desktop's own mode
  glfw2::glfwGetWindowSize(&w, &h);
  EXPECT_EQ(std::make_pair(w, h), std::make_pair(1280, 1024)) << "the test server's screen";
  // It takes the keyboard, or the game would be suspended where no window manager hands the
  // focus over.
  EXPECT_TRUE(PollUntil(Active));
  ASSERT_TRUE(host->SetFullscreen(false));
  id = vgtest::FindWindowByTitle("Vantorell");
  glfw2::glfwGetWindowSize(&w, &h);
  EXPECT_TRUE(id && w == 640 && h == 480);
  EXPECT_EQ(glfwGraphicsSeq, seq + 2);
  EXPECT_TRUE(PollUntil(Active));
  app->calls.clear();
  ASSERT_TRUE(vgtest::SendDeleteWindow(id));
  ASSERT_TRUE(PollUntil([&] { return app->Keys().size() >= 2; }));
  EXPECT_EQ(app->Keys(), (std::vector<std::pair<int, int>>{{1, 432}, {2, 432}}));
  PollUntil([] { return false; }, 0.3);  // time for the library to close it, were it to
  EXPECT_NE(vgtest::FindWindowByTitle("Vantorell", 0), 0u);
}

TEST_F(HostWindow, TheRealLoopSuspendsWhenTheFocusGoesAndResumesWhenItComesBack) {
  unsigned long id = 0;
  int updates = 0;
  app->onStart = [&] { host->SetUpdateRate(60); };
  app->onUpdate = [&] {
    if (++updates == 5) {
      id = vgtest::FindWindowByTitle("Vantorell");
      vgtest::FocusWindow(vgtest::RootWindowId());
    }
    if (updates >= 10) glfw2::glfwCloseWindow();
  };
  app->onRender = [&] {
    if (host->Suspended()) vgtest::FocusWindow(id);
  };
  host->Run();
  std::string trace = app->Trace();
  size_t s = trace.find('s'), r = trace.find('R');
  ASSERT_LT(s, r);
  EXPECT_EQ(trace.find_first_of("sR", r + 1), std::string::npos) << "suspended once";
  // The focus leaves after update 5; a loaded X server may deliver it an update or two later.
  EXPECT_GE(std::count(trace.begin(), trace.begin() + s, 'u'), 5);
  EXPECT_EQ(trace.substr(s + 1, r - s - 1), std::string(r - s - 1, 'r')) << "renders on events";
}

}  // namespace
