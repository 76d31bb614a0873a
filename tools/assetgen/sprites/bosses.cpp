// The five boss sheets: body, moving parts, children, portrait and health-bar
// colour. Bodies face down the screen: engines at the top, guns at the bottom.
#include <algorithm>
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
using layout::Rect;

namespace {

Region reg(const std::string& label, const Rect& r) { return {label, r.x, r.y, r.w, r.h}; }

// Runs `fn` with user space scaled uniformly so that [-ex, ex] x [-ey, ey]
// fits the rectangle minus `margin`, clipped 2 texels inside it.
void fit(cairo_t* cr, const Rect& r, double ex, double ey, double margin, const std::function<void()>& fn) {
    cairo_save(cr);
    cairo_rectangle(cr, r.x + 2, r.y + 2, r.w - 4, r.h - 4);
    cairo_clip(cr);
    cairo_translate(cr, r.x + r.w / 2.0, r.y + r.h / 2.0);
    const double k = std::min((r.w / 2.0 - margin) / ex, (r.h / 2.0 - margin) / ey);
    cairo_scale(cr, k, k);
    fn();
    cairo_restore(cr);
}

// Small mechanical detail scattered inside the current clip.
void greebles(cairo_t* cr, Rng& rng, double x0, double y0, double x1, double y1, int count, Rgb light, Rgb dark,
              double size) {
    // Small raised boxes snapped to a half-size grid, so they read as
    // machinery rather than noise.
    const double step = size * 0.5;
    for (int i = 0; i < count; ++i) {
        const double w = step * (1 + rng.below(2)), h = step * (1 + rng.below(3));
        const double x = x0 + step * rng.below(std::max(1, int((x1 - x0 - w) / step)));
        const double y = y0 + step * rng.below(std::max(1, int((y1 - y0 - h) / step)));
        cairo_rectangle(cr, x, y, w, h);
        shade_hull(cr, mix(light, dark, rng.range(0.15, 0.35)), mix(light, dark, 0.75), 0.35);
        cairo_new_path(cr);
    }
}

// Engine block at the rear (top): a nozzle ring with a flame pointing up.
void rear_engine(cairo_t* cr, double x, double y, double r, Rgb flame) {
    engine_flame(cr, x, y, 0, -1, r * 0.8, r * 2.0, flame, 1.0);
    cairo_arc(cr, x, y, r, 0, kTau);
    shade_hull(cr, rgb_hex(0x8890a0), rgb_hex(0x16181e));
    cairo_new_path(cr);
    cairo_arc(cr, x, y, r * 0.6, 0, kTau);
    set_rgb(cr, rgb_hex(0x0a0a0c));
    cairo_fill(cr);
    glow(cr, x, y, r * 0.75, flame, 0.9, 0.4);
}

// A portrait: the boss on a dark monitor with a frame and scan lines.
void portrait(Canvas& c, const Rect& r, Rgb tint, const std::function<void()>& body, double ex, double ey) {
    cairo_t* cr = c.cr();
    cairo_save(cr);
    // The frame fills the whole cell: the panel shows all of it.
    cairo_rectangle(cr, r.x, r.y, r.w, r.h);
    shade_hull(cr, rgb_hex(0x9aa4b8), rgb_hex(0x222833), 0.0);
    cairo_new_path(cr);
    round_rect(cr, r.x + 6, r.y + 6, r.w - 12, r.h - 12, 4);
    cairo_pattern_t* p =
        cairo_pattern_create_radial(r.x + r.w / 2.0, r.y + r.h / 2.0, 2, r.x + r.w / 2.0, r.y + r.h / 2.0, r.w * 0.6);
    cairo_pattern_add_color_stop_rgb(p, 0, tint.r * 0.35, tint.g * 0.35, tint.b * 0.35);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.02, 0.02, 0.04);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_clip(cr);
    const Rect inner{r.x + 6, r.y + 6, r.w - 12, r.h - 12};
    fit(cr, inner, ex, ey, 3, body);
    for (int y = inner.y; y < inner.y + inner.h; y += 2) {
        cairo_rectangle(cr, inner.x, y, inner.w, 1);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.22);
        cairo_fill(cr);
    }
    glow(cr, inner.x + inner.w * 0.3, inner.y + inner.h * 0.25, inner.w * 0.5, {1, 1, 1}, 0.12);
    cairo_restore(cr);
}

