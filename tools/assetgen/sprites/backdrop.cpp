// What scrolls behind the fight: the space backdrops and their overlays
// ("FoneTex"), and the station plating the ground guns stand on ("GroundTex").
// Every tile repeats seamlessly in both directions.
#include <algorithm>
#include <cmath>

#include "../common/draw.h"
#include "../common/noise.h"
#include "sprites.h"

namespace assetgen::sprites {

using namespace gfx;

namespace {

struct Nebula {
    Rgb deep, glow_a, glow_b;
    std::uint32_t seed;
};

// Draws `fn(px, py)` at the 9 wrapped copies of a point so that anything near a
// tile edge continues on the opposite edge. The caller clips to the tile.
template <class Fn>
void wrapped(double size, Fn&& fn) {
    for (int oy = -1; oy <= 1; ++oy)
        for (int ox = -1; ox <= 1; ++ox) fn(ox * size, oy * size);
}

void star(cairo_t* cr, double x, double y, double r, Rgb c, double a) {
    glow(cr, x, y, r * 3.5, c, a * 0.35);
    cairo_arc(cr, x, y, r * 0.6, 0, kTau);
    set_rgb(cr, mix(c, {1, 1, 1}, 0.6), a);
    cairo_fill(cr);
}

// An opaque deep-space tile: nebula clouds and three depths of stars.
void space_tile(Canvas& c, int x0, int y0, int size, const Nebula& nb) {
    Noise n1(nb.seed, 4), n2(nb.seed + 101, 3), n3(nb.seed + 202, 8);
    c.begin_pixels();
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double u = double(x) / size, v = double(y) / size;
            const double a = n1.fbm(u * 4, v * 4, 5, 0.55);
            const double b = n2.fbm(u * 3, v * 3, 4, 0.5);
            const double dust = n3.fbm(u * 8, v * 8, 3, 0.5);
            const double cloud_a = smoothstep(0.42, 0.78, a);
            const double cloud_b = smoothstep(0.5, 0.82, b) * 0.8;
            Rgb col = nb.deep;
            col = mix(col, nb.glow_a, cloud_a * 0.55);
            col = mix(col, nb.glow_b, cloud_b * 0.45);
            col = mix(col, scale(nb.deep, 0.5), smoothstep(0.55, 0.75, dust) * 0.5);  // dark lanes
            c.blend(x0 + x, y0 + y, col, 1.0);
        }
    c.end_pixels();
    cairo_t* cr = c.cr();
    cairo_save(cr);
    cairo_rectangle(cr, x0, y0, size, size);
    cairo_clip(cr);
    Rng rng(nb.seed * 31 + 7);
    const int count = size * size / 260;
    for (int i = 0; i < count; ++i) {
        const double sx = rng.uniform() * size, sy = rng.uniform() * size;
        const double k = rng.uniform();
        const double r = k < 0.85 ? 0.5 + rng.uniform() * 0.4 : k < 0.97 ? 0.9 + rng.uniform() * 0.5 : 1.4 + rng.uniform();
        const double a = k < 0.85 ? 0.35 + rng.uniform() * 0.4 : 0.85;
        const Rgb tint = mix({1, 1, 1}, rng.uniform() < 0.5 ? rgb_hex(0x9fc4ff) : rgb_hex(0xffe0b0), rng.uniform() * 0.7);
        wrapped(size, [&](double ox, double oy) { star(cr, x0 + sx + ox, y0 + sy + oy, r, tint, a); });
        if (r > 1.6) {  // a few bright ones get cross spikes
            wrapped(size, [&](double ox, double oy) {
                const double px = x0 + sx + ox, py = y0 + sy + oy;
                cairo_set_line_width(cr, 0.8);
                cairo_pattern_t* p = cairo_pattern_create_radial(px, py, 0, px, py, r * 6);
                cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0.7);
                cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0);
                cairo_set_source(cr, p);
                cairo_move_to(cr, px - r * 6, py);
                cairo_line_to(cr, px + r * 6, py);
                cairo_move_to(cr, px, py - r * 6);
                cairo_line_to(cr, px, py + r * 6);
                cairo_stroke(cr);
                cairo_pattern_destroy(p);
            });
        }
    }
    cairo_restore(cr);
}

