// The framework in a real window: the program's own start-up path (VgTarvikGame::Main, vgInit,
// vgMain, the host's loop) runs in a child process under a private X server with a stand-in
// application that draws a turned, scaled, handled image and text in the default font, plays
// a sound, moves on a key and ends on the close box; the saved frames are checked by pixel.
#include <stb/stb_image_write.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "devices/audio.h"
#include "framework/app.h"
#include "framework/audio.h"
#include "framework/framework.h"
#include "framework/graphics.h"
#include "framework/input.h"
#include "host/glfw2_testing.h"
#include "host/glfw_game.h"
#include "runtime/startup.h"
#include "tests/support/xvfb.h"

namespace {

const int kW = 640, kH = 480;
constexpr unsigned kRed = 0xff0000ffu, kWhite = 0xffffffffu, kGreen = 0xff00ff00u, kBlue = 0xffff0000u;

void Report(const std::string& line) { std::ofstream("report.txt", std::ios::app) << line << "\n"; }

// Reports and writes the whole window as 0xAARRGGBB ints.
void SaveFrame(const std::string& name) {
  Array<int> px(kW * kH);
  vg_graphics_ReadPixels(px, 0, 0, kW, kH);
  std::ofstream(name + ".raw", std::ios::binary).write(reinterpret_cast<const char*>(px.Data()), kW * kH * 4);
  Report("saved " + name);
}

// Draws the 20 x 10 sprite turned 90 degrees and scaled (2, 3) around its handle (5, 5) at
// (200 + x, 150) and "!#" in the default font at (100, 50); Space plays a sound, the right
// arrow moves the sprite 50 pixels. Saves the first frame and the one after the move.
class StandinApp : public c_App {
 public:
  c_Image* sprite = nullptr;
  c_Sound* blip = nullptr;
  int x = 0, frames = 0;
  bool save = true;
  int p_OnCreate() override {
    vg_app_SetUpdateRate(60);
    gc_assign(sprite, vg_graphics_LoadImage(String("sprite.png"), 1, 0));
    gc_assign(blip, vg_audio_LoadSound(String("blip.wav")));
    sprite->p_SetHandle(5, 5);
    Report(std::string("create") + (vg_graphics_context->m_font ? " font" : "") + (blip ? " sound" : ""));
    return 0;
  }
  int p_OnUpdate() override {
    if (vg_input_KeyHit(32)) {
      vg_audio_PlaySound(blip, 0, 0);
      Report("sound state " + std::to_string(vg_audio_device->ChannelState(0)));
    }
    if (vg_input_KeyHit(39)) x += 50, save = true;
    return 0;
  }
  int p_OnRender() override {
    vg_graphics_Cls(0, 0, 0);
    vg_graphics_DrawImage2(sprite, 200 + x, 150, 90, 2, 3);
    c_Image* font = vg_graphics_context->m_font;
    for (int i = 0; i < 2; ++i) vg_graphics_DrawImage(font, 100 + i * font->m_width, 50, "!#"[i] - 32);
    if (save) SaveFrame(x ? "moved" : "first"), save = false;
    return 0;
  }
  void mark() override { gc_mark_q(sprite), gc_mark_q(blip); }
};

void WritePng(const std::string& path, int w, int h, const std::function<unsigned(int, int)>& at) {
  std::vector<unsigned> px(w * h);
  for (int i = 0; i < w * h; ++i) px[i] = at(i % w, i / w);
  ASSERT_NE(stbi_write_png(path.c_str(), w, h, 4, px.data(), w * 4), 0) << path;
}

// One second of a quiet sine, 16-bit mono at 22050 Hz.
void WriteWav(const std::string& path) {
  const unsigned n = 22050;
  auto word = [](std::string& s, unsigned v, int bytes) { for (int i = 0; i < bytes; ++i) s += char(v >> 8 * i); };
  std::string f = "RIFF";
  word(f, 36 + n * 2, 4), f += "WAVEfmt ", word(f, 16, 4), word(f, 1, 2), word(f, 1, 2);
  word(f, n, 4), word(f, n * 2, 4), word(f, 2, 2), word(f, 16, 2), f += "data", word(f, n * 2, 4);
  for (unsigned i = 0; i < n; ++i) word(f, unsigned(short(8000 * std::sin(i * 0.1))), 2);
  std::ofstream(path, std::ios::binary) << f;
}

}  // namespace