void health_cell(Canvas& c, const Rect& r, Rgb hi, Rgb lo) {
    cairo_t* cr = c.cr();
    cairo_pattern_t* p = cairo_pattern_create_linear(0, r.y, 0, r.y + r.h);
    cairo_pattern_add_color_stop_rgb(p, 0, lo.r, lo.g, lo.b);
    cairo_pattern_add_color_stop_rgb(p, 0.35, hi.r, hi.g, hi.b);
    cairo_pattern_add_color_stop_rgb(p, 0.5, mix(hi, {1, 1, 1}, 0.5).r, mix(hi, {1, 1, 1}, 0.5).g,
                                     mix(hi, {1, 1, 1}, 0.5).b);
    cairo_pattern_add_color_stop_rgb(p, 1, lo.r, lo.g, lo.b);
    cairo_set_source(cr, p);
    // Two texels of bleed on the left and top: the game samples from just
    // inside the cell's edge with bilinear filtering.
    cairo_rectangle(cr, r.x - 2, r.y - 2, r.w + 2, r.h + 2);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// The health bar's frame: a dark plate with a metal rim and an opaque
// trough that the bar fills, so the bar reads over any backdrop and its
// empty part shows what the boss has lost. Drawn in the units of its place
// on an 800 x 600 screen (172 x 24 px; the bar is the 160 x 12 px at 6, 6)
// and squeezed into the cell, which the game stretches back.
void health_frame(Canvas& c, const Rect& r, Rgb accent) {
    constexpr double dw = 172, dh = 24;
    cairo_t* cr = c.cr();
    cairo_save(cr);
    cairo_rectangle(cr, r.x, r.y, r.w, r.h);
    cairo_clip(cr);
    cairo_translate(cr, r.x, r.y);
    cairo_scale(cr, r.w / dw, r.h / dh);
    // Plate: near-black, a little lighter at the top, with a bright rim
    // tinged with the boss's colour.
    round_rect(cr, 0.8, 0.8, dw - 1.6, dh - 1.6, 5);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, dh);
    cairo_pattern_add_color_stop_rgba(g, 0, 0.16, 0.2, 0.28, 0.92);
    cairo_pattern_add_color_stop_rgba(g, 0.5, 0.05, 0.07, 0.11, 0.92);
    cairo_pattern_add_color_stop_rgba(g, 1, 0.1, 0.12, 0.18, 0.92);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    cairo_set_line_width(cr, 1.3);
    set_rgb(cr, mix(rgb_hex(0xb8c8e0), accent, 0.3), 0.95);
    cairo_stroke(cr);
    // Trough: two pixels around the bar, opaque.
    round_rect(cr, 4, 4, dw - 8, dh - 8, 2.5);
    set_rgb(cr, rgb_hex(0x020306));
    cairo_fill(cr);
    cairo_set_line_width(cr, 0.8);
    set_rgb(cr, rgb_hex(0xc8dcff), 0.3);  // lit lower lip
    cairo_move_to(cr, 7, dh - 4.6);
    cairo_line_to(cr, dw - 7, dh - 4.6);
    cairo_stroke(cr);
    // Quarter marks on the plate above and below the trough.
    for (int i = 1; i < 4; ++i) {
        const double x = 6 + 160.0 * i / 4;
        cairo_rectangle(cr, x - 0.5, 1.8, 1.0, 1.7);
        cairo_rectangle(cr, x - 0.5, dh - 3.5, 1.0, 1.7);
    }
    set_rgb(cr, rgb_hex(0xc8dcff), 0.6);
    cairo_fill(cr);
    cairo_restore(cr);
}

// The health bar's fill and frame, and their regions.
void health_bar(Canvas& c, std::vector<Region>& regs, Rgb hi, Rgb lo) {
    health_cell(c, layout::kBossHealth, hi, lo);
    regs.push_back(reg("health bar", layout::kBossHealth));
    health_frame(c, layout::kBossHealthFrame, hi);
    regs.push_back(reg("health bar frame", layout::kBossHealthFrame));
}

void soft_ball(Canvas& c, const Rect& r, double edge_margin) {
    const double cx = r.x + r.w / 2.0, cy = r.y + r.h / 2.0, R = r.w / 2.0 - edge_margin;
    c.begin_pixels();
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / R;
            if (d < 1) c.blend(x, y, {1, 1, 1}, std::pow(1 - d * d, 1.8));
        }
    c.end_pixels();
}

