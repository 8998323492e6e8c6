// The framework in a real window: the program's own start-up path (VgTarvikGame::Main, vgInit,
// vgMain, the host's loop) runs in a child process under a private X server, with two small
// applications in place of the game. One checks drawn pixels; the other is the stand-in
// application that draws images and text, plays a sound and reacts to keys and the close box.
#include <stb/stb_image_write.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

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

// Which application vgMain creates in the child.
std::function<c_App*()> makeApp;

const int kW = 640, kH = 480;

// --- assets, made here so the test depends on nothing but itself ---------------------------

void WritePng(const std::string& path, int w, int h, const std::vector<unsigned int>& rgba) {
  ASSERT_NE(stbi_write_png(path.c_str(), w, h, 4, rgba.data(), w * 4), 0) << path;
}

constexpr unsigned int kRed = 0xff0000ffu, kWhite = 0xffffffffu, kGreen = 0xff00ff00u,
                       kBlue = 0xffff0000u, kClear = 0;  // bytes R, G, B, A in memory

// 96 cells of 10 x 10: a red pixel column on each side (the padding the font flag strips)
// and, inside, a white bar at column (code % 8) of the glyph, so each character shows where
// it landed.
void WriteFont(const std::string& path) {
  std::vector<unsigned int> px(960 * 10, kClear);
  for (int cell = 0; cell < 96; ++cell) {
    int code = 32 + cell;
    for (int y = 0; y < 10; ++y) {
      px[y * 960 + cell * 10] = kRed;
      px[y * 960 + cell * 10 + 9] = kRed;
      px[y * 960 + cell * 10 + 1 + code % 8] = kWhite;
    }
  }
  WritePng(path, 960, 10, px);
}

// 20 x 10: left half green, right half blue.
void WriteSprite(const std::string& path) {
  std::vector<unsigned int> px(20 * 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) px[y * 20 + x] = x < 10 ? kGreen : kBlue;
  WritePng(path, 20, 10, px);
}

void WriteWav(const std::string& path) {
  const int rate = 22050, frames = rate;  // one second, so it is still playing when checked
  std::vector<short> samples(frames);
  for (int i = 0; i < frames; ++i) samples[i] = static_cast<short>(8000 * std::sin(i * 0.1));
  auto u32 = [](std::string& s, unsigned v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
  };
  auto u16 = [](std::string& s, unsigned v) {
    s += static_cast<char>(v);
    s += static_cast<char>(v >> 8);
  };
  std::string f = "RIFF";
  u32(f, 36 + frames * 2);
  f += "WAVEfmt ";
  u32(f, 16);
  u16(f, 1);
  u16(f, 1);
  u32(f, rate);
  u32(f, rate * 2);
  u16(f, 2);
  u16(f, 16);
  f += "data";
  u32(f, frames * 2);
  f.append(reinterpret_cast<const char*>(samples.data()), frames * 2);
  std::ofstream(path, std::ios::binary) << f;
}

// --- the child ----------------------------------------------------------------------------

// Appends one line to the child's report; the parent reads it after the child has ended.
void Report(const std::string& line) {
  std::ofstream("report.txt", std::ios::app) << line << "\n";
}

void SaveFrame(const char* name) {
  Array<int> pixels(kW * kH);
  vg_graphics_ReadPixels(pixels, 0, 0, kW, kH);
  std::ofstream(std::string(name) + ".raw", std::ios::binary)
      .write(reinterpret_cast<const char*>(pixels.Data()), kW * kH * 4);
  // The same as a PNG to look at; ints are 0xAARRGGBB.
  std::vector<unsigned int> rgba(kW * kH);
  for (int i = 0; i < kW * kH; ++i) {
    unsigned p = static_cast<unsigned>(pixels[i]);
    rgba[i] = (p & 0xff00ff00u) | (p >> 16 & 0xff) | (p & 0xff) << 16;
  }
  stbi_write_png((std::string(name) + ".png").c_str(), kW, kH, 4, rgba.data(), kW * 4);
}

// Text in the current font, one frame per character, each frame's width apart.
void DrawText(const char* text, float x, float y) {
  c_Image* font = vg_graphics_context->m_font;
  if (!font) return;
  for (const char* p = text; *p; ++p, x += font->m_width) {
    vg_graphics_DrawImage(font, x, y, *p - vg_graphics_context->m_firstChar);
  }
}

