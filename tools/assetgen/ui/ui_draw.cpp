#include "ui_draw.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <sys/stat.h>

namespace assetgen::ui {

Colour hex(std::uint32_t rgb, double a) {
    return {((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0, a};
}

Colour mix(Colour x, Colour y, double t) {
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

void set_source(cairo_t* cr, Colour c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

std::uint64_t Rng::next() {
    std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }

// --- sheet -----------------------------------------------------------------

Sheet::Sheet(int w, int h) : w_(w), h_(h) {
    surf_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cr_ = cairo_create(surf_);
}

Sheet::~Sheet() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surf_);
}

void Sheet::region(const std::string& label, int x, int y, int w, int h) { regions_.push_back({label, x, y, w, h}); }

Box Sheet::region_uv(const std::string& label, double u0, double u1, double v0, double v1) {
    const int x0 = int(std::floor(u0 * w_)), x1 = int(std::ceil(u1 * w_));
    const int y0 = int(std::floor(v0 * h_)), y1 = int(std::ceil(v1 * h_));
    region(label, x0, y0, x1 - x0, y1 - y0);
    return {u0 * w_, v0 * h_, (u1 - u0) * w_, (v1 - v0) * h_};
}

Texture Sheet::finish(const std::string& name, bool opaque_jpeg) {
    cairo_surface_flush(surf_);
    const unsigned char* data = cairo_image_surface_get_data(surf_);
    const int stride = cairo_image_surface_get_stride(surf_);
    Texture t;
    t.name = name;
    t.width = w_;
    t.height = h_;
    t.opaque_jpeg = opaque_jpeg;
    t.regions = regions_;
    t.rgba.assign(std::size_t(w_) * h_ * 4, 0);
    std::vector<std::uint8_t> known(std::size_t(w_) * h_, 0);
    for (int y = 0; y < h_; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * stride);
        for (int x = 0; x < w_; ++x) {
            const std::uint32_t p = row[x];
            const int a = int(p >> 24);
            std::uint8_t* o = &t.rgba[(std::size_t(y) * w_ + x) * 4];
            if (a == 0) continue;
            for (int c = 0; c < 3; ++c) {
                const int v = int((p >> (16 - 8 * c)) & 255);
                o[c] = std::uint8_t(std::min(255, (v * 255 + a / 2) / a));
            }
            o[3] = std::uint8_t(a);
            known[std::size_t(y) * w_ + x] = 1;
        }
    }
    // Bleed colours a few texels out into the transparent surroundings.
    for (int pass = 0; pass < 4; ++pass) {
        std::vector<std::uint8_t> next = known;
        for (int y = 0; y < h_; ++y) {
            for (int x = 0; x < w_; ++x) {
                if (known[std::size_t(y) * w_ + x]) continue;
                int sum[3] = {0, 0, 0}, n = 0;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= w_ || ny >= h_) continue;
                        if (!known[std::size_t(ny) * w_ + nx]) continue;
                        const std::uint8_t* q = &t.rgba[(std::size_t(ny) * w_ + nx) * 4];
                        for (int c = 0; c < 3; ++c) sum[c] += q[c];
                        ++n;
                    }
                }
                if (n == 0) continue;
                std::uint8_t* o = &t.rgba[(std::size_t(y) * w_ + x) * 4];
                for (int c = 0; c < 3; ++c) o[c] = std::uint8_t(sum[c] / n);
                next[std::size_t(y) * w_ + x] = 1;
            }
        }
        known.swap(next);
    }
    return t;
}

// --- fonts -----------------------------------------------------------------

namespace {

const char* face_file(Face f) {
    switch (f) {
        case Face::SansBold: return "DejaVuSans-Bold.ttf";
        case Face::SansCondensedBold: return "DejaVuSansCondensed-Bold.ttf";
        case Face::MonoBold: return "DejaVuSansMono-Bold.ttf";
        case Face::Sans: return "DejaVuSans.ttf";
        case Face::SerifBold: return "DejaVuSerif-Bold.ttf";
    }
    return "DejaVuSans.ttf";
}

struct FontCache {
    FT_Library lib = nullptr;
    std::map<Face, cairo_font_face_t*> faces;
    ~FontCache() {
        for (auto& [f, face] : faces) cairo_font_face_destroy(face);
        // The FT_Faces belong to cairo's faces now; the library stays for the process.
    }
};

FontCache& cache() {
    static FontCache c;
    return c;
}

void done_face(void* p) { FT_Done_Face(static_cast<FT_Face>(p)); }

}  // namespace

