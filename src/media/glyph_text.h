#pragma once
// Texts as runs of screen quads over a 13 x 6 glyph atlas. The owner places
// the quads once; these only rewrite texture coordinates.
#include <cstdint>

#include "core/draw_entry.h"

namespace dw {

// Shows a zero-terminated text in consecutive six-vertex quads from the
// first; characters outside the atlas leave their quad as it was.
std::int32_t SetGlyphText(ScreenVertex* quads, const char* text);
// Shows a non-negative value in decimal, most significant digit first.
std::int32_t SetGlyphNumber(ScreenVertex* quads, std::uint32_t value);
// Blanks `count` quads (all texture coordinates 0).
void ClearGlyphs(ScreenVertex* quads, std::uint32_t count);

// Number of decimal digits of a value (1 for 0).
std::uint32_t DecimalDigits(std::uint32_t value);

}  // namespace dw
