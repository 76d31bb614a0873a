#include "app/run_plan.h"

#include <algorithm>

namespace dw {

std::size_t RunPlan::TimedFrames(std::uint64_t limit) const {
    if (!timedemo) return 0;
    // Room for the frames (a window closed by hand: a good while).
    return static_cast<std::size_t>(limit == ~0ull ? 1u << 16 : std::min<std::uint64_t>(limit, 1u << 22));
}

namespace {

void PlanWindow(const CommandLine& cl, RunPlan& p) {
    if (!p.windowed) {
        p.window = cl.fullscreen ? WindowStart::FullScreen : WindowStart::Window;
        return;
    }
    // A recording keeps the window's size; else the window as the player
    // left it, unless asked.
    p.window = p.replay || cl.windowed || p.record ? WindowStart::Window
        : cl.fullscreen                            ? WindowStart::FullScreen
                                                   : WindowStart::AsLeft;
    p.rememberWindow = !p.replay;
}

// How long: --frames, else the demo's length; headless, the autopilot plays
// until the game is over (30 minutes of game time at most) and anything
// else 600 frames; a window runs until it is closed.
void PlanStop(const CommandLine& cl, RunPlan& p) {
    p.frameLimit = p.windowed ? ~0ull : 600;
    if (cl.frames >= 0) {
        p.frameLimit = static_cast<std::uint64_t>(cl.frames);
    } else if (p.replay) {
        p.limitIsDemoLength = true;
    } else if (p.autopilot && !p.windowed) {
        p.frameLimit = 30ull * 60 * 1000 / p.stepMs;
        p.untilGameOver = true;
    }
}

}  // namespace

RunPlan PlanRun(const CommandLine& cl) {
    RunPlan p;
    p.windowed = !cl.headless;
    p.replay = !cl.replayFile.empty();
    p.record = !cl.recordFile.empty();
    p.play = p.windowed || p.record || p.replay || cl.autopilot || cl.level >= 0 || cl.timedemo;
    p.autopilot = cl.autopilot && !p.replay;
    p.startLevel = cl.level >= 0 ? cl.level : (p.autopilot ? 0 : -1);
    p.arsenal = cl.arsenal;
    p.stepMs = cl.fixedStep ? cl.fixedStep : 16;
    p.fixedStep = cl.fixedStep != 0;
    p.seed = cl.seed;
    p.chooseSeed = !cl.seed && p.play;
    p.width = cl.width;
    p.height = cl.height;
    p.keepGames = p.play && !cl.timedemo;
    PlanWindow(cl, p);

    PlanStop(cl, p);
    p.oneLevel = cl.oneLevel && p.autopilot;
    p.timedemo = cl.timedemo;
    p.timedFrom = cl.timedemoFrom;
    // In a window that is not a replay, the autopilot or a timedemo, and in a
    // plain headless run.
    p.attract = p.windowed ? !p.replay && !cl.autopilot && !cl.timedemo : !p.play;
    return p;
}

}  // namespace dw
