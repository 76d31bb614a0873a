// The interface textures: glyph order, where the game samples, alpha where it
// blends, and the same bytes on every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>

#include "asset_sink.h"
#include "ui/glyph_atlas.h"
#include "ui/ui_layout.h"

namespace {

using assetgen::Output;
using assetgen::Texture;

const Output& generated() {
    static const Output out = [] {
        Output o;
        assetgen::generate_ui_textures(o);
        return o;
    }();
    return out;
}

const Texture& tex(const std::string& name) {
    for (const Texture& t : generated().textures)
        if (t.name == name) return t;
    throw std::runtime_error("no texture " + name);
}

int alpha(const Texture& t, int x, int y) { return t.rgba[(std::size_t(y) * t.width + x) * 4 + 3]; }

// Ink statistics of a texel rectangle.
struct Ink {
    int count = 0, area = 0;
    double cx = 0, cy = 0;                             // centroid, relative to the rectangle, 0..1
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;  // bounds, absolute texels
    double coverage() const { return area ? double(count) / area : 0; }
};

Ink ink(const Texture& t, int x, int y, int w, int h, int threshold = 128) {
    Ink k;
    k.area = w * h;
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i) {
            if (alpha(t, i, j) < threshold) continue;
            ++k.count;
            k.cx += (i - x + 0.5) / w;
            k.cy += (j - y + 0.5) / h;
            k.x0 = std::min(k.x0, i);
            k.x1 = std::max(k.x1, i);
            k.y0 = std::min(k.y0, j);
            k.y1 = std::max(k.y1, j);
        }
    }
    if (k.count) {
        k.cx /= k.count;
        k.cy /= k.count;
    }
    return k;
}

// The texel rectangle strictly inside texture coordinates (u0..u1, v0..v1).
Ink ink_uv(const Texture& t, double u0, double u1, double v0, double v1, int threshold = 128) {
    const int x0 = int(std::ceil(u0 * t.width)), x1 = int(std::floor(u1 * t.width));
    const int y0 = int(std::ceil(v0 * t.height)), y1 = int(std::floor(v1 * t.height));
    return ink(t, x0, y0, x1 - x0, y1 - y0, threshold);
}

// --- glyph atlases ---------------------------------------------------------

struct Cell {
    int x, y, w, h;
};

Cell cell_of(const Texture& t, char c) {
    int col = 0, row = 0;
    if (!assetgen::ui::glyph_cell(c, col, row)) throw std::runtime_error(std::string("no cell for ") + c);
    // Texels wholly inside the cell u col/13 .. (col+1)/13, v row/6 .. (row+1)/6.
    const int x0 = int(std::ceil(col * t.width / 13.0)), x1 = int(std::floor((col + 1) * t.width / 13.0));
    const int y0 = int(std::ceil(row * t.height / 6.0)), y1 = int(std::floor((row + 1) * t.height / 6.0));
    return {x0, y0, x1 - x0, y1 - y0};
}

Ink glyph(const Texture& t, char c) {
    const Cell k = cell_of(t, c);
    return ink(t, k.x, k.y, k.w, k.h, 100);
}

TEST(GlyphAtlas, CharacterOrderFollowsTheTextRenderer) {
    int col = -1, row = -1;
    ASSERT_TRUE(assetgen::ui::glyph_cell('A', col, row));
    EXPECT_EQ(col, 0);
    EXPECT_EQ(row, 0);
    ASSERT_TRUE(assetgen::ui::glyph_cell('z', col, row));
    EXPECT_EQ(col, 12);
    EXPECT_EQ(row, 3);
    ASSERT_TRUE(assetgen::ui::glyph_cell('9', col, row));
    EXPECT_EQ(col, 9);
    EXPECT_EQ(row, 4);
    // Letters and digits by the renderer's own rule: index k of its range.
    for (int k = 0; k < 26; ++k) {
        ASSERT_TRUE(assetgen::ui::glyph_cell(char('A' + k), col, row));
        EXPECT_EQ(col + 13 * row, k);
        ASSERT_TRUE(assetgen::ui::glyph_cell(char('a' + k), col, row));
        EXPECT_EQ(col + 13 * (row - 2), k);
    }
    const std::string row5 = "_.,:;?!\"#@><";
    for (int k = 0; k < int(row5.size()); ++k) {
        ASSERT_TRUE(assetgen::ui::glyph_cell(row5[k], col, row));
        EXPECT_EQ(row, 5);
        EXPECT_EQ(col, k);
    }
    ASSERT_TRUE(assetgen::ui::glyph_cell(' ', col, row));
    EXPECT_EQ(col, 12);
    EXPECT_EQ(row, 5);
    EXPECT_FALSE(assetgen::ui::glyph_cell('%', col, row));
}

