#pragma once
// The application shell: the window and its events, the graphics device,
// the managers and the first objects, the frame (time, move, draw, present)
// and the tear-down in a fixed order. The window comes from the platform
// seams (platform::Shell); the graphics device is the one handed in with
// them, or else an OpenGL device on the window's context.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/settings.h"
#include "platform/d3d_types.h"
#include "gfx/device.h"

namespace platform {
class Shell;
struct ShellEvent;
enum class DeviceError;
}  // namespace platform

namespace dw {

class GameContext;
class ListEngine;
class Log;
class MeshCache;
class RenderQueue;
class SoundCache;
class TextureCache;

// Message texts of the framework's failures.
namespace app_text {
inline constexpr char kMediaNotFound[] = "Could not load required media.";
inline constexpr char kResetFailed[] = "Could not reset the Direct3D device.";
inline constexpr char kOutOfMemory[] = "Not enough memory.";
inline constexpr char kOutOfVideoMemory[] = "Not enough video memory.";
inline constexpr char kGeneric[] = "Generic application error. Enable\ndebug output for detailed information.";
inline constexpr char kWillExit[] = "\n\nThis application will now exit.";
}  // namespace app_text

class Application {
public:
    explicit Application(GameContext* ctx);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // --- the framework ----------------------------------------------------
    // Window, device, managers, first objects. S_OK, or a failure after the
    // message was shown (the caller exits).
    HRESULT Create();
    // One pass of the loop: the waiting events, one frame when active and
    // ready, then the events that frame raised (a quit request closes at the
    // end of its own frame). False once the window has closed.
    bool Step();
    void HandleEvent(const platform::ShellEvent& event);
    // One frame: device test, FrameMove, Render, Present. It never waits:
    // the pace of the frames is the driver's (app/program.h).
    HRESULT Render3DEnvironment();
    // Invalidate, device Reset at the drawable size, Restore.
    HRESULT Resize3DEnvironment();
    // Switches between full screen and the window, then resets the device.
    HRESULT ToggleFullscreen();
    // Carries out what the display page asked for (full screen, the
    // picture's shape, vertical sync); keeps the context's view of the
    // window up to date.
    HRESULT ApplyDisplayChange();
    // The close path: device objects, device, final clean-up, window.
    void Shutdown();

    // --- the game's steps -------------------------------------------------
    std::int32_t InitScene();
    // Creates the managers and stores them in the Game context.
    std::int32_t OneTimeSceneInit();
    std::int32_t RestoreDeviceObjects();
    // Per-frame update: time ring and average, screen size, mouse
    // re-acquire, the object pass, the quit request.
    std::int32_t FrameMove();
    // Per-frame drawing: objects submit, the Render queue draws and empties.
    std::int32_t Render();
    std::int32_t InvalidateDeviceObjects();
    std::int32_t DeleteDeviceObjects();
    std::int32_t FinalCleanup();
    void StopSound();
    // Stops sound, destroys every object and manager, stops the systems.
    void ShutdownGame();
    void OnDeactivate();
    void OnActivate();
    // Play loses the focus or the window is minimised: to the menu.
    void PauseOnFocusLoss();

    // Shows a message box with the window title; `fatal` adds the exit note.
    void ShowError(const char* text, bool fatal);
    static const char* DeviceErrorText(platform::DeviceError error);
    // The device handed in with the seams, or an OpenGL device made on the
    // window; null with `error` set.
    gfx::Device* OpenDevice(platform::DeviceError& error);
    // The window's device and its context go (a device handed in stays its owner's).
    void ReleaseDevice();

    // Back-buffer size (the device's when there is one).
    std::int32_t backBufferWidth = 800;
    std::int32_t backBufferHeight = 600;
    // Set when a frame's FrameMove saw quitRequest: the window closes.
    bool closeRequested = false;

    GameContext* context;
    // The managers, owned here; the Game context names them while they live.
    std::unique_ptr<ListEngine> objectList;
    std::unique_ptr<Log> log;
    CreationSize creation;
    const char* windowTitle = "Duskwhirl 2";

    // Framework state.
    platform::Shell* shell = nullptr;  // services().shell at Create
    gfx::Device* device = nullptr;
    std::unique_ptr<gfx::Device> windowDevice;  // the device made on the window, when none was handed in
    bool active = false;                        // not minimised: frames run
    bool ready = false;                         // created and not shut down
    bool frameMoving = true;
    bool closed = false;  // the window has gone (Shutdown ran)
    int exitStatus = 0;

    // Start-up choices of the session: stay in the window (no switch to full
    // screen at the end of InitScene), and the random seed (decided with the
    // session's configuration, app/session_config.h).
    bool startWindowed = false;
    std::uint32_t seed = 0;
    // Write the window's size and full-screen state to the settings at the
    // close (the windowed runs, not replays or headless ones).
    bool rememberWindow = false;
    // Frames run so far (the frame counter of reports and tests).
    std::uint64_t frameCount = 0;
    // Called once when the close path starts, while the device, the objects
    // and the last frame still exist (end-of-run reports, screenshots).
    std::function<void()> onShutdown;

    // The back buffer for the window's drawable as it is now: the whole of
    // it with Stretch=1, else the largest 4:3 picture in it.
    gfx::PresentParameters PictureParameters() const;

private:
    void UpdateBackBufferSize();
    std::unique_ptr<MeshCache> meshCache_, preparedMeshCache_;
    std::unique_ptr<TextureCache> textureCache_;
    std::unique_ptr<SoundCache> soundCache_;
    std::unique_ptr<RenderQueue> renderQueue_;
    // The window's size while it is not full screen (for the settings).
    int windowedWidth_ = 0, windowedHeight_ = 0;
    std::uint8_t vsync_ = 1;
    // The screenshot key: the next presented frame is written.
    bool screenshotPending_ = false;
    bool captureBefore_ = false;
};

// Creates the first objects of the scene in their fixed order and adds each
// to the object list at once (scene_init.cpp).
void CreateFirstObjects(GameContext& ctx);

}  // namespace dw
