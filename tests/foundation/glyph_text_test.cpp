#include <gtest/gtest.h>

#include "media/glyph_text.h"

namespace dw {
namespace {

// Column and row of the cell a quad shows, from its top-left corner.
std::pair<int, int> Cell(const ScreenVertex* q) {
    return {static_cast<int>(q[0].u * 13.0f + 0.5f), static_cast<int>(q[0].v * 6.0f + 0.5f)};
}

TEST(GlyphText, CharactersMapToTheirCellsAndUnknownOnesKeepTheirPlace) {
    ScreenVertex q[6 * 8] = {};
    for (auto& v : q) v.u = v.v = -1.0f;
    SetGlyphText(q, "Az9%@ .");
    EXPECT_EQ(Cell(q + 0), std::make_pair(0, 0));
    EXPECT_EQ(Cell(q + 6), std::make_pair(12, 3));
    EXPECT_EQ(Cell(q + 12), std::make_pair(9, 4));
    EXPECT_FLOAT_EQ(q[18].u, -1.0f);  // "%" is not in the atlas: quad untouched
    EXPECT_EQ(Cell(q + 24), std::make_pair(9, 5));
    EXPECT_EQ(Cell(q + 30), std::make_pair(12, 5));
    EXPECT_EQ(Cell(q + 36), std::make_pair(1, 5));
    EXPECT_FLOAT_EQ(q[42].u, -1.0f);  // beyond the text: untouched
    // Corner order: (l,t) (r,t) (l,b) (l,b) (r,t) (r,b).
    EXPECT_FLOAT_EQ(q[1].u - q[0].u, 0.076923f);
    EXPECT_FLOAT_EQ(q[5].v - q[4].v, 0.166666f);
    EXPECT_FLOAT_EQ(q[3].u, q[2].u);
}

TEST(GlyphText, NumbersAndClearing) {
    ScreenVertex q[6 * 10] = {};
    for (auto& v : q) v.u = v.v = -1.0f;
    SetGlyphNumber(q, 0);
    EXPECT_EQ(Cell(q), std::make_pair(0, 4));
    EXPECT_FLOAT_EQ(q[6].u, -1.0f);
    SetGlyphNumber(q, 9999999);
    for (int k = 0; k < 7; ++k) EXPECT_EQ(Cell(q + 6 * k), std::make_pair(9, 4));
    EXPECT_FLOAT_EQ(q[42].u, -1.0f);
    SetGlyphNumber(q, 4294967295u);
    EXPECT_EQ(Cell(q), std::make_pair(4, 4));
    EXPECT_EQ(DecimalDigits(4294967295u), 10u);
    ClearGlyphs(q, 0);
    EXPECT_EQ(Cell(q), std::make_pair(4, 4));
    ClearGlyphs(q, 2);
    EXPECT_FLOAT_EQ(q[11].u, 0.0f);
    EXPECT_FLOAT_EQ(q[11].v, 0.0f);
}

}  // namespace
}  // namespace dw
