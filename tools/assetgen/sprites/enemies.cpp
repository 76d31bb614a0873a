// The enemy sheets. Every craft flies nose down (the drawings are made nose up
// and turned), fits its cell with a clear margin and loops its animation.
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

using DrawFn = std::function<void(cairo_t*, int f, int n)>;

// Renders `frames` cells of a `cols`-column grid on a 512 sheet.
void sheet(Output& out, const std::string& name, const std::string& label, int cols, int frames, double margin,
           bool nose_down, const DrawFn& draw) {
    Canvas c(512, 512);
    const Grid g{cols, 512.0 / cols};
    for (int f = 0; f < frames; ++f)
        in_cell(c.cr(), g.x(f), g.y(f), g.cell, g.cell, margin, [&] {
            if (nose_down) cairo_rotate(c.cr(), kPi);
            draw(c.cr(), f, frames);
        });
    std::vector<Region> regs;
    add_frames(regs, label, g, frames);
    out.textures.push_back(c.to_texture(name, std::move(regs)));
}

// ----------------------------------------------------------------- station --
void station(cairo_t* cr, int f, int n) {
    const Palette& p = kOlive;
    const double ph = double(f) / n;
    glow(cr, 0, 0, 1.0, p.engine, 0.18);
    // Outer ring turns a quarter over the loop (four-fold symmetric).
    cairo_save(cr);
    cairo_rotate(cr, ph * kPi / 2);
    for (int i = 0; i < 4; ++i) {
        cairo_save(cr);
        cairo_rotate(cr, i * kPi / 2);
        plate(cr, {{-0.12, -0.35}, {0.12, -0.35}, {0.1, -0.72}, {-0.1, -0.72}}, p.light, p.dark);
        pod(cr, 0, -0.8, 0.34, 0.2, p.light, p.dark);
        nav_light(cr, 0, -0.8, 0.045, p.lamp, 0.5 + 0.5 * std::cos((ph * 4 + i * 0.25) * kTau));
        cairo_restore(cr);
    }
    cairo_restore(cr);
    cairo_arc(cr, 0, 0, 0.58, 0, kTau);
    cairo_arc_negative(cr, 0, 0, 0.42, kTau, 0);
    shade_hull(cr, p.light, p.dark);
    cairo_new_path(cr);
    // Chasing lights round the ring: 12 lamps, one step per frame.
    for (int i = 0; i < 12; ++i) {
        const double a = i * kTau / 12;
        const int d = ((i - f) % 12 + 12) % 12;
        const double on = d == 0 ? 1.0 : d == 1 ? 0.55 : d == 2 ? 0.25 : 0.08;
        nav_light(cr, 0.5 * std::cos(a), 0.5 * std::sin(a), 0.035, p.accent, on);
    }
    cairo_arc(cr, 0, 0, 0.36, 0, kTau);
    shade_hull(cr, mix(p.light, {1, 1, 1}, 0.2), p.dark);
    cairo_new_path(cr);
    for (int i = 0; i < 4; ++i) {
        const double a = i * kPi / 2 + kPi / 4;
        panel_line(cr, 0.14 * std::cos(a), 0.14 * std::sin(a), 0.34 * std::cos(a), 0.34 * std::sin(a), 1.0, 0.5);
    }
    canopy(cr, 0, 0, 0.14, 0.14, rgb_hex(0x60ff90));
}

// ----------------------------------------------------------------- cannons --
void turret_base(cairo_t* cr, const Palette& p) {
    Pts oct;
    for (int i = 0; i < 8; ++i)
        oct.push_back({0.64 * std::cos(i * kPi / 4 + kPi / 8), 0.64 * std::sin(i * kPi / 4 + kPi / 8)});
    plate(cr, oct, scale(p.light, 0.8), p.dark);
    for (int i = 0; i < 8; ++i) {
        const double a = i * kPi / 4;
        cairo_arc(cr, 0.54 * std::cos(a), 0.54 * std::sin(a), 0.035, 0, kTau);
        set_rgb(cr, mix(p.light, {1, 1, 1}, 0.3));
        cairo_fill(cr);
    }
}

