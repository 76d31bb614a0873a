#pragma once
// The pace of an attract demo on the real clock: each frame is due the step
// it was recorded with after the one before. A schedule that falls behind by
// more than its slack starts again from now rather than rushing to catch up.
// (Play itself keeps to kFrameIntervalMs of the game's own clock:
// LatchedClock::MsUntilStep.)
#include <algorithm>
#include <chrono>
#include <cstdint>

namespace dw {

// At most one frame of play per this many ms of the game's clock, in a
// window and in the browser: the shortest step a game records.
inline constexpr std::uint32_t kFrameIntervalMs = 10;

class FramePacer {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kSlack{250};

    // The schedule starts at `at`: a frame is due then.
    void Restart(Clock::time_point at) {
        start_ = at;
        dueMs_ = 0;
    }
    // A frame of `ms` ran: the next is due that much after this one was.
    void Ran(std::uint32_t ms, Clock::time_point now) {
        dueMs_ += ms;
        if (now - Due() > kSlack) Restart(now);  // too slow to keep up
    }
    // How long until the next frame is due (zero when it is).
    Clock::duration WaitAt(Clock::time_point now) const {
        const Clock::time_point due = Due();
        return due > now ? due - now : Clock::duration::zero();
    }
    // The same in whole ms for a clock's Sleep: rounded up, at most 100.
    std::uint32_t MsUntilDue(Clock::time_point now) const {
        const Clock::duration wait = WaitAt(now);
        if (wait == Clock::duration::zero()) return 0;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(wait).count();
        return static_cast<std::uint32_t>(std::min<std::int64_t>(ms + 1, 100));
    }

private:
    Clock::time_point Due() const { return start_ + std::chrono::milliseconds(dueMs_); }

    Clock::time_point start_;
    std::uint64_t dueMs_ = 0;
};

}  // namespace dw
