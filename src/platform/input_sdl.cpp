// Keyboard and mouse of the SDL window.
#include <SDL.h>

#include <cstring>

#include "platform/input.h"
#include "platform/steering.h"

namespace platform {

namespace {

struct ScanPair {
    SDL_Scancode sdl;
    std::uint8_t dik;
};

constexpr ScanPair kScanTable[] = {
    {SDL_SCANCODE_ESCAPE, DIK_ESCAPE},
    {SDL_SCANCODE_1, DIK_1},
    {SDL_SCANCODE_2, DIK_2},
    {SDL_SCANCODE_3, DIK_3},
    {SDL_SCANCODE_4, DIK_4},
    {SDL_SCANCODE_5, DIK_5},
    {SDL_SCANCODE_6, DIK_6},
    {SDL_SCANCODE_7, DIK_7},
    {SDL_SCANCODE_8, DIK_8},
    {SDL_SCANCODE_9, DIK_9},
    {SDL_SCANCODE_0, DIK_0},
    {SDL_SCANCODE_MINUS, DIK_MINUS},
    {SDL_SCANCODE_EQUALS, DIK_EQUALS},
    {SDL_SCANCODE_BACKSPACE, DIK_BACK},
    {SDL_SCANCODE_TAB, DIK_TAB},
    {SDL_SCANCODE_Q, DIK_Q},
    {SDL_SCANCODE_W, DIK_W},
    {SDL_SCANCODE_E, DIK_E},
    {SDL_SCANCODE_R, DIK_R},
    {SDL_SCANCODE_T, DIK_T},
    {SDL_SCANCODE_Y, DIK_Y},
    {SDL_SCANCODE_U, DIK_U},
    {SDL_SCANCODE_I, DIK_I},
    {SDL_SCANCODE_O, DIK_O},
    {SDL_SCANCODE_P, DIK_P},
    {SDL_SCANCODE_LEFTBRACKET, DIK_LBRACKET},
    {SDL_SCANCODE_RIGHTBRACKET, DIK_RBRACKET},
    {SDL_SCANCODE_RETURN, DIK_RETURN},
    {SDL_SCANCODE_LCTRL, DIK_LCONTROL},
    {SDL_SCANCODE_A, DIK_A},
    {SDL_SCANCODE_S, DIK_S},
    {SDL_SCANCODE_D, DIK_D},
    {SDL_SCANCODE_F, DIK_F},
    {SDL_SCANCODE_G, DIK_G},
    {SDL_SCANCODE_H, DIK_H},
    {SDL_SCANCODE_J, DIK_J},
    {SDL_SCANCODE_K, DIK_K},
    {SDL_SCANCODE_L, DIK_L},
    {SDL_SCANCODE_SEMICOLON, DIK_SEMICOLON},
    {SDL_SCANCODE_APOSTROPHE, DIK_APOSTROPHE},
    {SDL_SCANCODE_GRAVE, DIK_GRAVE},
    {SDL_SCANCODE_LSHIFT, DIK_LSHIFT},
    {SDL_SCANCODE_BACKSLASH, DIK_BACKSLASH},
    {SDL_SCANCODE_Z, DIK_Z},
    {SDL_SCANCODE_X, DIK_X},
    {SDL_SCANCODE_C, DIK_C},
    {SDL_SCANCODE_V, DIK_V},
    {SDL_SCANCODE_B, DIK_B},
    {SDL_SCANCODE_N, DIK_N},
    {SDL_SCANCODE_M, DIK_M},
    {SDL_SCANCODE_COMMA, DIK_COMMA},
    {SDL_SCANCODE_PERIOD, DIK_PERIOD},
    {SDL_SCANCODE_SLASH, DIK_SLASH},
    {SDL_SCANCODE_RSHIFT, DIK_RSHIFT},
    {SDL_SCANCODE_KP_MULTIPLY, DIK_MULTIPLY},
    {SDL_SCANCODE_LALT, DIK_LMENU},
    {SDL_SCANCODE_SPACE, DIK_SPACE},
    {SDL_SCANCODE_CAPSLOCK, DIK_CAPITAL},
    {SDL_SCANCODE_F1, DIK_F1},
    {SDL_SCANCODE_F2, DIK_F2},
    {SDL_SCANCODE_F3, DIK_F3},
    {SDL_SCANCODE_F4, DIK_F4},
    {SDL_SCANCODE_F5, DIK_F5},
    {SDL_SCANCODE_F6, DIK_F6},
    {SDL_SCANCODE_F7, DIK_F7},
    {SDL_SCANCODE_F8, DIK_F8},
    {SDL_SCANCODE_F9, DIK_F9},
    {SDL_SCANCODE_F10, DIK_F10},
    {SDL_SCANCODE_NUMLOCKCLEAR, DIK_NUMLOCK},
    {SDL_SCANCODE_SCROLLLOCK, DIK_SCROLL},
    {SDL_SCANCODE_KP_7, DIK_NUMPAD7},
    {SDL_SCANCODE_KP_8, DIK_NUMPAD8},
    {SDL_SCANCODE_KP_9, DIK_NUMPAD9},
    {SDL_SCANCODE_KP_MINUS, DIK_SUBTRACT},
    {SDL_SCANCODE_KP_4, DIK_NUMPAD4},
    {SDL_SCANCODE_KP_5, DIK_NUMPAD5},
    {SDL_SCANCODE_KP_6, DIK_NUMPAD6},
    {SDL_SCANCODE_KP_PLUS, DIK_ADD},
    {SDL_SCANCODE_KP_1, DIK_NUMPAD1},
    {SDL_SCANCODE_KP_2, DIK_NUMPAD2},
    {SDL_SCANCODE_KP_3, DIK_NUMPAD3},
    {SDL_SCANCODE_KP_0, DIK_NUMPAD0},
    {SDL_SCANCODE_KP_PERIOD, DIK_DECIMAL},
    {SDL_SCANCODE_F11, DIK_F11},
    {SDL_SCANCODE_F12, DIK_F12},
    {SDL_SCANCODE_KP_ENTER, DIK_NUMPADENTER},
    {SDL_SCANCODE_RCTRL, DIK_RCONTROL},
    {SDL_SCANCODE_KP_DIVIDE, DIK_DIVIDE},
    {SDL_SCANCODE_PRINTSCREEN, DIK_SYSRQ},
    {SDL_SCANCODE_RALT, DIK_RMENU},
    {SDL_SCANCODE_PAUSE, DIK_PAUSE},
    {SDL_SCANCODE_HOME, DIK_HOME},
    {SDL_SCANCODE_UP, DIK_UP},
    {SDL_SCANCODE_PAGEUP, DIK_PRIOR},
    {SDL_SCANCODE_LEFT, DIK_LEFT},
    {SDL_SCANCODE_RIGHT, DIK_RIGHT},
    {SDL_SCANCODE_END, DIK_END},
    {SDL_SCANCODE_DOWN, DIK_DOWN},
    {SDL_SCANCODE_PAGEDOWN, DIK_NEXT},
    {SDL_SCANCODE_INSERT, DIK_INSERT},
    {SDL_SCANCODE_DELETE, DIK_DELETE},
    {SDL_SCANCODE_LGUI, DIK_LWIN},
    {SDL_SCANCODE_RGUI, DIK_RWIN},
    {SDL_SCANCODE_APPLICATION, DIK_APPS},
};

bool WindowHasFocus() { return SDL_GetKeyboardFocus() != nullptr; }

// Reads the real keyboard; presses come from the events as well (KeyLatch),
// so that a tap between two frames is not lost.
class SdlKeyboard final : public InputDevice {
public:
    SdlKeyboard() { SDL_AddEventWatch(&SdlKeyboard::Watch, this); }
    ~SdlKeyboard() override { SDL_DelEventWatch(&SdlKeyboard::Watch, this); }
    SdlKeyboard(const SdlKeyboard&) = delete;
    SdlKeyboard& operator=(const SdlKeyboard&) = delete;
    void NewFrame() { latch_.NewFrame(); }
    HRESULT SetDataFormat() override { return DI_OK; }
    HRESULT SetCooperativeLevel(bool) override { return DI_OK; }
    HRESULT Acquire() override {
        if (!WindowHasFocus()) return DIERR_OTHERAPPHASPRIO;
        acquired_ = true;
        return DI_OK;
    }
    HRESULT Unacquire() override {
        acquired_ = false;
        return DI_OK;
    }
    HRESULT GetDeviceState(DWORD size, void* data) override {
        if (!data || size != 256) return DIERR_INVALIDPARAM;
        if (!acquired_) return DIERR_NOTACQUIRED;
        if (!WindowHasFocus()) {
            acquired_ = false;
            return DIERR_INPUTLOST;
        }
        auto* out = static_cast<std::uint8_t*>(data);
        std::memset(out, 0, 256);
        int count = 0;
        const Uint8* state = SDL_GetKeyboardState(&count);
        for (int sc = 0; sc < count; ++sc) {
            if (!state[sc]) continue;
            if (const std::uint8_t dik = DikFromSdlScancode(sc)) out[dik] = 0x80;
        }
        latch_.AddTo(out);
        return DI_OK;
    }

private:
    static int Watch(void* self, SDL_Event* event) {
        if (event->type != SDL_KEYDOWN && event->type != SDL_KEYUP) return 1;
        const std::uint8_t dik = DikFromSdlScancode(event->key.keysym.scancode);
        KeyLatch& latch = static_cast<SdlKeyboard*>(self)->latch_;
        if (dik == 0) return 1;
        if (event->type == SDL_KEYUP)
            latch.Up(dik);
        else if (!event->key.repeat)
            latch.Down(dik, (event->key.keysym.mod & KMOD_ALT) != 0);
        return 1;
    }
    bool acquired_ = false;
    KeyLatch latch_;
};

// The mouse is exclusive: while acquired the pointer is captured in relative
// mode; losing the focus releases it and the next read reports the loss.
class SdlMouse final : public InputDevice {
public:
    ~SdlMouse() override { Unacquire(); }
    HRESULT SetDataFormat() override { return DI_OK; }
    HRESULT SetCooperativeLevel(bool exclusive) override {
        exclusive_ = exclusive;
        return DI_OK;
    }
    HRESULT Acquire() override {
        if (!WindowHasFocus()) return DIERR_OTHERAPPHASPRIO;
        if (exclusive_) SDL_SetRelativeMouseMode(SDL_TRUE);
        SDL_GetRelativeMouseState(nullptr, nullptr);  // forget motion from before
        acquired_ = true;
        return DI_OK;
    }
    HRESULT Unacquire() override {
        if (acquired_ && exclusive_) SDL_SetRelativeMouseMode(SDL_FALSE);
        acquired_ = false;
        return DI_OK;
    }
    HRESULT GetDeviceState(DWORD size, void* data) override {
        if (!data || size != sizeof(DIMOUSESTATE)) return DIERR_INVALIDPARAM;
        if (!acquired_) return DIERR_NOTACQUIRED;
        if (!WindowHasFocus()) {
            Unacquire();
            return DIERR_INPUTLOST;
        }
        int dx = 0, dy = 0;
        const Uint32 buttons = SDL_GetRelativeMouseState(&dx, &dy);
        DIMOUSESTATE state{};
        state.lX = dx;
        state.lY = dy;
        state.rgbButtons[0] = (buttons & SDL_BUTTON_LMASK) ? 0x80 : 0;
        state.rgbButtons[1] = (buttons & SDL_BUTTON_RMASK) ? 0x80 : 0;
        state.rgbButtons[2] = (buttons & SDL_BUTTON_MMASK) ? 0x80 : 0;
        state.rgbButtons[3] = (buttons & SDL_BUTTON_X1MASK) ? 0x80 : 0;
        std::memcpy(data, &state, sizeof state);
        return DI_OK;
    }

private:
    bool acquired_ = false;
    bool exclusive_ = false;
};

class SdlInput final : public InputDevices {
public:
    InputDevice* CreateDevice(InputDeviceKind kind) override {
        if (kind == InputDeviceKind::Keyboard) {
            if (!keyboard_) keyboard_ = std::make_unique<SdlKeyboard>();
            return keyboard_.get();
        }
        if (!mouse_) mouse_ = std::make_unique<SdlMouse>();
        return mouse_.get();
    }
    void ReleaseDevices() override {
        keyboard_.reset();
        mouse_.reset();
    }
    void NewFrame() override {
        if (keyboard_) keyboard_->NewFrame();
    }

private:
    std::unique_ptr<SdlKeyboard> keyboard_;
    std::unique_ptr<SdlMouse> mouse_;
};

}  // namespace

std::uint8_t DikFromSdlScancode(int sdlScancode) {
    static const auto table = [] {
        struct Table {
            std::uint8_t dik[SDL_NUM_SCANCODES] = {};
        } t;
        for (const ScanPair& p : kScanTable) t.dik[p.sdl] = p.dik;
        return t;
    }();
    if (sdlScancode < 0 || sdlScancode >= SDL_NUM_SCANCODES) return 0;
    return table.dik[sdlScancode];
}

int SdlScancodeFromDik(std::uint8_t dik) {
    for (const ScanPair& p : kScanTable)
        if (p.dik == dik) return p.sdl;
    return 0;
}

std::unique_ptr<InputDevices> CreateSdlInput(const std::string& mappingFile, Clock& clock) {
    // Keyboard steering and the gamepads sit over the real devices.
    return std::make_unique<SteeringInput>(std::make_unique<SdlInput>(), CreateSdlGamepads(mappingFile), clock);
}

}  // namespace platform