void gunfour(cairo_t* cr, int f, int) {
    const Palette& p = kSteel;
    // One volley: recoil peaks at frame 1 and settles by frame 6.
    const double recoil = f == 0 ? 0.0 : std::exp(-(f - 1) * 0.7) * 0.14;
    const double flash = f == 1 ? 1.0 : f == 2 ? 0.55 : f == 3 ? 0.2 : 0.0;
    turret_base(cr, p);
    for (int i = 0; i < 3; ++i) {
        cairo_save(cr);
        cairo_rotate(cr, i * kTau / 3);
        // Barrel pointing along +y (down on the sheet) before rotation.
        barrel(cr, 0, 0.22 - recoil, 0, 1, 0.66, 0.13);
        if (flash > 0) glow(cr, 0, 0.86 - recoil, 0.16 * (0.6 + flash), rgb_hex(0xffc060), flash, 0.4);
        cairo_restore(cr);
    }
    cairo_arc(cr, 0, 0, 0.38, 0, kTau);
    shade_hull(cr, p.light, p.dark);
    cairo_new_path(cr);
    for (int i = 0; i < 3; ++i) {
        const double a = i * kTau / 3 + kPi / 2 + kPi / 3;
        panel_line(cr, 0.1 * std::cos(a), 0.1 * std::sin(a), 0.36 * std::cos(a), 0.36 * std::sin(a), 1.0, 0.55);
    }
    nav_light(cr, 0, 0, 0.08, p.lamp, 0.4 + 0.6 * flash);
}

void cannon_tex(Output& out) {
    Canvas c(512, 512);
    const Grid g{4, 128};
    for (int f = 0; f < 8; ++f) in_cell(c.cr(), g.x(f), g.y(f), g.cell, g.cell, 6, [&] { gunfour(c.cr(), f, 8); });
    std::vector<Region> regs;
    add_frames(regs, "gunfour", g, 8);
    cairo_t* cr = c.cr();
    const Palette& p = kSteel;
    // Guntank base: an armoured square on two tread blocks.
    const auto& b = layout::kGunTankBase;
    in_cell(cr, b.x, b.y, b.w, b.h, 6, [&] {
        for (double s : {-1.0, 1.0}) {
            round_rect(cr, s * 0.62 - 0.2, -0.85, 0.4, 1.7, 0.08);
            shade_hull(cr, rgb_hex(0x60646a), rgb_hex(0x16181c));
            cairo_new_path(cr);
            for (int i = 0; i < 11; ++i)
                panel_line(cr, s * 0.62 - 0.18, -0.78 + i * 0.156, s * 0.62 + 0.18, -0.78 + i * 0.156, 1.5, 0.6);
        }
        round_rect(cr, -0.5, -0.66, 1.0, 1.32, 0.12);
        shade_hull(cr, p.light, p.dark);
        cairo_new_path(cr);
        stripe(cr, -0.45, 0.5, 0.45, 0.5, 0.08, p.accent);
        cairo_arc(cr, 0, 0, 0.36, 0, kTau);
        set_rgb(cr, scale(p.dark, 0.6));
        cairo_fill(cr);
        panel_line(cr, -0.45, -0.45, 0.45, -0.45, 1.0, 0.5);
    });
    regs.push_back({"guntank base", b.x, b.y, b.w, b.h});
    // Guntank barrel: a round turret cap with one long barrel, pivot at the centre.
    const auto& t = layout::kGunTankBarrel;
    in_cell(cr, t.x, t.y, t.w, t.h, 6, [&] {
        barrel(cr, 0, 0.1, 0, 1, 0.85, 0.14);
        cairo_arc(cr, 0, 0, 0.34, 0, kTau);
        shade_hull(cr, p.light, p.dark);
        cairo_new_path(cr);
        panel_line(cr, -0.3, -0.05, 0.3, -0.05, 1.0, 0.5);
        nav_light(cr, 0, -0.18, 0.06, p.lamp, 0.9);
    });
    regs.push_back({"guntank barrel", t.x, t.y, t.w, t.h});
    out.textures.push_back(c.to_texture("CannonTex", std::move(regs)));
}

