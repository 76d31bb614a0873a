// What scrolls behind the fight: the space backdrops and their overlays
// ("FoneTex"), and the station plating the ground guns stand on ("GroundTex").
// Every tile repeats seamlessly in both directions, over the span the game
// samples.
#include <algorithm>
#include <cmath>

#include "../common/draw.h"
#include "../common/noise.h"
#include "sprites.h"

namespace assetgen::sprites {

using namespace gfx;

namespace {

// The backdrop stays behind the fight: nothing in it may be as bright or as
// saturated as the dimmest enemy bullet, and nothing may look like a shot or
// a pickup. The layout repeats one cell 4 x 4 times across the screen, so no
// cell holds a landmark: the stars are small, faint and irregular, and the
// gas is low in contrast with structure on several scales.
constexpr double kMaxStar = 0.56;  // brightest star, on the 0..1 scale of a channel

struct Look {
    Rgb deep, gas_a, gas_b, lane;
    std::uint32_t seed;
    double gas;       // how much of the tile the gas covers, 0..1
    double filament;  // share of thin ridged filaments in the gas
    int stars;        // faint stars per tile
};

// Periodic domain-warped noise over the unit tile: repeats every 1.0 in u
// and v whatever the warp, because the warp is periodic too.
double warped(const Noise& base, const Noise& wx, const Noise& wy, int period, double u, double v, int oct,
              double warp) {
    const double ox = (wx.fbm(u * 3, v * 3, 3) - 0.5) * warp, oy = (wy.fbm(u * 3, v * 3, 3) - 0.5) * warp;
    return base.fbm((u + ox) * period, (v + oy) * period, oct, 0.55);
}

// Ridged noise: thin bright lines where the noise crosses its middle.
double ridge(double n, double width) { return std::pow(clamp01(1 - std::fabs(n - 0.5) / width), 3.0); }

// Where a tile repeats. The game shows every cell of "FoneTex" from 0.001
// inside its edges (0.512 texels of the 512-texel sheet) and lays the cells
// edge to edge, so one tile's last sampled line meets the next tile's first:
// the picture must repeat over exactly that sampled span, or each edge of the
// 4 x 4 grid skips a texel and the grid shows as seams. The texels between
// the sampled span and the cell's edge hold the picture's wrap, so bilinear
// filtering at the edge blends continuous neighbours.
constexpr double kSampleInset = 0.512;

struct Span {
    int size;  // texels of the cell
    double period() const { return size - 2 * kSampleInset; }
    // Position in the repeat (0..1) of the centre of texel x of the cell.
    double at(int x) const { return (x + 0.5 - kSampleInset) / period(); }
};

// A faint star: a texel-sized point with a tiny soft rim, no spikes, at
// (x, y) of the repeat in texels. The tile wraps, so a star near an edge
// shows on the opposite one as well.
void faint_star(Canvas& c, int x0, int y0, const Span& s, double x, double y, double r, Rgb col, double a) {
    const int reach = int(std::ceil(r + 1));
    const double p = s.period();
    for (const double ox : {-p, 0.0, p})
        for (const double oy : {-p, 0.0, p}) {
            const double cx = kSampleInset + x + ox, cy = kSampleInset + y + oy;
            if (cx < -reach || cy < -reach || cx > s.size + reach || cy > s.size + reach) continue;
            for (int dy = -reach; dy <= reach; ++dy)
                for (int dx = -reach; dx <= reach; ++dx) {
                    const int px = int(std::floor(cx)) + dx, py = int(std::floor(cy)) + dy;
                    if (px < 0 || py < 0 || px >= s.size || py >= s.size) continue;
                    const double d = std::hypot(px + 0.5 - cx, py + 0.5 - cy);
                    const double k = clamp01(1 - d / (r + 0.8));
                    if (k > 0) c.blend(x0 + px, y0 + py, col, a * k * k);
                }
        }
}

// An opaque deep-space tile.
void space_tile(Canvas& c, int x0, int y0, int size, const Look& lk) {
    const Span span{size};
    // No feature as large as the cell: a cell-sized blob would repeat as a
    // lattice. The gas is built from structure 4 to 7 times finer than the
    // cell, warped so that it never lines up with the cell's edges.
    Noise gas(lk.seed, 4), gas2(lk.seed + 101, 7), fil(lk.seed + 202, 5), lanes(lk.seed + 303, 6);
    Noise wx(lk.seed + 404, 3), wy(lk.seed + 505, 3), grain(lk.seed + 606, 16);
    c.begin_pixels();
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double u = span.at(x), v = span.at(y);
            const double a = warped(gas, wx, wy, 4, u, v, 5, 0.5);
            const double b = warped(gas2, wy, wx, 7, u, v, 4, 0.3);
            const double f = ridge(warped(fil, wx, wy, 5, u + 0.37, v, 4, 0.6), 0.08);
            const double l = warped(lanes, wy, wx, 6, u, v + 0.21, 4, 0.5);
            const double cloud = smoothstep(0.42 - 0.12 * lk.gas, 0.82, a);
            const double haze = smoothstep(0.4, 0.8, b);
            Rgb col = lk.deep;
            // The broadest structure is the faintest: 16 copies of the tile
            // show at once, and any strong blob lines up with its copies
            // into a lattice.
            col = mix(col, lk.gas_a, 0.06 + cloud * 0.18);
            col = mix(col, lk.gas_b, haze * 0.24 * (0.5 + 0.5 * cloud));
            col = mix(col, mix(lk.gas_a, lk.gas_b, 0.5), f * lk.filament * (0.35 + 0.65 * cloud));
            col = mix(col, lk.lane, smoothstep(0.55, 0.75, l) * 0.07);  // dark dust lanes
            const double g = (grain.at(u * 16, v * 16) - 0.5) * 0.012;  // a little grain
            c.blend(x0 + x, y0 + y, {col.r + g, col.g + g, col.b + g}, 1.0);
        }
    // Stars: many faint points, a handful a little brighter, none with spikes.
    Rng rng(lk.seed * 31 + 7);
    for (int i = 0; i < lk.stars; ++i) {
        const double sx = rng.uniform() * span.period(), sy = rng.uniform() * span.period();
        const double k = rng.uniform();
        const double r = k < 0.9 ? 0.2 + rng.uniform() * 0.35 : 0.5 + rng.uniform() * 0.4;
        const double a = k < 0.9 ? 0.3 + rng.uniform() * 0.45 : 0.75 + rng.uniform() * 0.25;
        const Rgb tint =
            mix({1, 1, 1}, rng.uniform() < 0.5 ? rgb_hex(0xa8c4ff) : rgb_hex(0xffdcb0), rng.uniform() * 0.5);
        faint_star(c, x0, y0, span, sx, sy, r, scale(tint, kMaxStar), a);
    }
    c.end_pixels();
}

// Layer B cells are drawn white and tinted by the game; they must stay a
// faint veil, far below the fight in contrast.
constexpr double kVeilAlpha = 0.22;

// A soft, broad veil of gas.
void overlay_veil(Canvas& c, int x0, int y0, int size, std::uint32_t seed) {
    const Span span{size};
    Noise n(seed, 3), wx(seed + 1, 3), wy(seed + 2, 3);
    c.begin_pixels();
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double u = span.at(x), v = span.at(y);
            const double a = warped(n, wx, wy, 3, u, v, 5, 0.8);
            const double d = smoothstep(0.52, 0.85, a);
            c.blend(x0 + x, y0 + y, {1, 1, 1}, d * kVeilAlpha);
        }
    c.end_pixels();
}

