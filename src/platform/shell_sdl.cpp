// The real window: SDL2 with an OpenGL 3.3 core or OpenGL ES 3.0 context.
#include <SDL.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <deque>

#ifndef __EMSCRIPTEN__
#include <epoxy/gl.h>
#endif

#include "platform/gl_drawable_size.h"
#include "platform/shell.h"
#include "platform/web_page.h"

namespace platform {

namespace {

constexpr const char* kWindowClass = "duskwhirl";

// While a message box waits, an interrupt or a kill (SIGINT, SIGTERM) ends
// the program as it would one without a window. SDL's own handlers only queue
// a quit, which the box's loop never reads: the box outlived every kill. The
// boxes are shown at the start or at the end, with nothing left to save.
class SignalsEndTheProgram {
public:
    SignalsEndTheProgram() {
#ifdef _WIN32
        for (int i = 0; i < 2; ++i) old_[i] = std::signal(kSignals[i], SIG_DFL);
#else
        struct sigaction plain {};
        plain.sa_handler = SIG_DFL;
        sigemptyset(&plain.sa_mask);
        for (int i = 0; i < 2; ++i) sigaction(kSignals[i], &plain, &old_[i]);
#endif
    }
    ~SignalsEndTheProgram() {
        for (int i = 0; i < 2; ++i) {
#ifdef _WIN32
            std::signal(kSignals[i], old_[i]);
#else
            sigaction(kSignals[i], &old_[i], nullptr);
#endif
        }
    }
    SignalsEndTheProgram(const SignalsEndTheProgram&) = delete;
    SignalsEndTheProgram& operator=(const SignalsEndTheProgram&) = delete;

private:
    static constexpr int kSignals[2] = {SIGINT, SIGTERM};
#ifdef _WIN32
    void (*old_[2])(int) = {};
#else
    struct sigaction old_[2]{};
#endif
};

class SdlShell final : public Shell {
public:
    // The browser's WebGL 2 is always OpenGL ES 3.0.
    explicit SdlShell(GlContextKind kind) : es_(kInBrowser || kind == GlContextKind::Es30) {}
    ~SdlShell() override {
        ReleaseGraphicsContext();
        DestroyMainWindow();
        if (videoUp_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    bool CreateMainWindow(const WindowConfig& config, DeviceError& error) override {
        error = DeviceError::None;
        if (es_) {
            // ES through EGL, also on X (where SDL would take GLX), and
            // from the ES library rather than desktop GL's.
            SDL_SetHint(SDL_HINT_VIDEO_X11_FORCE_EGL, "1");
            SDL_SetHint(SDL_HINT_OPENGL_ES_DRIVER, "1");
        }
        if (!InitVideo()) {
            std::fprintf(stderr, "duskwhirl: no display available (%s)\n", SDL_GetError());
            error = DeviceError::NoDisplay;
            return false;
        }
        title_ = config.title;
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, es_ ? 0 : 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, es_ ? SDL_GL_CONTEXT_PROFILE_ES : SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        // No depth in the window: the device keeps depth off screen for the
        // rare frame that tests it, and flat frames stay cheap to fill.
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
        Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE;
        if (config.fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        // A window never larger than the desktop can show: the size asked
        // for, or the one remembered, is cut to the usable area.
        int width = config.width, height = config.height;
        SDL_Rect usable{};
        if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0) {
            width = std::min(width, usable.w);
            height = std::min(height, usable.h);
        }
        window_ = SDL_CreateWindow(config.title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width,
                                   height, flags);
        if (!window_) {
            std::fprintf(stderr, "duskwhirl: cannot open an %s window (%s)\n", ApiName(), SDL_GetError());
            error = DeviceError::NoGraphicsApi;
            return false;
        }
        SDL_SetWindowMinimumSize(window_, 100, 100);
        return true;
    }

    bool CreateGraphicsContext(DeviceError& error) override {
        error = DeviceError::None;
        if (!window_) {
            error = DeviceError::NoDisplay;
            return false;
        }
        if (!context_) {
            context_ = SDL_GL_CreateContext(window_);
            if (!context_) {
                std::fprintf(stderr, "duskwhirl: %s is not available (%s)\n", ApiName(), SDL_GetError());
                error = DeviceError::NoGraphicsApi;
                return false;
            }
            if (!ContextIsAsAsked()) {
                SDL_GL_DeleteContext(context_);
                context_ = nullptr;
                error = DeviceError::NoGraphicsApi;
                return false;
            }
            SDL_GL_SetSwapInterval(vsync_ ? 1 : 0);
        }
        SDL_GL_MakeCurrent(window_, context_);
        AskRealSize();
        return true;
    }

    void SwapWindow() override {
        if (window_) SDL_GL_SwapWindow(window_);
    }

    void ReleaseGraphicsContext() override {
        realWidth_ = realHeight_ = 0;
        if (context_) {
            SDL_GL_DeleteContext(context_);
            context_ = nullptr;
        }
    }

    void DestroyMainWindow() override {
        if (window_) {
            SDL_SetRelativeMouseMode(SDL_FALSE);
            SDL_DestroyWindow(window_);
            window_ = nullptr;
        }
    }

    bool PollEvent(ShellEvent& event) override {
        for (;;) {
            if (!pending_.empty()) {
                event = pending_.front();
                pending_.pop_front();
                return true;
            }
            // In the browser Escape takes the pointer lock away: as a focus
            // loss and return on the desktop, the game pauses.
            if (PointerLockLost()) {
                Push(ShellEventType::Deactivate);
                Push(ShellEventType::Activate);
                continue;
            }
            SDL_Event e;
            if (!SDL_PollEvent(&e)) return false;
            Translate(e);
        }
    }

    bool WaitEvent(ShellEvent& event, std::uint32_t timeoutMs) override {
        if (PollEvent(event)) return true;
        SDL_Event e;
        if (!SDL_WaitEventTimeout(&e, static_cast<int>(timeoutMs))) return false;
        Translate(e);
        return PollEvent(event);
    }

    void PostClose() override { pending_.push_back(ShellEvent{ShellEventType::Close, 0, 0}); }

    bool IsFullscreen() const override { return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0; }

    bool SetFullscreen(bool fullscreen) override {
        if (!window_) return false;
        const bool ok = SDL_SetWindowFullscreen(window_, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
        AskRealSize();
        return ok;
    }

    void Minimise() override {
        if (window_) SDL_MinimizeWindow(window_);
    }

    void SetVsync(bool on) override {
        vsync_ = on;
        if (context_) SDL_GL_SetSwapInterval(on ? 1 : 0);
    }

    bool HasFocus() const override { return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0; }

    void DrawableSize(int& width, int& height) const override {
        width = height = 0;
        if (!window_) return;
        SDL_GL_GetDrawableSize(window_, &width, &height);
        if (realWidth_ > 0 && realHeight_ > 0) {
            width = realWidth_;
            height = realHeight_;
        }
    }

    void DesktopSize(int& width, int& height) const override {
        SDL_DisplayMode mode{};
        if (!const_cast<SdlShell*>(this)->InitVideo()) {
            width = 800;
            height = 600;
            return;
        }
        const int display = window_ ? SDL_GetWindowDisplayIndex(window_) : 0;
        if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &mode) == 0) {
            width = mode.w;
            height = mode.h;
        } else {
            width = 800;
            height = 600;
        }
    }

    void MessageBox(const std::string& caption, const std::string& text, bool error) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        if (ShowOnPage(caption, text, error)) return;  // in the browser
        // One button that Enter and Escape both press.
        const SDL_MessageBoxButtonData ok{
            SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "OK"};
        SDL_MessageBoxData box{};
        box.flags = error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_WARNING;
        box.window = window_;
        box.title = caption.c_str();
        box.message = text.c_str();
        box.numbuttons = 1;
        box.buttons = &ok;
        int pressed = 0;
        const SignalsEndTheProgram ending;
        SDL_ShowMessageBox(&box, &pressed);
    }