cairo_font_face_t* font(Face f, const std::string& asset) {
    FontCache& c = cache();
    if (auto it = c.faces.find(f); it != c.faces.end()) return it->second;
    const std::string path = std::string("/usr/share/fonts/truetype/dejavu/") + face_file(f);
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) throw std::runtime_error(asset + ": font " + path + " is missing");
    if (!c.lib && FT_Init_FreeType(&c.lib) != 0) throw std::runtime_error(asset + ": FreeType does not start");
    FT_Face ft = nullptr;
    if (FT_New_Face(c.lib, path.c_str(), 0, &ft) != 0) throw std::runtime_error(asset + ": cannot read font " + path);
    cairo_font_face_t* face = cairo_ft_font_face_create_for_ft_face(ft, 0);
    static const cairo_user_data_key_t key{};
    cairo_font_face_set_user_data(face, &key, ft, done_face);
    c.faces[f] = face;
    return face;
}

// --- blur ------------------------------------------------------------------

void blur(cairo_surface_t* s, int radius) {
    if (radius < 1) return;
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    std::vector<int> line(std::max(w, h) * 4), out(std::max(w, h) * 4);
    auto pass = [&](int n, auto get, auto put) {
        for (int i = 0; i < n; ++i) get(i);
        const int win = 2 * radius + 1;
        for (int c = 0; c < 4; ++c) {
            int sum = 0;
            for (int k = -radius; k <= radius; ++k) sum += (k >= 0 && k < n) ? line[k * 4 + c] : 0;
            for (int i = 0; i < n; ++i) {
                out[i * 4 + c] = sum / win;
                const int add = i + radius + 1, sub = i - radius;
                if (add < n) sum += line[add * 4 + c];
                if (sub >= 0) sum -= line[sub * 4 + c];
            }
        }
        for (int i = 0; i < n; ++i) put(i);
    };
    for (int it = 0; it < 3; ++it) {
        for (int y = 0; y < h; ++y) {
            auto* row = data + std::size_t(y) * stride;
            pass(
                w,
                [&](int i) {
                    for (int c = 0; c < 4; ++c) line[i * 4 + c] = row[i * 4 + c];
                },
                [&](int i) {
                    for (int c = 0; c < 4; ++c) row[i * 4 + c] = std::uint8_t(out[i * 4 + c]);
                });
        }
        for (int x = 0; x < w; ++x) {
            pass(
                h,
                [&](int i) {
                    for (int c = 0; c < 4; ++c) line[i * 4 + c] = data[std::size_t(i) * stride + x * 4 + c];
                },
                [&](int i) {
                    for (int c = 0; c < 4; ++c)
                        data[std::size_t(i) * stride + x * 4 + c] = std::uint8_t(out[i * 4 + c]);
                });
        }
    }
    cairo_surface_mark_dirty(s);
}

void round_rect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min(r, std::min(w, h) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 1.5 * kPi);
    cairo_close_path(cr);
}

// --- text ------------------------------------------------------------------

void set_font(cairo_t* cr, cairo_font_face_t* face, double size) {
    // Unhinted outlines and metrics: the letters scale smoothly with the size
    // and measure the same at any transform.
    static cairo_font_options_t* opts = [] {
        cairo_font_options_t* o = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
        return o;
    }();
    cairo_set_font_face(cr, face);
    cairo_set_font_size(cr, size);
    cairo_set_font_options(cr, opts);
}

double text_path(cairo_t* cr, cairo_font_face_t* face, double size, double sx, double tracking_em,
                 const std::string& text, double x, double y) {
    cairo_save(cr);
    set_font(cr, face, size);
    double pen = 0;
    char buf[2] = {0, 0};
    for (std::size_t i = 0; i < text.size(); ++i) {
        buf[0] = text[i];
        cairo_text_extents_t e;
        cairo_text_extents(cr, buf, &e);
        cairo_save(cr);
        cairo_translate(cr, x + pen, y);
        cairo_scale(cr, sx, 1.0);
        cairo_move_to(cr, 0, 0);
        cairo_text_path(cr, buf);
        cairo_restore(cr);
        pen += e.x_advance * sx;
        if (i + 1 < text.size()) pen += tracking_em * size;
    }
    cairo_restore(cr);
    return pen;
}

