#pragma once
// "qvmload": the loading screen. Once the splash has ended it reads the
// start-up asset list one asset per frame behind a picture and a progress
// bar, stays half a second after the last one and asks for the menu theme.
#include <cstdint>

#include "core/draw_entry.h"
#include "engine/my_object.h"
#include "media/asset_list.h"

namespace dw {

class LoadingScreen : public MyObject {
public:
    explicit LoadingScreen(GameContext* ctx);

    // Stores the look (the percentages clamped to 100), colours the bar and
    // rebuilds the quads.
    void SetLook(std::uint32_t colourA, std::uint32_t colourB, std::uint32_t barColour, std::uint32_t percentA,
                 std::uint32_t percentB, std::uint32_t percentC);

    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::int32_t RestoreDeviceObjects() override;

    AssetLoader loader;
    float progress = 1.0f;
    std::uint32_t doneTime = 0;
    std::uint32_t colourA = 0xFFFFF999u, colourB = 0xFF999FFFu, barColour = 0xFFFF0000u;
    std::uint8_t percent[3] = {};

    const ScreenVertex* Picture() const { return picture_; }
    const ScreenVertex* Caption() const { return caption_; }
    const ScreenVertex* Bar() const { return bar_; }

private:
    ScreenVertex picture_[6] = {};
    ScreenVertex caption_[6] = {};
    ScreenVertex bar_[6] = {};
};

}  // namespace dw
