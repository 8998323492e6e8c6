// Title and presentation art: "logo" (the game's name), "menu" (the title backdrop),
// "common/ZOLTLogo" (the studio mark of the loading screen and credits icon) and
// "common/Testcard_Circle" (the round test card behind the credits box).
// Written by write_titles for image slots 98, 99, 93 and 91.
#include <algorithm>
#include <cmath>

#include "tools/assetgen/families.h"
#include "tools/assetgen/font.h"
#include "tools/assetgen/palette.h"

namespace {

// The title lettering: the game font drawn small, rounded by the same 4x pixel-art upscale
// as the hd files (so diagonals such as the V's stay diagonal), then stretched to 5/4 of its
// height for a taller marquee look. Top-left at (x, y).
void big_text(Canvas& c, int x, int y, const char* text) {
  Canvas small(text_width(text, 1) + 2, 10);
  draw_text(small, 1, 0, text, pal::kWhite, 1);
  Canvas big = upscale(small, 4);
  int h = big.h() * 5 / 4;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < big.w(); ++i)
      if (big.get(i, j * 4 / 5).a) c.set(x + i - 4, y + j, pal::kWhite);
}

// Recolours every opaque pixel of `mask` by its row: a chrome ramp from ice white through
// cyan to deep blue, with a bright horizon line, the look of an arcade marquee.
void chrome(Canvas& c, const Canvas& mask, int top, int height) {
  for (int y = 0; y < c.h(); ++y)
    for (int x = 0; x < c.w(); ++x) {
      if (mask.get(x, y).a == 0) continue;
      float t = static_cast<float>(y - top) / static_cast<float>(height);
      Rgba col;
      if (t < 0.45f) col = mix(pal::kWhite, pal::kCyan, t / 0.45f);
      else if (t < 0.52f) col = pal::kWhite;
      else col = mix(pal::kTeal, pal::kPurple, (t - 0.52f) / 0.48f);
      c.set(x, y, col);
    }
}

Canvas logo() {
  Canvas c(256, 128);
  const char* title = "VANTORELL";
  int w = text_width(title, 4), x = (256 - w) / 2, top = 34;
  Canvas mask(256, 128);
  big_text(mask, x, top - 5, title);  // capitals start on the font's second row
  // Magenta drop shadow, then a dark rim, then the chrome letters.
  for (int y = 0; y < 128; ++y)
    for (int xx = 0; xx < 256; ++xx)
      if (mask.get(xx - 3, y - 3).a) c.set(xx, y, pal::kMagenta);
  Canvas letters(256, 128);
  chrome(letters, mask, top, 35);
  outline(letters, pal::kInk);
  outline(letters, pal::kInk);
  c.paste(letters, 0, 0);
  // Speed lines to the left and right of the subtitle.
  const char* sub = "ONE ENEMY LEFT";
  int sw = text_width(sub, 2), sx = (256 - sw) / 2, sy = 82;
  Canvas subc(256, 128);
  draw_text(subc, sx, sy, sub, pal::kAmber, 2);
  for (int i = 0; i < 3; ++i) {
    subc.rect(sx - 40 + i * 6, sy + 6 + i * 3, 30 - i * 6, 2, pal::kOrange);
    subc.rect(sx + sw + 10, sy + 6 + i * 3, 30 - i * 6, 2, pal::kOrange);
  }
  outline(subc, pal::kInk);
  c.paste(subc, 0, 0);
  return c;
}

// The title backdrop, drawn at three times its size behind the menu: a night sky over a
// ringed planet and a glowing grid horizon.
Canvas menu_frame() {
  using namespace pal;
  Canvas c(256, 256);
  for (int y = 0; y < 256; ++y) {
    float t = y / 255.0f;
    // Colour bands rather than a smooth ramp keep the pixel-art look at three times scale.
    float q = std::floor(t * 12.0f) / 12.0f;
    Rgba col = q < 0.5f ? mix(rgb(6, 6, 30), kNavy, q * 2) : mix(kNavy, rgb(90, 24, 110), (q - 0.5f) * 2);
    c.rect(0, y, 256, 1, col);
  }
  Rng r(0x7e11u);
  for (int i = 0; i < 140; ++i) {
    int x = r.below(256), y = r.below(170), v = 120 + r.below(136);
    c.set(x, y, rgb(v, v, std::min(255, v + 30)));
    if (r.below(9) == 0) {
      c.set(x - 1, y, rgb(v / 2, v / 2, v / 2 + 40));
      c.set(x + 1, y, rgb(v / 2, v / 2, v / 2 + 40));
      c.set(x, y - 1, rgb(v / 2, v / 2, v / 2 + 40));
      c.set(x, y + 1, rgb(v / 2, v / 2, v / 2 + 40));
    }
  }
  // Planet with a banded surface, lit from the upper left, and a tilted ring.
  float px = 180, py = 112, pr = 38;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float dx = x + 0.5f - px, dy = y + 0.5f - py;
      if (dx * dx + dy * dy > pr * pr) continue;
      float light = -(dx + dy) / (pr * 1.4142f);
      int band = static_cast<int>((dy + pr) / 7.0f) % 3;
      Rgba base = band == 0 ? rgb(230, 110, 70) : band == 1 ? rgb(200, 70, 90) : rgb(240, 150, 80);
      float f = light > 0.4f ? 1.15f : light > -0.2f ? 0.9f : light > -0.6f ? 0.65f : 0.45f;
      c.set(x, y, shade(base, f));
    }
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float dx = x + 0.5f - px, dy = y + 0.5f - py;
      float u = dx * 0.94f + dy * 0.34f, v = (-dx * 0.34f + dy * 0.94f) * 4.2f;
      float d = std::sqrt(u * u + v * v);
      bool behind = v < 0 && dx * dx + dy * dy < pr * pr;
      if (d > 52 && d < 64 && !behind) c.set(x, y, d < 56 ? kAmber : d < 60 ? rgb(200, 130, 60) : kYellow);
    }
  // Grid floor: horizontal lines closer together towards the horizon, rays from its centre.
  int horizon = 176;
  c.rect(0, horizon, 256, 80, rgb(30, 8, 50));
  for (int k = 0; k < 9; ++k) {
    int y = horizon + static_cast<int>(std::lround(k * k * 1.05f));
    if (y < 256) c.rect(0, y, 256, 1, k == 0 ? kMagenta : rgb(190, 50, 170));
  }
  for (int k = -12; k <= 12; ++k)
    c.line(128 + k * 4, horizon, 128 + k * 34, 255, rgb(190, 50, 170));
  c.rect(0, horizon - 1, 256, 1, rgb(255, 140, 220));
  return c;
}

