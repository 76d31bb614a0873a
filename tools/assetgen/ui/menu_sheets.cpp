// Front-end sheets: the pointer and option widgets, the menu captions and
// screen buttons, the help texts, the site buttons.
#include <algorithm>
#include <cmath>
#include <string>

#include "ui_draw.h"
#include "ui_layout.h"
#include "ui_sheets.h"
#include "ui_style.h"

namespace assetgen::ui {

namespace {

Box box_of(const Cell& c) { return {double(c.x), double(c.y), double(c.w), double(c.h)}; }

void record(Sheet& s, const std::string& label, const Cell& c) { s.region(label, c.x, c.y, c.w, c.h); }

// An arrow pointer whose tip is the cell's top-left corner.
void pointer(cairo_t* cr, const Cell& c) {
    cairo_save(cr);
    cairo_rectangle(cr, c.x, c.y, c.w, c.h);
    cairo_clip(cr);
    cairo_translate(cr, c.x + 1.2, c.y + 1.2);
    cairo_new_path(cr);
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, 0, 46);
    cairo_line_to(cr, 11, 36);
    cairo_line_to(cr, 19, 54);
    cairo_line_to(cr, 27, 50.5);
    cairo_line_to(cr, 19, 33);
    cairo_line_to(cr, 33, 33);
    cairo_close_path(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(cr, 3);
    set_source(cr, hex(0x0A1226, 1.0));
    cairo_set_line_width(cr, 3.2);
    cairo_stroke_preserve(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 20, 50);
    cairo_pattern_add_color_stop_rgb(g, 0, 1, 1, 1);
    cairo_pattern_add_color_stop_rgb(g, 0.55, 0.86, 0.93, 1.0);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.45, 0.7, 0.95);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    // A bright edge down the left side.
    cairo_move_to(cr, 2.5, 6);
    cairo_line_to(cr, 2.5, 38);
    set_source(cr, hex(0xFFFFFF, 0.9));
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);
    cairo_restore(cr);
}

// The track is shown over exactly the band that takes the clicks (0.27 to
// 0.62 of the screen's width): its plate runs to both ends of the cell.
void slider_track(cairo_t* cr, const Cell& c) {
    // Shown 140 x 19.5 px: drawn in those units.
    constexpr double band0 = 0.27, band1 = 0.62;
    const double dw = (band1 - band0) * 400, dh = 19.5;
    cairo_save(cr);
    cairo_translate(cr, c.x, c.y);
    cairo_scale(cr, c.w / dw, c.h / dh);
    plate(cr, {1, 3.5, dw - 2, dh - 7}, 6, hex(0x02040C, 0.92), hex(0x101830, 0.92), hex(0x7FA8E0, 0.7), 0.9);
    // Where the knob's centre sits at 0, 10, ... 100 % (0.273 to 0.598 of
    // the screen).
    auto knob_centre = [&](int tenth) { return (0.273 + 0.0325 * tenth - band0) / (band1 - band0) * dw; };
    // Lit groove along the middle, from 0 % to 100 %.
    const double g0 = std::max(6.0, knob_centre(0)), g1 = knob_centre(10);
    cairo_rectangle(cr, g0, dh / 2 - 1.2, g1 - g0, 2.4);
    cairo_pattern_t* g = cairo_pattern_create_linear(g0, 0, g1, 0);
    cairo_pattern_add_color_stop_rgba(g, 0, 0.3, 0.55, 1.0, 0.7);
    cairo_pattern_add_color_stop_rgba(g, 1, 1.0, 0.6, 0.3, 0.9);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    for (int i = 0; i <= 10; ++i) {
        const double x = std::max(4.0, knob_centre(i));
        const double len = (i % 5 == 0) ? 3.2 : 2.0;
        cairo_rectangle(cr, x - 0.45, 3.6, 0.9, len);
        cairo_rectangle(cr, x - 0.45, dh - 3.6 - len, 0.9, len);
    }
    set_source(cr, hex(0xC8DCFF, 0.75));
    cairo_fill(cr);
    cairo_restore(cr);
}

