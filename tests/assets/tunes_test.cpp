// The sequencer's tune images decode to values it can play: drum keys only in the drum voices,
// known effects with sensible amounts, branches that land on patterns holding notes, and real
// patterns in all five voices.
#include <algorithm>

#include "tests/assets/assets_support.h"

TEST(Tunes, EveryCellHoldsAValueTheSequencerPlays) {
  const int kDrums[] = {13, 15, 17, 18, 20, 22, 24, 25};
  for (const char* name : {"tunes/Corvath/Tune_12.png", "tunes/Retro/Glimmerpit.png", "tunes/Retro/Tessaly.png"}) {
    const assets::Image& img = assets::image(name);
    ASSERT_TRUE(img.w == 512 && img.h == 512) << name;
    // Field k of voice v at step t of pattern p, as the sequencer decodes it (blue >> 3).
    auto value = [&](int p, int v, int t, int k) {
      const unsigned char* px = img.at((p % 8) * 64 + v * 8 + k, (p / 8) * 64 + t);
      return px[3] == 0 ? 0 : px[2] >> 3;
    };
    int last[8] = {}, slides = 0, ends = 0, branches = 0, bad = 0;
    for (int p = 0; p < 63; ++p)  // the sequencer decodes frames 0 to 62
      for (int v = 0; v < 8; ++v)
        for (int t = 0; t < 64; ++t) {
          for (int k = 0; k < 8; ++k) {
            const unsigned char* px = img.at((p % 8) * 64 + v * 8 + k, (p / 8) * 64 + t);
            bad += px[3] != 255 || px[2] % 8 != 0;  // opaque multiples of 8: no blending changes a value
            bad += (k >= 4 || v >= 5) && value(p, v, t, k) != 0;  // unused fields stay empty
            if (value(p, v, t, k)) last[v] = p;
          }
          int note = value(p, v, t, 0), effect = value(p, v, t, 2), amount = value(p, v, t, 3);
          EXPECT_TRUE(v > 1 || !note || std::count(kDrums, kDrums + 8, note)) << name << " drum key " << note;
          EXPECT_TRUE(!note || value(p, v, t, 1) >= 1) << name << " note without a volume";
          slides += effect >= 1 && effect <= 4;
          ends += effect == 8;
          EXPECT_TRUE(effect == 0 ? amount == 0 : effect <= 4 ? amount >= 1 : effect == 8 || effect == 27)
              << name << " effect " << effect << " amount " << amount;
          if (effect != 27) continue;
          ++branches;
          int target = amount == 1 ? p + 1 : p - 1, notes = 0;
          ASSERT_TRUE((amount == 1 || amount == 2) && target >= 0 && target < 63) << name << " branch leaves the table";
          for (int u = 0; u < 64; ++u) notes += value(target, v, u, 0) != 0;
          EXPECT_GT(notes, 0) << name << " branch from pattern " << p << " voice " << v << " to an empty pattern";
        }
    EXPECT_EQ(bad, 0) << name;
    for (int v = 0; v < 8; ++v) EXPECT_TRUE(v < 5 ? last[v] >= 3 : last[v] == 0) << name << " voice " << v;
    EXPECT_TRUE(slides > 0 && ends > 0 && branches > 0) << name;
  }
}