void measure_text(cairo_font_face_t* face, double size, double sx, double tracking_em, const std::string& text,
                  double& x0, double& y0, double& x1, double& y1) {
    // An unbounded surface: on a sheet, letters far outside it would not be measured.
    cairo_surface_t* rec = cairo_recording_surface_create(CAIRO_CONTENT_ALPHA, nullptr);
    cairo_t* cr = cairo_create(rec);
    text_path(cr, face, size, sx, tracking_em, text, 0, 0);
    cairo_path_extents(cr, &x0, &y0, &x1, &y1);
    cairo_destroy(cr);
    cairo_surface_destroy(rec);
}

void draw_text(Sheet& sheet, Box box, const std::string& text, const TextStyle& style, const TextPlacement& place,
               const std::string& asset) {
    cairo_font_face_t* face = font(style.face, asset);
    cairo_t* cr = sheet.cr();
    double sx = place.screen_aspect > 0 ? (box.w / box.h) / place.screen_aspect : 1.0;

    cairo_save(cr);
    set_font(cr, face, 100.0);
    cairo_text_extents_t he;
    cairo_text_extents(cr, "H", &he);
    cairo_restore(cr);
    const double cap_ratio = -he.y_bearing / 100.0;

    double size = place.cap_height * box.h / cap_ratio;
    const double margin = place.pad + style.outline_width + style.glow_radius * 0.6;
    const double avail = box.w - 2 * margin;
    double tracking = style.tracking;

    auto ink = [&](double sz, double tr, double& x0, double& x1) {
        double y0, y1;
        measure_text(face, sz, sx, tr, text, x0, y0, x1, y1);
    };
    double x0, x1;
    ink(size, tracking, x0, x1);
    if (x1 - x0 > avail) {
        size *= avail / (x1 - x0);
        ink(size, tracking, x0, x1);
    } else if (style.fill_width) {
        // Wider letters first, then the rest as letter spacing.
        sx *= std::min(style.max_stretch, avail / (x1 - x0));
        ink(size, tracking, x0, x1);
        if (text.size() > 1) {
            tracking += std::max(0.0, avail - (x1 - x0)) / double(text.size() - 1) / size;
            ink(size, tracking, x0, x1);
        }
    }
    const double cap = cap_ratio * size;
    double ox = box.x + box.w / 2 - (x0 + x1) / 2;
    if (place.align == Align::Left) ox = box.x + margin - x0;
    if (place.align == Align::Right) ox = box.x + box.w - margin - x1;
    double base = box.y + box.h / 2 + cap / 2 + place.baseline_shift;
    if (text.find_first_of("gjpqy,;") != std::string::npos) base -= 0.12 * cap;

    auto path = [&](cairo_t* c, double dx, double dy) {
        cairo_new_path(c);
        text_path(c, face, size, sx, tracking, text, ox + dx, base + dy);
    };

    cairo_save(cr);
    cairo_rectangle(cr, box.x, box.y, box.w, box.h);
    cairo_clip(cr);
    if (style.glow_radius > 0 && style.glow.a > 0) {
        const int bx = int(std::floor(box.x)), by = int(std::floor(box.y));
        const int bw = int(std::ceil(box.x + box.w)) - bx, bh = int(std::ceil(box.y + box.h)) - by;
        cairo_surface_t* g = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bw, bh);
        cairo_t* gc = cairo_create(g);
        path(gc, -bx, -by);
        set_source(gc, Colour{style.glow.r, style.glow.g, style.glow.b, 1.0});
        cairo_fill_preserve(gc);
        cairo_set_line_width(gc, 2 * style.outline_width + 1.0);
        cairo_set_line_join(gc, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke(gc);
        cairo_destroy(gc);
        blur(g, int(std::lround(style.glow_radius)));
        cairo_set_source_surface(cr, g, bx, by);
        cairo_paint_with_alpha(cr, style.glow.a);
        cairo_surface_destroy(g);
    }
    path(cr, 0, 0);
    if (style.outline_width > 0) {
        set_source(cr, style.outline);
        cairo_set_line_width(cr, 2 * style.outline_width);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
    }
    cairo_pattern_t* grad = cairo_pattern_create_linear(0, base - cap, 0, base);
    cairo_pattern_add_color_stop_rgba(grad, 0, style.top.r, style.top.g, style.top.b, style.top.a);
    cairo_pattern_add_color_stop_rgba(grad, 1, style.bottom.r, style.bottom.g, style.bottom.b, style.bottom.a);
    cairo_set_source(cr, grad);
    cairo_fill(cr);
    cairo_pattern_destroy(grad);
    cairo_restore(cr);
}

