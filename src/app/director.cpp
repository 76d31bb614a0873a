#include "app/director.h"

#include "app/attract_mode.h"
#include "app/session.h"
#include "platform/clock.h"
#include "platform/shell.h"

namespace dw {

Director::Director(Session& menu, AttractMode* attract, platform::LatchedClock* menuClock)
    : menu_(menu), attract_(attract), menuClock_(menuClock) {}

bool Director::demoPlaying() const { return attract_ && attract_->playing(); }

std::uint64_t Director::frames() const { return menu_.steps() + (attract_ ? attract_->framesShown() : 0); }

std::uint32_t Director::MsUntilNextFrame() const { return demoPlaying() ? attract_->MsUntilNextFrame() : 0; }

void Director::EndForClose() {
    if (attract_) attract_->Stop(true);
}

Session* Director::SessionForFrame() {
    if (!demoPlaying()) return &menu_;
    Session* demo = EventEndsDemo() ? nullptr : attract_->SessionForFrame();
    if (!demoPlaying()) MenuResumes();
    return demo;
}

void Director::AfterFrame(Session& session, bool open) {
    if (&session == &menu_) {
        if (open && attract_) attract_->AfterHostFrame(menu_);
        return;
    }
    attract_->AfterDemoFrame(open);
    if (!demoPlaying()) MenuResumes();
}

bool Director::EventEndsDemo() {
    // A close ends the demo first, as the menu's close path needs.
    platform::Shell* shell = menu_.services().shell;
    platform::ShellEvent event;
    while (shell && shell->PollEvent(event)) {
        if (event.type == platform::ShellEventType::Expose) continue;
        attract_->Stop(event.type == platform::ShellEventType::Close);
        menu_.HandleEvent(event);
        return true;
    }
    return false;
}

void Director::MenuResumes() {
    if (menuClock_) menuClock_->Skip();
}

}  // namespace dw
