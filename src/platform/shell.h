#pragma once
// Window seam: the one window, its events, its GL context and message
// boxes. The SDL implementation opens a real window with an OpenGL 3.3 core
// or OpenGL ES 3.0 context; the null implementation has no window at all and takes its events
// from a queue that tests (or the headless runner) fill. The graphics device
// that draws to the context is the gfx layer's (gfx/gl/window_device.h).
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// What happened to the window, already translated from the platform's
// events (the accelerators included).
enum class ShellEventType {
    Close,              // the user closes the window (or PostClose was called)
    Activate,           // the window got the input focus
    Deactivate,         // the window lost the input focus
    Minimised,          // iconified or hidden: frames stop
    Restored,           // shown again after Minimised
    Resized,            // the drawable size changed (windowed)
    Expose,             // the window needs its last frame again
    ToggleFullscreen,   // Alt+Enter
    StopSoundMinimise,  // Ctrl+Space
    Screenshot,         // F12 or Print Screen
};

struct ShellEvent {
    ShellEventType type = ShellEventType::Expose;
    int width = 0, height = 0;  // Resized: the new drawable size
};

struct WindowConfig {
    std::string title = "Duskwhirl 2";
    int width = 800;
    int height = 600;
    bool fullscreen = false;
};

// Why the graphics device could not be made.
enum class DeviceError {
    None,
    NoDisplay,      // no window system at all
    NoGraphicsApi,  // no graphics API of the required version
    OutOfMemory,
    Generic,
};

class Shell {
public:
    virtual ~Shell() = default;

    // Opens the window (hidden devices keep to the null one). False with
    // `error` set when there is no display.
    virtual bool CreateMainWindow(const WindowConfig& config, DeviceError& error) = 0;
    // Makes the window's GL context (once) and makes it current. False with
    // `error` set when the window has none of the version asked for.
    virtual bool CreateGraphicsContext(DeviceError& error) = 0;
    // Releases the context (after the device that drew to it, before the window goes).
    virtual void ReleaseGraphicsContext() = 0;
    // Shows the frame drawn to the context.
    virtual void SwapWindow() {}
    virtual void DestroyMainWindow() = 0;

    // Next pending event; false when none is waiting.
    virtual bool PollEvent(ShellEvent& event) = 0;
    // Waits (at most `timeoutMs`) for the next event; false on time-out.
    virtual bool WaitEvent(ShellEvent& event, std::uint32_t timeoutMs) = 0;
    // Queues a Close event (the quit request's path).
    virtual void PostClose() = 0;

    virtual bool IsFullscreen() const = 0;
    // Switches between full screen (at the desktop size) and the window.
    virtual bool SetFullscreen(bool fullscreen) = 0;
    virtual void Minimise() = 0;
    // Vertical sync of the presents, on or off (at once).
    virtual void SetVsync(bool) {}
    virtual bool HasFocus() const = 0;
    // Size of the drawable in pixels (the back buffer).
    virtual void DrawableSize(int& width, int& height) const = 0;
    // Desktop size of the display the window is on.
    virtual void DesktopSize(int& width, int& height) const = 0;

    // Modal message box with the window title as its caption.
    virtual void MessageBox(const std::string& caption, const std::string& text, bool error) = 0;
    // The window's icon: width x height straight-alpha RGBA bytes, top row
    // first. Ignored while there is no window.
    virtual void SetWindowIcon(const std::uint8_t* rgba, int width, int height) = 0;
};

// Which GL the SDL window's context is: desktop OpenGL 3.3 core, or OpenGL ES
// 3.0 through EGL (what single-board computers and browsers have).
enum class GlContextKind { Desktop33, Es30 };

// SDL2 window with a GL context of that kind.
std::unique_ptr<Shell> CreateSdlShell(GlContextKind kind = GlContextKind::Desktop33);

// No window and no GL context: the session draws with a device it is handed
// (a recording device in tests); events come from Push; message boxes are recorded.
class NullShell final : public Shell {
public:
    explicit NullShell(int width = 800, int height = 600);

    bool CreateMainWindow(const WindowConfig& config, DeviceError& error) override;
    bool CreateGraphicsContext(DeviceError& error) override;
    void ReleaseGraphicsContext() override {}
    void DestroyMainWindow() override;
    bool PollEvent(ShellEvent& event) override;
    bool WaitEvent(ShellEvent& event, std::uint32_t timeoutMs) override;
    void PostClose() override;
    bool IsFullscreen() const override { return fullscreen_; }
    bool SetFullscreen(bool fullscreen) override;
    void Minimise() override;
    void SetVsync(bool on) override { vsync = on; }
    bool HasFocus() const override { return focus_; }
    void DrawableSize(int& width, int& height) const override;
    void DesktopSize(int& width, int& height) const override;
    void MessageBox(const std::string& caption, const std::string& text, bool error) override;
    void SetWindowIcon(const std::uint8_t* rgba, int width, int height) override;

    // Test side.
    void Push(const ShellEvent& event) { events_.push_back(event); }
    void Push(ShellEventType type) { events_.push_back(ShellEvent{type, 0, 0}); }
    // Changes the drawable size and queues the Resized event.
    void Resize(int width, int height);
    void SetFocus(bool focus) { focus_ = focus; }

    bool windowOpen = false;
    bool minimised = false;
    bool vsync = true;
    int desktopWidth = 1280, desktopHeight = 960;
    DeviceError failDevice = DeviceError::None;  // make CreateGraphicsContext fail
    std::string lastMessageCaption, lastMessageText;
    int messageBoxes = 0;
    int iconWidth = 0, iconHeight = 0;  // the last icon set (0: none)
    std::vector<std::uint8_t> iconRgba;

private:
    std::deque<ShellEvent> events_;
    int width_, height_;
    int savedWidth_ = 0, savedHeight_ = 0;
    bool fullscreen_ = false;
    bool focus_ = true;
};

}  // namespace platform
