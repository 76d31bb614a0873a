#include "platform/shell.h"

namespace platform {

NullShell::NullShell(int width, int height) : width_(width), height_(height) {}

bool NullShell::CreateMainWindow(const WindowConfig& config, DeviceError& error) {
    error = DeviceError::None;
    width_ = config.width;
    height_ = config.height;
    windowOpen = true;
    if (config.fullscreen) SetFullscreen(true);
    return true;
}

bool NullShell::CreateGraphicsContext(DeviceError& error) {
    error = failDevice;
    return failDevice == DeviceError::None;
}

void NullShell::DestroyMainWindow() { windowOpen = false; }

bool NullShell::PollEvent(ShellEvent& event) {
    if (events_.empty()) return false;
    event = events_.front();
    events_.pop_front();
    return true;
}

bool NullShell::WaitEvent(ShellEvent& event, std::uint32_t) { return PollEvent(event); }

void NullShell::PostClose() { Push(ShellEventType::Close); }

bool NullShell::SetFullscreen(bool fullscreen) {
    if (fullscreen == fullscreen_) return true;
    if (fullscreen) {
        savedWidth_ = width_;
        savedHeight_ = height_;
        width_ = desktopWidth;
        height_ = desktopHeight;
    } else if (savedWidth_ > 0) {
        width_ = savedWidth_;
        height_ = savedHeight_;
    }
    fullscreen_ = fullscreen;
    return true;
}

void NullShell::Minimise() {
    minimised = true;
    Push(ShellEventType::Minimised);
}

void NullShell::DrawableSize(int& width, int& height) const {
    width = width_;
    height = height_;
}

void NullShell::DesktopSize(int& width, int& height) const {
    width = desktopWidth;
    height = desktopHeight;
}

void NullShell::MessageBox(const std::string& caption, const std::string& text, bool) {
    lastMessageCaption = caption;
    lastMessageText = text;
    ++messageBoxes;
}

void NullShell::SetWindowIcon(const std::uint8_t* rgba, int width, int height) {
    if (!windowOpen || !rgba || width <= 0 || height <= 0) return;
    iconWidth = width;
    iconHeight = height;
    iconRgba.assign(rgba, rgba + static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
}

void NullShell::Resize(int width, int height) {
    width_ = width;
    height_ = height;
    Push(ShellEvent{ShellEventType::Resized, width, height});
}

}  // namespace platform
