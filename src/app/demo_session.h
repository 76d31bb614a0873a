#pragma once
// A headless session that records, replays or plays itself (autopilot),
// optionally timing every frame. The command line's --record, --replay,
// --autopilot, --level and --timedemo runs are built on it, and so are the
// tests that need a whole game played.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/autopilot.h"
#include "app/command_line.h"
#include "app/demo.h"
#include "app/game_replays.h"
#include "app/headless_game.h"
#include "app/timedemo.h"

namespace platform {
class MemorySettingsStore;
class SoundLibrary;
}

namespace dw {

// The start of a run straight into a level, the same for a recording, its
// replay and the autopilot: after a few frames the splash is left and the
// level asked for as the menu would ask; once the ship is in, it is handed
// the header's arsenal.
class LevelStarter {
public:
    explicit LevelStarter(const DemoHeader& header) : header_(header), armed_(header.arsenal.given) {}
    // After frame `steps` (counted from 1).
    void AfterFrame(GameContext& c, std::uint64_t steps);

private:
    DemoHeader header_;
    bool armed_;
};

struct SessionOptions {
    HeadlessOptions headless;          // the seed and size come from the demo header when replaying
    const Demo* replay = nullptr;      // play this demo back
    bool record = false;               // keep what the input objects read
    bool autopilot = false;            // the built-in player drives the input
    int startLevel = -1;               // -1: the menu; else straight into that level
    Arsenal arsenal;                   // the ship's weapons at that start
    std::size_t timedFrames = 0;       // > 0: time each frame (room reserved for this many)
    std::string keepGames;             // the replays directory of the games played ("": none)
};

class DemoSession {
public:
    explicit DemoSession(SessionOptions options);
    ~DemoSession();

    bool Start(std::string& error);
    // One frame: the input (demo, autopilot or whatever the caller set),
    // the clock step, the frame. False once the window closed or the demo ran out.
    bool Step();
    void Close();

    HeadlessGame& game() { return *game_; }
    GameContext& context() { return game_->context(); }
    Autopilot& autopilot() { return autopilot_; }
    const FrameTimer& timer() const { return timer_; }
    // The recording so far (header and frames).
    const Demo& recorded() const;
    std::uint64_t steps() const { return steps_; }
    bool replayDone() const { return player_ && player_->done(); }
    std::uint32_t stepMs() const { return options_.headless.stepMs; }
    // Batches the Render queue drew in the last frame.
    std::uint32_t lastBatches() const { return lastBatches_; }

private:

    SessionOptions options_;
    DemoHeader header_;
    std::optional<LevelStarter> starter_;
    std::unique_ptr<platform::MemorySettingsStore> replaySettings_;
    std::unique_ptr<platform::SoundLibrary> quietSound_;
    std::unique_ptr<HeadlessGame> game_;
    std::unique_ptr<DemoRecorder> recorder_;
    std::unique_ptr<DemoPlayer> player_;
    std::optional<GameReplays> replays_;
    Autopilot autopilot_;
    FrameTimer timer_;
    std::uint64_t steps_ = 0;
    std::uint32_t lastBatches_ = 0;
};

// The runs of --record, --replay, --autopilot, --level and --timedemo.
bool UsesDemoSession(const CommandLine& cl);
int RunDemoSession(const CommandLine& cl);
// The game in a window (also plain play: the games played are kept as
// replays, the window as the player left it).
int RunDemoWindowed(const CommandLine& cl);

}  // namespace dw
