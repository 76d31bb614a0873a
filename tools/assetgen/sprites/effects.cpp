// Light and fire: the shadow blob, shot glows and sparks, the menu frame
// pieces, the explosion animation and the plasma ball.
#include <algorithm>
#include <cmath>

#include "../common/draw.h"
#include "../common/noise.h"
#include "assets/sprite_layout.h"
#include "sprites.h"

namespace assetgen::sprites {

using namespace gfx;
using layout::Rect;

namespace {

Region reg(const std::string& label, const Rect& r) { return {label, r.x, r.y, r.w, r.h}; }

// Radial white glow filling a cell with a 3-texel transparent margin.
// `profile` shapes the falloff: alpha = peak * (1 - d)^profile.
void soft_dot(Canvas& c, const Rect& r, double peak, double profile, double hot_radius = 0.0) {
    const double cx = r.x + r.w / 2.0, cy = r.y + r.h / 2.0, R = std::min(r.w, r.h) / 2.0 - 3.0;
    c.begin_pixels();
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / R;
            if (d >= 1) continue;
            double a = peak * std::pow(1 - d, profile);
            if (hot_radius > 0) a = std::max(a, smoothstep(hot_radius, hot_radius * 0.4, d));
            c.blend(x, y, {1, 1, 1}, a);
        }
    c.end_pixels();
}

// A four- (or more-) pointed white star flare.
void flare(Canvas& c, const Rect& r, int rays, double ray_len, double ray_width, double rot = 0.0) {
    const double cx = r.x + r.w / 2.0, cy = r.y + r.h / 2.0, R = std::min(r.w, r.h) / 2.0 - 3.0;
    c.begin_pixels();
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            const double dx = (x + 0.5 - cx) / R, dy = (y + 0.5 - cy) / R;
            const double d = std::hypot(dx, dy);
            if (d >= 1) continue;
            const double ang = std::atan2(dy, dx) - rot;
            // Ray intensity: narrow lobes around every 2*pi/rays.
            const double lobe = std::pow(std::fabs(std::cos(ang * rays / 2.0)), 1.0 / ray_width);
            const double ray = lobe * std::max(0.0, 1 - d / ray_len);
            const double core = std::pow(std::max(0.0, 1 - d), 3.0);
            const double a = clamp01(core * 1.2 + ray * ray * 0.9) * smoothstep(1.0, 0.85, d);
            c.blend(x, y, {1, 1, 1}, a);
        }
    c.end_pixels();
}

void shadow_map(Output& out) {
    Canvas c(128, 128);
    c.begin_pixels();
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const double d = std::hypot(x + 0.5 - 64, y + 0.5 - 64) / 60.0;
            if (d < 1) c.blend(x, y, {0, 0, 0}, std::pow(1 - d * d, 1.6) * 0.9);
        }
    c.end_pixels();
    out.textures.push_back(c.to_texture("ShadowMap", {{"shadow blob", 0, 0, 128, 128}}));
}

// A bevelled metal bar across a w x h box (horizontal when w > h), drawn in
// the current user space; used for the menu frame.
void metal_bar(cairo_t* cr, double x, double y, double w, double h, bool horizontal) {
    const Rgb hi = rgb_hex(0xb8c4d8), mid = rgb_hex(0x5a6680), lo = rgb_hex(0x1c2230);
    cairo_pattern_t* p =
        horizontal ? cairo_pattern_create_linear(0, y, 0, y + h) : cairo_pattern_create_linear(x, 0, x + w, 0);
    cairo_pattern_add_color_stop_rgb(p, 0.0, lo.r, lo.g, lo.b);
    cairo_pattern_add_color_stop_rgb(p, 0.15, hi.r, hi.g, hi.b);
    cairo_pattern_add_color_stop_rgb(p, 0.45, mid.r, mid.g, mid.b);
    cairo_pattern_add_color_stop_rgb(p, 0.55, mid.r * 0.8, mid.g * 0.8, mid.b * 0.8);
    cairo_pattern_add_color_stop_rgb(p, 0.85, mid.r * 0.6, mid.g * 0.6, mid.b * 0.6);
    cairo_pattern_add_color_stop_rgb(p, 1.0, lo.r, lo.g, lo.b);
    cairo_set_source(cr, p);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // A glowing inlay line along the middle.
    cairo_set_source_rgba(cr, 0.35, 0.75, 1.0, 0.85);
    cairo_set_line_width(cr, 1.5);
    if (horizontal) {
        cairo_move_to(cr, x, y + h * 0.5);
        cairo_line_to(cr, x + w, y + h * 0.5);
    } else {
        cairo_move_to(cr, x + w * 0.5, y);
        cairo_line_to(cr, x + w * 0.5, y + h);
    }
    cairo_stroke(cr);
}