// Finishes a boss hull drawn in the cell `r`: plating that follows the
// hull's outline (bands at fixed depths from the edge, split into staggered
// plates), engraved seams, rivets along them, running lights near the rim,
// and an alpha edge that fades over `feather` texels, so that the drawn
// black shadow falls off softly instead of reading as a hole in space.
void hull_finish(Canvas& c, const Rect& r, std::uint32_t seed, Rgb light_a, Rgb light_b, double feather = 7.0) {
    cairo_surface_t* surf = c.surface();
    cairo_surface_flush(surf);
    unsigned char* data = cairo_image_surface_get_data(surf);
    const int stride = cairo_image_surface_get_stride(surf);
    const int W = r.w, H = r.h;
    auto pix = [&](int x, int y) -> std::uint32_t& {
        return reinterpret_cast<std::uint32_t*>(data + std::size_t(r.y + y) * stride)[r.x + x];
    };
    // Distance from the outline (chamfer 1 / sqrt 2), inside texels only.
    const double inf = 1e9;
    std::vector<double> d(std::size_t(W) * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) d[std::size_t(y) * W + x] = (pix(x, y) >> 24) >= 128 ? inf : 0.0;
    auto at = [&](int x, int y) { return (x < 0 || y < 0 || x >= W || y >= H) ? 0.0 : d[std::size_t(y) * W + x]; };
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            double& v = d[std::size_t(y) * W + x];
            v = std::min({v, at(x - 1, y) + 1, at(x, y - 1) + 1, at(x - 1, y - 1) + 1.414, at(x + 1, y - 1) + 1.414});
        }
    for (int y = H - 1; y >= 0; --y)
        for (int x = W - 1; x >= 0; --x) {
            double& v = d[std::size_t(y) * W + x];
            v = std::min({v, at(x + 1, y) + 1, at(x, y + 1) + 1, at(x + 1, y + 1) + 1.414, at(x - 1, y + 1) + 1.414});
        }
    const double cx = W / 2.0, cy = H / 2.0;
    const double band = std::max(14.0, std::min(W, H) / 9.0);
    auto hash = [&](int a, int b) {
        std::uint32_t h = seed * 0x9E3779B1u ^ std::uint32_t(a) * 0x85EBCA6Bu ^ std::uint32_t(b) * 0xC2B2AE35u;
        h ^= h >> 15;
        h *= 0x2C1B3C6Du;
        h ^= h >> 12;
        return double(h & 0xFFFF) / 65535.0;
    };
    struct Lamp {
        double x, y;
        int k;
    };
    std::vector<Lamp> lamps;
    std::vector<bool> lamp_taken(16, false);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            std::uint32_t& p = pix(x, y);
            const double a = (p >> 24) / 255.0;
            if (a <= 0) continue;
            const double dist = d[std::size_t(y) * W + x];
            double R = ((p >> 16) & 255) / 255.0, G = ((p >> 8) & 255) / 255.0, B = (p & 255) / 255.0;
            if (a >= 0.5 && dist < inf) {
                // Straight colour, to judge what this texel is.
                const double r0 = R / a, g0 = G / a, b0 = B / a;
                const double chroma = std::max({r0, g0, b0}) - std::min({r0, g0, b0});
                const double lum = 0.3 * r0 + 0.59 * g0 + 0.11 * b0;
                // Plating only on metal: not on lights, glows and dark openings.
                const double metal =
                    smoothstep(0.45, 0.2, chroma) * smoothstep(0.1, 0.22, lum) * smoothstep(0.97, 0.85, lum);
                const double depth = dist - 5.0;
                double k = 1.0, add = 0.0;
                if (depth > 0 && metal > 0) {
                    const double ang = std::atan2(y + 0.5 - cy, x + 0.5 - cx);
                    const double rad = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                    const double arc = (ang / kTau + 0.5) * kTau * rad;
                    const int ring = int(depth / band);
                    double seam = 0, lip = 0;  // distances to the nearest seams
                    int pa = 0, pb = 0;        // which plate
                    if (ring < 3) {
                        // Rim bands: plates laid along the outline, staggered.
                        const double in_ring = depth - ring * band;
                        const double len = band * 2.6;
                        const double along = arc / len + (ring % 2 ? 0.5 : 0.0);
                        const double across = std::fabs(along - std::round(along)) * len;
                        seam = std::min(in_ring, across);
                        pa = ring;
                        pb = int(std::floor(along));
                        // Rivets a little inside each band's outer seam.
                        if (std::fabs(in_ring - 3.5) < 0.8 && std::fmod(arc + 1000.0, 9.0) < 1.3) add += 0.16;
                    } else {
                        // The core: larger plates in staggered rows.
                        const double pw = band * 2.4, ph = band * 1.6;
                        const double row = (y + 0.5) / ph;
                        const int ri = int(std::floor(row));
                        const double col = (x + 0.5) / pw + (ri % 2 ? 0.5 : 0.0);
                        seam = std::min(std::fabs(row - std::round(row)) * ph, std::fabs(col - std::round(col)) * pw);
                        seam = std::min(seam, depth - 3 * band);
                        pa = 10 + ri;
                        pb = int(std::floor(col));
                    }
                    (void)lip;
                    k *= 0.93 + 0.12 * hash(pa, pb);
                    if (seam < 0.9)
                        k *= 0.62;  // seam groove
                    else if (seam < 1.9)
                        add += 0.06;  // its lit lip
                    k = 1 + (k - 1) * metal;
                    add *= metal;
                }
                R = std::min(a, R * k + add * a);
                G = std::min(a, G * k + add * a);
                B = std::min(a, B * k + add * a);
                // Running lights: one per sixteenth of a turn, 5 texels in.
                if (std::fabs(dist - 5.0) < 0.5) {
                    const double ang = std::atan2(y + 0.5 - cy, x + 0.5 - cx);
                    const int slot = int((ang / kTau + 0.5) * 16) % 16;
                    if (!lamp_taken[slot] && hash(slot, 99) < 0.55) {
                        lamp_taken[slot] = true;
                        lamps.push_back({r.x + x + 0.5, r.y + y + 0.5, slot});
                    }
                }
            }
            // The soft edge: fade the outer `feather` texels.
            const double f = dist >= inf ? 1.0 : smoothstep(0.0, feather, dist);
            auto q = [](double v) { return std::uint32_t(std::clamp(v, 0.0, 1.0) * 255 + 0.5); };
            const double na = a * (a >= 0.5 ? f : f * 0.5);
            const double s = a > 0 ? na / a : 0;
            p = q(na) << 24 | q(R * s) << 16 | q(G * s) << 8 | q(B * s);
        }
    cairo_surface_mark_dirty(surf);
    cairo_t* cr = c.cr();
    for (const Lamp& l : lamps) nav_light(cr, l.x, l.y, 1.7, l.k % 2 ? light_a : light_b, 1.0);
}

// A gun housing: an armoured block round a barrel's root, with a dark port.
void gun_housing(cairo_t* cr, double x, double y, double w, double h, Rgb L, Rgb D) {
    round_rect(cr, x - w / 2, y - h / 2, w, h, std::min(w, h) * 0.25);
    shade_hull(cr, mix(L, {1, 1, 1}, 0.1), D, 0.8);
    cairo_new_path(cr);
    panel_line(cr, x - w * 0.4, y - h * 0.2, x + w * 0.4, y - h * 0.2, 1.0, 0.5);
    round_rect(cr, x - w * 0.22, y + h * 0.05, w * 0.44, h * 0.3, w * 0.08);
    set_rgb(cr, scale(D, 0.6));
    cairo_fill(cr);
}

