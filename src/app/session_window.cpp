// The session's window and graphics device: opening them, the window's
// events, the picture's size and shape, full screen, the close path.
#include <algorithm>
#include <string>

#include "app/session.h"
#include "core/game_context.h"
#include "core/settings.h"
#include "engine/list_engine.h"
#include "gfx/device.h"
#include "gfx/gl/window_device.h"
#include "platform/shell.h"

namespace dw {

namespace {
const char* DeviceErrorText(platform::DeviceError error) {
    return error == platform::DeviceError::OutOfMemory ? app_text::kOutOfMemory : app_text::kGeneric;
}

constexpr char kWindowTitle[] = "Duskwhirl 2";
}  // namespace

void Session::ShowError(const char* text, bool fatal) {
    std::string message = text;
    if (fatal) message += app_text::kWillExit;
    if (shell_) shell_->MessageBox(kWindowTitle, message, true);
}

bool Session::OpenWindow() {
    shell_ = services_.shell;
    platform::WindowConfig window;
    window.title = kWindowTitle;
    window.width = static_cast<int>(creation_.width);
    window.height = static_cast<int>(creation_.height);
    window.fullscreen = false;
    platform::DeviceError error = platform::DeviceError::None;
    if (!shell_->CreateMainWindow(window, error)) {
        closed_ = true;
        exitStatus_ = 1;
        return false;
    }

    MakeManagers();

    device_ = OpenDevice(error);
    if (!device_) {
        // Without a display or the graphics API there is nobody to show a
        // box to: the shell has said why on stderr.
        if (error != platform::DeviceError::NoDisplay && error != platform::DeviceError::NoGraphicsApi)
            ShowError(DeviceErrorText(error), true);
        ShutdownGame();
        shell_->DestroyMainWindow();
        closed_ = true;
        exitStatus_ = 1;
        return false;
    }
    // The game draws at the size the window really got.
    const gfx::PresentParameters picture = PictureParameters();
    if (picture.backBufferWidth != device_->BackBufferWidth() ||
        picture.backBufferHeight != device_->BackBufferHeight() || !picture.keepAspect)
        device_->Reset(picture);
    if (!shell_->IsFullscreen()) shell_->DrawableSize(windowedWidth_, windowedHeight_);
    vsync_ = context_->display.vsync;
    shell_->SetVsync(vsync_ != 0);
    context_->display.fullscreen = shell_->IsFullscreen() ? 1 : 0;
    RestoreDeviceObjects();
    active_ = true;
    InitScene();
    ready_ = true;
    return true;
}

gfx::Device* Session::OpenDevice(platform::DeviceError& error) {
    gfx::Device* given = services_.device;
    if (!given) {
        windowDevice_ = gfx::OpenWindowDevice(*shell_, error);
        return windowDevice_.get();
    }
    // A device handed in (a recording one, or the window's lent to a demo)
    // draws at the shell's size.
    if (!shell_->CreateGraphicsContext(error)) return nullptr;
    int width = 0, height = 0;
    shell_->DrawableSize(width, height);
    gfx::PresentParameters params;
    params.backBufferWidth = static_cast<std::uint32_t>(width);
    params.backBufferHeight = static_cast<std::uint32_t>(height);
    params.windowed = !shell_->IsFullscreen();
    given->Reset(params);
    return given;
}

void Session::ReleaseDevice() {
    windowDevice_.reset();
    if (shell_) shell_->ReleaseGraphicsContext();
}

void Session::PictureToContext() {
    GameContext& c = *context_;
    c.screenWidth = static_cast<std::int32_t>(device_->BackBufferWidth());
    c.screenHeight = static_cast<std::int32_t>(device_->BackBufferHeight());
    c.device = device_;
}

void Session::PollEvents() {
    platform::ShellEvent event;
    while (!closed_ && shell_->PollEvent(event)) HandleEvent(event);
}

void Session::HandleEvent(const platform::ShellEvent& event) {
    using T = platform::ShellEventType;
    switch (event.type) {
        case T::Close: Shutdown(); break;
        case T::Activate: context_->appInactive = 0; break;
        case T::Deactivate:
            context_->appInactive = 1;
            PauseOnFocusLoss();
            break;
        case T::Minimised:
            PauseOnFocusLoss();
            active_ = false;
            break;
        case T::Restored:
            active_ = true;
            FollowDrawable();
            break;
        case T::Resized: FollowDrawable(); break;
        case T::Expose: break;  // the next frame draws the window again
        case T::ToggleFullscreen:
            if (ready_ && FAILED(ToggleFullscreen())) FailReset();
            break;
        case T::StopSoundMinimise:
            StopSound();
            shell_->Minimise();
            break;
        case T::Screenshot:
            if (device_ && !screenshotPending_) {
                screenshotPending_ = true;
                captureBefore_ = device_->CaptureOnPresent();
                device_->SetCaptureOnPresent(true);
            }
            break;
    }
}

void Session::FollowDrawable() {
    // A size that changed while minimised counts when the window comes back.
    int w = 0, h = 0;
    shell_->DrawableSize(w, h);
    if (w > 0 && h > 0 && !shell_->IsFullscreen()) {
        windowedWidth_ = w;
        windowedHeight_ = h;
    }
    const gfx::PresentParameters picture = PictureParameters();
    if (active_ && ready_ && device_ && w > 0 && h > 0 &&
        (picture.backBufferWidth != device_->BackBufferWidth() ||
         picture.backBufferHeight != device_->BackBufferHeight()) &&
        FAILED(ResetPicture()))
        FailReset();
}

void Session::FailReset() {
    ShowError(app_text::kResetFailed, true);
    exitStatus_ = 1;
    Shutdown();
}

HRESULT Session::ResetPicture() {
    if (!device_) return E_FAIL;
    const gfx::PresentParameters params = PictureParameters();
    InvalidateDeviceObjects();
    const HRESULT hr = device_->Reset(params);
    if (FAILED(hr)) return hr;
    RestoreDeviceObjects();
    return S_OK;
}

gfx::PresentParameters Session::PictureParameters() const {
    gfx::PresentParameters params;
    int w = 0, h = 0;
    if (shell_) shell_->DrawableSize(w, h);
    w = w > 0 ? w : 1;
    h = h > 0 ? h : 1;
    params.keepAspect = !creation_.stretch;
    if (params.keepAspect) {
        // 4:3 at most as wide or as tall as the drawable.
        if (static_cast<std::int64_t>(w) * 3 > static_cast<std::int64_t>(h) * 4)
            w = std::max(1, (h * 4 + 1) / 3);
        else
            h = std::max(1, (w * 3 + 2) / 4);
    }
    params.backBufferWidth = static_cast<std::uint32_t>(w);
    params.backBufferHeight = static_cast<std::uint32_t>(h);
    params.windowed = !(shell_ && shell_->IsFullscreen());
    return params;
}

HRESULT Session::ToggleFullscreen() {
    if (!shell_ || !device_) return E_FAIL;
    if (!shell_->IsFullscreen()) shell_->DrawableSize(windowedWidth_, windowedHeight_);
    if (!shell_->SetFullscreen(!shell_->IsFullscreen())) return E_FAIL;
    return ResetPicture();
}

HRESULT Session::ApplyDisplayChange() {
    GameContext& c = *context_;
    if (!c.displayChangeRequest) {
        c.display.fullscreen = shell_->IsFullscreen() ? 1 : 0;
        return S_OK;
    }
    c.displayChangeRequest = 0;
    if (c.display.vsync != vsync_) {
        vsync_ = c.display.vsync;
        shell_->SetVsync(vsync_ != 0);
    }
    const bool stretch = c.display.stretch != 0;
    const bool toggle = (c.display.fullscreen != 0) != shell_->IsFullscreen();
    if (stretch == creation_.stretch && !toggle) return S_OK;
    creation_.stretch = stretch;
    const HRESULT hr = toggle ? ToggleFullscreen() : ResetPicture();
    c.display.fullscreen = shell_->IsFullscreen() ? 1 : 0;
    return hr;
}

void Session::Shutdown() {
    if (closed_) return;
    if (onShutdown_) {
        auto hook = std::move(onShutdown_);
        onShutdown_ = nullptr;
        hook();
    }
    active_ = false;
    ready_ = false;
    if (config_.rememberWindow && shell_)
        WriteWindowSettings(*context_, static_cast<std::uint32_t>(windowedWidth_),
                            static_cast<std::uint32_t>(windowedHeight_), shell_->IsFullscreen());
    if (device_) {
        InvalidateDeviceObjects();
        DeleteDeviceObjects();
        ReleaseDevice();
        device_ = nullptr;
        context_->device = nullptr;
    }
    FinalCleanup();
    if (shell_) shell_->DestroyMainWindow();
    closed_ = true;
}

}  // namespace dw
