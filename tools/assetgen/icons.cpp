// The desktop icon: the player's ship and the enemy facing each other across a starry rounded
// tile, written as hicolor theme files (NxN/apps/vantorell.png) for 16 to 256 pixels.
// Called by main.cpp for `assetgen --icons DIR`, which the packaging build step runs.
#include <cmath>
#include <filesystem>

#include "tools/assetgen/families.h"
#include "tools/assetgen/palette.h"

namespace {

// Area average with premultiplied alpha, for the sizes below the 64-pixel master: pixel art
// cannot shrink by dropping pixels without losing the canopy or the eye.
Canvas shrink(const Canvas& s, int size) {
  Canvas d(size, size);
  const float k = static_cast<float>(s.w()) / static_cast<float>(size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float r = 0, g = 0, b = 0, a = 0, area = 0;
      for (int sy = static_cast<int>(y * k); sy < std::ceil((y + 1) * k); ++sy)
        for (int sx = static_cast<int>(x * k); sx < std::ceil((x + 1) * k); ++sx) {
          // The part of source pixel (sx, sy) inside destination pixel (x, y).
          float w = (std::fmin(sx + 1.0f, (x + 1) * k) - std::fmax(static_cast<float>(sx), x * k)) *
                    (std::fmin(sy + 1.0f, (y + 1) * k) - std::fmax(static_cast<float>(sy), y * k));
          Rgba p = s.get(sx, sy);
          float pa = w * p.a / 255.0f;
          r += p.r * pa, g += p.g * pa, b += p.b * pa, a += pa, area += w;
        }
      if (a > 0) d.set(x, y, rgb(std::lround(r / a), std::lround(g / a), std::lround(b / a),
                                 std::lround(255.0f * a / area)));
    }
  return d;
}

// 64 x 64: a night-blue tile with rounded corners and a lit rim, a few stars, the enemy
// upper right, the ship lower left and a bullet leaving its nose.
Canvas master() {
  using namespace pal;
  Canvas c(64, 64);
  const float r = 10.0f;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      // Distance outside the inner square whose corners are the rounding circles' centres.
      float dx = std::fmax(0.0f, std::fabs(x + 0.5f - 32.0f) - (32.0f - r));
      float dy = std::fmax(0.0f, std::fabs(y + 0.5f - 32.0f) - (32.0f - r));
      float d = std::sqrt(dx * dx + dy * dy);
      if (d > r) continue;
      c.set(x, y, d > r - 1.5f ? kBlue : mix(kNavy, kNight, y / 63.0f));
    }
  Rng rng(hash_text("icon"));
  for (int i = 0; i < 14; ++i) {
    int x = 5 + rng.below(54), y = 5 + rng.below(54), v = 120 + rng.below(136);
    c.set(x, y, rgb(v, v, v));
  }
  c.paste(enemy_sprite(0), 29, 4);
  c.paste(bullet_sprite(), 27, 27);
  c.paste(ship_sprite(), 3, 27);
  return c;
}

}  // namespace

bool write_icons(const std::string& dir) {
  const Canvas big = master();
  bool ok = true;
  for (int size : {16, 32, 48, 64, 128, 256}) {
    Canvas c = size > 64 ? upscale(big, size / 64) : size < 64 ? shrink(big, size) : big;
    std::string s = std::to_string(size);
    std::filesystem::path folder = std::filesystem::path(dir) / (s + "x" + s) / "apps";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    ok &= write_png(c, (folder / "vantorell.png").string());
  }
  return ok;
}
