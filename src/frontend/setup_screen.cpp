#include "frontend/setup_screen.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "assets/asset_names.h"
#include "assets/sound.h"
#include "core/game_context.h"
#include "core/log.h"
#include "core/settings.h"
#include "frontend/options_screen.h"
#include "media/glyph_text.h"
#include "platform/controls.h"
#include "platform/input.h"

namespace dw {

namespace {

using platform::KeyAction;
using platform::PadAction;

constexpr float kZ = 0.55f;
constexpr float kGlyphW = 0.028f, kGlyphH = 0.058f, kAdvance = 0.017f;
constexpr float kLabelX = 0.165f, kValueX = 0.45f, kKeyX[2] = {0.375f, 0.555f};
constexpr float kTabX[SetupScreen::kPages] = {0.175f, 0.365f, 0.565f};
constexpr float kTrackX0 = 0.40f, kTrackX1 = 0.70f, kKnobW = 0.03f;
constexpr float kHintY = 0.435f;
constexpr int kMaxGlyphs = 400;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu, kValue = 0xFFB8DCFFu, kGrey = 0xFF8090A8u, kWait = 0xFFFFD060u;
constexpr const char* kTabNames[SetupScreen::kPages] = {"Display", "Keyboard", "Gamepad"};
constexpr const char* kIdleHint = "Enter changes, Escape goes back";
// The frame and, in its texels (ui::kHelpFrameTexels a side), the ornament on its title's
// rule and a plain stretch of the rule beside it.
constexpr ui::Area kFrame{0.13f, 0.74f, -0.6f, 0.62f};
constexpr float kOrnamentX0 = 58.0f, kOrnamentX1 = 70.0f, kPlainRuleX0 = 30.0f;
constexpr float kOrnamentY0 = 15.0f, kOrnamentY1 = 23.0f;
// The ornament itself, tight around its lit texels.
constexpr float kMarkX0 = 60.0f, kMarkX1 = 68.0f, kMarkY0 = 16.0f, kMarkY1 = 22.0f;
// The band under the chosen row: a light wash, brighter while a key waits.
constexpr std::uint32_t kBand = 0x3070A8FFu, kBandWaiting = 0x40FFD060u;

using Row = SetupScreen::Row;

bool IsSlider(Row r) { return r == Row::KeySpeed || r == Row::DeadZone || r == Row::StickSpeed; }
bool IsBinding(Row r) { return r == Row::Key || r == Row::Pad; }

int SliderMin(Row r) { return r == Row::DeadZone ? platform::kDeadZoneMin : platform::kSpeedMin; }
int SliderMax(Row r) { return r == Row::DeadZone ? platform::kDeadZoneMax : platform::kSpeedMax; }

const char* LabelOf(const SetupScreen::Item& item) {
    switch (item.row) {
        case Row::FullScreen: return "Full screen";
        case Row::Picture: return "Picture";
        case Row::VSync: return "Vertical sync";
        case Row::Flashes: return "Reduced flashes";
        case Row::Online: return "Online scores";
        case Row::Key: return platform::KeyActionLabel(static_cast<KeyAction>(item.action));
        case Row::Pad: return platform::KeyActionLabel(static_cast<KeyAction>(item.action + 4));
        case Row::KeySpeed: return "Key speed";
        case Row::DeadZone: return "Dead zone";
        case Row::StickSpeed: return "Stick speed";
        case Row::Restore: return "Restore defaults";
        case Row::Pages: break;
    }
    return "";
}

int KeyColumnAt(float x) { return x < 0.545f ? 0 : 1; }

// The screen area over frame texels [x0, x1) x [y0, y1), and the texture
// cell the frame shows there (the frame's own mapping, so a piece drawn
// over it lines up texel for texel).
constexpr float kTexels = static_cast<float>(ui::kHelpFrameTexels);
float FrameX(float texel) { return kFrame.left + texel / kTexels * (kFrame.right - kFrame.left); }
float FrameY(float texel) { return kFrame.top + texel / kTexels * (kFrame.bottom - kFrame.top); }
ui::Cell FrameCell(float x0, float x1, float y0, float y1) {
    const ui::Cell& f = ui::kHelpFrame;
    return {f.u0 + x0 / kTexels * (f.u1 - f.u0), f.u0 + x1 / kTexels * (f.u1 - f.u0),
            f.v0 + y0 / kTexels * (f.v1 - f.v0), f.v0 + y1 / kTexels * (f.v1 - f.v0)};
}

// The width of a tab's name as Text lays it out.
float TextWidth(const char* text) {
    return kAdvance * static_cast<float>(std::char_traits<char>::length(text) - 1) + kGlyphW;
}

int TabAt(float x) {
    for (int i = SetupScreen::kPages - 1; i > 0; --i)
        if (x >= kTabX[i] - 0.01f) return i;
    return 0;
}

}  // namespace

SetupScreen::SetupScreen(GameContext* ctx)
    : MyObject(ctx), controlsBefore_(ctx->controls), displayBefore_(ctx->display), onlineBefore_(ctx->online.on != 0) {
    name = "setup";
    order = 47;
    visible = 1;
    glyphs_.resize(6 * kMaxGlyphs);
    hint = kIdleHint;
    std::copy(std::begin(ctx->keys), std::end(ctx->keys), previousKeys_);
    RestoreDeviceObjects();
}

std::vector<SetupScreen::Item> SetupScreen::Rows(int page) {
    std::vector<Item> rows = {{Row::Pages, 0}};
    if (page == kDisplay) {
        for (Row r : {Row::FullScreen, Row::Picture, Row::VSync, Row::Flashes, Row::Online}) rows.push_back({r, 0});
    } else if (page == kKeyboard) {
        for (int a = 0; a < platform::kKeyActions; ++a) rows.push_back({Row::Key, a});
        rows.push_back({Row::KeySpeed, 0});
    } else {
        for (int a = 0; a < platform::kPadActions; ++a) rows.push_back({Row::Pad, a});
        rows.push_back({Row::DeadZone, 0});
        rows.push_back({Row::StickSpeed, 0});
    }
    rows.push_back({Row::Restore, 0});
    return rows;
}

ui::Area SetupScreen::RowRect(int i) {
    if (i == 0) return {0.15f, 0.72f, -0.585f, -0.505f};
    const float y0 = -0.37f + 0.085f * static_cast<float>(i - 1);
    return {0.15f, 0.72f, y0, y0 + 0.07f};
}

std::int32_t SetupScreen::RestoreDeviceObjects() {
    LayoutFrame();
    Layout();
    return 0;
}

bool SetupScreen::Pressed(std::uint8_t dik) const { return context->keys[dik] && !previousKeys_[dik]; }

std::string SetupScreen::ValueOf(const Item& item, int col) const {
    const GameContext& c = *context;
    const auto onOff = [](std::uint8_t v) { return std::string(v ? "On" : "Off"); };
    switch (item.row) {
        case Row::FullScreen: return onOff(c.display.fullscreen);
        case Row::Picture: return c.display.stretch ? "Stretched" : "4:3";
        case Row::VSync: return onOff(c.display.vsync);
        case Row::Flashes: return onOff(c.display.reduceFlashes);
        case Row::Online: return onOff(c.online.on);
        case Row::Key: return platform::KeyName(c.controls.Key(static_cast<KeyAction>(item.action), col));
        case Row::Pad: {
            std::string button = platform::PadButtonName(c.controls.Button(static_cast<PadAction>(item.action), col));
            if (!button.empty()) button[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(button[0])));
            return button;
        }
        default: return {};
    }
}

