// The timed run's figures: percentiles on odd and even counts, the
// allocations after the warm-up apart from the first frames', the wall-clock
// frame rate, and the line it prints.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/timedemo.h"

namespace dw {
namespace {

FrameSample Frame(double cpuMs, double wallMs, std::uint32_t allocs = 0, std::uint32_t draws = 0) {
    FrameSample s;
    s.cpuNs = static_cast<std::uint64_t>(cpuMs * 1e6);
    s.wallNs = static_cast<std::uint64_t>(wallMs * 1e6);
    s.allocations = allocs;
    s.draws = draws;
    s.batches = draws;
    return s;
}

TEST(Timedemo, PercentilesIgnoreTheOrderOfFramesAndKeepTheWorstApart) {
    // 100 frames: 98 of 1 ms, one of 5 ms and one of 40 ms, out of order.
    std::vector<FrameSample> frames;
    for (int i = 0; i < 100; ++i) frames.push_back(Frame(1.0, i * 10.0));
    frames[7] = Frame(40.0, 70.0);
    frames[3] = Frame(5.0, 30.0);
    const TimedemoSummary s = SummariseFrames(frames, 0);
    EXPECT_EQ(s.frames, 100u);
    EXPECT_DOUBLE_EQ(s.medianMs, 1.0);
    EXPECT_DOUBLE_EQ(s.p99Ms, 5.0);  // the 99th of 100 sorted frames: one worse frame is an outlier
    EXPECT_DOUBLE_EQ(s.maxMs, 40.0);

    std::vector<FrameSample> two = {Frame(3.0, 0), Frame(1.0, 10)};
    EXPECT_DOUBLE_EQ(SummariseFrames(two, 0).maxMs, 3.0);
}

TEST(Timedemo, SteadyAllocationsAndFrameRateStartAfterTheWarmUp) {
    std::vector<FrameSample> frames;
    // A warm-up of 10 frames that allocate much and take long on the wall...
    for (int i = 0; i < 10; ++i) frames.push_back(Frame(1.0, i * 100.0, 50, 4));
    // ...then 101 frames, 5 ms apart, that allocate on every odd frame.
    for (int i = 0; i <= 100; ++i) frames.push_back(Frame(1.0, 1000.0 + i * 5.0, i % 2, 4));
    const TimedemoSummary s = SummariseFrames(frames, 10);
    EXPECT_NEAR(s.allocationsSteady, 50.0 / 101.0, 1e-9);
    EXPECT_NEAR(s.allocations, (500.0 + 50.0) / 111.0, 1e-9);
    EXPECT_NEAR(s.framesPerSecond, 200.0, 1e-6);
    EXPECT_DOUBLE_EQ(s.draws, 4.0);
    EXPECT_DOUBLE_EQ(s.batches, 4.0);
}

TEST(Timedemo, FramesSpentLoadingAssetsAreCountedButLeftOutOfTheFigures) {
    std::vector<FrameSample> frames;
    for (int i = 0; i < 5; ++i) {
        frames.push_back(Frame(30.0, i * 40.0, 900, 1));  // the loading screen
        frames.back().loading = true;
    }
    for (int i = 0; i < 11; ++i) frames.push_back(Frame(0.5, 200.0 + i * 2.0, 1, 9));
    const TimedemoSummary s = SummariseFrames(frames, 1);
    EXPECT_EQ(s.frames, 16u);
    EXPECT_EQ(s.loadingFrames, 5u);
    EXPECT_DOUBLE_EQ(s.maxMs, 0.5);
    EXPECT_DOUBLE_EQ(s.p99Ms, 0.5);
    EXPECT_DOUBLE_EQ(s.draws, 9.0);
    EXPECT_DOUBLE_EQ(s.allocations, 1.0);
    EXPECT_NEAR(s.framesPerSecond, 500.0, 1e-6);
    const std::string line = FormatSummary("x", s);
    EXPECT_NE(line.find("frames 16 (5 loading assets, left out), cpu"), std::string::npos) << line;
}

TEST(Timedemo, ShortOrEmptyRunsGiveZerosNotNonsense) {
    EXPECT_EQ(SummariseFrames({}, 10).frames, 0u);
    EXPECT_DOUBLE_EQ(SummariseFrames({}, 10).framesPerSecond, 0.0);
    // No frame after the warm-up, or one only: no rate.
    std::vector<FrameSample> frames = {Frame(1, 0), Frame(1, 5), Frame(1, 10)};
    EXPECT_DOUBLE_EQ(SummariseFrames(frames, 3).framesPerSecond, 0.0);
    EXPECT_DOUBLE_EQ(SummariseFrames(frames, 2).framesPerSecond, 0.0);
    EXPECT_DOUBLE_EQ(SummariseFrames(frames, 2).allocationsSteady, 0.0);
    // Frames that ended on the same clock tick.
    std::vector<FrameSample> still = {Frame(1, 7), Frame(1, 7), Frame(1, 7)};
    EXPECT_DOUBLE_EQ(SummariseFrames(still, 0).framesPerSecond, 0.0);
}

TEST(Timedemo, TheLineNamesEveryFigure) {
    std::vector<FrameSample> frames;
    for (int i = 0; i < 3; ++i) frames.push_back(Frame(2.0, i * 10.0, 0, 7));
    const std::string line = FormatSummary("bench/x.dwdemo", SummariseFrames(frames, 0));
    EXPECT_NE(line.find("timedemo bench/x.dwdemo: frames 3, cpu per frame median 2.000 ms"), std::string::npos) << line;
    EXPECT_NE(line.find("draws 7.0, batches 7.0"), std::string::npos) << line;
    EXPECT_NE(line.find("100.0 frames per second"), std::string::npos) << line;
    EXPECT_EQ(line.back(), '\n');
}

}  // namespace
}  // namespace dw
