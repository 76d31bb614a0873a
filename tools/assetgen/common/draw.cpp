#include "draw.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <stdexcept>

namespace assetgen::gfx {

Canvas::Canvas(int w, int h) : w_(w), h_(h) {
    surf_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cr_ = cairo_create(surf_);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_GOOD);
}

Canvas::~Canvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surf_);
}

std::vector<std::uint8_t> Canvas::rgba() const {
    cairo_surface_flush(surf_);
    const unsigned char* data = cairo_image_surface_get_data(surf_);
    const int stride = cairo_image_surface_get_stride(surf_);
    std::vector<std::uint8_t> out(std::size_t(w_) * h_ * 4);
    for (int y = 0; y < h_; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * stride);
        std::uint8_t* o = out.data() + std::size_t(y) * w_ * 4;
        for (int x = 0; x < w_; ++x) {
            const std::uint32_t p = row[x];
            const unsigned a = p >> 24;
            unsigned r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
            if (a == 0) {
                r = g = b = 0;
            } else if (a < 255) {
                r = std::min(255u, (r * 255 + a / 2) / a);
                g = std::min(255u, (g * 255 + a / 2) / a);
                b = std::min(255u, (b * 255 + a / 2) / a);
            }
            o[x * 4 + 0] = std::uint8_t(r);
            o[x * 4 + 1] = std::uint8_t(g);
            o[x * 4 + 2] = std::uint8_t(b);
            o[x * 4 + 3] = std::uint8_t(a);
        }
    }
    return out;
}

Texture Canvas::to_texture(const std::string& name, std::vector<Region> regions) const {
    Texture t;
    t.name = name;
    t.width = w_;
    t.height = h_;
    t.rgba = rgba();
    t.regions = std::move(regions);
    return t;
}

void Canvas::clear_rect(double x, double y, double w, double h) {
    cairo_save(cr_);
    cairo_set_operator(cr_, CAIRO_OPERATOR_CLEAR);
    cairo_rectangle(cr_, x, y, w, h);
    cairo_fill(cr_);
    cairo_restore(cr_);
}

namespace {
struct FontCache {
    std::mutex m;
    FT_Library lib = nullptr;
    std::map<std::string, cairo_font_face_t*> faces;
};
FontCache& fonts() {
    static FontCache c;
    return c;
}
}  // namespace

cairo_font_face_t* dejavu(const std::string& file, const std::string& asset) {
    FontCache& c = fonts();
    std::lock_guard<std::mutex> lock(c.m);
    auto it = c.faces.find(file);
    if (it != c.faces.end()) return it->second;
    if (!c.lib && FT_Init_FreeType(&c.lib) != 0) throw std::runtime_error(asset + ": cannot start FreeType");
    const std::string path = "/usr/share/fonts/truetype/dejavu/" + file;
    FT_Face face = nullptr;
    if (FT_New_Face(c.lib, path.c_str(), 0, &face) != 0) throw std::runtime_error(asset + ": missing font " + path);
    cairo_font_face_t* cf = cairo_ft_font_face_create_for_ft_face(face, 0);
    c.faces[file] = cf;  // kept for the life of the program
    return cf;
}

