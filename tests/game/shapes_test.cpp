// The title menu, the game and its pause menu at every window shape a phone has, checked
// through the draw list against 16:9: the named items and the text lines of each screen lie on
// the screen and clear of one another.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "game/myapp.h"
#include "tests/game/menu_testing.h"
#include "tests/support/harness.h"

namespace {

struct Box {
  float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
};

std::ostream& operator<<(std::ostream& out, const Box& b) {
  return out << "[" << b.x0 << "," << b.y0 << " - " << b.x1 << "," << b.y1 << "]";
}

// How far apart two boxes are (negative: how deep they overlap). Item boxes include their
// art's transparent rims, so layouts are judged against the reference shape's gaps.
float Gap(const Box& a, const Box& b) {
  return std::max(std::max(b.x0 - a.x1, a.x0 - b.x1), std::max(b.y0 - a.y1, a.y0 - b.y1));
}

// How far a box reaches past the screen's edges.
float Outside(const Box& a, float W, float H) {
  return std::max(std::max(-a.x0, -a.y0), std::max(a.x1 - W, a.y1 - H));
}

// An item: its name, image slot and frame (-1 for any).
using Item = std::tuple<std::string, int, int>;

struct Layout {
  float W = 0, H = 0;
  std::map<std::string, Box> boxes;
};

// The box of every record of each item, and of each text line (a run of glyphs on one
// baseline and alpha), in virtual pixels, rotation ignored.
Layout Measure(c_MyApp* app, const std::vector<Item>& items) {
  Layout l{vg_Vantorell_jscrw, vg_Vantorell_jscrh, {}};
  const float* last = nullptr;  // the previous glyph of the current line
  int lines = 0;
  for (int at = 0; at + kDrawRecord <= app->m_DrawCount; at += kDrawRecord) {
    const float* rec = &app->m_DrawList[at];
    int slot = static_cast<int>(rec[kRecKind]);
    bool glyph = rec[kRecKind] >= 0 && slot == app->m_CurFont;
    std::vector<Box*> into;
    if (glyph) {
      if (!last || rec[kRecY] != last[kRecY] || rec[kRecAlpha] != last[kRecAlpha]) ++lines;
      into.push_back(&l.boxes["text line " + std::to_string(lines)]);
    }
    last = glyph ? rec : nullptr;
    for (const auto& [name, itemSlot, frame] : items)
      if (rec[kRecKind] >= 0 && slot == itemSlot && (frame < 0 || frame == static_cast<int>(rec[kRecFrame])))
        into.push_back(&l.boxes[name]);
    if (into.empty()) continue;
    float hw = app->m_ImageInfo[3 * slot] * app->m_ImageScale * std::fabs(rec[kRecW]) / 2;
    float hh = app->m_ImageInfo[3 * slot + 1] * app->m_ImageScale * std::fabs(rec[kRecH]) / 2;
    for (Box* b : into) {
      b->x0 = std::min(b->x0, rec[kRecX] - hw), b->x1 = std::max(b->x1, rec[kRecX] + hw);
      b->y0 = std::min(b->y0, rec[kRecY] - hh), b->y1 = std::max(b->y1, rec[kRecY] + hh);
    }
  }
  return l;
}

// The title menu, the game and its pause menu at one window size.
std::vector<Layout> Screens(int w, int h) {
  vgtest::Harness harness({w, h, {}});
  harness.Start(), harness.FinishLoading(), harness.Frame(60);
  c_MyApp* app = harness.app();
  std::vector<Layout> out;
  out.push_back(Measure(app, {{"subtitle", 98, -1}, {"play item", 95, 0}, {"options item", 95, 10},
                              {"confirm button", 97, 3}, {"credits icon", 93, -1}}));
  menutest::TapAndSettle(harness, vgtest::kKeyEnter), harness.Frame(30);
  EXPECT_EQ(app->m_Screen, 10);
  out.push_back(Measure(app, {{"pause icon", 97, 0}, {"ship", 1, 0}}));
  menutest::TapAndSettle(harness, vgtest::kKeyEscape), harness.Frame(60);
  EXPECT_EQ(app->m_Paused, 1);
  out.push_back(Measure(app, {{"resume", 97, 3}}));
  return out;
}

// Every item of the reference is there, reaches no further past an edge, and comes no
// closer to (or deeper into) any other item than in the reference.
void ExpectAsGoodAs(const Layout& got, const Layout& ref, const std::string& where) {
  for (const auto& [name, r] : ref.boxes) {
    auto it = got.boxes.find(name);
    if (it == got.boxes.end()) {
      ADD_FAILURE() << where << ": " << name << " is missing";
      continue;
    }
    const Box& g = it->second;
    EXPECT_LE(Outside(g, got.W, got.H), std::max(Outside(r, ref.W, ref.H), 0.0f) + 1)
        << where << ": " << name << " " << g << " is cut by the " << got.W << " x " << got.H << " screen";
    for (const auto& [other, ro] : ref.boxes) {
      if (other <= name || !got.boxes.count(other)) continue;
      EXPECT_GE(Gap(g, got.boxes.at(other)), std::min(Gap(r, ro), 0.0f) - 1)
          << where << ": " << name << " " << g << " comes onto " << other << " " << got.boxes.at(other);
    }
  }
}

}  // namespace

TEST(Shapes, WidePhoneScreensShowEveryScreenAsWellAs16To9) {
  const char* names[] = {"title menu", "game", "pause menu"};
  // The phones' 18:9, 19.5:9, 20:9 and 21:9 in landscape.
  const struct { int w, h; } shapes[] = {{2160, 1080}, {2340, 1080}, {2400, 1080}, {2520, 1080}};
  for (const auto& s : shapes) {
    VG_IN_CHILD([&s, &names] {
      const std::vector<Layout> ref = Screens(1920, 1080);  // the widest shape laid out for
      const std::vector<Layout> got = Screens(s.w, s.h);
      std::string at = std::to_string(s.w) + " x " + std::to_string(s.h);
      EXPECT_TRUE(vg_Vantorell_jscrh >= 360 && vg_Vantorell_jscrw >= 640)
          << at << ": the visible area " << vg_Vantorell_jscrw << " x " << vg_Vantorell_jscrh;
      for (size_t i = 0; i < ref.size() && i < got.size(); ++i) ExpectAsGoodAs(got[i], ref[i], at + " " + names[i]);
    });
  }
}
