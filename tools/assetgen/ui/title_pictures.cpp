// Title art: the main-menu background, the intro logo and the loading picture.
#include <cmath>

#include "ui_draw.h"
#include "ui_layout.h"
#include "ui_sheets.h"

namespace assetgen::ui {

namespace {

void vignette(cairo_t* cr, Box b, double inner, double strength) {
    cairo_save(cr);
    cairo_rectangle(cr, b.x, b.y, b.w, b.h);
    cairo_clip(cr);
    cairo_translate(cr, b.x + b.w / 2, b.y + b.h / 2);
    cairo_scale(cr, b.w / 2, b.h / 2);
    cairo_pattern_t* g = cairo_pattern_create_radial(0, 0, inner, 0, 0, 1.45);
    cairo_pattern_add_color_stop_rgba(g, 0, 0, 0, 0.02, 0);
    cairo_pattern_add_color_stop_rgba(g, 1, 0, 0, 0.02, strength);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    cairo_restore(cr);
}

// The fighter at (x, y) in the current user space, `size` its half span,
// turned by `angle` (radians, clockwise from nose-up).
void ship_at(cairo_t* cr, double x, double y, double size, double angle) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, angle);
    cairo_scale(cr, size, size);
    title_ship(cr);
    cairo_restore(cr);
}

void planet(cairo_t* cr, double x, double y, double r, Colour lit, Colour dark, Colour rim) {
    cairo_save(cr);
    cairo_arc(cr, x, y, r, 0, 2 * kPi);
    cairo_pattern_t* g = cairo_pattern_create_radial(x - r * 0.45, y - r * 0.55, r * 0.1, x, y, r * 1.05);
    cairo_pattern_add_color_stop_rgba(g, 0, lit.r, lit.g, lit.b, 1);
    cairo_pattern_add_color_stop_rgba(g, 0.6, dark.r, dark.g, dark.b, 1);
    cairo_pattern_add_color_stop_rgba(g, 1, 0.01, 0.01, 0.03, 1);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    // Atmosphere rim.
    cairo_arc(cr, x, y, r * 1.04, 0, 2 * kPi);
    g = cairo_pattern_create_radial(x, y, r * 0.92, x, y, r * 1.04);
    cairo_pattern_add_color_stop_rgba(g, 0, rim.r, rim.g, rim.b, 0);
    cairo_pattern_add_color_stop_rgba(g, 0.75, rim.r, rim.g, rim.b, rim.a);
    cairo_pattern_add_color_stop_rgba(g, 1, rim.r, rim.g, rim.b, 0);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_restore(cr);
}

// Main-menu background: authored on the 800 x 600 screen, stored 1024 x 1024.
Texture menu_tex() {
    Sheet sheet(1024, 1024);
    cairo_t* cr = sheet.cr();
    const Box all{0, 0, 1024, 1024};
    SpaceLook look;
    look.seed = 11;
    look.whirl_x = 0.27;
    look.whirl_y = 0.55;
    look.twist = 2.4;
    paint_space(sheet, all, 800, 600, look);
    paint_stars(cr, all, 800, 600, 420, 5, 2.4);

    cairo_save(cr);
    cairo_scale(cr, 1024.0 / 800, 1024.0 / 600);
    planet(cr, 770, 780, 330, hex(0x6A86B8), hex(0x1C2448), hex(0x7FB8FF, 0.7));
    cairo_restore(cr);
    vignette(cr, all, 0.55, 0.75);

    // The fighter climbing out of the whirl.
    cairo_save(cr);
    cairo_scale(cr, 1024.0 / 800, 1024.0 / 600);
    ship_at(cr, 205, 400, 95, 0.32);
    ship_at(cr, 330, 300, 30, 0.32);
    ship_at(cr, 95, 300, 24, 0.32);
    // Calm backing for the menu column.
    plate(cr, {kMenuColumn.x, kMenuColumn.y, kMenuColumn.w, kMenuColumn.h}, 14, hex(0x060A1C, 0.55), hex(0x0A0620, 0.7),
          hex(0x7FB4FF, 0.35), 1.5);
    cairo_restore(cr);

    title_lettering(sheet, 228 * 1024.0 / 800, 96 * 1024.0 / 600, 400 * 1024.0 / 800, (1024.0 / 800) / (1024.0 / 600),
                    "MenuTex");
    sheet.region("menu background", 0, 0, 1024, 1024);
    return sheet.finish("MenuTex", true);
}

// The splash logo: the title over a whirl on black, square.
void logo_picture(Sheet& sheet, const std::string& asset) {
    cairo_t* cr = sheet.cr();
    const double S = sheet.width();
    const Box all{0, 0, S, S};
    SpaceLook look;
    look.seed = 23;
    look.whirl_x = 0.5;
    look.whirl_y = 0.42;
    look.twist = 2.8;
    paint_space(sheet, all, S, S, look);
    paint_stars(cr, all, S, S, 160, 9, S * 0.006);
    // Fade to black toward the edges so the logo sits on the black screen.
    cairo_save(cr);
    cairo_pattern_t* g = cairo_pattern_create_radial(S / 2, S * 0.45, S * 0.18, S / 2, S * 0.5, S * 0.56);
    cairo_pattern_add_color_stop_rgba(g, 0, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(g, 1, 0, 0, 0, 1);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    cairo_restore(cr);
    ship_at(cr, S / 2, S * 0.4, S * 0.17, 0.0);
    title_lettering(sheet, S / 2, S * 0.76, S * 0.84, 1.0, asset);
    TextStyle small;
    small.face = Face::SansBold;
    small.top = hex(0xC8D2E6);
    small.bottom = hex(0x8C9AB8);
    small.outline_width = 0;
    small.glow_radius = 0;
    small.tracking = 0.5;
    TextPlacement p;
    p.cap_height = 0.4;
    draw_text(sheet, {S * 0.2, S * 0.885, S * 0.6, S * 0.07}, "A QVM GAME", small, p, asset);
    // Keep the very edge black: the splash fades from a black screen.
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, S, S);
    cairo_rectangle(cr, 3, 3, S - 6, S - 6);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_fill(cr);
    cairo_restore(cr);
}

