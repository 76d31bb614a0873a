#pragma once
// Parts our craft are built from. Every function draws in the current user
// space, where a ship spans roughly [-1, 1] with its nose toward -y. Callers
// rotate by pi for enemies, which fly nose down; lighting stays top-left in
// screen space because the shading works in device space.
#include <utility>
#include <vector>

#include "../common/draw.h"

namespace assetgen::sprites::kit {

using gfx::Rgb;
using Pts = std::vector<std::pair<double, double>>;

struct Palette {
    Rgb light, dark;  // hull
    Rgb accent;       // stripes, trim
    Rgb glass;        // canopy
    Rgb engine;       // exhaust colour
    Rgb lamp;         // running lights
};

extern const Palette kPlayer, kRaider, kViolet, kOlive, kSteel, kCrimson, kBronze;

// Symmetric hull from its right half.
void hull(cairo_t* cr, const Pts& half, Rgb light, Rgb dark);
// A polygon (not mirrored), shaded like a hull.
void plate(cairo_t* cr, const Pts& pts, Rgb light, Rgb dark);
// A pair of mirrored wings from the right wing's outline.
void wings(cairo_t* cr, const Pts& right, Rgb light, Rgb dark);
// A cylindrical pod centred on (x, y), w x h, lit from the left.
void pod(cairo_t* cr, double x, double y, double w, double h, Rgb light, Rgb dark);
// A gun barrel from (x, y) along (dx, dy) of length len and width w.
void barrel(cairo_t* cr, double x, double y, double dx, double dy, double len, double w);
// Stripe along a path: a painted band in the accent colour.
void stripe(cairo_t* cr, double x0, double y0, double x1, double y1, double w, Rgb c, double a = 0.85);
// Mirrored panel lines (pairs at +x and -x).
void panel_pair(cairo_t* cr, double x0, double y0, double x1, double y1, double alpha = 0.5);
// Exhaust pointing toward +y (the rear of a nose-up ship).
void exhaust(cairo_t* cr, double x, double y, double w, double len, Rgb c, double intensity);
// Flicker value in [lo, 1] for frame f of n with integer harmonics, loops cleanly.
double flicker(int f, int n, double lo, unsigned seed);
// Blink: 1 during [on, on + len) of the loop phase in [0, 1), soft edges.
double blink(double phase, double on, double len);

}  // namespace assetgen::sprites::kit
