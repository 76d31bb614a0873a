#include "contact.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "../common/draw.h"
#include "encode.h"

namespace assetgen {

void write_contact_sheet(const Texture& t, const std::string& dir) {
    const double s = std::clamp(1024.0 / std::max(t.width, t.height), 1.0, 4.0);
    const int W = int(t.width * s), H = int(t.height * s);
    gfx::Canvas c(W, H);
    cairo_t* cr = c.cr();
    // Checkerboard so alpha shows.
    for (int y = 0; y < H; y += 16)
        for (int x = 0; x < W; x += 16) {
            const bool odd = ((x / 16) + (y / 16)) & 1;
            cairo_set_source_rgb(cr, odd ? 0.16 : 0.22, odd ? 0.16 : 0.22, odd ? 0.2 : 0.26);
            cairo_rectangle(cr, x, y, 16, 16);
            cairo_fill(cr);
        }
    // The texture, premultiplied for cairo.
    cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, t.width, t.height);
    cairo_surface_flush(img);
    unsigned char* d = cairo_image_surface_get_data(img);
    const int stride = cairo_image_surface_get_stride(img);
    for (int y = 0; y < t.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(d + std::size_t(y) * stride);
        for (int x = 0; x < t.width; ++x) {
            const std::uint8_t* p = &t.rgba[(std::size_t(y) * t.width + x) * 4];
            const unsigned a = p[3];
            const unsigned r = (p[0] * a + 127) / 255, g = (p[1] * a + 127) / 255, b = (p[2] * a + 127) / 255;
            row[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(img);
    cairo_save(cr);
    cairo_scale(cr, s, s);
    cairo_set_source_surface(cr, img, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(img);

    cairo_font_face_t* face = gfx::dejavu("DejaVuSans.ttf", t.name);
    const gfx::Rgb hues[] = {{1, 0.3, 0.3}, {0.3, 1, 0.4}, {0.4, 0.6, 1}, {1, 0.9, 0.2}, {1, 0.4, 1}, {0.3, 1, 1}};
    int i = 0;
    for (const Region& r : t.regions) {
        const gfx::Rgb col = hues[i++ % 6];
        cairo_set_line_width(cr, 1.0);
        gfx::set_rgb(cr, col, 0.9);
        cairo_rectangle(cr, r.x * s + 0.5, r.y * s + 0.5, r.w * s - 1, r.h * s - 1);
        cairo_stroke(cr);
        const double fs = std::clamp(r.h * s * 0.16, 7.0, 11.0);
        cairo_set_font_face(cr, face);
        cairo_set_font_size(cr, fs);
        cairo_text_extents_t e;
        cairo_text_extents(cr, r.label.c_str(), &e);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.65);
        cairo_rectangle(cr, r.x * s + 1, r.y * s + 1, std::min(e.x_advance + 4, r.w * s - 2), fs + 3);
        cairo_fill(cr);
        cairo_save(cr);
        cairo_rectangle(cr, r.x * s + 1, r.y * s + 1, r.w * s - 2, r.h * s - 2);
        cairo_clip(cr);
        gfx::set_rgb(cr, col);
        cairo_move_to(cr, r.x * s + 3, r.y * s + fs + 1);
        cairo_show_text(cr, r.label.c_str());
        cairo_restore(cr);
    }
    const std::vector<std::uint8_t> px = c.rgba();
    const std::vector<std::uint8_t> png = encode_png(px.data(), W, H);
    const std::string path = dir + "/" + t.name + ".png";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error(t.name + ": cannot write " + path);
    const bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    if (std::fclose(f) != 0 || !ok) throw std::runtime_error(t.name + ": cannot write " + path);
}

}  // namespace assetgen