// ------------------------------------------------------------------ boss 0 --
// Ball carrier: a wide hull (x +-2, y +-1) with a bay in the middle.
void boss0_body(cairo_t* cr) {
    const Rgb L = rgb_hex(0xb8c0d0), D = rgb_hex(0x1e2430), acc = rgb_hex(0xe07020);
    // Swept outer wings.
    wings(cr, {{1.0, -0.5}, {1.95, 0.1}, {1.95, 0.42}, {1.6, 0.5}, {1.0, 0.3}}, L, D);
    hull(cr, {{0, -0.7}, {0.7, -0.72}, {1.35, -0.55}, {1.5, -0.1}, {1.2, 0.55}, {0.5, 0.85}, {0, 0.92}}, L, D);
    cairo_save(cr);
    mirrored_path(cr, {{0, -0.7}, {0.7, -0.72}, {1.35, -0.55}, {1.5, -0.1}, {1.2, 0.55}, {0.5, 0.85}, {0, 0.92}});
    cairo_clip(cr);
    Rng rng(500);
    greebles(cr, rng, -1.3, -0.55, -0.6, 0.35, 9, L, D, 0.12);
    greebles(cr, rng, 0.6, -0.55, 1.3, 0.35, 9, L, D, 0.12);
    for (double y : {-0.45, 0.05, 0.45}) panel_line(cr, -1.5, y, 1.5, y, 1.0, 0.35);
    cairo_restore(cr);
    for (double x : {-1.2, -0.6, 0.6, 1.2}) rear_engine(cr, x, -0.62, 0.13, rgb_hex(0xffa040));
    for (double s : {-1.0, 1.0}) {
        panel_line(cr, s * 0.5, -0.7, s * 0.5, 0.85, 1.2, 0.6);
        panel_line(cr, s * 1.0, -0.6, s * 1.15, 0.5, 1.0, 0.5);
        stripe(cr, s * 1.25, 0.3, s * 1.85, 0.38, 0.06, acc);
        // Guns near the lower edge at +-0.38 of the half width.
        gun_housing(cr, s * 0.76, 0.56, 0.3, 0.22, L, D);
        barrel(cr, s * 0.76, 0.6, 0, 1, 0.34, 0.09);
        nav_light(cr, s * 1.9, 0.3, 0.04, rgb_hex(0xff5030), 1.0);
    }
    // The bay, closed: two doors meeting in the middle, just above centre.
    round_rect(cr, -0.46, -0.36, 0.92, 0.56, 0.08);
    set_rgb(cr, rgb_hex(0x101216));
    cairo_fill(cr);
    for (double s : {-1.0, 1.0}) {
        plate(cr, {{0, -0.33}, {s * 0.43, -0.33}, {s * 0.43, 0.17}, {0, 0.17}}, mix(L, D, 0.25), D);
        stripe(cr, s * 0.08, -0.3, s * 0.08, 0.14, 0.04, acc);
    }
    canopy(cr, 0, 0.55, 0.22, 0.1, rgb_hex(0xff9040));
}

void boss0_sheet(Output& out) {
    Canvas c(512, 512);
    cairo_t* cr = c.cr();
    std::vector<Region> regs;
    fit(cr, layout::kBoss0Body, 2.0, 1.0, 2, [&] { boss0_body(cr); });
    hull_finish(c, layout::kBoss0Body, 500, rgb_hex(0xff5030), rgb_hex(0xffc060));
    regs.push_back(reg("body", layout::kBoss0Body));
    // Open bay: the lit interior the balls come out of.
    fit(cr, layout::kBoss0BayOpen, 1.0, 0.5, 2, [&] {
        round_rect(cr, -0.95, -0.45, 1.9, 0.9, 0.1);
        set_rgb(cr, rgb_hex(0x0c0c10));
        cairo_fill(cr);
        glow(cr, 0, 0, 0.8, rgb_hex(0xff8030), 0.9, 0.3);
        for (int i = -3; i <= 3; ++i) panel_line(cr, i * 0.25, -0.42, i * 0.25, 0.42, 1.0, 0.45);
    });
    regs.push_back(reg("bay open", layout::kBoss0BayOpen));
    for (int side = 0; side < 2; ++side) {
        const Rect& r = side ? layout::kBoss0DoorR : layout::kBoss0DoorL;
        fit(cr, r, 1.0, 1.0, 3, [&] {
            plate(cr, {{-0.9, -0.9}, {0.9, -0.9}, {0.9, 0.9}, {-0.9, 0.9}}, rgb_hex(0x9aa2b2), rgb_hex(0x1e2430));
            for (int i = -2; i <= 2; ++i) panel_line(cr, -0.8, i * 0.35, 0.8, i * 0.35, 1.0, 0.5);
            stripe(cr, side ? -0.75 : 0.75, -0.85, side ? -0.75 : 0.75, 0.85, 0.12, rgb_hex(0xe07020));
        });
        regs.push_back(reg(side ? "door right" : "door left", r));
    }
    // rball: an armoured orb with glowing seams; round so it can spin.
    fit(cr, layout::kBoss0Ball, 1.0, 1.0, 4, [&] {
        glow(cr, 0, 0, 1.0, rgb_hex(0xff7020), 0.35);
        for (int i = 0; i < 6; ++i) {
            cairo_save(cr);
            cairo_rotate(cr, i * kTau / 6);
            plate(cr, {{-0.12, -0.6}, {0.12, -0.6}, {0.06, -0.92}, {-0.06, -0.92}}, rgb_hex(0xb0b4bc),
                  rgb_hex(0x202226));
            cairo_restore(cr);
        }
        cairo_arc(cr, 0, 0, 0.66, 0, kTau);
        shade_hull(cr, rgb_hex(0xc0c4cc), rgb_hex(0x18191c));
        cairo_new_path(cr);
        for (int i = 0; i < 3; ++i) {
            cairo_save(cr);
            cairo_rotate(cr, i * kPi / 3);
            cairo_set_line_width(cr, 0.07);
            cairo_set_source_rgba(cr, 1, 0.55, 0.15, 0.9);
            ellipse(cr, 0, 0, 0.64, 0.22);
            cairo_stroke(cr);
            cairo_restore(cr);
        }
        glow(cr, 0, 0, 0.3, rgb_hex(0xffa040), 1.0, 0.4);
    });
    regs.push_back(reg("rball", layout::kBoss0Ball));
    portrait(
        c, layout::kBoss0Portrait, rgb_hex(0xff8030), [&] { boss0_body(cr); }, 2.0, 1.0);
    regs.push_back(reg("portrait", layout::kBoss0Portrait));
    health_bar(c, regs, rgb_hex(0xff7a20), rgb_hex(0x5a1800));
    out.textures.push_back(c.to_texture("BigBoss0", std::move(regs)));
}