class EachAtlas : public ::testing::TestWithParam<const char*> {};

TEST_P(EachAtlas, BlankCornerAndSpaceEveryOtherCellInkedAwayFromItsEdges) {
    const Texture& t = tex(GetParam());
    EXPECT_EQ(alpha(t, 0, 0), 0) << "blank glyph places sample texel (0, 0)";
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 13; ++c) {
            const char ch = assetgen::ui::kGlyphRows[r][c];
            // Whole cell, including the texels the cell edges cut through.
            const int x0 = int(std::floor(c * t.width / 13.0)), x1 = int(std::ceil((c + 1) * t.width / 13.0));
            const int y0 = int(std::floor(r * t.height / 6.0)), y1 = int(std::ceil((r + 1) * t.height / 6.0));
            const Ink all = ink(t, x0, y0, x1 - x0, y1 - y0, 1);
            if (ch == ' ') {
                EXPECT_EQ(all.count, 0) << "the space cell must be blank";
                continue;
            }
            EXPECT_GT(all.count, 0) << "no ink for '" << ch << "' in " << t.name;
            // Cells are sampled without inset: keep a clear texel at every edge.
            EXPECT_GT(all.x0, x0 + 1) << ch;
            EXPECT_LT(all.x1, x1 - 2) << ch;
            EXPECT_GT(all.y0, y0 + 1) << ch;
            EXPECT_LT(all.y1, y1 - 2) << ch;
        }
    }
}

