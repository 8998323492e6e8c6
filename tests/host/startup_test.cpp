// The program's start-up through VgTarvikGame::Main, each run in a child process: no display
// gives "glfwInit failed" and status 255; with one, the steps run in order, the window opens
// and a close request through the window manager protocol ends the program with status 0.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "host/glfw2.h"
#include "host/glfw_game.h"
#include "runtime/startup.h"
#include "tests/host/child_process.h"
#include "tests/support/x11_client.h"
#include "tests/support/xvfb.h"

namespace {
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
    vgtest::WindowGeometry g;
    unsigned long id = vgtest::FindWindowByTitle("Vantorell");
    vgtest::GetWindowGeometry(id, &g);
    std::printf("window=%dx%d on the server %dx%d\n", w, h, g.width, g.height);
    vgtest::SendDeleteWindow(id);
  }
  void KeyEvent(int event, int data) override {
    if (event != 1 || data != 432) return;
    std::printf("close key\n");  // the framework ends the program on this key; so does this
    std::fflush(stdout);
    _exit(0);
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
  EXPECT_EQ(r.out,
            "init\nmain after init=1\nstart rate=0\nwindow=640x480 on the server 640x480\n"
            "close key\n");
}
