#include "frontend/help_screen.h"

#include <algorithm>

#include "core/game_context.h"
#include "frontend/ui_common.h"
#include "assets/asset_names.h"
#include "assets/sound.h"
#include "media/glyph_text.h"
#include "platform/input.h"

namespace dw {

namespace {

constexpr float kZ = 0.55f;
// Page 2's lines: glyphs as on the display and controls pages, in the
// places under the title's rule, narrowed when a line of long key names
// would run past its place.
constexpr float kGlyphW = 0.028f, kGlyphH = 0.058f, kAdvance = 0.017f;
constexpr float kLineX0 = 0.18f, kLineX1 = 0.69f;

}  // namespace

HelpScreen::HelpScreen(GameContext* ctx) : MyObject(ctx) {
    name = "help";
    order = 48;
    visible = 1;
    RestoreDeviceObjects();
}

void HelpScreen::LayoutIcons() {
    for (int k = 0; k < kIcons; ++k) {
        const Icon& ic = icons[k];
        const auto column = ic.frame % ic.columns, row = ic.frame / ic.columns;  // the cell on the sheet
        const float u = ic.baseU + 0.0625f * static_cast<float>(column);
        const float v = ic.baseV + 0.0625f * static_cast<float>(row);
        const float y = 0.099f * static_cast<float>(k) - 0.36f;
        SetQuadScreen(icons_ + 6 * k, 0.165f, 0.224f, y, y + 0.079f, u + 0.001f, u + 0.062f, v + 0.001f, v + 0.062f);
    }
    ui::PrepareQuads(icons_, kIcons, kZ, 0xFFFFFFFFu);
}

std::int32_t HelpScreen::RestoreDeviceObjects() {
    // The frame fills the menu column's backing; its top band holds the title.
    SetQuadScreen(frame_, 0.13f, 0.74f, -0.6f, 0.62f, ui::kHelpFrame.u0, ui::kHelpFrame.u1, ui::kHelpFrame.v0,
                  ui::kHelpFrame.v1);
    ui::PrepareQuads(frame_, 1, kZ, 0xFFFFFFFFu);
    ui::SetAreaQuad(*this, buttons_, ui::kBackButtonArea, ui::kBackButton);
    ui::SetAreaQuad(*this, buttons_ + 6, ui::kNextPageArea, ui::kNextPageButton);
    ui::SetAreaQuad(*this, buttons_ + 12, ui::kPrevPageArea, ui::kPrevPageButton);
    ui::PrepareQuads(buttons_, 3, kZ, 0xFFFFFFFFu);
    if (backHoverShown) ui::ColourQuads(buttons_, 1, ui::PulseGreen(pulse));
    LayoutIcons();
    for (int k = 0; k < kIcons; ++k) {
        const float y = 0.099f * static_cast<float>(k);
        const float v = 0.039f * static_cast<float>(k);
        SetQuadScreen(lines_ + 6 * k, 0.25f, 0.7f, y - 0.346f, y - 0.29f, 0.507f, 0.948f, v + 0.093f, v + 0.127f);
    }
    // Page 1's title rides with the lines: one sheet, one batch.
    SetQuadScreen(lines_ + 6 * kIcons, 0.2f, 0.67f, -0.555f, -0.465f, ui::kHelpPage1Title.u0, ui::kHelpPage1Title.u1,
                  ui::kHelpPage1Title.v0, ui::kHelpPage1Title.v1);
    ui::PrepareQuads(lines_, kIcons + 1, kZ, 0xFFFFFFFFu);
    for (int k = 0; k < kPage2Lines; ++k) {
        const ui::Cell cell = ui::HelpPage2Cell(k);
        const float y = ui::HelpPage2LineTop(k);
        SetQuadScreen(page2_ + 6 * k, 0.17f, 0.70f, y, y + 0.06f, cell.u0, cell.u1, cell.v0, cell.v1);
    }
    ui::PrepareQuads(page2_, kPage2Lines, kZ, 0xFFFFFFFFu);
    LayoutTextLines();
    return 0;
}

void HelpScreen::LayoutTextLines() {
    textLines_ = HelpPage2Text(context->controls);
    int at = 0;
    for (int k = 0; k < kHelpPage2TextLines; ++k) {
        const std::string& text = textLines_[static_cast<std::size_t>(k)];
        const int n = std::min(static_cast<int>(text.size()), kLineGlyphs);
        if (n == 0) continue;
        const float width = kAdvance * static_cast<float>(n - 1) + kGlyphW;
        const float scale = std::min(1.0f, (kLineX1 - kLineX0) / width);
        const float y = ui::HelpPage2LineTop(1 + k) + (0.06f - kGlyphH * scale) * 0.5f;
        ScreenVertex* q = textGlyphs_ + 6 * at;
        for (int i = 0; i < n; ++i) {
            const float x = kLineX0 + kAdvance * scale * static_cast<float>(i);
            SetQuadScreen(q + 6 * i, x, x + kGlyphW * scale, y, y + kGlyphH * scale, 0, 0, 0, 0);
        }
        ClearGlyphs(q, static_cast<std::uint32_t>(n));
        SetGlyphText(q, text.substr(0, static_cast<std::size_t>(n)).c_str());
        at += n;
    }
    ui::PrepareQuads(textGlyphs_, at, kZ, 0xFFFFFFFFu);
    textGlyphCount_ = at;
}

std::int32_t HelpScreen::FrameMove() {
    GameContext& c = *context;
    if (!ui::FrontEndActive(&c) || dead) return 0;
    const float x = c.layoutCursorX, y = c.layoutCursorY;
    backHover = ui::kBackButtonArea.Contains(x, y);
    pageHover = (page2 ? ui::kPrevPageArea : ui::kNextPageArea).Contains(x, y);

    ShowHover();
    TakePresses();
    // A press counts once, until it is released.
    if (!c.mouseButtons[0]) clickHeld = 0;
    if (!c.keys[DIK_ESCAPE]) escapeHeld = 0;
    Animate();
    return 0;
}

// The buttons under the pointer pulse green, with a sound as it comes and goes.
void HelpScreen::ShowHover() {
    GameContext& c = *context;
    const std::uint32_t green = ui::PulseGreen(pulse);
    if (backHover != backHoverShown) {
        PlaySound(&c, asset::MenuSelect);
        if (!backHover) ui::ColourQuads(buttons_, 1, 0xFFFFFFFFu);
        backHoverShown = backHover;
    }
    if (backHover) ui::ColourQuads(buttons_, 1, green);
    if (pageHover != pageHoverShown) {
        PlaySound(&c, asset::MenuSelect);
        if (!pageHover && !page2) ui::ColourQuads(buttons_ + 6, 1, 0xFFFFFFFFu);
        pageHoverShown = pageHover;
    }
    if (pageHover && !page2) ui::ColourQuads(buttons_ + 6, 1, green);
}

// Escape and the back button close the screen; the page button and the
// arrows turn the page.
void HelpScreen::TakePresses() {
    GameContext& c = *context;
    // Escape.
    if (c.keys[DIK_ESCAPE] && !escapeHeld) {
        escapeHeld = 1;
        c.helpClosed = 1;
        dead = 1;
        PlaySound(&c, asset::MenuPress);
    }
    // The back button.
    if (!dead && backHover && c.mouseButtons[0] && !clickHeld) {
        clickHeld = 1;
        c.helpClosed = 1;
        dead = 1;
        PlaySound(&c, asset::MenuPress);
    }
    // The page button.
    if (!dead && pageHover && c.mouseButtons[0] && !clickHeld) {
        page2 = !page2;
        pageHoverShown = 1;
        ui::ColourQuads(buttons_ + 6, 2, 0xFFFFFFFFu);
        clickHeld = 1;
        PlaySound(&c, asset::MenuPress);
    }
    // Left and Right turn to page 1 and page 2.
    const bool left = c.keys[DIK_LEFT] != 0, right = c.keys[DIK_RIGHT] != 0;
    if (!dead && !arrowHeld && ((right && !page2) || (left && page2))) {
        page2 = !page2;
        ui::ColourQuads(buttons_ + 6, 2, 0xFFFFFFFFu);
        PlaySound(&c, asset::MenuPress);
    }
    arrowHeld = left || right;
}

// The pulse of the buttons and the first page's icons.
void HelpScreen::Animate() {
    const GameContext& c = *context;
    pulse += static_cast<float>(c.frameTimeAverage) * 0.005f;
    if (!page2) {
        iconTime += static_cast<float>(c.frameTimeAverage) * 0.025f;
        if (iconTime > 1.0f) {
            iconTime = 0;
            for (Icon& ic : icons) ic.frame = (ic.frame + 1) % ic.frames;
            LayoutIcons();
        }
    }
}

std::int32_t HelpScreen::Render() {
    if (!ui::FrontEndActive(context) || dead) return 0;
    // Back and the page's own button, side by side in one entry.
    for (int i = 0; i < 6; ++i) {
        drawButtons_[i] = buttons_[i];
        drawButtons_[6 + i] = page2 ? buttons_[12 + i] : buttons_[6 + i];
    }
    // The frame lies behind the page: a hair further back than the rest, so
    // that it is drawn first whatever the sheets' names.
    ui::SubmitSprites(context, asset::Help5Tex, frame_, 2, 2.585f);
    ui::SubmitSprites(context, asset::Help5Tex, drawButtons_, 4, 2.58f);
    if (!page2) {
        ui::SubmitSprites(context, asset::Help2Tex, lines_, 2 * (kIcons + 1), 2.58f);
        ui::SubmitSprites(context, asset::Ship1Tex, icons_, 2 * kIcons, 2.58f);
    } else {
        ui::SubmitSprites(context, asset::Help2Tex, page2_, 2, 2.58f);
        if (textGlyphCount_ > 0)
            ui::SubmitSprites(context, asset::SymbolMid, textGlyphs_, static_cast<std::uint32_t>(2 * textGlyphCount_),
                              2.575f);
    }
    return 0;
}

}  // namespace dw
