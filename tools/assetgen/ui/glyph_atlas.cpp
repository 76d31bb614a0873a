// The three glyph atlases: 13 x 6 equal cells in the text renderer's order.
#include "glyph_atlas.h"

#include <algorithm>
#include <cmath>

#include "ui_draw.h"

namespace assetgen::ui {

const char* const kGlyphRows[kGlyphRowCount] = {
    "ABCDEFGHIJKLM", "NOPQRSTUVWXYZ", "abcdefghijklm", "nopqrstuvwxyz", "0123456789+-*", "_.,:;?!\"#@>< ",
};

bool glyph_cell(char c, int& col, int& row) {
    for (int r = 0; r < kGlyphRowCount; ++r) {
        for (int k = 0; k < kGlyphCols; ++k) {
            if (kGlyphRows[r][k] == c) {
                col = k;
                row = r;
                return true;
            }
        }
    }
    return false;
}

namespace {

// Text places overlap: the owners space glyph quads at about 0.64 of their
// width (greeting 0.018 apart for 0.028 wide quads, high-score rows 0.022
// for 0.032). So each glyph keeps to the middle 0.62 of its cell, or the
// letters would run into each other.
constexpr double kAdvanceShare = 0.62;
// Letter height (capital top to descender bottom) as a share of the cell.
constexpr double kHeightShare = 0.8;

Texture make_atlas(const std::string& name, int size, double outline) {
    Sheet sheet(size, size);
    cairo_t* cr = sheet.cr();
    cairo_font_face_t* face = font(Face::MonoBold, name);
    const double cw = double(size) / kGlyphCols, ch = double(size) / kGlyphRowCount;

    cairo_save(cr);
    set_font(cr, face, 100);
    cairo_text_extents_t h, g;
    cairo_text_extents(cr, "H", &h);
    cairo_text_extents(cr, "g", &g);
    cairo_restore(cr);
    const double cap = -h.y_bearing / 100.0, desc = (g.height + g.y_bearing) / 100.0;
    const double em = kHeightShare * ch / (cap + desc);
    const double baseline = (1 - kHeightShare) / 2 * ch + cap * em;
    const double sx = kAdvanceShare * cw / (h.x_advance / 100.0 * em);

    for (int r = 0; r < kGlyphRowCount; ++r) {
        for (int k = 0; k < kGlyphCols; ++k) {
            const char c = kGlyphRows[r][k];
            const double x0 = k * cw, y0 = r * ch;
            // Every glyph stays two texels clear of its cell edges: cells are
            // sampled without inset, so filtering must not reach a neighbour,
            // and the atlas's top-left texel stays empty.
            const double cx0 = std::ceil(x0) + 2, cy0 = std::ceil(y0) + 2;
            const double cx1 = std::floor(x0 + cw) - 2, cy1 = std::floor(y0 + ch) - 2;
            if (c != ' ') {
                sheet.region(std::string("glyph '") + c + "'", int(std::floor(x0)), int(std::floor(y0)),
                             int(std::ceil(x0 + cw)) - int(std::floor(x0)),
                             int(std::ceil(y0 + ch)) - int(std::floor(y0)));
            }
            if (c == ' ') continue;
            const std::string s(1, c);
            double ix0, iy0, ix1, iy1;
            measure_text(face, em, sx, 0, s, ix0, iy0, ix1, iy1);
            // Squeeze a glyph that is wider than the room (only "@" and "W" at small sizes).
            const double room = (cx1 - cx0) - 2 * outline;
            const double gx = std::min(1.0, room / std::max(1e-6, ix1 - ix0));
            const double px = x0 + cw / 2 - (ix0 + ix1) / 2 * gx;
            cairo_save(cr);
            cairo_rectangle(cr, cx0, cy0, cx1 - cx0, cy1 - cy0);
            cairo_clip(cr);
            cairo_new_path(cr);
            text_path(cr, face, em, sx * gx, 0, s, px, y0 + baseline);
            set_source(cr, hex(0x060A16, 0.92));
            cairo_set_line_width(cr, 2 * outline);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            cairo_stroke_preserve(cr);
            cairo_pattern_t* grad = cairo_pattern_create_linear(0, y0 + baseline - cap * em, 0, y0 + baseline);
            cairo_pattern_add_color_stop_rgb(grad, 0, 1, 1, 1);
            cairo_pattern_add_color_stop_rgb(grad, 1, 0.85, 0.9, 0.96);
            cairo_set_source(cr, grad);
            cairo_fill(cr);
            cairo_pattern_destroy(grad);
            cairo_restore(cr);
        }
    }
    return sheet.finish(name);
}

}  // namespace

void add_glyph_atlases(Output& out) {
    // Same layout, three sizes: large, medium (the one the menus and the
    // board draw with) and small.
    out.textures.push_back(make_atlas("SymbolMap", 512, 2.6));
    out.textures.push_back(make_atlas("SymbolMid", 256, 1.4));
    out.textures.push_back(make_atlas("SymbolMin", 128, 0.8));
}

}  // namespace assetgen::ui
