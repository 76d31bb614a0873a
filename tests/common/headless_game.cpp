#include "common/headless_game.h"

namespace dw {

HeadlessGame::HeadlessGame(const HeadlessOptions& options, const PlayOptions& play)
    : session_(options, play), devices_(*session_.headless()) {}

HeadlessGame::~HeadlessGame() = default;

bool HeadlessGame::Start() {
    std::string error;
    return Start(error);
}

std::uint64_t HeadlessGame::Run(std::uint64_t frames) {
    std::uint64_t run = 0;
    while (run < frames && Step()) ++run;
    return run;
}

bool HeadlessGame::RunUntil(const std::function<bool()>& done, std::uint64_t maxFrames) {
    for (std::uint64_t i = 0; i < maxFrames; ++i) {
        if (done()) return true;
        if (!Step()) return done();
    }
    return done();
}

std::uint64_t HeadlessGame::frames() const { return session_.steps(); }

}  // namespace dw