void slider_knob(cairo_t* cr, const Cell& c) {
    const double dw = 12, dh = 19.5;
    cairo_save(cr);
    cairo_translate(cr, c.x, c.y);
    cairo_scale(cr, c.w / dw, c.h / dh);
    round_rect(cr, 1.0, 0.8, dw - 2, dh - 1.6, 2.5);
    cairo_pattern_t* g = cairo_pattern_create_linear(1, 0, dw - 1, 0);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.95, 0.97, 1.0);
    cairo_pattern_add_color_stop_rgb(g, 0.5, 0.7, 0.78, 0.9);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.35, 0.4, 0.55);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    set_source(cr, hex(0x0A1226, 1.0));
    cairo_set_line_width(cr, 0.7);
    cairo_stroke(cr);
    for (double y : {7.0, 9.75, 12.5}) {
        cairo_rectangle(cr, 3.2, y - 0.4, dw - 6.4, 0.8);
    }
    set_source(cr, hex(0x2A3450, 0.85));
    cairo_fill(cr);
    cairo_restore(cr);
}

Texture help0() {
    Sheet s(512, 512);
    cairo_t* cr = s.cr();
    const Cell ptr = kPointer;
    s.region_uv("mouse pointer", 0.876, 0.999, 0.126, 0.249);
    pointer(cr, ptr);
    const TextStyle st = caption_style();
    TextPlacement p;
    p.cap_height = 0.5;
    p.screen_aspect = 103.0 / 19.0;
    draw_text(s, box_of(kLabelSoundVolume), "Sound volume", st, p, "Help0Tex");
    record(s, "label Sound volume", kLabelSoundVolume);
    p.screen_aspect = 100.0 / 19.0;
    draw_text(s, box_of(kLabelMusicVolume), "Music volume", st, p, "Help0Tex");
    record(s, "label Music volume", kLabelMusicVolume);
    p.screen_aspect = 128.0 / 19.0;
    draw_text(s, box_of(kLabelMouseSpeed), "Mouse speed", st, p, "Help0Tex");
    record(s, "label Mouse speed", kLabelMouseSpeed);
    slider_track(cr, kSliderTrack);
    record(s, "slider track", kSliderTrack);
    slider_knob(cr, kSliderKnob);
    record(s, "slider knob", kSliderKnob);
    return s.finish("Help0Tex");
}

// --- "Help5Tex" ------------------------------------------------------------

void button_plate(cairo_t* cr, Box b, double radius) {
    plate(cr, b, radius, hex(0x1A2A5C, 0.6), hex(0x0A0E2C, 0.78), hex(0xA8D0FF, 0.75), 1.6);
    // A soft sheen over the upper half.
    cairo_save(cr);
    round_rect(cr, b.x + 2, b.y + 2, b.w - 4, b.h * 0.45, std::max(0.0, radius - 2));
    cairo_pattern_t* g = cairo_pattern_create_linear(0, b.y, 0, b.y + b.h * 0.45);
    cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 1, 0.16);
    cairo_pattern_add_color_stop_rgba(g, 1, 1, 1, 1, 0.02);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_restore(cr);
}

// A menu item: a plate with its label, white so the selection tint shows.
// `pad`: room kept clear between the text and the plate's ends, in texels.
void menu_caption(Sheet& s, Box cell, const std::string& text, double screen_w, double screen_h, double cap,
                  double pad = 0) {
    // Plates are drawn in screen units so the corners stay round when shown.
    const double kx = cell.w / screen_w, ky = cell.h / screen_h;
    cairo_t* cr = s.cr();
    cairo_save(cr);
    cairo_translate(cr, cell.x, cell.y);
    cairo_scale(cr, kx, ky);
    const double m = 2.5 / ky;
    button_plate(cr, {m * ky / kx, m, screen_w - 2 * m * ky / kx, screen_h - 2 * m}, screen_h * 0.28);
    cairo_restore(cr);
    TextPlacement p;
    p.cap_height = cap;
    p.pad = pad;
    p.screen_aspect = screen_w / screen_h;
    draw_text(s, cell, text, caption_style(), p, "Help5Tex");
}

