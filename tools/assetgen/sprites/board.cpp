// "BoardTex": the left instrument panel and frame of the play screen, the
// fills of its bars and gauges, and small effect pieces (sparks, beads,
// muzzle flash, shield dash, caret, ship icon, menu emblem).
#include <cmath>

#include "../common/draw.h"
#include "../common/noise.h"
#include "assets/sprite_layout.h"
#include "shipkit.h"
#include "sprites.h"

namespace assetgen::sprites {

using namespace gfx;
using layout::Rect;

namespace {

Region reg(const std::string& label, const Rect& r) { return {label, r.x, r.y, r.w, r.h}; }

const Rgb kPanelLight = rgb_hex(0x6a7890), kPanelDark = rgb_hex(0x1a2030), kLabel = rgb_hex(0xcfe6ff);

// A recessed window (screen pixels of the panel).
void recess(cairo_t* cr, double x, double y, double w, double h, double r = 3) {
    round_rect(cr, x, y, w, h, r);
    fill_device_gradient(cr, 0, 0, 0, 1, rgb_hex(0x05070c), rgb_hex(0x05070c));
    cairo_new_path(cr);
    round_rect(cr, x, y, w, h, r);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgba(p, 0, 0, 0, 0, 0.9);
    cairo_pattern_add_color_stop_rgba(p, 0.5, 0.05, 0.08, 0.12, 0.9);
    cairo_pattern_add_color_stop_rgba(p, 1, 0.1, 0.14, 0.2, 0.9);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // Highlight on the lower lip, shadow on the upper.
    cairo_set_line_width(cr, 1.0);
    cairo_set_source_rgba(cr, 0.8, 0.9, 1.0, 0.35);
    cairo_move_to(cr, x + r, y + h + 0.5);
    cairo_line_to(cr, x + w - r, y + h + 0.5);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.7);
    cairo_move_to(cr, x + r, y - 0.5);
    cairo_line_to(cr, x + w - r, y - 0.5);
    cairo_stroke(cr);
}

void label(cairo_t* cr, cairo_font_face_t* f, double size, const std::string& s, double x, double y) {
    cairo_set_source_rgba(cr, 0, 0, 0, 0.8);
    text(cr, f, size, s, x + 0.8, y + 0.8);
    set_rgb(cr, kLabel);
    text(cr, f, size, s, x, y);
}

void gauge_ticks(cairo_t* cr, double x, double y0, double y1, int levels) {
    for (int i = 0; i <= levels; ++i) {
        const double y = y1 - (y1 - y0) * i / levels;
        cairo_set_line_width(cr, 1.2);
        cairo_set_source_rgba(cr, 0.6, 0.85, 1.0, 0.8);
        cairo_move_to(cr, x - 7, y);
        cairo_line_to(cr, x - 2, y);
        cairo_stroke(cr);
    }
}

// The whole left panel, drawn in screen pixels (100 x 600 at 800 x 600).
void panel(Canvas& c) {
    cairo_t* cr = c.cr();
    const Rect r = layout::kBoardPanel;
    cairo_font_face_t* bold = dejavu("DejaVuSans-Bold.ttf", "BoardTex");
    cairo_font_face_t* cond = dejavu("DejaVuSansCondensed-Bold.ttf", "BoardTex");
    cairo_save(cr);
    cairo_rectangle(cr, r.x, r.y, r.w, r.h);
    cairo_clip(cr);
    cairo_scale(cr, r.w / 100.0, r.h / 600.0);
    // Body: brushed dark metal with a vertical sheen.
    cairo_rectangle(cr, 0, 0, 100, 600);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 100, 0);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.1, 0.12, 0.17);
    cairo_pattern_add_color_stop_rgb(p, 0.3, 0.24, 0.28, 0.36);
    cairo_pattern_add_color_stop_rgb(p, 0.7, 0.17, 0.2, 0.27);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.08, 0.1, 0.14);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_restore(cr);
    // Brushed streaks, by pixel.
    {
        Noise n(4242);
        c.begin_pixels();
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) {
                const double v = n.fbm(x * 0.5, y * 0.03, 3);
                c.blend(x, y, v > 0.5 ? Rgb{1, 1, 1} : Rgb{0, 0, 0}, std::fabs(v - 0.5) * 0.18);
            }
        c.end_pixels();
    }
    cairo_save(cr);
    cairo_rectangle(cr, r.x, r.y, r.w, r.h);
    cairo_clip(cr);
    cairo_scale(cr, r.w / 100.0, r.h / 600.0);
    // Bevelled border: light on the left, dark on the right edge, and a
    // glowing seam down the right side where the panel meets the playfield.
    cairo_set_line_width(cr, 3);
    cairo_set_source_rgba(cr, 0.75, 0.82, 0.95, 0.55);
    cairo_move_to(cr, 1.5, 0);
    cairo_line_to(cr, 1.5, 600);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.8);
    cairo_move_to(cr, 96.5, 0);
    cairo_line_to(cr, 96.5, 600);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 1.2);
    cairo_set_source_rgba(cr, 0.3, 0.7, 1.0, 0.9);
    cairo_move_to(cr, 99.2, 0);
    cairo_line_to(cr, 99.2, 600);
    cairo_stroke(cr);
    for (double y : {4.0, 596.0}) {
        cairo_set_line_width(cr, 2);
        cairo_set_source_rgba(cr, 0.6, 0.7, 0.85, 0.5);
        cairo_move_to(cr, 4, y);
        cairo_line_to(cr, 94, y);
        cairo_stroke(cr);
    }
    // Section dividers with rivets.
    for (double y : {100.0, 180.0, 440.0, 545.0}) {
        panel_line(cr, 6, y, 94, y, 1.2, 0.7);
        for (double x : {8.0, 92.0}) {
            cairo_arc(cr, x, y - 5, 1.4, 0, kTau);
            cairo_set_source_rgba(cr, 0.75, 0.82, 0.95, 0.8);
            cairo_fill(cr);
        }
    }

    // Ship icon slots (the game draws up to three icons here).
    const Rect si = layout::kPanelShipIcons;
    for (int i = 0; i < 3; ++i) recess(cr, si.x + i * 24 + 1, si.y, 22, si.h, 4);
    // Title.
    set_rgb(cr, rgb_hex(0x3aa0ff), 0.35);
    glow(cr, 50, 72, 40, rgb_hex(0x2a70ff), 0.35);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.8);
    text_centred(cr, bold, fit_text(cr, bold, "DUSKWHIRL", 84, 14, 14), "DUSKWHIRL", 50.8, 66.8);
    set_rgb(cr, rgb_hex(0xe8f4ff));
    text_centred(cr, bold, fit_text(cr, bold, "DUSKWHIRL", 84, 14, 14), "DUSKWHIRL", 50, 66);
    // The logo's "2", not a Roman numeral.
    set_rgb(cr, rgb_hex(0x50b0ff));
    text_centred(cr, bold, 14, "2", 50, 85);

    // Body and energy bars: troughs around the bar rectangles.
    label(cr, cond, 10, "Body:", 16, 118);
    recess(cr, 14, 121.5, 72, 13.5, 3);
    label(cr, cond, 10, "Energy:", 16, 151.5);
    recess(cr, 14, 155, 72, 14, 3);

    // Laser and plasma gauges (vertical, growing upward).
    label(cr, cond, 10, "Laser", 12, 248);
    recess(cr, 61.5, 192, 13, 105, 3);
    gauge_ticks(cr, 61, 195, 279, 3);
    label(cr, cond, 10, "Plasma", 10, 380);
    recess(cr, 61.5, 322.5, 13, 105, 3);
    gauge_ticks(cr, 61, 325.5, 423, 2);
    // Small lamps beside the gauge labels.
    nav_light(cr, 24, 262, 2.2, rgb_hex(0xff6a30), 0.9);
    nav_light(cr, 24, 394, 2.2, rgb_hex(0x3aa0ff), 0.9);

    // Rockets and score read-outs.
    const Rect rk = layout::kPanelRocketsDigits, sc = layout::kPanelScoreDigits;
    // The rockets read-out: two pods side by side (the count, then "left"),
    // each a capsule with a fin and its own read-out window over five glyph
    // places.
    label(cr, cond, 10, "Rockets", 14, rk.y - 7);
    for (int side = 0; side < 2; ++side) {
        const double half = rk.w / 2.0;
        const double x0 = rk.x + side * half, x1 = x0 + half;
        const double outer = side ? x1 + 1.5 : x0 - 1.5;  // the fin side
        // Fin: a small swept plate on the pod's outer side.
        const double fs = side ? 1.0 : -1.0;
        cairo_move_to(cr, outer, rk.y - 1);
        cairo_line_to(cr, outer + fs * 4.5, rk.y + 3);
        cairo_line_to(cr, outer + fs * 4.5, rk.y + rk.h + 2);
        cairo_line_to(cr, outer, rk.y + rk.h + 1);
        cairo_close_path(cr);
        shade_hull(cr, rgb_hex(0x8a96ac), rgb_hex(0x1a2030), 0.7);
        cairo_new_path(cr);
        // Pod casing: rounded toward the fin, square where the two pods meet.
        const double cx0 = side ? x0 + 0.8 : x0 - 2.5, cx1 = side ? x1 + 2.5 : x1 - 0.8;
        round_rect(cr, cx0, rk.y - 3.5, cx1 - cx0, rk.h + 7, 6);
        shade_hull(cr, rgb_hex(0x7c889e), rgb_hex(0x182030), 0.8);
        cairo_new_path(cr);
        // Tube mouths at the front (bottom) of the casing.
        for (int t = 0; t < 3; ++t) {
            const double tx = x0 + half * (0.3 + 0.2 * t);
            cairo_arc(cr, tx, rk.y + rk.h + 2.2, 0.9, 0, kTau);
            cairo_set_source_rgba(cr, 0.02, 0.03, 0.05, 0.9);
            cairo_fill(cr);
        }
        recess(cr, x0 + (side ? 1.6 : 0.2), rk.y - 1.2, half - 1.8, rk.h + 2.4, 2.5);
        nav_light(cr, side ? x1 + 0.6 : x0 - 0.6, rk.y - 2.5, 1.1, rgb_hex(0xff7a30), 0.8);
    }
    label(cr, cond, 10, "Score", 14, sc.y - 5);
    recess(cr, sc.x - 2, sc.y - 2, sc.w + 4, sc.h + 4, 3);

    // Pulse light slot.
    recess(cr, 15, 555, 72, 18, 5);
    cairo_restore(cr);
}

