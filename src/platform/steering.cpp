#include "platform/steering.h"

#include <cmath>
#include <cstring>

#include "platform/clock.h"
#include "platform/game_math.h"

namespace platform {

namespace {

constexpr float kDeadZone = 0.2f;
constexpr float kCurve = 1.6f;       // a gentle start, full speed at the rim
constexpr float kStickAsKey = 0.5f;  // a stick this far counts as an arrow key
constexpr float kTriggerDown = 0.5f;
constexpr std::uint32_t kLongestStepMs = 100;

void Press(std::uint8_t* keys, std::uint8_t dik) { keys[dik] = 0x80; }

}  // namespace

float StickResponse(float raw, float deadZone) {
    const float m = std::fabs(raw);
    if (m <= deadZone) return 0.0f;
    const float t = std::fmin((m - deadZone) / (1.0f - deadZone), 1.0f);
    const float shaped = gm::Pow(t, kCurve);
    return raw < 0 ? -shaped : shaped;
}

class SteeringInput::Device final : public ForwardingInputDevice {
public:
    Device(SteeringInput* owner, InputDevice* inner, InputDeviceKind kind)
        : ForwardingInputDevice(inner), owner_(owner), kind_(kind) {}
    HRESULT GetDeviceState(DWORD size, void* data) override {
        const HRESULT hr = inner_->GetDeviceState(size, data);
        if (FAILED(hr)) return hr;
        if (kind_ == InputDeviceKind::Keyboard) {
            if (size == 256) owner_->AddToKeys(static_cast<std::uint8_t*>(data));
        } else if (size == sizeof(DIMOUSESTATE)) {
            DIMOUSESTATE state;
            std::memcpy(&state, data, sizeof state);
            owner_->AddToMouse(state);
            std::memcpy(data, &state, sizeof state);
        }
        return hr;
    }

private:
    SteeringInput* owner_;
    InputDeviceKind kind_;
};

SteeringInput::SteeringInput(InputDevices* inner, Gamepads* pads, Clock& clock)
    : inner_(inner), pads_(pads), clock_(clock) {}

SteeringInput::SteeringInput(std::unique_ptr<InputDevices> inner, std::unique_ptr<Gamepads> pads, Clock& clock)
    : ownInner_(std::move(inner)), ownPads_(std::move(pads)), inner_(ownInner_.get()), pads_(ownPads_.get()),
      clock_(clock) {}

SteeringInput::~SteeringInput() {
    keyboard_.reset();
    mouse_.reset();
}

InputDevice* SteeringInput::CreateDevice(InputDeviceKind kind) {
    InputDevice* dev = inner_ ? inner_->CreateDevice(kind) : nullptr;
    if (!dev) return nullptr;
    auto& slot = kind == InputDeviceKind::Keyboard ? keyboard_ : mouse_;
    slot = std::make_unique<Device>(this, dev, kind);
    if (kind == InputDeviceKind::Keyboard) innerKeyboard_ = dev;
    return slot.get();
}

void SteeringInput::ReleaseDevices() {
    if (inner_) inner_->ReleaseDevices();
    innerKeyboard_ = nullptr;
    keyboard_.reset();
    mouse_.reset();
}

GamepadState SteeringInput::ReadPads() { return pads_ ? pads_->Read() : GamepadState{}; }

bool GamepadState::Active() const {
    return up || down || left || right || a || b || start || back || other || StickResponse(leftX) != 0.0f ||
        StickResponse(leftY) != 0.0f || leftTrigger > kDeadZone || rightTrigger > kDeadZone;
}

std::uint32_t GamepadState::Buttons() const {
    std::uint32_t mask = buttons;
    if (a) mask |= 1u << kPadA;
    if (b) mask |= 1u << kPadB;
    if (back) mask |= 1u << kPadBack;
    if (start) mask |= 1u << kPadStart;
    return mask;
}

bool SteeringInput::GamepadActive() { return pads_ && pads_->Read().Active(); }

std::uint32_t SteeringInput::GamepadButtons() { return pads_ ? pads_->Read().Buttons() : 0; }

void SteeringInput::AddToKeys(std::uint8_t* keys) {
    if (mode_ == InputMode::Play) {
        // In play Escape means pausing, whichever keys pause.
        const bool pause = controls_.Holds(KeyAction::Pause, keys);
        keys[DIK_ESCAPE] = 0;
        if (pause) Press(keys, DIK_ESCAPE);
    }
    const GamepadState pad = ReadPads();
    if (pad.pads == 0) return;
    if (mode_ == InputMode::Play) {
        if (controls_.HoldsPad(PadAction::Pause, pad.Buttons())) Press(keys, DIK_ESCAPE);
        return;
    }
    if (pad.up || pad.leftY < -kStickAsKey) Press(keys, DIK_UP);
    if (pad.down || pad.leftY > kStickAsKey) Press(keys, DIK_DOWN);
    if (pad.left || pad.leftX < -kStickAsKey) Press(keys, DIK_LEFT);
    if (pad.right || pad.leftX > kStickAsKey) Press(keys, DIK_RIGHT);
    if (pad.a) Press(keys, DIK_RETURN);
    if (pad.b) Press(keys, DIK_ESCAPE);
}

namespace {

// The stick's motion, -1 to 1 on each axis; in play the pad's arrows push
// it to the rim.
void StickMotion(const GamepadState& pad, bool play, float deadZone, float& sx, float& sy) {
    sx = StickResponse(pad.leftX, deadZone);
    sy = StickResponse(pad.leftY, deadZone);
    if (!play) return;
    if (pad.left) sx = -1;
    if (pad.right) sx = 1;
    if (pad.up) sy = -1;
    if (pad.down) sy = 1;
}

}  // namespace

void SteeringInput::AddPlayControls(const GamepadState& pad, DIMOUSESTATE& state, float& moveX, float& moveY) {
    const float keySpeed = kKeyCountsPerMs * static_cast<float>(controls_.keySpeed) / 100.0f;
    std::uint8_t keys[256] = {};
    if (innerKeyboard_ && SUCCEEDED(innerKeyboard_->GetDeviceState(sizeof keys, keys))) {
        const Controls& k = controls_;
        const int right = k.Holds(KeyAction::Right, keys), left = k.Holds(KeyAction::Left, keys);
        const int down = k.Holds(KeyAction::Down, keys), up = k.Holds(KeyAction::Up, keys);
        moveX += static_cast<float>(right - left) * keySpeed;
        moveY += static_cast<float>(down - up) * keySpeed;
        if (k.Holds(KeyAction::Fire, keys)) state.rgbButtons[0] = 0x80;
        if (k.Holds(KeyAction::Rocket, keys)) state.rgbButtons[1] = 0x80;
    }
    const std::uint32_t held = pad.Buttons();
    if (controls_.HoldsPad(PadAction::Fire, held) || pad.rightTrigger > kTriggerDown) state.rgbButtons[0] = 0x80;
    if (controls_.HoldsPad(PadAction::Rocket, held) || pad.leftTrigger > kTriggerDown) state.rgbButtons[1] = 0x80;
}

void SteeringInput::AddToMouse(DIMOUSESTATE& state) {
    const std::uint32_t now = clock_.Milliseconds();
    std::uint32_t stepMs = mouseReadBefore_ ? now - lastMouseRead_ : 0;
    if (stepMs > kLongestStepMs) stepMs = kLongestStepMs;
    lastMouseRead_ = now;
    mouseReadBefore_ = true;

    const GamepadState pad = ReadPads();
    float moveX = 0, moveY = 0;  // counts per ms
    // The stick moves the ship in play and the pointer in the menus.
    if (pad.pads > 0) {
        const float deadZone = static_cast<float>(controls_.deadZone) / 100.0f;
        const float stickSpeed = kStickCountsPerMs * static_cast<float>(controls_.stickSpeed) / 100.0f;
        float sx = 0, sy = 0;
        StickMotion(pad, mode_ == InputMode::Play, deadZone, sx, sy);
        moveX += sx * stickSpeed;
        moveY += sy * stickSpeed;
    }
    if (mode_ == InputMode::Play) AddPlayControls(pad, state, moveX, moveY);
    if (moveX == 0 && moveY == 0) {
        restX_ = restY_ = 0;
        return;
    }
    restX_ += moveX * static_cast<float>(stepMs);
    restY_ += moveY * static_cast<float>(stepMs);
    const auto wholeX = static_cast<std::int32_t>(restX_);
    const auto wholeY = static_cast<std::int32_t>(restY_);
    restX_ -= static_cast<float>(wholeX);
    restY_ -= static_cast<float>(wholeY);
    state.lX += wholeX;
    state.lY += wholeY;
}

}  // namespace platform
