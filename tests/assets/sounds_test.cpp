// The sounds: every file decodes as 16-bit mono, is centred on zero and keeps clear of full
// scale, effects start and end on silence, looped instruments join without a click at the
// pitch the sequencer calls note 13, and the two tunes last their scenes at one loudness.
#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

#include "tests/assets/assets_support.h"

using namespace assets;

namespace {
int peak(const Sound& s) {
  int p = 0;
  for (int16_t v : s.samples) p = std::max(p, std::abs(static_cast<int>(v)));
  return p;
}

// Power at one frequency over the whole sound (a Goertzel filter).
double power_at(const Sound& s, double hz) {
  double c = 2 * std::cos(2 * M_PI * hz / s.hertz), s1 = 0, s2 = 0;
  for (int16_t v : s.samples) {
    double s0 = v / 32768.0 + c * s1 - s2;
    s2 = s1, s1 = s0;
  }
  return (s1 * s1 + s2 * s2 - c * s1 * s2) / static_cast<double>(s.samples.size());
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

TEST(Sounds, TunesLastTheirScenesNeverFallSilentAndMatchInLoudness) {
  double level[2] = {}, *tune = level;  // the credits last about 108 seconds
  for (auto [file, seconds] : {std::pair{"sfx/Brisklet.ogg", 60.0}, {"sfx/Sollenmark.ogg", 110.0}}) {
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
    ++tune;
  }
  EXPECT_LT(std::fabs(10 * std::log10(level[0] / level[1])), 1.0) << "the tunes differ in loudness by 1 dB or more";
}