    void SetWindowIcon(const std::uint8_t* rgba, int width, int height) override {
        if (!window_ || !rgba || width <= 0 || height <= 0) return;
        // RGBA in byte order, whatever the machine's.
        SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint8_t*>(rgba), width, height, 32,
                                                               width * 4, SDL_PIXELFORMAT_RGBA32);
        if (!icon) return;
        SDL_SetWindowIcon(window_, icon);
        SDL_FreeSurface(icon);
    }

private:
    bool vsync_ = true;
    bool InitVideo() {
        if (!videoUp_ && !triedVideo_) {
            triedVideo_ = true;
            // The window's class (X11) and application id (Wayland) are the
            // desktop entry's StartupWMClass, whatever the program file is
            // called; a value the user set is kept.
            SDL_setenv("SDL_VIDEO_X11_WMCLASS", kWindowClass, 0);
            SDL_setenv("SDL_VIDEO_WAYLAND_WMCLASS", kWindowClass, 0);
            videoUp_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
            // SDL falls back to drivers that show nothing; without a real
            // display the player would stare at nothing, so that counts as
            // no display (unless those drivers were asked for by name).
            const char* driver = videoUp_ ? SDL_GetCurrentVideoDriver() : nullptr;
            const char* asked = SDL_getenv("SDL_VIDEODRIVER");
            if (driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0) &&
                !(asked && SDL_strcasecmp(asked, driver) == 0)) {
                SDL_QuitSubSystem(SDL_INIT_VIDEO);
                SDL_SetError("no window system (only the \"%s\" video driver)", driver);
                videoUp_ = false;
            }
        }
        return videoUp_;
    }

