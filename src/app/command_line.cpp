#include "app/command_line.h"
#include "platform/controls.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace dw {

namespace {

template <typename T>
bool ParseNumber(const std::string& s, T& out) {
    if (s.empty()) return false;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size();
}

bool Fail(std::string& error, const char* text) {
    error = text;
    return false;
}

bool ParseSize(CommandLine& cl, const std::string& v, std::string& error) {
    const auto x = v.find('x');
    if (x == std::string::npos || !ParseNumber(v.substr(0, x), cl.width) || !ParseNumber(v.substr(x + 1), cl.height) ||
        cl.width < 100 || cl.height < 100 || cl.width > 16384 || cl.height > 16384)
        return Fail(error, "--size wants WIDTHxHEIGHT, e.g. 1024x768");
    return true;
}

bool ParseArsenal(CommandLine& cl, const std::string& v, std::string& error) {
    const auto c1 = v.find(','), c2 = c1 == std::string::npos ? c1 : v.find(',', c1 + 1);
    unsigned laser = 0, plasma = 0, rockets = 0;
    if (c2 == std::string::npos || !ParseNumber(v.substr(0, c1), laser) ||
        !ParseNumber(v.substr(c1 + 1, c2 - c1 - 1), plasma) || !ParseNumber(v.substr(c2 + 1), rockets) || laser > 3 ||
        plasma > 2 || rockets > 999)
        return Fail(error, "--arsenal wants LASER,PLASMA,ROCKETS: laser 0 to 3, plasma 0 to 2, rockets 0 to 999");
    cl.arsenal = {true, static_cast<std::uint8_t>(laser), static_cast<std::uint8_t>(plasma),
                  static_cast<std::uint16_t>(rockets)};
    return true;
}

using S = std::string;

// The table. A row's `help` is one line of --help; keep it short enough
// that the line fits 80 columns.
const std::vector<OptionSpec> kOptions = {
    {"--windowed", nullptr, nullptr, "play in a window (default: full screen)",
     [](CommandLine& cl, const S&, S&) { return cl.windowed = true; }},
    {"--fullscreen", nullptr, nullptr, "play full screen",
     [](CommandLine& cl, const S&, S&) { return cl.fullscreen = true; }, nullptr, "--windowed"},
    {"--size", nullptr, "WxH", "window size, e.g. 1024x768 (100 to 16384 each way)", ParseSize, nullptr, "--replay",
     true},
    {"--gles", nullptr, nullptr, "draw with OpenGL ES 3.0 instead of desktop OpenGL 3.3",
     [](CommandLine& cl, const S&, S&) { return cl.gles = true; }, nullptr, "--headless"},
    {"--data", nullptr, "FILE", "the game data file to use instead of gamedata.res",
     [](CommandLine& cl, const S& v, S& e) {
         return !(cl.dataFile = v).empty() || Fail(e, "--data wants a file name");
     }},
    // An empty name would put the files in the working directory.
    {"--user-dir", nullptr, "DIR", "keep settings, high scores, replays and the log in DIR",
     [](CommandLine& cl, const S& v, S& e) {
         return !(cl.userDir = v).empty() || Fail(e, "--user-dir wants a directory name");
     }},
    {"--headless", nullptr, nullptr, "run without a window or sound (for tests)",
     [](CommandLine& cl, const S&, S&) { return cl.headless = true; }},
    {"--fixed-step", nullptr, "MS", "advance the clock MS milliseconds a frame (1 to 1000)",
     [](CommandLine& cl, const S& v, S& e) {
         return (ParseNumber(v, cl.fixedStep) && cl.fixedStep > 0 && cl.fixedStep <= 1000) ||
             Fail(e, "--fixed-step wants milliseconds from 1 to 1000");
     },
     nullptr, "--replay", true},
    {"--frames", nullptr, "N", "stop after N frames",
     [](CommandLine& cl, const S& v, S& e) {
         return (ParseNumber(v, cl.frames) && cl.frames >= 0) || Fail(e, "--frames wants a count");
     }},
    {"--seed", nullptr, "N", "seed of the random generator",
     [](CommandLine& cl, const S& v, S& e) {
         std::uint32_t s = 0;
         if (!ParseNumber(v, s)) return Fail(e, "--seed wants an unsigned number");
         cl.seed = s;
         return true;
     },
     nullptr, "--replay", true},
    {"--record", nullptr, "FILE", "record the game into the demo FILE",
     [](CommandLine& cl, const S& v, S&) {
         cl.recordFile = v;
         return true;
     },
     nullptr, "--replay"},
    {"--replay", nullptr, "FILE", "play back the demo FILE",
     [](CommandLine& cl, const S& v, S&) {
         cl.replayFile = v;
         return true;
     }},
    {"--autopilot", nullptr, nullptr, "let the built-in player play",
     [](CommandLine& cl, const S&, S&) { return cl.autopilot = true; }, nullptr, "--replay", true},
    {"--one-level", nullptr, nullptr, "with --autopilot: stop once its first level is over",
     [](CommandLine& cl, const S&, S&) { return cl.oneLevel = true; }, "--autopilot"},
    {"--level", nullptr, "N", "start a new game at level N (0 to 9), past the menu",
     [](CommandLine& cl, const S& v, S& e) {
         return (ParseNumber(v, cl.level) && cl.level >= 0 && cl.level <= 9) ||
             Fail(e, "--level wants a level from 0 to 9");
     },
     nullptr, "--replay", true},
    {"--arsenal", nullptr, "L,P,R", "with --level: laser 0-3, plasma 0-2, rockets 0-999", ParseArsenal, "--level",
     "--replay", true},
    {"--timedemo", nullptr, nullptr, "run as fast as possible and print frame-time figures",
     [](CommandLine& cl, const S&, S&) { return cl.timedemo = true; }},
    {"--timedemo-from", nullptr, "N", "with --timedemo: time the frames after the first N",
     [](CommandLine& cl, const S& v, S& e) {
         return ParseNumber(v, cl.timedemoFrom) || Fail(e, "--timedemo-from wants a frame count");
     },
     "--timedemo"},
    {"--screenshot", nullptr, "FILE", "write the last frame to FILE as PNG",
     [](CommandLine& cl, const S& v, S&) {
         cl.screenshotFile = v;
         return true;
     }},
    {"--report", nullptr, "FILE", "write the game's state at exit to FILE as JSON",
     [](CommandLine& cl, const S& v, S&) {
         cl.reportFile = v;
         return true;
     }},
    {"--help", "-h", nullptr, "show this help and exit", [](CommandLine& cl, const S&, S&) { return cl.help = true; }},
    {"--version", nullptr, nullptr, "show the version and exit",
     [](CommandLine& cl, const S&, S&) { return cl.version = true; }},
};

const std::vector<ControlSpec> kControls = {
    {"mouse", "steer the ship, point in menus"},
    {"arrow keys, W/A/S/D", "steer the ship (in play)"},
    {"left button, Left Ctrl, Z", "fire the main weapon"},
    {"right button, Left Alt, X", "launch a homing rocket"},
    {"Escape", "back to the menu (pause); so does losing the focus"},
    {"arrow keys, Enter, Escape", "menus: choose, move a slider, turn pages, go back"},
    {"Alt+Enter", "switch between full screen and window"},
    {"Ctrl+Space", "stop the sound and minimise"},
    {"F12, Print Screen", "save a screenshot in the screenshots folder"},
    {"gamepad stick, D-pad", "steer the ship; choose menu items"},
    {"gamepad A, right trigger", "fire the main weapon (Enter in menus)"},
    {"gamepad B, left trigger", "launch a homing rocket (Escape in menus)"},
    {"gamepad Start, Back", "back to the menu (pause)"},
};

const OptionSpec* Find(const std::string& arg) {
    for (const OptionSpec& o : kOptions)
        if (arg == o.name || (o.shortName && arg == o.shortName)) return &o;
    return nullptr;
}

// A row joins the previous one's brackets in the usage as an alternative
// ("[--windowed | --fullscreen]") when the two exclude each other.
bool Alternatives(const OptionSpec& a, const OptionSpec& b) {
    if (a.goesWith || b.goesWith || a.demoBringsItsOwn || b.demoBringsItsOwn) return false;
    return (a.excludes && S(a.excludes) == b.name) || (b.excludes && S(b.excludes) == a.name);
}

std::string UsageOf(const OptionSpec& o) {
    std::string text = o.name;
    if (o.value) text += std::string(" ") + o.value;
    // The options that go with this one, inside its brackets.
    for (const OptionSpec& with : kOptions)
        if (with.goesWith && S(with.goesWith) == o.name) text += " [" + UsageOf(with) + "]";
    return text;
}

std::string Padded(const std::string& text, std::size_t width) {
    if (text.size() + 2 > width) return text + "\n" + std::string(width, ' ');
    return text + std::string(width - text.size(), ' ');
}

}  // namespace