int SetupScreen::Text(int at, float x, float y, const std::string& text, std::size_t most, std::uint32_t colour) {
    const std::string shown = text.substr(0, std::min(most, text.size()));
    const int n = std::min(static_cast<int>(shown.size()), kMaxGlyphs - at);
    if (n <= 0) return at;
    ScreenVertex* q = glyphs_.data() + 6 * at;
    for (int i = 0; i < n; ++i) {
        const float gx = x + kAdvance * static_cast<float>(i);
        SetQuadScreen(q + 6 * i, gx, gx + kGlyphW, y, y + kGlyphH, 0, 0, 0, 0);
    }
    ui::PrepareQuads(q, n, kZ, colour);
    ClearGlyphs(q, static_cast<std::uint32_t>(n));
    SetGlyphText(q, shown.substr(0, static_cast<std::size_t>(n)).c_str());
    return at + n;
}

void SetupScreen::Layout() {
    const GameContext& c = *context;
    ui::SetAreaQuad(*this, back_, kBack, ui::kBackButton);
    ui::PrepareQuads(back_, 1, kZ, kWhite);
    const std::uint32_t green = ui::PulseGreen(phase_);
    if (kBack.Contains(c.layoutCursorX, c.layoutCursorY)) ui::ColourQuads(back_, 1, green);
    LayoutMarks();

    const std::vector<Item> rows = Rows(page);
    int at = 0;
    sliderQuads_ = 0;
    for (int t = 0; t < kPages; ++t) {
        const std::uint32_t colour = t != page ? kGrey : row == 0 ? green : kWhite;
        at = Text(at, kTabX[t], RowRect(0).top + 0.01f, kTabNames[t], 10, colour);
    }
    for (int i = 1; i < static_cast<int>(rows.size()); ++i)
        at = LayoutRow(at, i, rows[static_cast<std::size_t>(i)], green);
    at = Text(at, kLabelX, kHintY, hint, 33, waiting != Waiting::None ? kWait : kGrey);
    glyphCount_ = at;
    ui::PrepareQuads(sliders_, 4, kZ, kWhite);
    // The knobs follow the tracks in one entry: two tracks, then two knobs.
    if (sliderQuads_ == 1) std::copy(sliders_ + 12, sliders_ + 18, sliders_ + 6);
}

