#pragma once
// Places of the interface pieces whose position on their sheet is ours to
// choose. The front-end code samples these cells; keep both sides in step.
// Texel rectangles are on the sheet's own size; `uv()` gives the texture
// coordinates with the usual 0.001 inset. Screen quads are in normalised
// screen units (x, y from -1 to 1, top-left -1, -1).

namespace assetgen::ui {

struct Cell {
    int x, y, w, h;  // texels
    int sheet_w, sheet_h;
    double u0() const { return double(x) / sheet_w + 0.001; }
    double u1() const { return double(x + w) / sheet_w - 0.001; }
    double v0() const { return double(y) / sheet_h + 0.001; }
    double v1() const { return double(y + h) / sheet_h - 0.001; }
};

struct Quad {
    double x0, x1, y0, y1;
};

// --- "Help0Tex" (512 x 512): option labels, slider track and knob ---------
constexpr Cell kLabelSoundVolume{0, 0, 256, 48, 512, 512};
constexpr Cell kLabelMusicVolume{0, 48, 256, 48, 512, 512};
constexpr Cell kLabelMouseSpeed{0, 96, 256, 48, 512, 512};
constexpr Cell kSliderTrack{0, 160, 256, 32, 512, 512};
constexpr Cell kSliderKnob{288, 0, 32, 52, 512, 512};
constexpr Cell kPointer{448, 64, 64, 64, 512, 512};  // hot spot: its top-left corner

// --- "Help5Tex" (512 x 512) -----------------------------------------------
// Menu captions, question, answers and level captions sit where the menu's
// fixed coordinates read them. The screen titles reuse the caption cells.
constexpr Cell kTitleHighScores{0, 128, 256, 64, 512, 512};  // = "High scores" caption
constexpr Cell kTitleOptions{0, 256, 256, 64, 512, 512};     // = "Options" caption
constexpr Cell kBackButton{256, 384, 128, 32, 512, 512};
constexpr Cell kNextPageButton{256, 416, 128, 32, 512, 512};
constexpr Cell kPrevPageButton{256, 448, 128, 32, 512, 512};
constexpr Cell kHelpFrame{384, 384, 128, 128, 512, 512};
// The options screen's button to the display and controls pages.
constexpr Cell kSetupButton{256, 480, 128, 32, 512, 512};
constexpr Quad kSetupButtonQuad{0.342, 0.692, 0.515, 0.57};
// Where the help screen shows its frame and its page buttons.
// The frame fills the menu column's backing from top to bottom (y 120..486 px
// at 800 x 600), with a title band over the page.
constexpr Quad kHelpFrameQuad{0.13, 0.74, -0.6, 0.62};
constexpr Quad kNextPageQuad{0.518, 0.692, 0.515, 0.57};
constexpr Quad kPrevPageQuad{0.426, 0.692, 0.515, 0.57};

// --- "Help2Tex" (512 x 512): page 2 of the help: its title (cell 0); the
// game writes its lines in the places below (quads 1 to 9) ---------------
constexpr int kHelpPage2Lines = 10;
constexpr Cell help_page2_cell(int k) { return {0, 208 + 30 * k, 384, 28, 512, 512}; }
// The title in the frame's band; the lines below the band's rule.
constexpr Quad help_page2_quad(int k) {
    const double top = k == 0 ? -0.53 : -0.346 + 0.092 * (k - 1);
    return {0.17, 0.70, top, top + 0.06};
}
// Page 1's title, in the frame's title band (free corner of the sheet).
constexpr Cell kHelpPage1Title{0, 160, 256, 40, 512, 512};
constexpr Quad kHelpPage1TitleQuad{0.2, 0.67, -0.555, -0.465};

// --- "MenuTex": the calm backing behind the menu column (800 x 600 px) ----
struct PixelBox {
    double x, y, w, h;
};
constexpr PixelBox kMenuColumn{448, 120, 250, 366};

}  // namespace assetgen::ui
