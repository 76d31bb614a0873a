#pragma once
// Options of the duskwhirl command line.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/arsenal.h"
#include "platform/controls.h"

namespace dw {

struct CommandLine {
    bool windowed = false;
    bool fullscreen = false;
    bool gles = false;                // --gles: an OpenGL ES 3.0 context
    int width = 0, height = 0;        // --size WxH (0: not given)
    std::string dataFile;             // --data FILE
    std::string userDir;              // --user-dir DIR
    bool headless = false;
    std::uint32_t fixedStep = 0;      // --fixed-step MS (0: real clock)
    std::int64_t frames = -1;         // --frames N (-1: until quit)
    std::optional<std::uint32_t> seed;
    std::string recordFile;
    std::string replayFile;
    bool autopilot = false;
    // --one-level: an autopilot run ends as soon as its first level is over
    // (cleared or lost), so the report tells what that level alone cost.
    bool oneLevel = false;
    int level = -1;                   // --level N
    // --arsenal L,P,R: the ship enters the --level with laser L (0-3), plasma
    // P (0-2) and R rockets (0-999), for stress demos and tests.
    Arsenal arsenal;
    bool timedemo = false;
    std::uint64_t timedemoFrom = 0;  // frames played undrawn before the timing starts
    std::string screenshotFile;
    std::string reportFile;
    bool help = false;
    bool version = false;
};

// Parses argv. On a mistake returns nullopt and puts a one-line message in
// `error`.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string& error);

// The usage lines (after a mistake).
const char* CommandLineUsage();
// --help: every option with one line each, the controls (with the keys
// bound, settings.ini's), where files live.
std::string CommandLineHelp(const platform::Controls& keys = platform::Controls::Defaults());

}  // namespace dw
