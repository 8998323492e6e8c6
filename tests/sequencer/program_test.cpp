// The framework and the sequencer's loader in a real window: the program's own start-up path
// runs under a private X server with a stand-in application that decodes a tune image three
// stages a render, draws a turned, scaled, handled image and text in the default font and ends
// on the close box; the note table and the first frame are checked.
#include <stb/stb_image_write.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "framework/app.h"
#include "framework/framework.h"
#include "framework/graphics.h"
#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "runtime/startup.h"
#include "sequencer/zqplayer.h"
#include "tests/support/xvfb.h"

namespace {

const int kW = 640, kH = 480;
constexpr unsigned kRed = 0xff0000ffu, kWhite = 0xffffffffu, kGreen = 0xff00ff00u, kBlue = 0xffff0000u;

// Pixel (x, y) of pattern frame f in a 512 x 512 tune image, frames eight to a row, and the
// value the cell it stands for must hold: voice x / 8, value x % 8, step y.
const struct TunePixel {
  int frame, x, y, blue, want;
} kPixels[] = {
    {0, 0, 0, 255, 31},   // voice 0 note: 255 >> 3
    {0, 1, 0, 7, 0},      // voice 0 volume: below one step of 8
    {0, 2, 0, 8, 1},      // voice 0 effect
    {0, 9, 3, 136, 17},   // voice 1 volume at step 3
    {10, 0, 63, 64, 8},   // voice 0 note at the last step of pattern 10
    {40, 12, 5, 80, 10},  // voice 1, value 4, step 5 of pattern 40
    {63, 0, 0, 255, 0},   // pattern 63 is never decoded
};
bool g_tuneDecoded = false;  // the close box waits for it

void Report(const std::string& line) { std::ofstream("report.txt", std::ios::app) << line << "\n"; }

// Reports and writes the whole window as 0xAARRGGBB ints.
void SaveFrame(const std::string& name) {
  Array<int> px(kW * kH);
  vg_graphics_ReadPixels(px, 0, 0, kW, kH);
  std::ofstream(name + ".raw", std::ios::binary).write(reinterpret_cast<const char*>(px.Data()), kW * kH * 4);
  Report("saved " + name);
}

// Draws the 20 x 10 sprite turned 90 degrees and scaled (2, 3) around its handle (5, 5) at
// (200, 150) and "!#" in the default font at (100, 50), and saves the first frame.
class StandinApp : public c_App {
 public:
  c_Image* sprite = nullptr;
  c_ZqPlayer* zq = nullptr;
  int renders = 0;
  bool save = true;
  double slowest = 0;
  int p_OnCreate() override {
    vg_app_SetUpdateRate(60);
    gc_assign(sprite, vg_graphics_LoadImage(String("sprite.png"), 1, 0));
    sprite->p_SetHandle(5, 5);
    gc_assign(zq, (new c_ZqPlayer())->m_new());
    zq->p_Zq_Init(32, 4, 3, 3, 4);
    zq->p_Zq_StartTune(String("Probe"), 1, 100);
    Report(std::string("create") + (vg_graphics_context->m_font ? " font" : ""));
    return 0;
  }
  int p_OnRender() override {
    bool loading = zq->m_loadStage > 0;
    auto start = std::chrono::steady_clock::now();
    zq->p_Zq_Alive_R();  // the loader's stages, then the screen cleared
    if (loading) Loaded(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    vg_graphics_DrawImage2(sprite, 200, 150, 90, 2, 3);
    c_Image* font = vg_graphics_context->m_font;
    for (int i = 0; i < 2; ++i) vg_graphics_DrawImage(font, 100 + i * font->m_width, 50, "!#"[i] - 32);
    if (save) SaveFrame("first"), save = false;
    return 0;
  }
  // Times a render that ran loader stages; after the last, writes what the table holds.
  void Loaded(double ms) {
    ++renders, slowest = std::max(slowest, ms);
    if (std::getenv("VG_TRACE_RENDERS")) std::printf("render %d: %.2f ms\n", renders, ms);
    if (zq->m_loadStage) return;
    std::printf("slowest loading render: %.2f ms\n", slowest);  // for the record only
    Array<int> px(64 * 64);  // the loader's scratch square must not show
    vg_graphics_ReadPixels(px, 0, 0, 64, 64);
    int lit = 0;
    for (int i = 0; i < px.Length(); ++i) lit += (px[i] & 0xffffff) != 0;
    std::ostringstream out;
    out << "tune: renders " << renders << " lit " << lit << " cells";
    for (const TunePixel& p : kPixels) out << " " << zq->m_notes[p.frame * 4096 + p.x / 8 * 512 + p.y * 8 + p.x % 8];
    out << " last";
    for (int v = 0; v < 5; ++v) out << " " << zq->m_lastPattern[v];
    std::ofstream("tune.txt") << out.str();
    g_tuneDecoded = true;
  }
  void mark() override { gc_mark_q(sprite), gc_mark_q(zq); }
};

void WritePng(const std::string& path, int w, int h, const std::function<unsigned(int, int)>& at) {
  std::vector<unsigned> px(w * h);
  for (int i = 0; i < w * h; ++i) px[i] = at(i % w, i / w);
  ASSERT_NE(stbi_write_png(path.c_str(), w, h, 4, px.data(), w * 4), 0) << path;
}

std::string Slurp(const std::string& path) {
  return std::string(std::istreambuf_iterator<char>(std::ifstream(path).rdbuf()), {});
}

}  // namespace

int vgInit() { return vg_framework_InitGlobals(), vg_framework_AddRoots(), 0; }
int vgMain() { return (new StandinApp)->m_new(), 0; }

class ProgramTest : public vgtest::XvfbTest {};

TEST_F(ProgramTest, StandinAppDecodesATuneDrawsAndEndsOnTheCloseBox) {
  std::string dir = vgtest::ProgramFolder("program", false);
  ASSERT_TRUE(!dir.empty() && mkdir((dir + "/data/tunes").c_str(), 0755) == 0);
  // Start-up looks for the game's first image before it opens a window; any file will do.
  ASSERT_TRUE(mkdir((dir + "/data/common").c_str(), 0755) == 0);
  std::ofstream(dir + "/data/common/icons.png") << "stand-in";
  // 96 font cells of 10 x 10: red padding columns the font flag strips, and a white bar at
  // glyph column code % 8, so each character shows where it landed.
  WritePng(dir + "/data/vunk_font.png", 960, 10, [](int x, int) {
    return x % 10 == 0 || x % 10 == 9 ? kRed : x % 10 == 1 + (32 + x / 10) % 8 ? kWhite : 0u;
  });
  WritePng(dir + "/data/sprite.png", 20, 10, [](int x, int) { return x < 10 ? kGreen : kBlue; });
  WritePng(dir + "/data/tunes/Probe.png", 512, 512, [](int x, int y) {
    for (const TunePixel& p : kPixels)
      if (x == p.frame % 8 * 64 + p.x && y == p.frame / 8 * 64 + p.y) return 0xff000000u | p.blue << 16;
    return 0xff000000u;  // opaque black, bytes R G B A
  });
  EXPECT_EQ(0, vgtest::RunProgramIn(dir, [] {
    glfw2_testing::SetEventHook([] {  // the close box once the tune is in
      if (g_tuneDecoded) glfw2_testing::FeedCloseRequest();
    });
    char name[] = "vantorell-program-test", *argv[] = {name, nullptr};
    _exit(VgTarvikGame::Main(1, argv));
  }));
  EXPECT_EQ(Slurp(dir + "/report.txt"), "create font\nsaved first\n");
  std::string cells;
  for (const TunePixel& p : kPixels) cells += " " + std::to_string(p.want);
  EXPECT_EQ(Slurp(dir + "/tune.txt"), "tune: renders 24 lit 0 cells" + cells + " last 10 40 0 0 0");
  std::vector<unsigned> px(kW * kH);
  std::ifstream(dir + "/first.raw", std::ios::binary).read(reinterpret_cast<char*>(px.data()), kW * kH * 4);
  auto at = [&](int x, int y) { return px[y * kW + x] & 0xffffff; };
  // Frame point (u, v) lands at (200 + 3 (v - 5), 150 - 2 (u - 5)): the sprite covers
  // x 185..215, y 120..160, its green half below y 140 and its blue half above.
  EXPECT_TRUE(at(190, 150) == 0x00ff00u && at(200, 155) == 0x00ff00u);
  EXPECT_TRUE(at(210, 130) == 0x0000ffu && at(187, 122) == 0x0000ffu);
  for (auto [x, y] : {std::pair{183, 150}, {217, 150}, {200, 118}, {200, 162}}) EXPECT_EQ(at(x, y), 0u) << x << "," << y;
  // "!" (33) has its bar at glyph column 1, "#" (35) at column 3 of the next 8-pixel cell.
  for (int x = 96; x < 124; ++x) EXPECT_EQ(at(x, 55), x == 101 || x == 111 ? 0xffffffu : 0u) << "text at x " << x;
  EXPECT_TRUE(at(101, 50) == 0xffffffu && at(101, 59) == 0xffffffu && at(101, 60) == 0u);
  if (!HasFailure()) std::filesystem::remove_all(dir);
}
