// The name and credit tables: as many entries as the game indexes, short printable handles
// that the game's font can draw, and credit lines grouped as the credits box expects.
#include <set>
#include <string>

#include "game/texts.h"
#include "tests/assets/assets_support.h"

using namespace assets;

TEST(Texts, NamesAreShortDistinctAndDrawableInTheGameFont) {
  ASSERT_FALSE(data_dir().empty());
  Image font = load_image("fonts/quilbent.png");
  ASSERT_TRUE(font.ok());
  auto drawable = [&](unsigned char c) {
    if (c < 33 || c > 159) return false;
    int x, y;
    frame_origin(font.w, 16, 16, c - 32, &x, &y);
    return ink(font, x, y, 16, 16) > 0;
  };
  std::set<std::string> seen;
  for (int i = 0; i < 1439; ++i) {
    ASSERT_NE(kDisplayNames[i], nullptr) << i;
    std::string n = kDisplayNames[i];
    EXPECT_GE(n.size(), 3u) << i;
    // Shown at size 2 under a picture: 14 letters are about 200 design pixels.
    EXPECT_LE(n.size(), 14u) << n;
    for (unsigned char c : n) EXPECT_TRUE(drawable(c)) << n << " has '" << c << "'";
    EXPECT_TRUE(seen.insert(n).second) << "duplicate " << n;
  }
}

TEST(Texts, CreditLinesFormTheGroupsOfTheCreditsBox) {
  std::set<std::string> lines;
  int separators = 0;
  for (int i = 0; i < 49; ++i) {
    ASSERT_NE(kCreditLines[i], nullptr) << i;
    std::string l = kCreditLines[i];
    lines.insert(l);
    separators += l == "-=-=-";
    EXPECT_LE(l.size(), 26u) << l;  // fits between the frame's side columns at 640 x 480
    EXPECT_EQ(l.find("\\n"), std::string::npos) << l;
  }
  EXPECT_STREQ(kCreditLines[48], "End");
  EXPECT_STREQ(kCreditLines[0], "Vantorell");
  EXPECT_GE(separators, 4);
  // A separator never follows another, and every heading opens a group.
  for (int i = 1; i < 49; ++i) EXPECT_FALSE(std::string(kCreditLines[i]) == "-=-=-" && std::string(kCreditLines[i - 1]) == "-=-=-");
  for (const char* heading : {"Graphics", "Audio", "Thanks to"}) {
    int at = -1;
    for (int i = 0; i < 49; ++i)
      if (std::string(kCreditLines[i]) == heading) at = i;
    ASSERT_GT(at, 0) << heading;
    EXPECT_STREQ(kCreditLines[at - 1], "-=-=-") << heading;
  }
  for (const char* must : {"Brisklet", "Sollenmark", "GLFW", "OpenGL", "OpenAL Soft", "stb", "libvorbis"})
    EXPECT_EQ(lines.count(must), 1u) << must;
}
