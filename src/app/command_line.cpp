#include "app/command_line.h"

#include <algorithm>
#include <charconv>

namespace dw {

namespace {
template <typename T>
bool ParseNumber(const std::string& s, T& out) {
    if (s.empty()) return false;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size();
}
}  // namespace

const char* CommandLineUsage() {
    return "usage: duskwhirl [--windowed | --fullscreen] [--size WxH] [--gles] [--data FILE]\n"
           "                 [--user-dir DIR] [--headless] [--fixed-step MS] [--frames N]\n"
           "                 [--seed N] [--record FILE | --replay FILE] [--autopilot [--one-level]]\n"
           "                 [--level N [--arsenal LASER,PLASMA,ROCKETS]] [--timedemo [--timedemo-from N]]\n"
           "                 [--screenshot FILE] [--report FILE] [--help] [--version]\n";
}

namespace {
const char* const kHelpHead = "Duskwhirl 2: an arcade space shoot-'em-up.\n"
           "\n"
           "usage: duskwhirl [OPTION]...\n"
           "\n"
           "Options:\n"
           "  --windowed              play in a window (default: full screen)\n"
           "  --fullscreen            play full screen\n"
           "  --size WxH              window size, e.g. 1024x768 (100 to 16384 each way)\n"
           "  --gles                  draw with OpenGL ES 3.0 instead of desktop OpenGL 3.3\n"
           "  --data FILE             the game data file to use instead of gamedata.res\n"
           "  --user-dir DIR          keep settings, high scores and the log in DIR\n"
           "  --headless              run without a window or sound (for tests)\n"
           "  --fixed-step MS         advance the clock MS milliseconds a frame (1 to 1000)\n"
           "  --frames N              stop after N frames\n"
           "  --seed N                seed of the random generator\n"
           "  --record FILE           record the game into the demo FILE\n"
           "  --replay FILE           play back the demo FILE\n"
           "  --autopilot             let the built-in player play\n"
           "  --level N               start a new game at level N (0 to 9), past the menu\n"
           "  --arsenal L,P,R         with --level: laser 0-3, plasma 0-2, rockets 0-999\n"
           "  --timedemo              run as fast as possible and print frame-time figures\n"
           "  --timedemo-from N       with --timedemo: time the frames after the first N\n"
           "  --screenshot FILE       write the last frame to FILE as PNG\n"
           "  --report FILE           write the game's state at exit to FILE as JSON\n"
           "  -h, --help              show this help and exit\n"
           "  --version               show the version and exit\n"
           "\n"
           "Controls:\n"
           "  mouse                   steer the ship, point in menus\n"
           "  left button             fire the main weapon\n"
           "  right button            launch a homing rocket\n";
const char* const kHelpTail =
           "  arrow keys, Enter       choose menu items (Escape: back)\n"
           "  Alt+Enter               switch between full screen and window\n"
           "  Ctrl+Space              stop the sound and minimise\n"
           "\n"
           "Files:\n"
           "  gamedata.res     the pictures, sounds and music; the first usable one of:\n"
           "                   --data FILE, $DUSKWHIRL_DATA, next to the program,\n"
           "                   <program>/../share/duskwhirl or ../share/games/duskwhirl,\n"
           "                   duskwhirl or games/duskwhirl in each $XDG_DATA_DIRS,\n"
           "                   the data directory the game was built for\n"
           "  user directory   --user-dir DIR, else $XDG_DATA_HOME/QVM/Duskwhirl\n"
           "                   (~/.local/share/QVM/Duskwhirl): settings.ini, records.csm\n"
           "                   (high scores), file.log (the log of the last run)\n"
           "\n"
           "Exit status: 0 when the game ends normally, 1 when it cannot run (no game data\n"
           "in a window, no display, an output file that cannot be written), 2 for a\n"
           "mistake on the command line. See duskwhirl(6).\n";

// "  Left, A                 steer left"
std::string KeyLine(const std::array<std::uint8_t, 2>& keys, const char* what) {
    std::string names = platform::FormatKeys(keys);
    for (std::size_t at = names.find(','); at != std::string::npos; at = names.find(',', at + 2))
        names.replace(at, 1, ", ");
    names.resize(std::max<std::size_t>(names.size() + 1, 24), ' ');
    return "  " + names + what + "\n";
}
}  // namespace

std::string CommandLineHelp(const platform::Controls& keys) {
    using platform::KeyAction;
    static const char* const kWhat[platform::kKeyActions] = {
        "steer left (in play)", "steer right", "steer up", "steer down", "fire the main weapon",
        "launch a homing rocket", "back to the menu (pause)"};
    std::string help = kHelpHead;
    for (int i = 0; i < platform::kKeyActions; ++i) help += KeyLine(keys.keys[i], kWhat[i]);
    return help + kHelpTail;
}

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string& error) {
    CommandLine cl;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) -> bool {
            if (i + 1 >= args.size()) {
                error = "option " + a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--windowed") {
            cl.windowed = true;
        } else if (a == "--fullscreen") {
            cl.fullscreen = true;
        } else if (a == "--gles") {
            cl.gles = true;
        } else if (a == "--size") {
            if (!value(v)) return std::nullopt;
            auto x = v.find('x');
            if (x == std::string::npos || !ParseNumber(v.substr(0, x), cl.width) ||
                !ParseNumber(v.substr(x + 1), cl.height) || cl.width < 100 || cl.height < 100 ||
                cl.width > 16384 || cl.height > 16384) {
                error = "--size wants WIDTHxHEIGHT, e.g. 1024x768";
                return std::nullopt;
            }
        } else if (a == "--data") {
            if (!value(cl.dataFile)) return std::nullopt;
            if (cl.dataFile.empty()) {
                error = "--data wants a file name";
                return std::nullopt;
            }
        } else if (a == "--user-dir") {
            if (!value(cl.userDir)) return std::nullopt;
            // An empty name would put the files in the working directory.
            if (cl.userDir.empty()) {
                error = "--user-dir wants a directory name";
                return std::nullopt;
            }
        } else if (a == "--headless") {
            cl.headless = true;
        } else if (a == "--fixed-step") {
            if (!value(v)) return std::nullopt;
            if (!ParseNumber(v, cl.fixedStep) || cl.fixedStep == 0 || cl.fixedStep > 1000) {
                error = "--fixed-step wants milliseconds from 1 to 1000";
                return std::nullopt;
            }
        } else if (a == "--frames") {
            if (!value(v)) return std::nullopt;
            if (!ParseNumber(v, cl.frames) || cl.frames < 0) {
                error = "--frames wants a count";
                return std::nullopt;
            }
        } else if (a == "--seed") {
            if (!value(v)) return std::nullopt;
            std::uint32_t s = 0;
            if (!ParseNumber(v, s)) {
                error = "--seed wants an unsigned number";
                return std::nullopt;
            }
            cl.seed = s;
        } else if (a == "--record") {
            if (!value(cl.recordFile)) return std::nullopt;
        } else if (a == "--replay") {
            if (!value(cl.replayFile)) return std::nullopt;
        } else if (a == "--autopilot") {
            cl.autopilot = true;
        } else if (a == "--one-level") {
            cl.oneLevel = true;
        } else if (a == "--level") {
            if (!value(v)) return std::nullopt;
            if (!ParseNumber(v, cl.level) || cl.level < 0 || cl.level > 9) {
                error = "--level wants a level from 0 to 9";
                return std::nullopt;
            }
        } else if (a == "--arsenal") {
            if (!value(v)) return std::nullopt;
            const auto c1 = v.find(','), c2 = c1 == std::string::npos ? c1 : v.find(',', c1 + 1);
            unsigned laser = 0, plasma = 0, rockets = 0;
            if (c2 == std::string::npos || !ParseNumber(v.substr(0, c1), laser) ||
                !ParseNumber(v.substr(c1 + 1, c2 - c1 - 1), plasma) || !ParseNumber(v.substr(c2 + 1), rockets) ||
                laser > 3 || plasma > 2 || rockets > 999) {
                error = "--arsenal wants LASER,PLASMA,ROCKETS: laser 0 to 3, plasma 0 to 2, rockets 0 to 999";
                return std::nullopt;
            }
            cl.arsenal = {true, static_cast<std::uint8_t>(laser), static_cast<std::uint8_t>(plasma),
                          static_cast<std::uint16_t>(rockets)};
        } else if (a == "--timedemo") {
            cl.timedemo = true;
        } else if (a == "--timedemo-from") {
            if (!value(v)) return std::nullopt;
            if (!ParseNumber(v, cl.timedemoFrom)) {
                error = "--timedemo-from wants a frame count";
                return std::nullopt;
            }
        } else if (a == "--screenshot") {
            if (!value(cl.screenshotFile)) return std::nullopt;
        } else if (a == "--report") {
            if (!value(cl.reportFile)) return std::nullopt;
        } else if (a == "--help" || a == "-h") {
            cl.help = true;
        } else if (a == "--version") {
            cl.version = true;
        } else {
            error = "unknown option " + a;
            return std::nullopt;
        }
    }
    if (cl.gles && cl.headless) {
        error = "--gles chooses how a window draws; --headless has none";
        return std::nullopt;
    }
    if (cl.windowed && cl.fullscreen) {
        error = "--windowed and --fullscreen exclude each other";
        return std::nullopt;
    }
    if (cl.arsenal.given && cl.level < 0) {
        error = "--arsenal goes with --level";
        return std::nullopt;
    }
    if (cl.timedemoFrom > 0 && !cl.timedemo) {
        error = "--timedemo-from goes with --timedemo";
        return std::nullopt;
    }
    if (cl.oneLevel && !cl.autopilot) {
        error = "--one-level goes with --autopilot";
        return std::nullopt;
    }
    if (!cl.replayFile.empty()) {
        // A demo carries its own start, seed, arsenal, window size and time
        // steps; taking any of them from the command line would silently play
        // another game.
        const char* clash = cl.arsenal.given ? "--arsenal"
                            : cl.level >= 0  ? "--level"
                            : cl.seed        ? "--seed"
                            : cl.width > 0   ? "--size"
                            : cl.fixedStep   ? "--fixed-step"
                            : cl.autopilot   ? "--autopilot"
                                             : nullptr;
        if (clash) {
            error = std::string(clash) + " and --replay exclude each other (a demo brings its own)";
            return std::nullopt;
        }
    }
    if (!cl.recordFile.empty() && !cl.replayFile.empty()) {
        error = "--record and --replay exclude each other";
        return std::nullopt;
    }
    return cl;
}

}  // namespace dw
