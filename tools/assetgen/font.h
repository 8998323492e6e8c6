// The game's one bitmap typeface: glyph shapes for character codes 32 to 126, the two font
// sheets the game loads ("fonts/quilbent" cells and the default "vunk_font"), and a text
// painter that the logo, button and badge art use for their lettering.
#pragma once

#include "tools/assetgen/canvas.h"

// Glyphs sit in a 10-row box: capitals on rows 1 to 7, lower case from row 3, descenders on
// rows 8 and 9. A glyph is as wide as its advance minus one, so that left-aligned glyphs keep
// a one-pixel gap at every kerning step the game applies.
struct Glyph {
  int code;
  const char* rows[10];
};
const Glyph* find_glyph(int code);  // null for codes without a shape (the space, 127 up)
int glyph_width(const Glyph& g);
int glyph_advance(int code);        // 7 plus the game's kerning for that character

// Paints `text` with each font pixel drawn as a `px` by `px` block, top-left at (x, y).
// Returns the width painted, in canvas pixels.
int draw_text(Canvas& c, int x, int y, const char* text, Rgba colour, int px);
int text_width(const char* text, int px);

// 128 cells of 16 x 16 (codes 32 to 159), 16 to a row, white on transparent.
Canvas make_quilbent();
// 96 cells of 10 x 10 side by side (codes 32 to 127), glyphs inside a 1-pixel margin left and
// right.
Canvas make_vunk_font();
