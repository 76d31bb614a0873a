#include "app/director.h"

#include "app/application.h"
#include "app/attract_mode.h"
#include "app/session.h"
#include "platform/clock.h"
#include "platform/shell.h"

namespace dw {

Director::Director(Session& menu, AttractMode* attract, platform::LatchedClock* menuClock)
    : menu_(menu), attract_(attract), menuClock_(menuClock) {}

bool Director::demoPlaying() const { return attract_ && attract_->playing(); }

std::uint64_t Director::frames() const { return menu_.steps() + demoFrames_; }

std::uint32_t Director::MsUntilNextFrame() const { return demoPlaying() ? attract_->MsUntilNextFrame() : 0; }

void Director::EndForClose() {
    if (attract_) attract_->Stop(true);
}

bool Director::StepFrame() {
    if (demoPlaying()) {
        // The menu's clock stands still while a demo plays.
        const std::uint64_t shown = attract_->demoFrames();
        const bool goesOn = StepDemo();
        if (attract_->demoFrames() != shown) ++demoFrames_;
        if (!goesOn && menuClock_) menuClock_->Skip();
        return !menu_.closed();
    }
    if (!menu_.Step()) return false;
    if (attract_) attract_->AfterHostFrame(menu_.app());
    return true;
}

bool Director::StepDemo() {
    // The window's events: anything but a repaint ends the demo and goes to
    // the menu's session. A close ends it first, as the close path needs.
    Application& app = menu_.app();
    platform::ShellEvent event;
    while (app.shell && app.shell->PollEvent(event)) {
        if (event.type == platform::ShellEventType::Expose) continue;
        attract_->Stop(event.type == platform::ShellEventType::Close);
        app.HandleEvent(event);
        return false;
    }
    return attract_->Step();
}

}  // namespace dw
