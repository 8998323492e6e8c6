// The sequencer's loader on a real OpenGL context under a private X server: a tune image
// with known pixels is decoded, three stages a render, through the program's own start-up
// path in a child process, and the note table it reports is checked value by value.
#include <stb/stb_image_write.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/app.h"
#include "framework/framework.h"
#include "framework/graphics.h"
#include "host/glfw_game.h"
#include "runtime/startup.h"
#include "sequencer/zqplayer.h"
#include "tests/support/xvfb.h"

namespace {

// Pixel (x, y) of pattern frame f in a 512 x 512 tune image, frames eight to a row.
struct TunePixel {
  int frame, x, y, blue;
};

const TunePixel kPixels[] = {
    {0, 0, 0, 255},  // voice 0 note: 255 >> 3 = 31
    {0, 1, 0, 7},    // voice 0 volume: below one step of 8, so 0
    {0, 2, 0, 8},    // voice 0 effect: 1
    {0, 9, 3, 136},  // voice 1 volume at step 3: 17
    {10, 0, 63, 64}, // voice 0 note at the last step of pattern 10: 8
    {40, 12, 5, 80}, // voice 1, value 4, step 5 of pattern 40: 10
    {63, 0, 0, 255}, // pattern 63 is never decoded
};

void WriteTune(const std::string& path) {
  std::vector<unsigned int> px(512 * 512, 0xff000000u);  // opaque black, bytes R G B A
  for (const TunePixel& p : kPixels) {
    int x = p.frame % 8 * 64 + p.x, y = p.frame / 8 * 64 + p.y;
    px[y * 512 + x] = 0xff000000u | static_cast<unsigned>(p.blue) << 16;
  }
  ASSERT_NE(stbi_write_png(path.c_str(), 512, 512, 4, px.data(), 512 * 4), 0);
}

void Report(const std::string& line) { std::ofstream("report.txt", std::ios::app) << line << "\n"; }

class DecodeApp : public c_App {
 public:
  c_ZqPlayer* zq = nullptr;
  int renders = 0;
  double slowest = 0;

  c_App* m_new() {
    c_App::m_new();
    return this;
  }
  int p_OnCreate() override {
    vg_app_SetUpdateRate(60);
    gc_assign(zq, (new c_ZqPlayer())->m_new());
    zq->p_Zq_Init(32, 4, 3, 3, 4);
    zq->p_Zq_StartTune(String("Probe"), 1, 100);
    return 0;
  }
  int p_OnRender() override {
    bool loading = zq->m_loadStage > 0;
    auto start = std::chrono::steady_clock::now();
    zq->p_Zq_Alive_R();
    if (loading) {
      ++renders;
      double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      if (ms > slowest) slowest = ms;
      if (std::getenv("VG_TRACE_RENDERS")) std::printf("render %d: %.2f ms\n", renders, ms);
    }
    if (zq->m_loadStage == 0) {
      auto cell = [this](int p, int v, int t, int k) {
        return zq->m_notes[p * 4096 + v * 512 + t * 8 + k];
      };
      // The scratch square must not show: the hook clears to black after its stages.
      Array<int> px(64 * 64);
      vg_graphics_ReadPixels(px, 0, 0, 64, 64);
      int lit = 0;
      for (int i = 0; i < px.Length(); ++i) lit += (px[i] & 0xffffff) != 0;
      std::ostringstream out;
      out << "renders " << renders << " image " << (zq->m_tuneImage ? 1 : 0) << "\np0 "
          << cell(0, 0, 0, 0) << " " << cell(0, 0, 0, 1) << " " << cell(0, 0, 0, 2) << " "
          << cell(0, 1, 3, 1) << "\np10 " << cell(10, 0, 63, 0) << "\np40 " << cell(40, 1, 5, 4)
          << "\np63 " << cell(63, 0, 0, 0) << "\nlast";
      for (int v = 0; v < 5; ++v) out << " " << zq->m_lastPattern[v];
      out << "\nlit " << lit;
      Report(out.str());
      // For the record only: the slowest render that ran loader stages.
      std::printf("slowest loading render: %.2f ms\n", slowest);
      vg_app_EndApp();
    }
    return 0;
  }
  void mark() override { gc_mark_q(zq); }
};

}  // namespace

int vgInit() {
  vg_framework_InitGlobals();
  vg_framework_AddRoots();
  return 0;
}

int vgMain() {
  (new DecodeApp())->m_new();
  return 0;
}

namespace {

class TuneDecodeTest : public vgtest::XvfbTest {};

TEST_F(TuneDecodeTest, TuneImageDecodesIntoTheNoteTableOverTwentyFourRenders) {
  std::string dir = vgtest::ProgramFolder("sequencer-decode", false);
  ASSERT_TRUE(!dir.empty() && mkdir((dir + "/data/tunes").c_str(), 0755) == 0);
  WriteTune(dir + "/data/tunes/Probe.png");
  EXPECT_EQ(0, vgtest::RunProgramIn(dir, [] {
    char name[] = "vantorell-sequencer-test", *argv[] = {name, nullptr};
    _exit(VgTarvikGame::Main(1, argv));
  }));
  std::stringstream report;
  report << std::ifstream(dir + "/report.txt").rdbuf();
  EXPECT_EQ(report.str(),
            "renders 24 image 1\n"
            "p0 31 0 1 17\n"
            "p10 8\n"
            "p40 10\n"
            "p63 0\n"
            "last 10 40 0 0 0\n"
            "lit 0\n");
  if (!HasFailure()) std::filesystem::remove_all(dir);
}

}  // namespace
