// Shared set-up of the framework tests: a desktop host whose image and sound decoders,
// joystick poll and state file are scripted by the test, the GL and AL recorders in place of
// the libraries, fresh module globals per test, and a helper for fatal paths in a child.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/framework.h"
#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "runtime/gc.h"
#include "runtime/string.h"
#include "tests/support/al_recorder.h"
#include "tests/support/gl_recorder.h"

namespace vgtest {

inline std::string Narrow(const String& s) {
  std::string out;
  for (int i = 0; i < s.Length(); ++i) out += static_cast<char>(s[i]);
  return out;
}

// An image the fake decoder hands out: width x height RGBA pixels of one colour.
struct FakeImage {
  int width = 0;
  int height = 0;
  unsigned int rgba = 0xffffffffu;  // bytes R, G, B, A in memory order
};

class FakeHost : public VgGlfwGame {
 public:
  std::map<std::string, FakeImage> images;  // keyed by the path the device asks for
  std::vector<std::string> imageRequests;
  std::vector<std::string>* log = nullptr;  // shared with the test's recording objects

  // Joystick units that answer the poll, with their 32 button states.
  std::map<int, std::vector<bool>> joysticks;
  std::vector<int> polls;

  std::map<std::string, int> sounds;  // path -> length in 16-bit mono frames
  std::string savedState;
  int millis = 0;

  unsigned char* LoadAudioData(String path, int* length, int* channels, int* format,
                               int* hertz) override {
    auto it = sounds.find(Narrow(path));
    if (it == sounds.end()) return nullptr;
    *length = it->second;
    *channels = 1;
    *format = 2;
    *hertz = 22050;
    return static_cast<unsigned char*>(std::calloc(it->second, 2));
  }

  unsigned char* LoadImageData(String path, int* width, int* height, int* depth) override {
    std::string p = Narrow(path);
    imageRequests.push_back(p);
    auto it = images.find(p);
    if (it == images.end()) return nullptr;
    const FakeImage& img = it->second;
    auto* data = static_cast<unsigned char*>(std::malloc(img.width * img.height * 4));
    for (int i = 0; i < img.width * img.height; ++i) std::memcpy(data + i * 4, &img.rgba, 4);
    *width = img.width;
    *height = img.height;
    *depth = 4;
    return data;
  }

  bool PollJoystick(int port, Array<float> joyx, Array<float> /*joyy*/, Array<float> /*joyz*/,
                    Array<bool> buttons) override {
    polls.push_back(port);
    if (log) log->push_back("poll" + std::to_string(port));
    auto it = joysticks.find(port);
    if (it == joysticks.end()) return false;
    for (int b = 0; b < buttons.Length() && b < static_cast<int>(it->second.size()); ++b) {
      buttons[b] = it->second[b];
    }
    joyx[0] = 0.5f;
    return true;
  }

  int SaveState(String state) override {
    savedState = Narrow(state);
    return 0;
  }
  String LoadState() override { return String(savedState.c_str()); }
  int Millisecs() override { return millis; }
};

// Fresh framework globals and a fresh host; the collector roots are registered once.
class FrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ALSOFT_DRIVERS", "null", 0);
    // Death tests re-run the test in a fresh process rather than fork a threaded one.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    glfw2_testing::SetClosedWindowSize(640, 480);
    gl = std::make_unique<GlRecorder>();
    al = std::make_unique<AlRecorder>();
    host = std::make_unique<FakeHost>();
    host->log = &log;
    static bool rooted = false;
    if (!rooted) {
      vg_framework_AddRoots();
      rooted = true;
    }
    vg_framework_InitGlobals();
    gc_mark();
  }
  void TearDown() override {
    gl.reset();
    al.reset();
    glfw2_testing::Reset();
  }

  std::unique_ptr<FakeHost> host;
  std::vector<std::string> log;
  std::unique_ptr<GlRecorder> gl;
  std::unique_ptr<AlRecorder> al;
};

// Runs body in a death-test child with stdin at end of file (so the fatal-error path ends
// instead of waiting for a debugger) and stdout joined to stderr (so its lines can be matched).
inline void RunFatal(const std::function<void()>& body) {
  if (!std::freopen("/dev/null", "r", stdin)) std::_Exit(3);
  std::fflush(stdout);
  dup2(2, 1);
  body();
}

}  // namespace vgtest
