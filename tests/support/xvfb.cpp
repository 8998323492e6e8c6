// Starting and stopping a private Xvfb for window tests. The server is told to write its
// display number to a pipe (-displayfd), which it does only once it accepts connections.
#include "tests/support/xvfb.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace vgtest {

namespace {
bool CanConnect(const std::string& display) {
  Display* d = XOpenDisplay(display.c_str());
  if (!d) return false;
  XCloseDisplay(d);
  return true;
}
}  // namespace

bool XvfbServer::Start(int width, int height, int depth) {
  if (running()) return true;
  error_.clear();
  int fds[2];
  if (pipe(fds) != 0) {
    error_ = "pipe failed";
    return false;
  }
  std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x" +
                       std::to_string(depth);
  std::string fd = std::to_string(fds[1]);
  pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    error_ = "fork failed";
    return false;
  }
  if (pid == 0) {
    close(fds[0]);
    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, 0);
      dup2(null, 1);
      dup2(null, 2);
    }
    // The server goes when the test program goes, even if the program crashes.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
           "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  pid_ = pid;

  // The number arrives as text followed by a line feed once the server is ready.
  std::string number;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char c;
    ssize_t n = read(fds[0], &c, 1);
    if (n <= 0) break;  // the server died
    if (c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    error_ = "Xvfb did not report a display (is it installed?)";
    Stop();
    return false;
  }
  display_ = ":" + number;

  const char* old = std::getenv("DISPLAY");
  hadDisplay_ = old != nullptr;
  oldDisplay_ = old ? old : "";
  setenv("DISPLAY", display_.c_str(), 1);
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);

  while (!CanConnect(display_)) {
    if (std::chrono::steady_clock::now() > deadline) {
      error_ = "Xvfb on " + display_ + " does not accept connections";
      Stop();
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

void XvfbServer::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status;
    // Give it a moment to go; a server that hangs is killed outright.
    for (int i = 0; i < 100; ++i) {
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      pid_ = -1;
    }
  }
  if (!display_.empty()) {
    if (hadDisplay_) {
      setenv("DISPLAY", oldDisplay_.c_str(), 1);
    } else {
      unsetenv("DISPLAY");
    }
    display_.clear();
  }
}

namespace {
XvfbServer* suiteServer = nullptr;
}

XvfbServer* XvfbTest::server() { return suiteServer; }

void XvfbTest::SetUpTestSuite() {
  if (!suiteServer) suiteServer = new XvfbServer;
  suiteServer->Start();
}

void XvfbTest::TearDownTestSuite() {
  delete suiteServer;
  suiteServer = nullptr;
}

void XvfbTest::SetUp() {
  ASSERT_TRUE(suiteServer && suiteServer->running())
      << (suiteServer ? suiteServer->error() : std::string("no server"));
}

void XvfbEnvironment::SetUp() {
  ASSERT_TRUE(server_.Start()) << server_.error();
}

void XvfbEnvironment::TearDown() { server_.Stop(); }

}  // namespace vgtest
