#include "media/glyph_text.h"

#include <cstring>

namespace dw {

namespace {

constexpr float kCellU = 0.076923f;
constexpr float kCellV = 0.166666f;
constexpr float kRowV[6] = {0.0f, 0.166666f, 0.333332f, 0.499998f, 0.666664f, 0.83333f};

void SetCell(ScreenVertex* q, int column, int row) {
    const float l = static_cast<float>(column) / 13.0f;
    const float r = l + kCellU;
    const float t = kRowV[row];
    const float b = t + kCellV;
    q[0].u = l;
    q[0].v = t;
    q[1].u = r;
    q[1].v = t;
    q[2].u = l;
    q[2].v = b;
    q[3].u = l;
    q[3].v = b;
    q[4].u = r;
    q[4].v = t;
    q[5].u = r;
    q[5].v = b;
}

// Cell of a character, or false when the atlas has none.
bool CellOf(char c, int& column, int& row) {
    if (c >= 'A' && c <= 'Z') {
        const int k = c - 'A';
        column = k % 13;
        row = k / 13;
        return true;
    }
    if (c >= 'a' && c <= 'z') {
        const int k = c - 'a';
        column = k % 13;
        row = k / 13 + 2;
        return true;
    }
    if (c >= '0' && c <= '9') {
        column = c - '0';
        row = 4;
        return true;
    }
    static const char kRow4[] = "+-*";
    if (const char* p = std::strchr(kRow4, c); p && c) {
        column = 10 + static_cast<int>(p - kRow4);
        row = 4;
        return true;
    }
    static const char kRow5[] = "_.,:;?!\"#@>< ";
    if (const char* p = std::strchr(kRow5, c); p && c) {
        column = static_cast<int>(p - kRow5);
        row = 5;
        return true;
    }
    return false;
}

}  // namespace

std::int32_t SetGlyphText(ScreenVertex* quads, const char* text) {
    if (!text) return 0;
    for (std::size_t i = 0; text[i]; ++i) {
        int column = 0, row = 0;
        if (CellOf(text[i], column, row)) SetCell(quads + i * 6, column, row);
    }
    return 0;
}

std::uint32_t DecimalDigits(std::uint32_t value) {
    std::uint32_t digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

std::int32_t SetGlyphNumber(ScreenVertex* quads, std::uint32_t value) {
    const std::uint32_t digits = DecimalDigits(value);
    for (std::uint32_t k = digits; k-- > 0;) {
        SetCell(quads + k * 6, static_cast<int>(value % 10), 4);
        value /= 10;
    }
    return 0;
}

void ClearGlyphs(ScreenVertex* quads, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count * 6; ++i) {
        quads[i].u = 0;
        quads[i].v = 0;
    }
}

}  // namespace dw
