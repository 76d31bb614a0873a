#pragma once
// "help": the two help pages. Page 1 shows the eight pickups as animated
// icons with a line of text each, page 2 its title and lines of text in the
// glyph font, those about the keys naming the keys bound. A back button and
// Escape close it; a second button (or Left/Right) turns the page.
#include <array>
#include <cstdint>
#include <string>

#include "core/draw_entry.h"
#include "engine/my_object.h"
#include "frontend/help_keys.h"

namespace dw {

class HelpScreen : public MyObject {
public:
    struct Icon {
        std::uint32_t frames, columns;
        float baseU, baseV;
        std::uint32_t frame;
    };
    static constexpr int kIcons = 8;
    // The title and the text lines' places under it.
    static constexpr int kPage2Lines = 1 + kHelpPage2TextLines;
    static constexpr int kLineGlyphs = 48;

    explicit HelpScreen(GameContext* ctx);

    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::int32_t RestoreDeviceObjects() override;

    std::uint8_t page2 = 0;
    std::uint8_t clickHeld = 1;
    std::uint8_t backHover = 0, backHoverShown = 0, pageHover = 0, pageHoverShown = 0;
    float pulse = 0;
    float iconTime = 0;
    std::uint32_t escapeHeld = 0;
    std::uint8_t arrowHeld = 1;
    Icon icons[kIcons] = {{8, 8, 0, 0.625f, 0},    {16, 16, 0, 0.5625f, 0}, {16, 16, 0, 0.5f, 0},
                          {16, 16, 0, 0.6875f, 0}, {16, 16, 0, 0.4375f, 8}, {16, 16, 0, 0.75f, 0},
                          {16, 16, 0, 0.375f, 8},  {32, 16, 0, 0.8125f, 0}};

    const ScreenVertex* IconQuads() const { return icons_; }
    const ScreenVertex* Buttons() const { return buttons_; }  // back, page 1 button, page 2 button
    // The texts of page 2's lines as they were last written.
    const std::array<std::string, kHelpPage2TextLines>& TextLines() const { return textLines_; }
    const ScreenVertex* Frame() const { return frame_; }
    const ScreenVertex* Page2Lines() const { return page2_; }  // the title, then the lines' places
    // The glyph quads of page 2's text, line after line.
    const ScreenVertex* TextGlyphs() const { return textGlyphs_; }
    int TextGlyphCount() const { return textGlyphCount_; }

private:
    void ShowHover();
    void TakePresses();
    void Animate();
    void LayoutIcons();
    void LayoutTextLines();
    ScreenVertex* BackQuad() { return buttons_; }
    ScreenVertex* PageQuad() { return page2 ? buttons_ + 12 : buttons_ + 6; }

    ScreenVertex frame_[6] = {};
    ScreenVertex buttons_[18] = {};
    ScreenVertex icons_[6 * kIcons] = {};
    ScreenVertex lines_[6 * (kIcons + 1)] = {};  // the text lines, then page 1's title
    ScreenVertex page2_[6 * kPage2Lines] = {};
    ScreenVertex textGlyphs_[6 * kHelpPage2TextLines * kLineGlyphs] = {};  // "SymbolMid"
    int textGlyphCount_ = 0;
    std::array<std::string, kHelpPage2TextLines> textLines_;
    ScreenVertex drawButtons_[12] = {};  // back and the current page button, drawn together
};

// "site": a picture button below the main menu. Enabled buttons open the
// publisher's page for the user's language in the browser and end the
// program.
class SiteButton : public MyObject {
public:
    explicit SiteButton(GameContext* ctx);

    void Setup(float centreX, float halfWidth, float centreY, float halfHeightFactor, float uLeft, float uRight,
               float vTop, float vBottom, std::uint8_t enabled, const char* address);

    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::int32_t RestoreDeviceObjects() override;

    std::uint8_t enabled = 0;
    std::string address;
    float centreX = 0, halfWidth = 0, centreY = 0, halfHeightFactor = 0;
    float uLeft = 0, uRight = 0, vTop = 0, vBottom = 0;
    float growX = 0, growY = 0;
    std::uint8_t hover = 0, hoverShown = 0, clickHeld = 0;
    float aspect = 0.75f;
    float pulse = 0;

    const ScreenVertex* Button() const { return quads_; }
    const ScreenVertex* Shadow() const { return quads_ + 6; }

private:
    ScreenVertex quads_[12] = {};
};

// The file name of the publisher's page for a Windows primary language
// ("index.html", the international page, for languages without one).
const char* SitePageFor(std::uint16_t primaryLanguage);
// The address of the page for a language identifier: a file:// URL of the
// page shipped with the game (beside the program, in the build tree or in
// the installed data directory); empty when no page is found.
std::string SiteAddressFor(std::uint16_t langId);

}  // namespace dw