const std::vector<OptionSpec>& CommandLineOptions() { return kOptions; }

const std::vector<ControlSpec>& GameControls() { return kControls; }

std::string CommandLineUsage() {
    const std::string lead = "usage: duskwhirl ";
    std::vector<std::string> groups;
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        const OptionSpec& o = kOptions[i];
        if (o.goesWith) continue;
        if (i > 0 && Alternatives(kOptions[i - 1], o) && !groups.empty()) {
            groups.back().append(" | ").append(UsageOf(o));
            continue;
        }
        groups.push_back(UsageOf(o));
    }
    std::string text = lead, line;
    for (const std::string& g : groups) {
        // Each group between brackets.
        if (!line.empty() && lead.size() + line.size() + 1 + g.size() + 2 > 80) {
            text += line + "\n" + std::string(lead.size(), ' ');
            line.clear();
        }
        if (!line.empty()) line += ' ';
        line += '[';
        line += g;
        line += ']';
    }
    return text + line + "\n";
}

namespace {
// "  Left, A                 steer left"
std::string KeyLine(const std::array<std::uint8_t, 2>& keys, const char* what, std::size_t column) {
    std::string names = platform::FormatKeys(keys);
    for (std::size_t at = names.find(','); at != std::string::npos; at = names.find(',', at + 2))
        names.replace(at, 1, ", ");
    return Padded("  " + names, column) + what + "\n";
}
}  // namespace