void bar_fill(Canvas& c) {
    // B3: vertical profile across the bar's thickness (v 0.069 -> 0.118).
    cairo_t* cr = c.cr();
    const double y0 = 0.069 * 512, y1 = 0.118 * 512;
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgb(p, 0.0, 0.05, 0.35, 0.15);
    cairo_pattern_add_color_stop_rgb(p, 0.3, 0.55, 1.0, 0.6);
    cairo_pattern_add_color_stop_rgb(p, 0.45, 0.85, 1.0, 0.85);
    cairo_pattern_add_color_stop_rgb(p, 1.0, 0.05, 0.4, 0.15);
    cairo_set_source(cr, p);
    cairo_rectangle(cr, 264, 32, 16, 32);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

void level_fill(Canvas& c) {
    // B4: horizontal profile across the gauge's width (u 0.819 -> 0.868).
    cairo_t* cr = c.cr();
    const double x0 = 0.819 * 512, x1 = 0.868 * 512;
    cairo_pattern_t* p = cairo_pattern_create_linear(x0, 0, x1, 0);
    cairo_pattern_add_color_stop_rgb(p, 0.0, 0.5, 0.15, 0.02);
    cairo_pattern_add_color_stop_rgb(p, 0.35, 1.0, 0.75, 0.3);
    cairo_pattern_add_color_stop_rgb(p, 0.5, 1.0, 0.95, 0.75);
    cairo_pattern_add_color_stop_rgb(p, 1.0, 0.5, 0.15, 0.02);
    cairo_set_source(cr, p);
    cairo_rectangle(cr, 416, 144, 32, 12);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// A soft white dot. With `additive` its RGB fades to black along with its
// alpha, so it also looks right where it is drawn with additive blending.
void soft_white(Canvas& c, const Rect& r, double peak, double power, bool additive = false) {
    const double cx = r.x + r.w / 2.0, cy = r.y + r.h / 2.0;
    const double R = std::min(r.w, r.h) / 2.0 - 2.5;
    c.begin_pixels();
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / R;
            if (d >= 1) continue;
            const double a = peak * std::pow(1 - d, power);
            const double k = additive ? std::min(1.0, a * 1.3) : 1.0;
            c.blend(x, y, {k, k, k}, a);
        }
    c.end_pixels();
}

void pulse_light(Canvas& c) {
    // B5: a long lamp, hot in the middle.
    cairo_t* cr = c.cr();
    const Rect r = layout::kBoardPulse;
    round_rect(cr, r.x + 3, r.y + 8, r.w - 6, r.h - 16, 7);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, r.y + 8, 0, r.y + r.h - 8);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.1, 0.4, 0.6);
    cairo_pattern_add_color_stop_rgb(p, 0.45, 0.7, 0.95, 1.0);
    cairo_pattern_add_color_stop_rgb(p, 0.55, 0.9, 1.0, 1.0);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.05, 0.3, 0.5);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    glow(cr, r.x + r.w / 2.0, r.y + r.h / 2.0, 12, {1, 1, 1}, 0.5);
}

