// The shared colours of every picture the generator draws, so that the ship, the menus and
// the logos read as one game: deep space blues, cyan energy, magenta foes, amber highlights.
#pragma once

#include "tools/assetgen/canvas.h"

namespace pal {
inline const Rgba kInk = rgb(14, 12, 34);          // outlines
inline const Rgba kNight = rgb(10, 14, 48);
inline const Rgba kNavy = rgb(22, 30, 88);
inline const Rgba kBlue = rgb(40, 80, 190);
inline const Rgba kTeal = rgb(20, 150, 200);
inline const Rgba kCyan = rgb(80, 225, 255);
inline const Rgba kIce = rgb(200, 245, 255);
inline const Rgba kWhite = rgb(255, 255, 255);
inline const Rgba kSilver = rgb(200, 208, 226);
inline const Rgba kSteel = rgb(130, 140, 168);
inline const Rgba kGunmetal = rgb(72, 78, 104);
inline const Rgba kMagenta = rgb(236, 56, 160);
inline const Rgba kPurple = rgb(130, 50, 200);
inline const Rgba kPlum = rgb(70, 20, 100);
inline const Rgba kRed = rgb(230, 40, 60);
inline const Rgba kOrange = rgb(255, 120, 30);
inline const Rgba kAmber = rgb(255, 190, 40);
inline const Rgba kYellow = rgb(255, 240, 120);
inline const Rgba kGreen = rgb(70, 230, 120);
inline const Rgba kForest = rgb(20, 120, 70);
}  // namespace pal

// Gives every opaque shape a one-pixel outline of `ink` on its transparent neighbours
// (4-neighbourhood), the house style that keeps sprites readable on any background.
void outline(Canvas& c, Rgba ink);
