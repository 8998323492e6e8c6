// Avatar pictures of "output" and "outputb" (32 x 32, 1024 to a sheet) and the badge sheet
// "BadgesA". Each avatar is a small pilot portrait whose every feature comes from a hash of
// the display name it belongs to, so the same name always gets the same face.
// Written by write_avatars and write_badges for image slots 2, 3 and 80.
#include <cmath>
#include <cstdio>

#include "game/texts.h"
#include "tools/assetgen/families.h"
#include "tools/assetgen/font.h"
#include "tools/assetgen/palette.h"

namespace {

const Rgba kSkins[] = {rgb(255, 214, 180), rgb(236, 180, 140), rgb(200, 140, 100), rgb(150, 96, 64),
                       rgb(104, 64, 44),   rgb(140, 220, 150), rgb(150, 190, 255), rgb(190, 196, 210)};
const Rgba kHair[] = {rgb(40, 30, 30),  rgb(110, 60, 30), rgb(230, 200, 90), rgb(200, 60, 40),
                      rgb(240, 240, 250), rgb(80, 200, 255), rgb(236, 56, 160), rgb(120, 230, 110)};
const Rgba kBacks[] = {rgb(40, 80, 190), rgb(20, 150, 200), rgb(130, 50, 200), rgb(200, 60, 120),
                       rgb(30, 130, 90), rgb(220, 120, 40), rgb(70, 70, 110), rgb(170, 40, 60)};

template <class T, size_t N>
const T& pick(Rng& r, const T (&a)[N]) { return a[r.below(static_cast<int>(N))]; }

Canvas avatar(const char* name) {
  Rng r(hash_text(name));
  Canvas c(32, 32);
  Rgba back = pick(r, kBacks), skin = pick(r, kSkins), hair = pick(r, kHair);
  Rgba suit = pick(r, kBacks);
  // Rounded card with a lighter top half.
  c.rect(1, 2, 30, 28, back);
  c.rect(2, 1, 28, 30, back);
  c.rect(2, 2, 28, 13, mix(back, pal::kWhite, 0.18f));
  // Shoulders in a flight suit.
  c.disc(16, 34, 13.0f, suit);
  c.rect(14, 24, 4, 7, mix(suit, pal::kWhite, 0.35f));
  // Head: round or square, with ears.
  int head = r.below(3);
  float hw = 7.0f + r.below(3) * 0.5f;
  if (head == 0) c.disc(16, 15, hw, skin);
  else c.rect(16 - static_cast<int>(hw), 8, static_cast<int>(hw) * 2, 15, skin);
  c.rect(15, 21, 3, 4, shade(skin, 0.85f));
  if (head == 2) { c.set(7, 15, skin); c.set(24, 15, skin); c.set(7, 16, skin); c.set(24, 16, skin); }
  // Hair or headgear.
  switch (r.below(7)) {
    case 0: c.rect(9, 6, 14, 4, hair); break;                                  // short crop
    case 1: c.rect(8, 6, 16, 4, hair); c.rect(8, 9, 3, 10, hair); c.rect(21, 9, 3, 10, hair); break;  // long
    case 2: c.rect(14, 3, 4, 7, hair); break;                                  // crest
    case 3: c.disc(16, 5, 3.5f, hair); c.rect(10, 7, 12, 3, hair); break;      // bun
    case 4: c.rect(8, 5, 16, 5, pal::kSilver); c.rect(8, 9, 16, 1, pal::kSteel); break;  // helmet
    case 5: c.rect(9, 6, 14, 3, hair); c.rect(20, 7, 6, 2, hair); break;       // cap with peak
    default: break;                                                            // bald
  }
  // Eyes: dots, a visor, or round glasses.
  int ey = 14 + r.below(2);
  switch (r.below(4)) {
    case 0: c.rect(9, ey, 14, 3, pal::kCyan); c.rect(9, ey, 14, 1, pal::kIce); break;
    case 1:
      c.ring(12, ey + 1, 1.5f, 2.8f, pal::kInk);
      c.ring(20, ey + 1, 1.5f, 2.8f, pal::kInk);
      c.set(12, ey + 1, pal::kInk);
      c.set(20, ey + 1, pal::kInk);
      break;
    default:
      c.rect(11, ey, 2, 2, pal::kInk);
      c.rect(19, ey, 2, 2, pal::kInk);
      c.set(11, ey, pal::kWhite);
      c.set(19, ey, pal::kWhite);
      break;
  }
  // Mouth.
  Rgba lip = shade(skin, 0.55f);
  switch (r.below(3)) {
    case 0: c.rect(13, 19, 6, 1, lip); c.set(12, 18, lip); c.set(19, 18, lip); break;
    case 1: c.rect(14, 19, 4, 1, lip); break;
    default: c.rect(14, 18, 4, 2, lip); break;
  }
  // One accessory now and then: an antenna, an earpiece or a badge on the suit.
  switch (r.below(5)) {
    case 0: c.line(22, 8, 26, 3, pal::kSteel); c.set(26, 2, pal::kRed); break;
    case 1: c.rect(6, 13, 2, 5, pal::kGunmetal); c.set(7, 19, pal::kAmber); break;
    case 2: c.rect(22, 27, 3, 3, pal::kAmber); break;
    default: break;
  }
  // Frame.
  for (int i = 2; i < 30; ++i) {
    c.set(i, 0, pal::kInk); c.set(i, 31, pal::kInk); c.set(0, i, pal::kInk); c.set(31, i, pal::kInk);
  }
  c.set(1, 1, pal::kInk); c.set(30, 1, pal::kInk); c.set(1, 30, pal::kInk); c.set(30, 30, pal::kInk);
  for (int y = 0; y < 32; ++y)   // nothing may spill outside the rounded card
    for (int x = 0; x < 32; ++x)
      if ((x == 0 || x == 31) && (y < 2 || y > 29)) c.set(x, y, Rgba{});
  for (int x = 0; x < 32; ++x) { c.set(x, 0, x < 2 || x > 29 ? Rgba{} : pal::kInk); }
  return c;
}

// The game shows name i with frame i of "output" for i up to 1024 (1024 wraps to frame 0)
// and frame i - 1024 of "outputb" above that. Frames that no name reaches get a face from
// a made-up seed so the sheets have no holes.
Canvas sheet(int first) {
  Canvas s(1024, 1024);
  char spare[32];
  for (int f = 0; f < 1024; ++f) {
    int n = first + f;
    if (first == 0 && f == 0) n = 1024;
    const char* name = n <= 1438 ? kDisplayNames[n] : (std::snprintf(spare, sizeof spare, "spare-%d", n), spare);
    s.paste(avatar(name), (f % 32) * 32, (f / 32) * 32);
  }
  return s;
}

// The test badge: a gold medal with a star and the word TEST on a ribbon.
Canvas test_badge() {
  using namespace pal;
  Canvas c(64, 64);
  c.triangle(18, 40, 28, 40, 16, 62, kRed);
  c.triangle(36, 40, 46, 40, 48, 62, kBlue);
  c.disc(32, 28, 24.0f, rgb(170, 110, 20));
  c.disc(32, 28, 22.0f, kAmber);
  c.disc(32, 27, 17.0f, kNavy);
  for (int k = 0; k < 5; ++k) {
    float a = -1.5707963f + k * 1.2566371f, b = a + 0.6283185f, d = a - 0.6283185f;
    c.triangle(32 + 13 * std::cos(a), 27 + 13 * std::sin(a), 32 + 5 * std::cos(b), 27 + 5 * std::sin(b),
               32 + 5 * std::cos(d), 27 + 5 * std::sin(d), kYellow);
  }
  c.disc(32, 27, 5.5f, kYellow);
  c.rect(14, 40, 36, 11, kCyan);
  c.rect(14, 40, 36, 1, kIce);
  int w = text_width("TEST", 1);
  draw_text(c, 32 - w / 2, 40, "TEST", kNavy, 1);
  outline(c, kInk);
  return c;
}

}  // namespace

void write_avatars(Output& out) {
  out.image_raw("output", sheet(0));
  out.image_raw("outputb", sheet(1024));
}

void write_badges(Output& out) {
  Canvas s(512, 512);
  s.paste(test_badge(), 0, 0);
  out.image("BadgesA", s, 64, 64);
}
