// The generated data as the game and the sequencer load it, read from the build's data
// folder (written by the vantorell_data target, which this program depends on) through the
// host's own image and sound loaders, each file decoded once: the pictures and the name table
// drawn in their font, the sounds, and the sequencer's tune images.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "game/texts.h"
#include "host/media.h"

namespace {

const std::string kData = VG_BUILD_DATA;

struct Image {
  int w = 0, h = 0;
  std::vector<unsigned char> px;  // RGBA
  const unsigned char* at(int x, int y) const { return &px[(static_cast<size_t>(y) * w + x) * 4]; }
};

struct Sound {
  int length = 0, channels = 0, format = 0, hertz = 0;
  std::vector<int16_t> samples;
};

// The decoded file under data/; a missing or undecodable file fails the test and gives an
// empty result (an image that is not RGBA counts as undecodable: the generator writes RGBA).
const Image& image(const std::string& rel) {
  static std::map<std::string, Image> cache;
  auto [it, fresh] = cache.try_emplace(rel);
  if (!fresh) return it->second;
  int w = 0, h = 0, d = 0;
  FILE* f = std::fopen((kData + "/" + rel).c_str(), "rb");
  unsigned char* data = f ? vgLoadImageFile(f, &w, &h, &d) : nullptr;
  if (f) std::fclose(f);
  if (data && d == 4) it->second = {w, h, std::vector<unsigned char>(data, data + size_t(w) * h * 4)};
  else ADD_FAILURE() << rel << " does not decode (build vantorell_data)";
  std::free(data);
  return it->second;
}

const Sound& sound(const std::string& rel) {
  static std::map<std::string, Sound> cache;
  auto [it, fresh] = cache.try_emplace(rel);
  Sound& s = it->second;
  if (!fresh) return s;
  FILE* f = std::fopen((kData + "/" + rel).c_str(), "rb");
  bool ogg = rel.size() > 4 && rel.compare(rel.size() - 4, 4, ".ogg") == 0;
  unsigned char* data = !f ? nullptr : ogg ? vgLoadOGG(f, &s.length, &s.channels, &s.format, &s.hertz)
                                           : vgLoadWAV(f, &s.length, &s.channels, &s.format, &s.hertz);
  if (f) std::fclose(f);
  if (data && s.format == 2) {
    s.samples.resize(static_cast<size_t>(s.length) * s.channels);
    std::memcpy(s.samples.data(), data, s.samples.size() * 2);
  } else {
    ADD_FAILURE() << rel << " does not decode as 16-bit sound";
  }
  std::free(data);
  return s;
}

// The corner of frame i of fw x fh in rows across the surface, as the graphics module lays
// them out.
std::pair<int, int> frame_origin(int surface_w, int fw, int fh, int i) {
  return {(i % (surface_w / fw)) * fw, (i / (surface_w / fw)) * fh};
}

// Pixels with any alpha in a rectangle.
int ink(const Image& img, int x0, int y0, int fw, int fh) {
  int n = 0;
  for (int y = y0; y < y0 + fh; ++y)
    for (int x = x0; x < x0 + fw; ++x) n += img.at(x, y)[3] != 0;
  return n;
}

std::vector<unsigned char> frame_bytes(const Image& img, int x0, int y0, int fw, int fh) {
  std::vector<unsigned char> out;
  for (int y = y0; y < y0 + fh; ++y) out.insert(out.end(), img.at(x0, y), img.at(x0 + fw - 1, y) + 4);
  return out;
}

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

struct Sheet {
  const char* name;
  int fw, fh, frames;
  bool raw;  // one resolution only
  std::vector<int> drawn;  // frames the game draws
};
const Sheet kSheets[] = {
    {"common/icons", 32, 32, 16, false, {0, 1, 3, 6, 7}}, {"common/Buttons", 64, 64, 16, false, {0, 8, 9, 10, 12}},
    {"common/dpad", 32, 32, 16, false, {0, 1, 4, 5, 6, 9}}, {"common/ZOLTLogo", 256, 256, 1, false, {0}},
    {"common/Testcard_Circle", 256, 256, 1, false, {0}}, {"fonts/quilbent", 16, 16, 128, false, {}},
    {"menu", 256, 256, 4, false, {0}}, {"logo", 256, 128, 1, false, {0}}, {"parts", 8, 8, 256, false, {}},
    {"BadgesA", 64, 64, 64, false, {0}}, {"gfx", 32, 32, 64, false, {0, 1, 2, 8, 9, 10, 11, 12, 13}},
    {"output", 32, 32, 1024, true, {}}, {"outputb", 32, 32, 1024, true, {}},
    {"tunes/Corvath/Tune_12", 64, 64, 64, true, {}}, {"tunes/Retro/Glimmerpit", 64, 64, 64, true, {}},
    {"tunes/Retro/Tessaly", 64, 64, 64, true, {}}};
}  // namespace