void gem(cairo_t* cr, double cx, double cy, double r, Rgb c) {
    glow(cr, cx, cy, r * 2.0, c, 0.6);
    cairo_move_to(cr, cx, cy - r);
    cairo_line_to(cr, cx + r, cy);
    cairo_line_to(cr, cx, cy + r);
    cairo_line_to(cr, cx - r, cy);
    cairo_close_path(cr);
    shade_hull(cr, mix(c, {1, 1, 1}, 0.6), scale(c, 0.35));
    cairo_new_path(cr);
    glow(cr, cx - r * 0.25, cy - r * 0.3, r * 0.5, {1, 1, 1}, 0.9);
}

void shot_tex(Output& out) {
    Canvas c(512, 512);
    cairo_t* cr = c.cr();
    std::vector<Region> regs;

    // Bound cells.
    const Rect s1{256, 384, 64, 64}, s3{320, 384, 64, 64}, s4{384, 384, 128, 128}, s5{441, 348, 32, 32};
    soft_dot(c, s1, 1.0, 1.3, 0.42);
    regs.push_back(reg("S1/S2 bullet core, halo glow", s1));
    soft_dot(c, s3, 0.5, 2.2);
    regs.push_back(reg("S3 slow-bullet glow", s3));
    flare(c, s4, 4, 0.95, 0.12);
    flare(c, s4, 4, 0.55, 0.2, kPi / 4);
    regs.push_back(reg("S4 fragment spark", s4));
    flare(c, s5, 4, 1.0, 0.1);
    regs.push_back(reg("S5 halo glint", s5));

    // Explosion flash. The game grows this quad to many times the blast's
    // size and tints it warm, so the cell keeps its light in the middle: a
    // small white-hot core, a halo that falls off fast and short faint rays.
    // Overlapping flashes then stay readable instead of washing the field out.
    {
        const Rect r = layout::kShotExploFlash;
        const double cx = r.x + r.w / 2.0, cy = r.y + r.h / 2.0, R = r.w / 2.0 - 3.0;
        c.begin_pixels();
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) {
                const double dx = (x + 0.5 - cx) / R, dy = (y + 0.5 - cy) / R, d = std::hypot(dx, dy);
                if (d >= 1) continue;
                const double ang = std::atan2(dy, dx) - 0.1;
                const double lobe = std::pow(std::fabs(std::cos(ang * 4.0)), 24.0);  // 8 narrow rays
                const double ray = 0.16 * lobe * std::pow(std::max(0.0, 1 - d / 0.42), 2.0);
                const double core = smoothstep(0.11, 0.025, d);
                const double halo = 0.42 * std::exp(-d * 10.0);
                const double a = clamp01(std::max(core, halo + ray)) * smoothstep(1.0, 0.8, d);
                c.blend(x, y, {1, 1, 1}, a);
            }
        c.end_pixels();
    }
    regs.push_back(reg("S6 explosion flash", layout::kShotExploFlash));

    // Fireball: a soft white ball with billowing grey-white texture.
    {
        const Rect r = layout::kShotFireball;
        Noise n(77);
        const double cx = r.x + r.w / 2.0, cy = r.y + r.h / 2.0, R = r.w / 2.0 - 3;
        c.begin_pixels();
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) {
                const double dx = (x + 0.5 - cx) / R, dy = (y + 0.5 - cy) / R, d = std::hypot(dx, dy);
                if (d >= 1) continue;
                const double t = n.fbm(dx * 3 + 10, dy * 3 + 10, 4);
                const double edge = smoothstep(1.0, 0.55, d + (t - 0.5) * 0.35);
                const double shade = 0.7 + 0.3 * t + 0.2 * (1 - d);
                c.blend(x, y, {std::min(1.0, shade), std::min(1.0, shade), std::min(1.0, shade * 0.97)}, edge);
            }
        c.end_pixels();
        regs.push_back(reg("S7 fireball", r));
    }
    soft_dot(c, layout::kShotGlow, 0.75, 1.6);
    regs.push_back(reg("S8 shot glow", layout::kShotGlow));

    // Menu frame pieces.
    {
        const Rect k = layout::kShotFrameCorner;
        cairo_save(cr);
        cairo_rectangle(cr, k.x + 2, k.y + 2, k.w - 4, k.h - 4);
        cairo_clip(cr);
        metal_bar(cr, k.x + 32, k.y + 20, k.w - 32, 24, true);
        metal_bar(cr, k.x + 20, k.y + 32, 24, k.h - 32, false);
        round_rect(cr, k.x + 10, k.y + 10, 44, 44, 8);
        shade_hull(cr, rgb_hex(0xc8d2e6), rgb_hex(0x2a3246));
        cairo_new_path(cr);
        gem(cr, k.x + 32, k.y + 32, 11, rgb_hex(0x3aa0ff));
        cairo_restore(cr);
        regs.push_back(reg("S9 frame corner", k));

        const Rect h = layout::kShotFrameEdgeH;
        cairo_save(cr);
        cairo_rectangle(cr, h.x, h.y + 2, h.w, h.h - 4);
        cairo_clip(cr);
        metal_bar(cr, h.x, h.y + 4, h.w, 24, true);
        for (int i = 0; i < 4; ++i) {  // rivets; tiles every 32 texels
            const double rx = h.x + 16 + 32 * i;
            cairo_arc(cr, rx, h.y + 9, 1.6, 0, kTau);
            cairo_arc(cr, rx, h.y + 23, 1.6, 0, kTau);
            cairo_set_source_rgba(cr, 0.85, 0.9, 1.0, 0.9);
            cairo_fill(cr);
        }
        cairo_restore(cr);
        regs.push_back(reg("S9 frame edge h", h));

        const Rect v = layout::kShotFrameEdgeV;
        cairo_save(cr);
        cairo_rectangle(cr, v.x + 2, v.y, v.w - 4, v.h);
        cairo_clip(cr);
        metal_bar(cr, v.x + 4, v.y, 24, v.h, false);
        for (int i = 0; i < 4; ++i) {
            const double ry = v.y + 16 + 32 * i;
            cairo_arc(cr, v.x + 9, ry, 1.6, 0, kTau);
            cairo_arc(cr, v.x + 23, ry, 1.6, 0, kTau);
            cairo_set_source_rgba(cr, 0.85, 0.9, 1.0, 0.9);
            cairo_fill(cr);
        }
        cairo_restore(cr);
        regs.push_back(reg("S9 frame edge v", v));

        const Rect g = layout::kShotFrameGem;
        cairo_save(cr);
        cairo_rectangle(cr, g.x + 2, g.y + 2, g.w - 4, g.h - 4);
        cairo_clip(cr);
        cairo_arc(cr, g.x + 32, g.y + 32, 24, 0, kTau);
        shade_hull(cr, rgb_hex(0xc8d2e6), rgb_hex(0x2a3246));
        cairo_new_path(cr);
        cairo_arc(cr, g.x + 32, g.y + 32, 18, 0, kTau);
        set_rgb(cr, rgb_hex(0x0c1220));
        cairo_fill(cr);
        gem(cr, g.x + 32, g.y + 32, 13, rgb_hex(0xff9a2a));
        cairo_restore(cr);
        regs.push_back(reg("S9 frame ornament", g));
    }
    out.textures.push_back(c.to_texture("ShotTex", std::move(regs)));
}

