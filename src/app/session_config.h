#pragma once
// What one session plays, decided once: the seed, the clock's start, the
// picture's size, the step, the start level and arsenal, the settings a
// replayed demo brings, and what is written (a recording, the games kept,
// the timer's figures). A pure function of the run's plan (or of a test's
// options) and, when one is replayed, of the demo's header; the session
// takes the record whole and decides none of it again.
#include <cstdint>
#include <string>

#include "app/arsenal.h"
#include "app/demo.h"
#include "app/run_plan.h"

namespace dw {

struct HeadlessOptions;

struct SessionConfig {
    std::uint32_t seed = 0;
    std::uint32_t startClock = DemoHeader{}.startClock;  // the clock's reading at the start
    int width = 0, height = 0;                           // the picture asked for (0: the settings' size)
    WindowStart window = WindowStart::Window;
    bool rememberWindow = false;  // the window's size goes to the settings at the close
    std::uint32_t stepMs = 16;    // the step of a frame on a fixed-step clock
    int startLevel = -1;          // -1: the menu; else straight into that level
    Arsenal arsenal;              // the ship's weapons at that start

    // The demo played back (its frames drive the input); its header has
    // decided the fields above. It must outlive the session.
    const Demo* replay = nullptr;
    // The settings that change play come from the demo's header, in memory,
    // instead of the player's settings.ini.
    bool demoSettings = false;

    bool record = false;          // keep what the input objects read (Session::recorded())
    bool autopilot = false;       // the built-in player drives the input
    std::string keepGames;        // the replays directory of the games played ("": none)
    std::size_t timedFrames = 0;  // > 0: time each frame (room reserved for this many)
    std::uint64_t timedFrom = 0;  // the frames before this one go undrawn and untimed
};

// What a session plays, as a test or the attract mode asks for it.
struct PlayOptions {
    const Demo* replay = nullptr;  // play this demo back (its header decides seed and size)
    bool record = false;
    bool autopilot = false;
    int startLevel = -1;
    Arsenal arsenal;
    std::size_t timedFrames = 0;
    std::uint64_t timedFrom = 0;
    std::string keepGames;
    bool rememberWindow = false;  // the window's size goes to the settings at the close
};

// The program's session: `replay` is the demo of --replay (null for none),
// `chosenSeed` the seed the program picked for a run given none, `limit`
// the frames the run may last and `userDir` the user directory in use
// (empty: none, nothing is kept).
SessionConfig ResolveSession(const RunPlan& plan, const Demo* replay, std::uint32_t chosenSeed, std::uint64_t limit,
                             const std::string& userDir);

// A session on headless devices as `devices` and `play` ask for it (the
// size, step, clock and seed of the devices' options).
SessionConfig ResolveSession(const HeadlessOptions& devices, const PlayOptions& play);

// A replayed demo decides the seed, the clock's start, the size, the start
// level, the arsenal and the settings: anything else would play another game.
void TakeDemo(SessionConfig& config, const Demo& demo);

// The header a recording of this session starts with (the picture's size
// and the settings are filled in as the game got them).
DemoHeader HeaderOf(const SessionConfig& config);

}  // namespace dw
