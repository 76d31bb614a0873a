// One session's configuration, resolved once from the run's plan (and a
// replayed demo's header): the seed, the clock's start, the size, the start
// level and arsenal, the settings and what is written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/headless_devices.h"
#include "app/run_plan.h"
#include "app/session_config.h"

namespace dw {
namespace {

constexpr std::uint32_t kChosen = 77;  // the program's pick for a run given no seed

RunPlan Plan(const std::vector<std::string>& args) {
    std::string error;
    const auto cl = ParseCommandLine(args, error);
    EXPECT_TRUE(cl) << error;
    return cl ? PlanRun(*cl) : RunPlan{};
}

Demo RecordedDemo() {
    Demo demo;
    demo.header.seed = 4242;
    demo.header.width = 1024;
    demo.header.height = 768;
    demo.header.startClock = 5000;
    demo.header.startLevel = 3;
    demo.header.arsenal = Arsenal{true, 2, 1, 40};
    demo.frames.resize(10);
    return demo;
}

struct Row {
    const char* what;
    std::vector<std::string> args;
    std::string userDir;
    std::uint32_t seed;
    int width, height;
    int startLevel;
    bool record;
    bool keepsGames;
    bool autopilot;
    std::size_t timedFrames;
};

TEST(SessionConfig, ThePlanDecidesSeedSizeStartAndWhatIsWritten) {
    // One row a run, laid out as a table.
    // clang-format off
    const Row rows[] = {
        {"a plain window", {}, "U", kChosen, 0, 0, -1, true, true, false, 0},
        {"a window without a user directory keeps nothing", {}, "", kChosen, 0, 0, -1, false, false, false, 0},
        {"the seed given", {"--seed", "5"}, "U", 5, 0, 0, -1, true, true, false, 0},
        {"a window at a size", {"--size", "1024x768"}, "U", kChosen, 1024, 768, -1, true, true, false, 0},
        {"a plain headless run: the clock's start", {"--headless"}, "U", 1000, 800, 600, -1, false, false, false, 0},
        {"headless at a size", {"--headless", "--size", "640x480", "--seed", "9"}, "U", 9, 640, 480, -1, false, false, false, 0},
        {"the autopilot", {"--headless", "--autopilot"}, "U", kChosen, 800, 600, 0, true, true, true, 0},
        {"a level", {"--headless", "--level", "4", "--arsenal", "3,2,50"}, "U", kChosen, 800, 600, 4, true, true, false, 0},
        {"a recording", {"--headless", "--record", "a.dwdemo", "--seed", "3"}, "", 3, 800, 600, -1, true, false, false, 0},
        {"a timedemo keeps no games", {"--headless", "--autopilot", "--timedemo", "--frames", "100"}, "U", kChosen, 800, 600, 0, false, false, true, 100},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const RunPlan plan = Plan(row.args);
        const std::uint64_t limit = plan.limitIsDemoLength ? 0 : plan.frameLimit;
        const SessionConfig c = ResolveSession(plan, nullptr, kChosen, limit, row.userDir);
        EXPECT_EQ(c.seed, row.seed);
        EXPECT_EQ(c.startClock, 1000u);
        EXPECT_EQ(c.width, row.width);
        EXPECT_EQ(c.height, row.height);
        EXPECT_EQ(c.startLevel, row.startLevel);
        EXPECT_EQ(c.record, row.record);
        EXPECT_EQ(!c.keepGames.empty(), row.keepsGames);
        if (row.keepsGames) {
            EXPECT_EQ(c.keepGames, row.userDir + "/replays");
        }
        EXPECT_EQ(c.autopilot, row.autopilot);
        EXPECT_EQ(c.timedFrames, row.timedFrames);
        EXPECT_FALSE(c.replay);
        EXPECT_FALSE(c.demoSettings);
        EXPECT_EQ(c.stepMs, 16u);
    }
    const SessionConfig a = ResolveSession(Plan({"--level", "4", "--arsenal", "3,2,50"}), nullptr, kChosen, 0, "U");
    EXPECT_TRUE(a.arsenal.given);
    EXPECT_EQ(a.arsenal.laser, 3);
    EXPECT_EQ(a.arsenal.rockets, 50);
    EXPECT_EQ(ResolveSession(Plan({"--headless", "--fixed-step", "20"}), nullptr, 0, 600, "U").stepMs, 20u);
    EXPECT_EQ(ResolveSession(Plan({"--fullscreen"}), nullptr, 0, 0, "U").window, WindowStart::FullScreen);
}

// Whatever else the plan or a test's options say, a replay plays at the
// demo's size, from its clock, with its seed, start and settings, and
// keeps none of the player's games.
TEST(SessionConfig, AReplayedDemoDecidesItsOwnStart) {
    const Demo demo = RecordedDemo();
    const std::vector<std::vector<std::string>> runs = {
        {"--replay", "a.dwdemo"},
        {"--headless", "--replay", "a.dwdemo"},
        {"--headless", "--replay", "a.dwdemo", "--timedemo"},
    };
    std::vector<SessionConfig> configs;
    for (const auto& args : runs) configs.push_back(ResolveSession(Plan(args), &demo, kChosen, 10, "U"));
    HeadlessOptions h;
    h.seed = 1;
    h.width = 320;
    h.height = 200;
    h.startClock = 7;
    PlayOptions play;
    play.replay = &demo;
    play.keepGames = "U/replays";
    play.autopilot = true;
    configs.push_back(ResolveSession(h, play));
    for (const SessionConfig& c : configs) {
        EXPECT_EQ(c.replay, &demo);
        EXPECT_TRUE(c.demoSettings);
        EXPECT_EQ(c.seed, 4242u);
        EXPECT_EQ(c.startClock, 5000u);
        EXPECT_EQ(c.width, 1024);
        EXPECT_EQ(c.height, 768);
        EXPECT_EQ(c.startLevel, 3);
        EXPECT_EQ(c.arsenal.rockets, 40);
        EXPECT_TRUE(c.keepGames.empty());
        EXPECT_FALSE(c.record);
        EXPECT_FALSE(c.autopilot);
        EXPECT_EQ(HeaderOf(c).seed, 4242u);
    }
    EXPECT_EQ(configs[2].timedFrames, 10u);
}

TEST(SessionConfig, ATestsHeadlessOptionsResolveTheSameWay) {
    HeadlessOptions h;
    h.startClock = 2500;
    h.stepMs = 20;
    SessionConfig c = ResolveSession(h, PlayOptions{});
    EXPECT_EQ(c.seed, 2500u) << "no seed: the clock's reading at the start";
    EXPECT_EQ(c.width, 800);
    EXPECT_EQ(c.stepMs, 20u);
    EXPECT_FALSE(c.record);
    h.seed = 11;
    h.fullscreen = true;
    PlayOptions play;
    play.keepGames = "D/replays";
    play.startLevel = 2;
    c = ResolveSession(h, play);
    EXPECT_EQ(c.seed, 11u);
    EXPECT_EQ(c.window, WindowStart::FullScreen);
    EXPECT_TRUE(c.record) << "the games kept are recorded";
    // The header a recording starts with says the same.
    const DemoHeader header = HeaderOf(c);
    EXPECT_EQ(header.seed, 11u);
    EXPECT_EQ(header.startLevel, 2);
    EXPECT_EQ(header.startClock, 2500u);
}

}  // namespace
}  // namespace dw