void plate(cairo_t* cr, Box b, double radius, Colour fill_top, Colour fill_bottom, Colour border, double border_w) {
    cairo_save(cr);
    round_rect(cr, b.x, b.y, b.w, b.h, radius);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, b.y, 0, b.y + b.h);
    cairo_pattern_add_color_stop_rgba(g, 0, fill_top.r, fill_top.g, fill_top.b, fill_top.a);
    cairo_pattern_add_color_stop_rgba(g, 1, fill_bottom.r, fill_bottom.g, fill_bottom.b, fill_bottom.a);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    if (border_w > 0) {
        const double in = border_w / 2;
        round_rect(cr, b.x + in, b.y + in, b.w - 2 * in, b.h - 2 * in, std::max(0.0, radius - in));
        set_source(cr, border);
        cairo_set_line_width(cr, border_w);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

// --- noise and space -------------------------------------------------------

namespace {

double lattice(int x, int y, std::uint32_t seed) {
    std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / double(0xFFFFFF);
}

double smooth(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

}  // namespace

double noise(double x, double y, std::uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    const double tx = smooth(x - fx), ty = smooth(y - fy);
    const double a = lattice(ix, iy, seed), b = lattice(ix + 1, iy, seed);
    const double c = lattice(ix, iy + 1, seed), d = lattice(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

double fbm(double x, double y, int octaves, std::uint32_t seed) {
    double sum = 0, amp = 0.5, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * noise(x, y, seed + std::uint32_t(i) * 101u);
        norm += amp;
        amp *= 0.5;
        const double nx = x * 2.03 + y * 0.31, ny = y * 2.03 - x * 0.31;
        x = nx + 17.1;
        y = ny + 9.3;
    }
    return sum / norm;
}

void paint_space(Sheet& sheet, Box box, double design_w, double design_h, const SpaceLook& look) {
    cairo_surface_t* s = sheet.surface();
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    const int x0 = int(std::floor(box.x)), y0 = int(std::floor(box.y));
    const int x1 = int(std::ceil(box.x + box.w)), y1 = int(std::ceil(box.y + box.h));
    const double aspect = design_w / design_h;
    const double cx = look.whirl_x * aspect, cy = look.whirl_y;
    const Colour deep = hex(0x03040C), violet = hex(0x2A1450), plum = hex(0x96307E), dusk = hex(0xFF9050),
                 teal = hex(0x1C6E8C), hot = hex(0xFFE2B0);
    for (int py = y0; py < y1; ++py) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(py) * stride);
        for (int px = x0; px < x1; ++px) {
            const double X = (px + 0.5 - box.x) / box.w * aspect, Y = (py + 0.5 - box.y) / box.h;
            const double dx = X - cx, dy = Y - cy;
            const double r = std::sqrt(dx * dx + dy * dy);
            const double turn = look.twist / (r * 4.0 + 0.35);
            const double cs = std::cos(turn), sn = std::sin(turn);
            const double wx = cx + dx * cs - dy * sn, wy = cy + dx * sn + dy * cs;
            const double cloud = fbm(wx * 3.2, wy * 3.2, 6, look.seed);
            const double wisp = fbm(wx * 7.0 + 3.0, wy * 7.0, 5, look.seed + 7);
            const double gas = fbm(X * 2.1 + 5.0, Y * 2.1, 5, look.seed + 31);
            const double ang = std::atan2(dy, dx);
            const double arms = 0.5 + 0.5 * std::cos(2.0 * (ang - std::log(r + 0.02) * 2.4));
            const double fall = std::exp(-r * 2.2);
            double dens = std::clamp((cloud - 0.4) * 2.9, 0.0, 1.0) * (0.35 + 0.65 * fall);
            dens *= 0.55 + 0.45 * arms;
            double lanes = std::clamp((wisp - 0.55) * 3.0, 0.0, 1.0);
            Colour c = deep;
            c = mix(c, violet, std::clamp(gas * 1.2 - 0.25, 0.0, 1.0) * 0.8);
            c = mix(c, teal, std::clamp((gas - 0.58) * 3.0, 0.0, 1.0) * 0.45);
            c = mix(c, plum, dens * 0.9);
            c = mix(c, dusk, std::clamp(dens * fall * 1.6 - 0.15, 0.0, 1.0));
            c = mix(c, hot, std::clamp(std::exp(-r * 11.0) * 1.1, 0.0, 1.0));
            c = mix(c, deep, lanes * 0.55 * (0.3 + dens));
            const double k = look.brightness;
            const int R = std::clamp(int(c.r * k * 255), 0, 255), G = std::clamp(int(c.g * k * 255), 0, 255),
                      B = std::clamp(int(c.b * k * 255), 0, 255);
            row[px] = 0xFF000000u | (std::uint32_t(R) << 16) | (std::uint32_t(G) << 8) | std::uint32_t(B);
        }
    }
    cairo_surface_mark_dirty(s);
}

void flare(cairo_t* cr, double x, double y, double r, Colour c) {
    cairo_save(cr);
    cairo_pattern_t* g = cairo_pattern_create_radial(x, y, 0, x, y, r * 3);
    cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 1, c.a);
    cairo_pattern_add_color_stop_rgba(g, 0.15, c.r, c.g, c.b, c.a * 0.7);
    cairo_pattern_add_color_stop_rgba(g, 1, c.r, c.g, c.b, 0);
    cairo_set_source(cr, g);
    cairo_arc(cr, x, y, r * 3, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    for (int k = 0; k < 2; ++k) {
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_rotate(cr, k * kPi / 2);
        cairo_scale(cr, r * 7, r * 0.35);
        cairo_pattern_t* s = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
        cairo_pattern_add_color_stop_rgba(s, 0, 1, 1, 1, c.a * 0.9);
        cairo_pattern_add_color_stop_rgba(s, 1, c.r, c.g, c.b, 0);
        cairo_set_source(cr, s);
        cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
        cairo_fill(cr);
        cairo_pattern_destroy(s);
        cairo_restore(cr);
    }
    cairo_restore(cr);
}

void paint_stars(cairo_t* cr, Box box, double design_w, double design_h, int count, std::uint32_t seed, double max_r) {
    Rng rng(seed);
    const double kx = box.w / design_w, ky = box.h / design_h;
    cairo_save(cr);
    cairo_rectangle(cr, box.x, box.y, box.w, box.h);
    cairo_clip(cr);
    for (int i = 0; i < count; ++i) {
        const double x = rng.uniform() * design_w, y = rng.uniform() * design_h;
        const double t = rng.uniform();
        const double r = max_r * (0.18 + 0.82 * std::pow(rng.uniform(), 5.0));
        const double tint = rng.uniform();
        Colour c = tint < 0.33 ? hex(0xBFD8FF) : tint < 0.66 ? hex(0xFFFFFF) : hex(0xFFE6C0);
        c.a = 0.35 + 0.65 * t;
        const double px = box.x + x * kx, py = box.y + y * ky;
        cairo_save(cr);
        cairo_translate(cr, px, py);
        cairo_scale(cr, kx, ky);
        if (r > max_r * 0.7) {
            flare(cr, 0, 0, r * 0.6, c);
        } else {
            cairo_pattern_t* g = cairo_pattern_create_radial(0, 0, 0, 0, 0, r * 1.6);
            cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 1, c.a);
            cairo_pattern_add_color_stop_rgba(g, 0.35, c.r, c.g, c.b, c.a * 0.8);
            cairo_pattern_add_color_stop_rgba(g, 1, c.r, c.g, c.b, 0);
            cairo_set_source(cr, g);
            cairo_arc(cr, 0, 0, r * 1.6, 0, 2 * kPi);
            cairo_fill(cr);
            cairo_pattern_destroy(g);
        }
        cairo_restore(cr);
    }
    cairo_restore(cr);
}

