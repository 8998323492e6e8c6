// The two streamed tunes, composed here: "Brisklet", the driving in-game tune (A minor, about
// 65 s, played once from the start of a game) and "Sollenmark", the calmer credits tune
// (D major, about 115 s). Melodies grow from a seeded two-bar motif that follows the chords;
// bass, arpeggios, pads and drums are written per section. Written by write_music.
#include <cmath>
#include <vector>

#include "tools/assetgen/families.h"
#include "tools/assetgen/music.h"

namespace {

struct Chord {
  int root;   // midi note of the root, in the bass octave
  bool minor;
  int tone(int i) const { return root + (i == 0 ? 0 : i == 1 ? (minor ? 3 : 4) : 7); }
};

struct Key {
  int pcs[7];  // pitch classes of the scale, ascending
  bool has(int midi) const {
    for (int pc : pcs)
      if (((midi % 12) + 12) % 12 == pc) return true;
    return false;
  }
  // Moves `steps` scale steps from `midi` (which may lie off the scale).
  int step(int midi, int steps) const {
    int dir = steps > 0 ? 1 : -1;
    for (int n = 0; n != steps; n += dir) {
      midi += dir;
      while (!has(midi)) midi += dir;
    }
    return midi;
  }
};

// The chord tone nearest to `midi` in any octave.
int snap(int midi, const Chord& c) {
  int best = midi, dist = 99;
  for (int o = -2; o <= 3; ++o)
    for (int i = 0; i < 3; ++i) {
      int cand = c.tone(i) + 12 * o, d = std::abs(cand - midi);
      if (d < dist) { dist = d; best = cand; }
    }
  return best;
}

struct Motif {
  std::vector<double> onsets, lengths;  // in beats within two bars
  std::vector<int> contour;              // scale steps from the previous note
};

Motif make_motif(Rng& r, int density) {
  static const double kRhythms[4][8] = {{0, 1, 1.5, 2, 3, 4, 5.5, 6},
                                        {0, 0.5, 1, 2, 2.5, 4, 5, 6},
                                        {0, 1.5, 2, 3, 4, 4.5, 5, 6},
                                        {0, 2, 3, 4, 6, 6, 6, 6}};
  Motif m;
  const double* rh = kRhythms[density];
  int count = density == 3 ? 4 : 8;
  for (int i = 0; i < count; ++i) {
    double next = i + 1 < count ? rh[i + 1] : 8.0;
    m.onsets.push_back(rh[i]);
    m.lengths.push_back(std::min(next - rh[i], 2.0) * 0.9);
    m.contour.push_back(r.below(5) - 2);
  }
  return m;
}

// Writes 2-bar motifs over `bars` bars of `chords` (one per bar). Strong beats snap to the
// bar's chord; the last motif of a phrase of 8 bars ends long on the chord's root.
int melody(Score& s, double start, int bars, const std::vector<Chord>& chords, const Key& key, const Motif& m,
           int pitch, int lo, int hi, float vel, Rng& r) {
  for (int b = 0; b < bars; b += 2) {
    bool cadence = (b + 2) % 8 == 0;
    int shift = (b / 2) % 2 == 1 ? (r.below(2) ? 1 : -1) : 0;
    for (size_t i = 0; i < m.onsets.size(); ++i) {
      double at = m.onsets[i];
      int bar = b + static_cast<int>(at / 4);
      if (bar >= bars) break;
      const Chord& c = chords[static_cast<size_t>(bar) % chords.size()];
      int move = m.contour[i] + (i == 0 ? shift : 0), before = pitch;
      pitch = key.step(pitch, move);
      if (std::fmod(at, 2.0) == 0.0) {
        pitch = snap(pitch, c);
        // Snapping must not undo the motif's step: a moving note moves to the next chord tone.
        if (pitch == before && move != 0) pitch = snap(pitch + (move > 0 ? 3 : -3), c);
      }
      while (pitch < lo) pitch += 12;
      while (pitch > hi) pitch -= 12;
      double len = m.lengths[i];
      if (cadence && i + 1 == m.onsets.size()) {
        pitch = snap(c.root + 24, c);
        while (pitch < lo) pitch += 12;
        len = 8.0 - at;
      }
      s.add(start + b * 4 + at, len, static_cast<float>(pitch), vel, Voice::Lead);
    }
  }
  return pitch;
}

void bass_drive(Score& s, double start, int bars, const std::vector<Chord>& ch) {
  for (int b = 0; b < bars; ++b) {
    const Chord& c = ch[static_cast<size_t>(b) % ch.size()];
    for (int e = 0; e < 8; ++e)
      s.add(start + b * 4 + e * 0.5, 0.4, static_cast<float>(c.root + (e % 4 == 3 ? 12 : 0)), e % 2 ? 0.55f : 0.75f, Voice::Bass);
  }
}

void bass_walk(Score& s, double start, int bars, const std::vector<Chord>& ch) {
  for (int b = 0; b < bars; ++b) {
    const Chord& c = ch[static_cast<size_t>(b) % ch.size()];
    s.add(start + b * 4, 1.8, static_cast<float>(c.root), 0.75f, Voice::Bass);
    s.add(start + b * 4 + 2, 1.0, static_cast<float>(c.tone(2) - 12), 0.6f, Voice::Bass);
    s.add(start + b * 4 + 3, 0.9, static_cast<float>(c.tone(1) - 12 + 12), 0.55f, Voice::Bass);
  }
}

void arps(Score& s, double start, int bars, const std::vector<Chord>& ch, int octave, double step, float vel) {
  for (int b = 0; b < bars; ++b) {
    const Chord& c = ch[static_cast<size_t>(b) % ch.size()];
    static const int order[8] = {0, 1, 2, 3, 2, 1, 0, 1};
    int k = 0;
    for (double t = 0; t < 4.0 - 1e-9; t += step, ++k) {
      int i = order[k % 8];
      int note = i == 3 ? c.root + 12 : c.tone(i);
      s.add(start + b * 4 + t, step * 0.8, static_cast<float>(note + 12 * octave), vel, Voice::Arp);
    }
  }
}

// Sustained chords an octave above the bass, below the melody's register.
void pads(Score& s, double start, int bars, const std::vector<Chord>& ch, float vel) {
  for (int b = 0; b < bars; ++b) {
    const Chord& c = ch[static_cast<size_t>(b) % ch.size()];
    for (int i = 0; i < 3; ++i) s.add(start + b * 4, 3.9, static_cast<float>(c.tone(i) + 12), vel, Voice::Pad);
  }
}

// Four-to-the-bar kick with offbeat hats; a snare roll fills the last bar of every eight.
void drums_drive(Score& s, double start, int bars, bool sixteenths) {
  for (int b = 0; b < bars; ++b) {
    double t = start + b * 4;
    s.add(t, 0.5, 0, b % 8 == 0 ? 0.6f : 0.0f, Voice::Crash);
    if (b % 8 == 7) {
      for (int i = 0; i < 16; ++i) s.add(t + i * 0.25, 0.2, 0, 0.3f + i * 0.035f, Voice::Snare);
      s.add(t, 0.5, 0, 0.9f, Voice::Kick);
      continue;
    }
    for (int q = 0; q < 4; ++q) s.add(t + q, 0.5, 0, 0.95f, Voice::Kick);
    s.add(t + 1, 0.5, 0, 0.8f, Voice::Snare);
    s.add(t + 3, 0.5, 0, 0.8f, Voice::Snare);
    for (int e = 0; e < (sixteenths ? 16 : 8); ++e) {
      double at = t + e * (sixteenths ? 0.25 : 0.5);
      bool off = sixteenths ? e % 4 == 2 : e % 2 == 1;
      s.add(at, 0.2, 0, off ? 0.45f : 0.25f, off && b % 2 ? Voice::OpenHat : Voice::Hat);
    }
  }
}

// Half-time groove for the credits: kick on one and the and-of-three, a soft snare on three.
void drums_soft(Score& s, double start, int bars) {
  for (int b = 0; b < bars; ++b) {
    double t = start + b * 4;
    s.add(t, 0.5, 0, 0.8f, Voice::Kick);
    s.add(t + 2.5, 0.5, 0, 0.55f, Voice::Kick);
    s.add(t + 2, 0.5, 0, 0.5f, Voice::Snare);
    for (int e = 0; e < 8; ++e) s.add(t + e * 0.5 + (e % 2 ? 0.08 : 0), 0.2, 0, e % 2 ? 0.2f : 0.32f, Voice::Hat);
    if (b % 8 == 7) s.add(t + 3.5, 0.5, 0, 0.4f, Voice::OpenHat);
  }
}

Score brisklet() {
  Score s;
  s.bpm = 148;
  Rng r(0xb215u);
  const Key am{{9, 11, 0, 2, 4, 5, 7}};
  const std::vector<Chord> verse{{45, true}, {41, false}, {48, false}, {43, false}};
  const std::vector<Chord> lift{{41, false}, {43, false}, {45, true}, {40, true}, {41, false}, {43, false}, {40, false}, {40, false}};
  const std::vector<Chord> brk{{38, true}, {40, true}, {41, false}, {43, false}};
  Motif m1 = make_motif(r, 0), m2 = make_motif(r, 1), m3 = make_motif(r, 2);
  // Intro 4 bars, A 8, B 8, A 8, break 4, A 8: 40 bars.
  drums_drive(s, 0, 4, false);
  bass_drive(s, 0, 4, verse);
  arps(s, 8, 2, verse, 2, 0.25, 0.25f);
  drums_drive(s, 16, 16, false);
  bass_drive(s, 16, 8, verse);
  int p = melody(s, 16, 8, verse, am, m1, 69, 64, 84, 0.5f, r);
  bass_drive(s, 48, 8, lift);
  pads(s, 48, 8, lift, 0.12f);
  p = melody(s, 48, 8, lift, am, m2, p + 5, 67, 88, 0.5f, r);
  drums_drive(s, 80, 8, true);
  bass_drive(s, 80, 8, verse);
  arps(s, 80, 8, verse, 1, 0.25, 0.2f);
  p = melody(s, 80, 8, verse, am, m1, 69, 64, 84, 0.5f, r);
  for (int b = 0; b < 4; ++b) s.add(112 + b * 4, 0.5, 0, 0.9f, Voice::Kick);
  arps(s, 112, 4, brk, 2, 0.25, 0.3f);
  pads(s, 112, 4, brk, 0.18f);
  drums_drive(s, 128, 8, true);
  bass_drive(s, 128, 8, verse);
  pads(s, 128, 8, verse, 0.1f);
  melody(s, 128, 8, verse, am, m3, p, 64, 86, 0.5f, r);
  // Final hit: the home chord, held, with a crash.
  s.add(160, 0.5, 0, 0.9f, Voice::Kick);
  s.add(160, 0.5, 0, 0.7f, Voice::Crash);
  for (int i = 0; i < 3; ++i) s.add(160, 3.5, static_cast<float>(Chord{45, true}.tone(i) + 12), 0.3f, Voice::Pad);
  s.add(160, 3.5, 45, 0.8f, Voice::Bass);
  s.add(160, 3.0, 81, 0.5f, Voice::Lead);
  s.beats = 164;
  return s;
}

Score sollenmark() {
  Score s;
  s.bpm = 100;
  Rng r(0x5011u);
  const Key dmaj{{2, 4, 6, 7, 9, 11, 1}};
  const std::vector<Chord> a{{38, false}, {45, false}, {47, true}, {43, false}};
  const std::vector<Chord> b{{40, true}, {43, false}, {38, false}, {45, false}, {40, true}, {43, false}, {45, false}, {45, false}};
  const std::vector<Chord> c{{47, true}, {43, false}, {38, false}, {45, false}};
  Motif m1 = make_motif(r, 2), m2 = make_motif(r, 3), m3 = make_motif(r, 1);
  // Intro 4, A 8, B 8, A 8 with drums, C 8, A 8, ending 4: 48 bars.
  pads(s, 0, 4, a, 0.2f);
  for (int i = 0; i < 16; ++i) s.add(i, 0.9, static_cast<float>(a[static_cast<size_t>(i / 4)].tone(i % 3) + 36), 0.22f, Voice::Bell);
  pads(s, 16, 8, a, 0.16f);
  bass_walk(s, 16, 8, a);
  arps(s, 16, 8, a, 1, 0.5, 0.18f);
  int p = melody(s, 16, 8, a, dmaj, m1, 74, 66, 86, 0.45f, r);
  pads(s, 48, 8, b, 0.16f);
  bass_walk(s, 48, 8, b);
  drums_soft(s, 48, 8);
  p = melody(s, 48, 8, b, dmaj, m2, p, 66, 88, 0.45f, r);
  pads(s, 80, 8, a, 0.14f);
  bass_walk(s, 80, 8, a);
  drums_soft(s, 80, 8);
  arps(s, 80, 8, a, 1, 0.25, 0.15f);
  p = melody(s, 80, 8, a, dmaj, m1, 74, 66, 86, 0.45f, r);
  pads(s, 112, 8, c, 0.16f);
  bass_walk(s, 112, 8, c);
  drums_soft(s, 112, 8);
  arps(s, 112, 8, c, 3, 0.5, 0.12f);
  p = melody(s, 112, 8, c, dmaj, m3, p + 3, 69, 90, 0.42f, r);
  pads(s, 144, 8, a, 0.16f);
  bass_walk(s, 144, 8, a);
  drums_soft(s, 144, 8);
  arps(s, 144, 8, a, 1, 0.25, 0.15f);
  melody(s, 144, 8, a, dmaj, m1, 74, 66, 86, 0.45f, r);
  for (int i = 0; i < 3; ++i) s.add(176, 14.0, static_cast<float>(Chord{38, false}.tone(i) + 12), 0.22f, Voice::Pad);
  for (int i = 0; i < 8; ++i) s.add(176 + i * 0.5, 3.0, static_cast<float>(Chord{38, false}.tone(i % 3) + 36 + (i / 3) * 12), 0.2f, Voice::Bell);
  s.add(176, 8.0, 38, 0.7f, Voice::Bass);
  s.add(176, 0.5, 0, 0.5f, Voice::Crash);
  s.beats = 192;
  return s;
}

}  // namespace

void write_music(Output& out) {
  // Peaks sit well below full scale because decoded Vorbis overshoots the encoded peak.
  // Fixed serial numbers keep the files byte-identical from run to run.
  out.bytes("sfx/Brisklet.ogg", encode_ogg(render(brisklet(), 0.75f), kMusicRate, 0x42524b4c, "Brisklet"));
  out.bytes("sfx/Sollenmark.ogg", encode_ogg(render(sollenmark(), 0.75f), kMusicRate, 0x534f4c4d, "Sollenmark"));
}
