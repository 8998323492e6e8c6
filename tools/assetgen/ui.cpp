// Interface art: "common/icons" (pause, quit, play, selection ring, calibration target),
// "common/Buttons" (the play item, three gear layers, a dial face) and "common/dpad" (the
// on-screen pad). Icons and pad are white and grey so the game's tint shows; the buttons
// carry their own colours. Written by write_ui for image slots 97, 95 and 94.
#include <cmath>

#include "tools/assetgen/families.h"
#include "tools/assetgen/font.h"
#include "tools/assetgen/palette.h"

namespace {

const Rgba kW = rgb(255, 255, 255);
const Rgba kG = rgb(180, 180, 180);
const Rgba kShadow = rgb(0, 0, 0, 150);

void put(Canvas& sheet, int fw, int fh, int i, const Canvas& c) {
  int x, y;
  Canvas::frame_origin(sheet.w(), fw, fh, i, &x, &y);
  sheet.paste(c, x, y);
}

// Tinted icons keep a soft dark rim so that they stay visible on light tints and backdrops.
Canvas finish_icon(Canvas c) {
  outline(c, kShadow);
  return c;
}

Canvas icon_pause() {
  Canvas c(32, 32);
  c.rect(9, 8, 5, 16, kW);
  c.rect(18, 8, 5, 16, kW);
  c.rect(12, 8, 2, 16, kG);
  c.rect(21, 8, 2, 16, kG);
  return finish_icon(c);
}

Canvas icon_quit() {
  Canvas c(32, 32);
  for (int i = 0; i < 17; ++i)
    for (int t = -2; t <= 2; ++t) {
      c.set(8 + i + t, 8 + i, t == 2 ? kG : kW);
      c.set(24 - i + t, 8 + i, t == 2 ? kG : kW);
    }
  return finish_icon(c);
}

Canvas icon_play() {
  Canvas c(32, 32);
  c.triangle(10, 6, 10, 26, 26, 16, kW);
  c.triangle(10, 19, 10, 26, 26, 16, kG);
  return finish_icon(c);
}

Canvas icon_back() {
  Canvas c(32, 32);
  c.triangle(5, 16, 15, 7, 15, 25, kW);
  c.rect(14, 13, 13, 6, kW);
  return finish_icon(c);
}

Canvas icon_sound() {
  Canvas c(32, 32);
  // Two sound waves right of the speaker: rings kept to the right half.
  Canvas waves(32, 32);
  waves.ring(14, 16, 6.5f, 8.5f, kG);
  waves.ring(14, 16, 11.0f, 13.0f, kG);
  for (int y = 0; y < 32; ++y)
    for (int x = 18; x < 32; ++x)
      if (std::abs(y - 16) < x - 12) c.set(x, y, waves.get(x, y));
  c.rect(5, 12, 5, 8, kW);
  c.triangle(9, 12, 16, 5, 16, 27, kW);
  c.triangle(9, 12, 16, 27, 9, 20, kW);
  return finish_icon(c);
}

Canvas icon_star() {
  Canvas c(32, 32);
  for (int k = 0; k < 5; ++k) {
    float a = -1.5707963f + k * 1.2566371f, b = a + 0.6283185f, d = a - 0.6283185f;
    c.triangle(16 + 13 * std::cos(a), 17 + 13 * std::sin(a), 16 + 5 * std::cos(b), 17 + 5 * std::sin(b),
               16 + 5 * std::cos(d), 17 + 5 * std::sin(d), kW);
  }
  c.disc(16, 17, 5.5f, kW);
  return finish_icon(c);
}

// Drawn at 2.5 times around an icon drawn at 2 times, so its ring sits just outside the
// icon's 32-pixel box.
Canvas icon_ring() {
  Canvas c(32, 32);
  c.ring(16, 16, 13.0f, 15.0f, kW);
  for (int k = 0; k < 4; ++k) {
    int x = k % 2 ? 29 : 0, y = k / 2 ? 29 : 0;
    c.rect(x, y, 3, 3, kG);
  }
  return c;
}

Canvas icon_target() {
  Canvas c(32, 32);
  c.ring(16, 16, 12.0f, 14.0f, kW);
  c.ring(16, 16, 6.0f, 7.5f, kG);
  c.rect(15, 1, 2, 30, kW);
  c.rect(1, 15, 30, 2, kW);
  c.disc(16, 16, 2.0f, kW);
  return finish_icon(c);
}

Canvas icons() {
  Canvas sheet(128, 128);
  put(sheet, 32, 32, 0, icon_pause());
  put(sheet, 32, 32, 1, icon_quit());
  put(sheet, 32, 32, 2, icon_back());
  put(sheet, 32, 32, 3, icon_play());
  put(sheet, 32, 32, 4, icon_sound());
  put(sheet, 32, 32, 5, icon_star());
  put(sheet, 32, 32, 6, icon_ring());
  put(sheet, 32, 32, 7, icon_target());
  return sheet;
}

// The play item of the title carousel: a green launch button with its word on it.
Canvas button_play() {
  using namespace pal;
  Canvas c(64, 64);
  c.disc(32, 33, 29.0f, rgb(0, 0, 0, 120));
  c.disc(32, 32, 28.0f, kForest);
  c.disc(32, 31, 25.0f, kGreen);
  c.disc(32, 28, 20.0f, rgb(130, 250, 170));
  c.disc(32, 31, 19.0f, kGreen);
  c.triangle(25, 12, 25, 38, 45, 25, kForest);
  c.triangle(24, 11, 24, 36, 43, 23.5f, kWhite);
  int w = text_width("PLAY", 1);
  draw_text(c, 32 - w / 2 + 1, 40, "PLAY", kForest, 1);
  draw_text(c, 32 - w / 2, 39, "PLAY", kWhite, 1);
  outline(c, kInk);
  return c;
}

// One gear: `teeth` teeth between radii r_root and r_tip around a hole of radius r_hole.
Canvas gear(float r_hole, float r_root, float r_tip, int teeth, Rgba body, Rgba light, Rgba dark) {
  Canvas c(64, 64);
  const float tau = 6.2831853f;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      float dx = x + 0.5f - 32, dy = y + 0.5f - 32, d = std::sqrt(dx * dx + dy * dy);
      float a = std::atan2(dy, dx);
      float tooth = std::fmod((a / tau + 1.0f) * teeth, 1.0f);
      float outer = tooth < 0.5f ? r_tip : r_root;
      if (d < r_hole || d > outer) continue;
      // Light from the top left: the bevel near each edge is lighter or darker by side.
      Rgba col = body;
      if (d > outer - 1.5f || d < r_hole + 1.5f) col = (dx + dy < 0) == (d > r_hole + 1.5f) ? light : dark;
      c.set(x, y, col);
    }
  outline(c, pal::kInk);
  return c;
}