// Mostly transparent white overlays for the tinted front layer.
void overlay_clouds(Canvas& c, int x0, int y0, int size, std::uint32_t seed) {
    Noise n(seed, 4);
    c.begin_pixels();
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double u = double(x) / size, v = double(y) / size;
            const double a = n.fbm(u * 4, v * 4, 5, 0.55);
            const double d = smoothstep(0.5, 0.85, a);
            c.blend(x0 + x, y0 + y, {0.9 + 0.1 * d, 0.9 + 0.1 * d, 0.92 + 0.08 * d}, d * 0.55);
        }
    c.end_pixels();
}

void overlay_dust(Canvas& c, int x0, int y0, int size, std::uint32_t seed) {
    cairo_t* cr = c.cr();
    cairo_save(cr);
    cairo_rectangle(cr, x0, y0, size, size);
    cairo_clip(cr);
    Rng rng(seed);
    for (int i = 0; i < 46; ++i) {
        const double sx = rng.uniform() * size, sy = rng.uniform() * size;
        const double r = 0.6 + rng.uniform() * rng.uniform() * 2.2;
        wrapped(size, [&](double ox, double oy) { star(cr, x0 + sx + ox, y0 + sy + oy, r, {1, 1, 1}, 0.9); });
    }
    cairo_restore(cr);
}

void overlay_streaks(Canvas& c, int x0, int y0, int size, std::uint32_t seed) {
    Noise n(seed, 4);
    c.begin_pixels();
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double u = double(x) / size, v = double(y) / size;
            // Stretched along y: long wisps that read as speed.
            const double a = n.fbm(u * 4, v * 4 * 0.25 * 4, 4, 0.6);
            const double w = std::fabs(std::sin((u + (a - 0.5) * 0.35) * kTau * 3));
            const double d = smoothstep(0.8, 1.0, w) * smoothstep(0.35, 0.7, a);
            c.blend(x0 + x, y0 + y, {1, 1, 1}, d * 0.45);
        }
    c.end_pixels();
    overlay_dust(c, x0, y0, size, seed + 5);
}

void fone_tex(Output& out) {
    Canvas c(512, 512);
    space_tile(c, 0, 0, 256, {rgb_hex(0x03040c), rgb_hex(0x1c2f6a), rgb_hex(0x3a1850), 11});
    space_tile(c, 0, 256, 256, {rgb_hex(0x070309), rgb_hex(0x5a1a3a), rgb_hex(0x6a3a18), 23});
    space_tile(c, 256, 0, 256, {rgb_hex(0x020807), rgb_hex(0x134a4a), rgb_hex(0x1a2a5a), 37});
    overlay_clouds(c, 256, 256, 128, 51);
    overlay_dust(c, 384, 256, 128, 61);
    overlay_streaks(c, 256, 384, 128, 71);
    std::vector<Region> regs = {
        {"F1 backdrop 1", 0, 0, 256, 256},       {"F2 backdrop 2", 0, 256, 256, 256},
        {"F3 backdrop 3", 256, 0, 256, 256},     {"F4 overlay 1", 256, 256, 128, 128},
        {"F5 overlay 2", 384, 256, 128, 128},    {"F6 overlay 3", 256, 384, 128, 128},
    };
    out.textures.push_back(c.to_texture("FoneTex", std::move(regs)));
}

