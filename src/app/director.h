#pragma once
// Which session is on: the menu's or, when the attract mode's rule fires
// (30 s idle on the main menu, or a demo asked for), a demo session in its
// place until any input, a window event or the demo's end hands back. The
// attract mode decides; the program steps whichever session the director
// names, and the director passes the window's events to the menu's
// session while a demo plays.
//
//   Session* on = director.SessionForFrame();   // null: no frame is due now
//   if (on) director.AfterFrame(*on, on->Step());
#include <cstdint>

namespace platform {
class LatchedClock;
}

namespace dw {

class AttractMode;
class Session;

class Director {
public:
    // `attract` (null: no demos) and `menuClock` (the menu's real-time
    // clock, null for a fixed-step one) must outlive the director.
    Director(Session& menu, AttractMode* attract, platform::LatchedClock* menuClock = nullptr);

    // The session whose frame is due now: the demo's while one plays, else
    // the menu's. Null when none is: a paced demo's frame is not due yet,
    // or input or a window event has just ended the demo (the event went
    // to the menu's session).
    Session* SessionForFrame();
    // After `session` stepped (`open`: what its Step said): the demo's end,
    // or the menu's idle time and the next demo.
    void AfterFrame(Session& session, bool open);
    bool demoPlaying() const;
    // The menu's frames and the demos'.
    std::uint64_t frames() const;
    // A paced demo's next frame is due in this many ms (0 when none plays).
    std::uint32_t MsUntilNextFrame() const;
    // The run is closing: a demo that plays ends now (before the device goes)
    // while the menu's context still says one played, for the report.
    void EndForClose();

private:
    // A window event while a demo plays: anything but a repaint ends the
    // demo and goes to the menu's session. True when one did.
    bool EventEndsDemo();
    // The menu's session takes over again: its clock skips the time the demo played.
    void MenuResumes();

    Session& menu_;
    AttractMode* attract_;
    platform::LatchedClock* menuClock_;
};

}  // namespace dw
