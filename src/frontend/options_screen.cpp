#include "frontend/options_screen.h"

#include <map>

#include <algorithm>

#include "core/game_context.h"
#include "core/log.h"
#include "core/settings.h"
#include "frontend/ui_common.h"
#include "assets/asset_names.h"
#include "assets/sound.h"
#include "platform/input.h"
#include "platform/services.h"
#include "platform/sound_library.h"

namespace dw {

namespace {

constexpr float kZ = 0.5f;
// The three tracks (sound, music, mouse): each is drawn over exactly the
// band a click or a drag takes.
constexpr float kTrackLeft = 0.27f, kTrackRight = 0.62f;
constexpr float kTrackTop[3] = {-0.16f, 0.09f, 0.34f};
constexpr float kTrackBottom[3] = {-0.095f, 0.155f, 0.405f};

bool InBand(const GameContext& c, int slider) {
    return c.layoutCursorX > kTrackLeft && c.layoutCursorX < kTrackRight && c.layoutCursorY > kTrackTop[slider] &&
        c.layoutCursorY < kTrackBottom[slider];
}

std::int32_t VolumeAt(float x) {
    const auto v = static_cast<std::int32_t>((x - 0.27f) * 307.69232f);
    return v > 100 ? 100 : v;
}

}  // namespace

OptionsScreen::OptionsScreen(GameContext* ctx)
    : MyObject(ctx), soundBefore(ctx->soundVolume), musicBefore(ctx->musicVolume),
      mouseBefore(static_cast<std::uint32_t>(ctx->mouseSpeed * 1000.0f)) {
    name = "options";
    order = 47;
    visible = 1;
    RestoreDeviceObjects();
}

OptionsScreen::~OptionsScreen() = default;

std::int32_t OptionsScreen::RestoreDeviceObjects() {
    SetQuadScreen(panel_, 0.158f, 0.708f, -0.55f, -0.4f, ui::kTitleOptions.u0, ui::kTitleOptions.u1,
                  ui::kTitleOptions.v0, ui::kTitleOptions.v1);
    ui::SetAreaQuad(*this, panel_ + 6, ui::kBackButtonArea, ui::kBackButton);
    ui::SetAreaQuad(*this, panel_ + 12, kSetupButton, ui::kSetupButton);
    ui::PrepareQuads(panel_, 3, kZ, 0xFFFFFFFFu);
    if (backHover) ui::ColourQuads(panel_ + 6, 1, pulseColour);
    if (setup) setup->RestoreDeviceObjects();
    const ui::Cell labels[3] = {ui::kLabelSoundVolume, ui::kLabelMusicVolume, ui::kLabelMouseSpeed};
    const float left[3] = {0.304f, 0.308f, 0.273f};
    const float right[3] = {0.562f, 0.558f, 0.593f};
    const float top[3] = {-0.25f, 0.0f, 0.25f};
    for (int i = 0; i < 3; ++i) {
        SetQuadScreen(widgets_ + 6 * i, left[i], right[i], top[i], top[i] + 0.063f, labels[i].u0, labels[i].u1,
                      labels[i].v0, labels[i].v1);
        SetQuadScreen(widgets_ + 6 * (3 + i), kTrackLeft, kTrackRight, kTrackTop[i], kTrackBottom[i],
                      ui::kSliderTrack.u0, ui::kSliderTrack.u1, ui::kSliderTrack.v0, ui::kSliderTrack.v1);
    }
    ui::PrepareQuads(widgets_, 9, kZ, 0xFFFFFFFFu);
    PlaceKnobs();
    return 0;
}

void OptionsScreen::PlaceKnobs() {
    const GameContext& c = *context;
    const float x[3] = {0.258f + 0.00325f * static_cast<float>(c.soundVolume),
                        0.258f + 0.00325f * static_cast<float>(c.musicVolume), 0.258f + 0.325f * (c.mouseSpeed - 0.5f)};
    for (int i = 0; i < 3; ++i)
        SetQuadScreen(widgets_ + 6 * (6 + i), x[i], x[i] + 0.03f, kTrackTop[i], kTrackBottom[i], ui::kSliderKnob.u0,
                      ui::kSliderKnob.u1, ui::kSliderKnob.v0, ui::kSliderKnob.v1);
}

void OptionsScreen::Leave() {
    GameContext& c = *context;
    // The success line only when every value reached the file. The values
    // this screen changed, in one change of the file: another copy's save
    // of the others stays.
    std::map<std::string, std::uint32_t> changed;
    if (c.musicVolume != musicBefore) changed["MusicVolume"] = static_cast<std::uint32_t>(c.musicVolume);
    if (c.soundVolume != soundBefore) changed["SoundVolume"] = static_cast<std::uint32_t>(c.soundVolume);
    if (const auto mouse = static_cast<std::uint32_t>(c.mouseSpeed * 1000.0f); mouse != mouseBefore)
        changed["Mouse"] = mouse;
    const bool written = SettingsKeyOpens(c) && (changed.empty() || WriteIntRegKeys(c, changed) == S_OK);
    if (!written) LogSettingsProblem(c);
    if (c.log) c.log->WriteLine(written ? kSettingsWritten : kSettingsNotWritten);
    c.optionsClosed = 1;
    dead = 1;
    PlaySound(&c, asset::MenuPress);
}

void OptionsScreen::SetSlider(std::uint32_t slider, float x) {
    GameContext& c = *context;
    if (slider == kSound) {
        c.soundVolume = std::clamp(VolumeAt(x), 0, 100);
        if (c.timeNow - previewTime > 200u) {
            previewTime = c.timeNow;
            PlaySound(&c, asset::MenuError);
        }
    } else if (slider == kMusic) {
        c.musicVolume = std::clamp(VolumeAt(x), 0, 100);
        if (platform::SoundLibrary* imx = c.soundLibrary(); c.soundReady && imx)
            imx->IMXSetGlobalVolumes(c.musicVolume, -1, c.musicVolume);
    } else {
        const float s = (x - 0.27f) * 3.0769231f + 0.5f;
        c.mouseSpeed = s > 1.5f ? 1.5f : s;
    }
    PlaceKnobs();
}

// Left/Right move the chosen slider by a twentieth of its travel.
void OptionsScreen::Nudge(int slider, int direction) {
    GameContext& c = *context;
    const float step = static_cast<float>(direction);
    if (slider == 0) previewTime = 0;
    if (slider == 2) {
        c.mouseSpeed = std::clamp(c.mouseSpeed + 0.05f * step, 0.5f, 1.5f);
        PlaceKnobs();
        return;
    }
    const std::int32_t now = slider == 0 ? c.soundVolume : c.musicVolume;
    const std::int32_t next = std::clamp(now + 5 * direction, 0, 100);
    SetSlider(static_cast<std::uint32_t>(kSound + slider), 0.27f + (static_cast<float>(next) + 0.5f) / 307.69232f);
}

void OptionsScreen::TakeArrows() {
    const GameContext& c = *context;
    const std::uint8_t held = (c.keys[DIK_UP] ? 1 : 0) | (c.keys[DIK_DOWN] ? 2 : 0) | (c.keys[DIK_LEFT] ? 4 : 0) |
        (c.keys[DIK_RIGHT] ? 8 : 0) | (ui::EnterDown(c) ? 16 : 0);
    const std::uint8_t fresh = held & static_cast<std::uint8_t>(~arrowsHeld_);
    arrowsHeld_ = held;
    if (fresh & 3) {
        const int next = keySelection < 0 ? 0 : std::clamp(keySelection + ((fresh & 2) ? 1 : -1), 0, 3);
        if (next != keySelection) PlaySound(context, asset::MenuSelect);
        keySelection = next;
    }
    if (keySelection >= 0 && keySelection < 3 && (fresh & 12)) Nudge(keySelection, (fresh & 8) ? 1 : -1);
    if (keySelection == 3 && (fresh & 16)) OpenSetup();
}

void OptionsScreen::HighlightChoice() {
    for (int i = 0; i < 3; ++i)
        ui::ColourQuads(widgets_ + 6 * i, 1, i == keySelection ? ui::PulseGreen(phase) : 0xFFFFFFFFu);
    const bool lit = setupHover || keySelection == 3;
    ui::ColourQuads(panel_ + 12, 1, lit ? ui::PulseGreen(phase) : 0xFFFFFFFFu);
}

void OptionsScreen::OpenSetup() {
    PlaySound(context, asset::MenuPress);
    setup = std::make_unique<SetupScreen>(context);
}

// True while the setup pages show (they take the input and the picture).
bool OptionsScreen::RunSetup() {
    if (!setup) return false;
    setup->FrameMove();
    if (!setup->closed) return true;
    setup.reset();
    // The click or key that closed the pages is not taken here as well.
    clickHeld = 1;
    escapeHeld = 1;
    arrowsHeld_ = 0xFF;
    return true;
}

std::int32_t OptionsScreen::FrameMove() {
    GameContext& c = *context;
    if (!ui::FrontEndActive(&c) || dead) return 0;
    if (RunSetup()) return 0;

    ShowHover();
    DragSliders();
    TakeArrows();
    HighlightChoice();

    const bool escape = c.keys[DIK_ESCAPE] && !escapeHeld;
    const bool click = c.mouseButtons[0] && backHover && !clickHeld;
    const bool setupClick = c.mouseButtons[0] && setupHover && !clickHeld;
    if (setupClick && !setup) {
        clickHeld = 1;
        OpenSetup();
    }
    if ((escape || click) && !setup) {
        if (escape) escapeHeld = 1;
        if (click) clickHeld = 1;
        Leave();
    }
    if (!c.mouseButtons[0]) {
        clickHeld = 0;
        dragging = kNone;
    }
    if (!c.keys[DIK_ESCAPE]) escapeHeld = 0;
    phase += static_cast<float>(c.frameTimeAverage) * 0.005f;
    return 0;
}

// The back and setup buttons under the pointer, with a sound as it comes
// and goes; the back button pulses.
void OptionsScreen::ShowHover() {
    GameContext& c = *context;
    backHover = ui::kBackButtonArea.Contains(c.layoutCursorX, c.layoutCursorY);
    if (backHover != backHoverShown) {
        PlaySound(&c, asset::MenuSelect);
        backHoverShown = backHover;
    }
    pulseColour = backHover ? ui::PulseGreen(phase) : 0xFFFFFFFFu;
    ui::ColourQuads(panel_ + 6, 1, pulseColour);
    setupHover = kSetupButton.Contains(c.layoutCursorX, c.layoutCursorY) ? 1 : 0;
    if (setupHover != setupHoverShown) {
        PlaySound(&c, asset::MenuSelect);
        setupHoverShown = setupHover;
    }
}

// A click in a slider's band takes it; while the button is held it follows
// the pointer inside the band.
void OptionsScreen::DragSliders() {
    const GameContext& c = *context;
    for (int i = 0; i < 3; ++i) {
        const auto slider = static_cast<std::uint32_t>(kSound + i);
        const bool in = InBand(c, i);
        if (in && c.mouseButtons[0] && !clickHeld) {
            clickHeld = 1;
            dragging = slider;
            if (slider == kSound) previewTime = 0;
        }
        if (dragging != slider || !in) continue;
        SetSlider(slider, c.layoutCursorX);
    }
}

std::int32_t OptionsScreen::Render() {
    if (!ui::FrontEndActive(context) || dead) return 0;
    if (setup) return setup->Render();
    ui::SubmitSprites(context, asset::Help0Tex, widgets_, 18, 2.58f);
    ui::SubmitSprites(context, asset::Help5Tex, panel_, 6, 2.58f);
    return 0;
}

}  // namespace dw