Texture help5() {
    Sheet s(512, 512);
    static const char* const left[8] = {"Resume game", "New game", "High scores", "Help",
                                        "Options",     "Exit",     "Yes",         "No"};
    static const char* const labels[8] = {
        "caption Resume game (5)", "caption New game (0, 6)", "caption High scores (1, 7)",
        "caption Help (2, 8)",     "caption Options (3, 9)",  "caption Exit (4, 10)",
        "answer Yes (12)",         "answer No (13)"};
    for (int i = 0; i < 8; ++i) {
        const Box b = s.region_uv(labels[i], 0.001, 0.499, 0.001 + 0.125 * i, 0.124 + 0.125 * i);
        menu_caption(s, b, left[i], 220, 45, 0.36);
    }
    {
        const Box b = s.region_uv("question Are you sure? (11)", 0.501, 0.999, 0.001, 0.124);
        TextPlacement p;
        p.cap_height = 0.4;
        p.screen_aspect = 220.0 / 45.0;
        TextStyle st = caption_style();
        st.glow = hex(0xFFB060, 0.6);
        st.glow_radius = 5;
        draw_text(s, b, "Are you sure?", st, p, "Help5Tex");
    }
    for (int i = 0; i < 10; ++i) {
        const Box b = s.region_uv("level " + std::to_string(i + 1) + " (" + std::to_string(14 + i) + ")", 0.501, 0.999,
                                  0.126 + 0.0625 * i, 0.175 + 0.0625 * i);
        menu_caption(s, b, "Level " + std::to_string(i + 1), 220, 22.5, 0.5);
    }
    // The small buttons keep their words clear of the plate's round ends.
    const double pad = box_of(kBackButton).h * 0.5;
    menu_caption(s, box_of(kBackButton), "Back", 47, 16.5, 0.42, pad);
    record(s, "button Back", kBackButton);
    menu_caption(s, box_of(kNextPageButton), "Next page", 70, 16.5, 0.42, pad);
    record(s, "button Next page", kNextPageButton);
    menu_caption(s, box_of(kPrevPageButton), "Previous page", 106, 16.5, 0.42, pad);
    record(s, "button Previous page", kPrevPageButton);
    menu_caption(s, box_of(kSetupButton), "Display & controls", 140, 16.5, 0.42, pad);
    record(s, "button Display & controls", kSetupButton);

    // The help screen's frame, drawn for its 244 x 366 px on screen: the
    // whole menu column, with a title band (the page titles) at the top.
    {
        const Cell c = kHelpFrame;
        const double dw = 244, dh = 366;
        cairo_t* cr = s.cr();
        cairo_save(cr);
        cairo_translate(cr, c.x, c.y);
        cairo_scale(cr, c.w / dw, c.h / dh);
        plate(cr, {4, 4, dw - 8, dh - 8}, 16, hex(0x0C1434, 0.86), hex(0x080620, 0.9), hex(0x9CC8FF, 0.8), 3.0);
        plate(cr, {11, 11, dw - 22, dh - 22}, 11, hex(0, 0), hex(0, 0), hex(0x5080C0, 0.45), 1.5);
        // Corner studs.
        for (double x : {16.0, dw - 16}) {
            for (double y : {16.0, dh - 16}) {
                cairo_arc(cr, x, y, 3.2, 0, 2 * kPi);
                set_source(cr, hex(0xFFB060, 0.9));
                cairo_fill(cr);
            }
        }
        // The title band: a lighter strip under the top edge, closed by a rule
        // with a small gem in its middle.
        const double band = 56;  // the game places page 2 by it (ui::kHelpFrameBandEnd)
        cairo_rectangle(cr, 14, 14, dw - 28, band - 14);
        cairo_pattern_t* g = cairo_pattern_create_linear(0, 14, 0, band);
        cairo_pattern_add_color_stop_rgba(g, 0, 0.25, 0.4, 0.8, 0.28);
        cairo_pattern_add_color_stop_rgba(g, 1, 0.25, 0.4, 0.8, 0.05);
        cairo_set_source(cr, g);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
        cairo_set_line_width(cr, 1.5);
        set_source(cr, hex(0x9CC8FF, 0.7));
        cairo_move_to(cr, 20, band);
        cairo_line_to(cr, dw - 20, band);
        cairo_stroke(cr);
        cairo_move_to(cr, dw / 2, band - 5);
        cairo_line_to(cr, dw / 2 + 6, band);
        cairo_line_to(cr, dw / 2, band + 5);
        cairo_line_to(cr, dw / 2 - 6, band);
        cairo_close_path(cr);
        set_source(cr, hex(0xFFB060, 0.95));
        cairo_fill(cr);
        cairo_restore(cr);
        record(s, "help frame", kHelpFrame);
    }
    return s.finish("Help5Tex");
}

// --- "Help2Tex" ------------------------------------------------------------

