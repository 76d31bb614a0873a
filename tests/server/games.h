#pragma once
// Real games for the server's tests: played headless from the first level
// to their game over and recorded, as the game keeps them.
#include <atomic>
#include <cstdint>
#include <string>

#include "app/autopilot.h"
#include "app/demo.h"
#include "common/demo_session.h"
#include "core/game_context.h"

namespace dw::testing {

struct RecordedGame {
    Demo demo;
    std::uint32_t score = 0;         // what the game showed at its end
    std::uint32_t levelReached = 0;  // counted from 0
    bool over = false;
};

// A game at the first level, recorded up to the frame where its score goes
// to the table: the built-in player plays its first `autopilotFrames`
// frames, then nobody steers (it would play on for hours), and the ship is
// lost four times over.
inline RecordedGame RecordGame(std::uint32_t seed, std::uint64_t autopilotFrames, std::uint64_t maxFrames = 400000) {
    // A folder of each call's own: the load bench records on several
    // threads at once (TempDir adds the process's id).
    static std::atomic<unsigned> calls{0};
    const std::string name = "dw-server-record-" + std::to_string(++calls);
    TempDir dir(name.c_str());
    SessionOptions o = StartAt(dir, seed, 0);
    o.record = true;
    DemoSession s(o);
    RecordedGame g;
    if (!s.Start()) return g;
    Autopilot pilot;
    for (std::uint64_t frame = 0; frame < maxFrames && !g.over; ++frame) {
        if (frame < autopilotFrames) {
            pilot.Drive(s.context(), s.input());
        } else {
            s.input().ReleaseAllKeys();
            for (int b = 0; b < 4; ++b) s.input().SetButton(b, false);
        }
        if (!s.Step()) break;
        g.over = s.context().scoreFromGame != 0;
    }
    g.score = s.context().score;
    g.levelReached = s.context().currentLevel;
    g.demo = s.recorded();
    return g;
}

}  // namespace dw::testing
