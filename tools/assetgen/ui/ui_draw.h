#pragma once
// Drawing kit of the user-interface art: a cairo sheet that becomes a
// Texture, the DejaVu faces, caption lettering with outline and glow, plates,
// blur, and the procedural space backdrop shared by the title pictures.
#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../asset_sink.h"

namespace assetgen::ui {

constexpr double kPi = 3.14159265358979323846;

struct Colour {
    double r = 1, g = 1, b = 1, a = 1;
};
Colour hex(std::uint32_t rgb, double a = 1.0);
Colour mix(Colour x, Colour y, double t);
void set_source(cairo_t* cr, Colour c);

// Same numbers on every machine for the same seed (splitmix64).
class Rng {
public:
    explicit Rng(std::uint64_t seed) : s_(seed) {}
    std::uint64_t next();
    double uniform();  // [0, 1)
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }

private:
    std::uint64_t s_;
};

struct Box {
    double x = 0, y = 0, w = 0, h = 0;
};

// An ARGB32 sheet with its drawing context.
class Sheet {
public:
    Sheet(int w, int h);
    ~Sheet();
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;

    cairo_t* cr() const { return cr_; }
    cairo_surface_t* surface() const { return surf_; }
    int width() const { return w_; }
    int height() const { return h_; }

    // Records a region the game samples, in texels.
    void region(const std::string& label, int x, int y, int w, int h);
    // Records the texel rectangle covering (u0..u1, v0..v1).
    Box region_uv(const std::string& label, double u0, double u1, double v0, double v1);

    // Straight alpha; colours of transparent texels are bled in from their
    // neighbours so that filtering never drags dark fringes into the edges.
    Texture finish(const std::string& name, bool opaque_jpeg = false);

private:
    int w_, h_;
    cairo_surface_t* surf_;
    cairo_t* cr_;
    std::vector<Region> regions_;
};

enum class Face { SansBold, SansCondensedBold, MonoBold, Sans, SerifBold };
// Throws std::runtime_error naming `asset` when the font file is missing.
cairo_font_face_t* font(Face f, const std::string& asset);

// Blurs an ARGB32 surface in place (three box passes, about a Gaussian).
void blur(cairo_surface_t* s, int radius);

// Rounded rectangle path.
void round_rect(cairo_t* cr, double x, double y, double w, double h, double r);

struct TextStyle {
    Face face = Face::SansBold;
    Colour top = hex(0xFFFFFF);     // fill at the cap line
    Colour bottom = hex(0xC8DCF0);  // fill at the baseline
    Colour outline = hex(0x0A1428, 0.95);
    double outline_width = 2.0;  // texels, on each side of the outline
    Colour glow = hex(0x55B4FF, 0.55);
    double glow_radius = 3.0;  // texels; 0 for none
    double tracking = 0.0;     // extra advance per letter, in em
    bool fill_width = false;   // widen and spread the letters to fill the box
    double max_stretch = 1.3;  // how much wider letters may grow when filling
};

enum class Align { Left, Centre, Right };

struct TextPlacement {
    double cap_height = 0.5;   // of the box height
    double screen_aspect = 0;  // width / height of the box as the player sees it; 0 = as drawn
    double pad = 3;            // texels kept clear inside the box edge
    Align align = Align::Centre;
    double baseline_shift = 0;  // texels; moves the text down
};

// Letters `text` into `box` of `sheet`, clipped to the box. Pre-squashes the
// letters horizontally so that they look right when the box is shown at
// `screen_aspect`, and shrinks them to fit the width.
void draw_text(Sheet& sheet, Box box, const std::string& text, const TextStyle& style, const TextPlacement& place,
               const std::string& asset);

// Outline extents of text_path(..., 0, 0).
void measure_text(cairo_font_face_t* face, double size, double sx, double tracking_em, const std::string& text,
                  double& x0, double& y0, double& x1, double& y1);

// Selects `face` at `size` with unhinted outlines and metrics.
void set_font(cairo_t* cr, cairo_font_face_t* face, double size);

// The plain lettering path of `text` with its left baseline at (x, y), font
// `size`, horizontal scale `sx`; returns the advance width in texels.
double text_path(cairo_t* cr, cairo_font_face_t* face, double size, double sx, double tracking_em,
                 const std::string& text, double x, double y);

// A translucent dark plate with a thin lit border.
void plate(cairo_t* cr, Box b, double radius, Colour fill_top, Colour fill_bottom, Colour border, double border_w);

// Value noise in [0, 1] and its fractal sum.
double noise(double x, double y, std::uint32_t seed);
double fbm(double x, double y, int octaves, std::uint32_t seed);

struct SpaceLook {
    std::uint32_t seed = 1;
    double whirl_x = 0.5, whirl_y = 0.5;  // centre of the swirl, design units 0..1
    double twist = 2.2;                   // how strongly the clouds wind round it
    double brightness = 1.0;
};
// Paints a nebula backdrop into `box` of the sheet; the design space is
// `design_w` x `design_h` (so a stretched box still shows round swirls).
void paint_space(Sheet& sheet, Box box, double design_w, double design_h, const SpaceLook& look);
// Stars over `box`, sizes in design units.
void paint_stars(cairo_t* cr, Box box, double design_w, double design_h, int count, std::uint32_t seed, double max_r);
// A bright star with a four-point flare.
void flare(cairo_t* cr, double x, double y, double r, Colour c);

// The player's fighter as title art, nose toward -y, spanning about
// [-1, 1] x [-1, 1.1] in the current user space.
void title_ship(cairo_t* cr);

// The title lettering "DUSKWHIRL" with the big "2", centred on (cx, cy) in
// user space, `width` wide; returns its height.
void title_lettering(Sheet& sheet, double cx, double cy, double width, double sx, const std::string& asset);

}  // namespace assetgen::ui
