#include "app/demo_session.h"

#include "platform/settings_store.h"

namespace dw {

HeadlessOptions HeadlessOptionsFor(HeadlessOptions h, const PlayOptions& play,
                                   std::unique_ptr<platform::MemorySettingsStore>& replaySettings) {
    if (play.replay) {
        const DemoHeader& header = play.replay->header;
        h.width = header.width;
        h.height = header.height;
        h.seed = header.seed;
        replaySettings = ReplaySettings(header);
        h.settings = replaySettings.get();
    }
    h.startClock = StartClockOf(play);
    // The sound of long runs: the handles without the log of every call.
    if (!h.sound) h.quietSound = true;
    return h;
}

DemoSession::DemoSession(SessionOptions options) : options_(std::move(options)) {}

DemoSession::~DemoSession() {
    if (game_) game_->Close();
}

bool DemoSession::Start(std::string& error) {
    const HeadlessOptions h = HeadlessOptionsFor(options_.headless, options_, replaySettings_);
    game_ = std::make_unique<HeadlessGame>(h, static_cast<const PlayOptions&>(options_));
    return game_->Start(error);
}

bool DemoSession::Step() { return game_ && game_->Step(); }

void DemoSession::Close() {
    if (game_) game_->Close();
}

}  // namespace dw