// ------------------------------------------------------------------ boss 1 --
// Gunship with a turret: x +-1, y +-1.
void boss1_body(cairo_t* cr, bool with_turret) {
    const Rgb L = rgb_hex(0xa8b8a8), D = rgb_hex(0x18221c), acc = rgb_hex(0x40e080);
    wings(cr, {{0.4, -0.5}, {0.98, -0.1}, {0.98, 0.35}, {0.7, 0.45}, {0.4, 0.3}}, L, D);
    hull(cr, {{0, -0.88}, {0.4, -0.85}, {0.62, -0.4}, {0.6, 0.55}, {0.3, 0.92}, {0, 0.96}}, L, D);
    cairo_save(cr);
    mirrored_path(cr, {{0, -0.88}, {0.4, -0.85}, {0.62, -0.4}, {0.6, 0.55}, {0.3, 0.92}, {0, 0.96}});
    cairo_clip(cr);
    Rng rng(600);
    greebles(cr, rng, -0.58, -0.8, -0.3, 0.5, 10, L, D, 0.1);
    greebles(cr, rng, 0.3, -0.8, 0.58, 0.5, 10, L, D, 0.1);
    for (double y : {-0.55, 0.5, 0.75}) panel_line(cr, -0.7, y, 0.7, y, 1.0, 0.35);
    cairo_restore(cr);
    for (double x : {-0.4, 0.0, 0.4}) rear_engine(cr, x, -0.78, 0.11, rgb_hex(0x60ffb0));
    for (double s : {-1.0, 1.0}) {
        // Barrels at +-0.245 of the half width, pointing down.
        gun_housing(cr, s * 0.245, 0.52, 0.22, 0.2, L, D);
        barrel(cr, s * 0.245, 0.55, 0, 1, 0.42, 0.09);
        panel_line(cr, s * 0.62, -0.4, s * 0.95, 0.0, 1.0, 0.5);
        stripe(cr, s * 0.7, 0.15, s * 0.95, 0.2, 0.06, acc);
        nav_light(cr, s * 0.95, 0.3, 0.035, acc, 1.0);
    }
    panel_line(cr, -0.55, 0.45, 0.55, 0.45, 1.0, 0.5);
    // Turret ring.
    cairo_arc(cr, 0, 0, 0.36, 0, kTau);
    shade_hull(cr, mix(L, D, 0.35), D);
    cairo_new_path(cr);
    cairo_arc(cr, 0, 0, 0.26, 0, kTau);
    set_rgb(cr, scale(D, 0.8));
    cairo_fill(cr);
    for (int i = 0; i < 12; ++i) {
        const double a = i * kTau / 12;
        cairo_arc(cr, 0.31 * std::cos(a), 0.31 * std::sin(a), 0.018, 0, kTau);
        set_rgb(cr, mix(L, {1, 1, 1}, 0.3));
        cairo_fill(cr);
    }
    if (with_turret) {
        cairo_save(cr);
        cairo_scale(cr, 0.7, 0.7);
        cairo_arc(cr, 0, 0, 0.48, 0, kTau);
        shade_hull(cr, L, D);
        cairo_new_path(cr);
        cairo_restore(cr);
    }
}

void boss1_turret(cairo_t* cr) {
    const Rgb L = rgb_hex(0xb8c8b8), D = rgb_hex(0x18221c);
    for (double s : {-1.0, 1.0}) barrel(cr, s * 0.2, 0.2, 0, 1, 0.72, 0.14);
    cairo_arc(cr, 0, 0, 0.5, 0, kTau);
    shade_hull(cr, L, D);
    cairo_new_path(cr);
    round_rect(cr, -0.3, -0.2, 0.6, 0.55, 0.1);
    shade_hull(cr, mix(L, {1, 1, 1}, 0.15), D);
    cairo_new_path(cr);
    canopy(cr, 0, -0.3, 0.12, 0.08, rgb_hex(0x60ff90));
    panel_line(cr, -0.45, 0.0, -0.3, 0.0, 1.0, 0.5);
    panel_line(cr, 0.3, 0.0, 0.45, 0.0, 1.0, 0.5);
}

void boss1_sheet(Output& out) {
    Canvas c(512, 512);
    cairo_t* cr = c.cr();
    std::vector<Region> regs;
    fit(cr, layout::kBoss1Body, 1.0, 1.0, 4, [&] { boss1_body(cr, false); });
    hull_finish(c, layout::kBoss1Body, 600, rgb_hex(0x40e080), rgb_hex(0xff5030));
    regs.push_back(reg("body", layout::kBoss1Body));
    fit(cr, layout::kBoss1Turret, 1.0, 1.0, 3, [&] { boss1_turret(cr); });
    regs.push_back(reg("turret", layout::kBoss1Turret));
    // hstat: a repair pod with a glowing core.
    fit(cr, layout::kBoss1Station, 0.6, 1.0, 3, [&] {
        const Rgb L = rgb_hex(0xc0ccd8), D = rgb_hex(0x1a2028);
        for (double s : {-1.0, 1.0}) pod(cr, s * 0.36, 0.1, 0.2, 1.4, L, D);
        hull(cr, {{0, -0.95}, {0.24, -0.8}, {0.3, 0.6}, {0.18, 0.92}, {0, 0.95}}, L, D);
        glow(cr, 0, 0, 0.35, rgb_hex(0x66ffff), 0.95, 0.35);
        for (int i = 0; i < 4; ++i) nav_light(cr, 0, -0.7 + i * 0.15, 0.04, rgb_hex(0x66ffff), 1.0 - i * 0.2);
        panel_line(cr, -0.25, 0.45, 0.25, 0.45, 1.0, 0.5);
        for (double s : {-1.0, 1.0}) stripe(cr, s * 0.36, -0.5, s * 0.36, -0.3, 0.2, rgb_hex(0x40e080));
    });
    regs.push_back(reg("repair station", layout::kBoss1Station));
    soft_ball(c, layout::kBoss1Dot, 2);
    regs.push_back(reg("light dot", layout::kBoss1Dot));
    portrait(
        c, layout::kBossPortrait, rgb_hex(0x40e080), [&] { boss1_body(cr, true); }, 1.0, 1.0);
    regs.push_back(reg("portrait", layout::kBossPortrait));
    health_bar(c, regs, rgb_hex(0x40e070), rgb_hex(0x00401a));
    out.textures.push_back(c.to_texture("BigBoss1", std::move(regs)));
}

