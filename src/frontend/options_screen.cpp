#include "frontend/options_screen.h"

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
// y bands of the three tracks: sound, music, mouse.
constexpr float kTrackTop[3] = {-0.16f, 0.09f, 0.34f};
constexpr float kTrackBottom[3] = {-0.095f, 0.155f, 0.405f};

bool InBand(const GameContext& c, int slider) {
    return c.layoutCursorX > 0.27f && c.layoutCursorX < 0.62f &&
           c.layoutCursorY > kTrackTop[slider] && c.layoutCursorY < kTrackBottom[slider];
}

std::int32_t VolumeAt(float x) {
    const auto v = static_cast<std::int32_t>((x - 0.27f) * 307.69232f);
    return v > 100 ? 100 : v;
}

}  // namespace

OptionsScreen::OptionsScreen(GameContext* ctx) : MyObject(ctx) {
    name = "options";
    order = 47;
    visible = 1;
    RestoreDeviceObjects();
}

std::int32_t OptionsScreen::RestoreDeviceObjects() {
    SetQuadScreen(panel_, 0.158f, 0.708f, -0.55f, -0.4f, ui::kTitleOptions.u0,
                  ui::kTitleOptions.u1, ui::kTitleOptions.v0, ui::kTitleOptions.v1);
    SetQuadScreen(panel_ + 6, 0.174f, 0.292f, 0.515f, 0.57f, ui::kBackButton.u0,
                  ui::kBackButton.u1, ui::kBackButton.v0, ui::kBackButton.v1);
    ui::PrepareQuads(panel_, 2, kZ, 0xFFFFFFFFu);
    if (backHover) ui::ColourQuads(panel_ + 6, 1, pulseColour);
    const ui::Cell labels[3] = {ui::kLabelSoundVolume, ui::kLabelMusicVolume,
                                ui::kLabelMouseSpeed};
    const float left[3] = {0.304f, 0.308f, 0.273f};
    const float right[3] = {0.562f, 0.558f, 0.593f};
    const float top[3] = {-0.25f, 0.0f, 0.25f};
    for (int i = 0; i < 3; ++i) {
        SetQuadScreen(widgets_ + 6 * i, left[i], right[i], top[i], top[i] + 0.063f, labels[i].u0,
                      labels[i].u1, labels[i].v0, labels[i].v1);
        SetQuadScreen(widgets_ + 6 * (3 + i), 0.233f, 0.633f, kTrackTop[i], kTrackBottom[i],
                      ui::kSliderTrack.u0, ui::kSliderTrack.u1, ui::kSliderTrack.v0,
                      ui::kSliderTrack.v1);
    }
    ui::PrepareQuads(widgets_, 9, kZ, 0xFFFFFFFFu);
    PlaceKnobs();
    return 0;
}

void OptionsScreen::PlaceKnobs() {
    const GameContext& c = *context;
    const float x[3] = {0.258f + 0.00325f * static_cast<float>(c.soundVolume),
                        0.258f + 0.00325f * static_cast<float>(c.musicVolume),
                        0.258f + 0.325f * (c.mouseSpeed - 0.5f)};
    for (int i = 0; i < 3; ++i)
        SetQuadScreen(widgets_ + 6 * (6 + i), x[i], x[i] + 0.03f, kTrackTop[i], kTrackBottom[i],
                      ui::kSliderKnob.u0, ui::kSliderKnob.u1, ui::kSliderKnob.v0,
                      ui::kSliderKnob.v1);
}

void OptionsScreen::Leave() {
    GameContext& c = *context;
    // The success line only when every value reached the file.
    // The three values in one change of the file.
    const bool written =
        SettingsKeyOpens(c) &&
        WriteIntRegKeys(c, {{"MusicVolume", static_cast<std::uint32_t>(c.musicVolume)},
                            {"SoundVolume", static_cast<std::uint32_t>(c.soundVolume)},
                            {"Mouse", static_cast<std::uint32_t>(c.mouseSpeed * 1000.0f)}}) == S_OK;
    if (c.log) c.log->WriteLine(written ? kSettingsWritten : kSettingsNotWritten);
    c.optionsClosed = 1;
    dead = 1;
    PlaySound(&c, asset::MenuPress);
}

std::int32_t OptionsScreen::FrameMove() {
    GameContext& c = *context;
    if (!ui::FrontEndActive(&c) || dead) return 0;

    backHover = c.layoutCursorX > 0.174f && c.layoutCursorX < 0.292f &&
                c.layoutCursorY > 0.515f && c.layoutCursorY < 0.57f;
    if (backHover != backHoverShown) {
        PlaySound(&c, asset::MenuSelect);
        backHoverShown = backHover;
    }
    pulseColour = backHover ? ui::PulseGreen(phase) : 0xFFFFFFFFu;
    ui::ColourQuads(panel_ + 6, 1, pulseColour);

    for (int i = 0; i < 3; ++i) {
        const auto slider = static_cast<std::uint32_t>(kSound + i);
        const bool in = InBand(c, i);
        if (in && c.mouseButtons[0] && !clickHeld) {
            clickHeld = 1;
            dragging = slider;
            if (slider == kSound) previewTime = 0;
        }
        if (dragging != slider || !in) continue;
        const float x = c.layoutCursorX;
        if (slider == kSound) {
            c.soundVolume = VolumeAt(x);
            PlaceKnobs();
            if (c.timeNow - previewTime > 200u) {
                previewTime = c.timeNow;
                PlaySound(&c, asset::MenuError);
            }
        } else if (slider == kMusic) {
            c.musicVolume = VolumeAt(x);
            if (platform::SoundLibrary* imx = c.soundLibrary(); c.soundReady && imx)
                imx->IMXSetGlobalVolumes(c.musicVolume, -1, c.musicVolume);
            PlaceKnobs();
        } else {
            const float s = (x - 0.27f) * 3.0769231f + 0.5f;
            c.mouseSpeed = s > 1.5f ? 1.5f : s;
            PlaceKnobs();
        }
    }

    const bool escape = c.keys[DIK_ESCAPE] && !escapeHeld;
    const bool click = c.mouseButtons[0] && backHover && !clickHeld;
    if (escape || click) {
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

std::int32_t OptionsScreen::Render() {
    if (!ui::FrontEndActive(context) || dead) return 0;
    ui::SubmitSprites(context, asset::Help0Tex, widgets_, 18, 2.58f);
    ui::SubmitSprites(context, asset::Help5Tex, panel_, 4, 2.58f);
    return 0;
}

}  // namespace dw
