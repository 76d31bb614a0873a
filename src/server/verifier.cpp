#include "server/verifier.h"

#include <limits>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "app/demo.h"
#include "server/sha256.h"

namespace dw::server {

namespace {

using json = nlohmann::json;

// The version field of a file that carries the demo magic, or -1.
int VersionOf(const std::string& bytes) {
    if (bytes.size() < sizeof kDemoMagic + 2 || bytes.compare(0, sizeof kDemoMagic, kDemoMagic, sizeof kDemoMagic) != 0)
        return -1;
    return static_cast<unsigned char>(bytes[6]) | (static_cast<unsigned char>(bytes[7]) << 8);
}

Verdict Refused(std::string reason) {
    Verdict v;
    v.reason = std::move(reason);
    return v;
}

Verdict Unavailable(std::string reason) {
    Verdict v;
    v.kind = Verdict::Kind::Unavailable;
    v.reason = std::move(reason);
    return v;
}

}  // namespace

std::string CheckDemo(const std::string& bytes, Demo& demo) {
    const int version = VersionOf(bytes);
    if (version >= 0 && version != kDemoVersion)
        return "the demo is of version " + std::to_string(version) + "; this server takes version " +
            std::to_string(kDemoVersion);
    std::string error;
    if (!DecodeDemo(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), demo, error))
        return "the demo does not decode: " + error;
    const DemoHeader& h = demo.header;
    if (h.startLevel > 0)
        return "the demo starts at level " + std::to_string(h.startLevel + 1) + "; a game must begin at the first";
    if (h.arsenal.given) return "the demo hands the ship weapons at its start; a game must begin with none";
    if (demo.frames.empty()) return "the demo has no frames";
    // The first frame's step is the time since the clock started, not a
    // frame's: it may be shorter.
    for (std::size_t i = 1; i < demo.frames.size(); ++i) {
        if (demo.frames[i].stepMs < kShortestStepMs)
            return "frame " + std::to_string(i + 1) + " steps " + std::to_string(demo.frames[i].stepMs) +
                " ms; the game never steps less than " + std::to_string(kShortestStepMs) + " ms a frame (slow motion)";
    }
    return {};
}

std::string CheckOutcome(const GameOutcome& o) {
    if (o.gamesBegun == 0) return "no game is played in the demo";
    if (o.startLevel != 0)
        return "the game began at level " + std::to_string(o.startLevel + 1) + "; a game must begin at the first";
    if (!o.over) return "the game is not over at the end of the demo";
    return {};
}

std::string GameSha256(Demo demo, std::uint64_t frames) {
    if (frames < demo.frames.size()) {
        demo.frames.resize(frames);
        demo.keyChanges.resize(demo.frames.empty() ? 0 : demo.frames.back().keyBegin + demo.frames.back().keyCount);
    }
    const std::vector<std::uint8_t> bytes = EncodeDemo(demo);
    return Sha256Hex(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string OutcomeJson(const GameOutcome& o) {
    return json{{"frames", o.frames}, {"gamesBegun", o.gamesBegun},     {"startLevel", o.startLevel}, {"over", o.over},
                {"score", o.score},   {"levelReached", o.levelReached}, {"overFrame", o.overFrame}}
        .dump();
}

namespace {
// A whole number of `key` in `j` that fits T; false for anything else (a
// fraction, a sign, a number past T, another type).
template <typename T>
bool WholeNumber(const json& j, const char* key, T& out) {
    const auto it = j.find(key);
    if (it == j.end() || !it->is_number_unsigned()) return false;
    const auto v = it->get<std::uint64_t>();
    if (v > std::numeric_limits<T>::max()) return false;
    out = static_cast<T>(v);
    return true;
}
}  // namespace

bool ParseOutcomeJson(const std::string& text, GameOutcome& o) {
    const json j = json::parse(text, nullptr, false);
    if (!j.is_object()) return false;
    const auto over = j.find("over");
    if (over == j.end() || !over->is_boolean()) return false;
    o.over = over->get<bool>();
    return WholeNumber(j, "frames", o.frames) && WholeNumber(j, "gamesBegun", o.gamesBegun) &&
        WholeNumber(j, "startLevel", o.startLevel) && WholeNumber(j, "score", o.score) &&
        WholeNumber(j, "levelReached", o.levelReached) && WholeNumber(j, "overFrame", o.overFrame);
}

int RunVerifierChild(const std::string& dataFile, std::size_t maxBytes) {
    std::string error;
    if (!ConfineThisProcess(error)) {
        std::fprintf(stderr, "duskwhirl-scores --verify: %s\n", error.c_str());
        return 4;
    }
    std::string bytes;
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(STDIN_FILENO, buffer, sizeof buffer)) > 0 && bytes.size() <= maxBytes)
        bytes.append(buffer, static_cast<std::size_t>(n));
    Demo demo;
    if (bytes.size() > maxBytes ||
        !DecodeDemo(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), demo, error))
        return 2;
    GameOutcome outcome;
    // No user directory: the confined child writes nothing, so there is no
    // folder to check or sweep (and nothing to warn the server's log of).
    if (!ReplayOutcome(demo, dataFile, "", outcome, error)) {
        std::fprintf(stderr, "duskwhirl-scores --verify: %s\n", error.c_str());
        return 3;
    }
    std::printf("%s\n", OutcomeJson(outcome).c_str());
    return 0;
}

