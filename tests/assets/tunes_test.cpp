// The sequencer's tune images decode to values it can play: drum keys only in the drum
// voices, notes 1 to 31 in the melodic ones, known effects with sensible amounts, branches
// that land on patterns that exist, and real patterns in all five voices.
#include "tests/assets/assets_support.h"

using namespace assets;

namespace {

struct Cell {
  int note, volume, effect, amount;
};

// Value k of voice v at step t of pattern p, as the sequencer decodes it (blue >> 3).
int value(const Image& img, int p, int v, int t, int k) {
  const unsigned char* px = img.at((p % 8) * 64 + v * 8 + k, (p / 8) * 64 + t);
  return px[3] == 0 ? 0 : px[2] >> 3;
}

}  // namespace

TEST(Tunes, EveryCellHoldsAValueTheSequencerPlays) {
  ASSERT_FALSE(data_dir().empty());
  for (const char* name : {"tunes/Corvath/Tune_12.png", "tunes/Retro/Glimmerpit.png", "tunes/Retro/Tessaly.png"}) {
    Image img = load_image(name);
    ASSERT_TRUE(img.ok()) << name;
    ASSERT_EQ(img.w, 512);
    ASSERT_EQ(img.h, 512);
    int last[8] = {0};
    int slides = 0, ends = 0, branches = 0;
    // Only frames 0 to 62 are decoded by the sequencer.
    for (int p = 0; p < 63; ++p)
      for (int v = 0; v < 8; ++v)
        for (int t = 0; t < 64; ++t) {
          for (int k = 0; k < 8; ++k) {
            const unsigned char* px = img.at((p % 8) * 64 + v * 8 + k, (p / 8) * 64 + t);
            // Opaque pixels only, and exact multiples of 8, so no blending changes a value.
            EXPECT_TRUE(px[3] == 255 && px[2] % 8 == 0) << name << " p" << p << " v" << v << " t" << t;
            if (value(img, p, v, t, k)) last[v] = p;
            if (k >= 4 || v >= 5) {
              EXPECT_EQ(value(img, p, v, t, k), 0) << name << " unused field set";
            }
          }
          Cell c{value(img, p, v, t, 0), value(img, p, v, t, 1), value(img, p, v, t, 2), value(img, p, v, t, 3)};
          if (v <= 1 && c.note) {
            static const int keys[] = {13, 15, 17, 18, 20, 22, 24, 25};
            EXPECT_NE(std::find(std::begin(keys), std::end(keys), c.note), std::end(keys))
                << name << " drum key " << c.note;
          }
          if (c.note) {
            EXPECT_GE(c.volume, 1) << name << " note without a volume";
          }
          switch (c.effect) {
            case 0: EXPECT_EQ(c.amount, 0); break;
            case 1: case 2: case 3: case 4: EXPECT_GE(c.amount, 1); ++slides; break;
            case 8: ++ends; break;
            case 27:
              ++branches;
              EXPECT_TRUE(c.amount == 1 || c.amount == 2) << name;
              EXPECT_TRUE(c.amount == 1 ? p + 1 < 63 : p >= 1) << name << " branch leaves the table";
              break;
            default: ADD_FAILURE() << name << " unknown effect " << c.effect;
          }
        }
    for (int v = 0; v < 5; ++v) EXPECT_GE(last[v], 3) << name << " voice " << v << " has too few patterns";
    for (int v = 5; v < 8; ++v) EXPECT_EQ(last[v], 0) << name;
    EXPECT_GT(slides, 0) << name;
    EXPECT_GT(ends, 0) << name;
    EXPECT_GT(branches, 0) << name;
  }
}

TEST(Tunes, BranchTargetsHoldNotesForTheSameVoice) {
  ASSERT_FALSE(data_dir().empty());
  Image img = load_image("tunes/Corvath/Tune_12.png");
  ASSERT_TRUE(img.ok());
  for (int p = 0; p < 63; ++p)
    for (int v = 0; v < 5; ++v)
      for (int t = 0; t < 64; ++t)
        if (value(img, p, v, t, 2) == 27) {
          int target = value(img, p, v, t, 3) == 1 ? p + 1 : p - 1;
          int notes = 0;
          for (int u = 0; u < 64; ++u) notes += value(img, target, v, u, 0) != 0;
          EXPECT_GT(notes, 0) << "branch from pattern " << p << " of voice " << v << " to an empty pattern";
        }
}
