#pragma once
// Time seam. The game reads milliseconds through these functions; the clock
// behind them is the real steady clock or, in tests and headless runs, a
// fixed-step clock that moves only when told to.
#include <cstdint>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t Milliseconds() = 0;  // timeGetTime / GetTickCount
    virtual void Sleep(std::uint32_t ms) = 0;
    virtual std::uint64_t TimeStampCounter() = 0;
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
    void Advance(std::uint32_t ms) { now_ += ms; }
    void Set(std::uint32_t ms) { now_ = ms; }

private:
    std::uint32_t now_;
};

// The clock in use (a RealClock until SetClock is called). Not owned.
Clock& CurrentClock();
void SetClock(Clock* clock);  // nullptr restores the real clock

inline std::uint32_t timeGetTime() { return CurrentClock().Milliseconds(); }
inline std::uint32_t GetTickCount() { return CurrentClock().Milliseconds(); }
inline void Sleep(std::uint32_t ms) { CurrentClock().Sleep(ms); }

}  // namespace platform
