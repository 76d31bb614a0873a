#pragma once
// "options": three sliders (sound volume, music volume, mouse speed) dragged
// with the mouse or chosen with Up/Down and moved with Left/Right; changes
// take effect at once and are written to the settings store when the screen
// is left with Escape or the back button. The "Display & controls" button
// opens the setup pages (setup_screen.h) in its place.
#include <cstdint>
#include <memory>

#include "core/draw_entry.h"
#include "engine/my_object.h"
#include "frontend/setup_screen.h"

namespace dw {

inline constexpr char kSettingsWritten[] = "Write Settings......... Succesful write settings";
inline constexpr char kSettingsNotWritten[] = "Write Settings....Fucking SHIT!!! Error occuried!";

class OptionsScreen : public MyObject {
public:
    enum Slider : std::uint32_t { kNone = 0, kSound = 1, kMusic = 2, kMouse = 3 };

    explicit OptionsScreen(GameContext* ctx);
    ~OptionsScreen() override;

    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::int32_t RestoreDeviceObjects() override;

    std::uint32_t dragging = kNone;
    std::uint8_t clickHeld = 1;
    std::uint32_t previewTime = 0;
    // The values as the screen found them: only what it changes is saved.
    std::int32_t soundBefore = 0, musicBefore = 0;
    std::uint32_t mouseBefore = 0;
    std::uint8_t backHover = 0, backHoverShown = 0;
    std::uint8_t escapeHeld = 0;
    float phase = 0;
    std::uint32_t pulseColour = 0xFFFFFFFFu;
    // Chosen with the keys: 0..2 a slider, 3 the setup button. The first
    // slider is chosen at the start, so a keyboard player sees where he is.
    int keySelection = 0;
    std::uint8_t setupHover = 0, setupHoverShown = 0;
    std::unique_ptr<SetupScreen> setup;  // open while the setup pages show
    static constexpr ui::Area kSetupButton{0.342f, 0.692f, 0.515f, 0.57f};

    // Knob and track quads: sound, music, mouse.
    const ScreenVertex* Knob(int i) const { return widgets_ + 6 * (6 + i); }
    const ScreenVertex* Track(int i) const { return widgets_ + 6 * (3 + i); }
    const ScreenVertex* BackButton() const { return panel_ + 6; }
    const ScreenVertex* SetupButton() const { return panel_ + 12; }

private:
    void ShowHover();
    void DragSliders();
    void PlaceKnobs();
    void Leave();
    void TakeArrows();
    void Nudge(int slider, int direction);
    void SetSlider(std::uint32_t slider, float x);
    void OpenSetup();
    bool RunSetup();
    void HighlightChoice();

    std::uint8_t arrowsHeld_ = 0;
    ScreenVertex panel_[18] = {};       // panel, back button, setup button ("Help5Tex")
    ScreenVertex widgets_[6 * 9] = {};  // 3 labels, 3 tracks, 3 knobs ("Help0Tex")
};

}  // namespace dw
