#include "shipkit.h"

#include <cmath>

#include "../common/noise.h"

namespace assetgen::sprites::kit {

using namespace gfx;

const Palette kPlayer{rgb_hex(0xe8eef8), rgb_hex(0x4a5670), rgb_hex(0x2a8cff),
                      rgb_hex(0x40c8ff), rgb_hex(0x50c8ff), rgb_hex(0x80ffb0)};
const Palette kRaider{rgb_hex(0xc8b8a8), rgb_hex(0x3c2a26), rgb_hex(0xd03a20),
                      rgb_hex(0xffa040), rgb_hex(0xff8a30), rgb_hex(0xff4030)};
const Palette kViolet{rgb_hex(0xb8a8d0), rgb_hex(0x2e2440), rgb_hex(0x9a40e0),
                      rgb_hex(0xff60c0), rgb_hex(0xff60d0), rgb_hex(0xff50a0)};
const Palette kOlive{rgb_hex(0xb8c0a0), rgb_hex(0x2e3424), rgb_hex(0xe0b020),
                     rgb_hex(0xa0ff60), rgb_hex(0xffc040), rgb_hex(0xffe040)};
const Palette kSteel{rgb_hex(0xc0c8d4), rgb_hex(0x262c38), rgb_hex(0xe04040),
                     rgb_hex(0xff7060), rgb_hex(0xff6a30), rgb_hex(0xff3030)};
const Palette kCrimson{rgb_hex(0xd8a0a0), rgb_hex(0x3a1418), rgb_hex(0x202020),
                       rgb_hex(0xffd040), rgb_hex(0xff5020), rgb_hex(0xffd040)};
const Palette kBronze{rgb_hex(0xe0c890), rgb_hex(0x3a2c18), rgb_hex(0x30a0a0),
                      rgb_hex(0x60fff0), rgb_hex(0x40e0ff), rgb_hex(0x60fff0)};

void hull(cairo_t* cr, const Pts& half, Rgb light, Rgb dark) {
    mirrored_path(cr, half);
    shade_hull(cr, light, dark);
    cairo_new_path(cr);
}

void plate(cairo_t* cr, const Pts& pts, Rgb light, Rgb dark) {
    if (pts.empty()) return;
    cairo_move_to(cr, pts[0].first, pts[0].second);
    for (std::size_t i = 1; i < pts.size(); ++i) cairo_line_to(cr, pts[i].first, pts[i].second);
    cairo_close_path(cr);
    shade_hull(cr, light, dark);
    cairo_new_path(cr);
}

void wings(cairo_t* cr, const Pts& right, Rgb light, Rgb dark) {
    plate(cr, right, light, dark);
    Pts left;
    for (auto [x, y] : right) left.push_back({-x, y});
    plate(cr, left, light, dark);
}

void pod(cairo_t* cr, double x, double y, double w, double h, Rgb light, Rgb dark) {
    round_rect(cr, x - w / 2, y - h / 2, w, h, w / 2);
    double x0 = x - w / 2, y0 = y, x1 = x + w / 2, y1 = y;
    cairo_user_to_device(cr, &x0, &y0);
    cairo_user_to_device(cr, &x1, &y1);
    // Cylinder: highlight a third of the way across.
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    cairo_identity_matrix(cr);
    cairo_pattern_t* p = cairo_pattern_create_linear(x0, y0, x1, y1);
    cairo_pattern_add_color_stop_rgb(p, 0, dark.r, dark.g, dark.b);
    cairo_pattern_add_color_stop_rgb(p, 0.3, light.r, light.g, light.b);
    cairo_pattern_add_color_stop_rgb(p, 1, dark.r * 0.6, dark.g * 0.6, dark.b * 0.6);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_set_line_width(cr, 1.0);
    cairo_set_source_rgba(cr, dark.r * 0.3, dark.g * 0.3, dark.b * 0.3, 0.85);
    cairo_stroke(cr);
    cairo_set_matrix(cr, &m);
}

void barrel(cairo_t* cr, double x, double y, double dx, double dy, double len, double w) {
    const double n = std::hypot(dx, dy);
    dx /= n;
    dy /= n;
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, std::atan2(dy, dx) - kPi / 2);  // local +y along the barrel
    pod(cr, 0, len / 2, w, len, rgb_hex(0xb0b8c4), rgb_hex(0x22262e));
    cairo_rectangle(cr, -w * 0.65, len - w * 0.5, w * 1.3, w * 0.5);
    set_rgb(cr, rgb_hex(0x30343c));
    cairo_fill(cr);
    cairo_restore(cr);
}

void stripe(cairo_t* cr, double x0, double y0, double x1, double y1, double w, Rgb c, double a) {
    cairo_save(cr);
    cairo_set_line_width(cr, w);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    set_rgb(cr, c, a);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void panel_pair(cairo_t* cr, double x0, double y0, double x1, double y1, double alpha) {
    panel_line(cr, x0, y0, x1, y1, 1.0, alpha);
    panel_line(cr, -x0, y0, -x1, y1, 1.0, alpha);
}

void exhaust(cairo_t* cr, double x, double y, double w, double len, Rgb c, double intensity) {
    engine_flame(cr, x, y, 0, 1, w, len, c, intensity);
}

double flicker(int f, int n, double lo, unsigned seed) {
    const double ph = kTau * f / n;
    const double s = 0.5 + 0.25 * std::sin(ph * 2 + seed) + 0.15 * std::sin(ph * 3 + seed * 1.7) +
        0.1 * std::sin(ph * 5 + seed * 2.3);
    return lo + (1 - lo) * clamp01(s);
}

double blink(double phase, double on, double len) {
    double d = phase - on;
    d -= std::floor(d);
    if (d < len) return 1.0 - 0.3 * (d / len);
    const double tail = (d - len) / 0.12;
    return tail < 1 ? 0.7 * (1 - tail) : 0.0;
}

}  // namespace assetgen::sprites::kit