Texture intro_map(const std::string& name) {
    Sheet sheet(512, 512);
    logo_picture(sheet, name);
    sheet.region("logo", 0, 0, 512, 512);
    return sheet.finish(name, true);
}

// Loading screen: the picture (shown 416 x 234 at 800 x 600) over the top of
// the sheet and the "Loading" caption with its full progress bar below it.
Texture load_map() {
    Sheet sheet(512, 512);
    cairo_t* cr = sheet.cr();
    sheet.region_uv("loading picture", 0.001, 0.999, 0.001, 0.703);
    const Box pic{0, 0, 512, 0.705 * 512};
    const double dw = 416, dh = 234;
    // Everything of the picture stays inside its region: the planet and the
    // glows would otherwise spill into the caption below.
    cairo_save(cr);
    cairo_rectangle(cr, pic.x, pic.y, pic.w, pic.h);
    cairo_clip(cr);
    SpaceLook look;
    look.seed = 41;
    look.whirl_x = 0.66;
    look.whirl_y = 0.5;
    look.twist = 2.6;
    paint_space(sheet, pic, dw, dh, look);
    paint_stars(cr, pic, dw, dh, 170, 13, 1.6);
    cairo_save(cr);
    cairo_translate(cr, pic.x, pic.y);
    cairo_scale(cr, pic.w / dw, pic.h / dh);
    planet(cr, 60, 250, 110, hex(0xC07A52), hex(0x40203A), hex(0xFFB080, 0.6));
    cairo_restore(cr);
    vignette(cr, pic, 0.6, 0.6);
    cairo_save(cr);
    cairo_translate(cr, pic.x, pic.y);
    cairo_scale(cr, pic.w / dw, pic.h / dh);
    ship_at(cr, 300, 150, 46, 0.5);
    ship_at(cr, 360, 88, 16, 0.5);
    cairo_restore(cr);
    const double ky = pic.h / dh, kx = pic.w / dw;
    title_lettering(sheet, pic.x + pic.w * 0.42, pic.y + 58 * ky, 300 * kx, kx / ky, "LoadMap");
    cairo_restore(cr);

    // Caption with the progress bar painted full; the game covers the part
    // still to load with a grey bar.
    const Box cap = sheet.region_uv("loading caption and bar", 0.001, 0.599, 0.709, 0.96);
    const double cw = 192, ch = 56;  // as shown at 800 x 600
    const double sxk = cap.w / cw, syk = cap.h / ch;
    cairo_save(cr);
    cairo_translate(cr, cap.x, cap.y);
    cairo_scale(cr, sxk, syk);
    plate(cr, {1, 1, cw - 2, ch - 2}, 7, hex(0x0A0E24, 0.82), hex(0x140A26, 0.9), hex(0x8CC0FF, 0.55), 1.0);
    // The bar: caption fractions x 0.0208..0.9792, y 0.5185..0.6970.
    const double bx0 = 0.0208 * cw, bx1 = 0.9792 * cw, by0 = 0.5185 * ch, by1 = 0.6970 * ch;
    cairo_rectangle(cr, bx0 - 1.5, by0 - 1.5, bx1 - bx0 + 3, by1 - by0 + 3);
    set_source(cr, hex(0x02030A, 1.0));
    cairo_fill(cr);
    cairo_rectangle(cr, bx0, by0, bx1 - bx0, by1 - by0);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, by0, 0, by1);
    cairo_pattern_add_color_stop_rgb(g, 0, 1.0, 0.93, 0.7);
    cairo_pattern_add_color_stop_rgb(g, 0.45, 1.0, 0.62, 0.25);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.75, 0.2, 0.3);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    // Segment ticks along the bar.
    for (int i = 1; i < 24; ++i) {
        const double x = bx0 + (bx1 - bx0) * i / 24.0;
        cairo_rectangle(cr, x - 0.3, by0, 0.6, by1 - by0);
    }
    set_source(cr, hex(0x401020, 0.35));
    cairo_fill(cr);
    cairo_restore(cr);
    TextStyle st;
    st.top = hex(0xFFFFFF);
    st.bottom = hex(0xFFD9A0);
    st.glow = hex(0xFF9050, 0.6);
    st.glow_radius = 3;
    st.outline_width = 1.6;
    st.tracking = 0.12;
    TextPlacement tp;
    tp.cap_height = 0.56;
    tp.screen_aspect = cw / (0.4 * ch);
    draw_text(sheet, {cap.x + 4, cap.y + 0.1 * cap.h, cap.w - 8, cap.h * 0.4}, "LOADING...", st, tp, "LoadMap");
    return sheet.finish("LoadMap");
}

}  // namespace

void add_title_pictures(Output& out) {
    out.textures.push_back(menu_tex());
    out.textures.push_back(intro_map("IntroMap"));
    out.textures.push_back(intro_map("IntroMap2"));
    out.textures.push_back(load_map());
}

}  // namespace assetgen::ui