Canvas menu() {
  Canvas sheet(512, 512);
  sheet.paste(menu_frame(), 0, 0);
  return sheet;
}

// The studio mark: a navy shield with a lightning "Z" and the name under it. It is drawn on
// the loading screen's yellow disc, so it carries a dark rim.
Canvas studio_logo() {
  using namespace pal;
  // The mark keeps to the upper three quarters of its frame: the title menu shows it in the top
  // corner, where the score panel's heading starts a little below the frame's middle.
  Canvas c(256, 256);
  Canvas shield(256, 256);
  const float cy = 74, k = 0.78f;  // the shield's centre row, and its size against a 64 radius
  shield.disc(128, cy, 64 * k, kNavy);
  shield.ring(128, cy, 56 * k, 60 * k, kCyan);
  // The bolt, drawn as two slanted bars joined by a diagonal; corners around the centre.
  auto bolt = [&](float x0, float y0, float x1, float y1, float x2, float y2, Rgba col) {
    shield.triangle(128 + k * x0, cy + k * y0, 128 + k * x1, cy + k * y1, 128 + k * x2,
                    cy + k * y2, col);
  };
  bolt(-36, -38, 36, -38, 22, -24, kAmber);
  bolt(-36, -38, 22, -24, -22, -24, kAmber);
  bolt(22, -24, -22, 24, -4, 24, kYellow);
  bolt(22, -24, -4, 24, 40, -24, kYellow);
  bolt(-36, 24, 36, 24, 22, 38, kAmber);
  bolt(-36, 24, 22, 38, -22, 38, kAmber);
  outline(shield, kInk);
  outline(shield, kInk);
  c.paste(shield, 0, 0);
  Canvas name(256, 256);
  int w = text_width("ZOLT", 4);
  draw_text(name, 128 - w / 2, 128, "ZOLT", kWhite, 4);
  int w2 = text_width("GAMES", 2);
  draw_text(name, 128 - w2 / 2, 166, "GAMES", kCyan, 2);
  outline(name, kInk);
  outline(name, kInk);
  c.paste(name, 0, 0);
  return c;
}

// A round test card: colour bars above a dark middle band (where the credit lines scroll),
// a grey step wedge below, a grid and a centre cross, framed by a tick ring.
Canvas testcard() {
  using namespace pal;
  Canvas c(256, 256);
  const float cx = 128, cy = 128, R = 124;
  const Rgba bars[8] = {rgb(235, 235, 235), rgb(235, 235, 40), rgb(40, 235, 235), rgb(40, 235, 40),
                        rgb(235, 40, 235), rgb(235, 40, 40), rgb(40, 40, 235), rgb(20, 20, 20)};
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
      float d = std::sqrt(dx * dx + dy * dy);
      if (d > R) continue;
      Rgba col = (x / 16 + y / 16) % 2 ? rgb(120, 124, 136) : rgb(104, 108, 120);
      if (x % 32 == 0 || y % 32 == 0) col = rgb(220, 220, 228);
      if (y >= 32 && y < 64 && x >= 32 && x < 224) col = bars[(x - 32) / 24];
      if (y >= 192 && y < 218 && x >= 40 && x < 216) {
        int v = 20 + (x - 40) / 22 * 33;
        col = rgb(v, v, v);
      }
      if (d > R - 10) col = (static_cast<int>(std::atan2(dy, dx) * 24 / 3.14159265f + 48) % 2) ? kWhite : kInk;
      else if (d > R - 12) col = kInk;
      c.set(x, y, col);
    }
  // The middle band, kept inside the tick ring, is dark so white credit lines read on it.
  for (int y = 70; y < 186; ++y)
    for (int x = 20; x < 236; ++x) {
      float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
      if (dx * dx + dy * dy > (R - 12) * (R - 12)) continue;
      bool edge = y == 70 || y == 185;
      bool rim = y < 72 || y > 183 || x < 22 || x > 233;
      c.set(x, y, edge ? kCyan : rim ? rgb(12, 14, 40) : rgb(20, 24, 64));
    }
  c.rect(127, 4, 2, 28, kInk);
  c.rect(127, 224, 2, 28, kInk);
  c.rect(4, 127, 16, 2, kInk);
  c.rect(236, 127, 16, 2, kInk);
  return c;
}

}  // namespace

void write_titles(Output& out) {
  out.image("logo", logo(), 256, 128);
  out.image("menu", menu(), 256, 256);
  out.image("common/ZOLTLogo", studio_logo(), 256, 256);
  out.image("common/Testcard_Circle", testcard(), 256, 256);
}