void SetupScreen::LayoutFrame() {
    // The frame's ornament stands under the page shown: the frame is drawn
    // around the ornament's place, with the rule plain there, and the
    // ornament again under the page's name (LayoutMarks). No piece lies over
    // another (the frame is not quite opaque).
    const float ox0 = kOrnamentX0, ox1 = kOrnamentX1, oy0 = kOrnamentY0, oy1 = kOrnamentY1;
    // A piece over frame texels [x0, x1) x [y0, y1) shows the texels from
    // column `fromX` on.
    const auto piece = [this](ScreenVertex* q, float x0, float x1, float y0, float y1, float fromX) {
        ui::SetAreaQuad(*this, q, {FrameX(x0), FrameX(x1), FrameY(y0), FrameY(y1)},
                        FrameCell(fromX, fromX + (x1 - x0), y0, y1));
    };
    piece(frame_, 0, ox0, 0, kTexels, 0);
    piece(frame_ + 6, ox1, kTexels, 0, kTexels, ox1);
    piece(frame_ + 12, ox0, ox1, 0, oy0, ox0);
    piece(frame_ + 18, ox0, ox1, oy1, kTexels, ox0);
    piece(frame_ + 24, ox0, ox1, oy0, oy1, kPlainRuleX0);
    ui::PrepareQuads(frame_, 5, kZ, kWhite);
}

