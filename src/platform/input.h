#pragma once
// Input seam: polled keyboard and mouse devices with DirectInput's shape
// (create, set format and cooperative level, acquire, read the whole state).
// The SDL implementation reads the real keyboard and relative mouse motion;
// the scripted one plays back states that a test, a demo or the autopilot
// sets frame by frame.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/controls.h"
#include "platform/d3d_types.h"

// DirectInput results.
constexpr HRESULT DI_OK = 0;
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DIERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);

// The mouse state of the 16-byte format: relative motion and four buttons.
struct DIMOUSESTATE {
    std::int32_t lX, lY, lZ;
    std::uint8_t rgbButtons[4];
};
static_assert(sizeof(DIMOUSESTATE) == 16);

// Keyboard scan codes (DirectInput numbering).
constexpr std::uint8_t DIK_ESCAPE = 0x01, DIK_1 = 0x02, DIK_2 = 0x03, DIK_3 = 0x04, DIK_4 = 0x05, DIK_5 = 0x06,
                       DIK_6 = 0x07, DIK_7 = 0x08, DIK_8 = 0x09, DIK_9 = 0x0A, DIK_0 = 0x0B, DIK_MINUS = 0x0C,
                       DIK_EQUALS = 0x0D, DIK_BACK = 0x0E, DIK_TAB = 0x0F, DIK_Q = 0x10, DIK_W = 0x11, DIK_E = 0x12,
                       DIK_R = 0x13, DIK_T = 0x14, DIK_Y = 0x15, DIK_U = 0x16, DIK_I = 0x17, DIK_O = 0x18, DIK_P = 0x19,
                       DIK_LBRACKET = 0x1A, DIK_RBRACKET = 0x1B, DIK_RETURN = 0x1C, DIK_LCONTROL = 0x1D, DIK_A = 0x1E,
                       DIK_S = 0x1F, DIK_D = 0x20, DIK_F = 0x21, DIK_G = 0x22, DIK_H = 0x23, DIK_J = 0x24, DIK_K = 0x25,
                       DIK_L = 0x26, DIK_SEMICOLON = 0x27, DIK_APOSTROPHE = 0x28, DIK_GRAVE = 0x29, DIK_LSHIFT = 0x2A,
                       DIK_BACKSLASH = 0x2B, DIK_Z = 0x2C, DIK_X = 0x2D, DIK_C = 0x2E, DIK_V = 0x2F, DIK_B = 0x30,
                       DIK_N = 0x31, DIK_M = 0x32, DIK_COMMA = 0x33, DIK_PERIOD = 0x34, DIK_SLASH = 0x35,
                       DIK_RSHIFT = 0x36, DIK_MULTIPLY = 0x37, DIK_LMENU = 0x38, DIK_SPACE = 0x39, DIK_CAPITAL = 0x3A,
                       DIK_F1 = 0x3B, DIK_F2 = 0x3C, DIK_F3 = 0x3D, DIK_F4 = 0x3E, DIK_F5 = 0x3F, DIK_F6 = 0x40,
                       DIK_F7 = 0x41, DIK_F8 = 0x42, DIK_F9 = 0x43, DIK_F10 = 0x44, DIK_NUMLOCK = 0x45,
                       DIK_SCROLL = 0x46, DIK_NUMPAD7 = 0x47, DIK_NUMPAD8 = 0x48, DIK_NUMPAD9 = 0x49,
                       DIK_SUBTRACT = 0x4A, DIK_NUMPAD4 = 0x4B, DIK_NUMPAD5 = 0x4C, DIK_NUMPAD6 = 0x4D, DIK_ADD = 0x4E,
                       DIK_NUMPAD1 = 0x4F, DIK_NUMPAD2 = 0x50, DIK_NUMPAD3 = 0x51, DIK_NUMPAD0 = 0x52,
                       DIK_DECIMAL = 0x53, DIK_F11 = 0x57, DIK_F12 = 0x58, DIK_NUMPADENTER = 0x9C, DIK_RCONTROL = 0x9D,
                       DIK_DIVIDE = 0xB5, DIK_SYSRQ = 0xB7, DIK_RMENU = 0xB8, DIK_PAUSE = 0xC5, DIK_HOME = 0xC7,
                       DIK_UP = 0xC8, DIK_PRIOR = 0xC9, DIK_LEFT = 0xCB, DIK_RIGHT = 0xCD, DIK_END = 0xCF,
                       DIK_DOWN = 0xD0, DIK_NEXT = 0xD1, DIK_INSERT = 0xD2, DIK_DELETE = 0xD3, DIK_LWIN = 0xDB,
                       DIK_RWIN = 0xDC, DIK_APPS = 0xDD;

