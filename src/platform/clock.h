#pragma once
// Time seam. The game reads milliseconds from the clock of its session
// (GameContext::services): the real steady clock read once a frame in a
// window, or a fixed-step clock that moves only when told to in headless
// runs, replays and tests. There is no process-wide clock.
#include <cstdint>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t Milliseconds() = 0;  // timeGetTime / GetTickCount
    virtual void Sleep(std::uint32_t ms) = 0;
    virtual std::uint64_t TimeStampCounter() = 0;
    // The start of a frame the session runs with the step `step` (ms; from
    // the demo or the fixed step): the clock moves to the frame's time and
    // returns the step it made.
    virtual std::uint32_t Tick(std::uint32_t step) { return step; }
};

// Steady clock in milliseconds since the clock was made (plus an offset so
// that wrap-around paths are reachable), real sleeps.
class RealClock final : public Clock {
public:
    RealClock();
    std::uint32_t Milliseconds() override;
    void Sleep(std::uint32_t ms) override;
    std::uint64_t TimeStampCounter() override;

private:
    std::uint64_t start_ns_;
};

// Time stands still until Advance; Sleep returns at once.
class FixedStepClock final : public Clock {
public:
    explicit FixedStepClock(std::uint32_t startMs = 1000) : now_(startMs) {}
    std::uint32_t Milliseconds() override { return now_; }
    void Sleep(std::uint32_t) override {}
    std::uint64_t TimeStampCounter() override { return static_cast<std::uint64_t>(now_) * 1000000u; }
    std::uint32_t Tick(std::uint32_t step) override {
        now_ += step;
        return step;
    }
    void Advance(std::uint32_t ms) { now_ += ms; }
    void Set(std::uint32_t ms) { now_ = ms; }

private:
    std::uint32_t now_;
};

// The real clock, read once per frame: every reading within a frame gives
// the time the frame began, so that the step recorded is the whole truth.
// A frame that took longer than kMaxStepMs (the process stopped, the
// machine suspended, a long minimise) steps kMaxStepMs, as every replay
// must hold its steps; the time past that is forgotten.
class LatchedClock final : public Clock {
public:
    static constexpr std::uint32_t kMaxStepMs = 1000;
    explicit LatchedClock(std::uint32_t start);
    // Over another clock standing for the real one (tests).
    LatchedClock(std::uint32_t start, Clock& real);
    std::uint32_t Milliseconds() override { return now_; }
    void Sleep(std::uint32_t ms) override { real_->Sleep(ms); }
    std::uint64_t TimeStampCounter() override { return real_->TimeStampCounter(); }
    // Moves to the real time (the fixed step is not used); returns the step made.
    std::uint32_t Tick(std::uint32_t) override;
    // Forgets the real time since the last tick (the program showed
    // something else meanwhile): the next step counts from now.
    void Skip() { offset_ = now_ - real_->Milliseconds(); }
    // What a tick would read now (before its longest-step limit): the
    // game's time of a frame that began now, for the driver's pace.
    std::uint32_t Peek() const { return real_->Milliseconds() + offset_; }

private:
    RealClock own_;
    Clock* real_ = &own_;
    std::uint32_t offset_;
    std::uint32_t now_;
};

}  // namespace platform
