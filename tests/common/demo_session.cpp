#include "common/demo_session.h"

#include "app/report.h"

namespace dw {

namespace {
HeadlessOptions Quiet(HeadlessOptions h) {
    if (!h.sound) h.quietSound = true;
    return h;
}
}  // namespace

DemoSession::DemoSession(const SessionOptions& options)
    : HeadlessGame(Quiet(options.headless), static_cast<const PlayOptions&>(options)) {}

DemoSession::~DemoSession() { Close(); }

SessionOptions StartAt(const TempDir& dir, std::uint32_t seed, int startLevel) {
    SessionOptions o;
    o.headless.userDir = dir.path.string();
    o.headless.seed = seed;
    o.startLevel = startLevel;
    return o;
}

SessionOptions ReplayOf(const Demo& demo, const TempDir& dir) {
    SessionOptions o;
    o.headless.userDir = dir.path.string();
    o.replay = &demo;
    return o;
}

std::string Report(DemoSession& s) {
    return BuildReport(s.context(), s.context().objectList, s.game().frames(), RendererCounters{});
}

}  // namespace dw
