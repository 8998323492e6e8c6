// Every screen rendered on a real context (llvmpipe under a private Xvfb) in a 4:3 and a 16:9
// window, read back and compared with fingerprints of the pictures as first drawn: a drawing
// change that moves a pixel fails here. A failure prints the new table line; VG_SCREEN_DUMP=<dir>
// writes every picture there as a PPM, to look at before a table line is replaced.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "devices/gl_api.h"
#include "devices/graphics.h"
#include "framework/graphics.h"
#include "tests/game/menu_testing.h"
#include "tests/support/xvfb.h"

namespace {

using vgtest::Harness;

// Taken on Debian 12's Mesa (llvmpipe), RGB only: the window has no alpha channel to see.
const std::map<std::string, uint64_t> kFingerprints = {
    {"640x480 loading", 0x91edc84391b2cf06ull},
    {"640x480 title menu", 0x6d7c84eabfddffffull},
    {"640x480 options", 0xd009d15338dc945aull},
    {"640x480 credits box", 0x8c93a95973030a2bull},
    {"640x480 badges box", 0xea1d3acd313d4adbull},
    {"640x480 quit prompt", 0x6372500969153dc5ull},
    {"640x480 start gate", 0x2064f69fb5f73159ull},
    {"640x480 story", 0x5cd58989b92b4688ull},
    {"640x480 fight", 0x8e1e5ccf74da3525ull},
    {"640x480 pause", 0x8facfe40098d3695ull},
    {"640x480 pause options", 0x739a3bee61ba1549ull},
    {"640x480 credits roll", 0x1ed1de795b7f0e01ull},
    {"640x480 game over", 0x8a7b538831470670ull},
    {"640x480 high scores", 0xba24eb608d10594dull},
    {"1920x1080 loading", 0x89c89091610e6feaull},
    {"1920x1080 title menu", 0xc1fd84c9225f0a03ull},
    {"1920x1080 options", 0x00e6c5c3439e8132ull},
    {"1920x1080 credits box", 0xde8e8345786cd2e3ull},
    {"1920x1080 badges box", 0x9d714d2df7d5db17ull},
    {"1920x1080 quit prompt", 0xd97c1eea9fecf54full},
    {"1920x1080 start gate", 0x72dba1099e0889c2ull},
    {"1920x1080 story", 0xf858aa115d8695caull},
    {"1920x1080 fight", 0xf14d4f798b877c32ull},
    {"1920x1080 pause", 0x813d70e5bd6ff200ull},
    {"1920x1080 pause options", 0x778ec44f9c66e796ull},
    {"1920x1080 credits roll", 0x16ab8e9fd07e465eull},
    {"1920x1080 game over", 0x1e5dd7d3c79b85e3ull},
    {"1920x1080 high scores", 0x3ec9b23009a106e7ull},
};

// FNV-1a over the red, green and blue bytes, top row first.
uint64_t Fingerprint(const Array<int>& px) {
  uint64_t h = 1469598103934665603ull;
  for (int i = 0; i < px.Length(); ++i) {
    unsigned v = static_cast<unsigned>(px[i]);
    for (int shift : {16, 8, 0}) h = (h ^ ((v >> shift) & 255)) * 1099511628211ull;
  }
  return h;
}

void Dump(const Array<int>& px, int w, int h, const std::string& name) {
  const char* dir = std::getenv("VG_SCREEN_DUMP");
  if (!dir) return;
  std::string path = std::string(dir) + "/" + name + ".ppm";
  for (char& c : path) c = c == ' ' ? '-' : c;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fprintf(f, "P6\n%d %d\n255\n", w, h);
  for (int i = 0; i < w * h; ++i) {
    unsigned v = static_cast<unsigned>(px[i]);
    unsigned char rgb[3] = {static_cast<unsigned char>(v >> 16),
                            static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
    std::fwrite(rgb, 1, 3, f);
  }
  std::fclose(f);
}

int windowCopies = 0;
void (*realCopy)(unsigned int, int, int, int, int, int, int, int);
void CountCopy(unsigned int t, int l, int dx, int dy, int x, int y, int w, int h) {
  ++windowCopies, realCopy(t, l, dx, dy, x, y, w, h);
}

// Renders the current list as the framework does, reads the back buffer before the swap and
// checks it against the table. True when the picture began with the window copy kept from an
// earlier frame.
bool ExpectScreen(Harness& h, int w, int hh, const std::string& screen) {
  gxtkGraphics* device = vg_graphics_device;
  int copyBefore = h.app()->m_CopyFloats, copiesBefore = windowCopies;
  device->BeginRender();
  vg_graphics_BeginRender();
  h.app()->p_OnRender();
  Array<int> px(w * hh);
  device->ReadPixels(px, 0, 0, w, hh, 0, w);
  vg_graphics_EndRender();
  device->EndRender();
  std::string key = std::to_string(w) + "x" + std::to_string(hh) + " " + screen;
  Dump(px, w, hh, key);
  uint64_t got = Fingerprint(px);
  auto it = kFingerprints.find(key);
  char line[96];
  std::snprintf(line, sizeof line, "{\"%s\", 0x%016" PRIx64 "ull},", key.c_str(), got);
  EXPECT_TRUE(it != kFingerprints.end() && it->second == got) << "now drawn as " << line;
  return copyBefore > 0 && h.app()->m_CopyFloats == copyBefore && windowCopies == copiesBefore;
}

// Walks one game through every screen in a window of w x h, checking each.
void EveryScreen(int w, int hh) {
  Harness::Options options;
  options.width = w, options.height = hh;
  Harness h(options);
  h.Start();
  ASSERT_TRUE(h.UseRealWindow());
  realCopy = vgGl.CopyTexSubImage2D, vgGl.CopyTexSubImage2D = CountCopy;
  c_MyApp* a = h.app();
  auto check = [&](const char* screen) { return ExpectScreen(h, w, hh, screen); };

  h.Frame(6);
  ASSERT_GT(a->m_Loading, 0);
  check("loading");
  h.FinishLoading(), h.Frame(40);
  ASSERT_TRUE(a->m_Screen == 1 && a->m_MenuSlide == 0);
  menutest::SetTop(a, 98000, 7300);
  for (int i = 0; i < 10; ++i) a->m_HighScores[10 + i] = 1234 * (i + 1);
  h.Frame();
  // Rendered again with no update between, the same list is copied at its second repeat and
  // put back from the third on (renders alone move nothing in the game).
  for (int i = 0; i < 3; ++i) check("title menu");
  EXPECT_TRUE(check("title menu")) << "the still title menu is put back from a copy";

  menutest::TapAndSettle(h, vgtest::kKeyRight), h.Frame(60);
  menutest::TapAndSettle(h, vgtest::kKeyEnter), h.Frame(40);
  ASSERT_EQ(a->m_OptionsOpen, 1);
  check("options");
  menutest::TapAndSettle(h, vgtest::kKeyEscape), h.Frame(40);
  ASSERT_EQ(a->m_OptionsOpen, 0);
  a->m_CreditsOpen = 1, h.Frame(40);
  EXPECT_TRUE(check("credits box")) << "the boxes lie over a still title menu";
  a->m_CreditsOpen = 0, a->m_BadgesOpen = 1, h.Frame(40);
  check("badges box");
  a->m_BadgesOpen = 0, h.Frame(40);
  a->m_Screen = 4, h.Frame(2);
  check("quit prompt");
  a->m_Screen = 5, h.Frame(2);
  check("start gate");
  a->m_Screen = 1, h.Frame(40);

  menutest::TapAndSettle(h, vgtest::kKeyLeft), h.Frame(60);
  menutest::TapAndSettle(h, vgtest::kKeyEnter), h.Frame(90);
  ASSERT_TRUE(a->m_Screen == 10 && a->m_Phase == 0);
  check("story");
  for (int i = 0; i < 2000 && a->m_Phase == 0; ++i) h.Update();
  ASSERT_EQ(a->m_Phase, 1);
  h.Press(vgtest::kKeySpace), h.Frame(60);
  check("fight");
  h.Release(vgtest::kKeySpace), h.Frame();
  menutest::TapAndSettle(h, vgtest::kKeyEscape), h.Frame(20);
  ASSERT_EQ(a->m_Paused, 1);
  check("pause");
  menutest::TapAndSettle(h, vgtest::kKeyRight), menutest::TapAndSettle(h, vgtest::kKeyEnter);
  h.Frame(31);
  ASSERT_EQ(a->m_OptionsOpen, 1);
  check("pause options");
  menutest::TapAndSettle(h, vgtest::kKeyEscape), h.Frame(40);
  menutest::TapAndSettle(h, vgtest::kKeyEscape), h.Frame(60);
  ASSERT_EQ(a->m_Paused, 0);

  vgtest::FillCreditsScene(a);
  h.Frame();
  check("credits roll");
  a->m_Score = 250000, a->m_GameOver = 1, h.Frame(30);
  check("game over");
  for (int i = 0; i < 200 && a->m_Screen != 1; ++i) h.Frame();
  h.Frame(30);
  ASSERT_EQ(a->m_Screen, 1);
  check("high scores");
}

// One server big enough for both windows, for the whole suite.
vgtest::XvfbServer* const server = new vgtest::XvfbServer;

class ScreenPixels : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server->Start(1920, 1080); }
  static void TearDownTestSuite() { server->Stop(); }
  void SetUp() override { ASSERT_TRUE(server->running()) << server->error(); }
};

}  // namespace

TEST_F(ScreenPixels, EveryScreenDrawsTheSamePicturesIn4By3And16By9) {
  VG_IN_CHILD([] { EveryScreen(640, 480); });
  VG_IN_CHILD([] { EveryScreen(1920, 1080); });
}