namespace platform {

enum class InputDeviceKind { Keyboard, Mouse };

// What the input is for at the moment: the menus take keys; play steers the
// ship (keyboard steering and gamepads read differently in each).
enum class InputMode { Menu, Play };

// One polled device.
class InputDevice {
public:
    virtual ~InputDevice() = default;
    virtual HRESULT SetDataFormat() = 0;
    // Foreground always; exclusive for the mouse (the pointer is captured).
    virtual HRESULT SetCooperativeLevel(bool exclusive) = 0;
    virtual HRESULT Acquire() = 0;
    virtual HRESULT Unacquire() = 0;
    // Keyboard: 256 bytes, bit 7 set for a key held. Mouse: a DIMOUSESTATE
    // (motion since the last read). Fails with DIERR_INPUTLOST when the
    // window lost the focus and DIERR_NOTACQUIRED before Acquire.
    virtual HRESULT GetDeviceState(DWORD size, void* data) = 0;
};

// A layer over a device: hands every call on. The layers over the input
// (keyboard steering, the attract mode) override GetDeviceState.
class ForwardingInputDevice : public InputDevice {
public:
    explicit ForwardingInputDevice(InputDevice* inner) : inner_(inner) {}
    HRESULT SetDataFormat() override { return inner_->SetDataFormat(); }
    HRESULT SetCooperativeLevel(bool exclusive) override { return inner_->SetCooperativeLevel(exclusive); }
    HRESULT Acquire() override { return inner_->Acquire(); }
    HRESULT Unacquire() override { return inner_->Unacquire(); }
    HRESULT GetDeviceState(DWORD size, void* data) override { return inner_->GetDeviceState(size, data); }
    InputDevice* inner() { return inner_; }

protected:
    InputDevice* inner_;
};

// The input system ("DirectInput"): creates and owns the two devices.
class InputDevices {
public:
    virtual ~InputDevices() = default;
    // Null when the device cannot be created.
    virtual InputDevice* CreateDevice(InputDeviceKind kind) = 0;
    // Releases both devices (they are unusable afterwards).
    virtual void ReleaseDevices() = 0;
    // The game says, every frame, whether it is in play or in the menus.
    virtual void SetMode(InputMode) {}
    // Once a frame, before the frame reads the devices.
    virtual void NewFrame() {}
    // The player's keys and buttons, handed on every frame.
    virtual void SetControls(const Controls&) {}
    // The gamepad buttons held (bit n: SDL controller button n), for the
    // screen that binds them.
    virtual std::uint32_t GamepadButtons() { return 0; }
    // True while a gamepad button is held or a stick or trigger is past its
    // dead zone, whether the game reads it or not (the attract mode ends on
    // any of them).
    virtual bool GamepadActive() { return false; }
};

// A layer over other input devices that watches what the game reads (the
// attract mode's layer, the demo recorder): its keyboard and mouse are
// ForwardingInputDevices over the inner ones (Wrap makes them), and every
// other call is handed on.
class InputLayer : public InputDevices {
public:
    explicit InputLayer(InputDevices* inner) : inner_(inner) {}

