// Every screen rendered on a real context (llvmpipe under a private Xvfb) in a 4:3 and a 16:9
// window, read back and compared with fingerprints of the pictures as first drawn: a drawing
// change that moves a pixel fails here. In 4:3 the device's batching is also compared with a
// flush after every record (title menu, credits with every pool full, a list at its cap).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "devices/gl_api.h"
#include "devices/graphics.h"
#include "framework/graphics.h"
#include "tests/game/menu_testing.h"
#include "tests/support/xvfb.h"

namespace {

using vgtest::Harness;

// Each screen at 640 x 480, then at 1920 x 1080. Taken on Debian 12's Mesa (llvmpipe), RGB
// only: the window has no alpha channel to see.
const std::map<std::string, std::pair<uint64_t, uint64_t>> kFingerprints = {
    {"loading", {0x91edc84391b2cf06ull, 0x89c89091610e6feaull}},
    {"title menu", {0x6d7c84eabfddffffull, 0xc1fd84c9225f0a03ull}},
    {"options", {0xd009d15338dc945aull, 0x00e6c5c3439e8132ull}},
    {"credits box", {0x8c93a95973030a2bull, 0xde8e8345786cd2e3ull}},
    {"badges box", {0xea1d3acd313d4adbull, 0x9d714d2df7d5db17ull}},
    {"quit prompt", {0x6372500969153dc5ull, 0xd97c1eea9fecf54full}},
    {"start gate", {0x2064f69fb5f73159ull, 0x72dba1099e0889c2ull}},
    {"story", {0x5cd58989b92b4688ull, 0xf858aa115d8695caull}},
    {"fight", {0x8e1e5ccf74da3525ull, 0xf14d4f798b877c32ull}},
    {"pause", {0x8facfe40098d3695ull, 0x813d70e5bd6ff200ull}},
    {"pause options", {0x739a3bee61ba1549ull, 0x778ec44f9c66e796ull}},
    {"credits roll", {0x1ed1de795b7f0e01ull, 0x16ab8e9fd07e465eull}},
    {"game over", {0x8a7b538831470670ull, 0x1e5dd7d3c79b85e3ull}},
    {"high scores", {0xba24eb608d10594dull, 0x3ec9b23009a106e7ull}},
};

// With VG_SCREEN_DUMP=<dir>, every picture goes there as a PPM, to look at before a
// fingerprint is replaced.
void Dump(const std::vector<int>& px, int w, int h, std::string name) {
  const char* dir = std::getenv("VG_SCREEN_DUMP");
  if (!dir) return;
  std::replace(name.begin(), name.end(), ' ', '-');
  std::ofstream f(std::string(dir) + "/" + name + ".ppm", std::ios::binary);
  f << "P6\n" << w << " " << h << "\n255\n";
  for (int v : px) f << char(v >> 16) << char(v >> 8) << char(v);
}

// GL calls counted on the real context: window copies, draw calls, batches drawn unblended.
int copies = 0, draws = 0, unblended = 0;
void (*realCopy)(unsigned int, int, int, int, int, int, int, int);
void (*realDraw)(unsigned int, int, unsigned int, const void*);
void (*realDisable)(unsigned int);
void CountGlCalls() {
  realCopy = vgGl.CopyTexSubImage2D, realDraw = vgGl.DrawElements, realDisable = vgGl.Disable;
  vgGl.CopyTexSubImage2D = [](unsigned int t, int l, int dx, int dy, int x, int y, int w, int h) {
    ++copies, realCopy(t, l, dx, dy, x, y, w, h);
  };
  vgGl.DrawElements = [](unsigned int m, int n, unsigned int t, const void* i) { ++draws, realDraw(m, n, t, i); };
  vgGl.Disable = [](unsigned int cap) { unblended += cap == GL_BLEND, realDisable(cap); };
}

// Renders the current list as the framework does and reads the back buffer before the swap.
std::vector<int> Render(c_MyApp* a, int w, int h) {
  draws = unblended = 0;
  vg_graphics_device->BeginRender();
  vg_graphics_BeginRender();
  a->p_OnRender();
  Array<int> px(w * h);
  vg_graphics_device->ReadPixels(px, 0, 0, w, h, 0, w);
  vg_graphics_EndRender();
  vg_graphics_device->EndRender();
  return std::vector<int>(px.Data(), px.Data() + w * h);
}

// Checks the picture against the table. True when it began with the window copy kept from an
// earlier frame.
bool ExpectScreen(c_MyApp* a, int w, int h, const std::string& screen) {
  int copyBefore = a->m_CopyFloats, copiesBefore = copies;
  std::vector<int> px = Render(a, w, h);
  std::string name = std::to_string(w) + "x" + std::to_string(h) + " " + screen;
  Dump(px, w, h, name);
  uint64_t got = 1469598103934665603ull;  // FNV-1a over the red, green and blue bytes, top row first
  for (unsigned v : px)
    for (int shift : {16, 8, 0}) got = (got ^ ((v >> shift) & 255)) * 1099511628211ull;
  auto it = kFingerprints.find(screen);
  uint64_t want = it == kFingerprints.end() ? 0 : w == 640 ? it->second.first : it->second.second;
  EXPECT_EQ(got, want) << name << " is now drawn as 0x" << std::hex << got;
  return copyBefore > 0 && a->m_CopyFloats == copyBefore && copies == copiesBefore;
}

// Draws each record on its own: the blend mode the replay sets before every record flushes.
class FlushPerRecord : public gxtkGraphics {
 public:
  int SetBlend(int blend) override { return Flush(), gxtkGraphics::SetBlend(blend); }
};

// The current list drawn whole, none of it put back from a copy, by the device and by one that
// flushes after every record: the same pixels, the first in far fewer draw calls. Records under
// one that hides the whole window are not drawn at all.
void ExpectBatchingKeepsThePixels(c_MyApp* a, int w, int h, const char* screen) {
  gxtkGraphics* batched = vg_graphics_device;
  std::vector<int> px[2];
  int calls[2];
  for (int i = 0; i < 2; ++i) {
    a->m_LastList.clear(), a->m_LastSame = -1, a->m_CopyFloats = -1;
    vg_graphics_SetGraphicsDevice(i ? new FlushPerRecord : batched);
    px[i] = Render(a, w, h), calls[i] = draws;
  }
  vg_graphics_SetGraphicsDevice(batched);
  EXPECT_TRUE(px[0] == px[1]) << screen << ": batching changed pixels";
  int hidden = std::max(0, a->p_LastCoveringRecord(w, h, 0, 0)) / kDrawRecord;
  EXPECT_GE(calls[1], a->m_DrawCount / kDrawRecord - hidden) << screen;
  EXPECT_LT(calls[0] * 3, calls[1]) << screen << ": records joined into fewer draw calls";
}

// Walks one game through every screen in a window of w x h, checking each.
void EveryScreen(int w, int hh) {
  Harness h({w, hh, {}});
  h.Start();
  ASSERT_TRUE(h.UseRealWindow());
  CountGlCalls();
  c_MyApp* a = h.app();
  bool small = w == 640;
  auto check = [&](const char* screen) { return ExpectScreen(a, w, hh, screen); };

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
  if (small) {
    ExpectBatchingKeepsThePixels(a, w, hh, "title menu");
    EXPECT_EQ(a->p_LastCoveringRecord(w, hh, 0, 0), 3 * kDrawRecord)
        << "the backdrop hides the background and the three records before it";
    EXPECT_EQ(unblended, 1) << "the backdrop is drawn without blending";
  }

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
  if (small) {
    EXPECT_GT(a->m_DrawCount / kDrawRecord, 2000);
    ExpectBatchingKeepsThePixels(a, w, hh, "credits");
    for (int i = 0; i < 600; ++i) a->p_Rect(static_cast<float>(i), 0, 1, 1);
    EXPECT_EQ(a->m_DrawCount, 2499 * kDrawRecord) << "the list holds at most 2499 records";
    ExpectBatchingKeepsThePixels(a, w, hh, "a full list");
  }
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

TEST_F(ScreenPixels, EveryScreenDrawsTheSamePicturesIn4By3And16By9AndBatchingChangesNoPixel) {
  VG_IN_CHILD([] { EveryScreen(640, 480); });
  VG_IN_CHILD([] { EveryScreen(1920, 1080); });
}
