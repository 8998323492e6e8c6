// Shared helpers of the asset tests: the build's data folder (written by the vantorell_data
// target, which the test executable depends on), fresh generator runs for the determinism
// test, and decoding through the host's own image and sound loaders, the same paths the game
// uses. Included by every tests/assets/*_test.cpp.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/media.h"

namespace assets {

// Runs assetgen into `dir` (created fresh); true when it exits with 0.
inline bool run_generator(const std::string& dir) {
  std::string cmd = "rm -rf '" + dir + "' && '" VG_ASSETGEN "' '" + dir + "' > /dev/null";
  return std::system(cmd.c_str()) == 0;
}

inline std::string temp_dir(const char* tag) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/vg_assets_" + tag + "_XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  char* made = mkdtemp(buf.data());
  return made ? std::string(made) : std::string();
}

// The data folder the game runs with. Each test runs in its own process under ctest, so the
// tests read the built folder rather than generating their own.
inline const std::string& data_dir() {
  static const std::string dir = [] {
    FILE* probe = std::fopen(VG_BUILD_DATA "/gfx.png", "rb");
    if (!probe) return std::string();
    std::fclose(probe);
    return std::string(VG_BUILD_DATA);
  }();
  return dir;
}

struct Image {
  int w = 0, h = 0, depth = 0;
  std::vector<unsigned char> px;  // RGBA
  bool ok() const { return w > 0; }
  const unsigned char* at(int x, int y) const { return &px[(static_cast<size_t>(y) * w + x) * 4]; }
};

inline Image load_image(const std::string& rel) {
  Image img;
  FILE* f = std::fopen((data_dir() + "/" + rel).c_str(), "rb");
  if (!f) return img;
  int w = 0, h = 0, d = 0;
  unsigned char* data = vgLoadImageFile(f, &w, &h, &d);
  std::fclose(f);
  if (!data) return img;
  if (d == 4) {  // the generator writes RGBA; anything else counts as undecodable here
    img.w = w;
    img.h = h;
    img.depth = d;
    img.px.assign(data, data + static_cast<size_t>(w) * h * 4);
  }
  std::free(data);
  return img;
}

struct Sound {
  int length = 0, channels = 0, format = 0, hertz = 0;
  std::vector<int16_t> samples;
  bool ok() const { return length > 0; }
  double seconds() const { return hertz ? static_cast<double>(length) / hertz : 0; }
};

inline Sound load_sound(const std::string& rel) {
  Sound s;
  FILE* f = std::fopen((data_dir() + "/" + rel).c_str(), "rb");
  if (!f) return s;
  bool ogg = rel.size() > 4 && rel.compare(rel.size() - 4, 4, ".ogg") == 0;
  unsigned char* data = ogg ? vgLoadOGG(f, &s.length, &s.channels, &s.format, &s.hertz)
                            : vgLoadWAV(f, &s.length, &s.channels, &s.format, &s.hertz);
  std::fclose(f);
  if (!data) return Sound{};
  if (s.format == 2) {
    size_t n = static_cast<size_t>(s.length) * s.channels;
    s.samples.resize(n);
    std::memcpy(s.samples.data(), data, n * 2);
  }
  std::free(data);
  return s;
}

// The frame layout of the graphics module's LoadImage2: frames of fw x fh in rows across the
// surface. False where it would stop with "Image frame outside surface".
inline bool frames_fit(int surface_w, int surface_h, int fw, int fh, int count) {
  int x = 0, y = 0;
  for (int i = 0; i < count; ++i) {
    if (x + fw > surface_w) {
      y += fh;
      if (fw > surface_w) return false;
      x = 0;
    }
    if (y + fh > surface_h) return false;
    x += fw;
  }
  return true;
}

// Origin of frame i in that layout.
inline void frame_origin(int surface_w, int fw, int fh, int i, int* x, int* y) {
  int per_row = surface_w / fw;
  *x = (i % per_row) * fw;
  *y = (i / per_row) * fh;
}

// Counts the pixels of a frame with any alpha.
inline int ink(const Image& img, int x0, int y0, int fw, int fh) {
  int n = 0;
  for (int y = y0; y < y0 + fh; ++y)
    for (int x = x0; x < x0 + fw; ++x) n += img.at(x, y)[3] != 0;
  return n;
}

}  // namespace assets