// ------------------------------------------------------- segmented henemy4 --
// Drawn nose up, turned by the sheet. Segments share the bronze livery.
void ct_head(cairo_t* cr, int f, int n) {
    const Palette& p = kBronze;
    const double pulse = 0.5 + 0.5 * std::sin(kTau * f / n);
    const double jaw = 0.06 * std::sin(kTau * f / n * 2);
    // Mandibles.
    for (double s : {-1.0, 1.0})
        plate(cr, {{s * 0.25, -0.1}, {s * (0.55 + jaw), -0.62}, {s * (0.42 + jaw), -0.78}, {s * 0.18, -0.42}}, p.light,
              p.dark);
    hull(cr, {{0, -0.55}, {0.4, -0.42}, {0.75, -0.05}, {0.82, 0.3}, {0.6, 0.5}, {0, 0.55}}, p.light, p.dark);
    kit::panel_pair(cr, 0.4, 0.1, 0.78, 0.22);
    kit::panel_pair(cr, 0.2, 0.35, 0.6, 0.45);
    stripe(cr, -0.6, 0.3, 0.6, 0.3, 0.06, p.accent);
    // Sensor eye.
    glow(cr, 0, -0.2, 0.4, p.glass, 0.3 + 0.5 * pulse);
    canopy(cr, 0, -0.18, 0.22, 0.14, mix(p.glass, {1, 1, 1}, 0.2 * pulse));
    for (double s : {-1.0, 1.0}) nav_light(cr, s * 0.7, 0.18, 0.05, p.lamp, 0.3 + 0.7 * pulse);
}

// Side plates swing open over the 15 frames (played once).
void ct_short(cairo_t* cr, int f, int n) {
    const Palette& p = kBronze;
    const double open = smoothstep(0, 1, double(f) / (n - 1));
    // Revealed vents and guns as the plates slide out.
    for (double s : {-1.0, 1.0}) {
        round_rect(cr, s > 0 ? 0.3 : -0.64, -0.26, 0.34, 0.52, 0.06);
        set_rgb(cr, rgb_hex(0x141414));
        cairo_fill(cr);
        for (int i = 0; i < 3; ++i) nav_light(cr, s * 0.47, -0.16 + i * 0.16, 0.05, p.engine, open);
        barrel(cr, s * 0.56, -0.1, 0, -1, 0.12 + 0.3 * open, 0.07);
    }
    hull(cr, {{0, -0.42}, {0.22, -0.4}, {0.38, -0.3}, {0.42, 0.3}, {0.24, 0.42}, {0, 0.44}}, p.light, p.dark);
    kit::panel_pair(cr, 0.15, -0.38, 0.15, 0.38);
    for (double s : {-1.0, 1.0}) {
        cairo_save(cr);
        cairo_translate(cr, s * (0.34 + 0.2 * open), 0);
        cairo_scale(cr, s, 1);
        cairo_rotate(cr, open * 0.25);
        // Armour plate: closed over the vents, slid outward when open.
        plate(cr, {{0, -0.34}, {0.38, -0.26}, {0.42, 0.26}, {0, 0.34}}, p.light, p.dark);
        stripe(cr, 0.1, 0.0, 0.36, 0.0, 0.06, p.accent);
        panel_line(cr, 0.06, -0.2, 0.06, 0.2, 1.0, 0.5);
        cairo_restore(cr);
    }
    panel_line(cr, -0.3, 0, 0.3, 0, 1.0, 0.55);
    nav_light(cr, 0, -0.2, 0.05, p.lamp, 0.3 + 0.7 * open);
}