void SetupScreen::LayoutMarks() {
    pageMarkX_ = kTabX[page] + 0.5f * TextWidth(kTabNames[page]);
    const float half = 0.5f * (FrameX(kMarkX1) - FrameX(kMarkX0));
    ui::SetAreaQuad(*this, ornament_, {pageMarkX_ - half, pageMarkX_ + half, FrameY(kMarkY0), FrameY(kMarkY1)},
                    FrameCell(kMarkX0, kMarkX1, kMarkY0, kMarkY1));
    ui::PrepareQuads(ornament_, 1, kZ, kWhite);
    // A band under the chosen row (under the page's name on the page row).
    if (row == 0) {
        const ui::Area r = RowRect(0);
        band_ = {kTabX[page] - 0.012f, kTabX[page] + TextWidth(kTabNames[page]) + 0.012f, r.top, r.bottom};
    } else {
        band_ = RowRect(row);
    }
    ui::SetAreaQuad(*this, bandQuad_, band_, {0, 0, 0, 0});
    ui::PrepareQuads(bandQuad_, 1, kZ, waiting != Waiting::None ? kBandWaiting : kBand);
}

int SetupScreen::LayoutRow(int at, int i, const Item& item, std::uint32_t green) {
    const ui::Area r = RowRect(i);
    const float y = r.top + 0.006f;
    const bool selected = i == row;
    const bool binding = IsBinding(item.row);
    at = Text(at, item.row == Row::Restore ? 0.30f : kLabelX, y, LabelOf(item), 16,
              selected && !binding ? green : kWhite);
    if (binding) {
        for (int col = 0; col < 2; ++col) {
            const bool here = selected && col == column;
            const bool wait = here && waiting != Waiting::None;
            const std::string text = wait ? "..." : ValueOf(item, col);
            at = Text(at, kKeyX[col], y, text.empty() ? "-" : text, 9, wait ? kWait : here ? green : kValue);
        }
    } else if (IsSlider(item.row) && sliderQuads_ < 2) {
        const int* v = SliderValue(item.row);
        const float t = static_cast<float>(*v - SliderMin(item.row)) /
            static_cast<float>(SliderMax(item.row) - SliderMin(item.row));
        const float kx = kTrackX0 + t * (kTrackX1 - kTrackX0 - kKnobW);
        const ui::Area track{kTrackX0, kTrackX1, r.top, r.bottom};
        const ui::Area knob{kx, kx + kKnobW, r.top, r.bottom};
        ui::SetAreaQuad(*this, sliders_ + 6 * sliderQuads_, track, ui::kSliderTrack);
        ui::SetAreaQuad(*this, sliders_ + 6 * (2 + sliderQuads_), knob, ui::kSliderKnob);
        ++sliderQuads_;
    } else {
        at = Text(at, kValueX, y, ValueOf(item, 0), 12, kValue);
    }
    return at;
}

int* SetupScreen::SliderValue(Row slider) {
    platform::Controls& k = context->controls;
    if (slider == Row::DeadZone) return &k.deadZone;
    if (slider == Row::StickSpeed) return &k.stickSpeed;
    return &k.keySpeed;
}

void SetupScreen::Slide(Row slider, int value) {
    *SliderValue(slider) = std::clamp(value, SliderMin(slider), SliderMax(slider));
}

void SetupScreen::ChangeDisplay() { context->displayChangeRequest = 1; }

void SetupScreen::Step(int direction) {
    const std::vector<Item> rows = Rows(page);
    const Item item = rows[static_cast<std::size_t>(row)];
    if (item.row == Row::Pages) {
        page = (page + direction + kPages) % kPages;
    } else if (IsBinding(item.row)) {
        column = direction > 0 ? 1 : 0;
    } else if (IsSlider(item.row)) {
        Slide(item.row, *SliderValue(item.row) + 5 * direction);
    } else if (item.row != Row::Restore) {
        Activate(column);
        return;
    }
    PlaySound(context, asset::MenuSelect);
}