// Draws one picture and saves it: the sprite turned 90 degrees, scaled (2, 3) around its
// handle (5, 5) at (200, 150), and "!#" in the default font at (100, 50).
class PictureApp : public c_App {
 public:
  c_Image* sprite = nullptr;

  c_App* m_new() {
    c_App::m_new();
    return this;
  }
  int p_OnCreate() override {
    gc_assign(sprite, vg_graphics_LoadImage(String("sprite.png"), 1, 0));
    sprite->p_SetHandle(5, 5);
    Report(vg_graphics_context->m_font ? "font" : "no font");
    return 0;
  }
  int p_OnRender() override {
    vg_graphics_Cls(0, 0, 0);
    vg_graphics_DrawImage2(sprite, 200, 150, 90, 2, 3);
    DrawText("!#", 100, 50);
    SaveFrame("picture");
    Report("saved");
    vg_app_EndApp();
  }
  void mark() override { gc_mark_q(sprite); }
};

// The stand-in application: a sprite that the arrow keys move, a line of text, a sound on
// the space bar, and the close box ending the run. It reports what it did.
class StandinApp : public c_App {
 public:
  c_Image* sprite = nullptr;
  c_Sound* blip = nullptr;
  float x = 100;
  int updates = 0;
  bool saveNext = false;

  c_App* m_new() {
    c_App::m_new();
    return this;
  }
  int p_OnCreate() override {
    vg_app_SetUpdateRate(60);
    gc_assign(sprite, vg_graphics_LoadImage(String("sprite.png"), 1, c_Image::MidHandle));
    gc_assign(blip, vg_audio_LoadSound(String("blip.wav")));
    Report(std::string("create") + (sprite ? " sprite" : "") + (blip ? " sound" : ""));
    return 0;
  }
  int p_OnUpdate() override {
    ++updates;
    if (vg_input_KeyHit(32)) {
      vg_audio_PlaySound(blip, 0, 0);
      Report("sound state " + std::to_string(vg_audio_device->ChannelState(0)));
    }
    if (vg_input_KeyHit(39)) {
      x += 50;
      Report("moved to " + std::to_string(static_cast<int>(x)));
      saveNext = true;
    }
    return 0;
  }
  int p_OnRender() override {
    vg_graphics_Cls(0, 0, 0);
    vg_graphics_DrawImage(sprite, x, 200);
    DrawText("!#$%", 20, 20);
    if (saveNext) {
      SaveFrame("standin");
      saveNext = false;
      Report("saved");
    }
    return 0;
  }
  void mark() override {
    gc_mark_q(sprite);
    gc_mark_q(blip);
  }
};

}  // namespace

int vgInit() {
  vg_framework_InitGlobals();
  vg_framework_AddRoots();
  return 0;
}

int vgMain() {
  makeApp();
  return 0;
}

namespace {

class WindowTest : public vgtest::XvfbTest {
 protected:
  void SetUp() override {
    XvfbTest::SetUp();
    char dirTemplate[] = "/tmp/vg-framework-window-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    dir = dirTemplate;
    ASSERT_EQ(mkdir((dir + "/data").c_str(), 0755), 0);
    WriteFont(dir + "/data/vunk_font.png");
    WriteSprite(dir + "/data/sprite.png");
    WriteWav(dir + "/data/blip.wav");
  }
  void TearDown() override {
    // VG_KEEP_FRAMES keeps the saved frames (PNG too) to look at.
    if (!HasFailure() && !std::getenv("VG_KEEP_FRAMES")) {
      if (std::system(("rm -rf '" + dir + "'").c_str()) != 0) ADD_FAILURE() << dir;
    }
  }