// Wings extend from the long hull over 15 frames (played once).
void ct_long(cairo_t* cr, int f, int n) {
    const Palette& p = kBronze;
    const double open = smoothstep(0, 1, double(f) / (n - 1));
    const double span = 0.5 + 0.45 * open;
    wings(cr, {{0.4, -0.16}, {span, -0.1 + 0.12 * open}, {span, 0.08 + 0.12 * open}, {0.4, 0.18}}, p.light, p.dark);
    for (double s : {-1.0, 1.0}) nav_light(cr, s * span * 0.95, 0.0 + 0.12 * open, 0.045, p.lamp, open);
    hull(cr, {{0, -0.32}, {0.42, -0.3}, {0.56, 0.0}, {0.42, 0.3}, {0, 0.32}}, p.light, p.dark);
    for (double s : {-1.0, 1.0}) {
        pod(cr, s * 0.3, 0, 0.12, 0.5, p.light, p.dark);
        pod(cr, s * 0.12, 0, 0.1, 0.5, p.light, p.dark);
        if (open > 0.5) barrel(cr, s * (span * 0.7), 0.0, 0, -1, 0.16 * (open - 0.5) * 2 + 0.01, 0.06);
    }
    panel_line(cr, 0, -0.3, 0, 0.3, 1.0, 0.55);
    stripe(cr, -0.3, -0.2, 0.3, -0.2, 0.05, p.accent);
}

void ct_engine(cairo_t* cr, int f, int n) {
    const Palette& p = kBronze;
    const double eng = flicker(f, n, 0.55, 11);
    for (double s : {-1.0, 0.0, 1.0})
        exhaust(cr, s * 0.28, 0.55, 0.11, 0.36 + 0.08 * kit::flicker(f + 3, n, 0.2, 13 + unsigned(s + 1)), p.engine,
                eng);
    hull(cr, {{0, -0.62}, {0.45, -0.58}, {0.62, -0.2}, {0.58, 0.45}, {0.4, 0.58}, {0, 0.56}}, p.light, p.dark);
    for (double s : {-1.0, 0.0, 1.0}) {
        cairo_arc(cr, s * 0.28, 0.45, 0.12, 0, kTau);
        shade_hull(cr, rgb_hex(0x707070), rgb_hex(0x101010));
        cairo_new_path(cr);
        glow(cr, s * 0.28, 0.45, 0.1, p.engine, eng, 0.3);
    }
    kit::panel_pair(cr, 0.2, -0.5, 0.2, 0.3);
    panel_line(cr, -0.55, -0.1, 0.55, -0.1, 1.0, 0.55);
    stripe(cr, -0.5, 0.12, 0.5, 0.12, 0.06, p.accent);
    // Intake grille pulsing with the engine.
    for (int i = 0; i < 4; ++i) panel_line(cr, -0.3, -0.45 + i * 0.08, 0.3, -0.45 + i * 0.08, 1.5, 0.6);
    glow(cr, 0, -0.33, 0.3, p.engine, 0.25 * eng);
}

// ----------------------------------------------------------------- dlinni ---
void dlinni(cairo_t* cr, int f, int n) {
    const Palette& p = kViolet;
    const double ph = double(f) / n;
    exhaust(cr, 0, 0.86, 0.08, 0.14, p.engine, 0.7 + 0.3 * std::sin(ph * kTau * 2));
    // Short fins and a long spine (about 4:1).
    wings(cr, {{0.12, 0.4}, {0.32, 0.62}, {0.3, 0.78}, {0.12, 0.7}}, p.light, p.dark);
    wings(cr, {{0.1, -0.45}, {0.24, -0.3}, {0.22, -0.2}, {0.1, -0.25}}, p.light, p.dark);
    hull(cr, {{0, -0.95}, {0.08, -0.8}, {0.14, -0.4}, {0.15, 0.5}, {0.12, 0.84}, {0, 0.86}}, p.light, p.dark);
    panel_line(cr, 0, -0.75, 0, 0.75, 1.0, 0.45);
    // Lights racing down the spine.
    for (int i = 0; i < 9; ++i) {
        const double y = -0.7 + i * 0.17;
        const int d = ((i - f) % n + n) % n;
        nav_light(cr, 0.075, y, 0.028, p.lamp, d == 0 ? 1.0 : d == 1 ? 0.45 : 0.1);
        nav_light(cr, -0.075, y, 0.028, p.lamp, d == 0 ? 1.0 : d == 1 ? 0.45 : 0.1);
    }
    canopy(cr, 0, -0.7, 0.05, 0.1, p.glass);
}

