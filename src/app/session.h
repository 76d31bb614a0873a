#pragma once
// One session of the game on the devices it is given, and the owner of its
// frames: the Game context and its managers (object list, asset caches,
// render queue, log), the window and the graphics device, the frame (input,
// clock, window events, the objects' move and drawing, present) and what a
// run adds frame by frame (a replayed demo or the built-in player at the
// input, the recorder, the frame timer, the start straight into a level,
// the games kept as replays). Headless runs, windows, recordings, replays,
// the autopilot, the timedemo, the attract mode's demos and the tests'
// games are all this class over different devices:
//
//   Session session(devices, &script, config);        // a window's seams
//   Session session(HeadlessOptions{...}, config);     // headless devices of its own
//   if (!session.Start(error)) ...;
//   while (session.Step()) ...;          // one frame each
//   session.Close();
//
// Its parts live in three files: the start and the step (session.cpp), the
// window and the device (session_window.cpp), the scene and its frame
// (session_scene.cpp).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/arsenal.h"
#include "app/autopilot.h"
#include "app/demo.h"
#include "app/game_replays.h"
#include "app/headless_devices.h"
#include "app/run_plan.h"
#include "app/session_config.h"
#include "app/timedemo.h"
#include "core/settings.h"
#include "platform/d3d_types.h"
#include "platform/services.h"

namespace gfx {
class Device;
struct PresentParameters;
}  // namespace gfx
namespace platform {
class MemorySettingsStore;
class ScriptedInput;
class Shell;
struct DataSearch;
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

// The start of a run straight into a level, the same for a recording, its
// replay and the autopilot: after a few frames the splash is left and the
// level asked for as the menu would ask, with the header's arsenal, which
// the Game table hands the ship once it is in.
class LevelStarter {
public:
    explicit LevelStarter(const DemoHeader& header) : header_(header) {}
    // After frame `steps` (counted from 1).
    void AfterFrame(GameContext& c, std::uint64_t steps);

private:
    DemoHeader header_;
};

// The settings a demo was recorded with (those that change play); the rest
// at their defaults.
std::unique_ptr<platform::MemorySettingsStore> ReplaySettings(const DemoHeader& header);

// Message texts of the session's failures.
namespace app_text {
inline constexpr char kResetFailed[] = "Could not reset the Direct3D device.";
inline constexpr char kOutOfMemory[] = "Not enough memory.";
inline constexpr char kGeneric[] = "Generic application error. Enable\ndebug output for detailed information.";
inline constexpr char kWillExit[] = "\n\nThis application will now exit.";
}  // namespace app_text

// The log, the user directory's check and the settings of a start: the log
// is opened (and named in the Game context), a user directory that cannot
// be written is said once, what killed saves left behind is removed, and
// the settings are read into the context. Returns the log and the window's
// size and shape the settings ask for.
std::unique_ptr<Log> OpenLogAndReadSettings(GameContext& c, CreationSize& creation);
// The frame's time ring: the step since the last frame (a stall counts as
// the longest frame at most), the ring's average, the clocks moved to `now`.
void AdvanceFrameTime(GameContext& c, std::uint32_t now);

class Session {
public:
    // `devices` (every seam but `device`, which the window makes) and
    // `script` (the input a replay or the autopilot drives; may be null
    // when neither is asked) must outlive the session. The session keeps
    // its own copy of the record: the Game context points to that copy.
    // With `requiredData` given and no file found, the session does not
    // start: the places looked at are shown (message box, stderr, log).
    Session(const platform::Services& devices, platform::ScriptedInput* script, SessionConfig config,
            const platform::DataSearch* requiredData = nullptr);
    // A session on headless devices of its own, made from `devices` at the
    // configuration's size, step, clock and settings.
    Session(const HeadlessOptions& devices, SessionConfig config);
    // The same, configured as ResolveSession(devices, play) says.
    Session(const HeadlessOptions& devices, const PlayOptions& play);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Checks the seams (a missing one is named in `error`), constructs the
    // Game context, opens the log and reads the settings, creates window,
    // device, managers and the first objects.
    bool Start(std::string& error);
    // One frame: the input (demo or autopilot), the clock's tick, the
    // window's events, the objects' move and drawing and the present while
    // the window is shown, the events that frame raised (a quit request
    // closes at the end of its own frame), and what the run keeps of the
    // frame. False once the window closed or the demo ran out.
    bool Step();
    // Keeps the game in progress as a replay and closes the window.
    void Close();
    bool closed() const { return !context_ || closed_; }

    // A window event taken outside a frame (the driver's wait while the
    // window is minimised, the event that ended an attract demo).
    void HandleEvent(const platform::ShellEvent& event);
    // The picture set up again at the window's size: invalidate, device
    // reset, restore (after an attract demo drew with the device).
    HRESULT ResetPicture();
    // Called once when the close path starts, while the device, the objects
    // and the last frame still exist (end-of-run reports, screenshots).
    void OnShutdown(std::function<void()> hook) { onShutdown_ = std::move(hook); }

