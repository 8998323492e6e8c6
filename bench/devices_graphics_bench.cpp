// Graphics device throughput: textured quads of one surface per frame through DrawSurface2,
// on Mesa's software OpenGL in a 640 x 480 window on a private Xvfb, and the device's own
// batching cost with every GL entry point a no-op. Reports quads per millisecond of process
// CPU and draw calls per 1000 quads (the 1024-vertex batch gives 4).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "bench/gl_count.h"
#include "devices/gl_api.h"
#include "devices/graphics.h"
#include "host/glfw2.h"
#include "host/glfw_game.h"

extern char** environ;

namespace {

constexpr int kW = 640, kH = 480;

using vgbench::drawCalls;

// A private X server for the run; stopped at exit.
pid_t xvfb = -1;
bool StartXvfb() {
  for (int n = 90; n < 120; ++n) {
    std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
    if (access(lock.c_str(), F_OK) == 0) continue;
    std::string display = ":" + std::to_string(n);
    const char* argv[] = {"Xvfb", display.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
                          "tcp", nullptr};
    if (posix_spawnp(&xvfb, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
      return false;
    }
    std::string sock = "/tmp/.X11-unix/X" + std::to_string(n);
    for (int i = 0; i < 100; ++i) {
      if (access(sock.c_str(), F_OK) == 0) {
        setenv("DISPLAY", display.c_str(), 1);
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
        std::atexit([] {
          kill(xvfb, SIGTERM);
          waitpid(xvfb, nullptr, 0);
        });
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
  }
  return false;
}

gxtkSurface* MakeAtlas(gxtkGraphics* g) {
  gxtkSurface* s = g->CreateSurface(256, 256);
  static int px[256 * 256];
  for (int i = 0; i < 256 * 256; ++i) px[i] = static_cast<int>(0xFF000000u | (i * 2654435761u >> 8));
  g->WritePixels2(s, Array<int>(px, 256 * 256), 0, 0, 256, 256, 0, 256);
  return s;
}

void DrawFrame(gxtkGraphics* g, gxtkSurface* atlas, int quads) {
  g->BeginRender();
  g->SetBlend(0);
  g->SetColor(255, 255, 255);
  g->SetAlpha(1);
  g->Cls(0, 0, 0);
  for (int i = 0; i < quads; ++i) {
    int frame = i & 63;
    g->DrawSurface2(atlas, static_cast<float>((i * 37) % (kW - 32)), static_cast<float>((i * 53) % (kH - 32)),
                    (frame & 7) * 32, (frame >> 3) * 32, 32, 32);
  }
  g->EndRender();
}

void BM_MesaDrawSurface2(benchmark::State& state) {
  static bool ready = [] {
    if (!StartXvfb() || !glfw2::glfwInit()) return false;
    if (!glfw2::glfwOpenWindow(kW, kH, 8, 8, 8, 0, 0, 0, glfw2::GLFW_WINDOW)) return false;
    glfw2::glfwSwapInterval(0);
    ++glfwGraphicsSeq;
    return true;
  }();
  if (!ready) {
    state.SkipWithError("no Xvfb window");
    return;
  }
  vgGlBindSystem();
  vgbench::CountDrawCalls();
  gxtkGraphics* g = new gxtkGraphics();
  gxtkSurface* atlas = MakeAtlas(g);
  int quads = static_cast<int>(state.range(0));
  drawCalls = 0;
  for (auto _ : state) DrawFrame(g, atlas, quads);
  double total = static_cast<double>(quads) * state.iterations();
  state.counters["quads_per_s"] = benchmark::Counter(total, benchmark::Counter::kIsRate);
  state.counters["draws_per_1000"] = drawCalls * 1000.0 / total;
  vgGlBindSystem();
}
BENCHMARK(BM_MesaDrawSurface2)->Arg(1000)->Arg(4000)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// The device alone: every GL call returns at once, so only batching and vertex work remain.
namespace nogl {
void V4i(int, int, int, int) {}
void U(unsigned int) {}
void N() {}
void O(double, double, double, double, double, double) {}
void Ptr(int, unsigned int, int, const void*) {}
void UU(unsigned int, unsigned int) {}
void F4(float, float, float, float) {}
void DA(unsigned int, int, int) { ++drawCalls; }
void DE(unsigned int, int, unsigned int, const void*) { ++drawCalls; }
unsigned int next = 1;
void Gen(int n, unsigned int* t) {
  for (int i = 0; i < n; ++i) t[i] = next++;
}
void Del(int, const unsigned int*) {}
void TP(unsigned int, unsigned int, int) {}
void TI(unsigned int, int, int, int, int, int, unsigned int, unsigned int, const void*) {}
void TS(unsigned int, int, int, int, int, int, unsigned int, unsigned int, const void*) {}
void PS(unsigned int, int) {}
unsigned int Err() { return 0; }
void RP(int, int, int, int, unsigned int, unsigned int, void*) {}
void CT(unsigned int, int, int, int, int, int, int, int) {}
}  // namespace nogl

void BM_DeviceBatchingOnly(benchmark::State& state) {
  using namespace nogl;
  vgGl = VgGlApi{V4i, U, N, O, U, Ptr, Ptr, Ptr, U, U, UU, V4i, F4, U, DA, DE,
                 Gen, Del, UU, TP, TI, TS, PS, Err, RP, CT,
                 // No blit: nothing here puts a window copy back.
                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
  int seq = glfwGraphicsSeq;
  if (!seq) glfwGraphicsSeq = 1;
  gxtkGraphics* g = new gxtkGraphics();
  gxtkSurface* atlas = MakeAtlas(g);
  int quads = static_cast<int>(state.range(0));
  drawCalls = 0;
  for (auto _ : state) DrawFrame(g, atlas, quads);
  double total = static_cast<double>(quads) * state.iterations();
  state.counters["quads_per_s"] = benchmark::Counter(total, benchmark::Counter::kIsRate);
  state.counters["draws_per_1000"] = drawCalls * 1000.0 / total;
  glfwGraphicsSeq = seq;
  vgGlBindSystem();
}
BENCHMARK(BM_DeviceBatchingOnly)->Arg(1000)->Arg(4000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
