// Pixel canvas of the asset generator: an RGBA image with the few drawing operations the
// image families need, text-art sprites, crisp 2x/4x upscaling and PNG output.
// Every image family draws into a Canvas; output.cpp writes them in their three sizes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 0;
  bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
  bool operator!=(const Rgba& o) const { return !(*this == o); }
};

inline Rgba rgb(int r, int g, int b, int a = 255) {
  auto c = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
  return Rgba{c(r), c(g), c(b), c(a)};
}
Rgba mix(Rgba a, Rgba b, float t);   // straight lerp of all four channels
Rgba shade(Rgba c, float f);         // colour times f, alpha kept

// Deterministic generator shared by every family so that two runs give the same bytes.
struct Rng {
  uint32_t s;
  explicit Rng(uint32_t seed) : s(seed ? seed : 0x9e3779b9u) {}
  uint32_t next() { s ^= s << 13; s ^= s >> 17; s ^= s << 5; return s; }
  float unit() { return static_cast<float>(next() >> 8) / 16777216.0f; }       // [0, 1)
  float range(float lo, float hi) { return lo + (hi - lo) * unit(); }
  int below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<uint32_t>(n)); }
};
uint32_t hash_text(const char* s);  // FNV-1a, for seeds taken from names

class Canvas {
 public:
  Canvas() = default;
  Canvas(int w, int h) : w_(w), h_(h), px_(static_cast<size_t>(w) * h) {}
  int w() const { return w_; }
  int h() const { return h_; }
  const std::vector<Rgba>& pixels() const { return px_; }

  Rgba get(int x, int y) const {
    return inside(x, y) ? px_[static_cast<size_t>(y) * w_ + x] : Rgba{};
  }
  void set(int x, int y, Rgba c) {
    if (inside(x, y)) px_[static_cast<size_t>(y) * w_ + x] = c;
  }
  void blend(int x, int y, Rgba c);  // source-over
  void fill(Rgba c);
  void rect(int x, int y, int w, int h, Rgba c);
  void disc(float cx, float cy, float r, Rgba c);  // pixel centres inside the circle
  void ring(float cx, float cy, float r0, float r1, Rgba c);
  void line(int x0, int y0, int x1, int y1, Rgba c);
  void triangle(float x0, float y0, float x1, float y1, float x2, float y2, Rgba c);
  // Copies `src` with its top-left at (x, y), blending over what is there.
  void paste(const Canvas& src, int x, int y);
  // One cell of a sheet of equal frames laid in rows: the offset of frame i.
  static void frame_origin(int sheet_w, int fw, int fh, int i, int* x, int* y);

 private:
  bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
  int w_ = 0, h_ = 0;
  std::vector<Rgba> px_;
};

// Text art: each row a string, '.' or ' ' transparent, other characters looked up in `keys`
// (a string of key characters) to the colour at the same index of `colours`.
void stamp(Canvas& c, int x, int y, const char* const* rows, int nrows, const char* keys,
           const Rgba* colours);

// Pixel-art upscaling that keeps edges hard and rounds diagonal steps (EPX rule); 4x is two
// passes. Never blends colours, so tinted sprites stay flat.
Canvas scale2x(const Canvas& src);
Canvas upscale(const Canvas& src, int factor);  // 1, 2 or 4

// Writes an 8-bit RGBA PNG; the parent folders must exist. Returns false on failure.
bool write_png(const Canvas& c, const std::string& path);