// ------------------------------------------------------------------- fast ---
// Frames 0-7: flying loop; 8-15: banking to and fro.
void interceptor(cairo_t* cr, int f, int) {
    const Palette& p = kCrimson;
    const bool turning = f >= 8;
    const int k = f % 8;
    const double bank = turning ? 0.55 * std::sin(kTau * k / 8) : 0.0;
    const double eng = flicker(k, 8, 0.6, 17);
    exhaust(cr, 0, 0.62, 0.13, 0.34, p.engine, eng);
    cairo_save(cr);
    cairo_scale(cr, std::cos(bank), 1);
    const double lift = std::sin(bank);
    wings(cr, {{0.14, -0.1}, {0.86, 0.5 - 0.08 * lift}, {0.8, 0.64}, {0.16, 0.46}}, p.light, p.dark);
    hull(cr, {{0, -0.95}, {0.1, -0.6}, {0.18, 0.1}, {0.2, 0.58}, {0, 0.64}}, p.light, p.dark);
    for (double s : {-1.0, 1.0}) {
        stripe(cr, s * 0.22, 0.2, s * 0.7, 0.52, 0.07, p.accent, 0.9);
        plate(cr, {{s * 0.1, 0.3}, {s * 0.3, 0.6}, {s * 0.1, 0.6}}, p.light, p.dark);
    }
    canopy(cr, 0, -0.3, 0.08, 0.2, p.glass);
    cairo_restore(cr);
    nav_light(cr, 0.8 * std::cos(bank), 0.6, 0.045, p.lamp, 0.5 + 0.5 * std::cos(kTau * k / 8));
    nav_light(cr, -0.8 * std::cos(bank), 0.6, 0.045, p.lamp, 0.5 - 0.5 * std::cos(kTau * k / 8));
}

// ----------------------------------------------------------------- jumper ---
void jumper(cairo_t* cr, int f, int n) {
    const Palette& p = kRaider;
    const double ph = double(f) / n;
    // Four thruster legs fire in turn.
    for (int i = 0; i < 4; ++i) {
        const double a = kPi / 4 + i * kPi / 2;
        const double x = 0.76 * std::cos(a), y = 0.76 * std::sin(a);
        const double on = 0.55 + 0.45 * std::cos((ph - i * 0.25) * kTau);
        engine_flame(cr, x, y, std::cos(a), std::sin(a), 0.09, 0.2, p.engine, on);
        // Strut and thruster pod.
        kit::stripe(cr, 0, 0, x * 0.8, y * 0.8, 0.1, scale(p.dark, 1.4), 1.0);
        cairo_save(cr);
        cairo_translate(cr, x * 0.8, y * 0.8);
        cairo_rotate(cr, a + kPi / 2);
        pod(cr, 0, 0, 0.22, 0.34, p.light, p.dark);
        cairo_restore(cr);
    }
    hull(cr, {{0, -0.86}, {0.18, -0.7}, {0.34, -0.2}, {0.34, 0.3}, {0.2, 0.62}, {0, 0.7}}, p.light, p.dark);
    kit::panel_pair(cr, 0.1, -0.5, 0.28, 0.2);
    panel_line(cr, -0.3, 0.2, 0.3, 0.2, 1.0, 0.5);
    stripe(cr, -0.26, 0.36, 0.26, 0.36, 0.07, p.accent);
    canopy(cr, 0, -0.3, 0.12, 0.18, p.glass);
    nav_light(cr, 0, 0.5, 0.05, p.lamp, blink(ph, 0, 0.3));
}

