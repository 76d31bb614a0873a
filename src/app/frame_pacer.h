#pragma once
// The pace of frames, the one rule of play and of an attract demo alike: a
// frame is due at a time on a clock of milliseconds, and each frame that ran
// says when the next one is:
//  - play in a window (on the game's own clock): the next frame is due
//    kFrameIntervalMs after the tick of the one that ran (DueAt), so that
//    however late a frame starts, no step the game records is shorter;
//  - a demo (on the real clock): the next frame is due its recorded step
//    after the one before was due (Ran), so the demo keeps its recorded
//    time; a schedule that falls behind by more than its slack starts again
//    from now rather than rushing to catch up.
// The drivers wait MsUntilDue: the desktop sleeps, the browser skips its
// animation frames until then.
#include <algorithm>
#include <cstdint>

namespace dw {

// At most one frame of play per this many ms of the game's clock, in a
// window and in the browser: the shortest step a game records.
inline constexpr std::uint32_t kFrameIntervalMs = 10;

class FramePacer {
public:
    static constexpr std::uint32_t kSlackMs = 250;
    // The longest wait said at once (a clock's Sleep waits in such pieces).
    static constexpr std::uint32_t kLongestWaitMs = 100;

    // The next frame is due at `at`.
    void DueAt(std::uint32_t at) { due_ = at; }
    // A frame of a schedule ran, `ms` long: the next is due that much after
    // this one was, or at `now` when the schedule is too far behind.
    void Ran(std::uint32_t ms, std::uint32_t now) {
        due_ += ms;
        if (Ahead(now, due_) > static_cast<std::int64_t>(kSlackMs)) due_ = now;
    }
    // How long until the next frame is due (0: it is), at most kLongestWaitMs.
    std::uint32_t MsUntilDue(std::uint32_t now) const {
        const std::int64_t wait = Ahead(due_, now);
        return wait <= 0 ? 0 : static_cast<std::uint32_t>(std::min<std::int64_t>(wait, kLongestWaitMs));
    }

private:
    // How far `a` is past `b` on a clock that wraps.
    static std::int64_t Ahead(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b); }

    std::uint32_t due_ = 0;
};

}  // namespace dw
