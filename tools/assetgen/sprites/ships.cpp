// The player's fighter ("StarWTex"), the pickups and medium fighter on
// "Ship1Tex", the gunship ("Ship0Tex") and the small fighters and mines
// ("Ship3Tex").
#include <cmath>
#include <functional>

#include "../common/draw.h"
#include "../common/noise.h"
#include "assets/sprite_layout.h"
#include "shipkit.h"
#include "sprites.h"

namespace assetgen::sprites {

using namespace gfx;
using namespace kit;

namespace {

// Draws frame f of a grid; `fn` sees the unit square, nose up. With
// nose_down the picture is turned half a turn.
void frame_cell(Canvas& c, const Grid& g, int f, double margin, bool nose_down, const std::function<void()>& fn) {
    in_cell(c.cr(), g.x(f), g.y(f), g.cell, g.cell, margin, [&] {
        if (nose_down) cairo_rotate(c.cr(), kPi);
        fn();
    });
}

}  // namespace

// ---------------------------------------------------------------- player ----
void player_ship(cairo_t* cr, int f) {
    const Palette& p = kPlayer;
    const double eng = flicker(f, 9, 0.7, 3);
    const double ph = f / 9.0;
    // Engine glow first, so the hull sits on it.
    for (double s : {-1.0, 1.0}) exhaust(cr, s * 0.3, 0.66, 0.075, 0.26 + 0.06 * eng, p.engine, eng);
    wings(cr, {{0.16, -0.15}, {0.88, 0.42}, {0.92, 0.64}, {0.62, 0.6}, {0.18, 0.5}}, p.light, p.dark);
    // Wing canards.
    wings(cr, {{0.12, -0.55}, {0.34, -0.28}, {0.34, -0.18}, {0.14, -0.24}}, p.light, p.dark);
    for (double s : {-1.0, 1.0}) pod(cr, s * 0.3, 0.34, 0.17, 0.62, p.light, p.dark);
    hull(cr, {{0, -0.96}, {0.08, -0.74}, {0.15, -0.34}, {0.21, 0.08}, {0.22, 0.56}, {0.13, 0.74}, {0, 0.7}}, p.light,
         p.dark);
    // Paint and panels.
    for (double s : {-1.0, 1.0}) {
        stripe(cr, s * 0.4, 0.3, s * 0.8, 0.5, 0.05, p.accent);
        panel_line(cr, s * 0.22, 0.0, s * 0.72, 0.42, 1.0, 0.45);
        panel_line(cr, s * 0.2, 0.52, s * 0.6, 0.58, 1.0, 0.4);
    }
    panel_line(cr, -0.12, 0.1, 0.12, 0.1, 1.0, 0.5);
    panel_line(cr, -0.14, 0.4, 0.14, 0.4, 1.0, 0.5);
    panel_line(cr, 0, 0.12, 0, 0.38, 1.0, 0.4);
    stripe(cr, 0, -0.9, 0, -0.62, 0.06, p.accent);
    canopy(cr, 0, -0.36, 0.085, 0.2, p.glass);
    // Gun tips on the canards.
    for (double s : {-1.0, 1.0}) barrel(cr, s * 0.24, -0.4, 0, -1, 0.22, 0.05);
    // Wingtip lights: port red, starboard green, alternating.
    nav_light(cr, -0.86, 0.58, 0.035, rgb_hex(0xff4040), blink(ph, 0.0, 0.3));
    nav_light(cr, 0.86, 0.58, 0.035, rgb_hex(0x40ff70), blink(ph, 0.5, 0.3));
    nav_light(cr, 0, 0.62, 0.03, {1, 1, 1}, 0.4 + 0.6 * blink(ph, 0.25, 0.12));
}

namespace {

void starw_tex(Output& out) {
    Canvas c(512, 512);
    const Grid g{3, 512.0 / 3};
    for (int f = 0; f < 9; ++f) frame_cell(c, g, f, 12, false, [&] { player_ship(c.cr(), f); });
    std::vector<Region> regs;
    add_frames(regs, "fighter", g, 9);
    out.textures.push_back(c.to_texture("StarWTex", std::move(regs)));
}

// --------------------------------------------------------------- henemy1 ----
void medium_fighter(cairo_t* cr, int f, int n) {
    const Palette& p = kRaider;
    const double eng = flicker(f, n, 0.6, 5);
    for (double s : {-1.0, 1.0}) exhaust(cr, s * 0.2, 0.6, 0.09, 0.3, p.engine, eng);
    wings(cr, {{0.2, -0.3}, {0.9, 0.05}, {0.95, 0.35}, {0.7, 0.45}, {0.22, 0.4}}, p.light, p.dark);
    hull(cr, {{0, -0.92}, {0.14, -0.6}, {0.28, 0.0}, {0.3, 0.5}, {0.18, 0.66}, {0, 0.6}}, p.light, p.dark);
    for (double s : {-1.0, 1.0}) {
        stripe(cr, s * 0.45, -0.1, s * 0.88, 0.12, 0.09, p.accent);
        barrel(cr, s * 0.62, -0.05, 0, -1, 0.35, 0.07);
    }
    canopy(cr, 0, -0.25, 0.1, 0.22, p.glass);
    nav_light(cr, 0, 0.5, 0.05, p.lamp, 0.3 + 0.7 * blink(double(f) / n, 0.0, 0.4));
}

// --------------------------------------------------------------- pickups ----
// A coin-like badge spinning about its vertical axis: `turn` in [0, 1) is half
// a revolution. `icon` draws in the badge's unit circle.
void badge(cairo_t* cr, double turn, Rgb rim, const std::function<void()>& icon) {
    const double k = std::cos(turn * kPi);
    const double w = std::max(0.3, std::fabs(k));
    // A backing plate that does not turn: a lit disc with a bright rim, so the
    // pickup reads on dark backgrounds (the help page's navy panel too) in
    // every frame, edge-on ones included.
    glow(cr, 0, 0, 1.0, rim, 0.6);
    cairo_arc(cr, 0, 0, 0.9, 0, kTau);
    set_rgb(cr, mix(rim, {1, 1, 1}, 0.55), 0.9);
    cairo_set_line_width(cr, 0.1);
    cairo_stroke(cr);
    cairo_save(cr);
    cairo_scale(cr, w, 1);
    cairo_arc(cr, 0, 0, 0.78, 0, kTau);
    shade_hull(cr, mix(rim, {1, 1, 1}, 0.55), scale(rim, 0.35));
    cairo_new_path(cr);
    cairo_arc(cr, 0, 0, 0.58, 0, kTau);
    set_rgb(cr, rgb_hex(0x10141c));
    cairo_fill(cr);
    icon();
    cairo_restore(cr);
    // Edge-on sheen.
    glow(cr, -0.25 * w, -0.35, 0.35, {1, 1, 1}, 0.35 * (1 - w * 0.5));
}

void gem_shape(cairo_t* cr, int kind, double sparkle) {
    // 0 ruby, 1 topaz, 2 diamond, 3 emerald.
    const Rgb cols[] = {rgb_hex(0xff2040), rgb_hex(0xffb020), rgb_hex(0xd8f0ff), rgb_hex(0x20e060)};
    const Rgb c = cols[kind];
    glow(cr, 0, 0, 1.0, c, 0.35);
    Pts outline;
    if (kind == 2) {
        outline = {{-0.75, -0.3}, {-0.4, -0.7}, {0.4, -0.7}, {0.75, -0.3}, {0, 0.8}};
    } else if (kind == 3) {
        outline = {{-0.45, -0.75}, {0.45, -0.75}, {0.7, -0.45}, {0.7, 0.45},
                   {0.45, 0.75},   {-0.45, 0.75}, {-0.7, 0.45}, {-0.7, -0.45}};
    } else if (kind == 1) {
        outline = {{0, -0.85}, {0.6, -0.35}, {0.6, 0.35}, {0, 0.85}, {-0.6, 0.35}, {-0.6, -0.35}};
    } else {
        outline = {{0, -0.8}, {0.75, -0.1}, {0.45, 0.65}, {-0.45, 0.65}, {-0.75, -0.1}};
    }
    plate(cr, outline, mix(c, {1, 1, 1}, kind == 2 ? 0.5 : 0.2), scale(c, 0.28));
    // Facets: lines from an inner table to the outline corners.
    for (auto [x, y] : outline) {
        cairo_move_to(cr, x * 0.45, y * 0.45 - 0.05);
        cairo_line_to(cr, x, y);
    }
    cairo_move_to(cr, outline[0].first * 0.45, outline[0].second * 0.45 - 0.05);
    for (auto [x, y] : outline) cairo_line_to(cr, x * 0.45, y * 0.45 - 0.05);
    cairo_close_path(cr);
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_line_width(cr, 0.6);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.5);
    cairo_stroke(cr);
    cairo_restore(cr);
    // The sparkle travels round the stone.
    const double a = sparkle * kTau;
    const double sx = 0.35 * std::cos(a) - 0.1, sy = 0.3 * std::sin(a) - 0.15;
    glow(cr, sx, sy, 0.45, {1, 1, 1}, 0.9, 0.3);
    cairo_save(cr);
    cairo_set_line_width(cr, 0.06);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.9);
    cairo_move_to(cr, sx - 0.4, sy);
    cairo_line_to(cr, sx + 0.4, sy);
    cairo_move_to(cr, sx, sy - 0.4);
    cairo_line_to(cr, sx, sy + 0.4);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void icon_laser(cairo_t* cr) {
    for (double x : {-0.25, 0.0, 0.25}) {
        cairo_set_line_width(cr, 0.1);
        cairo_set_source_rgba(cr, 1, 0.5, 0.3, 1);
        cairo_move_to(cr, x, -0.42);
        cairo_line_to(cr, x, 0.42);
        cairo_stroke(cr);
        cairo_set_line_width(cr, 0.04);
        cairo_set_source_rgba(cr, 1, 1, 0.9, 1);
        cairo_move_to(cr, x, -0.4);
        cairo_line_to(cr, x, 0.4);
        cairo_stroke(cr);
    }
}
void icon_plasma(cairo_t* cr) { glow(cr, 0, 0, 0.5, rgb_hex(0x50c8ff), 1.0, 0.45); }
void icon_shield(cairo_t* cr) {
    cairo_move_to(cr, 0, -0.45);
    cairo_curve_to(cr, 0.2, -0.35, 0.35, -0.35, 0.38, -0.35);
    cairo_curve_to(cr, 0.38, 0.1, 0.25, 0.32, 0, 0.46);
    cairo_curve_to(cr, -0.25, 0.32, -0.38, 0.1, -0.38, -0.35);
    cairo_curve_to(cr, -0.35, -0.35, -0.2, -0.35, 0, -0.45);
    cairo_close_path(cr);
    shade_hull(cr, rgb_hex(0xb0ffff), rgb_hex(0x106080));
    cairo_new_path(cr);
}
void icon_health(cairo_t* cr) {
    cairo_rectangle(cr, -0.13, -0.42, 0.26, 0.84);
    cairo_rectangle(cr, -0.42, -0.13, 0.84, 0.26);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    shade_hull(cr, rgb_hex(0xb0ffb0), rgb_hex(0x108030));
    cairo_new_path(cr);
}
void icon_rocket(cairo_t* cr) {
    // Two rockets side by side, noses up.
    for (double x : {-0.17, 0.17}) {
        exhaust(cr, x, 0.32, 0.08, 0.16, rgb_hex(0xff9040), 1.0);
        cairo_save(cr);
        cairo_translate(cr, x, 0);
        hull(cr, {{0, -0.5}, {0.09, -0.32}, {0.09, 0.3}, {0.16, 0.4}, {0.0, 0.36}}, rgb_hex(0xffffff),
             rgb_hex(0x8890a0));
        cairo_move_to(cr, 0, -0.5);
        cairo_line_to(cr, 0.09, -0.32);
        cairo_line_to(cr, -0.09, -0.32);
        cairo_close_path(cr);
        set_rgb(cr, rgb_hex(0xff4030));
        cairo_fill(cr);
        cairo_restore(cr);
    }
}
void icon_question(cairo_t* cr, cairo_font_face_t* face) {
    cairo_set_source_rgba(cr, 1, 0.9, 1, 1);
    text_centred(cr, face, 1.0, "?", 0, 0.02);
}

void pickup_row(Canvas& c, std::vector<Region>& regs, const std::string& name, double ubase, double vbase, int frames,
                int per_row, const std::function<void(int)>& draw) {
    for (int f = 0; f < frames; ++f) {
        const int col = f % per_row, row = f / per_row;
        const double x = ubase * 512 + 32 * col, y = vbase * 512 + 32 * row;
        const double x0 = std::round(x), y0 = std::round(y);
        in_cell(c.cr(), x0, y0, 32, 32, 3, [&] { draw(f); });
        regs.push_back({name + " " + std::to_string(f), int(x0), int(y0), 32, 32});
    }
}

void ship1_tex(Output& out) {
    Canvas c(512, 512);
    cairo_t* cr = c.cr();
    std::vector<Region> regs;
    const Grid g{8, 64};
    for (int f = 0; f < 5; ++f) frame_cell(c, g, f, 4, true, [&] { medium_fighter(cr, f, 5); });
    add_frames(regs, "henemy1", g, 5);

    cairo_font_face_t* bold = dejavu("DejaVuSans-Bold.ttf", "Ship1Tex");
    auto spin = [&](Rgb rim, std::function<void()> icon) {
        return [=](int f) { badge(cr, (f % 16) / 16.0, rim, icon); };
    };
    pickup_row(c, regs, "laser", 0, 0.5625, 16, 16, spin(rgb_hex(0xff6a30), [&] { icon_laser(cr); }));
    pickup_row(c, regs, "plasma", 0, 0.5, 16, 16, spin(rgb_hex(0x3aa0ff), [&] { icon_plasma(cr); }));
    pickup_row(c, regs, "shield", 0, 0.6875, 16, 16, spin(rgb_hex(0x30e0e0), [&] { icon_shield(cr); }));
    pickup_row(c, regs, "health", 0, 0.4375, 16, 16, spin(rgb_hex(0x40e060), [&] { icon_health(cr); }));
    pickup_row(c, regs, "rockets", 0, 0.75, 16, 16, spin(rgb_hex(0xd0d8e0), [&] { icon_rocket(cr); }));
    pickup_row(c, regs, "surprise", 0, 0.375, 16, 16, spin(rgb_hex(0xc050ff), [&] { icon_question(cr, bold); }));
    pickup_row(c, regs, "ruby", 0, 0.625, 8, 8, [&](int f) { gem_shape(cr, 0, f / 8.0); });
    pickup_row(c, regs, "topaz", 0.5, 0.625, 8, 8, [&](int f) { gem_shape(cr, 1, f / 8.0); });
    pickup_row(c, regs, "diamond", 0.5, 0.25, 8, 8, [&](int f) { gem_shape(cr, 2, f / 8.0); });
    pickup_row(c, regs, "emerald", 0.5, 0.3125, 8, 8, [&](int f) { gem_shape(cr, 3, f / 8.0); });
    // Death trap: a black spiked mine with a pulsing red eye.
    pickup_row(c, regs, "death", 0, 0.8125, 32, 16, [&](int f) {
        const double ph = f / 32.0;
        const double pulse = 0.5 + 0.5 * std::sin(ph * kTau * 2);
        glow(cr, 0, 0, 1.0, rgb_hex(0xff1010), 0.5 + 0.35 * pulse);
        // A bright warning ring behind the spikes: the mine is dark, the ring
        // keeps it visible on dark space and on the help page.
        cairo_arc(cr, 0, 0, 0.9, 0, kTau);
        set_rgb(cr, mix(rgb_hex(0xff3020), rgb_hex(0xffc040), 0.3 + 0.4 * pulse), 0.95);
        cairo_set_line_width(cr, 0.1);
        cairo_stroke(cr);
        cairo_save(cr);
        cairo_rotate(cr, ph * kTau / 4);  // 8 spikes: a quarter turn loops
        for (int i = 0; i < 8; ++i) {
            const double a = i * kTau / 8;
            cairo_move_to(cr, 0.88 * std::cos(a), 0.88 * std::sin(a));
            cairo_line_to(cr, 0.45 * std::cos(a + 0.28), 0.45 * std::sin(a + 0.28));
            cairo_line_to(cr, 0.45 * std::cos(a - 0.28), 0.45 * std::sin(a - 0.28));
            cairo_close_path(cr);
        }
        shade_hull(cr, rgb_hex(0x8a8090), rgb_hex(0x141018));
        cairo_new_path(cr);
        cairo_restore(cr);
        cairo_arc(cr, 0, 0, 0.55, 0, kTau);
        shade_hull(cr, rgb_hex(0x504850), rgb_hex(0x0a080a));
        cairo_new_path(cr);
        // Eye slit.
        ellipse(cr, 0, 0, 0.34, 0.16 + 0.08 * pulse);
        set_rgb(cr, mix(rgb_hex(0x600000), rgb_hex(0xff3020), pulse));
        cairo_fill(cr);
        ellipse(cr, 0, 0, 0.07, 0.15);
        set_rgb(cr, rgb_hex(0x100000));
        cairo_fill(cr);
        glow(cr, 0, 0, 0.5, rgb_hex(0xff4020), 0.5 * pulse);
    });
    out.textures.push_back(c.to_texture("Ship1Tex", std::move(regs)));
}

// --------------------------------------------------------------- gunship ----
// "Ship0Tex": the gunship, drawn nose up; the game turns it to aim.
void gunship(cairo_t* cr, int f, int n) {
    const Palette& p = kSteel;
    // Three light cycles per 16-frame loop: the elite plays all 16 frames,
    // the gunship only the first five, which then make almost one cycle.
    const double ph = 3.0 * f / n;
    const double eng = 0.82 + 0.18 * std::sin(ph * kTau);
    for (double s : {-1.0, 1.0}) exhaust(cr, s * 0.22, 0.7, 0.1, 0.22, p.engine, eng);
    exhaust(cr, 0, 0.78, 0.12, 0.18, p.engine, eng);
    wings(cr, {{0.3, -0.2}, {0.86, 0.1}, {0.86, 0.5}, {0.62, 0.62}, {0.3, 0.5}}, p.light, p.dark);
    // Gun pods with barrels forward.
    for (double s : {-1.0, 1.0}) {
        pod(cr, s * 0.62, 0.05, 0.2, 0.7, p.light, p.dark);
        barrel(cr, s * 0.62, -0.28, 0, -1, 0.45, 0.08);
    }
    hull(cr, {{0, -0.88}, {0.16, -0.7}, {0.3, -0.25}, {0.34, 0.4}, {0.26, 0.74}, {0, 0.8}}, p.light, p.dark);
    for (double s : {-1.0, 1.0}) {
        panel_line(cr, s * 0.3, 0.0, s * 0.86, 0.3, 1.0, 0.5);
        stripe(cr, s * 0.62, 0.22, s * 0.62, 0.36, 0.2, p.accent);
    }
    panel_line(cr, -0.28, 0.1, 0.28, 0.1, 1.0, 0.5);
    panel_line(cr, -0.3, 0.45, 0.3, 0.45, 1.0, 0.5);
    // Rotating sensor dome: a light sweeping round it.
    cairo_arc(cr, 0, 0.28, 0.14, 0, kTau);
    shade_hull(cr, rgb_hex(0x9aa4b4), rgb_hex(0x1a1e26));
    cairo_new_path(cr);
    const double a = ph * kTau;
    glow(cr, 0.09 * std::cos(a), 0.28 + 0.09 * std::sin(a), 0.12, p.lamp, 0.9, 0.3);
    canopy(cr, 0, -0.4, 0.11, 0.2, p.glass);
    nav_light(cr, -0.84, 0.5, 0.04, p.lamp, blink(ph, 0.0, 0.25));
    nav_light(cr, 0.84, 0.5, 0.04, p.lamp, blink(ph, 0.5, 0.25));
}

void ship0_tex(Output& out) {
    Canvas c(512, 512);
    const Grid g{4, 128};
    for (int f = 0; f < 16; ++f) frame_cell(c, g, f, 6, false, [&] { gunship(c.cr(), f, 16); });
    std::vector<Region> regs;
    add_frames(regs, "gunship", g, 16);
    out.textures.push_back(c.to_texture("Ship0Tex", std::move(regs)));
}

// ----------------------------------------------------------- small craft ----
// senemy1: a small fighter making one full roll over the loop.
void small_fighter(cairo_t* cr, int f, int n) {
    const double th = kTau * f / n;
    const double k = std::cos(th);
    const bool top = k >= 0;
    const Palette& p = kViolet;
    const Rgb light = top ? p.light : mix(p.light, rgb_hex(0x503060), 0.5);
    const Rgb dark = top ? p.dark : scale(p.dark, 0.7);
    const double w = std::max(0.1, std::fabs(k));
    exhaust(cr, 0, 0.55, 0.1, 0.32, p.engine, 0.8 + 0.2 * std::fabs(std::sin(th * 3)));
    cairo_save(cr);
    cairo_scale(cr, w, 1);
    wings(cr, {{0.15, -0.2}, {0.9, 0.35}, {0.85, 0.55}, {0.15, 0.42}}, light, dark);
    hull(cr, {{0, -0.9}, {0.14, -0.5}, {0.2, 0.3}, {0.12, 0.6}, {0, 0.55}}, light, dark);
    if (top) {
        canopy(cr, 0, -0.2, 0.09, 0.2, p.glass);
        stripe(cr, 0.3, 0.22, 0.8, 0.45, 0.08, p.accent);
        stripe(cr, -0.3, 0.22, -0.8, 0.45, 0.08, p.accent);
    } else {
        panel_line(cr, -0.1, 0.0, 0.1, 0.0, 1.0, 0.6);
        for (double s : {-1.0, 1.0}) nav_light(cr, s * 0.5, 0.35, 0.05, p.lamp, 0.8);
    }
    cairo_restore(cr);
    // Wingtip lights stay visible through the roll.
    nav_light(cr, -0.85 * k, 0.48, 0.05, rgb_hex(0xff4080), 0.9);
    nav_light(cr, 0.85 * k, 0.48, 0.05, rgb_hex(0xff4080), 0.9);
}

// senemy2: a spinning mine drone with four emitters.
void mine_drone(cairo_t* cr, int f, int n) {
    const double a = (double(f) / n) * kTau / 4;  // four-fold: a quarter turn loops
    glow(cr, 0, 0, 0.95, rgb_hex(0xff9030), 0.25);
    cairo_save(cr);
    cairo_rotate(cr, a);
    for (int i = 0; i < 4; ++i) {
        cairo_save(cr);
        cairo_rotate(cr, i * kPi / 2);
        plate(cr, {{-0.16, -0.3}, {0.16, -0.3}, {0.1, -0.82}, {-0.1, -0.82}}, rgb_hex(0xd0c0a0), rgb_hex(0x3a3020));
        nav_light(cr, 0, -0.72, 0.07, rgb_hex(0xffa040), 0.6 + 0.4 * std::sin(f * kTau / n * 2 + i));
        cairo_restore(cr);
    }
    cairo_arc(cr, 0, 0, 0.45, 0, kTau);
    shade_hull(cr, rgb_hex(0xc8b090), rgb_hex(0x2a2218));
    cairo_new_path(cr);
    for (int i = 0; i < 4; ++i) {
        const double b = i * kPi / 2 + kPi / 4;
        panel_line(cr, 0.18 * std::cos(b), 0.18 * std::sin(b), 0.42 * std::cos(b), 0.42 * std::sin(b), 1.0, 0.55);
    }
    cairo_restore(cr);
    cairo_arc(cr, 0, 0, 0.2, 0, kTau);
    set_rgb(cr, rgb_hex(0x201008));
    cairo_fill(cr);
    glow(cr, 0, 0, 0.22, rgb_hex(0xff6020), 0.95, 0.35);
}

void ship3_tex(Output& out) {
    Canvas c(512, 512);
    const Grid g{8, 64};
    for (int f = 0; f < 40; ++f) frame_cell(c, g, f, 4, true, [&] { small_fighter(c.cr(), f, 40); });
    for (int f = 0; f < 24; ++f) frame_cell(c, g, 40 + f, 5, false, [&] { mine_drone(c.cr(), f, 24); });
    std::vector<Region> regs;
    add_frames(regs, "senemy1", g, 40);
    add_frames(regs, "senemy2", g, 24, 40);
    out.textures.push_back(c.to_texture("Ship3Tex", std::move(regs)));
}

}  // namespace

void ships(Output& out) {
    starw_tex(out);
    ship1_tex(out);
    ship0_tex(out);
    ship3_tex(out);
}

}  // namespace assetgen::sprites
