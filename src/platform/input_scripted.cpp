#include <cstring>

#include "platform/input.h"

namespace platform {

class ScriptedInput::Device final : public InputDevice {
public:
    Device(ScriptedInput* owner, InputDeviceKind kind) : owner_(owner), kind_(kind) {}

    HRESULT SetDataFormat() override {
        return kind_ == InputDeviceKind::Mouse && owner_->failMouseFormat ? E_FAIL : DI_OK;
    }
    HRESULT SetCooperativeLevel(bool) override {
        return kind_ == InputDeviceKind::Mouse && owner_->failMouseCooperative ? E_FAIL : DI_OK;
    }
    HRESULT Acquire() override {
        ++(kind_ == InputDeviceKind::Mouse ? owner_->mouseAcquires : owner_->keyboardAcquires);
        if (owner_->lost) return DIERR_OTHERAPPHASPRIO;
        acquired_ = true;
        return DI_OK;
    }
    HRESULT Unacquire() override {
        acquired_ = false;
        return DI_OK;
    }
    HRESULT GetDeviceState(DWORD size, void* data) override {
        if (!data) return DIERR_INVALIDPARAM;
        if (owner_->lost) {
            acquired_ = false;
            return DIERR_INPUTLOST;
        }
        if (!acquired_) return DIERR_NOTACQUIRED;
        if (kind_ == InputDeviceKind::Keyboard) {
            if (size != sizeof owner_->keys) return DIERR_INVALIDPARAM;
            std::memcpy(data, owner_->keys, sizeof owner_->keys);
            return DI_OK;
        }
        if (size != sizeof(DIMOUSESTATE)) return DIERR_INVALIDPARAM;
        DIMOUSESTATE state{};
        state.lX = owner_->mouseX;
        state.lY = owner_->mouseY;
        state.lZ = owner_->wheel;
        std::memcpy(state.rgbButtons, owner_->buttons, sizeof state.rgbButtons);
        owner_->mouseX = owner_->mouseY = owner_->wheel = 0;
        std::memcpy(data, &state, sizeof state);
        return DI_OK;
    }
    void Lose() { acquired_ = false; }

private:
    ScriptedInput* owner_;
    InputDeviceKind kind_;
    bool acquired_ = false;
};

void KeyLatch::NewFrame() {
    std::memcpy(shown_, pending_, sizeof shown_);
    std::memset(pending_, 0, sizeof pending_);
}

void KeyLatch::Down(std::uint8_t dik, bool alt) {
    if (alt && (dik == DIK_RETURN || dik == DIK_NUMPADENTER)) {
        switch_[dik] = 1;
        pending_[dik] = 0;
        return;
    }
    Pressed(dik);
}

void KeyLatch::AddTo(std::uint8_t* state) const {
    for (int k = 0; k < 256; ++k) {
        if (shown_[k]) state[k] = 0x80;
        if (switch_[k]) state[k] = 0;
    }
}

ScriptedInput::ScriptedInput() = default;
ScriptedInput::~ScriptedInput() = default;

InputDevice* ScriptedInput::CreateDevice(InputDeviceKind kind) {
    if (kind == InputDeviceKind::Keyboard) {
        if (failKeyboard) return nullptr;
        if (!keyboard_) keyboard_ = std::make_unique<Device>(this, kind);
        return keyboard_.get();
    }
    if (failMouse) return nullptr;
    if (!mouse_) mouse_ = std::make_unique<Device>(this, kind);
    return mouse_.get();
}

void ScriptedInput::ReleaseDevices() {
    keyboard_.reset();
    mouse_.reset();
}

void ScriptedInput::ReleaseAllKeys() {
    std::memset(keys, 0, sizeof keys);
    std::memset(buttons, 0, sizeof buttons);
}

void ScriptedInput::SetLost(bool isLost) {
    lost = isLost;
    if (isLost) {
        if (keyboard_) keyboard_->Lose();
        if (mouse_) mouse_->Lose();
    }
}

}  // namespace platform
