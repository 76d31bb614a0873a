// Reduced flashes change how blasts look, never the game: a bench demo with
// a boss's death and two deaths of the ship replays to the same game, frame
// by frame, with the option off and on.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/demo_session.h"
#include "common/temp_dir.h"
#include "core/game_context.h"
#include "engine/list_engine.h"

namespace dw {
namespace {

struct Frame {
    std::uint32_t timeNow, score, energy, body, shipsLeft, rockets;
    std::uint32_t blasts, sparks, objects;
    float scroll, shipLeft, shipTop;
    bool operator==(const Frame&) const = default;
};

struct Replayed {
    std::vector<Frame> frames;
    std::string report;
    std::uint8_t optionAtEnd = 0;
};

Replayed Replay(const Demo& demo, std::uint8_t reduce) {
    TempDir dir("dw_reduced_flashes");
    DemoSession session(ReplayOf(demo, dir));
    std::string error;
    Replayed run;
    if (!session.Start(error)) {
        ADD_FAILURE() << error;
        return run;
    }
    GameContext& c = session.context();
    c.display.reduceFlashes = reduce;
    while (session.Step()) {
        std::uint32_t objects = 0;
        for (auto* n = c.objectList->Head(); n; n = n->next) ++objects;
        run.frames.push_back({c.timeNow, c.score, c.energy, c.body, c.shipsLeft, c.rockets,
                              static_cast<std::uint32_t>(c.objectList->CountNamed("explo")),
                              static_cast<std::uint32_t>(c.objectList->CountNamed("fpart")), objects, c.scrollPosition,
                              c.shipSlots[0].boxMin[0], c.shipSlots[0].boxMin[1]});
    }
    run.report = Report(session);
    run.optionAtEnd = c.display.reduceFlashes;
    return run;
}

TEST(ReducedFlashes, ABossDeathAndTheShipsDeathsPlayTheSameWithTheOptionOn) {
    Demo demo;
    std::string error;
    ASSERT_TRUE(LoadDemoFile(std::string(DW_SOURCE_DIR) + "/bench/level8-with-boss.dwdemo", demo, error)) << error;
    const Replayed off = Replay(demo, 0), on = Replay(demo, 1);
    EXPECT_EQ(on.optionAtEnd, 1) << "the option was not on all the way";
    ASSERT_EQ(off.frames.size(), on.frames.size());
    // The demo holds what the option dims: many blasts at once (the boss's
    // death) and lost ships.
    std::uint32_t mostBlasts = 0;
    for (const Frame& f : off.frames) mostBlasts = std::max(mostBlasts, f.blasts);
    EXPECT_GE(mostBlasts, 10u);
    EXPECT_LT(off.frames.back().shipsLeft, 3u);
    for (std::size_t i = 0; i < off.frames.size(); ++i)
        ASSERT_TRUE(off.frames[i] == on.frames[i])
            << "frame " << i + 1 << " differs (score " << off.frames[i].score << " vs " << on.frames[i].score << ")";
    EXPECT_EQ(off.report, on.report);
}

}  // namespace
}  // namespace dw
