#pragma once
// The director of a run: the menu's session and, when the attract mode's
// rule fires (30 s idle on the main page), a demo session stepped in its
// place until any input, a window event or the demo's end hands back. The
// attract mode decides; the director steps whichever session is on and
// passes the window's events to the menu's session.
//
//   Director director(session, &attract, latchedClock);
//   while (director.StepFrame()) ...;   // one frame of one session each
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

    // One pass: a frame of the demo while one plays, else of the menu's
    // session. False once the menu's session has closed.
    bool StepFrame();
    bool demoPlaying() const;
    // The menu's frames and the demos'.
    std::uint64_t frames() const;
    // A paced demo's next frame is due in this many ms (0 when none plays).
    std::uint32_t MsUntilNextFrame() const;
    // The run is closing: a demo that plays ends now (before the device goes)
    // while the menu's context still says one played, for the report.
    void EndForClose();

private:
    bool StepDemo();

    Session& menu_;
    AttractMode* attract_;
    platform::LatchedClock* menuClock_;
    std::uint64_t demoFrames_ = 0;
};

}  // namespace dw
