// Tune images of the music sequencer ("tunes/Corvath/Tune_12", "tunes/Retro/Glimmerpit",
// "tunes/Retro/Tessaly"): 512 x 512 pictures of 64 patterns of 64 x 64 pixels, where pixel
// column v * 8 + k, row t holds value k of voice v at step t in its blue channel (value x 8).
// Voices: 0 and 1 drum kits, 2 lead, 3 accompaniment, 4 bass. Written by write_tunes.
#include <cmath>
#include <memory>

#include "tools/assetgen/families.h"

namespace {

// Cell fields and their codes as the sequencer reads them.
enum Field { kNote = 0, kVolume = 1, kEffect = 2, kAmount = 3 };
enum Effect { kSlideUp = 1, kSlideDown = 2, kFastUp = 3, kFastDown = 4, kPatternEnd = 8, kBranch = 27 };
// Drum keys for sounds 1 to 8 of a kit.
enum Drum { kKick = 13, kSnare = 15, kHat = 17, kOpenHat = 18, kClap = 20, kTomLow = 22, kTomHigh = 24, kCrash = 25 };

struct Song {
  int v[64][8][64][8] = {};  // pattern, voice, step, field
  void put(int p, int voice, int step, int note, int vol, int fx = 0, int amount = 0) {
    int* c = v[p][voice][step];
    c[kNote] = note;
    c[kVolume] = vol;
    c[kEffect] = fx;
    c[kAmount] = amount;
  }
};

struct Style {
  const char* name;
  uint32_t seed;
  int scale[8];      // lead notes, low to high, around note 13 (the samples' own pitch)
  int bass[5];       // bass notes of the tune's home chord and its neighbours
  int chord[4];      // accompaniment tones
  int swing;         // 1: push every other hat a step late
};

void drums(Song& s, const Style& st, Rng& r) {
  for (int p = 0; p < 6; ++p) {
    for (int bar = 0; bar < 4; ++bar) {
      int b = bar * 16;
      bool fill = p >= 4 && bar == 3;
      // Kit A: kick and snare backbone, a syncopated kick that changes by pattern.
      if (!fill) {
        s.put(p, 0, b, kKick, 29);
        s.put(p, 0, b + 4, kSnare, 24);
        s.put(p, 0, b + (p % 2 ? 6 : 10), kKick, 24);
        s.put(p, 0, b + 12, p == 3 ? kClap : kSnare, 25);
        if (p >= 2 && r.below(2)) s.put(p, 0, b + 14, kKick, 18);
      } else {
        for (int i = 0; i < 16; i += 2) s.put(p, 0, b + i, i < 8 ? kTomHigh : kTomLow, 16 + i);  // a crescendo up to 30
      }
      // Kit B: hats, open hats on the off-beats, a crash to open the phrase.
      for (int i = 0; i < 16; i += 2) {
        int at = b + i + (st.swing && (i % 4 == 2) ? 1 : 0);
        bool open = i % 8 == 6 && p % 2 == 1;
        s.put(p, 1, at, open ? kOpenHat : kHat, (i % 4 == 0) ? 20 : 13);
      }
      if (p >= 3) s.put(p, 1, b + 15, kHat, 10);
    }
    if (p != 0) s.put(p, 1, 0, kCrash, 22);
  }
  // Pattern 5 of kit A ends after three bars: a short pass that jolts the phrase.
  s.v[5][0][47][kEffect] = kPatternEnd;
}

// A four-bar melody built from a two-bar motif: the second half answers the first a step
// higher or lower, and the last bar resolves on the tune's home note.
void lead(Song& s, const Style& st, Rng& r) {
  for (int p = 0; p < 6; ++p) {
    int motif[8], len = 8;
    int pos = 2 + r.below(3);
    for (int i = 0; i < len; ++i) {
      pos += r.below(3) - 1;
      if (pos < 0) pos = 1;
      if (pos > 7) pos = 6;
      motif[i] = pos;
    }
    static const int rhythm[3][8] = {{0, 4, 6, 8, 12, 16, 20, 24},
                                     {0, 2, 4, 8, 10, 12, 20, 28},
                                     {0, 6, 8, 12, 14, 16, 22, 24}};
    const int* rh = rhythm[p % 3];
    for (int half = 0; half < 2; ++half) {
      int shift = half == 0 ? 0 : (r.below(2) ? 1 : -1);
      for (int i = 0; i < len; ++i) {
        int step = half * 32 + rh[i];
        int deg = motif[i] + shift;
        if (half == 1 && i == len - 1) deg = 0;  // resolve home
        if (deg < 0) deg = 0;
        if (deg > 7) deg = 7;
        s.put(p, 2, step, st.scale[deg], 22 + r.below(6));
      }
    }
    // A gentle bend on one long note, and a falling zip at the end of every third pattern.
    s.v[p][2][rh[3]][kEffect] = kSlideUp;
    s.v[p][2][rh[3]][kAmount] = 2 + r.below(3);
    if (p % 3 == 2) s.put(p, 2, 60, st.scale[4], 20, kFastDown, 3);
    // Short rests cut notes that would otherwise ring into the next phrase.
    if (!s.v[p][2][30][kNote]) s.v[p][2][30][kVolume] = 31;
  }
  // Branches: pattern 0 hands over to pattern 1 halfway through odd passes, and pattern 2
  // steps back to pattern 1 on even passes, so the lead varies within a section.
  s.v[0][2][32][kEffect] = kBranch;
  s.v[0][2][32][kAmount] = 1;
  s.v[2][2][32][kEffect] = kBranch;
  s.v[2][2][32][kAmount] = 2;
}

void accompaniment(Song& s, const Style& st, Rng& r) {
  for (int p = 0; p < 4; ++p)
    for (int bar = 0; bar < 4; ++bar)
      for (int i = 0; i < 4; ++i) {
        int step = bar * 16 + i * 4 + (p % 2 ? 2 : 0);
        int tone = st.chord[(i + bar + p) % 4];
        if (p == 3 && i % 2) continue;  // a sparser pattern for quiet sections
        s.put(p, 3, step, tone, 14 + r.below(5));
      }
}

void bassline(Song& s, const Style& st, Rng& r) {
  for (int p = 0; p < 5; ++p)
    for (int bar = 0; bar < 4; ++bar) {
      int root = st.bass[bar == 2 && p % 2 ? 1 + r.below(4) : 0];
      for (int i = 0; i < 16; i += 2) {
        bool octave = (p == 1 || p == 4) && i % 4 == 2;
        if (p == 3 && i % 4) continue;
        int n = octave ? root + 12 : root;
        s.put(p, 4, bar * 16 + i, n > 31 ? root : n, i == 0 ? 28 : 22);
      }
    }
}

Canvas picture(const Song& s) {
  Canvas c(512, 512);
  c.fill(rgb(0, 0, 0));
  for (int p = 0; p < 64; ++p)
    for (int voice = 0; voice < 8; ++voice)
      for (int step = 0; step < 64; ++step)
        for (int k = 0; k < 8; ++k) {
          int val = s.v[p][voice][step][k];
          if (!val) continue;
          // Blue carries the value; red and green only make the picture readable by eye.
          int x = (p % 8) * 64 + voice * 8 + k, y = (p / 8) * 64 + step;
          c.set(x, y, rgb(k == 0 ? 40 + voice * 40 : 0, k == 1 ? val * 8 : 0, val * 8));
        }
  return c;
}

const Style kStyles[3] = {
    {"tunes/Corvath/Tune_12", 0xc0a7u, {8, 11, 13, 16, 18, 20, 23, 25}, {1, 6, 8, 4, 11}, {13, 16, 20, 25}, 0},
    {"tunes/Retro/Glimmerpit", 0x611au, {13, 15, 16, 18, 20, 22, 23, 25}, {1, 8, 6, 3, 11}, {13, 16, 20, 22}, 1},
    {"tunes/Retro/Tessaly", 0x7e55u, {13, 15, 17, 20, 22, 25, 27, 29}, {1, 8, 6, 10, 3}, {13, 17, 20, 25}, 0},
};

}  // namespace

void write_tunes(Output& out) {
  for (const Style& st : kStyles) {
    auto owned = std::make_unique<Song>();  // 4 MB: kept off the stack
    Song& song = *owned;
    Rng r(st.seed);
    drums(song, st, r);
    lead(song, st, r);
    accompaniment(song, st, r);
    bassline(song, st, r);
    out.image_raw(st.name, picture(song));
  }
}
