#pragma once
// Frame statistics of a timed run (--timedemo): CPU time per frame and the
// renderer's and the heap's work per frame.
#include <cstdint>
#include <string>
#include <vector>

namespace dw {

// Heap allocations so far, when the program counts them (the game's
// executable replaces operator new for that); null otherwise.
extern std::uint64_t (*allocationCounter)();

struct FrameSample {
    std::uint64_t cpuNs = 0;
    std::uint32_t draws = 0, batches = 0, vertices = 0, textureBinds = 0;
    std::uint32_t allocations = 0;
};

struct TimedemoSummary {
    std::uint64_t frames = 0;
    double medianMs = 0, p99Ms = 0, maxMs = 0;
    double draws = 0, batches = 0, vertices = 0, textureBinds = 0;
    double allocations = 0;          // per frame, all frames
    double allocationsSteady = 0;    // per frame, after the first `warmup` frames
    bool allocationsCounted = false;
};

class FrameTimer {
public:
    // Keeps room for `expected` frames so that recording costs no allocation.
    explicit FrameTimer(std::size_t expected = 0);
    void Begin();
    // Ends the frame; the renderer counters are the frame's.
    void End(std::uint32_t draws, std::uint32_t batches, std::uint32_t vertices,
             std::uint32_t textureBinds);
    const std::vector<FrameSample>& samples() const { return samples_; }
    TimedemoSummary Summarise(std::size_t warmup) const;

private:
    std::vector<FrameSample> samples_;
    std::uint64_t startNs_ = 0;
    std::uint64_t startAllocs_ = 0;
};

// CPU time of the calling thread in nanoseconds.
std::uint64_t ThreadCpuNs();

// One line per run: "timedemo <label>: frames N, cpu median X ms, p99 Y ms, ...".
std::string FormatSummary(const std::string& label, const TimedemoSummary& s);

}  // namespace dw
