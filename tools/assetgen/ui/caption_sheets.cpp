// In-game captions: level number, level completed, game over, and the
// large pictures of "Help3Tex".
#include <string>

#include "ui_draw.h"
#include "ui_sheets.h"
#include "ui_style.h"

namespace assetgen::ui {

namespace {

// All "Help4Tex" pieces are shown 60 px high; `screen_w` is their width.
void banner(Sheet& s, const std::string& label, double u0, double u1, double v0, double v1, const std::string& text,
            double screen_w, const TextStyle& st, bool spread) {
    const Box b = s.region_uv(label, u0, u1, v0, v1);
    TextStyle style = st;
    style.fill_width = spread;
    TextPlacement p;
    p.cap_height = 0.64;
    p.pad = 1;
    p.screen_aspect = screen_w / 60.0;
    draw_text(s, b, text, style, p, "Help4Tex");
}

Texture help4() {
    Sheet s(512, 512);
    const TextStyle blue = banner_style();
    TextStyle red = banner_style();
    red.top = hex(0xFFF4D8);
    red.bottom = hex(0xFF5A36);
    red.outline = hex(0x200404, 1.0);
    red.glow = hex(0xFF3A1A, 0.75);
    banner(s, "word LEVEL", 0.004, 0.496, 0.004, 0.121, "LEVEL", 280, blue, true);
    banner(s, "word COMPLETED", 0.004, 0.844, 0.875, 0.992, "COMPLETED", 478, blue, true);
    banner(s, "game over: GAME", 0.523, 0.977, 0.004, 0.123, "GAME", 258, red, true);
    banner(s, "game over: OVER", 0.523, 0.977, 0.135, 0.254, "OVER", 258, red, true);
    struct Digit {
        double w, u0, u1, v0, v1;
    };
    static const Digit digits[10] = {
        {0.1358, 0.018, 0.113, 0.131, 0.248}, {0.1386, 0.121, 0.219, 0.131, 0.248},
        {0.1358, 0.227, 0.322, 0.131, 0.248}, {0.1358, 0.33, 0.426, 0.131, 0.248},
        {0.1358, 0.016, 0.111, 0.26, 0.377},  {0.1386, 0.119, 0.217, 0.26, 0.377},
        {0.1386, 0.225, 0.322, 0.26, 0.377},  {0.1414, 0.33, 0.43, 0.26, 0.377},
        {0.1414, 0.016, 0.115, 0.391, 0.508}, {0.2387, 0.125, 0.293, 0.391, 0.508},
    };
    for (int n = 0; n < 10; ++n) {
        const Digit& d = digits[n];
        const std::string shown = std::to_string(n + 1);
        banner(s, "level number " + shown, d.u0, d.u1, d.v0, d.v1, shown, d.w * 400, blue, true);
    }
    return s.finish("Help4Tex");
}

void picture_plate(Sheet& s, Box b, std::uint32_t seed) {
    cairo_t* cr = s.cr();
    plate(cr, {b.x + 3, b.y + 3, b.w - 6, b.h - 6}, 18, hex(0x0E1438, 0.88), hex(0x14082A, 0.92), hex(0x9CC8FF, 0.85),
          3);
    cairo_save(cr);
    round_rect(cr, b.x + 8, b.y + 8, b.w - 16, b.h - 16, 12);
    cairo_clip(cr);
    paint_stars(cr, b, b.w, b.h, 90, seed, 2.2);
    cairo_restore(cr);
    plate(cr, {b.x + 9, b.y + 9, b.w - 18, b.h - 18}, 12, hex(0, 0), hex(0, 0), hex(0xFFB060, 0.5), 1.2);
}

Texture help3() {
    Sheet s(512, 512);
    TextStyle big = banner_style();
    TextStyle gold = banner_style();
    gold.top = hex(0xFFFFFF);
    gold.bottom = hex(0xFFB24A);
    gold.glow = hex(0xFF8030, 0.7);
    TextStyle line = caption_style();
    TextPlacement p;
    p.screen_aspect = 0;  // both pictures are shown at the sheet's own 2 : 1
    {
        const Box b = s.region_uv("briefing picture", 0.001, 0.999, 0.001, 0.492);
        picture_plate(s, b, 3);
        p.cap_height = 0.34;
        draw_text(s, {b.x + 14, b.y + 30, b.w - 28, b.h * 0.46}, "GET READY!", big, p, "Help3Tex");
        p.cap_height = 0.3;
        draw_text(s, {b.x + 20, b.y + b.h * 0.6, b.w - 40, b.h * 0.22}, "The whirl is waking up, Captain", line, p,
                  "Help3Tex");
    }
    {
        const Box b = s.region_uv("closing picture", 0.001, 0.999, 0.501, 0.992);
        picture_plate(s, b, 7);
        p.cap_height = 0.3;
        draw_text(s, {b.x + 14, b.y + 22, b.w - 28, b.h * 0.36}, "CONGRATULATIONS!", gold, p, "Help3Tex");
        p.cap_height = 0.34;
        draw_text(s, {b.x + 20, b.y + b.h * 0.47, b.w - 40, b.h * 0.2}, "All ten levels completed", line, p,
                  "Help3Tex");
        draw_text(s, {b.x + 20, b.y + b.h * 0.66, b.w - 40, b.h * 0.2}, "The Duskwhirl is safe again", line, p,
                  "Help3Tex");
    }
    return s.finish("Help3Tex");
}

}  // namespace

void add_caption_sheets(Output& out) {
    out.textures.push_back(help3());
    out.textures.push_back(help4());
}

}  // namespace assetgen::ui