// ---------------------------------------------------------------- kreiser ---
void cruiser(cairo_t* cr, int f, int n) {
    const Palette& p = kSteel;
    const double eng = flicker(f, n, 0.65, 19);
    for (double s : {-1.0, 1.0}) exhaust(cr, s * 0.2, 0.8, 0.1, 0.16, p.engine, eng);
    // Gun sponsons: three per flank, firing in turn.
    for (int i = 0; i < 3; ++i) {
        const double y = -0.3 + i * 0.3;
        const int hot = (f / 2) % 8;
        const double fl = hot == i ? 1.0 : hot == i + 4 ? 1.0 : 0.0;
        for (double s : {-1.0, 1.0}) {
            barrel(cr, s * 0.5, y, s, 0, 0.38, 0.09);
            if (fl > 0) glow(cr, s * 0.9, y, 0.13, rgb_hex(0xffd080), 0.9, 0.35);
        }
    }
    hull(cr, {{0, -0.94}, {0.22, -0.72}, {0.5, -0.45}, {0.55, 0.45}, {0.4, 0.78}, {0, 0.82}}, p.light, p.dark);
    for (int i = 0; i < 3; ++i) {
        const double y = -0.3 + i * 0.3;
        for (double s : {-1.0, 1.0}) {
            cairo_arc(cr, s * 0.43, y, 0.08, 0, kTau);
            shade_hull(cr, rgb_hex(0x8890a0), rgb_hex(0x181c24));
            cairo_new_path(cr);
        }
    }
    // Superstructure.
    hull(cr, {{0, -0.55}, {0.16, -0.4}, {0.2, 0.4}, {0, 0.5}}, mix(p.light, {1, 1, 1}, 0.15), p.dark);
    canopy(cr, 0, -0.32, 0.09, 0.12, p.glass);
    kit::panel_pair(cr, 0.28, -0.6, 0.28, 0.6);
    panel_line(cr, -0.5, 0.6, 0.5, 0.6, 1.0, 0.5);
    stripe(cr, -0.18, 0.15, 0.18, 0.15, 0.1, p.accent);
    for (double s : {-1.0, 1.0})
        nav_light(cr, s * 0.48, 0.7, 0.04, p.lamp, blink(double(f) / n, s > 0 ? 0.5 : 0.0, 0.3));
}

// ----------------------------------------------------------------- tanker ---
void tanker(cairo_t* cr, int f, int n) {
    const Palette& p = kOlive;
    const double ph = double(f) / n;
    const double eng = flicker(f, n, 0.6, 23);
    for (double s : {-1.0, 1.0}) exhaust(cr, s * 0.18, 0.85, 0.1, 0.12, p.engine, eng);
    hull(cr, {{0, -0.9}, {0.18, -0.82}, {0.24, -0.5}, {0.24, 0.7}, {0.2, 0.86}, {0, 0.88}}, p.light, p.dark);
    // Three fuel spheres.
    for (int i = 0; i < 3; ++i) {
        const double y = -0.45 + i * 0.5;
        for (double s : {-1.0, 1.0}) {
            cairo_arc(cr, s * 0.42, y, 0.25, 0, kTau);
            shade_hull(cr, rgb_hex(0xe8d070), rgb_hex(0x4a3a10));
            cairo_new_path(cr);
            // Hazard band.
            cairo_save(cr);
            cairo_arc(cr, s * 0.42, y, 0.25, 0, kTau);
            cairo_clip(cr);
            cairo_rectangle(cr, s * 0.42 - 0.3, y - 0.06, 0.6, 0.12);
            cairo_clip(cr);
            for (int k = -3; k < 4; ++k)
                stripe(cr, s * 0.42 + k * 0.1 - 0.06, y + 0.07, s * 0.42 + k * 0.1 + 0.06, y - 0.07, 0.045,
                       rgb_hex(0x1a1a1a), 0.85);
            cairo_restore(cr);
            // Warning lamp on every tank, blinking in turn.
            nav_light(cr, s * 0.42, y - 0.16, 0.04, rgb_hex(0xff3020), blink(ph, i / 3.0 + (s > 0 ? 0.5 : 0.0), 0.2));
        }
    }
    canopy(cr, 0, -0.72, 0.08, 0.1, p.glass);
    panel_line(cr, 0, -0.6, 0, 0.7, 1.0, 0.4);
}

