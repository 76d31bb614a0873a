#pragma once
// Options of the duskwhirl command line. One table (command_line.cpp)
// holds every option: its name, its value, its line of help and the check
// of its value; --help, the usage lines, the parser and the test that holds
// the manual page to them all read it. To add an option, add a row there
// (and the field it sets here).
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
    bool gles = false;          // --gles: an OpenGL ES 3.0 context
    int width = 0, height = 0;  // --size WxH (0: not given)
    std::string dataFile;       // --data FILE
    std::string userDir;        // --user-dir DIR
    bool headless = false;
    std::uint32_t fixedStep = 0;  // --fixed-step MS (0: real clock)
    std::int64_t frames = -1;     // --frames N (-1: until quit)
    std::optional<std::uint32_t> seed;
    std::string recordFile;
    std::string replayFile;
    // --watch FILE: the demo shown at once in the menu's demo player, once.
    std::string watchFile;
    bool autopilot = false;
    // --one-level: an autopilot run ends as soon as its first level is over
    // (cleared or lost), so the report tells what that level alone cost.
    bool oneLevel = false;
    int level = -1;  // --level N
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

// One option of the table.
struct OptionSpec {
    const char* name;       // "--size"
    const char* shortName;  // "-h", or null
    const char* value;      // what follows it ("WxH"), or null for a switch
    const char* help;       // its line in --help
    // Sets the option in `cl`; false with a one-line `error` for a bad value.
    bool (*apply)(CommandLine& cl, const std::string& value, std::string& error);
    const char* goesWith = nullptr;  // only with this option
    const char* excludes = nullptr;  // never with this option
    bool demoBringsItsOwn = false;   // with `excludes` = --replay: the demo decides it
};

// Every option, in the order --help lists them.
const std::vector<OptionSpec>& CommandLineOptions();

// One line of the controls (--help and the manual page list them).
struct ControlSpec {
    const char* input;
    const char* action;
};
const std::vector<ControlSpec>& GameControls();

// Parses argv. On a mistake returns nullopt and puts a one-line message in
// `error`.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args, std::string& error);

// The usage lines (after a mistake).
std::string CommandLineUsage();
// --help: every option with one line each, the controls (with the keys
// bound, settings.ini's), where files live.
std::string CommandLineHelp(const platform::Controls& keys = platform::Controls::Defaults());

}  // namespace dw
