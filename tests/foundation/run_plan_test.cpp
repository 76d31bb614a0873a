// Which run a command line asks for, decided before anything opens: the
// devices, the stop rules, the window's start, the seed and the attract mode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/run_plan.h"

namespace dw {
namespace {

RunPlan Plan(const std::vector<std::string>& args) {
    std::string error;
    const auto cl = ParseCommandLine(args, error);
    EXPECT_TRUE(cl) << error;
    return cl ? PlanRun(*cl) : RunPlan{};
}

TEST(RunPlan, APlainRunPlaysInAWindowUntilClosedWithTheDemosWhenIdle) {
    const RunPlan p = Plan({});
    EXPECT_TRUE(p.windowed);
    EXPECT_TRUE(p.play);
    EXPECT_EQ(p.frameLimit, ~0ull);
    EXPECT_FALSE(p.limitIsDemoLength);
    EXPECT_EQ(p.window, WindowStart::AsLeft);
    EXPECT_TRUE(p.rememberWindow);
    EXPECT_TRUE(p.chooseSeed);
    EXPECT_TRUE(p.keepGames);
    EXPECT_TRUE(p.attract);
    EXPECT_EQ(p.stepMs, 16u);
    EXPECT_EQ(p.startLevel, -1);
    EXPECT_EQ(Plan({"--fullscreen"}).window, WindowStart::FullScreen);
    EXPECT_EQ(Plan({"--windowed"}).window, WindowStart::Window);
    // A recording keeps the window's size.
    EXPECT_EQ(Plan({"--record", "a.dwdemo"}).window, WindowStart::Window);
}

TEST(RunPlan, HeadlessRunsStopByThemselves) {
    // The menu alone for 600 frames, its demos shown when idle, nothing kept.
    RunPlan p = Plan({"--headless"});
    EXPECT_FALSE(p.windowed);
    EXPECT_FALSE(p.play);
    EXPECT_EQ(p.frameLimit, 600u);
    EXPECT_TRUE(p.attract);
    EXPECT_FALSE(p.chooseSeed);
    EXPECT_FALSE(p.keepGames);
    EXPECT_FALSE(p.rememberWindow);
    EXPECT_EQ(p.window, WindowStart::Window);
    EXPECT_EQ(Plan({"--headless", "--fullscreen"}).window, WindowStart::FullScreen);
    EXPECT_EQ(Plan({"--headless", "--frames", "0"}).frameLimit, 0u);

    // The autopilot plays its game from level 0 to the end, 30 minutes at most.
    p = Plan({"--headless", "--autopilot", "--fixed-step", "20"});
    EXPECT_TRUE(p.play);
    EXPECT_TRUE(p.autopilot);
    EXPECT_EQ(p.startLevel, 0);
    EXPECT_TRUE(p.untilGameOver);
    EXPECT_EQ(p.frameLimit, 30u * 60 * 1000 / 20);
    EXPECT_FALSE(p.attract);
    EXPECT_FALSE(p.oneLevel);
    EXPECT_TRUE(Plan({"--headless", "--autopilot", "--one-level"}).oneLevel);
    // --frames wins over every other limit.
    p = Plan({"--headless", "--autopilot", "--frames", "77"});
    EXPECT_EQ(p.frameLimit, 77u);
    EXPECT_FALSE(p.untilGameOver);
    // In a window the autopilot runs until closed and shows no demos.
    p = Plan({"--autopilot", "--level", "3"});
    EXPECT_EQ(p.frameLimit, ~0ull);
    EXPECT_EQ(p.startLevel, 3);
    EXPECT_FALSE(p.attract);
}

TEST(RunPlan, AReplayRunsTheDemosLengthAndDecidesNothingItself) {
    RunPlan p = Plan({"--replay", "a.dwdemo"});
    EXPECT_TRUE(p.replay);
    EXPECT_TRUE(p.limitIsDemoLength);
    EXPECT_EQ(p.window, WindowStart::Window);
    EXPECT_FALSE(p.rememberWindow);
    EXPECT_FALSE(p.attract);
    EXPECT_FALSE(p.autopilot);
    EXPECT_FALSE(p.record);
    p = Plan({"--headless", "--replay", "a.dwdemo", "--frames", "10"});
    EXPECT_FALSE(p.limitIsDemoLength);
    EXPECT_EQ(p.frameLimit, 10u);
    EXPECT_TRUE(p.play);
    EXPECT_FALSE(p.attract);
}

TEST(RunPlan, TheTimedemoTimesWithRoomForItsFramesAndKeepsNoGames) {
    RunPlan p = Plan({"--headless", "--replay", "a.dwdemo", "--timedemo", "--timedemo-from", "40"});
    EXPECT_TRUE(p.timedemo);
    EXPECT_EQ(p.timedFrom, 40u);
    EXPECT_FALSE(p.keepGames);
    EXPECT_EQ(p.TimedFrames(5000), 5000u);
    EXPECT_EQ(p.TimedFrames(~0ull), 1u << 16);       // a window closed by hand
    EXPECT_EQ(p.TimedFrames(1ull << 40), 1u << 22);  // never unbounded
    EXPECT_EQ(Plan({"--headless"}).TimedFrames(600), 0u);
    // A timedemo in a window shows no demos of its own.
    EXPECT_FALSE(Plan({"--autopilot", "--timedemo"}).attract);
    EXPECT_FALSE(Plan({"--timedemo"}).attract);
}

TEST(RunPlan, TheSeedIsTheCommandLinesOrChosenForPlay) {
    RunPlan p = Plan({"--seed", "9"});
    ASSERT_TRUE(p.seed);
    EXPECT_EQ(*p.seed, 9u);
    EXPECT_FALSE(p.chooseSeed);
    // A plain headless run takes the session's clock, as the game itself would.
    EXPECT_FALSE(Plan({"--headless"}).chooseSeed);
    EXPECT_TRUE(Plan({"--headless", "--level", "2"}).chooseSeed);
    p = Plan({"--level", "4", "--arsenal", "3,2,50", "--size", "1024x768"});
    EXPECT_EQ(p.arsenal.laser, 3);
    EXPECT_EQ(p.arsenal.rockets, 50);
    EXPECT_EQ(p.width, 1024);
    EXPECT_EQ(p.height, 768);
}

}  // namespace
}  // namespace dw
