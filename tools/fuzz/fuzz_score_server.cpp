// libFuzzer entry for what the score server reads from outside: a submitted
// demo's checks before any replay (its version, its start, its steps) and
// the name beside it, and the line its verifier child prints (a child that
// replays a hostile demo is not trusted either). Built with -DDW_FUZZ=ON.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/demo.h"
#include "frontend/high_scores.h"
#include "server/verifier.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    dw::Demo demo;
    const std::string problem = dw::server::CheckDemo(bytes, demo);
    // A demo it lets through is a new game with no short step.
    if (problem.empty()) {
        if (demo.header.startLevel > 0 || demo.header.arsenal.given || demo.frames.empty()) std::abort();
        for (std::size_t i = 1; i < demo.frames.size(); ++i)
            if (demo.frames[i].stepMs < dw::server::kShortestStepMs) std::abort();
        // The game's hash never depends on frames after the cut.
        if (dw::server::GameSha256(demo, demo.frames.size()).size() != 64) std::abort();
    }
    dw::GameOutcome outcome;
    if (dw::server::ParseOutcomeJson(bytes, outcome)) {
        // What was read prints back to what reads the same.
        dw::GameOutcome again;
        if (!dw::server::ParseOutcomeJson(dw::server::OutcomeJson(outcome), again) ||
            dw::server::OutcomeJson(again) != dw::server::OutcomeJson(outcome))
            std::abort();
        (void)dw::server::CheckOutcome(outcome);
    }
    (void)dw::NameEntryCanType(bytes);
    return 0;
}