    // The context SDL made is the API asked for, at its version or later;
    // else says what it got.
    bool ContextIsAsAsked() const {
#ifdef __EMSCRIPTEN__
        return true;
#else
        if (epoxy_is_desktop_gl() != es_ && epoxy_gl_version() >= (es_ ? 30 : 33)) return true;
        std::fprintf(stderr, "duskwhirl: %s is not available (got %s%d.%d)\n", ApiName(),
                     epoxy_is_desktop_gl() ? "" : "ES ", epoxy_gl_version() / 10, epoxy_gl_version() % 10);
        return false;
#endif
    }

    // SDL takes a full-screen request for done at once; without a window
    // manager to carry it out the window keeps its old size. On X the
    // server knows the truth: the size of the drawable the context draws to.
    void AskRealSize() {
        realWidth_ = realHeight_ = 0;
        if (!context_ || SDL_strcmp(SDL_GetCurrentVideoDriver(), "x11") != 0) return;
        int w = 0, h = 0;
        if (es_ ? CurrentEglSurfaceSize(w, h) : CurrentGlxDrawableSize(w, h)) {
            realWidth_ = w;
            realHeight_ = h;
        }
    }

    void Push(ShellEventType type, int w = 0, int h = 0) { pending_.push_back(ShellEvent{type, w, h}); }

    void Translate(const SDL_Event& e) {
        switch (e.type) {
            case SDL_QUIT: Push(ShellEventType::Close); break;
            case SDL_WINDOWEVENT:
                switch (e.window.event) {
                    case SDL_WINDOWEVENT_CLOSE: Push(ShellEventType::Close); break;
                    case SDL_WINDOWEVENT_FOCUS_GAINED: Push(ShellEventType::Activate); break;
                    case SDL_WINDOWEVENT_FOCUS_LOST: Push(ShellEventType::Deactivate); break;
                    case SDL_WINDOWEVENT_MINIMIZED:
                    case SDL_WINDOWEVENT_HIDDEN: Push(ShellEventType::Minimised); break;
                    case SDL_WINDOWEVENT_RESTORED:
                    case SDL_WINDOWEVENT_SHOWN: Push(ShellEventType::Restored); break;
                    case SDL_WINDOWEVENT_EXPOSED: Push(ShellEventType::Expose); break;
                    case SDL_WINDOWEVENT_SIZE_CHANGED: {
                        AskRealSize();
                        int w = 0, h = 0;
                        DrawableSize(w, h);
                        Push(ShellEventType::Resized, w, h);
                        break;
                    }
                    default: break;
                }
                break;
            case SDL_KEYDOWN:
                if (e.key.repeat) break;
                if ((e.key.keysym.scancode == SDL_SCANCODE_RETURN || e.key.keysym.scancode == SDL_SCANCODE_KP_ENTER) &&
                    (e.key.keysym.mod & KMOD_ALT)) {
                    Push(ShellEventType::ToggleFullscreen);
                } else if (e.key.keysym.scancode == SDL_SCANCODE_SPACE && (e.key.keysym.mod & KMOD_CTRL)) {
                    Push(ShellEventType::StopSoundMinimise);
                } else if (e.key.keysym.scancode == SDL_SCANCODE_F12 ||
                           e.key.keysym.scancode == SDL_SCANCODE_PRINTSCREEN) {
                    Push(ShellEventType::Screenshot);
                }
                break;
            default: break;
        }
    }

    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    std::deque<ShellEvent> pending_;
    const char* ApiName() const { return es_ ? "OpenGL ES 3.0" : "OpenGL 3.3 core"; }

    bool es_;
    std::string title_;
    bool videoUp_ = false;
    bool triedVideo_ = false;
    int realWidth_ = 0, realHeight_ = 0;  // the window's size as the X server has it
};

}  // namespace

std::unique_ptr<Shell> CreateSdlShell(GlContextKind kind) { return std::make_unique<SdlShell>(kind); }

}  // namespace platform
