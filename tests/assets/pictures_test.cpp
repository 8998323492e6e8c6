// The pictures: every sheet the loader, the default font and the sequencer name fits its frames
// at each resolution, the larger files redraw the same shapes, the frames the game draws have
// content, tinted sheets are grey so tints show, and the font's glyphs are distinct, sit in
// the text box and draw every name of the name table.
#include <set>

#include "game/texts.h"
#include "tests/assets/assets_support.h"

using namespace assets;

namespace {
struct Sheet {
  const char* name;
  int fw, fh, frames;
  bool raw;  // one resolution only
  std::vector<int> drawn;  // frames the game draws
};
const Sheet kSheets[] = {
    {"common/icons", 32, 32, 16, false, {0, 1, 3, 6, 7}}, {"common/Buttons", 64, 64, 16, false, {0, 8, 9, 10, 12}},
    {"common/dpad", 32, 32, 16, false, {0, 1, 4, 5, 6, 9}}, {"common/ZOLTLogo", 256, 256, 1, false, {0}},
    {"common/Testcard_Circle", 256, 256, 1, false, {0}}, {"fonts/quilbent", 16, 16, 128, false, {}},
    {"menu", 256, 256, 4, false, {0}}, {"logo", 256, 128, 1, false, {0}}, {"parts", 8, 8, 256, false, {}},
    {"BadgesA", 64, 64, 64, false, {0}}, {"gfx", 32, 32, 64, false, {0, 1, 2, 8, 9, 10, 11, 12, 13}},
    {"output", 32, 32, 1024, true, {}}, {"outputb", 32, 32, 1024, true, {}},
    {"tunes/Corvath/Tune_12", 64, 64, 64, true, {}}, {"tunes/Retro/Glimmerpit", 64, 64, 64, true, {}},
    {"tunes/Retro/Tessaly", 64, 64, 64, true, {}}};
}  // namespace

TEST(Pictures, EverySheetFitsItsFramesAtEveryResolutionInTheSameShapesAndDrawnFramesHaveInk) {
  for (const Sheet& s : kSheets) {
    const Image& base = image(std::string(s.name) + ".png");
    for (int res : s.raw ? std::vector<int>{1} : std::vector<int>{1, 2, 4}) {
      std::string file = std::string(s.name) + (res == 1 ? "" : res == 2 ? "-hd" : "-hd2") + ".png";
      const Image& img = image(file);
      // The larger files are the same picture in more pixels, so it lands at the same size.
      EXPECT_TRUE(img.w == base.w * res && img.h == base.h * res) << file;
      EXPECT_GE((img.w / (s.fw * res)) * (img.h / (s.fh * res)), s.frames) << file << ": frame outside surface";
      if (res != 4 || img.w != base.w * 4 || img.h != base.h * 4) continue;
      // Upscaling may round corners but keeps the ink where it was; the centre of each 4 x 4
      // block decides, as corner rounding never changes it.
      int mismatched = 0, inked = 0;
      for (int y = 0; y < base.h; ++y)
        for (int x = 0; x < base.w; ++x) {
          bool a = base.at(x, y)[3] != 0;
          inked += a;
          mismatched += a != (img.at(x * 4 + 1, y * 4 + 1)[3] != 0 || img.at(x * 4 + 2, y * 4 + 2)[3] != 0);
        }
      EXPECT_TRUE(inked > 0 && mismatched <= inked / 20) << file << ": " << mismatched << " of " << inked;
    }
    for (int f : s.drawn) {
      int x, y;
      frame_origin(base.w, s.fw, s.fh, f, &x, &y);
      EXPECT_GT(ink(base, x, y, s.fw, s.fh), s.fw * s.fh / 100) << s.name << " frame " << f;
    }
  }
  const Image& parts = image("parts.png");
  for (int i = 0; i < 256; ++i) EXPECT_GT(ink(parts, (i % 16) * 8, (i / 16) * 8, 8, 8), 0) << "part " << i;
}

TEST(Pictures, TintedSheetsAreGreyOnTransparent) {
  for (const char* file : {"common/icons.png", "common/dpad.png", "parts.png", "fonts/quilbent.png", "vunk_font.png",
                           "fonts/quilbent-hd2.png", "parts-hd.png"}) {
    const Image& img = image(file);
    int coloured = 0;
    for (size_t i = 0; i < img.px.size(); i += 4)
      coloured += img.px[i + 3] && (img.px[i] != img.px[i + 1] || img.px[i + 1] != img.px[i + 2]);
    EXPECT_EQ(coloured, 0) << file;
  }
}

TEST(Pictures, FontGlyphsAreDistinctAndSitInTheirBoxesAndDrawEveryName) {
  const Image& f = image("fonts/quilbent.png");
  std::map<std::vector<unsigned char>, char> seen;
  for (int code = 33; code < 127; ++code) {
    int x0, y0, minx = 16, maxx = -1, miny = 16, maxy = -1;
    frame_origin(f.w, 16, 16, code - 32, &x0, &y0);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        if (f.at(x0 + x, y0 + y)[3]) minx = std::min(minx, x), maxx = std::max(maxx, x), miny = std::min(miny, y), maxy = std::max(maxy, y);
    // Drawn centred on the pen with an advance of 7 (at most 9 with kerning), lines 10 apart.
    EXPECT_TRUE(minx >= 4 && maxx <= 12 && miny >= 3 && maxy <= 12) << char(code) << " outside its box or empty";
    auto [it, fresh] = seen.emplace(frame_bytes(f, x0, y0, 16, 16), char(code));
    EXPECT_TRUE(fresh) << char(code) << " looks like " << it->second;
  }
  // The default font: 96 cells with nothing in the padding column the framework cuts off each
  // side, ink in codes 33 to 126 only.
  const Image& v = image("vunk_font.png");
  int cell = v.w / 96, inked = 0;
  ASSERT_TRUE(v.w % 96 == 0 && cell >= 3);
  for (int i = 0; i < 96; ++i) {
    EXPECT_EQ(ink(v, i * cell, 0, 1, v.h) + ink(v, i * cell + cell - 1, 0, 1, v.h), 0) << "cell " << i;
    inked += ink(v, i * cell, 0, cell, v.h) > 0;
  }
  EXPECT_EQ(inked, 94);
  // The name table: short distinct names, shown at size 2 under a picture, where 14 letters
  // are about 200 design pixels.
  std::set<std::string> names;
  for (int i = 0; i < 1439; ++i) {
    ASSERT_NE(kDisplayNames[i], nullptr) << i;
    std::string n = kDisplayNames[i];
    EXPECT_TRUE(n.size() >= 3 && n.size() <= 14 && names.insert(n).second) << n << ": too short, long or twice";
    for (unsigned char c : n) {
      int x = 0, y = 0;
      if (c >= 33 && c <= 159) frame_origin(f.w, 16, 16, c - 32, &x, &y);
      EXPECT_TRUE(c >= 33 && c <= 159 && ink(f, x, y, 16, 16) > 0) << n << " has '" << c << "'";
    }
  }
}