TEST_P(EachAtlas, GlyphShapesMatchTheirCells) {
    const Texture& t = tex(GetParam());
    if (t.width < 256) GTEST_SKIP() << "too small to tell shapes apart";
    // Capitals stand taller than small letters on one baseline.
    EXPECT_LT(glyph(t, 'A').y0 - cell_of(t, 'A').y, glyph(t, 'a').y0 - cell_of(t, 'a').y);
    EXPECT_NEAR(glyph(t, 'x').y1 - cell_of(t, 'x').y, glyph(t, 'X').y1 - cell_of(t, 'X').y, 2);
    EXPECT_GT(glyph(t, 'g').y1 - cell_of(t, 'g').y, glyph(t, 'a').y1 - cell_of(t, 'a').y + 3);
    // Punctuation sits where it belongs.
    EXPECT_GT(glyph(t, '_').cy, 0.8);
    EXPECT_LT(glyph(t, '"').cy, 0.45);
    EXPECT_GT(glyph(t, '.').cy, 0.6);
    EXPECT_NEAR(glyph(t, '-').cy, glyph(t, '+').cy, 0.06);
    EXPECT_LT(glyph(t, '.').count * 4, glyph(t, '#').count);
    EXPECT_LT((glyph(t, '!').x1 - glyph(t, '!').x0) * 2, glyph(t, 'M').x1 - glyph(t, 'M').x0);
    EXPECT_LT(glyph(t, '1').count, glyph(t, '8').count);
    // No two cells hold the same picture.
    std::set<std::uint64_t> seen;
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 13; ++c) {
            const Cell k = cell_of(t, assetgen::ui::kGlyphRows[r][c]);
            std::uint64_t hash = 1469598103934665603ull;  // FNV-1a over the coarse alpha
            for (int y = k.y; y < k.y + k.h; ++y)
                for (int x = k.x; x < k.x + k.w; ++x)
                    hash = (hash ^ std::uint64_t(alpha(t, x, y) / 32)) * 1099511628211ull;
            EXPECT_TRUE(seen.insert(hash).second) << "cell " << c << ", " << r << " repeats another";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(UiArt, EachAtlas, ::testing::Values("SymbolMap", "SymbolMid", "SymbolMin"));

// --- every sheet ------------------------------------------------------------

TEST(UiTextures, AllNamedSheetsWithSoundSizesRegionsAndAlpha) {
    const std::set<std::string> expected = {"SymbolMap", "SymbolMid", "SymbolMin", "MenuTex",  "Help0Tex",
                                            "Help5Tex",  "Help2Tex",  "Help3Tex",  "Help4Tex", "Help6Tex",
                                            "Help7Tex",  "IntroMap",  "IntroMap2", "LoadMap"};
    std::set<std::string> names;
    for (const Texture& t : generated().textures) {
        EXPECT_TRUE(names.insert(t.name).second) << "twice: " << t.name;
        EXPECT_TRUE(t.width > 0 && (t.width & (t.width - 1)) == 0) << t.name;
        EXPECT_TRUE(t.height > 0 && (t.height & (t.height - 1)) == 0) << t.name;
        ASSERT_EQ(t.rgba.size(), std::size_t(t.width) * t.height * 4) << t.name;
        EXPECT_FALSE(t.regions.empty()) << t.name;
        for (const auto& r : t.regions) {
            ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.w > 0 && r.h > 0 && r.x + r.w <= t.width && r.y + r.h <= t.height)
                << t.name << ": " << r.label;
            EXPECT_GT(ink(t, r.x, r.y, r.w, r.h, 1).count, 0) << t.name << ": " << r.label << " is empty";
        }
        if (t.opaque_jpeg) {
            for (std::size_t i = 3; i < t.rgba.size(); i += 4) ASSERT_EQ(t.rgba[i], 255) << t.name;
        }
    }
    EXPECT_EQ(names, expected);
    // Pictures drawn without blending carry no holes; the others blend.
    EXPECT_TRUE(tex("MenuTex").opaque_jpeg);
    EXPECT_TRUE(tex("IntroMap2").opaque_jpeg);
    for (const char* n : {"Help0Tex", "Help5Tex", "Help2Tex", "Help3Tex", "Help4Tex", "Help7Tex", "LoadMap"})
        EXPECT_FALSE(tex(n).opaque_jpeg) << n;
}

TEST(UiTextures, SameBytesOnEveryRun) {
    Output again;
    assetgen::generate_ui_textures(again);
    ASSERT_EQ(again.textures.size(), generated().textures.size());
    for (std::size_t i = 0; i < again.textures.size(); ++i) {
        EXPECT_EQ(again.textures[i].name, generated().textures[i].name);
        EXPECT_TRUE(again.textures[i].rgba == generated().textures[i].rgba) << again.textures[i].name;
    }
}

// --- pieces sampled at fixed texture coordinates ----------------------------

struct UvRect {
    const char* sheet;
    double u0, u1, v0, v1;
    double min_coverage;  // share of texels with alpha >= 128
};