static void set_font(cairo_t* cr, cairo_font_face_t* face, double size) {
    cairo_set_font_face(cr, face);
    cairo_set_font_size(cr, size);
    cairo_font_options_t* fo = cairo_font_options_create();
    cairo_font_options_set_hint_style(fo, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(fo, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr, fo);
    cairo_font_options_destroy(fo);
}

double text(cairo_t* cr, cairo_font_face_t* face, double size, const std::string& s, double x, double y) {
    set_font(cr, face, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, s.c_str());
    return e.x_advance;
}

void text_centred(cairo_t* cr, cairo_font_face_t* face, double size, const std::string& s, double cx, double cy) {
    set_font(cr, face, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    cairo_move_to(cr, cx - e.width / 2 - e.x_bearing, cy - e.height / 2 - e.y_bearing);
    cairo_show_text(cr, s.c_str());
}

double fit_text(cairo_t* cr, cairo_font_face_t* face, const std::string& s, double w, double h, double max_size) {
    set_font(cr, face, 100.0);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    double k = 100.0;
    if (e.width > 0) k = std::min(k, 100.0 * w / e.width);
    if (e.height > 0) k = std::min(k, 100.0 * h / e.height);
    return std::min(k, max_size);
}

void glow(cairo_t* cr, double x, double y, double r, Rgb c, double a, double hot) {
    cairo_pattern_t* p = cairo_pattern_create_radial(x, y, 0, x, y, r);
    if (hot > 0) {
        cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, a);
        cairo_pattern_add_color_stop_rgba(p, hot, mix(c, {1, 1, 1}, 0.5).r, mix(c, {1, 1, 1}, 0.5).g,
                                          mix(c, {1, 1, 1}, 0.5).b, a * 0.9);
    } else {
        cairo_pattern_add_color_stop_rgba(p, 0, c.r, c.g, c.b, a);
    }
    cairo_pattern_add_color_stop_rgba(p, std::max(hot, 0.0) * 0.5 + 0.35, c.r, c.g, c.b, a * 0.45);
    cairo_pattern_add_color_stop_rgba(p, 0.7, c.r, c.g, c.b, a * 0.15);
    cairo_pattern_add_color_stop_rgba(p, 1, c.r, c.g, c.b, 0);
    cairo_set_source(cr, p);
    cairo_arc(cr, x, y, r, 0, kTau);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

void ellipse(cairo_t* cr, double x, double y, double rx, double ry) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, kTau);
    cairo_close_path(cr);
    cairo_restore(cr);
}

void round_rect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 1.5 * kPi);
    cairo_close_path(cr);
}

void mirrored_path(cairo_t* cr, const std::vector<std::pair<double, double>>& half) {
    if (half.empty()) return;
    cairo_move_to(cr, half.front().first, half.front().second);
    for (std::size_t i = 1; i < half.size(); ++i) cairo_line_to(cr, half[i].first, half[i].second);
    for (std::size_t i = half.size(); i-- > 0;) cairo_line_to(cr, -half[i].first, half[i].second);
    cairo_close_path(cr);
}

void fill_device_gradient(cairo_t* cr, double x0, double y0, double x1, double y1, Rgb a, Rgb b, double alpha) {
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    cairo_identity_matrix(cr);
    cairo_pattern_t* p = cairo_pattern_create_linear(x0, y0, x1, y1);
    cairo_pattern_add_color_stop_rgba(p, 0, a.r, a.g, a.b, alpha);
    cairo_pattern_add_color_stop_rgba(p, 1, b.r, b.g, b.b, alpha);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_set_matrix(cr, &m);
}