void SetupScreen::Activate(int col) {
    GameContext& c = *context;
    const std::vector<Item> rows = Rows(page);
    const Item item = rows[static_cast<std::size_t>(row)];
    PlaySound(&c, asset::MenuPress);
    switch (item.row) {
        case Row::Pages: page = (col >= 0 ? col : page + 1) % kPages; break;
        case Row::FullScreen:
            c.display.fullscreen ^= 1;
            ChangeDisplay();
            break;
        case Row::Picture:
            c.display.stretch ^= 1;
            ChangeDisplay();
            break;
        case Row::VSync:
            c.display.vsync ^= 1;
            ChangeDisplay();
            break;
        case Row::Flashes: c.display.reduceFlashes ^= 1; break;
        case Row::Online:
            c.online.on ^= 1;
            ApplyOnlineSettings(c);
            break;
        case Row::Key:
        case Row::Pad:
            column = col & 1;
            waiting = item.row == Row::Key ? Waiting::Key : Waiting::Button;
            hint = item.row == Row::Key ? "Press a key, Escape cancels" : "Press a button, Escape cancels";
            previousButtons_ = c.inputDevices() ? c.inputDevices()->GamepadButtons() : 0;
            break;
        case Row::Restore:
            if (page == kKeyboard) c.controls.RestoreKeyDefaults();
            if (page == kGamepad) c.controls.RestorePadDefaults();
            if (page == kDisplay) {
                c.display = GameContext::Display{1, 0, 1, 0};
                c.online.on = 0;
                ApplyOnlineSettings(c);
                ChangeDisplay();
            }
            break;
        default: break;
    }
}

void SetupScreen::TakeWaiting() {
    GameContext& c = *context;
    const std::vector<Item> rows = Rows(page);
    const Item item = rows[static_cast<std::size_t>(row)];
    if (!c.mouseButtons[0]) clickHeld_ = 0;
    bool bound = true;
    const bool done = waiting == Waiting::Button ? BindFreshButton(item, bound) : BindPressedKey(item, bound);
    const bool cancel = !done && (Pressed(DIK_ESCAPE) || (c.mouseButtons[0] && !clickHeld_));
    if (cancel) clickHeld_ = c.mouseButtons[0] ? 1 : 0;
    if (!done && !cancel) return;
    waiting = Waiting::None;
    hint = bound ? kIdleHint : "Pausing needs a key: not changed";
    PlaySound(&c, bound && !cancel ? asset::MenuPress : asset::MenuSelect);
}

// The first gamepad button pressed since the last frame, bound to the row's
// action in the chosen column; `bound` false when the binding was refused.
bool SetupScreen::BindFreshButton(const Item& item, bool& bound) {
    GameContext& c = *context;
    const std::uint32_t held = c.inputDevices() ? c.inputDevices()->GamepadButtons() : 0;
    const std::uint32_t fresh = held & ~previousButtons_;
    previousButtons_ = held;
    if (!fresh) return false;
    int b = 0;
    while (!((fresh >> b) & 1u)) ++b;
    bound = c.controls.BindPad(static_cast<PadAction>(item.action), column, static_cast<std::uint8_t>(b));
    holdInput_ = 1;  // the pad's own Enter or Escape is not taken as well
    return true;
}

// The first key pressed, bound the same way. Escape cancels; the screenshot
// keys keep their own work.
bool SetupScreen::BindPressedKey(const Item& item, bool& bound) {
    for (int k = 1; k < 256; ++k) {
        if (!Pressed(static_cast<std::uint8_t>(k)) || k == DIK_ESCAPE || k == DIK_F12 || k == DIK_SYSRQ) continue;
        bound = context->controls.BindKey(static_cast<KeyAction>(item.action), column, static_cast<std::uint8_t>(k));
        return true;
    }
    return false;
}

void SetupScreen::TakeKeys() {
    const int last = static_cast<int>(Rows(page).size()) - 1;
    if (Pressed(DIK_UP) || Pressed(DIK_DOWN)) {
        const int next = std::clamp(row + (Pressed(DIK_DOWN) ? 1 : -1), 0, last);
        if (next != row) PlaySound(context, asset::MenuSelect);
        row = next;
    }
    if (Pressed(DIK_LEFT)) Step(-1);
    if (Pressed(DIK_RIGHT)) Step(1);
    if (Pressed(DIK_RETURN) || Pressed(DIK_NUMPADENTER)) Activate(row == 0 ? -1 : column);
    if (Pressed(DIK_ESCAPE)) Leave();
}

