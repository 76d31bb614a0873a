#pragma once
// What a demo's game came to, found by replaying the demo headless: the one
// entry point for a program that wants a demo's result without a window (the
// score server's verifier). The game counted is the last one begun in the
// demo; it is over once its score went to the high-score table (game over,
// the last level done, or given up for the table), as the replays of the
// games played see it.
#include <cstdint>
#include <string>

namespace dw {

struct Demo;

struct GameOutcome {
    std::uint64_t frames = 0;        // frames replayed
    std::uint32_t gamesBegun = 0;    // games begun in the demo
    std::uint32_t startLevel = 0;    // the level the last one began at (0: the first)
    bool over = false;               // the last game's score went to the table
    std::uint32_t score = 0;         // its score then
    std::uint32_t levelReached = 0;  // the level it was in then (0: the first)
    std::uint64_t overFrame = 0;     // frames replayed when it was over
};

// Replays `demo` on headless devices (game data `dataFile`, "" for the
// usual search; files of the session in `userDir`). False when the session
// could not start or found no game data, with the reason in `error`.
bool ReplayOutcome(const Demo& demo, const std::string& dataFile, const std::string& userDir, GameOutcome& out,
                   std::string& error);

}  // namespace dw