Canvas dial() {
  using namespace pal;
  Canvas c(64, 64);
  c.disc(32, 32, 22.0f, kNight);
  c.ring(32, 32, 20.0f, 22.0f, kSilver);
  for (int k = 0; k < 12; ++k) {
    float a = k * 0.5235988f;
    int len = k % 3 == 0 ? 5 : 3;
    for (int t = 0; t < len; ++t)
      c.set(32 + static_cast<int>(std::lround((18 - t) * std::cos(a))),
            32 + static_cast<int>(std::lround((18 - t) * std::sin(a))), k % 3 == 0 ? kAmber : kSilver);
  }
  c.line(32, 32, 42, 22, kRed);
  c.line(33, 32, 43, 22, kRed);
  c.disc(32, 32, 2.5f, kSilver);
  outline(c, kInk);
  return c;
}

Canvas buttons() {
  using namespace pal;
  Canvas sheet(256, 256);
  put(sheet, 64, 64, 0, button_play());
  // Nested gears: each sits in the hole of the next larger one, so drawn together and turned
  // against each other they look like a gearbox.
  put(sheet, 64, 64, 8, gear(19.0f, 26.0f, 30.0f, 14, kSteel, kSilver, kGunmetal));
  put(sheet, 64, 64, 9, gear(10.0f, 15.0f, 18.5f, 10, rgb(205, 130, 60), rgb(245, 185, 110), rgb(130, 70, 30)));
  Canvas small = gear(3.0f, 7.0f, 9.5f, 7, kAmber, kYellow, rgb(170, 110, 20));
  small.disc(32, 32, 3.0f, kCyan);
  put(sheet, 64, 64, 10, small);
  put(sheet, 64, 64, 12, dial());
  return sheet;
}

Canvas pad_key(int dir) {  // 0 up, 1 left, 2 right, 3 down
  Canvas c(32, 32);
  c.rect(5, 5, 22, 22, kG);
  c.rect(6, 4, 20, 1, kG);
  c.rect(6, 27, 20, 1, kG);
  c.rect(4, 6, 1, 20, kG);
  c.rect(27, 6, 1, 20, kG);
  c.rect(7, 7, 18, 18, kW);
  float p[3][2] = {{16, 9}, {10, 20}, {22, 20}};  // an arrow pointing up
  for (auto& v : p) {
    float x = v[0] - 16, y = v[1] - 16, rx = x, ry = y;
    if (dir == 1) { rx = y; ry = -x; }
    if (dir == 2) { rx = -y; ry = x; }
    if (dir == 3) { rx = -x; ry = -y; }
    v[0] = rx + 16;
    v[1] = ry + 16;
  }
  c.triangle(p[0][0], p[0][1], p[1][0], p[1][1], p[2][0], p[2][1], rgb(90, 90, 90));
  return finish_icon(c);
}

Canvas dpad() {
  Canvas sheet(128, 128);
  Canvas base(32, 32);
  base.disc(16, 16, 15.0f, rgb(150, 150, 150, 200));
  base.disc(16, 16, 13.0f, rgb(210, 210, 210, 200));
  base.rect(12, 4, 8, 24, rgb(120, 120, 120, 220));
  base.rect(4, 12, 24, 8, rgb(120, 120, 120, 220));
  put(sheet, 32, 32, 0, base);
  put(sheet, 32, 32, 1, pad_key(0));
  put(sheet, 32, 32, 4, pad_key(1));
  Canvas centre(32, 32);
  centre.disc(16, 16, 9.0f, kG);
  centre.disc(16, 15, 7.0f, kW);
  put(sheet, 32, 32, 5, finish_icon(centre));
  put(sheet, 32, 32, 6, pad_key(2));
  put(sheet, 32, 32, 9, pad_key(3));
  return sheet;
}

}  // namespace

void write_ui(Output& out) {
  out.image("common/icons", icons(), 32, 32);
  out.image("common/Buttons", buttons(), 64, 64);
  out.image("common/dpad", dpad(), 32, 32);
}
