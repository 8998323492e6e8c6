// Shared by the asset tests: the build's data folder (written by the vantorell_data target,
// which the test program depends on), decoded once per process through the host's own image
// and sound loaders (the game's paths) and kept in a cache, and frame geometry helpers.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/media.h"

namespace assets {

const std::string kData = VG_BUILD_DATA;

struct Image {
  int w = 0, h = 0;
  std::vector<unsigned char> px;  // RGBA
  const unsigned char* at(int x, int y) const { return &px[(static_cast<size_t>(y) * w + x) * 4]; }
};

struct Sound {
  int length = 0, channels = 0, format = 0, hertz = 0;
  std::vector<int16_t> samples;
  double seconds() const { return hertz ? static_cast<double>(length) / hertz : 0; }
};

// The decoded file under data/; a missing or undecodable file fails the test and gives an
// empty result (an image that is not RGBA counts as undecodable: the generator writes RGBA).
inline const Image& image(const std::string& rel) {
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

inline const Sound& sound(const std::string& rel) {
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

// Every sound file the game and the sequencer load.
inline std::vector<std::string> wav_files() {
  std::vector<std::string> out;
  for (int n : {1, 2, 3, 4, 5, 6, 7, 95, 96, 98, 99}) out.push_back((n < 10 ? "sfx/00" : "sfx/0") + std::to_string(n) + ".wav");
  for (int kit = 1; kit <= 4; ++kit)
    for (int d = 1; d <= 8; ++d) out.push_back("inst/d" + std::to_string(kit) + "-" + std::to_string(d) + ".wav");
  for (const char* family : {"lead1", "lead2", "lead3", "accompany1", "accompany2", "accompany3", "bass1", "bass2", "bass3", "bass4"})
    out.push_back(std::string("inst/") + family + ".wav");
  return out;
}

// Frame i of fw x fh in rows across the surface, as the graphics module lays them out.
inline void frame_origin(int surface_w, int fw, int fh, int i, int* x, int* y) {
  *x = (i % (surface_w / fw)) * fw;
  *y = (i / (surface_w / fw)) * fh;
}

// Pixels with any alpha in a rectangle.
inline int ink(const Image& img, int x0, int y0, int fw, int fh) {
  int n = 0;
  for (int y = y0; y < y0 + fh; ++y)
    for (int x = x0; x < x0 + fw; ++x) n += img.at(x, y)[3] != 0;
  return n;
}

inline std::vector<unsigned char> frame_bytes(const Image& img, int x0, int y0, int fw, int fh) {
  std::vector<unsigned char> out;
  for (int y = y0; y < y0 + fh; ++y) out.insert(out.end(), img.at(x0, y), img.at(x0 + fw - 1, y) + 4);
  return out;
}

}  // namespace assets