// --- title art -------------------------------------------------------------

namespace {

void poly(cairo_t* cr, std::initializer_list<std::pair<double, double>> pts, bool mirror) {
    cairo_new_sub_path(cr);
    bool first = true;
    for (auto [x, y] : pts) {
        if (first)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
        first = false;
    }
    if (mirror) {
        std::vector<std::pair<double, double>> v(pts);
        for (auto it = v.rbegin(); it != v.rend(); ++it) cairo_line_to(cr, -it->first, it->second);
    }
    cairo_close_path(cr);
}

void fill_lin(cairo_t* cr, double x0, double y0, double x1, double y1, Colour a, Colour b) {
    cairo_pattern_t* g = cairo_pattern_create_linear(x0, y0, x1, y1);
    cairo_pattern_add_color_stop_rgba(g, 0, a.r, a.g, a.b, a.a);
    cairo_pattern_add_color_stop_rgba(g, 1, b.r, b.g, b.b, b.a);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
}

void soft_glow(cairo_t* cr, double x, double y, double rx, double ry, Colour c) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, rx, ry);
    cairo_pattern_t* g = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
    cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 1, c.a);
    cairo_pattern_add_color_stop_rgba(g, 0.25, c.r, c.g, c.b, c.a * 0.8);
    cairo_pattern_add_color_stop_rgba(g, 1, c.r, c.g, c.b, 0);
    cairo_set_source(cr, g);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_restore(cr);
}

}  // namespace

