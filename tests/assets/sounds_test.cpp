// The sounds: every file decodes as 16-bit mono, is centred on zero and keeps clear of full
// scale, effects start and end on silence, looped instruments join without a click at the pitch the sequencer
// calls note 13, and the two tunes last their scenes and are music in their keys.
#include <algorithm>
#include <cmath>
#include <tuple>

#include "tests/assets/assets_support.h"

using namespace assets;

namespace {
int peak(const Sound& s) {
  int p = 0;
  for (int16_t v : s.samples) p = std::max(p, std::abs(static_cast<int>(v)));
  return p;
}

// Power at one frequency over n samples from `at` (a Goertzel filter; n 0 means to the end).
double power_at(const Sound& s, double hz, size_t at = 0, size_t n = 0) {
  double c = 2 * std::cos(2 * M_PI * hz / s.hertz), s1 = 0, s2 = 0;
  size_t end = n ? at + n : s.samples.size();
  for (size_t i = at; i < end; ++i) {
    double s0 = s.samples[i] / 32768.0 + c * s1 - s2;
    s2 = s1, s1 = s0;
  }
  return (s1 * s1 + s2 * s2 - c * s1 * s2) / static_cast<double>(end - at);
}
}  // namespace

TEST(Sounds, EveryFileIsSixteenBitMonoCentredBelowFullScaleAndStartsAndEndsNearSilence) {
  const int limit = static_cast<int>(32767 * std::pow(10.0, -1.0 / 20));  // -1 dBFS
  std::vector<std::string> files = wav_files();
  files.insert(files.end(), {"sfx/Brisklet.ogg", "sfx/Sollenmark.ogg"});
  for (const std::string& file : files) {
    const Sound& s = sound(file);
    ASSERT_FALSE(s.samples.empty()) << file;
    EXPECT_TRUE(s.channels == 1 && s.hertz >= 22050) << file;
    bool effect = file.compare(0, 4, "sfx/") == 0;
    double sum = 0;
    for (int16_t v : s.samples) sum += v;
    // An offset shifts every mix it is played into and thumps where a sound starts or stops.
    EXPECT_LE(std::fabs(sum / s.samples.size()), 32.768) << file << " is off centre";
    EXPECT_LE(peak(s), limit) << file;
    EXPECT_TRUE(!effect || peak(s) > limit / 8) << file << " is nearly silent";
    EXPECT_LT(std::abs(s.samples.front()), effect ? 300 : 330) << file;  // about 1% of full scale
    EXPECT_LT(std::abs(s.samples.back()), effect || file[5] == 'd' ? 330 : 660) << file;
  }
  EXPECT_LT(sound("sfx/001.wav").seconds(), 1.0 / 6) << "the shot is over before the next";
  EXPECT_NEAR(sound("sfx/096.wav").seconds(), 1.5, 0.3);
}

TEST(Sounds, InstrumentLoopsJoinWithoutAClickAtNoteThirteen) {
  // Lead, accompaniment and bass play A at note 13, an octave apart from each other.
  for (auto [name, count, hz] : {std::tuple{"lead", 3, 441.0}, {"accompany", 3, 220.5}, {"bass", 4, 110.25}}) {
    for (int v = 1; v <= count; ++v) {
      std::string file = "inst/" + std::string(name) + std::to_string(v) + ".wav";
      const Sound& s = sound(file);
      int largest = 0;
      for (size_t i = 1; i < s.samples.size(); ++i) largest = std::max(largest, std::abs(s.samples[i] - s.samples[i - 1]));
      EXPECT_LE(std::abs(s.samples.front() - s.samples.back()), largest) << file << ": the seam steps further";
      double f0 = power_at(s, hz);
      for (double other : {hz * 1.0595, hz / 1.0595, hz / 2}) EXPECT_GT(f0, 10 * power_at(s, other)) << file;
    }
  }
}

TEST(Sounds, TunesLastTheirScenesNeverFallSilentPlayInTheirKeysAndMatchInLoudness) {
  // Brisklet in A minor with the G sharp of E major, Sollenmark in D major; the credits last
  // about 108 seconds.
  double level[2] = {}, *tune = level;
  for (auto [file, seconds, key] : {std::tuple{"sfx/Brisklet.ogg", 60.0, std::vector<int>{9, 11, 0, 2, 4, 5, 7, 8}},
                                    {"sfx/Sollenmark.ogg", 110.0, std::vector<int>{2, 4, 6, 7, 9, 11, 1}}}) {
    const Sound& s = sound(file);
    ASSERT_FALSE(s.samples.empty());
    EXPECT_GE(s.seconds(), seconds) << file;
    for (int16_t v : s.samples) *tune += static_cast<double>(v) * v / static_cast<double>(s.samples.size());
    size_t ten = static_cast<size_t>(s.hertz) * 10 * s.channels;
    for (size_t at = 0; at + 2 * ten < s.samples.size(); at += ten) {  // before the final fade
      double e = 0;
      for (size_t i = at; i < at + ten; ++i) e += static_cast<double>(s.samples[i]) * s.samples[i];
      EXPECT_GT(std::sqrt(e / ten), 800.0) << file << " at " << at / s.hertz << " s";
    }
    // Energy per pitch class on notes 40 to 88: overtones reach every class, the scale dominates.
    double pc[12] = {}, in_key = 0, out_key = 0;
    for (int m = 40; m <= 88; ++m)
      for (size_t at = 0; at + 4096 <= s.samples.size(); at += 4096 * 6)
        pc[m % 12] += power_at(s, 440.0 * std::pow(2.0, (m - 69) / 12.0), at, 4096) * 4096;
    for (int c = 0; c < 12; ++c) {
      double& side = std::count(key.begin(), key.end(), c) ? in_key : out_key;
      side = std::max(side, pc[c]);
    }
    EXPECT_LT(out_key, 0.7 * in_key) << file;
    ++tune;
  }
  EXPECT_LT(std::fabs(10 * std::log10(level[0] / level[1])), 1.0) << "the tunes differ in loudness by 1 dB or more";
}
