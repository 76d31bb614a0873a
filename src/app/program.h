#pragma once
// The program as a host steps it: made from the command line, then called
// once a frame until it says it is done.
//
//   int status = 0;
//   auto program = dw::Program::FromArguments(argc, argv, status);
//   if (!program) return status;               // --help, --version, a mistake
//   return program->RunToEnd();                // the desktop's driver
//
// or, a host that calls us once per display refresh (a browser's animation
// frame):
//
//   if (program->MsUntilNextFrame() == 0 && !program->StepFrame()) ...;  // over
//
// StepFrame runs exactly one frame (the window's events and input, the
// world's move, the drawing, the present, then the stop rules) and never
// blocks. When it returns false the run is over and already closed (the
// report, the screenshot, the recording and the timedemo's figures are
// written); exitStatus() is then final. A host that calls us once per
// display refresh (a browser's animation frame) calls StepFrame alone and
// leaves WaitForNextFrame out: that is the desktop driver's pause between
// frames (the at-most-one-present-per-10-ms cap, a minimised window).
//
// The program owns the window's devices, the menu's session (which owns the
// headless devices of a headless run) and, when plain play is left alone on
// the main menu, the attract mode, whose demo session it steps instead.
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/demo.h"
#include "app/frame_pacer.h"
#include "app/run_plan.h"

namespace platform {
class ScriptedInput;
class Shell;
}  // namespace platform

namespace dw {

class AttractMode;
class Director;
class Session;
struct SessionConfig;
struct WindowDevices;

class Program {
public:
    // Parses argv. Null when there is nothing to run: --help and --version
    // print and leave `status` 0, a mistake on the command line is reported
    // on stderr with `status` 2.
    static std::unique_ptr<Program> FromArguments(int argc, char** argv, int& status);

    // Opens the devices and starts the session; a failure is reported on
    // stderr and the first StepFrame returns false.
    explicit Program(const CommandLine& cl);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The desktop's driver: frames, with the pause between them, until the
    // run is over; the exit status.
    int RunToEnd();
    // One frame; false once the run is over (and closed).
    bool StepFrame();
    // The desktop's pause before the next frame: waits for the window while
    // it is minimised, else until the next frame may be presented.
    void WaitForNextFrame();
    // How long until the next frame may run (0: now): a demo keeps to its
    // recorded steps, play in a window to one frame per kFrameIntervalMs of
    // the game's clock, so that no step it records is shorter. The browser
    // skips its animation frames until then.
    std::uint32_t MsUntilNextFrame();
    // 0 after a clean run; 1 when it could not run or an output failed.
    int exitStatus() const { return status_; }
    // Frames run so far (the demos the attract mode showed included).
    std::uint64_t frames() const;

    // Shows the demo at `path` as soon as the main menu is up (a file
    // dropped on the page). False when this run shows no demos (a replay,
    // the built-in player, a timedemo).
    bool Watch(const std::string& path);

    const RunPlan& plan() const { return plan_; }
    Session& session() { return *session_; }

private:
    bool Open();
    // The user directory of the run (a scratch one for a replay or when
    // there is none).
    std::string ChooseUserDir();
    // The devices and the session on them; returns the data file in use.
    std::string MakeSession(const SessionConfig& config, const std::string& userDir);
    // The window's icon, the capture, the close's outputs and the director.
    void AfterStart();
    bool StopRuleHolds() const;
    // After a tick of the window's game clock: when play's next frame is due.
    void PaceFromTick();
    void Finish();
    // The recording, the timedemo's figures, a replay cut short.
    void WriteOutputs();

    CommandLine cl_;
    RunPlan plan_;
    Demo demo_;
    std::uint64_t limit_ = 0;
    std::unique_ptr<WindowDevices> window_;
    std::unique_ptr<AttractMode> attract_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<Director> director_;
    FramePacer pace_;  // play's, on the window's game clock
    platform::Shell* shell_ = nullptr;
    std::string windowSize_;  // as the game got it, for the timedemo line
    bool running_ = false;
    bool played_ = false;  // the play screen has been shown
    int status_ = 0;
    std::string scratchDir_;  // a replay's user directory, removed at the end
};

}  // namespace dw
