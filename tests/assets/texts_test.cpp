// The name and credit tables: short distinct names the game font can draw, and credit lines
// grouped as the credits box expects, each fitting the test card's dark band.
#include <set>

#include "game/texts.h"
#include "tests/assets/assets_support.h"

TEST(Texts, NamesAreShortDistinctAndDrawableInTheGameFont) {
  const assets::Image& font = assets::image("fonts/quilbent.png");
  std::set<std::string> seen;
  for (int i = 0; i < 1439; ++i) {
    ASSERT_NE(kDisplayNames[i], nullptr) << i;
    std::string n = kDisplayNames[i];
    // Shown at size 2 under a picture: 14 letters are about 200 design pixels.
    EXPECT_TRUE(n.size() >= 3 && n.size() <= 14) << n;
    for (unsigned char c : n) {
      int x = 0, y = 0;
      if (c >= 33 && c <= 159) assets::frame_origin(font.w, 16, 16, c - 32, &x, &y);
      EXPECT_TRUE(c >= 33 && c <= 159 && assets::ink(font, x, y, 16, 16) > 0) << n << " has '" << c << "'";
    }
    EXPECT_TRUE(seen.insert(n).second) << "duplicate " << n;
  }
}

TEST(Texts, CreditLinesFormTheGroupsOfTheCreditsBoxAndFitTheBand) {
  std::vector<std::string> l(kCreditLines, kCreditLines + 49);
  for (const std::string& line : l) {
    // Drawn at W / 2 + 24 with alignment 0.8: 60% of the line lies right of that point and must
    // stay inside the band, 106 pixels right of the centre (advance 7 with the font's kerning).
    int width = 0;
    for (char c : line)
      width += 7 + (std::string("wm").find(c) != std::string::npos ? 2 : std::string("WM").find(c) != std::string::npos ? 1
                    : std::string("ifl").find(c) != std::string::npos ? -3 : std::string("jskrztn").find(c) != std::string::npos ? -1 : 0);
    EXPECT_LE(width * 0.6, 106 - 24) << line;
    EXPECT_EQ(line.find("\\n"), std::string::npos) << line;
  }
  EXPECT_TRUE(l[0] == "Vantorell" && l[48] == "End");
  EXPECT_GE(std::count(l.begin(), l.end(), "-=-=-"), 4);
  for (int i = 1; i < 49; ++i) EXPECT_FALSE(l[i] == "-=-=-" && l[i - 1] == "-=-=-") << i;
  for (const char* heading : {"Graphics", "Audio", "Thanks to"}) {
    auto at = std::find(l.begin() + 1, l.end(), heading);
    EXPECT_TRUE(at != l.end() && at[-1] == "-=-=-") << heading << " opens a group";
  }
  for (const char* name : {"Brisklet", "Sollenmark", "GLFW", "OpenGL", "OpenAL Soft", "stb", "libvorbis"})
    EXPECT_EQ(std::count(l.begin(), l.end(), name), 1) << name;
}
