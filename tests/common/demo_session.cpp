#include "common/demo_session.h"

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

}  // namespace dw
