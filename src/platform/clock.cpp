#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace platform {

namespace {
std::uint64_t SteadyNs() {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}
}  // namespace

RealClock::RealClock() : start_ns_(SteadyNs()) {}

std::uint32_t RealClock::Milliseconds() {
    // Start a little above zero so that "now - 0" style sums never look odd.
    return static_cast<std::uint32_t>((SteadyNs() - start_ns_) / 1000000u) + 1000u;
}

void RealClock::Sleep(std::uint32_t ms) {
    if (ms == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::uint64_t RealClock::TimeStampCounter() {
#if defined(__x86_64__) || defined(__i386__)
    return __builtin_ia32_rdtsc();
#else
    return SteadyNs();
#endif
}

LatchedClock::LatchedClock(std::uint32_t start) : offset_(start - real_->Milliseconds()), now_(start) {}

LatchedClock::LatchedClock(std::uint32_t start, Clock& real)
    : real_(&real), offset_(start - real.Milliseconds()), now_(start) {}

std::uint32_t LatchedClock::Tick(std::uint32_t) {
    const std::uint32_t real = real_->Milliseconds();
    std::uint32_t step = real + offset_ - now_;
    if (step > kMaxStepMs) {
        step = kMaxStepMs;
        offset_ = now_ + step - real;
    }
    now_ += step;
    return step;
}

}  // namespace platform