void shade_hull(cairo_t* cr, Rgb light, Rgb dark, double rim_alpha) {
    double x0, y0, x1, y1;
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_path_extents(cr, &x0, &y0, &x1, &y1);
    cairo_restore(cr);
    // Base: light from the upper left.
    fill_device_gradient(cr, x0, y0, x1, y1, light, dark);
    // Specular sheen: a soft radial patch toward the light.
    {
        cairo_matrix_t m;
        cairo_get_matrix(cr, &m);
        cairo_identity_matrix(cr);
        const double cx = x0 + (x1 - x0) * 0.35, cy = y0 + (y1 - y0) * 0.3;
        const double r = std::max(x1 - x0, y1 - y0) * 0.45;
        cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
        cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0.28);
        cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0);
        cairo_set_source(cr, p);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(p);
        cairo_set_matrix(cr, &m);
    }
    // Rim.
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_line_width(cr, 1.0);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_source_rgba(cr, dark.r * 0.35, dark.g * 0.35, dark.b * 0.35, rim_alpha);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void panel_line(cairo_t* cr, double x0, double y0, double x1, double y1, double width, double alpha) {
    cairo_save(cr);
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    double dx0 = x0, dy0 = y0, dx1 = x1, dy1 = y1;
    cairo_user_to_device(cr, &dx0, &dy0);
    cairo_user_to_device(cr, &dx1, &dy1);
    cairo_identity_matrix(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, width);
    cairo_set_source_rgba(cr, 1, 1, 1, alpha * 0.45);
    cairo_move_to(cr, dx0 + 0.5, dy0 + 0.7);
    cairo_line_to(cr, dx1 + 0.5, dy1 + 0.7);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, alpha);
    cairo_move_to(cr, dx0, dy0);
    cairo_line_to(cr, dx1, dy1);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void canopy(cairo_t* cr, double x, double y, double rx, double ry, Rgb tint) {
    ellipse(cr, x, y, rx, ry);
    cairo_pattern_t* p = cairo_pattern_create_radial(x - rx * 0.3, y - ry * 0.4, 0, x, y, std::max(rx, ry) * 1.1);
    cairo_pattern_add_color_stop_rgba(p, 0, mix(tint, {1, 1, 1}, 0.6).r, mix(tint, {1, 1, 1}, 0.6).g,
                                      mix(tint, {1, 1, 1}, 0.6).b, 1);
    cairo_pattern_add_color_stop_rgba(p, 0.35, tint.r, tint.g, tint.b, 1);
    cairo_pattern_add_color_stop_rgba(p, 1, tint.r * 0.15, tint.g * 0.15, tint.b * 0.2, 1);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_line_width(cr, 1.0);
    cairo_set_source_rgba(cr, 0.05, 0.05, 0.08, 0.9);
    cairo_stroke(cr);
    cairo_restore(cr);
    // Glint.
    ellipse(cr, x - rx * 0.35, y - ry * 0.35, rx * 0.25, ry * 0.18);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.75);
    cairo_fill(cr);
}

void engine_flame(cairo_t* cr, double x, double y, double dx, double dy, double width, double len, Rgb c,
                  double intensity) {
    const double n = std::hypot(dx, dy);
    if (n <= 0) return;
    dx /= n;
    dy /= n;
    const double px = -dy, py = dx;
    cairo_save(cr);
    // Outer flame.
    const double l = len * (0.75 + 0.25 * intensity);
    cairo_move_to(cr, x + px * width, y + py * width);
    cairo_curve_to(cr, x + px * width + dx * l * 0.4, y + py * width + dy * l * 0.4,
                   x + dx * l * 0.8 + px * width * 0.3, y + dy * l * 0.8 + py * width * 0.3, x + dx * l, y + dy * l);
    cairo_curve_to(cr, x + dx * l * 0.8 - px * width * 0.3, y + dy * l * 0.8 - py * width * 0.3,
                   x - px * width + dx * l * 0.4, y - py * width + dy * l * 0.4, x - px * width, y - py * width);
    cairo_close_path(cr);
    cairo_pattern_t* p = cairo_pattern_create_linear(x, y, x + dx * l, y + dy * l);
    cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0.95 * intensity);
    cairo_pattern_add_color_stop_rgba(p, 0.25, c.r, c.g, c.b, 0.85 * intensity);
    cairo_pattern_add_color_stop_rgba(p, 1, c.r, c.g, c.b, 0);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_restore(cr);
    glow(cr, x, y, width * 1.8, c, 0.7 * intensity, 0.35);
}

void nav_light(cairo_t* cr, double x, double y, double r, Rgb c, double intensity) {
    glow(cr, x, y, r * 3.0, c, 0.55 * intensity);
    cairo_arc(cr, x, y, r, 0, kTau);
    set_rgb(cr, mix(scale(c, 0.35), mix(c, {1, 1, 1}, 0.6), intensity));
    cairo_fill(cr);
}

void add_frames(std::vector<Region>& regions, const std::string& prefix, const Grid& g, int count, int first) {
    for (int f = 0; f < count; ++f) {
        const int i = first + f;
        const int x0 = int(std::ceil(g.x(i) - 1e-9)), y0 = int(std::ceil(g.y(i) - 1e-9));
        const int x1 = int(std::floor(g.x(i) + g.cell + 1e-9)), y1 = int(std::floor(g.y(i) + g.cell + 1e-9));
        regions.push_back({prefix + " " + std::to_string(f), x0, y0, x1 - x0, y1 - y0});
    }
}

}  // namespace assetgen::gfx
