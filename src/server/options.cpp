#include "server/options.h"

#include <charconv>
#include <functional>

namespace dw::server {

namespace {

template <typename T>
bool Number(const std::string& s, T& out, T least, T most) {
    T v{};
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || v < least || v > most) return false;
    out = v;
    return true;
}

bool ParseListen(ServerOptions& o, const std::string& v) {
    const auto colon = v.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    std::string host = v.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    o.host = host;
    return Number(v.substr(colon + 1), o.port, 1, 65535);
}

struct Option {
    const char* name;
    const char* value;  // null: a flag
    const char* help;
    std::function<bool(ServerOptions&, const std::string&)> apply;
    const char* wants;  // the error's words
};

// clang-format off: one option a row
const std::vector<Option> kOptions = {
    {"--listen", "HOST:PORT", "address and port to serve on (default 127.0.0.1:8090)", ParseListen,
     "HOST:PORT, e.g. 127.0.0.1:8090"},
    {"--db", "URL", "the store: sqlite:PATH (default sqlite:scores.db) or postgresql://...",
     [](ServerOptions& o, const std::string& v) {
         o.db = v;
         return !v.empty();
     },
     "sqlite:PATH or postgresql://..."},
    {"--data", "FILE", "the game data the replays use (default: the game's own search)",
     [](ServerOptions& o, const std::string& v) {
         o.dataFile = v;
         return !v.empty();
     },
     "a file"},
    {"--scratch", "DIR", "where each replay gets an empty directory (default $TMPDIR or /tmp)",
     [](ServerOptions& o, const std::string& v) {
         o.scratch = v;
         return !v.empty();
     },
     "a directory"},
    {"--web-root", "DIR", "serve the browser build in DIR at /play/",
     [](ServerOptions& o, const std::string& v) {
         o.webRoot = v;
         return !v.empty();
     },
     "a directory"},
    {"--play-url", "URL", "the browser build the \"watch\" links open (default /play/duskwhirl.html)",
     [](ServerOptions& o, const std::string& v) {
         o.service.playUrl = v;
         return !v.empty();
     },
     "a URL"},
    {"--public-url", "URL", "this server's address for others, e.g. https://scores.example (default: relative)",
     [](ServerOptions& o, const std::string& v) {
         o.service.publicUrl = v;
         while (!o.service.publicUrl.empty() && o.service.publicUrl.back() == '/') o.service.publicUrl.pop_back();
         return true;
     },
     "a URL"},
    {"--max-body", "BYTES", "the largest demo taken (default 4194304)",
     [](ServerOptions& o, const std::string& v) { return Number<std::size_t>(v, o.service.maxBody, 64, 1u << 30); },
     "a size from 64 bytes to 1 GiB"},
    {"--per-hour", "N", "submissions an address may make in an hour (default 30; 0: no limit)",
     [](ServerOptions& o, const std::string& v) { return Number(v, o.service.perHour, 0u, 1000000u); }, "a count"},
    {"--workers", "N", "replays run at once (default: the processors)",
     [](ServerOptions& o, const std::string& v) { return Number(v, o.service.workers, 1u, 1024u); },
     "a count from 1 to 1024"},
    {"--replay-cpu", "SECONDS", "CPU time a replay may take (default 120)",
     [](ServerOptions& o, const std::string& v) { return Number(v, o.limits.cpuSeconds, 1u, 86400u); },
     "seconds from 1 to 86400"},
    {"--replay-time", "SECONDS", "wall-clock time a replay may take (default 180)",
     [](ServerOptions& o, const std::string& v) { return Number(v, o.limits.wallSeconds, 1u, 86400u); },
     "seconds from 1 to 86400"},
    {"--replay-memory", "MB", "memory a replay may map (default 1024)",
     [](ServerOptions& o, const std::string& v) {
         std::uint64_t mb = 0;
         if (!Number<std::uint64_t>(v, mb, 64, 1u << 20)) return false;
         o.limits.memoryBytes = mb << 20;
         return true;
     },
     "megabytes from 64"},
    {"--verify", nullptr, "(internal) replay the demo on stdin and print its result",
     [](ServerOptions& o, const std::string&) { return o.verify = true; }, ""},
    {"--help", nullptr, "show this help and exit", [](ServerOptions& o, const std::string&) { return o.help = true; },
     ""},
    {"--version", nullptr, "show the version and exit",
     [](ServerOptions& o, const std::string&) { return o.version = true; }, ""},
};
// clang-format on

}  // namespace

bool ParseServerOptions(const std::vector<std::string>& args, ServerOptions& out, std::string& error) {
    out.limits.cpuSeconds = 120;
    out.limits.wallSeconds = 180;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i], value;
        bool inlineValue = false;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            inlineValue = true;
        }
        const Option* found = nullptr;
        for (const Option& o : kOptions)
            if (name == o.name || (name == "-h" && std::string(o.name) == "--help")) found = &o;
        if (!found) {
            error = "unknown option " + args[i] + " (--help lists them)";
            return false;
        }
        if (found->value && !inlineValue) {
            if (i + 1 >= args.size()) {
                error = name + " wants " + found->wants;
                return false;
            }
            value = args[++i];
        } else if (!found->value && inlineValue) {
            error = name + " takes no value";
            return false;
        }
        if (!found->apply(out, value)) {
            error = name + " wants " + found->wants;
            return false;
        }
    }
    return true;
}

std::string ServerUsage() {
    std::string text =
        "Usage: duskwhirl-scores [--listen HOST:PORT] [--db URL] [OPTION...]\n"
        "The Duskwhirl 2 score server: takes the demos of finished games, replays each one and lists the scores\n"
        "the replays made.\n\nOptions:\n";
    for (const Option& o : kOptions) {
        std::string left = std::string("  ") + o.name + (o.value ? std::string(" ") + o.value : "");
        if (left.size() < 26) left.resize(26, ' ');
        text += left + " " + o.help + "\n";
    }
    return text;
}

}  // namespace dw::server