// ------------------------------------------------------------------ boss 2 --
// Bomber: x +-1.5, y +-1; the bay at y = 0.63.
void boss2_body(cairo_t* cr, bool closed_doors) {
    const Rgb L = rgb_hex(0xc8b8d0), D = rgb_hex(0x221a2a), acc = rgb_hex(0xb050ff);
    hull(cr, {{0, -0.85}, {0.6, -0.8}, {1.45, -0.2}, {1.48, 0.1}, {1.1, 0.2}, {0.55, 0.85}, {0, 0.95}}, L, D);
    cairo_save(cr);
    mirrored_path(cr, {{0, -0.85}, {0.6, -0.8}, {1.45, -0.2}, {1.48, 0.1}, {1.1, 0.2}, {0.55, 0.85}, {0, 0.95}});
    cairo_clip(cr);
    Rng rng(700);
    greebles(cr, rng, -1.2, -0.55, -0.6, 0.05, 9, L, D, 0.1);
    greebles(cr, rng, 0.6, -0.55, 1.2, 0.05, 9, L, D, 0.1);
    for (double y : {-0.6, -0.3, 0.25, 0.5}) panel_line(cr, -1.5, y, 1.5, y, 1.0, 0.35);
    for (double x : {-1.0, -0.8, 0.8, 1.0}) panel_line(cr, x, -0.8, x, 0.2, 1.0, 0.3);
    cairo_restore(cr);
    for (double x : {-0.9, -0.35, 0.35, 0.9}) rear_engine(cr, x, x * x > 0.5 ? -0.5 : -0.72, 0.12, rgb_hex(0xd070ff));
    for (double s : {-1.0, 1.0}) {
        panel_line(cr, s * 0.55, -0.78, s * 0.5, 0.8, 1.2, 0.6);
        stripe(cr, s * 0.7, -0.1, s * 1.35, -0.05, 0.07, acc);
        nav_light(cr, s * 1.45, -0.05, 0.04, acc, 1.0);
    }
    // Turret mount in the middle (a ring of armour round a lit well, not a
    // hole) and the bomb bay below it.
    cairo_arc(cr, 0, -0.1, 0.34, 0, kTau);
    shade_hull(cr, mix(L, D, 0.2), D, 0.8);
    cairo_new_path(cr);
    cairo_arc(cr, 0, -0.1, 0.26, 0, kTau);
    set_rgb(cr, mix(D, L, 0.25));
    cairo_fill(cr);
    for (int i = 0; i < 12; ++i) {
        const double a = i * kTau / 12;
        cairo_arc(cr, 0.3 * std::cos(a), -0.1 + 0.3 * std::sin(a), 0.016, 0, kTau);
        set_rgb(cr, mix(L, {1, 1, 1}, 0.3));
        cairo_fill(cr);
    }
    round_rect(cr, -0.32, 0.45, 0.64, 0.36, 0.06);
    set_rgb(cr, rgb_hex(0x0c0a0e));
    cairo_fill(cr);
    glow(cr, 0, 0.63, 0.3, rgb_hex(0xff6040), 0.6);
    if (closed_doors) {
        for (double s : {-1.0, 1.0})
            plate(cr, {{0, 0.46}, {s * 0.31, 0.46}, {s * 0.31, 0.8}, {0, 0.8}}, mix(L, D, 0.25), D);
    }
}

void boss2_turret(cairo_t* cr) {
    const Rgb L = rgb_hex(0xd0c4d8), D = rgb_hex(0x221a2a);
    for (int i = 0; i < 3; ++i) {
        cairo_save(cr);
        cairo_rotate(cr, i * kTau / 3);
        barrel(cr, 0, 0.3, 0, 1, 0.6, 0.13);
        cairo_restore(cr);
    }
    cairo_arc(cr, 0, 0, 0.45, 0, kTau);
    shade_hull(cr, L, D);
    cairo_new_path(cr);
    for (int i = 0; i < 3; ++i) {
        const double a = i * kTau / 3 + kPi / 2 + kPi / 3;
        panel_line(cr, 0.12 * std::cos(a), 0.12 * std::sin(a), 0.43 * std::cos(a), 0.43 * std::sin(a), 1.0, 0.55);
    }
    glow(cr, 0, 0, 0.16, rgb_hex(0xd070ff), 1.0, 0.4);
}

void bomb(cairo_t* cr, double unfold) {
    // Fins swing out as it unfolds.
    const Rgb L = rgb_hex(0xd8d0c0), D = rgb_hex(0x2a2620);
    for (double s : {-1.0, 1.0})
        plate(cr,
              {{s * 0.3, -0.2},
               {s * (0.35 + 0.55 * unfold), -0.35 - 0.2 * unfold},
               {s * (0.4 + 0.55 * unfold), -0.1},
               {s * 0.3, 0.1}},
              L, D);
    hull(cr, {{0, -0.45}, {0.28, -0.38}, {0.34, 0.1}, {0.2, 0.42}, {0, 0.48}}, L, D);
    stripe(cr, -0.3, -0.05, 0.3, -0.05, 0.08, rgb_hex(0xe0b020));
    nav_light(cr, 0, 0.3, 0.06, rgb_hex(0xff3020), 0.3 + 0.7 * unfold);
}

