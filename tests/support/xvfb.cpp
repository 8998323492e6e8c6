// Starting and stopping a private Xvfb for window tests (the server writes its display
// number to a pipe, -displayfd, only once it accepts connections), and running a whole
// program in a child process under it.
#include "tests/support/xvfb.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace vgtest {

bool XvfbServer::Start(int width, int height, int depth) {
  if (running()) return true;
  int fds[2];
  if (pipe(fds) != 0) return error_ = "pipe failed", false;
  std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x" +
                       std::to_string(depth);
  std::string fd = std::to_string(fds[1]);
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    int null = open("/dev/null", O_RDWR);
    for (int i = 0; i < 3 && null >= 0; ++i) dup2(null, i);
    prctl(PR_SET_PDEATHSIG, SIGTERM);  // the server goes with the test program, even a crash
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
           "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  if (pid < 0) return close(fds[0]), error_ = "fork failed", false;
  pid_ = pid;
  std::string number;  // the display number, then a line feed, once the server is ready
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (char c; std::chrono::steady_clock::now() < deadline;) {
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;  // a failed read: the server died
    number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    Stop();
    return error_ = "Xvfb did not report a display (is it installed?)", false;
  }
  setenv("DISPLAY", (":" + number).c_str(), 1);
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
  return true;
}

void XvfbServer::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  // A moment to go; a server that hangs is killed outright.
  for (int i = 0; i < 100 && waitpid(pid_, nullptr, WNOHANG) != pid_; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (i == 99) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
  }
  pid_ = -1;
  unsetenv("DISPLAY");
}

// Never destroyed: a forked child that calls exit() must not stop its parent's server.
static XvfbServer* const suiteServer = new XvfbServer;

void XvfbTest::SetUpTestSuite() { suiteServer->Start(); }
void XvfbTest::TearDownTestSuite() { suiteServer->Stop(); }
void XvfbTest::SetUp() { ASSERT_TRUE(suiteServer->running()) << suiteServer->error(); }

std::string ProgramFolder(const std::string& name, bool linkData) {
  std::string pattern = "/tmp/vg-" + name + "-XXXXXX";
  if (!mkdtemp(&pattern[0])) return "";
  const char* build = std::getenv("VG_BUILD_DIR");
  std::string data = pattern + "/data";
  bool made = linkData ? build && symlink((std::string(build) + "/game/data").c_str(), data.c_str()) == 0
                       : mkdir(data.c_str(), 0755) == 0;
  return made ? pattern : "";
}

int RunProgramIn(const std::string& dir, const std::function<void()>& start,
                 const std::function<void(int pid)>& meanwhile, double timeout) {
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0 || !std::freopen("/dev/null", "r", stdin)) _exit(125);
    setenv("ALSOFT_DRIVERS", "null", 1);
    start();
    _exit(126);
  }
  if (pid < 0) return -1;
  if (meanwhile) meanwhile(pid);
  int status = 0;
  for (int i = 0; i < timeout * 50; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  return kill(pid, SIGKILL), waitpid(pid, &status, 0), -1;
}

void ExecGame() {
  const char* build = std::getenv("VG_BUILD_DIR");
  std::string game = std::string(build ? build : ".") + "/game/vantorell";
  execl(game.c_str(), game.c_str(), static_cast<char*>(nullptr));
  _exit(127);
}

}  // namespace vgtest
