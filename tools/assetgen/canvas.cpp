// Drawing primitives, upscaling and PNG output behind canvas.h, used by every image family
// of the asset generator.
#include "tools/assetgen/canvas.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstring>

Rgba mix(Rgba a, Rgba b, float t) {
  auto l = [t](uint8_t x, uint8_t y) {
    return static_cast<int>(std::lround(x + (static_cast<float>(y) - x) * t));
  };
  return rgb(l(a.r, b.r), l(a.g, b.g), l(a.b, b.b), l(a.a, b.a));
}

Rgba shade(Rgba c, float f) {
  return rgb(static_cast<int>(c.r * f), static_cast<int>(c.g * f), static_cast<int>(c.b * f), c.a);
}

uint32_t hash_text(const char* s) {
  uint32_t h = 2166136261u;
  for (; *s; ++s) h = (h ^ static_cast<uint8_t>(*s)) * 16777619u;
  return h;
}

void Canvas::blend(int x, int y, Rgba c) {
  if (!inside(x, y) || c.a == 0) return;
  Rgba& d = px_[static_cast<size_t>(y) * w_ + x];
  if (c.a == 255 || d.a == 0) { d = c; return; }
  // Source-over with straight alpha, in integers so every run rounds the same way.
  int sa = c.a, da = d.a * (255 - sa) / 255, oa = sa + da;
  auto ch = [&](int s, int t) { return (s * sa + t * da + oa / 2) / oa; };
  d = rgb(ch(c.r, d.r), ch(c.g, d.g), ch(c.b, d.b), oa);
}

void Canvas::fill(Rgba c) { std::fill(px_.begin(), px_.end(), c); }

void Canvas::rect(int x, int y, int w, int h, Rgba c) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) blend(i, j, c);
}

void Canvas::disc(float cx, float cy, float r, Rgba c) { ring(cx, cy, -1.0f, r, c); }

void Canvas::ring(float cx, float cy, float r0, float r1, Rgba c) {
  int x0 = static_cast<int>(std::floor(cx - r1)), x1 = static_cast<int>(std::ceil(cx + r1));
  int y0 = static_cast<int>(std::floor(cy - r1)), y1 = static_cast<int>(std::ceil(cy + r1));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      float dx = x + 0.5f - cx, dy = y + 0.5f - cy, d2 = dx * dx + dy * dy;
      if (d2 <= r1 * r1 && (r0 < 0 || d2 >= r0 * r0)) blend(x, y, c);
    }
}

void Canvas::line(int x0, int y0, int x1, int y1, Rgba c) {
  int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
  for (;;) {
    blend(x0, y0, c);
    if (x0 == x1 && y0 == y1) break;
    int e2 = 2 * err;
    if (e2 >= dy) { err += dy; x0 += sx; }
    if (e2 <= dx) { err += dx; y0 += sy; }
  }
}

void Canvas::triangle(float x0, float y0, float x1, float y1, float x2, float y2, Rgba c) {
  int minx = static_cast<int>(std::floor(std::min({x0, x1, x2})));
  int maxx = static_cast<int>(std::ceil(std::max({x0, x1, x2})));
  int miny = static_cast<int>(std::floor(std::min({y0, y1, y2})));
  int maxy = static_cast<int>(std::ceil(std::max({y0, y1, y2})));
  auto edge = [](float ax, float ay, float bx, float by, float px, float py) {
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
  };
  float area = edge(x0, y0, x1, y1, x2, y2);
  if (area == 0) return;
  for (int y = miny; y <= maxy; ++y)
    for (int x = minx; x <= maxx; ++x) {
      float px = x + 0.5f, py = y + 0.5f;
      float a = edge(x1, y1, x2, y2, px, py) / area, b = edge(x2, y2, x0, y0, px, py) / area;
      float g = edge(x0, y0, x1, y1, px, py) / area;
      if (a >= 0 && b >= 0 && g >= 0) blend(x, y, c);
    }
}

void Canvas::paste(const Canvas& src, int x, int y) {
  for (int j = 0; j < src.h(); ++j)
    for (int i = 0; i < src.w(); ++i) blend(x + i, y + j, src.get(i, j));
}

void Canvas::frame_origin(int sheet_w, int fw, int fh, int i, int* x, int* y) {
  int per_row = sheet_w / fw;
  *x = (i % per_row) * fw;
  *y = (i / per_row) * fh;
}

void stamp(Canvas& c, int x, int y, const char* const* rows, int nrows, const char* keys,
           const Rgba* colours) {
  for (int j = 0; j < nrows; ++j)
    for (int i = 0; rows[j][i]; ++i) {
      const char* k = std::strchr(keys, rows[j][i]);
      if (rows[j][i] != '.' && rows[j][i] != ' ' && k) c.blend(x + i, y + j, colours[k - keys]);
    }
}

Canvas scale2x(const Canvas& s) {
  Canvas d(s.w() * 2, s.h() * 2);
  for (int y = 0; y < s.h(); ++y)
    for (int x = 0; x < s.w(); ++x) {
      // Neighbours outside the image count as the centre pixel, so borders stay square.
      Rgba p = s.get(x, y);
      Rgba a = y > 0 ? s.get(x, y - 1) : p, b = x + 1 < s.w() ? s.get(x + 1, y) : p;
      Rgba c = x > 0 ? s.get(x - 1, y) : p, e = y + 1 < s.h() ? s.get(x, y + 1) : p;
      Rgba o1 = p, o2 = p, o3 = p, o4 = p;
      if (c == a && c != e && a != b) o1 = a;
      if (a == b && a != c && b != e) o2 = b;
      if (e == c && e != b && c != a) o3 = c;
      if (b == e && b != a && e != c) o4 = e;
      d.set(2 * x, 2 * y, o1);
      d.set(2 * x + 1, 2 * y, o2);
      d.set(2 * x, 2 * y + 1, o3);
      d.set(2 * x + 1, 2 * y + 1, o4);
    }
  return d;
}

Canvas upscale(const Canvas& src, int factor) {
  if (factor <= 1) return src;
  Canvas out = scale2x(src);
  return factor >= 4 ? scale2x(out) : out;
}

bool write_png(const Canvas& c, const std::string& path) {
  // The large sheets are mostly empty; a lighter setting than stb's default 8 keeps the build
  // step fast and costs only a few per cent in file size.
  stbi_write_png_compression_level = 5;
  return stbi_write_png(path.c_str(), c.w(), c.h(), 4, c.pixels().data(), c.w() * 4) != 0;
}
