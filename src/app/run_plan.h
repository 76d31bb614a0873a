#pragma once
// What a command line asks the program to do, decided before anything is
// opened: a pure function of the options, so every rule of "which run is
// this" can be tested without a window, a data file or a clock.
#include <cstdint>
#include <optional>
#include <string>

#include "app/arsenal.h"
#include "app/command_line.h"

namespace dw {

// How the window of a session starts.
enum class WindowStart {
    Window,      // in the window
    FullScreen,  // switched to full screen at the end of the scene's start
    AsLeft,      // as the player left it (the settings' FullScreen)
};

struct RunPlan {
    bool windowed = false;  // an SDL window with OpenGL; else the headless devices
    // A session of play (a window, a recording, a replay, the autopilot, a
    // level or a timedemo); else a plain headless run that plays the menu.
    bool play = false;
    bool replay = false;  // the demo of --replay plays back
    bool record = false;
    bool autopilot = false;  // the built-in player drives the input (never for a replay)
    int startLevel = -1;     // -1: the menu
    Arsenal arsenal;
    std::uint32_t stepMs = 16;
    // --fixed-step: the clock moves stepMs a frame, in a window too (else a
    // window follows the real time).
    bool fixedStep = false;
    std::optional<std::uint32_t> seed;  // the command line's
    bool chooseSeed = false;            // none given: the program picks one (kept in the demo)
    int width = 0, height = 0;          // the window asked for (0: the settings' size)
    WindowStart window = WindowStart::Window;
    bool rememberWindow = false;  // the window's size goes to the settings at the close
    bool keepGames = false;       // the games played are kept in the replays folder

    // The stop rules.
    std::uint64_t frameLimit = ~0ull;  // frames of the program, attract demos included
    bool limitIsDemoLength = false;    // a replay without --frames stops at the demo's end
    bool untilGameOver = false;        // a headless autopilot stops when its game is over
    bool oneLevel = false;             // an autopilot run stops when its first level is over

    bool timedemo = false;
    std::uint64_t timedFrom = 0;
    // Plain play left alone on the main menu shows the game's demos.
    bool attract = false;

    // The frames the timer makes room for, given the limit in force.
    std::size_t TimedFrames(std::uint64_t limit) const;
};

RunPlan PlanRun(const CommandLine& cl);

}  // namespace dw