void boss2_sheet(Output& out) {
    Canvas c(512, 512);
    cairo_t* cr = c.cr();
    std::vector<Region> regs;
    fit(cr, layout::kBoss2Body, 1.5, 1.0, 3, [&] { boss2_body(cr, false); });
    hull_finish(c, layout::kBoss2Body, 700, rgb_hex(0xc070ff), rgb_hex(0xff5030));
    regs.push_back(reg("body", layout::kBoss2Body));
    for (int side = 0; side < 2; ++side) {
        const Rect& r = side ? layout::kBoss2DoorR : layout::kBoss2DoorL;
        fit(cr, r, 1.0, 0.5, 2, [&] {
            plate(cr, {{-0.95, -0.45}, {0.95, -0.45}, {0.95, 0.45}, {-0.95, 0.45}}, rgb_hex(0xb0a4b8),
                  rgb_hex(0x221a2a));
            for (int i = -2; i <= 2; ++i) panel_line(cr, i * 0.35, -0.4, i * 0.35, 0.4, 1.0, 0.5);
            stripe(cr, side ? -0.88 : 0.88, -0.42, side ? -0.88 : 0.88, 0.42, 0.1, rgb_hex(0xe0b020));
        });
        regs.push_back(reg(side ? "door right" : "door left", r));
    }
    fit(cr, layout::kBoss2Turret, 1.0, 1.0, 3, [&] { boss2_turret(cr); });
    regs.push_back(reg("turret", layout::kBoss2Turret));
    for (int i = 0; i < 4; ++i) {
        fit(cr, layout::kBoss2Bomb[i], 1.0, 0.5, 2, [&] { bomb(cr, i / 3.0); });
        regs.push_back(reg("bomb " + std::to_string(i), layout::kBoss2Bomb[i]));
    }
    portrait(
        c, layout::kBossPortrait, rgb_hex(0xb050ff), [&] { boss2_body(cr, true); }, 1.5, 1.0);
    regs.push_back(reg("portrait", layout::kBossPortrait));
    health_bar(c, regs, rgb_hex(0xc060ff), rgb_hex(0x300050));
    out.textures.push_back(c.to_texture("BigBoss2", std::move(regs)));
}

// ------------------------------------------------------------------ boss 3 --
// Three arms at 0, 120 and 240 degrees (one pointing down): x, y +-1.
void boss3_body(cairo_t* cr) {
    const Rgb L = rgb_hex(0xd0c0a8), D = rgb_hex(0x2a1c12), acc = rgb_hex(0xff3070);
    for (int i = 0; i < 3; ++i) {
        cairo_save(cr);
        cairo_rotate(cr, i * kTau / 3);
        // Arm pointing toward +y.
        hull(cr, {{0, 0.2}, {0.2, 0.25}, {0.16, 0.78}, {0.1, 0.9}, {0, 0.92}}, L, D);
        for (double s : {-1.0, 1.0}) pod(cr, s * 0.2, 0.55, 0.1, 0.4, L, D);
        panel_line(cr, 0, 0.3, 0, 0.8, 1.0, 0.5);
        stripe(cr, -0.14, 0.45, 0.14, 0.45, 0.05, acc);
        // Emitter at the tip.
        cairo_arc(cr, 0, 0.86, 0.09, 0, kTau);
        set_rgb(cr, rgb_hex(0x1a0c10));
        cairo_fill(cr);
        glow(cr, 0, 0.86, 0.12, acc, 1.0, 0.4);
        cairo_restore(cr);
    }
    cairo_arc(cr, 0, 0, 0.42, 0, kTau);
    shade_hull(cr, L, D);
    cairo_new_path(cr);
    for (int i = 0; i < 6; ++i) {
        const double a = i * kTau / 6 + kPi / 6;
        panel_line(cr, 0.2 * std::cos(a), 0.2 * std::sin(a), 0.4 * std::cos(a), 0.4 * std::sin(a), 1.0, 0.55);
    }
    cairo_arc(cr, 0, 0, 0.2, 0, kTau);
    shade_hull(cr, mix(L, {1, 1, 1}, 0.2), D);
    cairo_new_path(cr);
    glow(cr, 0, 0, 0.16, acc, 0.9, 0.35);
    for (int i = 0; i < 3; ++i) {
        const double a = i * kTau / 3 + kPi / 2 + kPi / 3;
        nav_light(cr, 0.32 * std::cos(a), 0.32 * std::sin(a), 0.03, rgb_hex(0xffe060), 1.0);
    }
}

void boss3_sheet(Output& out) {
    Canvas c(512, 512);
    cairo_t* cr = c.cr();
    std::vector<Region> regs;
    fit(cr, layout::kBoss3Body, 1.0, 1.0, 4, [&] { boss3_body(cr); });
    hull_finish(c, layout::kBoss3Body, 800, rgb_hex(0xff3070), rgb_hex(0xffe060));
    regs.push_back(reg("body", layout::kBoss3Body));
    // Arm light, beam dot and cloud puff share one soft white ball.
    soft_ball(c, layout::kBoss3Light, 1);
    regs.push_back(reg("arm light", layout::kBoss3Light));
    regs.push_back({"cloud puff", 385, 33, 30, 30});
    portrait(
        c, layout::kBossPortrait, rgb_hex(0xff3070), [&] { boss3_body(cr); }, 1.0, 1.0);
    regs.push_back(reg("portrait", layout::kBossPortrait));
    health_bar(c, regs, rgb_hex(0xff3070), rgb_hex(0x50001a));
    out.textures.push_back(c.to_texture("BigBoss3", std::move(regs)));
}

