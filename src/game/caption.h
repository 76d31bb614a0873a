#pragma once
// "gtext": a short-lived caption over the battlefield: the end of a level
// (mode 1), a picture (2), the level number (3), the closing picture (4) and
// game over (5). It animates, plays its sound and removes itself.
#include <cstdint>

#include "core/draw_entry.h"
#include "core/states.h"
#include "engine/my_object.h"

namespace dw {

class Caption : public MyObject {
public:
    explicit Caption(GameContext* ctx);

    void SetMode(CaptionMode mode, std::uint32_t number);
    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::int32_t RestoreDeviceObjects() override;

    // Width of the level-number glyph (number 0..9; others as 9).
    static float NumberWidth(std::uint32_t number);
    // Left edge of the word in mode 3: the word and the glyph are centred on x 0.15.
    static float NumberLeft(std::uint32_t number);

    CaptionMode mode = CaptionMode::None;
    // Modes 1 to 5 show something; any other ends the caption at once.
    static bool Known(CaptionMode m) { return Number(m) >= 1 && Number(m) <= 5; }
    std::uint32_t number = 0;
    std::uint32_t timer = 0;
    float position = 0;
    std::uint32_t stage = 0;

    const ScreenVertex* Vertices() const { return vertices_; }

private:
    void Layout();
    void MoveLevelNumber(float step);
    void MoveGameOver(float step);
    ScreenVertex vertices_[12] = {};
};

}  // namespace dw
