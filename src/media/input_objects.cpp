#include "media/input_objects.h"

#include <cstring>

#include "core/game_context.h"
#include "core/log.h"
#include "platform/services.h"
#include "platform/shell.h"

namespace dw {

namespace {

void Warn(GameContext& ctx, const char* text) {
    if (platform::Shell* shell = ctx.shell()) shell->MessageBox("Warning", text, false);
}

void Latch(std::uint8_t& latched, std::uint8_t raw) {
    if ((raw & 0x80) && latched == 0) latched = 1;
    if (!(raw & 0x80) && latched == 1) latched = 0;
}

}  // namespace

KeysObject::KeysObject(GameContext* ctx) : MyObject(ctx) {
    name = "keys";
    order = 0;
    lastPoll = ctx->timeNow;
    std::memset(ctx->keys, 0, sizeof ctx->keys);
}

std::int32_t KeysObject::FrameMove() {
    GameContext& c = *context;
    if (platform::InputDevices* input = c.inputDevices()) {
        input->SetMode(c.currentScreen == Screen::Game ? platform::InputMode::Play : platform::InputMode::Menu);
        input->SetControls(c.controls);
    }
    // At most one poll per 4 ms (unsigned time arithmetic).
    if (static_cast<std::int32_t>(c.timeNow - (lastPoll + 4)) < 0) return 0;
    lastPoll = c.timeNow;
    if (platform::InputDevices* input = c.inputDevices()) input->NewFrame();
    platform::InputDevice* keyboard = c.keyboardDevice;
    const HRESULT hr = keyboard ? keyboard->GetDeviceState(sizeof state, state) : E_FAIL;
    if (FAILED(hr)) {
        if (keyboard && (hr == DIERR_INPUTLOST || hr == DIERR_NOTACQUIRED)) keyboard->Acquire();
        // The window lost the focus: play pauses in the menu, as on Escape
        // (also when a demo replays the loss).
        if (hr == DIERR_INPUTLOST && c.currentScreen == Screen::Game) c.menuRequest = 1;
        if (!errorReported) {
            if (c.log) c.log->WriteLine("FAIL: Get Keyboard State");
            errorReported = 1;
        }
        return 0;
    }
    errorReported = 0;
    for (int k = 0; k < 256; ++k) Latch(c.keys[k], state[k]);
    return 0;
}

MouseObject::MouseObject(GameContext* ctx) : MyObject(ctx) {
    name = "mouse";
    order = 99;
    visible = 1;
    pixelX = static_cast<float>(ctx->screenWidth) * 0.5f;
    pixelY = static_cast<float>(ctx->screenHeight) * 0.5f;
}

std::int32_t MouseObject::FrameMove() {
    GameContext& c = *context;
    const float scale = static_cast<float>(c.screenWidth) * 0.00125f;
    platform::InputDevice* mouse = c.mouseDevice;
    const HRESULT hr = mouse ? mouse->GetDeviceState(sizeof state, &state) : E_FAIL;
    if (FAILED(hr)) {
        c.reacquireMouse = 1;
        if (!errorReported) {
            if (c.log) c.log->WriteLine("FAIL: Get Mouse State");
            errorReported = 1;
        }
        return E_FAIL;
    }
    if (hr == DI_OK) errorReported = 0;
    if (c.mouseActive) {
        const float dx = static_cast<float>(state.lX) * c.mouseSpeed * scale * 1.5f;
        const float dy = static_cast<float>(state.lY) * c.mouseSpeed * scale * 1.5f;
        c.cursorDeltaX = dx;
        c.cursorDeltaY = dy;
        pixelX += dx;
        pixelY += dy;
        const float w = static_cast<float>(c.screenWidth), h = static_cast<float>(c.screenHeight);
        if (pixelX < 0) pixelX = 0;
        if (pixelX > w) pixelX = w;
        if (pixelY < 0) pixelY = 0;
        if (pixelY > h) pixelY = h;
        if (w > 0) screenX = 2.0f * pixelX / w - 1.0f;
        if (h > 0) screenY = 2.0f * pixelY / h - 1.0f;
    }
    for (int b = 0; b < 3; ++b) Latch(c.mouseButtons[b], state.rgbButtons[b]);
    state = DIMOUSESTATE{};
    return 0;
}

std::int32_t MouseObject::RestoreDeviceObjects() {
    pixelX = (screenX + 1.0f) * static_cast<float>(context->screenWidth) * 0.5f;
    pixelY = (screenY + 1.0f) * static_cast<float>(context->screenHeight) * 0.5f;
    return 0;
}

std::uint8_t CharToScanCode(char c) {
    static constexpr std::uint8_t kLetters[26] = {DIK_A, DIK_B, DIK_C, DIK_D, DIK_E, DIK_F, DIK_G, DIK_H, DIK_I,
                                                  DIK_J, DIK_K, DIK_L, DIK_M, DIK_N, DIK_O, DIK_P, DIK_Q, DIK_R,
                                                  DIK_S, DIK_T, DIK_U, DIK_V, DIK_W, DIK_X, DIK_Y, DIK_Z};
    if (c >= 'A' && c <= 'Z') return kLetters[c - 'A'];
    switch (c) {
        case ' ': return 0x39;
        case '!':
        case '1': return 0x02;
        case '2':
        case '@': return 0x03;
        case '#':
        case '3': return 0x04;
        case '4': return 0x05;
        case '5': return 0x06;
        case '6': return 0x07;
        case '7': return 0x08;
        case '*':
        case '8': return 0x09;
        case '9': return 0x0A;
        case '0': return 0x0B;
        case '-':
        case '_': return 0x0C;
        case '+': return 0x0D;
        case ':':
        case ';': return 0x27;
        case '"': return 0x28;
        case ',':
        case '<': return 0x33;
        case '.':
        case '>': return 0x34;
        case '?': return 0x35;
        default: return 0;
    }
}

void StartInputDevices(GameContext& ctx) {
    platform::InputDevices* input = ctx.inputDevices();
    ctx.keyboardDevice = nullptr;
    ctx.mouseDevice = nullptr;
    if (!input) {
        Warn(ctx, "Don't create DirectInput8");
        return;
    }
    if (platform::InputDevice* keyboard = input->CreateDevice(platform::InputDeviceKind::Keyboard)) {
        keyboard->SetDataFormat();
        keyboard->SetCooperativeLevel(false);
        keyboard->Acquire();
        ctx.keyboardDevice = keyboard;
    } else {
        Warn(ctx, "Don't create KeyBoard Device");
    }
    platform::InputDevice* mouse = input->CreateDevice(platform::InputDeviceKind::Mouse);
    if (!mouse) {
        Warn(ctx, "Don't create Mouse Device");
        return;
    }
    if (FAILED(mouse->SetDataFormat())) {
        Warn(ctx, "Don't set Mouse Format");
        return;
    }
    if (FAILED(mouse->SetCooperativeLevel(true))) {
        Warn(ctx, "Don't set Mouse Cooperative Level");
        return;
    }
    mouse->Acquire();
    ctx.mouseDevice = mouse;
}

void ShutdownInputDevices(GameContext& ctx) {
    if (ctx.keyboardDevice) ctx.keyboardDevice->Unacquire();
    if (ctx.mouseDevice) ctx.mouseDevice->Unacquire();
    if (platform::InputDevices* input = ctx.inputDevices()) input->ReleaseDevices();
    ctx.keyboardDevice = nullptr;
    ctx.mouseDevice = nullptr;
}

}  // namespace dw
