#pragma once
// A headless game that records, replays or plays itself (autopilot),
// optionally timing every frame, with the sound of long runs (the handles
// without the log of every call) unless a sound library is given.
#include <cstdint>

#include "common/headless_game.h"

namespace dw {

struct SessionOptions : PlayOptions {
    HeadlessOptions headless;  // the seed and size come from the demo header when replaying
};

class DemoSession : public HeadlessGame {
public:
    explicit DemoSession(const SessionOptions& options);
    // Closes as the user would: the game in progress is kept when asked.
    ~DemoSession();

    HeadlessGame& game() { return *this; }
    Autopilot& autopilot() { return session().autopilot(); }
    const FrameTimer& timer() const { return session().timer(); }
    // The recording so far (header and frames).
    const Demo& recorded() const { return session().recorded(); }
    std::uint64_t steps() const { return session().steps(); }
    bool replayDone() const { return session().replayDone(); }
    std::uint32_t stepMs() const { return session().stepMs(); }
};

}  // namespace dw