void SetupScreen::TakePointer() {
    GameContext& c = *context;
    const float x = c.layoutCursorX, y = c.layoutCursorY;
    const std::vector<Item> rows = Rows(page);
    int under = -1;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i)
        if (RowRect(i).Contains(x, y)) under = i;
    const auto cx = static_cast<std::int32_t>(x * 1000.0f), cy = static_cast<std::int32_t>(y * 1000.0f);
    if ((cx != lastCursorX_ || cy != lastCursorY_) && under >= 0) {
        if (under != row) PlaySound(&c, asset::MenuSelect);
        row = under;
        if (IsBinding(rows[static_cast<std::size_t>(row)].row)) column = KeyColumnAt(x);
    }
    lastCursorX_ = cx;
    lastCursorY_ = cy;
    if (!c.mouseButtons[0]) {
        clickHeld_ = 0;
        dragging = 0;
        return;
    }
    if (dragging && under == row) {
        const Row r = rows[static_cast<std::size_t>(row)].row;
        const float t = (x - kTrackX0 - kKnobW * 0.5f) / (kTrackX1 - kTrackX0 - kKnobW);
        Slide(r, SliderMin(r) + static_cast<int>(std::lround(t * static_cast<float>(SliderMax(r) - SliderMin(r)))));
    }
    if (clickHeld_) return;
    clickHeld_ = 1;
    if (kBack.Contains(x, y)) {
        Leave();
        return;
    }
    if (under < 0) return;
    row = under;
    const Row r = rows[static_cast<std::size_t>(row)].row;
    if (IsSlider(r)) {
        dragging = x > kTrackX0 && x < kTrackX1;
        return;
    }
    Activate(r == Row::Pages ? TabAt(x) : KeyColumnAt(x));
}

void SetupScreen::Leave() {
    GameContext& c = *context;
    // Each set as one change of the file, with only what this page changed.
    bool written = WriteControlSettings(c, controlsBefore_);
    written = WriteDisplaySettings(c, displayBefore_, onlineBefore_) && written;
    if (!written) LogSettingsProblem(c);
    if (c.log) c.log->WriteLine(written ? kSettingsWritten : kSettingsNotWritten);
    closed = true;
    PlaySound(&c, asset::MenuPress);
}

std::int32_t SetupScreen::FrameMove() {
    GameContext& c = *context;
    if (closed) return 0;
    const int pageBefore = page;
    if (holdInput_) {
        const std::uint32_t held = c.inputDevices() ? c.inputDevices()->GamepadButtons() : 0;
        if (held == 0) holdInput_ = 0;
    } else if (waiting != Waiting::None) {
        TakeWaiting();
    } else {
        TakeKeys();
        if (!closed) TakePointer();
    }
    if (page != pageBefore) {
        row = 0;
        column = 0;
    }
    std::copy(std::begin(c.keys), std::end(c.keys), previousKeys_);
    phase_ += static_cast<float>(c.frameTimeAverage) * 0.005f;
    Layout();
    return 0;
}

std::int32_t SetupScreen::Render() {
    if (closed) return 0;
    ui::SubmitSprites(context, asset::Help5Tex, frame_, 10, 2.585f);
    ui::SubmitSprites(context, asset::Help5Tex, ornament_, 2, 2.583f);
    ui::SubmitSprites(context, "", bandQuad_, 2, 2.582f);
    ui::SubmitSprites(context, asset::Help5Tex, back_, 2, 2.58f);
    if (sliderQuads_ > 0)
        ui::SubmitSprites(context, asset::Help0Tex, sliders_, static_cast<std::uint32_t>(4 * sliderQuads_), 2.58f);
    if (glyphCount_ > 0)
        ui::SubmitSprites(context, asset::SymbolMid, glyphs_.data(), static_cast<std::uint32_t>(2 * glyphCount_),
                          2.575f);
    return 0;
}

}  // namespace dw