// ------------------------------------------------------------------ boss 4 --
// Hovering fortress: x, y +-1; side launch bays at +-0.85, gun ports low.
void boss4_body(cairo_t* cr) {
    const Rgb L = rgb_hex(0xa8c0d8), D = rgb_hex(0x141c2a), acc = rgb_hex(0xffd030);
    // Launch bays on the flanks.
    for (double s : {-1.0, 1.0}) {
        cairo_save(cr);
        cairo_translate(cr, s * 0.78, 0.0);
        round_rect(cr, -0.2, -0.42, 0.4, 0.84, 0.12);
        shade_hull(cr, L, D);
        cairo_new_path(cr);
        round_rect(cr, -0.11, -0.22, 0.22, 0.44, 0.06);
        set_rgb(cr, rgb_hex(0x0a0e14));
        cairo_fill(cr);
        glow(cr, 0, 0, 0.2, acc, 0.7);
        for (int i = 0; i < 3; ++i) nav_light(cr, 0, -0.34 + i * 0.34, 0.03, acc, 1.0);
        cairo_restore(cr);
        plate(cr, {{s * 0.35, -0.2}, {s * 0.62, -0.3}, {s * 0.62, 0.3}, {s * 0.35, 0.2}}, L, D);
    }
    hull(cr, {{0, -0.95}, {0.3, -0.9}, {0.5, -0.55}, {0.56, 0.4}, {0.42, 0.82}, {0.2, 0.96}, {0, 0.98}}, L, D);
    cairo_save(cr);
    mirrored_path(cr, {{0, -0.95}, {0.3, -0.9}, {0.5, -0.55}, {0.56, 0.4}, {0.42, 0.82}, {0.2, 0.96}, {0, 0.98}});
    cairo_clip(cr);
    Rng rng(900);
    greebles(cr, rng, -0.5, -0.8, -0.2, 0.6, 10, L, D, 0.1);
    greebles(cr, rng, 0.2, -0.8, 0.5, 0.6, 10, L, D, 0.1);
    for (double y : {-0.65, -0.25, 0.6}) panel_line(cr, -0.6, y, 0.6, y, 1.0, 0.35);
    cairo_restore(cr);
    for (double x : {-0.28, 0.28}) rear_engine(cr, x, -0.82, 0.12, rgb_hex(0x60c0ff));
    // Slow-bullet ports low on both sides (x +-0.73 of the half width).
    for (double s : {-1.0, 1.0}) {
        gun_housing(cr, s * 0.4, 0.8, 0.3, 0.26, L, D);
        cairo_arc(cr, s * 0.4, 0.82, 0.09, 0, kTau);
        set_rgb(cr, rgb_hex(0x100808));
        cairo_fill(cr);
        glow(cr, s * 0.4, 0.82, 0.1, rgb_hex(0xff5020), 0.95, 0.4);
        panel_line(cr, s * 0.2, -0.85, s * 0.2, 0.9, 1.2, 0.6);
    }
    // Central reactor.
    cairo_arc(cr, 0, 0.05, 0.22, 0, kTau);
    shade_hull(cr, mix(L, {1, 1, 1}, 0.2), D);
    cairo_new_path(cr);
    glow(cr, 0, 0.05, 0.17, rgb_hex(0x60c0ff), 1.0, 0.45);
    canopy(cr, 0, -0.5, 0.14, 0.1, rgb_hex(0xffd030));
    stripe(cr, -0.45, 0.45, 0.45, 0.45, 0.03, acc);
}

void boss4_sheet(Output& out) {
    Canvas c(512, 512);
    cairo_t* cr = c.cr();
    std::vector<Region> regs;
    fit(cr, layout::kBoss4Body, 1.0, 1.0, 4, [&] { boss4_body(cr); });
    hull_finish(c, layout::kBoss4Body, 900, rgb_hex(0xffd030), rgb_hex(0x60c0ff));
    regs.push_back(reg("body", layout::kBoss4Body));
    // fufig: a small drone, nose down.
    fit(cr, layout::kBoss4Figure, 1.0, 1.0, 3, [&] {
        cairo_rotate(cr, kPi);
        const Palette& p = kBronze;
        exhaust(cr, 0, 0.5, 0.12, 0.3, rgb_hex(0x60c0ff), 1.0);
        wings(cr, {{0.15, -0.2}, {0.85, 0.3}, {0.8, 0.5}, {0.15, 0.4}}, p.light, p.dark);
        hull(cr, {{0, -0.85}, {0.16, -0.4}, {0.2, 0.3}, {0, 0.55}}, p.light, p.dark);
        canopy(cr, 0, -0.2, 0.09, 0.18, rgb_hex(0xffd030));
        for (double s : {-1.0, 1.0}) nav_light(cr, s * 0.8, 0.42, 0.06, rgb_hex(0xffd030), 1.0);
    });
    regs.push_back(reg("fufig drone", layout::kBoss4Figure));
    portrait(
        c, layout::kBossPortrait, rgb_hex(0x60c0ff), [&] { boss4_body(cr); }, 1.0, 1.0);
    regs.push_back(reg("portrait", layout::kBossPortrait));
    health_bar(c, regs, rgb_hex(0x50b0ff), rgb_hex(0x002050));
    out.textures.push_back(c.to_texture("BigBoss4", std::move(regs)));
}

}  // namespace

void bosses(Output& out) {
    boss0_sheet(out);
    boss1_sheet(out);
    boss2_sheet(out);
    boss3_sheet(out);
    boss4_sheet(out);
}

}  // namespace assetgen::sprites
