#pragma once
// Small helpers shared by the front-end screens: submitting screen sprites,
// colouring quads, the pulsing green of a highlighted item, and the cells of
// the interface sheets whose places are ours to choose (they match the
// layout the asset generator draws, tools/assetgen/ui/ui_layout.h and
// tools/assetgen/sprite_layout.h).
#include <cstdint>

#include "core/draw_entry.h"

namespace dw {

class GameContext;
class MyObject;

namespace ui {

// A clickable area of a screen in layout coordinates (-1..1 each way, y
// down): the button is drawn over it and hit only strictly inside it, so
// a pointer on the edge between two areas is in neither.
struct Area {
    float left, right, top, bottom;
    constexpr bool Contains(float x, float y) const { return x > left && x < right && y > top && y < bottom; }
};

// The buttons of the front-end screens, one place each.
inline constexpr Area kBackButtonArea{0.174f, 0.292f, 0.515f, 0.57f};
inline constexpr Area kNextPageArea{0.518f, 0.692f, 0.515f, 0.57f};
inline constexpr Area kPrevPageArea{0.426f, 0.692f, 0.515f, 0.57f};

// A rectangle of a sheet in texture coordinates.
struct Cell {
    float u0, u1, v0, v1;
};

// A texel rectangle of a `sheet`-sized texture, inset by 0.001 on each side.
constexpr Cell TexelCell(int x, int y, int w, int h, int sheet = 512) {
    return {static_cast<float>(x) / static_cast<float>(sheet) + 0.001f,
            static_cast<float>(x + w) / static_cast<float>(sheet) - 0.001f,
            static_cast<float>(y) / static_cast<float>(sheet) + 0.001f,
            static_cast<float>(y + h) / static_cast<float>(sheet) - 0.001f};
}

// "Help0Tex": option labels, slider track and knob.
inline constexpr Cell kLabelSoundVolume = TexelCell(0, 0, 256, 48);
inline constexpr Cell kLabelMusicVolume = TexelCell(0, 48, 256, 48);
inline constexpr Cell kLabelMouseSpeed = TexelCell(0, 96, 256, 48);
inline constexpr Cell kSliderTrack = TexelCell(0, 160, 256, 32);
inline constexpr Cell kSliderKnob = TexelCell(288, 0, 32, 52);
// "Help5Tex": screen titles (the caption cells), back and page buttons, help frame.
inline constexpr Cell kTitleHighScores = TexelCell(0, 128, 256, 64);
inline constexpr Cell kTitleOptions = TexelCell(0, 256, 256, 64);
inline constexpr Cell kBackButton = TexelCell(256, 384, 128, 32);
inline constexpr Cell kNextPageButton = TexelCell(256, 416, 128, 32);
inline constexpr Cell kPrevPageButton = TexelCell(256, 448, 128, 32);
inline constexpr int kHelpFrameTexels = 128;  // the frame's cell, texels a side
inline constexpr Cell kHelpFrame = TexelCell(384, 384, kHelpFrameTexels, kHelpFrameTexels);
inline constexpr Cell kSetupButton = TexelCell(256, 480, 128, 32);  // "Display & controls"
// "Help2Tex": the first help page's title and the second's (cell 0); the
// second page's lines are glyph text in the places of cells 1 to 9.
inline constexpr Cell kHelpPage1Title = TexelCell(0, 160, 256, 40);
inline constexpr int kHelpPage2Lines = 10;
constexpr Cell HelpPage2Cell(int k) { return TexelCell(0, 208 + 30 * k, 384, 28); }
// The help frame's title band ends in a rule this far down the frame.
inline constexpr float kHelpFrameBandEnd = 56.0f / 366.0f;
// Top of page 2's line k (0.06 high): the title in the frame's band, the
// lines below the band's rule, from where page 1's lines start.
constexpr float HelpPage2LineTop(int k) { return k == 0 ? -0.53f : -0.346f + 0.092f * static_cast<float>(k - 1); }
// "BoardTex": the caret of name entry and the menu's emblem plate.
inline constexpr Cell kCaret = TexelCell(96, 128, 16, 32);
inline constexpr Cell kMenuEmblem = TexelCell(256, 192, 128, 74);
// "ShotTex": the pieces of the menu's picture frame.
inline constexpr Cell kFrameCorner = TexelCell(0, 256, 64, 64);
inline constexpr Cell kFrameEdgeH = TexelCell(64, 256, 128, 32);
inline constexpr Cell kFrameEdgeV = TexelCell(0, 320, 32, 128);
inline constexpr Cell kFrameGem = TexelCell(64, 320, 64, 64);

// Sets the six-vertex block of `owner` over the area, showing `cell`.
void SetAreaQuad(MyObject& owner, ScreenVertex* block, const Area& area, const Cell& cell);

// Opaque green pulsing between 210 and 254 with the phase.
std::uint32_t PulseGreen(float phase);

// Sets z, rhw and the colour of `quads` six-vertex blocks.
void PrepareQuads(ScreenVertex* v, int quads, float z, std::uint32_t colour);
// Sets the colour of `quads` six-vertex blocks.
void ColourQuads(ScreenVertex* v, int quads, std::uint32_t colour);

// Submits a screen-sprite entry. `noDepth` and `alphaBlend` are the entry's
// switches; blending is source alpha over inverse source alpha.
void SubmitSprites(GameContext* ctx, const char* texture, const ScreenVertex* v, std::uint32_t triangles, float sortKey,
                   bool noDepth = true, bool alphaBlend = true);

// True when the front end runs: the mouse is live and the menu screen shows.
bool FrontEndActive(const GameContext* ctx);

// True while either Enter key (the main one or the keypad's) is down: the two
// act alike on every screen.
bool EnterDown(const GameContext& ctx);

}  // namespace ui
}  // namespace dw
