#pragma once
// "options": three sliders (sound volume, music volume, mouse speed) dragged
// with the mouse; changes take effect at once and are written to the
// settings store when the screen is left with Escape or the back button.
#include <cstdint>

#include "core/draw_entry.h"
#include "engine/my_object.h"

namespace dw {

inline constexpr char kSettingsWritten[] = "Write Settings......... Succesful write settings";
inline constexpr char kSettingsNotWritten[] = "Write Settings....Fucking SHIT!!! Error occuried!";

class OptionsScreen : public MyObject {
public:
    enum Slider : std::uint32_t { kNone = 0, kSound = 1, kMusic = 2, kMouse = 3 };

    explicit OptionsScreen(GameContext* ctx);

    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::int32_t RestoreDeviceObjects() override;

    std::uint32_t dragging = kNone;
    std::uint8_t clickHeld = 1;
    std::uint32_t previewTime = 0;
    std::uint8_t backHover = 0, backHoverShown = 0;
    std::uint8_t escapeHeld = 0;
    float phase = 0;
    std::uint32_t pulseColour = 0xFFFFFFFFu;

    // Knob quads: sound, music, mouse.
    const ScreenVertex* Knob(int i) const { return widgets_ + 6 * (6 + i); }
    const ScreenVertex* BackButton() const { return panel_ + 6; }

private:
    void PlaceKnobs();
    void Leave();

    ScreenVertex panel_[12] = {};        // panel, back button ("Help5Tex")
    ScreenVertex widgets_[6 * 9] = {};   // 3 labels, 3 tracks, 3 knobs ("Help0Tex")
};

}  // namespace dw
