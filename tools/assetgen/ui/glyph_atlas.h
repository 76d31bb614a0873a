#pragma once
// Character order of the 13 x 6 glyph atlases and their generator.
#include "../asset_sink.h"

namespace assetgen::ui {

constexpr int kGlyphCols = 13;
constexpr int kGlyphRowCount = 6;
// Row strings, left to right; the last cell of row 5 is the space.
extern const char* const kGlyphRows[kGlyphRowCount];
// Cell of `c`; false for a character the atlas does not hold.
bool glyph_cell(char c, int& col, int& row);

// "SymbolMap", "SymbolMid", "SymbolMin".
void add_glyph_atlases(Output& out);

}  // namespace assetgen::ui
