#pragma once
// The keyboard ("keys", order 0) and mouse ("mouse", order 99) objects: they
// poll the input devices once per frame and publish the latched key and
// button tables and the cursor motion in the Game context.
#include <cstdint>

#include "engine/my_object.h"
#include "platform/input.h"

namespace dw {

class KeysObject final : public MyObject {
public:
    explicit KeysObject(GameContext* ctx);
    std::int32_t FrameMove() override;

    std::uint8_t state[256] = {};
    std::uint8_t errorReported = 0;
    std::uint32_t lastPoll = 0;
};

class MouseObject final : public MyObject {
public:
    explicit MouseObject(GameContext* ctx);
    std::int32_t FrameMove() override;
    std::int32_t Render() override { return 0; }
    std::int32_t RestoreDeviceObjects() override;

    float pixelX = 0, pixelY = 0;    // cursor in pixels, clamped to the screen
    float screenX = 0, screenY = 0;  // the same in -1..+1 across and down
    std::uint8_t errorReported = 0;
    DIMOUSESTATE state{};
};

// Scan code of the key that types `c` on a US keyboard; 0 when none (and
// for lower-case letters).
std::uint8_t CharToScanCode(char c);

// System start of the input devices: creates the keyboard and the mouse
// through the session's input seam (GameContext::services), sets their formats and cooperative
// levels and acquires them. Each failure shows a "Warning" box and the game
// goes on without that device.
void StartInputDevices(GameContext& ctx);
// Unacquires and releases both devices and the input system.
void ShutdownInputDevices(GameContext& ctx);

}  // namespace dw
