// Shared set-up of the framework tests: a desktop host whose image decoder, joystick poll and
// state file are scripted by the test, a GL table that draws nothing, fresh module globals
// per test, and a helper that runs a fatal path in a child process.
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

#include "devices/gl_api.h"
#include "framework/framework.h"
#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "runtime/gc.h"
#include "runtime/string.h"

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

  std::string savedState;
  int millis = 0;

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

// Counts what reaches GL; no GL context is needed.
struct GlCounts {
  int viewports = 0;
  int clears = 0;
  int draws = 0;
};
inline GlCounts glCounts;

inline VgGlApi NullGl() {
  VgGlApi gl{};
  gl.Viewport = [](int, int, int, int) { ++glCounts.viewports; };
  gl.MatrixMode = [](unsigned int) {};
  gl.LoadIdentity = [] {};
  gl.Ortho = [](double, double, double, double, double, double) {};
  gl.EnableClientState = [](unsigned int) {};
  gl.VertexPointer = [](int, unsigned int, int, const void*) {};
  gl.TexCoordPointer = [](int, unsigned int, int, const void*) {};
  gl.ColorPointer = [](int, unsigned int, int, const void*) {};
  gl.Enable = [](unsigned int) {};
  gl.Disable = [](unsigned int) {};
  gl.BlendFunc = [](unsigned int, unsigned int) {};
  gl.Scissor = [](int, int, int, int) {};
  gl.ClearColor = [](float, float, float, float) {};
  gl.Clear = [](unsigned int) { ++glCounts.clears; };
  gl.DrawArrays = [](unsigned int, int, int) { ++glCounts.draws; };
  gl.DrawElements = [](unsigned int, int, unsigned int, const void*) { ++glCounts.draws; };
  gl.GenTextures = [](int n, unsigned int* t) {
    for (int i = 0; i < n; ++i) t[i] = 1 + i;
  };
  gl.DeleteTextures = [](int, const unsigned int*) {};
  gl.BindTexture = [](unsigned int, unsigned int) {};
  gl.TexParameteri = [](unsigned int, unsigned int, int) {};
  gl.TexImage2D = [](unsigned int, int, int, int, int, int, unsigned int, unsigned int,
                     const void*) {};
  gl.TexSubImage2D = [](unsigned int, int, int, int, int, int, unsigned int, unsigned int,
                        const void*) {};
  gl.PixelStorei = [](unsigned int, int) {};
  gl.GetError = []() -> unsigned int { return 0; };
  gl.ReadPixels = [](int, int, int, int, unsigned int, unsigned int, void*) {};
  return gl;
}

// Fresh framework globals and a fresh host; the collector roots are registered once.
class FrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ALSOFT_DRIVERS", "null", 0);
    // OpenAL runs threads of its own, so death tests re-run the test in a fresh process.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    glfw2_testing::SetClosedWindowSize(640, 480);
    savedGl_ = vgGl;
    vgGl = NullGl();
    glCounts = GlCounts{};
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
    vgGl = savedGl_;
    glfw2_testing::Reset();
  }

  std::unique_ptr<FakeHost> host;
  std::vector<std::string> log;

 private:
  VgGlApi savedGl_{};
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