Texture help2() {
    Sheet s(512, 512);
    static const char* const lines[8] = {
        "Gems: 300 to 750 points", "Laser upgrade",  "Plasma upgrade",         "Shield for 5 seconds", "Energy +120",
        "10 homing rockets",       "Surprise bonus", "Deadly unless shielded",
    };
    TextStyle st = caption_style();
    st.outline_width = 1.3;
    st.glow_radius = 2;
    st.glow.a = 0.4;
    TextPlacement p;
    p.cap_height = 0.52;
    p.align = Align::Left;
    p.pad = 1;
    p.screen_aspect = 180.0 / 17.0;
    for (int k = 0; k < 8; ++k) {
        const Box b = s.region_uv("help line " + std::to_string(k), 0.507, 0.948, 0.039 * k + 0.093, 0.039 * k + 0.127);
        TextStyle ls = st;
        if (k == 7) ls.bottom = hex(0xFFB0A0);
        draw_text(s, b, lines[k], ls, p, "Help2Tex");
    }
    // Page 1's title, in the style of page 2's first line.
    {
        const Cell c = kHelpPage1Title;
        const Quad q = kHelpPage1TitleQuad;
        TextStyle ts = st;
        ts.top = hex(0xFFF6D8);
        ts.bottom = hex(0xFFB060);
        ts.glow = hex(0xFF8040, 0.5);
        ts.tracking = 0.15;
        TextPlacement tp = p;
        tp.align = Align::Centre;
        tp.cap_height = 0.56;
        tp.screen_aspect = ((q.x1 - q.x0) * 400) / ((q.y1 - q.y0) * 300);
        draw_text(s, box_of(c), "BONUSES", ts, tp, "Help2Tex");
        record(s, "help page 1 title", c);
    }
    // Page 2's title; its lines are drawn by the game in the glyph font, as
    // they name the keys bound.
    {
        const Cell c = help_page2_cell(0);
        const Quad q = help_page2_quad(0);
        TextPlacement pp = p;
        pp.align = Align::Centre;
        pp.cap_height = 0.56;
        pp.screen_aspect = ((q.x1 - q.x0) * 400) / ((q.y1 - q.y0) * 300);
        TextStyle ls = st;
        ls.top = hex(0xFFF6D8);
        ls.bottom = hex(0xFFB060);
        ls.glow = hex(0xFF8040, 0.5);
        ls.tracking = 0.15;
        draw_text(s, box_of(c), "HOW TO FLY", ls, pp, "Help2Tex");
        record(s, "help page 2 title", c);
    }
    return s.finish("Help2Tex");
}

// --- "Help7Tex": site buttons ---------------------------------------------