void small_pieces(Canvas& c) {
    cairo_t* cr = c.cr();
    // Ship icon: the player's fighter, nose up, in miniature.
    const Rect ic = layout::kBoardShipIcon;
    in_cell(cr, ic.x, ic.y, ic.w, ic.h, 3, [&] {
        const auto& p = kit::kPlayer;
        kit::wings(cr, {{0.16, -0.15}, {0.88, 0.42}, {0.92, 0.64}, {0.62, 0.6}, {0.18, 0.5}}, p.light, p.dark);
        kit::hull(cr, {{0, -0.96}, {0.12, -0.6}, {0.2, 0.08}, {0.22, 0.56}, {0.13, 0.74}, {0, 0.7}}, p.light, p.dark);
        canopy(cr, 0, -0.3, 0.1, 0.22, p.glass);
        for (double s : {-1.0, 1.0}) kit::stripe(cr, s * 0.4, 0.3, s * 0.8, 0.5, 0.08, p.accent);
    });
    soft_white(c, layout::kBoardShipIconBack, 0.6, 1.5);
    // Muzzle flash: a bright tongue pointing up with a round base.
    const Rect mf = layout::kBoardMuzzleFlash;
    in_cell(cr, mf.x, mf.y, mf.w, mf.h, 3, [&] {
        glow(cr, 0, 0.45, 0.55, rgb_hex(0xffe0a0), 0.9, 0.3);
        cairo_move_to(cr, -0.22, 0.45);
        cairo_curve_to(cr, -0.2, 0.0, -0.06, -0.6, 0, -0.95);
        cairo_curve_to(cr, 0.06, -0.6, 0.2, 0.0, 0.22, 0.45);
        cairo_close_path(cr);
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 0.45, 0, -0.95);
        cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 1);
        cairo_pattern_add_color_stop_rgba(p, 0.5, 1, 0.9, 0.6, 0.8);
        cairo_pattern_add_color_stop_rgba(p, 1, 1, 0.7, 0.3, 0);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    });
    // Shield dash: white energy stroke on black, alpha matching brightness.
    const Rect sd = layout::kBoardShieldDash;
    {
        const double cx = sd.x + sd.w / 2.0, cy = sd.y + sd.h / 2.0;
        c.begin_pixels();
        for (int y = sd.y + 2; y < sd.y + sd.h - 2; ++y)
            for (int x = sd.x + 2; x < sd.x + sd.w - 2; ++x) {
                const double dx = (x + 0.5 - cx) / (sd.w / 2.0 - 3), dy = (y + 0.5 - cy) / (sd.h / 2.0 - 3);
                const double core = std::max(0.0, 1 - std::hypot(dx * 0.9, dy * 2.2));
                const double halo = std::max(0.0, 1 - std::hypot(dx, dy));
                const double a = clamp01(core * 1.4 + halo * halo * 0.5);
                const double w = clamp01(core * 1.6);
                c.blend(x, y, scale(mix(rgb_hex(0x40c8ff), {1, 1, 1}, w), std::min(1.0, a * 1.2)), a);
            }
        c.end_pixels();
    }
    // Caret: a bright vertical bar.
    const Rect ca = layout::kBoardCaret;
    round_rect(cr, ca.x + 5, ca.y + 3, ca.w - 10, ca.h - 6, 2);
    set_rgb(cr, {0.95, 1.0, 1.0});
    cairo_fill(cr);
    // Flash trim: the game stretches this cell down the panel's inner edge
    // (about 6 x 195 px per quad) and tints it (85, 0, 0) at rest, bright red
    // to white on damage. So it is a dark rail, the panel's own edge, with a
    // row of light lamp lenses in it: at rest they read as unlit red
    // indicator lamps in the frame, on damage they light up.
    const Rect ft = layout::kBoardFlashTrim;
    cairo_rectangle(cr, ft.x, ft.y, ft.w, ft.h);
    cairo_pattern_t* rail = cairo_pattern_create_linear(ft.x, 0, ft.x + ft.w, 0);
    cairo_pattern_add_color_stop_rgb(rail, 0.0, 0.02, 0.02, 0.03);
    cairo_pattern_add_color_stop_rgb(rail, 0.15, 0.16, 0.17, 0.2);
    cairo_pattern_add_color_stop_rgb(rail, 0.3, 0.05, 0.05, 0.06);
    cairo_pattern_add_color_stop_rgb(rail, 0.7, 0.05, 0.05, 0.06);
    cairo_pattern_add_color_stop_rgb(rail, 0.85, 0.12, 0.13, 0.15);
    cairo_pattern_add_color_stop_rgb(rail, 1.0, 0.02, 0.02, 0.03);
    cairo_set_source(cr, rail);
    cairo_fill(cr);
    cairo_pattern_destroy(rail);
    for (int i = 0; i < 4; ++i) {  // four lenses per quad, 2.5 texels apart
        const double y = ft.y + 1.25 + i * 8.0;
        round_rect(cr, ft.x + 10, y, ft.w - 20, 5.5, 2.5);
        cairo_pattern_t* lens = cairo_pattern_create_linear(ft.x + 10, 0, ft.x + ft.w - 10, 0);
        cairo_pattern_add_color_stop_rgb(lens, 0.0, 0.55, 0.55, 0.55);
        cairo_pattern_add_color_stop_rgb(lens, 0.4, 1.0, 1.0, 1.0);
        cairo_pattern_add_color_stop_rgb(lens, 1.0, 0.6, 0.6, 0.6);
        cairo_set_source(cr, lens);
        cairo_fill(cr);
        cairo_pattern_destroy(lens);
    }
    // Sparks and beads (fixed cells).
    soft_white(c, layout::kBoardSpark, 1.0, 1.7, true);
    {
        const Rect hd = layout::kBoardHaloDot;
        soft_white(c, hd, 0.7, 2.0);
        soft_white(c, {hd.x + 8, hd.y + 8, 16, 16}, 1.0, 0.8);
    }
}