// Thin curling wisps: ridged noise, faded in and out along its length.
void overlay_wisps(Canvas& c, int x0, int y0, int size, std::uint32_t seed, double width, double warp,
                   double strength = 1.0) {
    const Span span{size};
    Noise n(seed, 3), m(seed + 7, 2), wx(seed + 1, 3), wy(seed + 2, 3);
    c.begin_pixels();
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double u = span.at(x), v = span.at(y);
            const double r = ridge(warped(n, wx, wy, 3, u, v, 4, warp), width);
            const double fade = smoothstep(0.35, 0.75, m.fbm(u * 2, v * 2, 3));
            c.blend(x0 + x, y0 + y, {1, 1, 1}, r * fade * kVeilAlpha * strength);
        }
    c.end_pixels();
}

// Distant dust: a grainy haze in patches, with no grain strong enough to
// read as a point.
void overlay_dust(Canvas& c, int x0, int y0, int size, std::uint32_t seed) {
    const Span span{size};
    Noise n(seed, 2), wx(seed + 1, 3), wy(seed + 2, 3), grain(seed + 3, 32);
    c.begin_pixels();
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double u = span.at(x), v = span.at(y);
            const double patch = smoothstep(0.45, 0.8, warped(n, wx, wy, 2, u, v, 4, 1.0));
            const double g = 0.55 + 0.45 * grain.fbm(u * 32, v * 32, 2);
            c.blend(x0 + x, y0 + y, {1, 1, 1}, patch * g * kVeilAlpha * 0.5);
        }
    c.end_pixels();
}

void fone_tex(Output& out) {
    Canvas c(512, 512);
    // Look 1: cold blue-violet gas, plenty of faint stars.
    space_tile(c, 0, 0, 256,
               {rgb_hex(0x03040b), rgb_hex(0x16245a), rgb_hex(0x2c1546), rgb_hex(0x010207), 11, 0.8, 0.25, 900});
    // Look 2: warm dusk, wine and amber gas crossed by dark lanes, fewer stars.
    space_tile(c, 0, 256, 256,
               {rgb_hex(0x060308), rgb_hex(0x40142c), rgb_hex(0x4a2a12), rgb_hex(0x020103), 23, 1.0, 0.15, 600});
    // Look 3: near-black teal with thin filaments of gas.
    space_tile(c, 256, 0, 256,
               {rgb_hex(0x020606), rgb_hex(0x0e3636), rgb_hex(0x142044), rgb_hex(0x010303), 37, 0.6, 0.9, 750});
    overlay_veil(c, 256, 256, 128, 51);
    overlay_wisps(c, 384, 256, 128, 61, 0.05, 1.1);
    overlay_dust(c, 256, 384, 128, 71);
    overlay_wisps(c, 256, 384, 128, 73, 0.035, 0.7, 0.6);
    std::vector<Region> regs = {
        {"F1 backdrop 1", 0, 0, 256, 256},    {"F2 backdrop 2", 0, 256, 256, 256},
        {"F3 backdrop 3", 256, 0, 256, 256},  {"F4 overlay 1", 256, 256, 128, 128},
        {"F5 overlay 2", 384, 256, 128, 128}, {"F6 overlay 3", 256, 384, 128, 128},
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
