// The drawing kit under the interface art: lettering that fits and stays in
// its box, straight alpha with bled colours, blur, and the seeded generator.
#include <gtest/gtest.h>

#include <cmath>

#include "ui/ui_draw.h"
#include "ui/ui_style.h"

namespace {

using namespace assetgen::ui;

struct Bounds {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1, count = 0;
};

Bounds ink_bounds(const assetgen::Texture& t, int threshold = 1) {
    Bounds b;
    for (int y = 0; y < t.height; ++y) {
        for (int x = 0; x < t.width; ++x) {
            if (t.rgba[(std::size_t(y) * t.width + x) * 4 + 3] < threshold) continue;
            ++b.count;
            b.x0 = std::min(b.x0, x);
            b.x1 = std::max(b.x1, x);
            b.y0 = std::min(b.y0, y);
            b.y1 = std::max(b.y1, y);
        }
    }
    return b;
}

assetgen::Texture lettered(const std::string& text, Box box, TextStyle style, TextPlacement place) {
    Sheet s(256, 64);
    draw_text(s, box, text, style, place, "test");
    return s.finish("test");
}

TEST(DrawText, LongTextShrinksIntoItsBoxAndNothingSpillsOut) {
    const Box box{20, 10, 120, 40};
    TextPlacement p;
    p.cap_height = 0.6;
    const auto t = lettered("A caption far too long for this little box", box, caption_style(), p);
    const Bounds b = ink_bounds(t);
    ASSERT_GT(b.count, 0);
    EXPECT_GE(b.x0, 20);
    EXPECT_LE(b.x1, 139);
    EXPECT_GE(b.y0, 10);
    EXPECT_LE(b.y1, 49);
    // The letters themselves (not just the glow) keep clear of the edges.
    const Bounds solid = ink_bounds(t, 200);
    EXPECT_GE(solid.x0, 20 + int(p.pad));
    EXPECT_LE(solid.x1, 139 - int(p.pad));
}

TEST(DrawText, AlignmentAndFillingTheWidth) {
    const Box box{8, 8, 240, 48};
    TextStyle plain = caption_style();
    plain.glow_radius = 0;
    TextPlacement p;
    p.cap_height = 0.5;
    p.align = Align::Left;
    const Bounds left = ink_bounds(lettered("Go", box, plain, p), 128);
    p.align = Align::Right;
    const Bounds right = ink_bounds(lettered("Go", box, plain, p), 128);
    p.align = Align::Centre;
    const Bounds centre = ink_bounds(lettered("Go", box, plain, p), 128);
    EXPECT_LT(left.x0, 8 + 8);
    EXPECT_GT(right.x1, 8 + 240 - 8);
    EXPECT_NEAR((centre.x0 + centre.x1) / 2.0, 8 + 120, 2.0);
    TextStyle wide = plain;
    wide.fill_width = true;
    const Bounds spread = ink_bounds(lettered("GO", box, wide, p), 128);
    EXPECT_LT(spread.x0, 8 + 8);
    EXPECT_GT(spread.x1, 8 + 240 - 8);
}

TEST(DrawText, ScreenAspectPreSquashesTheLetters) {
    // A box shown twice as wide as it is drawn gets letters half as wide.
    const Box box{0, 0, 256, 64};
    TextStyle plain = caption_style();
    plain.glow_radius = 0;
    TextPlacement p;
    p.cap_height = 0.5;
    const Bounds as_drawn = ink_bounds(lettered("HH", box, plain, p), 128);
    p.screen_aspect = 2.0 * 256 / 64;
    const Bounds squashed = ink_bounds(lettered("HH", box, plain, p), 128);
    EXPECT_NEAR(double(squashed.x1 - squashed.x0), (as_drawn.x1 - as_drawn.x0) / 2.0, 3.0);
    EXPECT_EQ(squashed.y1 - squashed.y0, as_drawn.y1 - as_drawn.y0);
}

TEST(Sheet, StraightAlphaBledColoursAndUvRegions) {
    Sheet s(16, 16);
    cairo_t* cr = s.cr();
    cairo_rectangle(cr, 4, 4, 4, 4);
    cairo_set_source_rgba(cr, 1.0, 0.5, 0.0, 0.5);
    cairo_fill(cr);
    const Box b = s.region_uv("half", 0.25, 0.5, 0.25, 0.5);
    EXPECT_DOUBLE_EQ(b.x, 4);
    EXPECT_DOUBLE_EQ(b.w, 4);
    const auto t = s.finish("t");
    ASSERT_EQ(t.regions.size(), 1u);
    EXPECT_EQ(t.regions[0].x, 4);
    EXPECT_EQ(t.regions[0].w, 4);
    const std::uint8_t* in = &t.rgba[(5 * 16 + 5) * 4];
    EXPECT_EQ(in[0], 255);  // not premultiplied
    EXPECT_NEAR(in[1], 128, 1);
    EXPECT_EQ(in[2], 0);
    EXPECT_NEAR(in[3], 128, 1);
    // Next to the square: transparent, but carrying its colour.
    const std::uint8_t* near = &t.rgba[(5 * 16 + 9) * 4];
    EXPECT_EQ(near[3], 0);
    EXPECT_EQ(near[0], 255);
    // Far away: nothing bled that far.
    const std::uint8_t* far = &t.rgba[(15 * 16 + 15) * 4];
    EXPECT_EQ(far[0] + far[1] + far[2] + far[3], 0);
}

TEST(Blur, SpreadsLocallyAndKeepsTheAmountOfPaint) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 64, 64);
    cairo_t* cr = cairo_create(s);
    cairo_rectangle(cr, 28, 28, 8, 8);
    cairo_set_source_rgba(cr, 1, 1, 1, 1);
    cairo_fill(cr);
    cairo_destroy(cr);
    auto total = [&] {
        cairo_surface_flush(s);
        const unsigned char* d = cairo_image_surface_get_data(s);
        const int stride = cairo_image_surface_get_stride(s);
        long sum = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) sum += d[y * stride + x * 4 + 3];
        return sum;
    };
    const long before = total();
    blur(s, 3);
    const long after = total();
    EXPECT_NEAR(double(after), double(before), before * 0.15);  // integer rounding loses a little
    const unsigned char* d = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    EXPECT_GT(d[32 * stride + 38 * 4 + 3], 0);    // spread past the edge
    EXPECT_LT(d[32 * stride + 32 * 4 + 3], 255);  // centre softened
    EXPECT_EQ(d[2 * stride + 2 * 4 + 3], 0);      // far corner untouched
    cairo_surface_destroy(s);
}

TEST(Rng, SameSeedSameNumbersInRange) {
    Rng a(42), b(42), c(43);
    bool differs = false;
    for (int i = 0; i < 1000; ++i) {
        const double x = a.uniform();
        EXPECT_EQ(x, b.uniform());
        EXPECT_GE(x, 0.0);
        EXPECT_LT(x, 1.0);
        differs = differs || x != c.uniform();
    }
    EXPECT_TRUE(differs);
    EXPECT_NEAR(noise(3.0, 4.0, 7), noise(3.0, 4.0, 7), 0.0);
    for (double x = 0; x < 5; x += 0.37) {
        const double f = fbm(x, x * 0.5, 5, 9);
        EXPECT_GE(f, 0.0);
        EXPECT_LE(f, 1.0);
    }
}

TEST(Fonts, EveryFaceTheArtUsesLoads) {
    for (Face f : {Face::SansBold, Face::SansCondensedBold, Face::MonoBold, Face::Sans, Face::SerifBold})
        EXPECT_NE(font(f, "test"), nullptr);
}

}  // namespace
