#pragma once
// The one pace of frames on the real clock, for every host that waits
// between frames: each frame is due a number of ms after the one before. The
// desktop's driver lets a frame follow the last one's start by at least
// kFrameIntervalMs; an attract demo keeps to the steps it was recorded with.
// A schedule that falls behind by more than its slack starts again from now
// rather than rushing to catch up.
#include <algorithm>
#include <chrono>
#include <cstdint>

namespace dw {

// At most one present per this many ms on the desktop.
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
    // The desktop's rule: a frame started at `at`; the next is due
    // kFrameIntervalMs later.
    void Started(Clock::time_point at) {
        Restart(at);
        dueMs_ = kFrameIntervalMs;
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
