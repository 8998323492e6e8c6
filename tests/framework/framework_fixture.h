// Shared set-up of the framework tests: a desktop host whose image decoder is scripted by
// the test and whose pad polls are logged, the GL and AL recorders in place of
// the libraries, fresh module globals per test, and a way to run a fatal path in a child.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>

#include "framework/framework.h"
#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "runtime/gc.h"
#include "tests/support/al_recorder.h"
#include "tests/support/gl_recorder.h"

namespace vgtest {

class FakeHost : public VgGlfwGame {
 public:
  std::map<std::string, std::pair<int, int>> images;  // path -> size; pixels are white
  std::vector<std::string> log;

  unsigned char* LoadImageData(String path, int* width, int* height, int* depth) override {
    auto it = images.find(path.ToUtf8());
    if (it == images.end()) return nullptr;
    *width = it->second.first, *height = it->second.second, *depth = 4;
    size_t bytes = *width * *height * 4;
    return static_cast<unsigned char*>(std::memset(std::malloc(bytes), 0xff, bytes));
  }
  bool PollJoystick(int port, Array<float>, Array<float>, Array<float>, Array<bool>) override {
    return log.push_back("poll" + std::to_string(port)), false;  // no pads
  }
};

// Fresh framework globals and host per test; the collector roots are registered once.
class FrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ALSOFT_DRIVERS", "null", 0);
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // re-run in a fresh process, no fork of threads
    glfw2_testing::SetClosedWindowSize(640, 480);
    gl = std::make_unique<GlRecorder>();
    al = std::make_unique<AlRecorder>();
    host = std::make_unique<FakeHost>();
    [[maybe_unused]] static bool rooted = (vg_framework_AddRoots(), true);
    vg_framework_InitGlobals();
    gc_mark();
  }
  void TearDown() override {
    gl.reset();
    al.reset();
    glfw2_testing::Reset();
  }
  std::unique_ptr<GlRecorder> gl;
  std::unique_ptr<AlRecorder> al;
  std::unique_ptr<FakeHost> host;
};

// Runs body in a death-test child with stdin at end of file (so the fatal-error path ends
// instead of waiting for a debugger) and stdout joined to stderr (so its lines can be matched).
inline void RunFatal(const std::function<void()>& body) {
  if (!std::freopen("/dev/null", "r", stdin)) std::_Exit(3);
  std::fflush(stdout);
  dup2(2, 1);
  body();
}
#define EXPECT_FATAL(body, message) \
  EXPECT_EXIT(::vgtest::RunFatal([&] { body; }), testing::ExitedWithCode(255), message)

}  // namespace vgtest
