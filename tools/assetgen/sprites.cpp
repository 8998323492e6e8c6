// Game-scale sprites: "gfx" (the player's ship, the bullet glow and core, the enemy's six
// animation frames) and "parts" (256 small bits shared by the starfield and hit debris).
// Written by write_sprites for the loader's image slots 1 and 96.
#include <cmath>

#include "tools/assetgen/families.h"
#include "tools/assetgen/palette.h"

void outline(Canvas& c, Rgba ink) {
  Canvas src = c;
  for (int y = 0; y < c.h(); ++y)
    for (int x = 0; x < c.w(); ++x) {
      if (src.get(x, y).a != 0) continue;
      if (src.get(x - 1, y).a > 128 || src.get(x + 1, y).a > 128 || src.get(x, y - 1).a > 128 ||
          src.get(x, y + 1).a > 128)
        c.set(x, y, ink);
    }
}

namespace {

void quad(Canvas& c, float ax, float ay, float bx, float by, float cx, float cy, float dx, float dy,
          Rgba col) {
  c.triangle(ax, ay, bx, by, cx, cy, col);
  c.triangle(ax, ay, cx, cy, dx, dy, col);
}

// The player's ship, nose to the right, centred on (16, 16) of a 32 x 32 cell: a dart-shaped
// hull with wings swept back, a cyan canopy and a live engine flame.
Canvas ship() {
  Canvas s(32, 32);
  using namespace pal;
  // Swept wings first, so the hull overlaps their roots.
  quad(s, 8, 13, 19, 13, 9, 4, 5, 4, kGunmetal);
  quad(s, 8, 19, 19, 19, 9, 28, 5, 28, kGunmetal);
  quad(s, 10, 12, 17, 12, 9, 6, 7, 6, kSteel);
  quad(s, 10, 20, 17, 20, 9, 26, 7, 26, kSteel);
  s.rect(6, 5, 3, 1, kMagenta);
  s.rect(6, 26, 3, 1, kMagenta);
  // Hull: light above the centre line, darker below, for a hint of roundness.
  quad(s, 4, 12, 20, 11, 31, 16, 4, 16, kSilver);
  quad(s, 4, 16, 31, 16, 20, 21, 4, 20, kSteel);
  s.rect(7, 13, 12, 1, kWhite);
  s.rect(7, 18, 14, 1, kGunmetal);
  // Engine block and the thrust flame leaving it.
  s.rect(3, 12, 4, 9, kGunmetal);
  s.rect(3, 14, 1, 5, kSteel);
  s.triangle(3, 13.0f, 3, 20.0f, -1, 16.5f, kOrange);
  s.triangle(3, 14.5f, 3, 18.5f, 0, 16.5f, kYellow);
  // Canopy with a highlight.
  s.disc(20.0f, 14.5f, 3.0f, kTeal);
  s.rect(19, 13, 3, 2, kCyan);
  s.set(19, 13, kIce);
  // Nose light.
  s.set(29, 16, kRed);
  outline(s, kInk);
  return s;
}

// Frame 1: a four-armed glow that shows its spin when the game rotates it.
Canvas bullet_glow() {
  Canvas s(32, 32);
  s.disc(16, 16, 7.0f, rgb(40, 160, 255, 70));
  s.disc(16, 16, 5.0f, rgb(60, 200, 255, 120));
  for (int i = 1; i <= 9; ++i) {
    int a = 200 - i * 18;
    s.set(16 + i, 16, rgb(120, 230, 255, a));
    s.set(15 - i, 16, rgb(120, 230, 255, a));
    s.set(16, 16 + i, rgb(120, 230, 255, a));
    s.set(16, 15 - i, rgb(120, 230, 255, a));
  }
  s.disc(16, 16, 3.2f, rgb(130, 235, 255, 200));
  return s;
}

// Frame 2: the white-hot core drawn unrotated over the glow.
Canvas bullet_core() {
  Canvas s(32, 32);
  s.disc(16, 16, 2.6f, pal::kIce);
  s.disc(16, 16, 1.5f, pal::kWhite);
  return s;
}

// The single enemy, facing left: a horned purple hull with one glaring eye and three
// tendrils of exhaust trailing right. `f` (0 to 5) moves the tendrils, the eye and the horns.
Canvas enemy(int f) {
  using namespace pal;
  Canvas s(32, 32);
  float ph = static_cast<float>(f) * 3.14159265f / 3.0f;
  // Tendrils behind the body.
  for (int t = 0; t < 3; ++t) {
    float base = 10.0f + t * 6.0f;
    for (int x = 21; x < 32; ++x) {
      float y = base + std::sin(ph + x * 0.55f + t * 2.1f) * 1.6f * (x - 19) / 10.0f;
      Rgba col = x > 27 ? kRed : kMagenta;
      s.set(x, static_cast<int>(std::lround(y)), col);
      if (x < 27) s.set(x, static_cast<int>(std::lround(y)) + 1, kPlum);
    }
  }
  // Horns, swinging slightly with the animation.
  float sw = std::sin(ph) * 1.2f;
  s.triangle(11, 8, 19, 8, 24 + sw, 1, kPurple);
  s.triangle(11, 24, 19, 24, 24 - sw, 31, kPurple);
  // Hull: dark shell with a lighter plate on top.
  s.disc(15, 16, 11.0f, kPlum);
  s.disc(15, 15, 9.5f, kPurple);
  s.disc(17, 12, 5.0f, rgb(170, 80, 230));
  s.set(18, 9, rgb(220, 160, 255));
  s.set(19, 10, rgb(220, 160, 255));
  // Jaw plates on the leading (left) side.
  s.triangle(2, 12, 10, 11, 8, 16, kMagenta);
  s.triangle(2, 20, 10, 21, 8, 16, kMagenta);
  // The eye: yellow ring, red iris that pulses, pupil looking left at the player.
  float pulse = 2.4f + 0.6f * std::sin(ph);
  s.disc(11, 16, 5.0f, kYellow);
  s.disc(11, 16, pulse + 0.7f, kRed);
  s.disc(10, 16, 1.5f, kInk);
  s.set(12, 14, kWhite);
  s.set(13, 14, kWhite);
  // Running lights along the back blink in turn.
  for (int i = 0; i < 3; ++i) s.set(17 + i * 3, 23, (f + i) % 3 == 0 ? kAmber : kPlum);
  outline(s, kInk);
  return s;
}

Canvas gfx_sheet() {
  Canvas sheet(256, 256);
  auto put = [&](int i, const Canvas& c) {
    int x, y;
    Canvas::frame_origin(sheet.w(), 32, 32, i, &x, &y);
    sheet.paste(c, x, y);
  };
  put(0, ship());
  put(1, bullet_glow());
  put(2, bullet_core());
  for (int f = 0; f < 6; ++f) put(8 + f, enemy(f));
  return sheet;
}

// One 8 x 8 bit: dots, crosses, sparkles, shards and specks in grey to white, so that the
// game's tint and alpha make both a varied starfield and convincing debris.
Canvas part(int i) {
  Canvas s(8, 8);
  Rng r(0x9a47u + static_cast<uint32_t>(i) * 7919u);
  int v = 160 + r.below(96);  // the game fades them with alpha, so none starts dim
  Rgba c = rgb(v, v, v), dim = rgb(v * 2 / 3, v * 2 / 3, v * 2 / 3);
  switch (i % 8) {
    case 0:  // single speck
      s.set(3 + r.below(2), 3 + r.below(2), c);
      break;
    case 1:  // 2 x 2 dot
      s.rect(3, 3, 2, 2, c);
      break;
    case 2:  // plus sparkle
      s.rect(3, 1, 2, 6, dim);
      s.rect(1, 3, 6, 2, dim);
      s.rect(3, 3, 2, 2, c);
      break;
    case 3:  // diagonal sparkle
      for (int k = 1; k < 7; ++k) { s.set(k, k, dim); s.set(7 - k, k, dim); }
      s.rect(3, 3, 2, 2, c);
      break;
    case 4:  // round blob
      s.disc(4, 4, 2.0f + r.unit(), c);
      break;
    case 5: {  // shard: a random thin triangle
      float a = r.unit() * 6.2831853f;
      s.triangle(4 + 3.5f * std::cos(a), 4 + 3.5f * std::sin(a), 4 + 2.5f * std::cos(a + 2.4f),
                 4 + 2.5f * std::sin(a + 2.4f), 4 + 2.0f * std::cos(a + 3.6f), 4 + 2.0f * std::sin(a + 3.6f), c);
      s.set(4, 4, c);
      break;
    }
    case 6: {  // splinter: a short line
      int x0 = r.below(3), y0 = 1 + r.below(6);
      s.line(x0, y0, 7 - r.below(3), 7 - y0, c);
      break;
    }
    default:  // hollow ring
      s.ring(4, 4, 1.6f, 3.0f, dim);
      s.set(4, 4, c);
      break;
  }
  return s;
}

}  // namespace

Canvas ship_sprite() { return ship(); }
Canvas enemy_sprite(int frame) { return enemy(frame); }
Canvas bullet_sprite() {
  Canvas b = bullet_glow();
  b.paste(bullet_core(), 0, 0);
  return b;
}

void write_sprites(Output& out) {
  out.image("gfx", gfx_sheet(), 32, 32);
  Canvas parts(128, 128);
  for (int i = 0; i < 256; ++i) parts.paste(part(i), (i % 16) * 8, (i / 16) * 8);
  out.image("parts", parts, 8, 8);
}