std::string CommandLineHelp(const platform::Controls& keys) {
    constexpr std::size_t kColumn = 26;
    std::string text =
        "Duskwhirl 2: an arcade space shoot-'em-up.\n"
        "\n"
        "usage: duskwhirl [OPTION]...\n"
        "\n"
        "Options:\n";
    for (const OptionSpec& o : kOptions) {
        std::string names = o.shortName ? std::string(o.shortName) + ", " + o.name : std::string(o.name);
        if (o.value) names += std::string(" ") + o.value;
        text += Padded("  " + names, kColumn) + o.help + "\n";
    }
    text += "\nControls:\n";
    for (const ControlSpec& c : kControls) text += Padded(std::string("  ") + c.input, kColumn) + c.action + "\n";
    static const char* const kWhat[platform::kKeyActions] = {"steer left (in play)",
                                                             "steer right",
                                                             "steer up",
                                                             "steer down",
                                                             "fire the main weapon",
                                                             "launch a homing rocket",
                                                             "back to the menu (pause)"};
    text += "\nKeys as bound now (Options, Display & controls; settings.ini):\n";
    for (int i = 0; i < platform::kKeyActions; ++i) text += KeyLine(keys.keys[i], kWhat[i], kColumn);
    text +=
        "\n"
        "Files:\n"
        "  gamedata.res     the pictures, sounds and music; the first usable one of:\n"
        "                   --data FILE, $DUSKWHIRL_DATA, next to the program,\n"
        "                   <program>/../share/duskwhirl or ../share/games/duskwhirl,\n"
        "                   duskwhirl or games/duskwhirl in each $XDG_DATA_DIRS,\n"
        "                   the data directory the game was built for\n"
        "  user directory   --user-dir DIR, else $XDG_DATA_HOME/QVM/Duskwhirl\n"
        "                   (~/.local/share/QVM/Duskwhirl): settings.ini, records.csm\n"
        "                   (high scores), file.log (the log of the last run),\n"
        "                   replays/ (the games played, as demos to --replay),\n"
        "                   screenshots/ (the pictures F12 takes)\n"
        "\n"
        "Exit status: 0 when the game ends normally, 1 when it cannot run (no game data\n"
        "in a window, no display, an output file that cannot be written), 2 for a\n"
        "mistake on the command line. See duskwhirl(6).\n";
    return text;
}

namespace {

// The options given, each applied to `cl` in turn; false (with `error`) at
// the first that is unknown, lacks its value or refuses it.
bool ApplyOptions(const std::vector<std::string>& args, CommandLine& cl, std::set<std::string>& given,
                  std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const OptionSpec* o = Find(args[i]);
        if (!o) {
            error = "unknown option " + args[i];
            return false;
        }
        std::string value;
        if (o->value) {
            if (i + 1 >= args.size()) {
                error = "option " + args[i] + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (!o->apply(cl, value, error)) return false;
        given.insert(o->name);
    }
    return true;
}

// The options that go with another, and those that exclude another; false
// (with `error`) at the first pair that does not hold.
bool CheckPairs(const std::set<std::string>& given, std::string& error) {
    for (const OptionSpec& o : kOptions) {
        if (o.goesWith && given.count(o.name) && !given.count(o.goesWith)) {
            error = std::string(o.name) + " goes with " + o.goesWith;
            return false;
        }
    }
    // A demo carries its own start, seed, arsenal, window size and time
    // steps; taking any of them from the command line would silently play
    // another game.
    for (const OptionSpec& o : kOptions) {
        if (o.excludes && given.count(o.name) && given.count(o.excludes)) {
            // Named in the order of the table, but the option a demo brings first.
            const bool swap = !o.demoBringsItsOwn && Find(o.excludes) < &o;
            error = std::string(swap ? o.excludes : o.name) + " and " + (swap ? o.name : o.excludes) +
                " exclude each other" + (o.demoBringsItsOwn ? " (a demo brings its own)" : "");
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args, std::string& error) {
    CommandLine cl;
    std::set<std::string> given;
    if (!ApplyOptions(args, cl, given, error) || !CheckPairs(given, error)) return std::nullopt;
    return cl;
}

}  // namespace dw