TEST(UiTextures, FixedCoordinatesLandOnTheirPictures) {
    std::vector<UvRect> rects = {
        {"Help0Tex", 0.876, 0.999, 0.126, 0.249, 0.1},   // pointer
        {"Help5Tex", 0.501, 0.999, 0.001, 0.124, 0.05},  // question
        {"Help3Tex", 0.001, 0.999, 0.001, 0.492, 0.5},  {"Help3Tex", 0.001, 0.999, 0.501, 0.992, 0.5},
        {"Help4Tex", 0.004, 0.496, 0.004, 0.121, 0.1},  // word A
        {"Help4Tex", 0.004, 0.844, 0.875, 0.992, 0.1},  // line B
        {"Help4Tex", 0.523, 0.977, 0.004, 0.123, 0.1},  // game over halves
        {"Help4Tex", 0.523, 0.977, 0.135, 0.254, 0.1},  {"Help7Tex", 0.307, 0.96, 0.003, 0.285, 0.05},  // site title
        {"LoadMap", 0.001, 0.999, 0.001, 0.703, 1.0},  // loading picture, opaque
        {"LoadMap", 0.001, 0.599, 0.709, 0.96, 0.5},   // caption
    };
    for (int i = 0; i < 8; ++i) rects.push_back({"Help5Tex", 0.001, 0.499, 0.001 + 0.125 * i, 0.124 + 0.125 * i, 0.5});
    for (int i = 0; i < 10; ++i)
        rects.push_back({"Help5Tex", 0.501, 0.999, 0.126 + 0.0625 * i, 0.175 + 0.0625 * i, 0.5});
    for (int k = 0; k < 8; ++k) rects.push_back({"Help2Tex", 0.507, 0.948, 0.039 * k + 0.093, 0.039 * k + 0.127, 0.05});
    for (int b = 0; b < 4; ++b) rects.push_back({"Help7Tex", 0.001 + 0.25 * b, 0.249 + 0.25 * b, 0.285, 0.999, 0.6});
    for (const UvRect& r : rects) {
        const Ink k = ink_uv(tex(r.sheet), r.u0, r.u1, r.v0, r.v1);
        EXPECT_GE(k.coverage(), r.min_coverage)
            << r.sheet << " u " << r.u0 << ".." << r.u1 << " v " << r.v0 << ".." << r.v1;
    }
}

TEST(UiTextures, LevelNumberGlyphsFillTheirCellsAndStayInside) {
    const Texture& t = tex("Help4Tex");
    const double cells[10][4] = {
        {0.018, 0.113, 0.131, 0.248}, {0.121, 0.219, 0.131, 0.248}, {0.227, 0.322, 0.131, 0.248},
        {0.33, 0.426, 0.131, 0.248},  {0.016, 0.111, 0.26, 0.377},  {0.119, 0.217, 0.26, 0.377},
        {0.225, 0.322, 0.26, 0.377},  {0.33, 0.43, 0.26, 0.377},    {0.016, 0.115, 0.391, 0.508},
        {0.125, 0.293, 0.391, 0.508},
    };
    int prev = 0;
    for (int n = 0; n < 10; ++n) {
        const double* c = cells[n];
        const Ink k = ink_uv(t, c[0], c[1], c[2], c[3]);
        EXPECT_GT(k.coverage(), 0.08) << "number " << n;
        // Letters are as tall as the word beside them: most of the cell height.
        EXPECT_GT(k.y1 - k.y0, 0.5 * (c[3] - c[2]) * t.height) << "number " << n;
        if (n == 9) {
            EXPECT_GT(k.count, prev) << "the wide glyph holds two digits";
        }
        prev = k.count;
        // Nothing of the glyph (glow included) leaks past the cell's sides.
        const int left = int(std::floor(c[0] * t.width)) - 1, right = int(std::ceil(c[1] * t.width));
        const int top = int(std::ceil(c[2] * t.height)), bottom = int(std::floor(c[3] * t.height));
        EXPECT_EQ(ink(t, left, top, 1, bottom - top, 1).count, 0) << "number " << n;
        EXPECT_EQ(ink(t, right, top, 1, bottom - top, 1).count, 0) << "number " << n;
    }
}

