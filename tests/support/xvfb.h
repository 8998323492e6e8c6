// A private X server for tests that need a real window: starts Xvfb on a free display,
// points DISPLAY at it (with Mesa's software OpenGL) and stops it again. Used by the host's
// window tests and by any layer's test that opens a window, or runs a whole program in one.
#pragma once
#include <sys/types.h>

#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace vgtest {

class XvfbServer {
 public:
  ~XvfbServer() { Stop(); }
  // Starts one screen of the given size, sets DISPLAY and LIBGL_ALWAYS_SOFTWARE=1 for this
  // process and returns once a client can connect; false, with error(), when it cannot.
  bool Start(int width = 1280, int height = 1024, int depth = 24);
  void Stop();  // stops the server and unsets DISPLAY; safe to call twice
  bool running() const { return pid_ > 0; }
  const std::string& error() const { return error_; }

 private:
  pid_t pid_ = -1;
  std::string error_;
};

// A fixture whose test suite shares one server (1280 x 1024), started before its first test
// and stopped after its last. Tests fail (rather than skip) when Xvfb cannot start.
class XvfbTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
};

// A fresh folder /tmp/vg-<name>-XXXXXX for a program to run in, holding data/: a link to
// <VG_BUILD_DIR>/game/data when linkData, else an empty folder for the test to fill.
std::string ProgramFolder(const std::string& name, bool linkData);

// Runs start() in a forked child working in dir, with standard input from /dev/null and
// OpenAL's null output, and meanwhile(pid) in the parent; then waits up to timeout seconds.
// The child's exit status, 128 + the signal that ended it, or -1 once it had to be killed.
int RunProgramIn(const std::string& dir, const std::function<void()>& start,
                 const std::function<void(int pid)>& meanwhile = nullptr, double timeout = 60);

// For start: replaces the child with the built game, <VG_BUILD_DIR>/game/vantorell.
void ExecGame();

}  // namespace vgtest