// One 128 x 128 ground strip. Upper plates are light hull plating with
// chamfered corners; the lower layer is a darker girder lattice.
void plate_tile(Canvas& c, int x0, bool upper, int variant) {
    cairo_t* cr = c.cr();
    const int S = 128;
    Noise grime(300 + variant, 4);
    cairo_save(cr);
    cairo_rectangle(cr, x0, 0, S, S);
    cairo_clip(cr);
    cairo_translate(cr, x0, 0);
    const Rgb base = upper ? rgb_hex(variant ? 0x7d8796 : 0x8a8476) : rgb_hex(variant ? 0x3a4150 : 0x433c36);
    if (upper) {
        // Plate with chamfered corners; the sampled height ends at 126.
        const double m = 1.5, ch = 14, H = 126;
        cairo_move_to(cr, m + ch, m);
        cairo_line_to(cr, S - m - ch, m);
        cairo_line_to(cr, S - m, m + ch);
        cairo_line_to(cr, S - m, H - m - ch);
        cairo_line_to(cr, S - m - ch, H - m);
        cairo_line_to(cr, m + ch, H - m);
        cairo_line_to(cr, m, H - m - ch);
        cairo_line_to(cr, m, m + ch);
        cairo_close_path(cr);
        shade_hull(cr, mix(base, {1, 1, 1}, 0.25), scale(base, 0.55));
        cairo_new_path(cr);
        // Inner panels.
        if (variant == 0) {
            panel_line(cr, 12, 42, 116, 42, 1.2, 0.55);
            panel_line(cr, 12, 84, 116, 84, 1.2, 0.55);
            panel_line(cr, 64, 10, 64, 42, 1.2, 0.55);
            panel_line(cr, 40, 84, 40, 116, 1.2, 0.55);
            panel_line(cr, 88, 84, 88, 116, 1.2, 0.55);
            // Hazard stripe band.
            cairo_save(cr);
            cairo_rectangle(cr, 14, 52, 100, 22);
            cairo_clip(cr);
            set_rgb(cr, rgb_hex(0x2a2a2a));
            cairo_paint(cr);
            for (int i = -2; i < 10; ++i) {
                cairo_move_to(cr, 14 + i * 14, 74);
                cairo_line_to(cr, 14 + i * 14 + 7, 74);
                cairo_line_to(cr, 14 + i * 14 + 29, 52);
                cairo_line_to(cr, 14 + i * 14 + 22, 52);
                cairo_close_path(cr);
            }
            set_rgb(cr, rgb_hex(0xd8a020), 0.9);
            cairo_fill(cr);
            cairo_restore(cr);
        } else {
            // Vent grille and a hatch.
            round_rect(cr, 18, 16, 40, 40, 5);
            set_rgb(cr, scale(base, 0.35));
            cairo_fill(cr);
            for (int i = 0; i < 6; ++i) panel_line(cr, 22, 21 + i * 6.2, 54, 21 + i * 6.2, 2.0, 0.7);
            cairo_arc(cr, 88, 86, 22, 0, kTau);
            shade_hull(cr, mix(base, {1, 1, 1}, 0.1), scale(base, 0.5));
            cairo_new_path(cr);
            cairo_arc(cr, 88, 86, 15, 0, kTau);
            set_rgb(cr, scale(base, 0.45));
            cairo_set_line_width(cr, 2);
            cairo_stroke(cr);
            panel_line(cr, 12, 66, 116, 66, 1.2, 0.55);
            panel_line(cr, 64, 66, 64, 116, 1.2, 0.55);
        }
        // Rivets along the rim.
        for (int i = 0; i < 6; ++i) {
            const double p = 22 + i * 16.8;
            for (auto [rx, ry] : {std::pair{p, 6.0}, std::pair{p, 120.0}, std::pair{6.0, p}, std::pair{122.0, p}}) {
                if (ry > 118 && p > 112) continue;
                cairo_arc(cr, rx, ry, 1.3, 0, kTau);
                set_rgb(cr, mix(base, {1, 1, 1}, 0.5));
                cairo_fill(cr);
            }
        }
        // Status lamps.
        nav_light(cr, 10, 63, 1.6, variant ? rgb_hex(0x40ff90) : rgb_hex(0xff5030), 1.0);
    } else {
        // Girder lattice: a frame and braces, each beam shaded on its own,
        // open between them so the far backdrop shows through.
        const double w = 16, H = 126;
        auto beam = [&](double x0, double y0, double x1, double y1, double width) {
            const double dx = x1 - x0, dy = y1 - y0, len = std::hypot(dx, dy);
            const double px = -dy / len * width / 2, py = dx / len * width / 2;
            cairo_move_to(cr, x0 + px, y0 + py);
            cairo_line_to(cr, x1 + px, y1 + py);
            cairo_line_to(cr, x1 - px, y1 - py);
            cairo_line_to(cr, x0 - px, y0 - py);
            cairo_close_path(cr);
            shade_hull(cr, mix(base, {1, 1, 1}, 0.25), scale(base, 0.45), 0.7);
            cairo_new_path(cr);
            // A flange line down the middle of the beam.
            panel_line(cr, x0, y0, x1, y1, 1.0, 0.45);
        };
        if (variant == 0) {
            beam(w, w, S - w, H - w, 11);
            beam(S - w, w, w, H - w, 11);
        } else {
            beam(S / 2.0, w, S / 2.0, H - w, 12);
            beam(w, H / 2, S - w, H / 2, 12);
        }
        beam(0, w / 2, S, w / 2, w);
        beam(0, H - w / 2, S, H - w / 2, w);
        beam(w / 2, w, w / 2, H - w, w);
        beam(S - w / 2, w, S - w / 2, H - w, w);
        // Bolt holes along the chords.
        for (double yy : {8.0, 118.0})
            for (int i = 0; i < 8; ++i) {
                cairo_arc(cr, 8 + i * 16, yy, 2.4, 0, kTau);
                set_rgb(cr, scale(base, 0.3));
                cairo_fill(cr);
            }
        // Gusset plates at the corners.
        for (auto [gx, gy] : {std::pair{w, w}, std::pair{S - w, w}, std::pair{w, H - w}, std::pair{S - w, H - w}}) {
            cairo_arc(cr, gx, gy, 7, 0, kTau);
            shade_hull(cr, mix(base, {1, 1, 1}, 0.35), scale(base, 0.5), 0.7);
            cairo_new_path(cr);
        }
        nav_light(cr, 64, 8, 1.8, rgb_hex(0xffb040), 1.0);
    }
    cairo_restore(cr);
    // Grime: darken the plating a little, wherever it is opaque.
    c.begin_pixels();
    auto* data = cairo_image_surface_get_data(c.surface());
    const int stride = cairo_image_surface_get_stride(c.surface());
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            auto* p = reinterpret_cast<std::uint32_t*>(data + y * stride) + x0 + x;
            if ((*p >> 24) == 0) continue;
            const double g = 0.82 + 0.18 * grime.fbm(x / 32.0, y / 32.0, 4);
            const std::uint32_t a = *p >> 24;
            const std::uint32_t r = std::uint32_t(((*p >> 16) & 255) * g), gg = std::uint32_t(((*p >> 8) & 255) * g),
                                b = std::uint32_t((*p & 255) * g);
            *p = a << 24 | r << 16 | gg << 8 | b;
        }
    c.end_pixels();
}

void ground_tex(Output& out) {
    Canvas c(512, 128);
    plate_tile(c, 0, true, 0);
    plate_tile(c, 128, true, 1);
    plate_tile(c, 256, false, 0);
    plate_tile(c, 384, false, 1);
    std::vector<Region> regs = {{"G1 upper kind 1", 0, 1, 128, 125},
                                {"G2 upper kind 2", 128, 1, 128, 125},
                                {"G3 lower kind 1", 256, 1, 128, 125},
                                {"G4 lower kind 2", 384, 1, 128, 125}};
    out.textures.push_back(c.to_texture("GroundTex", std::move(regs)));
}

}  // namespace

void backdrop(Output& out) {
    fone_tex(out);
    ground_tex(out);
}

}  // namespace assetgen::sprites