    InputDevice* CreateDevice(InputDeviceKind kind) final {
        InputDevice* dev = inner_ ? inner_->CreateDevice(kind) : nullptr;
        auto& slot = kind == InputDeviceKind::Keyboard ? keyboard_ : mouse_;
        slot = dev ? Wrap(dev, kind) : nullptr;
        return slot.get();
    }
    void ReleaseDevices() final {
        if (inner_) inner_->ReleaseDevices();
        keyboard_.reset();
        mouse_.reset();
    }
    void SetMode(InputMode mode) override {
        if (inner_) inner_->SetMode(mode);
    }
    void NewFrame() override {
        if (inner_) inner_->NewFrame();
    }
    void SetControls(const Controls& controls) override {
        if (inner_) inner_->SetControls(controls);
    }
    std::uint32_t GamepadButtons() override { return inner_ ? inner_->GamepadButtons() : 0; }
    bool GamepadActive() override { return inner_ && inner_->GamepadActive(); }

protected:
    // The layer's own device over the inner one of `kind`.
    virtual std::unique_ptr<ForwardingInputDevice> Wrap(InputDevice* inner, InputDeviceKind kind) = 0;
    // The layer's devices (null until made); `inner()` reads below the layer.
    ForwardingInputDevice* keyboard() const { return keyboard_.get(); }
    ForwardingInputDevice* mouse() const { return mouse_.get(); }

    InputDevices* inner_;

private:
    std::unique_ptr<ForwardingInputDevice> keyboard_, mouse_;
};

// The presses of one frame: a key pressed and let go between two frames
// still reads as held in every read of the next frame, so no short press is
// lost however slowly the frames come.
//
// Alt+Enter (either Enter) is the window's full-screen switch and nothing
// else: that Enter is neither a press nor held for the game until it is let
// go, whatever happens to Alt meanwhile.
class KeyLatch {
public:
    void Pressed(std::uint8_t dik) { pending_[dik] = 1; }
    // A key going down (not a repeat) with or without Alt held, and up.
    void Down(std::uint8_t dik, bool alt);
    void Up(std::uint8_t dik) { switch_[dik] = 0; }
    // The presses so far belong to the frame that begins.
    void NewFrame();
    // Adds the frame's presses to a read of the keyboard and takes out the
    // keys of a full-screen switch.
    void AddTo(std::uint8_t* state) const;

private:
    std::uint8_t pending_[256] = {};
    std::uint8_t shown_[256] = {};
    std::uint8_t switch_[256] = {};
};

// DirectInput scan code for an SDL scancode; 0 for keys the game has no
// code for.
std::uint8_t DikFromSdlScancode(int sdlScancode);
// The SDL scancode of a DirectInput scan code; 0 for none.
int SdlScancodeFromDik(std::uint8_t dik);

// Real keyboard and mouse of the SDL window (SDL's video must be up), with
// keyboard steering and the gamepads over them (steering.h), moving by
// `clock`; the gamepad mappings of `mappingFile` ("gamecontrollerdb.txt" in
// the user directory) are read.
class Clock;
std::unique_ptr<InputDevices> CreateSdlInput(const std::string& mappingFile, Clock& clock);

// Input from a script. The state set here is what the next reads return;
// mouse motion accumulates until it is read.
class ScriptedInput final : public InputDevices {
public:
    ScriptedInput();
    ~ScriptedInput() override;

    InputDevice* CreateDevice(InputDeviceKind kind) override;
    void ReleaseDevices() override;

    void SetKey(std::uint8_t dik, bool down) { keys[dik] = down ? 0x80 : 0; }
    void ReleaseAllKeys();
    void MoveMouse(std::int32_t dx, std::int32_t dy) {
        mouseX += dx;
        mouseY += dy;
    }
    void SetButton(int index, bool down) {
        if (index >= 0 && index < 4) buttons[index] = down ? 0x80 : 0;
    }
    // While lost every read fails with DIERR_INPUTLOST and Acquire fails;
    // when found again the devices need an Acquire before they read.
    void SetLost(bool lost);

    std::uint8_t keys[256] = {};
    std::int32_t mouseX = 0, mouseY = 0, wheel = 0;
    std::uint8_t buttons[4] = {};
    bool lost = false;
    bool failKeyboard = false, failMouse = false;  // CreateDevice gives null
    bool failMouseFormat = false, failMouseCooperative = false;
    int keyboardAcquires = 0, mouseAcquires = 0;

    class Device;

private:
    std::unique_ptr<Device> keyboard_, mouse_;
};

}  // namespace platform
