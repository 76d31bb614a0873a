#pragma once
// A headless game that records, replays or plays itself (autopilot),
// optionally timing every frame, with the sound of long runs (the handles
// without the log of every call) unless a sound library is given.
#include <cstdint>
#include <string>

#include "common/headless_game.h"
#include "common/temp_dir.h"

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

// A session in `dir` with `seed`, straight into `startLevel` (-1: the menu).
SessionOptions StartAt(const TempDir& dir, std::uint32_t seed, int startLevel);
// A session in `dir` that replays `demo` (which must outlive it).
SessionOptions ReplayOf(const Demo& demo, const TempDir& dir);
// The session's report as --report writes it, without renderer counters.
std::string Report(DemoSession& s);

}  // namespace dw