void site_icon(cairo_t* cr, int kind, double cx, double cy, double r) {
    cairo_save(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    const Colour ink = hex(0xF2F6FF), accent = hex(0xFFA050);
    switch (kind) {
        case 0: {  // a ringed planet: more games
            cairo_arc(cr, cx, cy, r * 0.62, 0, 2 * kPi);
            cairo_pattern_t* g = cairo_pattern_create_radial(cx - r * 0.25, cy - r * 0.3, r * 0.05, cx, cy, r * 0.7);
            cairo_pattern_add_color_stop_rgb(g, 0, 1, 0.85, 0.6);
            cairo_pattern_add_color_stop_rgb(g, 1, 0.8, 0.3, 0.25);
            cairo_set_source(cr, g);
            cairo_fill(cr);
            cairo_pattern_destroy(g);
            cairo_save(cr);
            cairo_translate(cr, cx, cy);
            cairo_rotate(cr, -0.35);
            cairo_scale(cr, r * 1.05, r * 0.3);
            cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
            cairo_restore(cr);
            set_source(cr, ink);
            cairo_set_line_width(cr, r * 0.1);
            cairo_stroke(cr);
            break;
        }
        case 1: {  // a comet: news
            cairo_move_to(cr, cx - r, cy + r * 0.6);
            cairo_line_to(cr, cx + r * 0.3, cy - r * 0.25);
            set_source(cr, hex(0x9CD0FF, 0.6));
            cairo_set_line_width(cr, r * 0.35);
            cairo_stroke(cr);
            flare(cr, cx + r * 0.35, cy - r * 0.3, r * 0.28, hex(0xFFE8B0));
            break;
        }
        case 2: {  // speech bubbles: forum
            round_rect(cr, cx - r, cy - r * 0.75, r * 1.3, r * 0.9, r * 0.25);
            cairo_move_to(cr, cx - r * 0.6, cy + r * 0.1);
            cairo_line_to(cr, cx - r * 0.75, cy + r * 0.45);
            cairo_line_to(cr, cx - r * 0.3, cy + r * 0.12);
            set_source(cr, ink);
            cairo_fill(cr);
            round_rect(cr, cx - r * 0.15, cy - r * 0.2, r * 1.15, r * 0.8, r * 0.22);
            set_source(cr, accent);
            cairo_fill(cr);
            break;
        }
        default: {  // a lifebuoy: support
            cairo_arc(cr, cx, cy, r * 0.68, 0, 2 * kPi);
            set_source(cr, ink);
            cairo_set_line_width(cr, r * 0.42);
            cairo_stroke(cr);
            for (int i = 0; i < 4; ++i) {
                const double a = i * kPi / 2 + kPi / 4;
                cairo_arc(cr, cx, cy, r * 0.68, a - 0.3, a + 0.3);
                set_source(cr, hex(0xFF5A40));
                cairo_set_line_width(cr, r * 0.44);
                cairo_stroke(cr);
            }
            break;
        }
    }
    cairo_restore(cr);
}

Texture help7() {
    // Wide sheet: the buttons are shown wider than the square sheet's cells.
    Sheet s(1024, 256);
    cairo_t* cr = s.cr();
    {
        const Box b = s.region_uv("site title", 0.307, 0.96, 0.003, 0.285);
        TextStyle st = caption_style();
        st.top = hex(0xFFF2D8);
        st.bottom = hex(0xFFB870);
        st.glow = hex(0xFF8040, 0.5);
        st.outline_width = 3;
        st.glow_radius = 4;
        st.tracking = 0.12;
        TextPlacement p;
        p.cap_height = 0.62;
        p.screen_aspect = 72.0 / 10.4;
        draw_text(s, b, "QVM GAMES", st, p, "Help7Tex");
    }
    static const char* const names[4] = {"MORE GAMES", "NEWS", "FORUM", "SUPPORT"};
    for (int i = 0; i < 4; ++i) {
        const Box b =
            s.region_uv("site button " + std::to_string(i + 1), 0.001 + 0.25 * i, 0.249 + 0.25 * i, 0.285, 0.999);
        const double dw = 164, dh = 134;  // twice the on-screen size
        cairo_save(cr);
        cairo_translate(cr, b.x, b.y);
        cairo_scale(cr, b.w / dw, b.h / dh);
        plate(cr, {3, 3, dw - 6, dh - 6}, 16, hex(0x2A1C5A, 0.95), hex(0x0A0C28, 0.97), hex(0xA8D0FF, 0.85), 2.5);
        cairo_rectangle(cr, 10, 10, dw - 20, dh - 20);
        cairo_clip(cr);
        paint_stars(cr, {0, 0, dw, dh}, dw, dh, 30, 100 + i, 1.2);
        site_icon(cr, i, dw / 2, 50, 30);
        cairo_restore(cr);
        TextPlacement p;
        p.cap_height = 0.52;
        p.screen_aspect = dw / 36.0;
        // The name keeps clear of the plate's edges, as the icon does.
        const double inset = b.w * 22 / dw;
        draw_text(s, {b.x + inset, b.y + b.h * 96 / dh, b.w - 2 * inset, b.h * 30 / dh}, names[i], caption_style(), p,
                  "Help7Tex");
    }
    return s.finish("Help7Tex");
}

// Nobody draws "Help6Tex"; it carries a spare badge.
Texture help6() {
    Sheet s(128, 128);
    cairo_t* cr = s.cr();
    plate(cr, {8, 8, 112, 112}, 56, hex(0x1A2A5C, 0.9), hex(0x0A0E2C, 0.95), hex(0xFFB060, 0.9), 3);
    TextStyle st = caption_style();
    st.glow_radius = 4;
    TextPlacement p;
    p.cap_height = 0.4;
    draw_text(s, {12, 12, 104, 104}, "D2", st, p, "Help6Tex");
    s.region("spare badge", 8, 8, 112, 112);
    return s.finish("Help6Tex");
}

}  // namespace

void add_menu_sheets(Output& out) {
    out.textures.push_back(help0());
    out.textures.push_back(help5());
    out.textures.push_back(help2());
    out.textures.push_back(help6());
    out.textures.push_back(help7());
}

}  // namespace assetgen::ui