  // Runs the program's start-up with app in a child; returns its exit status (-2 on a
  // signal, -3 when it had to be killed after the time limit).
  int RunProgram(std::function<c_App*()> app, std::function<void()> eventHook = nullptr) {
    pid_t pid = fork();
    if (pid == 0) {
      if (chdir(dir.c_str()) != 0 || !std::freopen("/dev/null", "r", stdin)) _exit(90);
      setenv("ALSOFT_DRIVERS", "null", 1);
      makeApp = std::move(app);
      if (eventHook) glfw2_testing::SetEventHook(eventHook);
      char name[] = "vantorell-framework-test";
      char* argv[] = {name, nullptr};
      _exit(VgTarvikGame::Main(1, argv));
    }
    for (int i = 0; i < 600; ++i) {
      int status;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -3;
  }

  std::string ReadReport() {
    std::stringstream s;
    s << std::ifstream(dir + "/report.txt").rdbuf();
    return s.str();
  }

  // Pixels of a saved frame as 0xRRGGBB.
  std::vector<unsigned> ReadFrame(const char* name) {
    std::vector<unsigned> px(kW * kH);
    std::ifstream f(dir + "/" + name + ".raw", std::ios::binary);
    f.read(reinterpret_cast<char*>(px.data()), kW * kH * 4);
    EXPECT_TRUE(f) << "no frame " << name;
    for (unsigned& p : px) p &= 0xffffff;
    return px;
  }

  std::string dir;
};

TEST_F(WindowTest, TurnedScaledImageAndDefaultFontLandWhereExpected) {
  ASSERT_EQ(RunProgram([] { return (new PictureApp)->m_new(); }), 0);
  EXPECT_EQ(ReadReport(), "font\nsaved\n");
  std::vector<unsigned> px = ReadFrame("picture");
  ASSERT_EQ(px.size(), static_cast<size_t>(kW * kH));
  auto at = [&](int x, int y) { return px[y * kW + x]; };

  // Frame point (u, v) lands at (200 + 3 (v - 5), 150 - 2 (u - 5)): the sprite covers
  // x 185..215, y 120..160, its green half below y 140 and its blue half above.
  EXPECT_EQ(at(190, 150), 0x00ff00u);
  EXPECT_EQ(at(200, 155), 0x00ff00u);
  EXPECT_EQ(at(210, 130), 0x0000ffu);
  EXPECT_EQ(at(187, 122), 0x0000ffu);
  for (auto [x, y] : {std::pair{183, 150}, {217, 150}, {200, 118}, {200, 162}}) {
    EXPECT_EQ(at(x, y), 0u) << x << "," << y;
  }

  // "!" (33) has its bar at glyph column 1, "#" (35) at column 3 of the next 8-pixel cell.
  int whiteColumns = 0;
  for (int x = 96; x < 124; ++x) {
    unsigned p = at(x, 55);
    EXPECT_NE(p, 0xff0000u) << "padding drawn at x " << x;
    if (p == 0xffffffu) {
      ++whiteColumns;
      EXPECT_TRUE(x == 101 || x == 111) << "glyph bar at x " << x;
    }
  }
  EXPECT_EQ(whiteColumns, 2);
  EXPECT_EQ(at(101, 50), 0xffffffu);
  EXPECT_EQ(at(101, 59), 0xffffffu);
  EXPECT_EQ(at(101, 60), 0u);
}

TEST_F(WindowTest, StandinAppPlaysMovesAndEndsOnTheCloseBox) {
  int polls = 0;
  auto hook = [&polls] {
    // Space, then the right arrow, then the close box, a few polls apart.
    switch (++polls) {
      case 5:
        glfw2_testing::FeedKey(32, 0, 1, 0);
        break;
      case 6:
        glfw2_testing::FeedKey(32, 0, 0, 0);
        break;
      case 10:
        glfw2_testing::FeedKey(262, 0, 1, 0);
        break;
      case 11:
        glfw2_testing::FeedKey(262, 0, 0, 0);
        break;
      case 30:
        glfw2_testing::FeedCloseRequest();
        break;
    }
  };
  ASSERT_EQ(RunProgram([] { return (new StandinApp)->m_new(); }, hook), 0);
  EXPECT_EQ(ReadReport(), "create sprite sound\nsound state 1\nmoved to 150\nsaved\n");

  std::vector<unsigned> px = ReadFrame("standin");
  auto at = [&](int x, int y) { return px[y * kW + x]; };
  // MidHandle: the 20 x 10 sprite is centred on (150, 200).
  EXPECT_EQ(at(145, 200), 0x00ff00u);
  EXPECT_EQ(at(155, 200), 0x0000ffu);
  EXPECT_EQ(at(100, 200), 0u) << "the old position is cleared";
  EXPECT_EQ(at(21, 25), 0xffffffu) << "text at the top left";
}

}  // namespace