TEST(Pictures, EverySheetFitsItsFramesAtEveryResolutionInTheSameShapesAndDrawnFramesHaveInk) {
  for (const Sheet& s : kSheets) {
    const Image& base = image(std::string(s.name) + ".png");
    for (int res : s.raw ? std::vector<int>{1} : std::vector<int>{1, 2, 4}) {
      std::string file = std::string(s.name) + (res == 1 ? "" : res == 2 ? "-hd" : "-hd2") + ".png";
      const Image& img = image(file);
      // The larger files are the same picture in more pixels, so it lands at the same size.
      EXPECT_TRUE(img.w == base.w * res && img.h == base.h * res) << file;
      EXPECT_GE((img.w / (s.fw * res)) * (img.h / (s.fh * res)), s.frames) << file << ": frame outside surface";
      if (res != 4 || img.w != base.w * 4 || img.h != base.h * 4) continue;
      // Upscaling may round corners but keeps the ink where it was; the centre of each 4 x 4
      // block decides, as corner rounding never changes it.
      int mismatched = 0, inked = 0;
      for (int y = 0; y < base.h; ++y)
        for (int x = 0; x < base.w; ++x) {
          bool a = base.at(x, y)[3] != 0;
          inked += a;
          mismatched += a != (img.at(x * 4 + 1, y * 4 + 1)[3] != 0 || img.at(x * 4 + 2, y * 4 + 2)[3] != 0);
        }
      EXPECT_TRUE(inked > 0 && mismatched <= inked / 20) << file << ": " << mismatched << " of " << inked;
    }
    for (int f : s.drawn) {
      auto [x, y] = frame_origin(base.w, s.fw, s.fh, f);
      EXPECT_GT(ink(base, x, y, s.fw, s.fh), s.fw * s.fh / 100) << s.name << " frame " << f;
    }
  }
  const Image& parts = image("parts.png");
  for (int i = 0; i < 256; ++i) EXPECT_GT(ink(parts, (i % 16) * 8, (i / 16) * 8, 8, 8), 0) << "part " << i;
}

TEST(Pictures, FontGlyphsAreDistinctAndSitInTheirBoxesAndDrawEveryName) {
  const Image& f = image("fonts/quilbent.png");
  std::map<std::vector<unsigned char>, char> seen;
  for (int code = 33; code < 127; ++code) {
    auto [x0, y0] = frame_origin(f.w, 16, 16, code - 32);
    int minx = 16, maxx = -1, miny = 16, maxy = -1;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        if (f.at(x0 + x, y0 + y)[3]) minx = std::min(minx, x), maxx = std::max(maxx, x), miny = std::min(miny, y), maxy = std::max(maxy, y);
    // Drawn centred on the pen with an advance of 7 (at most 9 with kerning), lines 10 apart.
    EXPECT_TRUE(minx >= 4 && maxx <= 12 && miny >= 3 && maxy <= 12) << char(code) << " outside its box or empty";
    auto [it, fresh] = seen.emplace(frame_bytes(f, x0, y0, 16, 16), char(code));
    EXPECT_TRUE(fresh) << char(code) << " looks like " << it->second;
  }
  // The default font: 96 cells with nothing in the padding column the framework cuts off each
  // side, ink in codes 33 to 126 only.
  const Image& v = image("vunk_font.png");
  int cell = v.w / 96, inked = 0;
  ASSERT_TRUE(v.w % 96 == 0 && cell >= 3);
  for (int i = 0; i < 96; ++i) {
    EXPECT_EQ(ink(v, i * cell, 0, 1, v.h) + ink(v, i * cell + cell - 1, 0, 1, v.h), 0) << "cell " << i;
    inked += ink(v, i * cell, 0, cell, v.h) > 0;
  }
  EXPECT_EQ(inked, 94);
  // The name table: short distinct names, shown at size 2 under a picture, where 14 letters
  // are about 200 design pixels.
  std::set<std::string> names;
  for (int i = 0; i < 1439; ++i) {
    ASSERT_NE(kDisplayNames[i], nullptr) << i;
    std::string n = kDisplayNames[i];
    EXPECT_TRUE(n.size() >= 3 && n.size() <= 14 && names.insert(n).second) << n << ": too short, long or twice";
    for (unsigned char c : n) {
      auto [x, y] = frame_origin(f.w, 16, 16, c >= 33 && c <= 159 ? c - 32 : 0);
      EXPECT_TRUE(c >= 33 && c <= 159 && ink(f, x, y, 16, 16) > 0) << n << " has '" << c << "'";
    }
  }
}

TEST(Sounds, EveryFileIsSixteenBitMonoCentredBelowFullScaleAndStartsAndEndsNearSilence) {
  const int limit = static_cast<int>(32767 * std::pow(10.0, -1.0 / 20));  // -1 dBFS
  // Every sound file the game and the sequencer load.
  std::vector<std::string> files = {"sfx/Brisklet.ogg", "sfx/Sollenmark.ogg"};
  for (int n : {1, 2, 3, 4, 5, 6, 7, 95, 96, 98, 99}) files.push_back((n < 10 ? "sfx/00" : "sfx/0") + std::to_string(n) + ".wav");
  for (int kit = 1; kit <= 4; ++kit)
    for (int d = 1; d <= 8; ++d) files.push_back("inst/d" + std::to_string(kit) + "-" + std::to_string(d) + ".wav");
  for (const char* family : {"lead1", "lead2", "lead3", "accompany1", "accompany2", "accompany3", "bass1", "bass2", "bass3", "bass4"})
    files.push_back(std::string("inst/") + family + ".wav");
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
    EXPECT_GE(s.length, seconds * s.hertz) << file;
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

TEST(Tunes, EveryCellHoldsAValueTheSequencerPlays) {
  const int kDrums[] = {13, 15, 17, 18, 20, 22, 24, 25};
  for (const char* name : {"tunes/Corvath/Tune_12.png", "tunes/Retro/Glimmerpit.png", "tunes/Retro/Tessaly.png"}) {
    const Image& img = image(name);
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