void title_ship(cairo_t* cr) {
    cairo_save(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    const Colour rim = hex(0x0A0C18, 0.9);
    // Engine plumes first, under the hull.
    for (double ex : {-0.22, 0.22}) {
        cairo_save(cr);
        cairo_translate(cr, ex, 0.78);
        cairo_scale(cr, 0.11, 0.55);
        cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, 1);
        cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 1, 1);
        cairo_pattern_add_color_stop_rgba(g, 0.2, 0.55, 0.85, 1, 0.9);
        cairo_pattern_add_color_stop_rgba(g, 1, 0.2, 0.3, 1, 0);
        cairo_set_source(cr, g);
        cairo_move_to(cr, -1, 0);
        cairo_curve_to(cr, -0.8, 0.5, -0.2, 0.9, 0, 1);
        cairo_curve_to(cr, 0.2, 0.9, 0.8, 0.5, 1, 0);
        cairo_close_path(cr);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
        cairo_restore(cr);
        soft_glow(cr, ex, 0.8, 0.28, 0.22, hex(0x6CC8FF, 0.85));
    }
    // Wings.
    cairo_new_path(cr);
    poly(cr, {{0.12, -0.25}, {0.95, 0.42}, {1.0, 0.62}, {0.82, 0.66}, {0.3, 0.5}, {0.12, 0.55}}, false);
    poly(cr, {{-0.12, -0.25}, {-0.95, 0.42}, {-1.0, 0.62}, {-0.82, 0.66}, {-0.3, 0.5}, {-0.12, 0.55}}, false);
    fill_lin(cr, -0.6, -0.2, 0.7, 0.7, hex(0xA9B4C8), hex(0x343B55));
    set_source(cr, rim);
    cairo_set_line_width(cr, 0.025);
    cairo_stroke(cr);
    // Wing stripes in dusk orange.
    cairo_new_path(cr);
    poly(cr, {{0.34, 0.06}, {0.86, 0.46}, {0.8, 0.52}, {0.3, 0.16}}, false);
    poly(cr, {{-0.34, 0.06}, {-0.86, 0.46}, {-0.8, 0.52}, {-0.3, 0.16}}, false);
    set_source(cr, hex(0xFF8A3C, 0.95));
    cairo_fill(cr);
    // Wingtip cannons.
    for (double s : {-1.0, 1.0}) {
        cairo_new_path(cr);
        cairo_rectangle(cr, s * 0.9 - 0.035, 0.05, 0.07, 0.5);
        fill_lin(cr, s * 0.9 - 0.035, 0, s * 0.9 + 0.035, 0, hex(0xD6DCE8), hex(0x40465C));
        set_source(cr, rim);
        cairo_set_line_width(cr, 0.015);
        cairo_stroke(cr);
    }
    // Engine pods.
    for (double ex : {-0.22, 0.22}) {
        cairo_new_path(cr);
        round_rect(cr, ex - 0.1, 0.2, 0.2, 0.62, 0.08);
        fill_lin(cr, ex - 0.1, 0, ex + 0.1, 0, hex(0x8E98B0), hex(0x252A3E));
        set_source(cr, rim);
        cairo_set_line_width(cr, 0.02);
        cairo_stroke(cr);
        cairo_new_path(cr);
        cairo_rectangle(cr, ex - 0.075, 0.76, 0.15, 0.07);
        set_source(cr, hex(0xBFE8FF));
        cairo_fill(cr);
    }
    // Fuselage.
    cairo_new_path(cr);
    cairo_move_to(cr, 0, -1.05);
    cairo_curve_to(cr, 0.1, -0.8, 0.2, -0.3, 0.2, 0.2);
    cairo_line_to(cr, 0.16, 0.72);
    cairo_line_to(cr, -0.16, 0.72);
    cairo_line_to(cr, -0.2, 0.2);
    cairo_curve_to(cr, -0.2, -0.3, -0.1, -0.8, 0, -1.05);
    cairo_close_path(cr);
    fill_lin(cr, -0.25, 0, 0.25, 0, hex(0xE8EDF6), hex(0x3A405A));
    set_source(cr, rim);
    cairo_set_line_width(cr, 0.025);
    cairo_stroke(cr);
    // Spine highlight and panel lines.
    cairo_new_path(cr);
    cairo_move_to(cr, -0.04, -0.85);
    cairo_curve_to(cr, -0.08, -0.4, -0.09, 0.1, -0.08, 0.6);
    set_source(cr, hex(0xFFFFFF, 0.55));
    cairo_set_line_width(cr, 0.03);
    cairo_stroke(cr);
    cairo_new_path(cr);
    cairo_move_to(cr, -0.19, 0.25);
    cairo_line_to(cr, 0.19, 0.25);
    cairo_move_to(cr, -0.17, 0.5);
    cairo_line_to(cr, 0.17, 0.5);
    set_source(cr, hex(0x0A0C18, 0.5));
    cairo_set_line_width(cr, 0.012);
    cairo_stroke(cr);
    // Canopy.
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_translate(cr, 0, -0.35);
    cairo_scale(cr, 0.085, 0.26);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    fill_lin(cr, 0, -0.6, 0, -0.1, hex(0x7FE0FF), hex(0x0B2A4A));
    set_source(cr, rim);
    cairo_set_line_width(cr, 0.015);
    cairo_stroke(cr);
    soft_glow(cr, -0.025, -0.45, 0.025, 0.08, hex(0xFFFFFF, 0.9));
    // Running lights.
    soft_glow(cr, -1.0, 0.62, 0.06, 0.06, hex(0xFF4040, 0.95));
    soft_glow(cr, 1.0, 0.62, 0.06, 0.06, hex(0x40FF80, 0.95));
    soft_glow(cr, 0, -1.02, 0.05, 0.05, hex(0xFFE0A0, 0.8));
    cairo_restore(cr);
}

