#pragma once
// Keyboard steering and gamepads, inside the input seam: a layer over the
// keyboard and mouse devices that turns arrow keys, W/A/S/D, the fire keys
// and every connected gamepad into the mouse motion, mouse buttons and keys
// the game already reads. What leaves this layer is plain keyboard and mouse
// state, so a demo recorded over it replays without it.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/input.h"

namespace platform {

// One moment of the gamepads, every connected pad merged.
struct GamepadState {
    int pads = 0;                                                // connected controllers
    float leftX = 0, leftY = 0;                                  // the left stick, -1..+1, down positive
    float leftTrigger = 0, rightTrigger = 0;                     // 0..1
    bool up = false, down = false, left = false, right = false;  // the D-pad
    bool a = false, b = false, start = false, back = false;
    // Every button held, bit n for SDL controller button n (the four above
    // included).
    std::uint32_t buttons = 0;
    // Anything else: another button (X, Y, the shoulders, the sticks, Guide)
    // held, or the right stick past the dead zone.
    bool other = false;

    // Any button held, or a stick or trigger past the dead zone.
    bool Active() const;
    // The held buttons, with the four named ones.
    std::uint32_t Buttons() const;
};

class Clock;

class Gamepads {
public:
    virtual ~Gamepads() = default;
    // Opens the pads that arrived, closes the ones that left, reads them.
    virtual GamepadState Read() = 0;
};

// SDL's GameController API: its built-in mappings, SDL_GAMECONTROLLERCONFIG,
// and `mappingFile` (a gamecontrollerdb.txt) when that file exists. Pads
// may come and go at any time.
std::unique_ptr<Gamepads> CreateSdlGamepads(const std::string& mappingFile);

// A stick axis (-1..+1) after the dead zone (a fraction of the travel) and
// the response curve.
float StickResponse(float raw, float deadZone = 0.2f);

// Mouse counts per millisecond at the usual speed: a steering key held, a
// stick at full tilt.
inline constexpr float kKeyCountsPerMs = 0.45f;
inline constexpr float kStickCountsPerMs = 0.55f;

// The layer itself. `inner` gives the real (or scripted) keyboard and mouse;
// `pads` may be null (no gamepads). Motion is made per millisecond of the
// session's clock, so it does not depend on the frame rate.
class SteeringInput final : public InputDevices {
public:
    SteeringInput(InputDevices* inner, Gamepads* pads, Clock& clock);
    SteeringInput(std::unique_ptr<InputDevices> inner, std::unique_ptr<Gamepads> pads, Clock& clock);
    ~SteeringInput() override;

    InputDevice* CreateDevice(InputDeviceKind kind) override;
    void ReleaseDevices() override;
    void SetMode(InputMode mode) override { mode_ = mode; }
    void NewFrame() override {
        if (inner_) inner_->NewFrame();
    }
    void SetControls(const Controls& controls) override { controls_ = controls; }
    bool GamepadActive() override;
    std::uint32_t GamepadButtons() override;
    InputMode mode() const { return mode_; }

    class Device;

private:
    friend class Device;
    // Adds what the steering keys and the pads say to a state just read.
    void AddToKeys(std::uint8_t* keys);
    void AddToMouse(DIMOUSESTATE& state);
    // The play keys' motion and the fire and rocket buttons of keys and pads.
    void AddPlayControls(const GamepadState& pad, DIMOUSESTATE& state, float& moveX, float& moveY);
    GamepadState ReadPads();

    std::unique_ptr<InputDevices> ownInner_;
    std::unique_ptr<Gamepads> ownPads_;
    InputDevices* inner_;
    Gamepads* pads_;
    Clock& clock_;
    InputDevice* innerKeyboard_ = nullptr;
    InputMode mode_ = InputMode::Menu;
    Controls controls_ = Controls::Defaults();
    std::uint32_t lastMouseRead_ = 0;
    bool mouseReadBefore_ = false;
    float restX_ = 0, restY_ = 0;  // motion below one count, carried over
    std::unique_ptr<Device> keyboard_, mouse_;
};

}  // namespace platform
