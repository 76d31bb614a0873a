#pragma once
// "bcgintro": the logo splash. A black screen, the logo fading in with the
// intro music, a pause, a fade to black; any of Space, Enter, Escape or a
// mouse button ends it at once. Then the loading screen takes over.
#include <cstdint>

#include "core/draw_entry.h"
#include "engine/my_object.h"

namespace dw {

class IntroSplash : public MyObject {
public:
    explicit IntroSplash(GameContext* ctx);

    std::int32_t FrameMove() override;
    std::int32_t Render() override;
    std::int32_t RestoreDeviceObjects() override;
    std::int32_t DeleteDeviceObjects() override;

    std::uint8_t waiting = 1, fadingIn = 0, holding = 0, fadingOut = 0;
    std::uint8_t musicPending = 1;
    float fadeLevel = 0;
    std::uint32_t phaseStart = 0;

    const ScreenVertex* Overlay() const { return overlay_; }
    const ScreenVertex* Logo() const { return logo_; }

private:
    void End();
    void SetOverlayAlpha();

    ScreenVertex overlay_[6] = {};
    ScreenVertex logo_[6] = {};
};

}  // namespace dw
