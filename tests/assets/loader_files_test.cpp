// Every file the game's loader, the default font and the music sequencer ask for exists in
// a fresh generator run, decodes through the host's loaders, and has room for the frame size
// and count the game requests at each of the three resolutions.
#include "tests/assets/assets_support.h"

using namespace assets;

namespace {

struct Sheet {
  const char* name;
  int fw, fh, frames;
  bool raw;  // loaded without resolution suffix
};

// Frame sizes at resolution 1, as the loader and the sequencer load them.
const Sheet kSheets[] = {
    {"common/icons", 32, 32, 16, false},    {"common/Buttons", 64, 64, 16, false},
    {"common/dpad", 32, 32, 16, false},     {"common/ZOLTLogo", 256, 256, 1, false},
    {"common/Testcard_Circle", 256, 256, 1, false},
    {"fonts/quilbent", 16, 16, 128, false}, {"menu", 256, 256, 4, false},
    {"logo", 256, 128, 1, false},           {"parts", 8, 8, 256, false},
    {"BadgesA", 64, 64, 64, false},         {"gfx", 32, 32, 64, false},
    {"output", 32, 32, 1024, true},         {"outputb", 32, 32, 1024, true},
    {"tunes/Corvath/Tune_12", 64, 64, 64, true},
    {"tunes/Retro/Glimmerpit", 64, 64, 64, true},
    {"tunes/Retro/Tessaly", 64, 64, 64, true},
};

}  // namespace

TEST(LoaderFiles, TheBuildWroteTheDataFolder) {
  ASSERT_FALSE(data_dir().empty()) << VG_BUILD_DATA << " is missing: build vantorell_data";
}

TEST(LoaderFiles, EveryImageFitsItsFramesAtEveryResolution) {
  ASSERT_FALSE(data_dir().empty());
  for (const Sheet& s : kSheets) {
    Image base = load_image(std::string(s.name) + ".png");
    ASSERT_TRUE(base.ok()) << s.name;
    EXPECT_TRUE(frames_fit(base.w, base.h, s.fw, s.fh, s.frames)) << s.name;
    if (s.raw) continue;
    for (int res : {2, 4}) {
      std::string file = std::string(s.name) + (res == 2 ? "-hd" : "-hd2") + ".png";
      Image img = load_image(file);
      ASSERT_TRUE(img.ok()) << file;
      // The larger files are the same picture in more pixels, so it lands at the same size.
      EXPECT_EQ(img.w, base.w * res) << file;
      EXPECT_EQ(img.h, base.h * res) << file;
      EXPECT_TRUE(frames_fit(img.w, img.h, s.fw * res, s.fh * res, s.frames)) << file;
    }
  }
}

TEST(LoaderFiles, DefaultFontHoldsNinetySixPaddedCellsWithInkInsideThePadding) {
  ASSERT_FALSE(data_dir().empty());
  Image f = load_image("vunk_font.png");
  ASSERT_TRUE(f.ok());
  ASSERT_EQ(f.w % 96, 0);
  int cell = f.w / 96;
  ASSERT_GE(cell, 3);
  int inked = 0;
  for (int i = 0; i < 96; ++i) {
    // The framework cuts one pixel off each side of every cell; nothing may be drawn there.
    for (int y = 0; y < f.h; ++y) {
      EXPECT_EQ(f.at(i * cell, y)[3], 0) << "cell " << i;
      EXPECT_EQ(f.at(i * cell + cell - 1, y)[3], 0) << "cell " << i;
    }
    inked += ink(f, i * cell, 0, cell, f.h) > 0;
  }
  EXPECT_EQ(inked, 94);  // codes 33 to 126; the space and code 127 are blank
}

TEST(LoaderFiles, EverySoundDecodesAsSixteenBitMono) {
  ASSERT_FALSE(data_dir().empty());
  std::vector<std::string> wavs;
  for (int n : {1, 2, 3, 4, 5, 6, 7, 95, 96, 98, 99}) {
    char name[32];
    std::snprintf(name, sizeof name, "sfx/%03d.wav", n);
    wavs.push_back(name);
  }
  for (int kit = 1; kit <= 4; ++kit)
    for (int d = 1; d <= 8; ++d) wavs.push_back("inst/d" + std::to_string(kit) + "-" + std::to_string(d) + ".wav");
  for (int v = 1; v <= 3; ++v) {
    wavs.push_back("inst/lead" + std::to_string(v) + ".wav");
    wavs.push_back("inst/accompany" + std::to_string(v) + ".wav");
  }
  for (int v = 1; v <= 4; ++v) wavs.push_back("inst/bass" + std::to_string(v) + ".wav");
  for (const std::string& w : wavs) {
    Sound s = load_sound(w);
    ASSERT_TRUE(s.ok()) << w;
    EXPECT_EQ(s.channels, 1) << w;
    EXPECT_EQ(s.format, 2) << w;
    EXPECT_GE(s.hertz, 22050) << w;
  }
}

TEST(LoaderFiles, TunesAreLongEnoughForTheirScenes) {
  ASSERT_FALSE(data_dir().empty());
  Sound game = load_sound("sfx/Brisklet.ogg");
  Sound credits = load_sound("sfx/Sollenmark.ogg");
  ASSERT_TRUE(game.ok());
  ASSERT_TRUE(credits.ok());
  EXPECT_GE(game.seconds(), 60.0);
  // The credits roll lasts about 108 seconds.
  EXPECT_GE(credits.seconds(), 110.0);
}
