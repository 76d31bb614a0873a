#pragma once
// Drawing helpers shared by every texture module of assetgen: a deterministic
// random generator, a cairo canvas that turns into an asset_sink Texture, and
// the small vocabulary our art is made of (glows, shaded hulls, panel lines,
// engine flames, text in the DejaVu fonts).
#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "../asset_sink.h"

namespace assetgen::gfx {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTau = 2.0 * kPi;

// xorshift64*: same sequence on every machine for the same seed.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : s_(seed ? seed * 0x9E3779B97F4A7C15ull : 0x2545F4914F6CDD1Dull) {}
    std::uint64_t next() {
        s_ ^= s_ >> 12;
        s_ ^= s_ << 25;
        s_ ^= s_ >> 27;
        return s_ * 0x2545F4914F6CDD1Dull;
    }
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }  // [0, 1)
    double range(double a, double b) { return a + (b - a) * uniform(); }
    int below(int n) { return int(next() % std::uint64_t(n)); }

private:
    std::uint64_t s_;
};

struct Rgb {
    double r = 1, g = 1, b = 1;
};
inline Rgb rgb_hex(std::uint32_t v) { return {((v >> 16) & 255) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0}; }
inline Rgb mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
inline Rgb scale(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }
inline void set_rgb(cairo_t* cr, Rgb c, double a = 1.0) { cairo_set_source_rgba(cr, c.r, c.g, c.b, a); }

// An ARGB32 cairo surface of power-of-two size with its context.
class Canvas {
public:
    Canvas(int w, int h);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return cr_; }
    cairo_surface_t* surface() const { return surf_; }
    int width() const { return w_; }
    int height() const { return h_; }

    // Straight-alpha RGBA of the current contents.
    std::vector<std::uint8_t> rgba() const;
    Texture to_texture(const std::string& name, std::vector<Region> regions) const;

    // Clears a rectangle to fully transparent.
    void clear_rect(double x, double y, double w, double h);

    // Direct pixel access for procedural fills: call begin_pixels() before and
    // end_pixels() after a run of blend() calls.
    void begin_pixels() { cairo_surface_flush(surf_); }
    void end_pixels() { cairo_surface_mark_dirty(surf_); }
    // Composites colour c at alpha a over pixel (x, y) (ignored outside).
    void blend(int x, int y, Rgb c, double a) {
        if (x < 0 || y < 0 || x >= w_ || y >= h_ || a <= 0) return;
        if (a > 1) a = 1;
        auto* p = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surf_) +
                                                   std::size_t(y) * cairo_image_surface_get_stride(surf_)) +
            x;
        const double da = (*p >> 24) / 255.0, dr = ((*p >> 16) & 255) / 255.0, dg = ((*p >> 8) & 255) / 255.0,
                     db = (*p & 255) / 255.0;
        const double k = 1 - a;
        auto q = [](double v) { return std::uint32_t(v <= 0 ? 0 : v >= 1 ? 255 : v * 255 + 0.5); };
        *p = q(a + da * k) << 24 | q(c.r * a + dr * k) << 16 | q(c.g * a + dg * k) << 8 | q(c.b * a + db * k);
    }

private:
    int w_, h_;
    cairo_surface_t* surf_;
    cairo_t* cr_;
};

// Loads a DejaVu face by file name (e.g. "DejaVuSans-Bold.ttf"); throws
// std::runtime_error naming `asset` when the font is missing.
cairo_font_face_t* dejavu(const std::string& file, const std::string& asset);

// Text whose left baseline start is (x, y); returns its advance.
double text(cairo_t* cr, cairo_font_face_t* face, double size, const std::string& s, double x, double y);
// Text centred on (cx, cy) (by ink extents).
void text_centred(cairo_t* cr, cairo_font_face_t* face, double size, const std::string& s, double cx, double cy);
// Font size at which `s` fits into w x h (by ink extents), at most `max_size`.
double fit_text(cairo_t* cr, cairo_font_face_t* face, const std::string& s, double w, double h, double max_size);

// Radial glow: colour `c` at alpha `a` in the centre, fading to 0 at radius r.
// `hot` > 0 adds a white-hot core of that fraction of the radius.
void glow(cairo_t* cr, double x, double y, double r, Rgb c, double a, double hot = 0.0);
// Ellipse helper (path only).
void ellipse(cairo_t* cr, double x, double y, double rx, double ry);
// Rounded rectangle (path only).
void round_rect(cairo_t* cr, double x, double y, double w, double h, double r);

// A symmetric polygon from the right half of its outline (x >= 0), mirrored
// about x = 0: path only. Points go from the centre line round to the centre line.
void mirrored_path(cairo_t* cr, const std::vector<std::pair<double, double>>& half);

// Fills the current path as a lit metal hull: a diagonal gradient from `light`
// (top-left in device space, whatever the current transform) to `dark`, a
// soft specular patch, and a thin dark rim. Consumes the path.
void shade_hull(cairo_t* cr, Rgb light, Rgb dark, double rim_alpha = 0.85);
// Hull gradient across a fixed device-space direction, used by shade_hull.
void fill_device_gradient(cairo_t* cr, double x0, double y0, double x1, double y1, Rgb a, Rgb b, double alpha = 1.0);

// A thin engraved panel line from (x0, y0) to (x1, y1): a dark groove with a
// light edge below it.
void panel_line(cairo_t* cr, double x0, double y0, double x1, double y1, double width = 1.0, double alpha = 0.5);
// Cockpit canopy: a glossy dark ellipse with a highlight.
void canopy(cairo_t* cr, double x, double y, double rx, double ry, Rgb tint);
// Engine exhaust pointing along (dx, dy) from (x, y): a bright nozzle and a
// tapered flame of length `len`, intensity 0..1.
void engine_flame(cairo_t* cr, double x, double y, double dx, double dy, double width, double len, Rgb c,
                  double intensity);
// A small navigation / running light.
void nav_light(cairo_t* cr, double x, double y, double r, Rgb c, double intensity);

// Draws `fn` into the cell (x, y, w, h) with a transform that maps the unit
// square [-1, 1]^2 onto the cell shrunk by `margin` texels on every side.
// The drawing is clipped to the cell minus 2 texels.
template <class Fn>
void in_cell(cairo_t* cr, double x, double y, double w, double h, double margin, Fn&& fn) {
    cairo_save(cr);
    cairo_rectangle(cr, x + 2, y + 2, w - 4, h - 4);
    cairo_clip(cr);
    cairo_translate(cr, x + w / 2, y + h / 2);
    cairo_scale(cr, (w / 2 - margin), (h / 2 - margin));
    fn();
    cairo_restore(cr);
}

// Sheet helpers: cells of a C x R grid with square cells of size `cell`.
struct Grid {
    int cols;
    double cell;
    double x(int f) const { return (f % cols) * cell; }
    double y(int f) const { return (f / cols) * cell; }
};

// Puts `count` frame regions "prefix N" of the grid into `regions`.
void add_frames(std::vector<Region>& regions, const std::string& prefix, const Grid& g, int count, int first = 0);

}  // namespace assetgen::gfx
