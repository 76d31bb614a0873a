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
    std::uint64_t wallNs = 0;  // monotonic time at the frame's end
    std::uint32_t draws = 0, batches = 0, vertices = 0, textureBinds = 0;
    std::uint32_t allocations = 0;
    bool loading = false;  // the assets were loading (the loading screen)
};

struct TimedemoSummary {
    std::uint64_t frames = 0;
    std::uint64_t loadingFrames = 0;  // of those, spent loading: left out of the figures
    double medianMs = 0, p99Ms = 0, maxMs = 0;
    double draws = 0, batches = 0, vertices = 0, textureBinds = 0;
    double allocations = 0;        // per frame, all frames
    double allocationsSteady = 0;  // per frame, after the first `warmup` frames
    double framesPerSecond = 0;    // wall clock, after the first `warmup` frames
    bool allocationsCounted = false;
};

// Median, 99th percentile and maximum CPU time, per frame averages, the
// allocations and the wall-clock frame rate after the first `warmup` frames,
// all over the frames that were not loading assets.
TimedemoSummary SummariseFrames(const std::vector<FrameSample>& samples, std::size_t warmup);

class FrameTimer {
public:
    // Keeps room for `expected` frames so that recording costs no allocation.
    explicit FrameTimer(std::size_t expected = 0);
    void Begin();
    // Ends the frame; the renderer counters are the frame's.
    void End(std::uint32_t draws, std::uint32_t batches, std::uint32_t vertices, std::uint32_t textureBinds,
             bool loading = false);
    const std::vector<FrameSample>& samples() const { return samples_; }
    TimedemoSummary Summarise(std::size_t warmup) const { return SummariseFrames(samples_, warmup); }

private:
    std::vector<FrameSample> samples_;
    std::uint64_t startNs_ = 0;
    std::uint64_t startAllocs_ = 0;
};

// CPU time of the calling thread in nanoseconds (in the browser, which has
// no such clock, the wall time).
std::uint64_t ThreadCpuNs();
// Monotonic wall time in nanoseconds.
std::uint64_t WallNs();

// One line per run: "timedemo <label>: frames N, cpu median X ms, p99 Y ms, ...".
std::string FormatSummary(const std::string& label, const TimedemoSummary& s);

}  // namespace dw