void title_lettering(Sheet& sheet, double cx, double cy, double width, double sx, const std::string& asset) {
    cairo_font_face_t* face = font(Face::SansBold, asset);
    cairo_font_face_t* big = font(Face::SerifBold, asset);
    cairo_t* cr = sheet.cr();
    const std::string word = "DUSKWHIRL";
    // Measure at size 100, then scale so that word and numeral fill `width`.
    const double track = 0.04;
    double wx0, wy0, wx1, wy1;
    measure_text(face, 100, sx, track, word, wx0, wy0, wx1, wy1);
    double nx0, ny0, nx1, ny1;
    measure_text(big, 190, sx, 0, "2", nx0, ny0, nx1, ny1);
    cairo_new_path(cr);
    const double gap = 8 * sx;
    const double k = width / ((wx1 - wx0) + gap + (nx1 - nx0));
    const double word_size = 100 * k, num_size = 190 * k;
    const double word_h = (wy1 - wy0) * k;
    const double left = cx - width / 2;
    const double base = cy + word_h / 2;
    const double num_left = left + (wx1 - wx0) * k + gap * k;
    const double num_base = base + 0.12 * (ny1 - ny0) * k;

    auto word_path = [&](cairo_t* c, double dx, double dy) {
        text_path(c, face, word_size, sx, track, word, left - wx0 * k + dx, base + dy);
    };
    auto num_path = [&](cairo_t* c, double dx, double dy) {
        cairo_save(c);
        // A forward lean for the numeral.
        cairo_matrix_t m;
        cairo_matrix_init(&m, 1, 0, -0.18, 1, 0.18 * num_base, 0);
        cairo_transform(c, &m);
        text_path(c, big, num_size, sx, 0, "2", num_left - nx0 * k + dx, num_base + dy);
        cairo_restore(c);
    };

    // Outer glow on its own layer.
    const int W = sheet.width(), H = sheet.height();
    cairo_surface_t* g = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, W, H);
    cairo_t* gc = cairo_create(g);
    cairo_new_path(gc);
    word_path(gc, 0, 0);
    set_source(gc, hex(0xFF6A3A));
    cairo_set_line_width(gc, word_size * 0.12);
    cairo_stroke_preserve(gc);
    cairo_fill(gc);
    cairo_new_path(gc);
    num_path(gc, 0, 0);
    set_source(gc, hex(0x58C8FF));
    cairo_set_line_width(gc, word_size * 0.14);
    cairo_stroke_preserve(gc);
    cairo_fill(gc);
    cairo_destroy(gc);
    blur(g, std::max(2, int(word_size * 0.09)));
    cairo_set_source_surface(cr, g, 0, 0);
    cairo_paint_with_alpha(cr, 0.9);
    cairo_surface_destroy(g);

    // Drop shadow, outline, then the chrome-to-dusk fill.
    const double top = base - word_h;
    cairo_new_path(cr);
    word_path(cr, word_size * 0.03, word_size * 0.05);
    set_source(cr, hex(0x000000, 0.6));
    cairo_fill(cr);
    cairo_new_path(cr);
    word_path(cr, 0, 0);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    set_source(cr, hex(0x1A0826, 1.0));
    cairo_set_line_width(cr, word_size * 0.07);
    cairo_stroke_preserve(cr);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, top, 0, base);
    cairo_pattern_add_color_stop_rgb(p, 0.0, 1.0, 1.0, 1.0);
    cairo_pattern_add_color_stop_rgb(p, 0.46, 1.0, 0.93, 0.72);
    cairo_pattern_add_color_stop_rgb(p, 0.5, 1.0, 0.62, 0.26);
    cairo_pattern_add_color_stop_rgb(p, 1.0, 0.78, 0.18, 0.28);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // A thin bright rim along the top of the letters.
    cairo_new_path(cr);
    word_path(cr, 0, 0);
    cairo_save(cr);
    cairo_clip(cr);
    cairo_new_path(cr);
    word_path(cr, 0, word_size * 0.035);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_rectangle(cr, 0, 0, W, H);
    set_source(cr, hex(0xFFFFFF, 0.75));
    cairo_fill(cr);
    cairo_restore(cr);

    const double ntop = num_base - (ny1 - ny0) * k;
    cairo_new_path(cr);
    num_path(cr, word_size * 0.03, word_size * 0.05);
    set_source(cr, hex(0x000000, 0.6));
    cairo_fill(cr);
    cairo_new_path(cr);
    num_path(cr, 0, 0);
    set_source(cr, hex(0x06142A, 1.0));
    cairo_set_line_width(cr, word_size * 0.08);
    cairo_stroke_preserve(cr);
    p = cairo_pattern_create_linear(0, ntop, 0, num_base);
    cairo_pattern_add_color_stop_rgb(p, 0.0, 1.0, 1.0, 1.0);
    cairo_pattern_add_color_stop_rgb(p, 0.47, 0.72, 0.93, 1.0);
    cairo_pattern_add_color_stop_rgb(p, 0.5, 0.25, 0.62, 1.0);
    cairo_pattern_add_color_stop_rgb(p, 1.0, 0.35, 0.2, 0.85);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_new_path(cr);
}

}  // namespace assetgen::ui
