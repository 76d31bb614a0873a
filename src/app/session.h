#pragma once
// One session of the game on the devices it is given: the Game context and
// the application over one record of platform seams, and what a run adds
// frame by frame (a replayed demo or the built-in player at the input, the
// recorder, the frame timer, the start straight into a level, the games
// kept as replays). Headless runs, windows, recordings, replays, the
// autopilot, the timedemo, the attract mode's demos and the tests' games
// are all this class over different devices:
//
//   Session session(devices, &script, config);        // a window's seams
//   Session session(HeadlessOptions{...}, config);     // headless devices of its own
//   if (!session.Start(error)) ...;
//   while (session.Step()) ...;          // one frame each
//   session.Close();
#include <cstdint>
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
#include "platform/services.h"

namespace platform {
class MemorySettingsStore;
class ScriptedInput;
struct DataSearch;
}  // namespace platform

namespace dw {

class Application;
class GameContext;

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

class Session {
public:
    // `devices` (every seam but `device`, which the shell makes) and
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
    // Game context and the application, creates window, device and scene.
    bool Start(std::string& error);
    // One pass: the input (demo or autopilot), the clock's tick, the loop's
    // pass (events, a frame, the events it raised) and what the run keeps of
    // the frame. False once the window closed or the demo ran out.
    bool Step();
    // Keeps the game in progress as a replay and closes the window.
    void Close();
    bool closed() const;

    GameContext& context() { return *context_; }
    const GameContext& context() const { return *context_; }
    Application& app() { return *app_; }
    const Application& app() const { return *app_; }
    bool started() const { return app_ != nullptr; }
    // The application's exit status (1 when it never came to be).
    int exitStatus() const;
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
    // Frames run.
    std::uint64_t steps() const { return steps_; }
    bool replayDone() const { return player_ && player_->done(); }
    std::uint32_t stepMs() const { return config_.stepMs; }
    const SessionConfig& config() const { return config_; }
    // Batches the Render queue drew in the last frame.
    std::uint32_t lastBatches() const { return lastBatches_; }

private:
    Session(std::unique_ptr<HeadlessDevices> devices, SessionConfig config);
    // The parts of Start: the seams there must be, the recorder and the
    // replays kept, the Game context, the application's start choices and
    // the recording's header as the game got it.
    bool CheckSeams(std::string& error) const;
    void PrepareRun();
    void MakeContext();
    void ConfigureApplication();
    void StampRecording();

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
    std::unique_ptr<Application> app_;
    std::uint64_t steps_ = 0;
    std::uint32_t carried_ = 0;  // time of passes that ran no frame
    std::uint32_t lastBatches_ = 0;
};

}  // namespace dw
