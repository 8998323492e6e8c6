// The program's start-up sequence through VgTarvikGame::Main, each run in a child process:
// no display gives "glfwInit failed" and status 255; with a display the steps run in order,
// the window opens, and the close box ends the program with status 0.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/glfw2.h"
#include "host/glfw_game.h"
#include "runtime/startup.h"
#include "tests/host/child_process.h"
#include "tests/support/x11_client.h"
#include "tests/support/xvfb.h"

namespace {

// A stand-in application: prints what happens to it so the parent can check the order.
class StartupApp : public VgGameDelegate {
 public:
  int updates = 0;
  void StartGame() override {
    std::printf("start rate=%d\n", VgGame::_game->UpdateRate());
    VgGame::_game->SetUpdateRate(60);
  }
  void UpdateGame() override {
    if (++updates == 10) {
      int w = 0, h = 0;
      glfw2::glfwGetWindowSize(&w, &h);
      std::printf("updates=10 window=%dx%d\n", w, h);
      std::fflush(stdout);
    }
  }
  void KeyEvent(int event, int data) override {
    // The framework ends the program on the close key; so does this stand-in.
    if (event == 1 && data == 432) {
      std::printf("close key\n");
      std::exit(0);
    }
  }
};

int initCalls = 0;
bool registerApp = true;

}  // namespace

int vgInit() {
  ++initCalls;
  std::printf("init\n");
  return 0;
}

int vgMain() {
  std::printf("main after init=%d\n", initCalls);
  if (registerApp) VgGame::_game->SetDelegate(new StartupApp);
  return 0;
}

namespace {

TEST(HostStartup, WithoutADisplayItPrintsGlfwInitFailedAndExitsWith255) {
  ChildResult r = RunInChild([] {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    char name[] = "vantorell";
    char* argv[] = {name, nullptr};
    VgTarvikGame::Main(1, argv);
    std::printf("returned\n");
  });
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "glfwInit failed\n");
}

class HostStartupWindow : public vgtest::XvfbTest {};

TEST_F(HostStartupWindow, WithoutAnApplicationMainReturnsAtOnceWithoutAWindow) {
  ChildResult r = RunInChild([] {
    registerApp = false;
    char name[] = "vantorell";
    char* argv[] = {name, nullptr};
    int code = VgTarvikGame::Main(1, argv);
    std::printf("code=%d argc=%d\n", code, VgTarvikGame::argc);
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "init\nmain after init=1\ncode=0 argc=1\n");
}

TEST_F(HostStartupWindow, TheProgramShowsItsWindowAndTheCloseBoxEndsItWithStatusZero) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::fflush(stdout);
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    dup2(fds[1], 1);
    char name[] = "vantorell";
    char* argv[] = {name, nullptr};
    int code = VgTarvikGame::Main(1, argv);
    std::printf("loop ended code=%d\n", code);
    std::fflush(stdout);
    _exit(code);
  }
  close(fds[1]);

  std::string out;
  // Reads what the program prints until it says `until` (or ends); false on time-out.
  auto readUntil = [&](const char* until) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
      if (until && out.find(until) != std::string::npos) return true;
      pollfd p{fds[0], POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char block[1024];
      ssize_t n = read(fds[0], block, sizeof block);
      if (n <= 0) return until == nullptr;
      out.append(block, n);
    }
    return false;
  };

  unsigned long id = vgtest::FindWindowByTitle("Vantorell", 20);
  EXPECT_NE(id, 0u);
  vgtest::WindowGeometry g;
  if (id && vgtest::GetWindowGeometry(id, &g)) {
    EXPECT_EQ(g.width, 640);
    EXPECT_EQ(g.height, 480);
  }
  // Let it run its first updates before asking it to close.
  EXPECT_TRUE(readUntil("updates=10"));
  if (id) {
    EXPECT_TRUE(vgtest::SendDeleteWindow(id));
  }
  EXPECT_TRUE(readUntil(nullptr));
  close(fds[0]);
  int status = 0;
  bool ended = false;
  for (int i = 0; i < 500 && !ended; ++i) {
    ended = waitpid(pid, &status, WNOHANG) == pid;
    if (!ended) poll(nullptr, 0, 20);
  }
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    FAIL() << "the program did not end; output:\n" << out;
  }
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(out,
            "init\nmain after init=1\nstart rate=0\nupdates=10 window=640x480\nclose key\n");
}

}  // namespace
