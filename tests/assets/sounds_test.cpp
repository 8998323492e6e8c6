// The sounds keep clear of full scale, start and end on silence, and the looped instrument
// samples join without a click at the pitch the sequencer calls note 13; the two tunes are
// music in their keys, not noise.
#include <cmath>

#include "tests/assets/assets_support.h"

using namespace assets;

namespace {

int peak(const Sound& s) {
  int p = 0;
  for (int16_t v : s.samples) p = std::max(p, std::abs(static_cast<int>(v)));
  return p;
}

// Power of the sound at one frequency (a Goertzel filter over the whole sound).
double power_at(const Sound& s, double hz) {
  double c = 2 * std::cos(2 * M_PI * hz / s.hertz), s1 = 0, s2 = 0;
  for (int16_t v : s.samples) {
    double s0 = v / 32768.0 + c * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return (s1 * s1 + s2 * s2 - c * s1 * s2) / static_cast<double>(s.samples.size());
}

// Energy per pitch class (C = 0) over the whole tune, by Goertzel filters on notes 40 to 88.
std::vector<double> chroma(const Sound& s) {
  std::vector<double> pc(12, 0.0);
  const int block = 4096;
  for (int m = 40; m <= 88; ++m) {
    double f = 440.0 * std::pow(2.0, (m - 69) / 12.0), c = 2 * std::cos(2 * M_PI * f / s.hertz);
    for (size_t at = 0; at + block <= s.samples.size(); at += block * 6) {
      double s1 = 0, s2 = 0;
      for (int i = 0; i < block; ++i) {
        double s0 = s.samples[at + i] / 32768.0 + c * s1 - s2;
        s2 = s1;
        s1 = s0;
      }
      pc[m % 12] += s1 * s1 + s2 * s2 - c * s1 * s2;
    }
  }
  return pc;
}

}  // namespace

TEST(Sounds, EffectsPeakBelowMinusOneDecibelAndStartAndEndSilent) {
  ASSERT_FALSE(data_dir().empty());
  const int limit = static_cast<int>(32767 * std::pow(10.0, -1.0 / 20));  // -1 dBFS
  for (int n : {1, 2, 3, 4, 5, 6, 7, 95, 96, 98, 99}) {
    char name[32];
    std::snprintf(name, sizeof name, "sfx/%03d.wav", n);
    Sound s = load_sound(name);
    ASSERT_TRUE(s.ok()) << name;
    EXPECT_LE(peak(s), limit) << name;
    EXPECT_GT(peak(s), limit / 8) << name << " is nearly silent";
    EXPECT_LT(std::abs(s.samples.front()), 300) << name;
    EXPECT_LT(std::abs(s.samples.back()), 300) << name;
  }
  Sound shot = load_sound("sfx/001.wav");
  // Fired six times a second: it must be over well before the next shot.
  EXPECT_LT(shot.seconds(), 1.0 / 6);
  Sound jingle = load_sound("sfx/096.wav");
  EXPECT_NEAR(jingle.seconds(), 1.5, 0.3);
}

TEST(Sounds, InstrumentSamplesLoopWithoutAClickAtOnePitch) {
  ASSERT_FALSE(data_dir().empty());
  struct Family { const char* name; int count; double hz; };
  // Lead, accompaniment and bass play A at note 13, an octave apart from each other.
  for (const Family& fam : {Family{"lead", 3, 441}, Family{"accompany", 3, 220.5}, Family{"bass", 4, 110.25}}) {
    for (int v = 1; v <= fam.count; ++v) {
      std::string file = "inst/" + std::string(fam.name) + std::to_string(v) + ".wav";
      Sound s = load_sound(file);
      ASSERT_TRUE(s.ok()) << file;
      EXPECT_LT(peak(s), 32767) << file;
      EXPECT_LT(std::abs(s.samples.front()), 330) << file;  // about 1% of full scale
      EXPECT_LT(std::abs(s.samples.back()), 330 * 2) << file;
      // The seam, last sample to first, is no bigger a step than the wave takes anywhere.
      int largest = 0;
      for (size_t i = 1; i < s.samples.size(); ++i)
        largest = std::max(largest, std::abs(s.samples[i] - s.samples[i - 1]));
      EXPECT_LE(std::abs(s.samples.front() - s.samples.back()), largest) << file;
      // The fundamental is the strongest of its neighbours a semitone off and an octave down.
      double f0 = power_at(s, fam.hz);
      EXPECT_GT(f0, 10 * power_at(s, fam.hz * 1.0595)) << file;
      EXPECT_GT(f0, 10 * power_at(s, fam.hz / 1.0595)) << file;
      EXPECT_GT(f0, 10 * power_at(s, fam.hz / 2)) << file;
    }
  }
  for (int kit = 1; kit <= 4; ++kit)
    for (int d = 1; d <= 8; ++d) {
      std::string file = "inst/d" + std::to_string(kit) + "-" + std::to_string(d) + ".wav";
      Sound s = load_sound(file);
      ASSERT_TRUE(s.ok()) << file;
      EXPECT_LT(peak(s), 32767) << file;
      EXPECT_LT(std::abs(s.samples.front()), 330) << file;
      EXPECT_LT(std::abs(s.samples.back()), 330) << file;
    }
}

TEST(Sounds, TunesStayClearOfClippingAndPlayInTheirKeys) {
  ASSERT_FALSE(data_dir().empty());
  struct Tune { const char* file; std::vector<int> key; };
  const Tune tunes[] = {{"sfx/Brisklet.ogg", {9, 11, 0, 2, 4, 5, 7, 8}},  // A minor, with the G sharp of E major
                        {"sfx/Sollenmark.ogg", {2, 4, 6, 7, 9, 11, 1}}};  // D major
  for (const Tune& t : tunes) {
    Sound s = load_sound(t.file);
    ASSERT_TRUE(s.ok()) << t.file;
    EXPECT_LT(peak(s), 32767) << t.file;
    // Never silent for long: every ten-second stretch before the final fade has sound in it.
    size_t ten = static_cast<size_t>(s.hertz) * 10 * s.channels;
    for (size_t at = 0; at + ten < s.samples.size() - ten; at += ten) {
      double e = 0;
      for (size_t i = at; i < at + ten; ++i) e += static_cast<double>(s.samples[i]) * s.samples[i];
      EXPECT_GT(std::sqrt(e / static_cast<double>(ten)), 800.0) << t.file << " at " << at / s.hertz << " s";
    }
    std::vector<double> pc = chroma(s);
    double in_key = 0, out_key = 0;
    for (int c = 0; c < 12; ++c) {
      bool member = std::find(t.key.begin(), t.key.end(), c) != t.key.end();
      (member ? in_key : out_key) = std::max(member ? in_key : out_key, pc[c]);
    }
    // Overtones put some energy on every pitch class, but the scale's notes must dominate.
    EXPECT_LT(out_key, 0.7 * in_key) << t.file;
  }
}
