// The game's icon: the player's fighter, nose up, on a dusk-blue disc. The
// same picture goes to the desktop (PNG at every hicolor size and an SVG)
// and into gamedata.res as "WindowIcon" for the window itself.
#include <cairo-svg.h>

#include <filesystem>
#include <stdexcept>

#include "../common/draw.h"
#include "sprites.h"

namespace assetgen::sprites {

using namespace gfx;

namespace {

// Draws the icon into the square [0, size]^2.
void icon_picture(cairo_t* cr, double size) {
    const double c = size / 2, r = size * 0.47;
    cairo_save(cr);
    // The disc: dusk at the top, night at the rim.
    cairo_pattern_t* sky = cairo_pattern_create_radial(c, c * 0.8, 0, c, c, r);
    cairo_pattern_add_color_stop_rgb(sky, 0, 0.23, 0.27, 0.58);
    cairo_pattern_add_color_stop_rgb(sky, 0.7, 0.10, 0.11, 0.30);
    cairo_pattern_add_color_stop_rgb(sky, 1, 0.04, 0.05, 0.14);
    cairo_arc(cr, c, c, r, 0, kTau);
    cairo_set_source(cr, sky);
    cairo_fill(cr);
    cairo_pattern_destroy(sky);
    // A warm glow under the ship, as if from the engines.
    glow(cr, c, c * 1.25, r * 0.75, rgb_hex(0xff9a3c), 0.45);
    // The rim.
    cairo_arc(cr, c, c, r - size * 0.012, 0, kTau);
    cairo_set_line_width(cr, size * 0.024);
    set_rgb(cr, rgb_hex(0x9fc0ff), 0.85);
    cairo_stroke(cr);
    // The fighter, clipped to the disc.
    cairo_arc(cr, c, c, r - size * 0.024, 0, kTau);
    cairo_clip(cr);
    cairo_translate(cr, c, c * 1.02);
    cairo_scale(cr, size * 0.43, size * 0.43);
    player_ship(cr, 0);
    cairo_restore(cr);
}

void check(cairo_status_t status, const std::string& what) {
    if (status != CAIRO_STATUS_SUCCESS) throw std::runtime_error(what + ": " + cairo_status_to_string(status));
}

}  // namespace

void window_icon(Output& out) {
    Canvas canvas(64, 64);
    icon_picture(canvas.cr(), 64);
    out.textures.push_back(canvas.to_texture("WindowIcon", {{"icon", 0, 0, 64, 64}}));
}

void write_icons(const std::string& dir, const std::string& name) {
    namespace fs = std::filesystem;
    for (int size : kIconSizes) {
        const fs::path folder =
            fs::path(dir) / "hicolor" / (std::to_string(size) + "x" + std::to_string(size)) / "apps";
        fs::create_directories(folder);
        Canvas canvas(size, size);
        icon_picture(canvas.cr(), size);
        const std::string file = (folder / (name + ".png")).string();
        check(cairo_surface_write_to_png(canvas.surface(), file.c_str()), file);
    }
    const fs::path folder = fs::path(dir) / "hicolor" / "scalable" / "apps";
    fs::create_directories(folder);
    const std::string file = (folder / (name + ".svg")).string();
    cairo_surface_t* svg = cairo_svg_surface_create(file.c_str(), 512, 512);
    cairo_t* cr = cairo_create(svg);
    icon_picture(cr, 512);
    cairo_destroy(cr);
    cairo_surface_finish(svg);
    const cairo_status_t status = cairo_surface_status(svg);
    cairo_surface_destroy(svg);
    check(status, file);
}

}  // namespace assetgen::sprites
