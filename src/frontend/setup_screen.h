#pragma once
// "Display & controls", opened from the options screen: three pages (the
// display, the keyboard, the gamepad) of rows chosen with the arrows, the
// pad or the pointer. Enter or a click changes a row: a switch flips, a key
// or button place waits for the new key ("press the new key", Escape
// cancels), a slider moves with Left/Right or a drag. Left/Right on the page
// row turn the page. Escape or Back returns to the options, writing what
// changed to the settings.
#include <cstdint>
#include <string>
#include <vector>

#include "core/draw_entry.h"
#include "core/game_context.h"
#include "engine/my_object.h"
#include "frontend/ui_common.h"

namespace dw {

class SetupScreen : public MyObject {
public:
    enum Page : std::uint8_t { kDisplay, kKeyboard, kGamepad };
    static constexpr int kPages = 3;
    enum class Row : std::uint8_t {
        Pages,
        FullScreen,
        Picture,
        VSync,
        Flashes,
        Online,
        Key,
        Pad,
        KeySpeed,
        DeadZone,
        StickSpeed,
        Restore
    };
    struct Item {
        Row row;
        int action;  // the key or pad action of a Key or Pad row
    };
    enum class Waiting : std::uint8_t { None, Key, Button };

    explicit SetupScreen(GameContext* ctx);

    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::int32_t RestoreDeviceObjects() override;

    // The rows of a page, top to bottom.
    static std::vector<Item> Rows(int page);
    // Where the pointer finds row `i` of the page (the page row is the title).
    static ui::Area RowRect(int i);
    static constexpr ui::Area kBack = ui::kBackButtonArea;

    int page = kDisplay;
    int row = 0, column = 0;
    Waiting waiting = Waiting::None;
    bool closed = false;  // Escape or Back: the options screen takes over again
    std::uint8_t dragging = 0;
    std::string hint;  // the bottom line

    // Where the chosen row's band lies (on the page row, under the page's
    // name), and the centre of the ornament on the title's rule, which
    // stands under the page shown.
    const ui::Area& ChosenBand() const { return band_; }
    float PageMarkX() const { return pageMarkX_; }

private:
    void TakeKeys();
    void TakeWaiting();
    bool BindFreshButton(const Item& item, bool& bound);
    bool BindPressedKey(const Item& item, bool& bound);
    void TakePointer();
    void Activate(int column);
    void Step(int direction);
    void Slide(Row slider, int value);
    int* SliderValue(Row slider);
    void ChangeDisplay();
    void Leave();
    bool Pressed(std::uint8_t dik) const;
    void Layout();
    int LayoutRow(int at, int i, const Item& item, std::uint32_t green);
    int Text(int at, float x, float y, const std::string& text, std::size_t most, std::uint32_t colour);
    std::string ValueOf(const Item& item, int column) const;

    // The settings as this page found them: only what it changes is saved.
    platform::Controls controlsBefore_;
    GameContext::Display displayBefore_;
    bool onlineBefore_;
    std::uint8_t previousKeys_[256] = {};
    std::uint32_t previousButtons_ = 0;
    std::uint8_t clickHeld_ = 1;
    std::uint8_t holdInput_ = 0;  // a binding press still held: nothing else is taken
    std::int32_t lastCursorX_ = 0, lastCursorY_ = 0;
    float phase_ = 0;
    // The frame's five pieces (with the layout's size: at a restore), then
    // what moves with the page and the row: the ornament and the band.
    void LayoutFrame();
    void LayoutMarks();

    // "Help5Tex": the frame in five pieces around its ornament (the rule runs
    // plain where the ornament was), the ornament under the page shown, and
    // the back button.
    ScreenVertex frame_[6 * 5] = {};
    ScreenVertex ornament_[6] = {};
    ScreenVertex back_[6] = {};
    ScreenVertex bandQuad_[6] = {};  // the chosen row's band (no texture)
    ui::Area band_{};
    float pageMarkX_ = 0;
    ScreenVertex sliders_[6 * 4] = {};  // two tracks and their knobs ("Help0Tex")
    int sliderQuads_ = 0;
    std::vector<ScreenVertex> glyphs_;  // "SymbolMid"
    int glyphCount_ = 0;
};

}  // namespace dw
