#include "app/session_config.h"

#include "app/headless_devices.h"

namespace dw {

void TakeDemo(SessionConfig& config, const Demo& demo) {
    const DemoHeader& header = demo.header;
    config.replay = &demo;
    config.demoSettings = true;
    config.seed = header.seed;
    config.startClock = header.startClock;
    config.width = header.width;
    config.height = header.height;
    config.startLevel = header.startLevel;
    config.arsenal = header.arsenal;
    // A replay writes nothing of the player's: it is no game of theirs.
    config.keepGames.clear();
    config.autopilot = false;
}

namespace {

// The games played are kept as replays, so such a session is recorded.
void KeepGamesIn(SessionConfig& config, const std::string& dir) {
    config.keepGames = dir;
    if (!dir.empty()) config.record = true;
}

// What a run asks of its play, the same in a plan and in play options: the
// start straight into a level, the recording, the built-in player, the
// timed stretch's start.
template <typename Asked>
void TakePlayChoices(SessionConfig& config, const Asked& asked) {
    config.startLevel = asked.startLevel;
    config.arsenal = asked.arsenal;
    config.record = asked.record;
    config.autopilot = asked.autopilot;
    config.timedFrom = asked.timedFrom;
}

}  // namespace

SessionConfig ResolveSession(const RunPlan& plan, const Demo* replay, std::uint32_t chosenSeed, std::uint64_t limit,
                             const std::string& userDir) {
    SessionConfig config;
    config.stepMs = plan.stepMs;
    // Without a seed given, a session of play takes the program's choice
    // (kept in its recording); a plain headless run the clock's reading at
    // its start, as the game itself would.
    config.seed = plan.seed ? *plan.seed : plan.chooseSeed ? chosenSeed : config.startClock;
    if (plan.width > 0) {
        config.width = plan.width;
        config.height = plan.height;
    } else if (!plan.windowed) {
        const HeadlessOptions defaults;
        config.width = defaults.width;
        config.height = defaults.height;
    }
    config.window = plan.window;
    config.rememberWindow = plan.rememberWindow;
    TakePlayChoices(config, plan);
    config.timedFrames = plan.TimedFrames(limit);
    if (replay) {
        TakeDemo(config, *replay);
    } else if (plan.keepGames && !userDir.empty()) {
        KeepGamesIn(config, userDir + "/replays");
    }
    return config;
}

SessionConfig ResolveSession(const HeadlessOptions& devices, const PlayOptions& play) {
    SessionConfig config;
    config.stepMs = devices.stepMs;
    config.startClock = devices.startClock;
    config.seed = devices.seed ? *devices.seed : devices.startClock;
    config.width = devices.width;
    config.height = devices.height;
    config.window = devices.fullscreen ? WindowStart::FullScreen : WindowStart::Window;
    TakePlayChoices(config, play);
    config.timedFrames = play.timedFrames;
    config.rememberWindow = play.rememberWindow;
    if (play.replay) {
        TakeDemo(config, *play.replay);
    } else {
        KeepGamesIn(config, play.keepGames);
    }
    return config;
}

DemoHeader HeaderOf(const SessionConfig& config) {
    if (config.replay) return config.replay->header;
    DemoHeader header;
    header.seed = config.seed;
    header.startLevel = config.startLevel;
    header.arsenal = config.arsenal;
    header.startClock = config.startClock;
    return header;
}

}  // namespace dw