void menu_decor(Canvas& c) {
    cairo_t* cr = c.cr();
    const Rect r = layout::kBoardMenuDecor;
    cairo_font_face_t* bold = dejavu("DejaVuSans-Bold.ttf", "BoardTex");
    cairo_save(cr);
    cairo_rectangle(cr, r.x + 2, r.y + 2, r.w - 4, r.h - 4);
    cairo_clip(cr);
    // A bevelled plate with the fighter emblem and wings.
    Rgb L = rgb_hex(0x8a98b0), D = rgb_hex(0x1a2030);
    const double cx = r.x + r.w / 2.0, cy = r.y + r.h / 2.0;
    cairo_move_to(cr, r.x + 6, cy);
    cairo_line_to(cr, r.x + 26, r.y + 6);
    cairo_line_to(cr, r.x + r.w - 26, r.y + 6);
    cairo_line_to(cr, r.x + r.w - 6, cy);
    cairo_line_to(cr, r.x + r.w - 26, r.y + r.h - 6);
    cairo_line_to(cr, r.x + 26, r.y + r.h - 6);
    cairo_close_path(cr);
    shade_hull(cr, L, D);
    cairo_new_path(cr);
    round_rect(cr, r.x + 22, r.y + 12, r.w - 44, r.h - 24, 6);
    set_rgb(cr, rgb_hex(0x0a0e18));
    cairo_fill(cr);
    glow(cr, cx, cy, 34, rgb_hex(0x2a80ff), 0.5);
    set_rgb(cr, rgb_hex(0xe8f4ff));
    text_centred(cr, bold, fit_text(cr, bold, "DW2", r.w - 60, r.h - 36, 40), "DW2", cx, cy);
    for (double s : {-1.0, 1.0}) nav_light(cr, cx + s * (r.w / 2.0 - 14), cy, 3, rgb_hex(0x50c8ff), 1.0);
    cairo_restore(cr);
}