// ----------------------------------------------------------------- vertuh ---
void rotorcraft(cairo_t* cr, int f, int n) {
    const Palette& p = kBronze;
    const double a = (double(f) / n) * kTau / 3;  // three blades: a third of a turn loops
    hull(cr, {{0, -0.6}, {0.22, -0.5}, {0.34, -0.1}, {0.3, 0.35}, {0.12, 0.8}, {0, 0.82}}, p.light, p.dark);
    for (double s : {-1.0, 1.0}) pod(cr, s * 0.42, 0.15, 0.16, 0.5, p.light, p.dark);
    canopy(cr, 0, -0.32, 0.13, 0.16, p.glass);
    // Rotor disc: faint blur plus three blades.
    cairo_arc(cr, 0, 0.05, 0.9, 0, kTau);
    cairo_set_source_rgba(cr, 0.85, 0.9, 1.0, 0.07);
    cairo_fill(cr);
    cairo_save(cr);
    cairo_translate(cr, 0, 0.05);
    for (int i = 0; i < 3; ++i) {
        cairo_save(cr);
        cairo_rotate(cr, a + i * kTau / 3);
        // Motion-blurred trailing copies.
        for (int k = 3; k >= 0; --k) {
            cairo_save(cr);
            cairo_rotate(cr, -k * 0.09);
            round_rect(cr, 0.08, -0.05, 0.8, 0.1, 0.05);
            if (k == 0) {
                shade_hull(cr, rgb_hex(0xd0d4dc), rgb_hex(0x30343c));
                cairo_new_path(cr);
            } else {
                cairo_set_source_rgba(cr, 0.8, 0.85, 0.9, 0.16);
                cairo_fill(cr);
            }
            cairo_restore(cr);
        }
        cairo_restore(cr);
    }
    cairo_arc(cr, 0, 0, 0.12, 0, kTau);
    shade_hull(cr, rgb_hex(0xc0c4cc), rgb_hex(0x202428));
    cairo_new_path(cr);
    cairo_restore(cr);
    nav_light(cr, 0, 0.72, 0.05, p.lamp, 0.5 + 0.5 * std::cos(kTau * f / n));
}

}  // namespace

void enemies(Output& out) {
    sheet(out, "StationTex", "station", 4, 12, 6, false, station);
    cannon_tex(out);
    sheet(out, "CtHeadTex", "head", 4, 16, 6, true, ct_head);
    sheet(out, "CtLongTex", "long body", 4, 15, 6, true, ct_long);
    sheet(out, "CtShortTex", "short body", 4, 15, 6, true, ct_short);
    sheet(out, "CtEngiTex", "engine", 4, 12, 6, true, ct_engine);
    sheet(out, "DlinniTex", "dlinni", 3, 9, 8, true, dlinni);
    sheet(out, "FastTex", "interceptor", 4, 16, 6, true, interceptor);
    sheet(out, "JumperTex", "jumper", 6, 24, 5, true, jumper);
    sheet(out, "KreiserTex", "cruiser", 4, 16, 6, true, cruiser);
    sheet(out, "TankerTex", "tanker", 4, 16, 6, true, tanker);
    sheet(out, "VertuhTex", "rotorcraft", 4, 16, 6, true, rotorcraft);
}

}  // namespace assetgen::sprites
