#include "app/command_line.h"

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
    return "usage: duskwhirl [--windowed | --fullscreen] [--size WxH] [--data FILE]\n"
           "                 [--user-dir DIR] [--headless] [--fixed-step MS] [--frames N]\n"
           "                 [--seed N] [--record FILE | --replay FILE] [--autopilot [--one-level]]\n"
           "                 [--level N [--arsenal LASER,PLASMA,ROCKETS]] [--timedemo]\n"
           "                 [--screenshot FILE] [--report FILE] [--help] [--version]\n";
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
        } else if (a == "--user-dir") {
            if (!value(cl.userDir)) return std::nullopt;
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
    if (cl.windowed && cl.fullscreen) {
        error = "--windowed and --fullscreen exclude each other";
        return std::nullopt;
    }
    if (cl.arsenal.given && cl.level < 0) {
        error = "--arsenal goes with --level";
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