Verdict Verifier::Replay(const std::string& bytes, GameOutcome& outcome) const {
    std::error_code ec;
    std::filesystem::create_directories(options_.scratch, ec);
    std::string dir = (std::filesystem::path(options_.scratch) / "replay-XXXXXX").string();
    if (!mkdtemp(dir.data())) return Unavailable("no scratch directory for the replay in " + options_.scratch);
    std::vector<std::string> argv = {options_.program, "--verify", "--max-body", std::to_string(options_.maxBytes)};
    if (!options_.dataFile.empty()) {
        argv.emplace_back("--data");
        argv.push_back(std::filesystem::absolute(options_.dataFile, ec).string());
    }
    const ChildResult r = RunLimited(argv, bytes, dir, options_.limits);
    std::filesystem::remove_all(dir, ec);
    // What the child said goes to the server's log, not to the client.
    if (!r.errors.empty()) std::fprintf(stderr, "duskwhirl-scores: the verifier said: %s", r.errors.c_str());
    if (r.end == ChildResult::End::Exited && r.code == 0) {
        if (ParseOutcomeJson(r.output, outcome)) return Verdict{Verdict::Kind::Accepted, {}, 0, 0, 0, {}};
        return Refused("the replay of the demo went wrong (its result is unreadable)");
    }
    if (r.end == ChildResult::End::Exited && r.code == 2) return Refused("the demo does not decode");
    if (r.end == ChildResult::End::NotStarted || (r.end == ChildResult::End::Exited && r.code != 0))
        return Unavailable("the server cannot replay games now (the verifier " + Describe(r) + ")");
    return Refused("the replay of the demo failed: it " + Describe(r));
}

Verdict Verifier::Verify(const std::string& bytes) const {
    Demo demo;
    if (std::string problem = CheckDemo(bytes, demo); !problem.empty()) return Refused(std::move(problem));
    GameOutcome outcome;
    Verdict v = Replay(bytes, outcome);
    if (v.kind != Verdict::Kind::Accepted) return v;
    if (std::string problem = CheckOutcome(outcome); !problem.empty()) return Refused(std::move(problem));
    v.score = outcome.score;
    v.level = outcome.levelReached + 1;
    v.frames = outcome.frames;
    v.gameSha256 = GameSha256(std::move(demo), outcome.overFrame);
    return v;
}

bool Verifier::SelfTest(std::string& error) const {
    Demo demo;
    demo.frames.resize(3);
    const std::vector<std::uint8_t> bytes = EncodeDemo(demo);
    GameOutcome outcome;
    const Verdict v = Replay(std::string(bytes.begin(), bytes.end()), outcome);
    if (v.kind == Verdict::Kind::Accepted && outcome.frames == demo.frames.size()) return true;
    error = v.reason.empty() ? "the verifier replayed " + std::to_string(outcome.frames) + " of 3 frames" : v.reason;
    return false;
}

}  // namespace dw::server