TEST(UiTextures, LoadingPictureStaysInsideItsRegion) {
    // Between the picture (v up to 0.703) and the caption (v from 0.709) the
    // sheet stays empty: nothing of the picture (its planet) runs on into the
    // caption below it.
    const Texture& t = tex("LoadMap");
    const int gap_top = int(std::ceil(0.705 * t.height)), gap_bottom = int(std::floor(0.709 * t.height));
    ASSERT_LT(gap_top, gap_bottom);
    EXPECT_EQ(ink(t, 0, gap_top, t.width, gap_bottom - gap_top, 1).count, 0);
    // The caption's plate is see-through at its corners: the texel there is
    // the plate's own dark blue, not a warm planet showing through.
    const int x = int(0.02 * t.width), y = int(0.95 * t.height);
    const std::uint8_t* p = &t.rgba[(std::size_t(y) * t.width + x) * 4];
    EXPECT_LE(p[0], p[2] + 8) << "red " << int(p[0]) << " blue " << int(p[2]);
}

TEST(UiTextures, LoadingBarIsPaintedFullUnderTheGreyCover) {
    // The grey cover spans x 0.385 W .. 0.615 W, 0.01242 W high at 0.82 H; in
    // caption texture coordinates that is u 0.0135..0.5865, v 0.8392..0.8839.
    const Texture& t = tex("LoadMap");
    const Ink bar = ink_uv(t, 0.0135, 0.5865, 0.8392, 0.8839, 255);
    EXPECT_DOUBLE_EQ(bar.coverage(), 1.0);
    // It is a bar of colour, not the dark backing.
    const int x = int(0.3 * t.width), y = int(0.861 * t.height);
    const std::uint8_t* p = &t.rgba[(std::size_t(y) * t.width + x) * 4];
    EXPECT_GT(std::max({p[0], p[1], p[2]}), 150);
}

TEST(UiTextures, PointerTipIsTheCellsTopLeftCorner) {
    const Texture& t = tex("Help0Tex");
    const int x = int(std::ceil(0.876 * 512)), y = int(std::ceil(0.126 * 512));
    EXPECT_GT(ink(t, x, y, 3, 3, 64).count, 0) << "the tip must be at the hot spot";
    EXPECT_EQ(ink(t, x + 40, y, 20, 10, 1).count, 0);  // right of the tip: empty
    EXPECT_EQ(ink(t, x + 40, y + 50, 20, 10, 1).count, 0);
}

TEST(UiTextures, OpenPiecesLieWhereTheLayoutSaysAndDoNotOverlapBoundCells) {
    using namespace assetgen::ui;
    const Texture& h5 = tex("Help5Tex");
    for (const auto& c : {kBackButton, kNextPageButton, kPrevPageButton, kHelpFrame}) {
        EXPECT_GT(ink(h5, c.x, c.y, c.w, c.h).coverage(), 0.3);
        // The free block of the caption sheet: u 0.5..1, v 0.75..1.
        EXPECT_GE(c.x, 256);
        EXPECT_GE(c.y, 384);
    }
    const Texture& h0 = tex("Help0Tex");
    for (const auto& c : {kLabelSoundVolume, kLabelMusicVolume, kLabelMouseSpeed, kSliderTrack, kSliderKnob}) {
        EXPECT_GT(ink(h0, c.x, c.y, c.w, c.h).coverage(), 0.05);
        EXPECT_TRUE(c.x + c.w <= 448 || c.y >= 128 || c.y + c.h <= 64) << "overlaps the pointer";
    }
    const Texture& h2 = tex("Help2Tex");
    {
        // Page 2's title (its lines are the game's glyph text).
        const auto c = help_page2_cell(0);
        EXPECT_GT(ink(h2, c.x, c.y, c.w, c.h).coverage(), 0.03);
        EXPECT_GE(c.y, int(0.4 * 512) + 1) << "below the page-1 lines";
        EXPECT_LE(c.y + c.h, 512);
    }
    // Page 1's title: drawn, left of the page-1 lines and above page 2's.
    const auto t = kHelpPage1Title;
    EXPECT_GT(ink(h2, t.x, t.y, t.w, t.h).coverage(), 0.03);
    EXPECT_LE(t.x + t.w, int(0.507 * 512));
    EXPECT_LE(t.y + t.h, help_page2_cell(0).y);
}

}  // namespace
