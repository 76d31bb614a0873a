#include "app/timedemo.h"

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace dw {

std::uint64_t (*allocationCounter)() = nullptr;

namespace {
std::uint64_t ClockNs(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1'000'000'000u + static_cast<std::uint64_t>(ts.tv_nsec);
}
}  // namespace

std::uint64_t WallNs() { return ClockNs(CLOCK_MONOTONIC); }

std::uint64_t ThreadCpuNs() {
#ifdef __EMSCRIPTEN__
    // A browser keeps no CPU clock (every frame measured 0): the frame's work
    // runs on the page's one thread, so its wall time stands in.
    return WallNs();
#else
    return ClockNs(CLOCK_THREAD_CPUTIME_ID);
#endif
}

FrameTimer::FrameTimer(std::size_t expected) { samples_.reserve(expected); }

void FrameTimer::Begin() {
    startAllocs_ = allocationCounter ? allocationCounter() : 0;
    startNs_ = ThreadCpuNs();
}

void FrameTimer::End(std::uint32_t draws, std::uint32_t batches, std::uint32_t vertices, std::uint32_t textureBinds,
                     bool loading) {
    const std::uint64_t now = ThreadCpuNs();
    FrameSample s;
    s.cpuNs = now - startNs_;
    s.wallNs = WallNs();
    s.draws = draws;
    s.batches = batches;
    s.vertices = vertices;
    s.textureBinds = textureBinds;
    s.loading = loading;
    s.allocations = allocationCounter ? static_cast<std::uint32_t>(allocationCounter() - startAllocs_) : 0;
    samples_.push_back(s);
}

TimedemoSummary SummariseFrames(const std::vector<FrameSample>& all, std::size_t warmup) {
    TimedemoSummary out;
    out.frames = all.size();
    out.allocationsCounted = allocationCounter != nullptr;
    std::vector<FrameSample> frames;
    frames.reserve(all.size());
    for (const FrameSample& s : all) {
        if (s.loading)
            ++out.loadingFrames;
        else
            frames.push_back(s);
    }
    if (frames.empty()) return out;
    std::vector<std::uint64_t> times;
    times.reserve(frames.size());
    double draws = 0, batches = 0, vertices = 0, binds = 0, allocs = 0, steady = 0;
    std::size_t steadyFrames = 0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const FrameSample& s = frames[i];
        times.push_back(s.cpuNs);
        draws += s.draws;
        batches += s.batches;
        vertices += s.vertices;
        binds += s.textureBinds;
        allocs += s.allocations;
        if (i >= warmup) {
            steady += s.allocations;
            ++steadyFrames;
        }
    }
    std::sort(times.begin(), times.end());
    const auto at = [&](double q) {
        const auto i = static_cast<std::size_t>(std::llround(q * static_cast<double>(times.size() - 1)));
        return static_cast<double>(times[std::min(i, times.size() - 1)]) / 1e6;
    };
    const double n = static_cast<double>(frames.size());
    out.medianMs = at(0.5);
    out.p99Ms = at(0.99);
    out.maxMs = static_cast<double>(times.back()) / 1e6;
    out.draws = draws / n;
    out.batches = batches / n;
    out.vertices = vertices / n;
    out.textureBinds = binds / n;
    out.allocations = allocs / n;
    out.allocationsSteady = steadyFrames ? steady / static_cast<double>(steadyFrames) : 0;
    // Frames ended after the warm-up over the time between the first and the
    // last of them: what a player would see with the limiter off.
    if (frames.size() > warmup + 1) {
        const std::uint64_t span = frames.back().wallNs - frames[warmup].wallNs;
        if (span > 0)
            out.framesPerSecond = static_cast<double>(frames.size() - warmup - 1) * 1e9 / static_cast<double>(span);
    }
    return out;
}

std::string FormatSummary(const std::string& label, const TimedemoSummary& s) {
    char buf[512];
    char allocs[96];
    char loading[64] = "";
    if (s.loadingFrames)
        std::snprintf(loading, sizeof loading, " (%llu loading assets, left out)",
                      static_cast<unsigned long long>(s.loadingFrames));
    if (s.allocationsCounted)
        std::snprintf(allocs, sizeof allocs, "%.2f (%.2f after the first second)", s.allocations, s.allocationsSteady);
    else
        std::snprintf(allocs, sizeof allocs, "not counted");
    std::snprintf(buf, sizeof buf,
                  "timedemo %s: frames %llu%s, cpu per frame median %.3f ms, p99 %.3f ms, max %.3f ms; "
                  "per frame: draws %.1f, batches %.1f, vertices %.0f, texture binds %.1f, "
                  "heap allocations %s; %.1f frames per second after the first second\n",
                  label.c_str(), static_cast<unsigned long long>(s.frames), loading, s.medianMs, s.p99Ms, s.maxMs,
                  s.draws, s.batches, s.vertices, s.textureBinds, allocs, s.framesPerSecond);
    return buf;
}

}  // namespace dw