// Fire colour ramp by temperature 0..1 (smoke .. white-hot).
Rgb fire(double t) {
    // Deep orange goes straight to a pale white-hot, so the yellow band
    // between them (the colour that washes a busy screen out) stays narrow.
    static const Rgb stops[] = {{0.36, 0.34, 0.34}, {0.40, 0.24, 0.17}, {0.80, 0.22, 0.05},
                                {1.0, 0.46, 0.10},  {1.0, 0.82, 0.70},  {1.0, 0.97, 0.93}};
    t = clamp01(t) * 5;
    const int i = std::min(4, int(t));
    return mix(stops[i], stops[i + 1], t - i);
}

void explo_tex(Output& out) {
    Canvas c(512, 512);
    const Grid g{6, 512.0 / 6};
    Noise n(1234);
    c.begin_pixels();
    for (int f = 0; f < 36; ++f) {
        const double t = f / 35.0;
        const double x0 = g.x(f), y0 = g.y(f), cx = x0 + g.cell / 2, cy = y0 + g.cell / 2;
        const double R = g.cell / 2 - 3.5;                 // largest radius that keeps the margin
        const double radius = 0.34 + 0.62 * std::sqrt(t);  // relative to R
        const double heat = clamp01(1.15 - 1.8 * t);       // core temperature: cools fast
        const double fade = t < 0.6 ? 1.0 : std::pow(clamp01((1 - t) / 0.4), 1.2) * 0.96 + 0.04;
        for (int y = int(y0) + 1; y < int(y0 + g.cell); ++y)
            for (int x = int(x0) + 1; x < int(x0 + g.cell); ++x) {
                const double dx = (x + 0.5 - cx) / R, dy = (y + 0.5 - cy) / R;
                const double d = std::hypot(dx, dy);
                if (d >= 0.995) continue;
                // Billows that roll outward as the blast grows.
                const double sx = dx * 3.4 / radius + 20 + t * 1.2, sy = dy * 3.4 / radius + 20 - t * 0.7;
                const double q = n.fbm(sx, sy, 5, 0.55);
                const double q3 = n.fbm(sx, sy, 3, 0.5);
                const double ql = n.fbm(sx - 0.25, sy - 0.25, 3, 0.5);  // toward the light
                const double rr = d / radius + (q - 0.5) * (0.7 + 0.5 * t);
                double dens = smoothstep(1.0, 0.6, rr);
                if (t > 0.45) dens *= clamp01(0.6 + 1.2 * (q - 0.35) + 0.3 * (1 - t));  // smoke breaks up
                dens = clamp01(dens) * smoothstep(0.995, 0.88, d);
                if (dens <= 0.002) continue;
                const double temp = heat * (1.15 - rr * 1.3) + (q - 0.5) * 0.4;  // hot only near the middle
                const double light = std::clamp(0.85 + (q3 - ql) * 3.0 + (1 - d) * 0.15, 0.55, 1.1);
                Rgb col = fire(temp);
                const double lit = light + (1.0 - light) * smoothstep(0.3, 0.65, temp);  // fire glows, smoke is lit
                col = {std::min(1.0, col.r * lit), std::min(1.0, col.g * lit), std::min(1.0, col.b * lit)};
                c.blend(x, y, col, dens * fade);
            }
    }
    c.end_pixels();
    std::vector<Region> regs;
    add_frames(regs, "blast", g, 36);
    out.textures.push_back(c.to_texture("ExploTex", std::move(regs)));
}