    GameContext& context() { return *context_; }
    const GameContext& context() const { return *context_; }
    bool started() const { return context_ != nullptr; }
    // The window is shown (not minimised): frames run.
    bool active() const { return active_; }
    // The graphics device (null before Start and after the close).
    gfx::Device* device() const { return device_; }
    // 0, or 1 when the session never came to be or failed.
    int exitStatus() const { return context_ ? exitStatus_ : 1; }
    const platform::Services& services() const { return services_; }
    // Before Start, the seams the session will run on may change here (a
    // layer over the input, a seam taken away by a test).
    platform::Services& seams() { return services_; }
    // The devices of a headless session (null when it was given its seams).
    HeadlessDevices* headless() { return headless_.get(); }
    Autopilot& autopilot() { return autopilot_; }
    const FrameTimer& timer() const { return timer_; }
    // The recording so far (header and frames; empty when not recording).
    const Demo& recorded() const;
    // Frames run: the one count of them (reports, demos, tests).
    std::uint64_t steps() const { return frames_; }
    bool replayDone() const { return player_ && player_->done(); }
    std::uint32_t stepMs() const { return config_.stepMs; }
    const SessionConfig& config() const { return config_; }
    // Batches the Render queue drew in the last frame.
    std::uint32_t lastBatches() const { return lastBatches_; }

private:
    Session(std::unique_ptr<HeadlessDevices> devices, SessionConfig config);

    // --- the start and the step (session.cpp) ----------------------------
    // The seams there must be; the recorder and the replays kept; the Game
    // context; the recording's header as the game got it.
    bool CheckSeams(std::string& error) const;
    void PrepareRun();
    void MakeContext();
    void StampRecording();
    // The demo's or the autopilot's input and the clock's tick: the step
    // the frame moves by, or nothing once the demo ran out.
    std::optional<std::uint32_t> TakeInput();
    // What the run keeps of a pass: the recorder's frame (or the time of a
    // pass that ran none), the start into a level, the replays.
    void KeepFrame(bool ran, std::uint32_t step);

    // --- the window and the device (session_window.cpp) ------------------
    // Window, device, managers, first objects; false after a failure was
    // shown (the session is then closed).
    bool OpenWindow();
    // The device handed in with the seams, or an OpenGL device made on the
    // window; null with `error` set.
    gfx::Device* OpenDevice(platform::DeviceError& error);
    // The window's device and its context go (a device handed in stays its owner's).
    void ReleaseDevice();
    void PollEvents();
    // The window was resized or restored: the device follows its drawable.
    void FollowDrawable();
    // Switches between full screen and the window, then resets the device.
    HRESULT ToggleFullscreen();
    // Carries out what the display page asked for (full screen, the
    // picture's shape, vertical sync); keeps the context's view of the
    // window up to date.
    HRESULT ApplyDisplayChange();
    // The back buffer for the window's drawable as it is now: the whole of
    // it with Stretch=1, else the largest 4:3 picture in it.
    gfx::PresentParameters PictureParameters() const;
    // A reset that failed: said in a box, and the session closes.
    void FailReset();
    // Shows a message box with the window title; `fatal` adds the exit note.
    void ShowError(const char* text, bool fatal);
    // The Game context draws at the device's back buffer, with the device.
    void PictureToContext();
    // The close path: device objects, device, final clean-up, window.
    void Shutdown();

    // --- the scene and its frame (session_scene.cpp) ---------------------
    // The managers, named in the Game context while they live.
    void MakeManagers();
    // Screen and device, the system report, the system start, the seed,
    // the intro pictures, render states, the first objects, full screen.
    void InitScene();
    void RestoreDeviceObjects();
    // One frame: device test, the time ring, the objects' move, their
    // drawing through the Render queue, present. It never waits: the pace
    // of the frames is the driver's (app/program.h).
    HRESULT RunFrame();
    void InvalidateDeviceObjects();
    void DeleteDeviceObjects();
    void FinalCleanup();
    void StopSound();
    // Stops sound, destroys every object and manager, stops the systems.
    void ShutdownGame();
    // Play loses the focus or the window is minimised: to the menu.
    void PauseOnFocusLoss();

    std::unique_ptr<HeadlessDevices> headless_;  // first made, last gone
    platform::Services services_;
    platform::ScriptedInput* script_;
    SessionConfig config_;
    const platform::DataSearch* requiredData_ = nullptr;
    DemoHeader header_;
    std::optional<LevelStarter> starter_;
    std::unique_ptr<DemoRecorder> recorder_;
    Demo notRecorded_;  // recorded() of a session that does not record
    std::unique_ptr<DemoPlayer> player_;
    std::optional<GameReplays> replays_;
    Autopilot autopilot_;
    FrameTimer timer_;
    std::unique_ptr<GameContext> context_;
    std::uint32_t carried_ = 0;  // time of passes that ran no frame
    std::uint32_t lastBatches_ = 0;

    // The managers, owned here; the Game context names them while they live.
    std::unique_ptr<Log> log_;
    std::unique_ptr<ListEngine> objectList_;
    std::unique_ptr<MeshCache> meshCache_, preparedMeshCache_;
    std::unique_ptr<TextureCache> textureCache_;
    std::unique_ptr<SoundCache> soundCache_;
    std::unique_ptr<RenderQueue> renderQueue_;

    // The window and the device.
    CreationSize creation_;             // from the settings, then the configuration
    bool startWindowed_ = false;        // no switch to full screen at the end of InitScene
    platform::Shell* shell_ = nullptr;  // services().shell at Start
    gfx::Device* device_ = nullptr;
    std::unique_ptr<gfx::Device> windowDevice_;   // made on the window when none was handed in
    int windowedWidth_ = 0, windowedHeight_ = 0;  // while not full screen (for the settings)
    std::uint8_t vsync_ = 1;
    bool active_ = false;  // not minimised: frames run
    bool ready_ = false;   // created and not shut down
    bool closed_ = false;  // the window has gone (Shutdown ran)
    int exitStatus_ = 0;
    std::uint64_t frames_ = 0;
    std::function<void()> onShutdown_;
    // The screenshot key: the next presented frame is written.
    bool screenshotPending_ = false;
    bool captureBefore_ = false;
};

// Creates the first objects of the scene in their fixed order and adds each
// to the object list at once (scene_init.cpp).
void CreateFirstObjects(GameContext& ctx);

}  // namespace dw