int vgInit() { return vg_framework_InitGlobals(), vg_framework_AddRoots(), 0; }
int vgMain() { return (new StandinApp)->m_new(), 0; }

class WindowTest : public vgtest::XvfbTest {};

TEST_F(WindowTest, StandinAppDrawsPlaysMovesAndEndsOnTheCloseBox) {
  std::string dir = vgtest::ProgramFolder("framework-window", false);
  ASSERT_FALSE(dir.empty());
  // 96 font cells of 10 x 10: red padding columns the font flag strips, and a white bar at
  // glyph column code % 8, so each character shows where it landed.
  WritePng(dir + "/data/vunk_font.png", 960, 10, [](int x, int) {
    return x % 10 == 0 || x % 10 == 9 ? kRed : x % 10 == 1 + (32 + x / 10) % 8 ? kWhite : 0u;
  });
  WritePng(dir + "/data/sprite.png", 20, 10, [](int x, int) { return x < 10 ? kGreen : kBlue; });
  WriteWav(dir + "/data/blip.wav");
  EXPECT_EQ(0, vgtest::RunProgramIn(dir, [] {
    int polls = 0;  // Space, the right arrow, then the close box, a few polls apart
    glfw2_testing::SetEventHook([&polls] {
      if (++polls == 5 || polls == 6) glfw2_testing::FeedKey(32, 0, polls == 5, 0);
      if (polls == 10 || polls == 11) glfw2_testing::FeedKey(262, 0, polls == 10, 0);
      if (polls == 30) glfw2_testing::FeedCloseRequest();
    });
    char name[] = "vantorell-framework-test", *argv[] = {name, nullptr};
    _exit(VgTarvikGame::Main(1, argv));
  }));
  std::stringstream report;
  report << std::ifstream(dir + "/report.txt").rdbuf();
  EXPECT_EQ(report.str(), "create font sound\nsaved first\nsound state 1\nsaved moved\n");
  for (int dx : {0, 50}) {
    std::vector<unsigned> px(kW * kH);
    std::ifstream(dir + (dx ? "/moved.raw" : "/first.raw"), std::ios::binary)
        .read(reinterpret_cast<char*>(px.data()), kW * kH * 4);
    auto at = [&](int x, int y) { return px[y * kW + x] & 0xffffff; };
    // Frame point (u, v) lands at (200 + 3 (v - 5), 150 - 2 (u - 5)): the sprite covers
    // x 185..215, y 120..160, its green half below y 140 and its blue half above.
    EXPECT_TRUE(at(190 + dx, 150) == 0x00ff00u && at(200 + dx, 155) == 0x00ff00u) << dx;
    EXPECT_TRUE(at(210 + dx, 130) == 0x0000ffu && at(187 + dx, 122) == 0x0000ffu) << dx;
    for (auto [x, y] : {std::pair{183, 150}, {217, 150}, {200, 118}, {200, 162}})
      EXPECT_EQ(at(x + dx, y), 0u) << x + dx << "," << y;
    EXPECT_TRUE(!dx || at(200, 150) == 0u) << "the old position is cleared";
    // "!" (33) has its bar at glyph column 1, "#" (35) at column 3 of the next 8-pixel cell.
    for (int x = 96; x < 124; ++x) EXPECT_EQ(at(x, 55), x == 101 || x == 111 ? 0xffffffu : 0u) << "text at x " << x;
    EXPECT_TRUE(at(101, 50) == 0xffffffu && at(101, 59) == 0xffffffu && at(101, 60) == 0u);
  }
  if (!HasFailure()) std::filesystem::remove_all(dir);
}