void bulletc_tex(Output& out) {
    // 3 x 3 frames of a pulsing plasma ball; cells are 0.332 of the sheet.
    // Violet: no enemy bullet has that hue (theirs are cyan, blue, red,
    // yellow and green), so the player tells at a glance what hurts.
    Canvas c(256, 256);
    cairo_t* cr = c.cr();
    const double cell = 256 * 0.332;
    const Rgb cyan = rgb_hex(0xc27bff), deep = rgb_hex(0x6a2ee8);
    for (int f = 0; f < 9; ++f) {
        const double ph = f / 9.0;
        const double pulse = 0.9 + 0.1 * std::sin(ph * kTau);
        in_cell(cr, (f % 3) * cell, (f / 3) * cell, cell, cell, 4, [&] {
            glow(cr, 0, 0, 1.0, deep, 0.8 * pulse);
            glow(cr, 0, 0, 0.8 * pulse, cyan, 1.0, 0.3);
            // Three electric arcs swirling round the core; a third of a turn loops.
            for (int i = 0; i < 3; ++i) {
                const double a0 = ph * kTau / 3 + i * kTau / 3;
                cairo_new_path(cr);
                for (int k = 0; k <= 24; ++k) {
                    const double t = k / 24.0;
                    const double r = 0.3 + 0.48 * t;
                    const double a = a0 + t * 1.5 + 0.12 * std::sin(t * 9 + i * 2 + ph * kTau);
                    if (k == 0)
                        cairo_move_to(cr, r * std::cos(a), r * std::sin(a));
                    else
                        cairo_line_to(cr, r * std::cos(a), r * std::sin(a));
                }
                cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
                cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
                cairo_set_line_width(cr, 0.14);
                set_rgb(cr, cyan, 0.25);
                cairo_stroke_preserve(cr);
                cairo_set_line_width(cr, 0.045);
                set_rgb(cr, mix(cyan, {1, 1, 1}, 0.7), 0.85);
                cairo_stroke(cr);
            }
            glow(cr, 0, 0, 0.55 * pulse, {1, 1, 1}, 1.0, 0.5);
        });
    }
    std::vector<Region> regs;
    for (int f = 0; f < 9; ++f) {
        const int x0 = int(std::ceil((f % 3) * cell)), y0 = int(std::ceil((f / 3) * cell));
        regs.push_back({"plasma " + std::to_string(f), x0, y0, int(cell) - 1, int(cell) - 1});
    }
    out.textures.push_back(c.to_texture("BulletCTex", std::move(regs)));
}

}  // namespace

void effects(Output& out) {
    shadow_map(out);
    shot_tex(out);
    explo_tex(out);
    bulletc_tex(out);
}

}  // namespace assetgen::sprites
