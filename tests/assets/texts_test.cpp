// The name and credit tables: as many entries as the game indexes, short printable handles
// that the game's font can draw, and credit lines grouped as the credits box expects.
#include <set>
#include <string>

#include "game/texts.h"
#include "tests/assets/assets_support.h"

using namespace assets;

namespace {

// The text layout's kerning of the game font.
int kerning(char c) {
  switch (c) {
    case 'w': case 'm': return 2;
    case 'W': case 'M': return 1;
    case 'i': case 'f': case 'l': return -3;
    case 'j': case 's': case 'k': case 'r': case 'z': case 't': case 'n': return -1;
    default: return 0;
  }
}

}  // namespace

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
    // Drawn at (W / 2 + 24) with alignment 0.8, so 60% of the line lies right of that point,
    // which must stay inside the test card's dark band (106 pixels right of the centre).
    int width = 0;
    for (char c : l) width += 7 + kerning(c);
    EXPECT_LE(width * 0.6, 106 - 24) << l;
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
