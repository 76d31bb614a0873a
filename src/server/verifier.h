#pragma once
// Verification of a submitted game: the score, the level reached and the
// frame count kept are those of the server's own replay of the demo, never a
// number the client sends. The bytes and the header are checked here; the
// replay runs in a child process under limits (sandbox.h): the server's own
// program started again with --verify, which replays the demo read from its
// stdin and prints what its game came to as one JSON object.
#include <cstdint>
#include <string>

#include "app/frame_pacer.h"
#include "app/replay_outcome.h"
#include "server/sandbox.h"

namespace dw {
struct Demo;
}

namespace dw::server {

// The shortest step a frame of a player's game takes: the game runs at most
// one frame of play per kFrameIntervalMs of its own clock.
inline constexpr std::uint32_t kShortestStepMs = kFrameIntervalMs;

struct Verdict {
    enum class Kind { Accepted, Refused, Unavailable };
    Kind kind = Kind::Refused;
    std::string reason;  // why it was refused, or why the server could not tell
    std::uint32_t score = 0;
    std::uint32_t level = 0;  // counted from 1
    std::uint64_t frames = 0;
    std::string gameSha256;  // of the demo cut where its game was over
};

// Decodes the demo and checks what can be told without playing it (the
// version, the start, the steps). The reason of a refusal, or "".
std::string CheckDemo(const std::string& bytes, Demo& demo);
// What the replay found, judged: the reason of a refusal, or "".
std::string CheckOutcome(const GameOutcome& outcome);
// The SHA-256 of the demo cut after `frames` frames (its game's end): the
// same game sent again with more frames after its end is the same game.
std::string GameSha256(Demo demo, std::uint64_t frames);

std::string OutcomeJson(const GameOutcome& outcome);
bool ParseOutcomeJson(const std::string& text, GameOutcome& outcome);

// The --verify program: confines itself, reads a demo from stdin, replays
// it and prints OutcomeJson. Exit status 0 with the outcome printed, 2 for
// a demo that does not decode, 3 when no replay could be started (no game
// data: the server's fault, not the demo's), 4 when it could not confine itself.
int RunVerifierChild(const std::string& dataFile, std::size_t maxBytes);

class Verifier {
public:
    struct Options {
        std::string program;   // the server's own program (re-run with --verify)
        std::string dataFile;  // the game data ("": the usual search)
        std::string scratch;   // where each replay gets an empty directory of its own
        std::size_t maxBytes = 4 << 20;
        ChildLimits limits;
    };
    explicit Verifier(Options options) : options_(std::move(options)) {}
    // Everything: checks, the replay in a child, the judgement.
    Verdict Verify(const std::string& bytes) const;
    // Replays an empty demo: false (with the reason) when the verifier
    // cannot run here (no game data, no child), so that the server does not
    // start refusing every game.
    bool SelfTest(std::string& error) const;

private:
    Verdict Replay(const std::string& bytes, GameOutcome& outcome) const;
    Options options_;
};

}  // namespace dw::server