void frame_strips(Canvas& c) {
    cairo_t* cr = c.cr();
    auto bar = [&](const Rect& r, bool horizontal) {
        cairo_pattern_t* p = horizontal ? cairo_pattern_create_linear(0, r.y, 0, r.y + r.h)
                                        : cairo_pattern_create_linear(r.x, 0, r.x + r.w, 0);
        cairo_pattern_add_color_stop_rgb(p, 0.0, 0.05, 0.06, 0.09);
        cairo_pattern_add_color_stop_rgb(p, 0.12, 0.55, 0.62, 0.75);
        cairo_pattern_add_color_stop_rgb(p, 0.4, 0.26, 0.3, 0.4);
        cairo_pattern_add_color_stop_rgb(p, 0.62, 0.2, 0.24, 0.32);
        cairo_pattern_add_color_stop_rgb(p, 0.72, 0.3, 0.65, 1.0);
        cairo_pattern_add_color_stop_rgb(p, 0.8, 0.14, 0.17, 0.24);
        cairo_pattern_add_color_stop_rgb(p, 1.0, 0.04, 0.05, 0.08);
        cairo_set_source(cr, p);
        cairo_rectangle(cr, r.x, r.y, r.w, r.h);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    };
    bar(layout::kBoardFrameH, true);
    bar(layout::kBoardFrameV, false);
}

}  // namespace

