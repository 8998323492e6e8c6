// The desktop icon: the player's ship and the enemy facing each other across a starry rounded
// tile, written as hicolor theme files (NxN/apps/vantorell.png) for 16 to 256 pixels, and the
// browser page's app icons (192 and 512 pixels, and a full-bleed one a launcher may crop).
// Called by main.cpp for `assetgen --icons DIR` (the packaging step) and `--web-icons DIR`.
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

// A night-blue square of `size` pixels with the scene (64 x 64) in its middle: the enemy upper
// right, the ship lower left and a bullet leaving its nose, among a few stars. With `rounded`
// it is the 64-pixel tile with rounded corners and a lit rim; without, the sky fills the whole
// square, which a launcher may cut to a circle or any other shape down to its middle 80 per
// cent, so the scene there is kept within that circle.
Canvas scene(int size, bool rounded) {
  using namespace pal;
  Canvas c(size, size);
  const float half = size / 2.0f, r = 10.0f;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      Rgba sky = mix(kNavy, kNight, y / (size - 1.0f));
      if (!rounded) {
        c.set(x, y, sky);
        continue;
      }
      // Distance outside the inner square whose corners are the rounding circles' centres.
      float dx = std::fmax(0.0f, std::fabs(x + 0.5f - half) - (half - r));
      float dy = std::fmax(0.0f, std::fabs(y + 0.5f - half) - (half - r));
      float d = std::sqrt(dx * dx + dy * dy);
      if (d > r) continue;
      c.set(x, y, d > r - 1.5f ? kBlue : sky);
    }
  Rng rng(hash_text("icon"));
  for (int i = 0; i < 14 * (size / 64) * (size / 64); ++i) {
    int x = 5 + rng.below(size - 10), y = 5 + rng.below(size - 10), v = 120 + rng.below(136);
    c.set(x, y, rgb(v, v, v));
  }
  const int o = (size - 64) / 2;
  c.paste(enemy_sprite(0), o + 29, o + 4);
  c.paste(bullet_sprite(), o + 27, o + 27);
  c.paste(ship_sprite(), o + 3, o + 27);
  return c;
}

bool write_in(const Canvas& c, const std::filesystem::path& folder, const std::string& name) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return write_png(c, (folder / name).string());
}

}  // namespace

bool write_icons(const std::string& dir) {
  const Canvas big = scene(64, true);
  bool ok = true;
  for (int size : {16, 32, 48, 64, 128, 256}) {
    Canvas c = size > 64 ? upscale(big, size / 64) : size < 64 ? shrink(big, size) : big;
    std::string s = std::to_string(size);
    ok &= write_in(c, std::filesystem::path(dir) / (s + "x" + s) / "apps", "vantorell.png");
  }
  return ok;
}

bool write_web_icons(const std::string& dir) {
  const Canvas big = upscale(scene(64, true), 4);
  // 512 is the 256 drawing doubled once more; 192 is shrunk from it.
  return write_in(shrink(big, 192), dir, "icon-192.png") &&
         write_in(scale2x(big), dir, "icon-512.png") &&
         write_in(upscale(scene(128, false), 4), dir, "icon-maskable.png");
}
