// The writers of each asset family, called in turn by main.cpp. Each writes its files into
// the output's data folder (and contact sheet) and uses only fixed seeds.
#pragma once

#include "tools/assetgen/output.h"

void write_fonts(Output& out);        // fonts/quilbent, vunk_font
void write_sprites(Output& out);      // gfx, parts
void write_ui(Output& out);           // common/icons, common/Buttons, common/dpad
void write_titles(Output& out);       // logo, menu, common/ZOLTLogo, common/Testcard_Circle
void write_badges(Output& out);       // BadgesA
void write_avatars(Output& out);      // output, outputb
void write_tunes(Output& out);        // tunes/*.png
void write_sfx(Output& out);          // sfx/0xx.wav
void write_instruments(Output& out);  // inst/*.wav
void write_music(Output& out);        // sfx/Brisklet.ogg, sfx/Sollenmark.ogg

// The game's own sprites at 1x (32 x 32), for the desktop icon.
Canvas ship_sprite();
Canvas enemy_sprite(int frame);  // 0 to 5
Canvas bullet_sprite();          // glow with its core
// The desktop icon in the hicolor layout under dir; false if a file could not be written.
bool write_icons(const std::string& dir);
bool write_web_icons(const std::string& dir);  // icon-192, icon-512, icon-maskable (512)