void board(Output& out) {
    Canvas c(512, 512);
    panel(c);
    bar_fill(c);
    level_fill(c);
    pulse_light(c);
    small_pieces(c);
    menu_decor(c);
    frame_strips(c);
    std::vector<Region> regs = {
        reg("B6 panel", layout::kBoardPanel),
        {"B3 bar fill", 271, 35, 2, 26},
        {"B4 level fill", 419, 149, 26, 2},
        reg("B5 pulse light", layout::kBoardPulse),
        reg("B1 trail spark", layout::kBoardSpark),
        reg("B2 halo dot", layout::kBoardHaloDot),
        reg("B7 ship icon", layout::kBoardShipIcon),
        reg("B7 icon backing", layout::kBoardShipIconBack),
        reg("B8 muzzle flash", layout::kBoardMuzzleFlash),
        reg("B9 shield dash", layout::kBoardShieldDash),
        reg("B12 caret", layout::kBoardCaret),
        reg("flash trim", layout::kBoardFlashTrim),
        reg("B11 menu emblem", layout::kBoardMenuDecor),
        reg("frame strip h", layout::kBoardFrameH),
        reg("frame strip v", layout::kBoardFrameV),
    };
    out.textures.push_back(c.to_texture("BoardTex", std::move(regs)));
}

}  // namespace assetgen::sprites
