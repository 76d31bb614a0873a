#pragma once
// A headless game that records, replays or plays itself (autopilot),
// optionally timing every frame: the session of app/session.h on the
// headless devices, as the tests that need a whole game played use it.
#include <cstdint>
#include <memory>
#include <string>

#include "app/headless_game.h"
#include "app/session.h"

namespace platform {
class MemorySettingsStore;
}

namespace dw {

struct SessionOptions : PlayOptions {
    HeadlessOptions headless;  // the seed and size come from the demo header when replaying
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
    Session& session() { return game_->session(); }
    Autopilot& autopilot() { return session().autopilot(); }
    const FrameTimer& timer() const { return game_->session().timer(); }
    // The recording so far (header and frames).
    const Demo& recorded() const { return game_->session().recorded(); }
    std::uint64_t steps() const { return game_->session().steps(); }
    bool replayDone() const { return game_->session().replayDone(); }
    std::uint32_t stepMs() const { return options_.headless.stepMs; }
    // Batches the Render queue drew in the last frame.
    std::uint32_t lastBatches() const { return game_->lastBatches(); }

private:
    SessionOptions options_;
    std::unique_ptr<platform::MemorySettingsStore> replaySettings_;
    std::unique_ptr<HeadlessGame> game_;
};

// The headless options of a session that plays `play`: a replay takes the
// demo's size, seed, clock and settings (kept in `replaySettings`).
HeadlessOptions HeadlessOptionsFor(HeadlessOptions h, const PlayOptions& play,
                                   std::unique_ptr<platform::MemorySettingsStore>& replaySettings);

}  // namespace dw
