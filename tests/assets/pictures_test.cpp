// What the pictures must show for the game to read well: the frames the game draws are
// there, tinted sheets are grey so tints show, the font's glyphs are distinct and sit where
// the text layout expects them, the larger files redraw the same shapes, and every avatar
// is its own.
#include <map>
#include <set>

#include "tests/assets/assets_support.h"

using namespace assets;

namespace {

// Ink per frame listed, for sheets that the game reads frame by frame.
void expect_frames_inked(const char* file, int fw, int fh, std::initializer_list<int> frames) {
  Image img = load_image(file);
  ASSERT_TRUE(img.ok()) << file;
  for (int f : frames) {
    int x, y;
    frame_origin(img.w, fw, fh, f, &x, &y);
    EXPECT_GT(ink(img, x, y, fw, fh), fw * fh / 100) << file << " frame " << f;
  }
}

std::vector<unsigned char> frame_bytes(const Image& img, int x0, int y0, int fw, int fh) {
  std::vector<unsigned char> out;
  for (int y = y0; y < y0 + fh; ++y)
    for (int x = x0; x < x0 + fw; ++x) out.insert(out.end(), img.at(x, y), img.at(x, y) + 4);
  return out;
}

}  // namespace

TEST(Pictures, FramesTheGameDrawsAreNotEmpty) {
  ASSERT_FALSE(data_dir().empty());
  expect_frames_inked("gfx.png", 32, 32, {0, 1, 2, 8, 9, 10, 11, 12, 13});
  expect_frames_inked("common/icons.png", 32, 32, {0, 1, 3, 6, 7});
  expect_frames_inked("common/Buttons.png", 64, 64, {0, 8, 9, 10, 12});
  expect_frames_inked("common/dpad.png", 32, 32, {0, 1, 4, 5, 6, 9});
  expect_frames_inked("BadgesA.png", 64, 64, {0});
  expect_frames_inked("menu.png", 256, 256, {0});
  expect_frames_inked("logo.png", 256, 128, {0});
  expect_frames_inked("common/ZOLTLogo.png", 256, 256, {0});
  expect_frames_inked("common/Testcard_Circle.png", 256, 256, {0});
  Image parts = load_image("parts.png");
  ASSERT_TRUE(parts.ok());
  for (int i = 0; i < 256; ++i) EXPECT_GT(ink(parts, (i % 16) * 8, (i / 16) * 8, 8, 8), 0) << "part " << i;
}

TEST(Pictures, TintedSheetsAreGreyOnTransparent) {
  ASSERT_FALSE(data_dir().empty());
  for (const char* file : {"common/icons.png", "common/dpad.png", "parts.png", "fonts/quilbent.png",
                           "vunk_font.png", "fonts/quilbent-hd2.png", "parts-hd.png"}) {
    Image img = load_image(file);
    ASSERT_TRUE(img.ok()) << file;
    int coloured = 0;
    for (int y = 0; y < img.h; ++y)
      for (int x = 0; x < img.w; ++x) {
        const unsigned char* p = img.at(x, y);
        coloured += p[3] && (p[0] != p[1] || p[1] != p[2]);
      }
    EXPECT_EQ(coloured, 0) << file;
  }
}

TEST(Pictures, FontGlyphsAreDistinctAndSitInTheTextBox) {
  ASSERT_FALSE(data_dir().empty());
  Image f = load_image("fonts/quilbent.png");
  ASSERT_TRUE(f.ok());
  std::map<std::vector<unsigned char>, int> seen;
  for (int code = 33; code < 127; ++code) {
    int x0, y0;
    frame_origin(f.w, 16, 16, code - 32, &x0, &y0);
    int minx = 16, maxx = -1, miny = 16, maxy = -1;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        if (f.at(x0 + x, y0 + y)[3]) {
          minx = std::min(minx, x); maxx = std::max(maxx, x);
          miny = std::min(miny, y); maxy = std::max(maxy, y);
        }
    ASSERT_GE(maxx, 0) << "no glyph for code " << code;
    // The cell is drawn centred on the pen with an advance of 7 (at most 9 with kerning), and
    // lines are 10 apart: the ink must stay within that box around the centre.
    EXPECT_GE(minx, 4) << static_cast<char>(code);
    EXPECT_LE(maxx, 12) << static_cast<char>(code);
    EXPECT_GE(miny, 3) << static_cast<char>(code);
    EXPECT_LE(maxy, 12) << static_cast<char>(code);
    auto key = frame_bytes(f, x0, y0, 16, 16);
    auto it = seen.find(key);
    EXPECT_TRUE(it == seen.end()) << static_cast<char>(code) << " looks like "
                                  << static_cast<char>(it == seen.end() ? ' ' : it->second);
    seen[key] = code;
  }
}

TEST(Pictures, LargerFilesRedrawTheSameShapes) {
  ASSERT_FALSE(data_dir().empty());
  // Upscaling may round corners but keeps every frame's ink where it was, at the new scale.
  for (const char* name : {"gfx", "common/icons", "fonts/quilbent", "common/Buttons", "logo"}) {
    Image base = load_image(std::string(name) + ".png");
    Image big = load_image(std::string(name) + "-hd2.png");
    ASSERT_TRUE(base.ok() && big.ok()) << name;
    int mismatched = 0, inked = 0;
    for (int y = 0; y < base.h; ++y)
      for (int x = 0; x < base.w; ++x) {
        bool a = base.at(x, y)[3] != 0;
        inked += a;
        // The centre of each 4 x 4 block decides: it is never changed by corner rounding.
        bool b = big.at(x * 4 + 1, y * 4 + 1)[3] != 0 || big.at(x * 4 + 2, y * 4 + 2)[3] != 0;
        mismatched += a != b;
      }
    EXPECT_GT(inked, 0) << name;
    EXPECT_LT(mismatched, inked / 20 + 1) << name;
  }
}

TEST(Pictures, EnemyAnimatesAndShipFacesRight) {
  ASSERT_FALSE(data_dir().empty());
  Image g = load_image("gfx.png");
  ASSERT_TRUE(g.ok());
  std::set<std::vector<unsigned char>> frames;
  for (int f = 8; f < 14; ++f) {
    int x, y;
    frame_origin(g.w, 32, 32, f, &x, &y);
    frames.insert(frame_bytes(g, x, y, 32, 32));
  }
  EXPECT_EQ(frames.size(), 6u);
  // Facing right: the hull reaches further right on the flight line than the wings do, and
  // the ship is symmetric about that line.
  auto rightmost = [&](int y) {
    for (int x = 31; x >= 0; --x)
      if (g.at(x, y)[3]) return x;
    return -1;
  };
  EXPECT_GE(std::max(rightmost(15), rightmost(16)), 27);
  EXPECT_LT(rightmost(6), 20);
  EXPECT_LT(rightmost(25), 20);
  int top = 0, bottom = 0;
  for (int x = 0; x < 32; ++x) {
    top += g.at(x, 5)[3] != 0;
    bottom += g.at(x, 26)[3] != 0;
  }
  EXPECT_EQ(top, bottom);
}

TEST(Pictures, EveryNameGetsItsOwnAvatar) {
  ASSERT_FALSE(data_dir().empty());
  for (const char* file : {"output.png", "outputb.png"}) {
    Image img = load_image(file);
    ASSERT_TRUE(img.ok()) << file;
    std::set<std::vector<unsigned char>> faces;
    for (int i = 0; i < 1024; ++i) faces.insert(frame_bytes(img, (i % 32) * 32, (i / 32) * 32, 32, 32));
    EXPECT_GE(faces.size(), 1000u) << file;
  }
}
