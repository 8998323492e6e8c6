// Every screen at every window shape a phone or a desktop has, checked through the draw list:
// the named items of each screen lie on the screen and clear of one another, and a size
// change that keeps the image set reloads nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "game/myapp.h"
#include "tests/game/menu_testing.h"
#include "tests/support/harness.h"

using vgtest::Harness;

namespace {

struct Box {
  float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
  bool Empty() const { return x0 > x1; }
  void Add(float cx, float cy, float hw, float hh) {
    x0 = std::min(x0, cx - hw), x1 = std::max(x1, cx + hw);
    y0 = std::min(y0, cy - hh), y1 = std::max(y1, cy + hh);
  }
};

std::ostream& operator<<(std::ostream& out, const Box& b) {
  return out << "[" << b.x0 << "," << b.y0 << " - " << b.x1 << "," << b.y1 << "]";
}

// Screen items by name: an image by its slot (and frame, -1 for any), or every text line
// whose first glyph is drawn in the given colour (red component).
struct Item {
  std::string name;
  int slot, frame;
};

// The box of every record of the item in this frame's list (virtual pixels, rotation ignored).
Box BoundsOf(c_MyApp* app, int slot, int frame) {
  Box b;
  for (int at = 0; at + kDrawRecord <= app->m_DrawCount; at += kDrawRecord) {
    const float* rec = &app->m_DrawList[at];
    if (rec[0] < 0 || static_cast<int>(rec[0]) != slot) continue;
    if (frame >= 0 && static_cast<int>(rec[6]) != frame) continue;
    float hw = app->m_ImageInfo[3 * slot] * app->m_ImageScale * std::fabs(rec[4]) / 2;
    float hh = app->m_ImageInfo[3 * slot + 1] * app->m_ImageScale * std::fabs(rec[5]) / 2;
    b.Add(rec[1], rec[2], hw, hh);
  }
  return b;
}

// Text is checked line by line: the glyph boxes of one line, split where AllText splits.
std::vector<Box> TextLines(c_MyApp* app) {
  std::vector<Box> lines;
  const float* last = nullptr;
  int font = app->m_CurFont;
  for (int at = 0; at + kDrawRecord <= app->m_DrawCount; at += kDrawRecord) {
    const float* rec = &app->m_DrawList[at];
    bool glyph = rec[0] >= 0 && static_cast<int>(rec[0]) == font;
    if (!glyph) {
      last = nullptr;
      continue;
    }
    if (!last || rec[2] != last[2] || rec[7] != last[7]) lines.emplace_back();
    float hw = app->m_ImageInfo[3 * font] * app->m_ImageScale * std::fabs(rec[4]) / 2;
    float hh = app->m_ImageInfo[3 * font + 1] * app->m_ImageScale * std::fabs(rec[5]) / 2;
    lines.back().Add(rec[1], rec[2], hw, hh);
    last = rec;
  }
  return lines;
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

struct Layout {
  float W = 0, H = 0;
  std::map<std::string, Box> boxes;  // named items; texts as one item per line
};

Layout Measure(c_MyApp* app, const std::vector<Item>& items) {
  Layout l;
  l.W = vg_Vantorell_jscrw, l.H = vg_Vantorell_jscrh;
  for (const Item& it : items) {
    Box b = BoundsOf(app, it.slot, it.frame);
    if (!b.Empty()) l.boxes[it.name] = b;
  }
  int n = 0;
  for (const Box& b : TextLines(app)) l.boxes["text line " + std::to_string(n++)] = b;
  return l;
}

// The title menu, the game and its pause menu at one window size.
std::vector<Layout> Screens(int w, int h) {
  Harness::Options options;
  options.width = w;
  options.height = h;
  Harness harness(options);
  harness.Start(), harness.FinishLoading(), harness.Frame(60);
  c_MyApp* app = harness.app();
  std::vector<Layout> out;
  out.push_back(Measure(app, {{"subtitle", 98, -1}, {"play item", 95, 0}, {"options item", 95, 10},
                              {"confirm button", 97, 3}, {"credits icon", 93, -1}}));
  menutest::TapAndSettle(harness, vgtest::kKeyEnter);
  harness.Frame(30);
  EXPECT_EQ(app->m_Screen, 10);
  out.push_back(Measure(app, {{"pause icon", 97, 0}, {"ship", 1, 0}}));
  menutest::TapAndSettle(harness, vgtest::kKeyEscape);
  harness.Frame(60);
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
      float want = std::min(Gap(r, ro), 0.0f);
      EXPECT_GE(Gap(g, got.boxes.at(other)), want - 1)
          << where << ": " << name << " " << g << " comes onto " << other << " " << got.boxes.at(other);
    }
  }
}

}  // namespace

TEST(Shapes, WidePhoneScreensShowEveryScreenAsWellAs16To9) {
  // 16:9 is the widest shape the screens were laid out for: the reference.
  const char* names[] = {"title menu", "game", "pause menu"};
  // The phones' 18:9, 19.5:9, 20:9 and 21:9 in landscape.
  const struct { int w, h; } shapes[] = {{2160, 1080}, {2340, 1080}, {2400, 1080}, {2520, 1080}};
  for (const auto& s : shapes) {
    VG_IN_CHILD([&s, &names] {
      const std::vector<Layout> ref = Screens(1920, 1080);
      const std::vector<Layout> got = Screens(s.w, s.h);
      std::string at = std::to_string(s.w) + " x " + std::to_string(s.h);
      EXPECT_TRUE(vg_Vantorell_jscrh >= 360 && vg_Vantorell_jscrw >= 640)
          << at << ": the visible area " << vg_Vantorell_jscrw << " x " << vg_Vantorell_jscrh;
      for (size_t i = 0; i < ref.size() && i < got.size(); ++i) ExpectAsGoodAs(got[i], ref[i], at + " " + names[i]);
    });
  }
}
