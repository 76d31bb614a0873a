#pragma once
// The attract mode: left alone on the main menu (no game in progress) for
// 30 s of its time, the game plays one of the demos it ships with, each in
// turn, behind a blinking "DEMO" caption and without sound effects. Any
// key, mouse button, mouse motion, gamepad button or stick returns to the
// menu exactly as it was.
//
// The demo plays as a replay in a session of its own: its own Game context,
// objects, caches and random generator, settings in memory, silent sound, a
// scratch user directory that is removed afterwards. The menu's session is
// simply not stepped meanwhile, so nothing of it changes: not the menu, not
// the score table or the level reached, and none of the player's files
// (records.csm, settings.ini, replays) is written. The menu's clock stands
// still while a demo plays; its music plays on.
//
// The director (app/director.h) steps the demo's session instead of the
// menu's while one plays and hands the window's events to the menu:
//   AttractMode attract(options);
//   services.input = attract.Watch(services.input);  // before the session starts
//   Director director(session, &attract);
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/demo.h"
#include "app/frame_pacer.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/services.h"

namespace gfx {
class Device;
}

namespace dw {

class GameContext;
class Log;
class Session;

// Time on the idle main menu before a demo starts (ms of the game's clock).
inline constexpr std::uint32_t kAttractIdleMs = 30000;
// The folder beside the game's data file that holds the demos.
inline constexpr char kAttractDemoFolder[] = "demos";

// A scratch user directory for a session that must leave the player's alone
// (a demo, a replay): a new temporary directory holding a copy of the
// player's high-score table from `userDir`, so that the best score shows as
// usual. Empty when none could be made. RemoveScratchUserDir removes it.
std::string MakeScratchUserDir(const std::string& userDir);
void RemoveScratchUserDir(const std::string& dir);

// The demos that ship with the game: the *.dwdemo files of the "demos"
// folder beside the data file `dataFile`, in name order. Empty when there
// is none (the menu then simply stays).
std::vector<std::string> FindAttractDemos(const std::string& dataFile);

// The input of the menu's session goes through this layer: it notices any
// input the game reads (so that the idle time starts again), lets the
// attract mode poll the real devices while a demo plays, and afterwards
// hides the keys and buttons that ended the demo until they are released,
// so that the press that stopped the demo does nothing in the menu.
class AttractInput final : public platform::InputLayer {
public:
    explicit AttractInput(platform::InputDevices* inner) : InputLayer(inner) {}

    // True when the game has read any input since the last call, or a
    // gamepad is busy now (also with buttons the game does not read).
    bool TakeActivity();
    // Reads the devices as the game would (the demo plays meanwhile); true
    // for any key or button held, mouse motion, a busy gamepad, or a device
    // that was lost. `motion`: mouse motion counts too (not while a demo
    // asked for plays: moving the mouse to watch it does not end it).
    // What is held is hidden from the game until released.
    bool PollForInput(bool motion = true);

    class Device;

private:
    friend class Device;
    std::unique_ptr<platform::ForwardingInputDevice> Wrap(platform::InputDevice* inner,
                                                          platform::InputDeviceKind kind) override;
    void Filter(platform::InputDeviceKind kind, void* data);

    bool activity_ = false;
    std::uint8_t hiddenKeys_[256] = {};
    std::uint8_t hiddenButtons_[4] = {};
};

struct AttractOptions {
    std::vector<std::string> demos;  // played in this order, round and round
    std::string dataFile;            // the game's data (the demo session opens it too)
    // A demo asked for (--watch, a file dropped on the page): shown as soon
    // as the main menu is up, whatever the idle time, once; then the menu.
    std::string watch = {};
    std::uint32_t idleMs = kAttractIdleMs;
    // The window: the demo draws with the window's device and keeps to the
    // real time of its frames; the menu's device is set up again afterwards.
    // Null: the demo has a recording device of its own (headless).
    gfx::Device* sharedDevice = nullptr;
    bool paced = false;
};

class AttractMode {
public:
    explicit AttractMode(AttractOptions options);
    ~AttractMode();
    AttractMode(const AttractMode&) = delete;
    AttractMode& operator=(const AttractMode&) = delete;

    // The demos, the data file and the device may be known only later.
    AttractOptions& options() { return options_; }

    // The input layer over `inner` that the menu's session must read.
    platform::InputDevices* Watch(platform::InputDevices* inner);

    // After every frame of the menu's session: counts the idle time on the
    // main menu and starts the next demo once it is due. True when a demo
    // plays now.
    bool AfterHostFrame(Session& host);
    bool playing() const { return session_ != nullptr; }
    // The demo's session when its next frame is due now; null when none
    // plays, when input has just ended the demo, or when a paced demo's
    // frame is not due yet (the driver may sleep meanwhile).
    Session* SessionForFrame();
    // After the demo's session stepped (`open`: what its Step said): the
    // demo ends at its end or once its play has ended; the menu's session
    // then goes on as it was.
    void AfterDemoFrame(bool open);
    // A paced demo's next frame is due in this many ms (0: now, or none
    // plays).
    std::uint32_t MsUntilNextFrame() const;
    // Ends the demo now (nothing happens when none plays). `hostClosing`:
    // the menu's session is about to close; its picture is not set up
    // again and its context keeps saying a demo played.
    void Stop(bool hostClosing = false);

    // What plays: the demo's file, the frames it has run (the last one's
    // once it has ended), the frames of every demo shown, the demos started.
    const std::string& currentDemo() const { return currentDemo_; }
    std::uint64_t demoFrames() const;
    std::uint64_t framesShown() const { return shownBefore_ + (session_ ? demoFrames() : 0); }
    std::uint32_t demosStarted() const { return started_; }
    std::uint32_t idleMs() const { return idle_; }
    // The demo's own session (null when none plays), for tests.
    Session* session() { return session_.get(); }

private:
    bool OnIdleMainMenu(const GameContext& c) const;
    // Starts the next demo that can be played; false when none starts now.
    bool Start();
    // Starts the demo asked for; false when it cannot be played.
    bool StartWatched();
    enum class Opened { Playing, NoScratch, Refused };
    // Loads the demo at `path` and opens its session in a new scratch
    // directory (`scratch`; `error` says why it was refused).
    Opened OpenDemo(const std::string& path, std::string& scratch, std::string& error);
    // A demo that cannot be read or started: the log says why, its scratch
    // directory goes.
    void Refuse(const std::string& path, const std::string& scratch, const std::string& error);
    // Opens the demo at `path` and begins it; the log says why it cannot.
    Opened TryBegin(const std::string& path);
    // The demo opened plays from now on.
    void Begin(const std::string& path, const std::string& scratch);
    Log* HostLog() const;
    // The demo's session in the scratch directory; false (with `error`) when it does not start.
    bool OpenSession(const std::string& scratch, std::string& error);
    // Ends the demo; `hostClosing`: from the menu's session's close.
    void Finish(bool hostClosing);

    AttractOptions options_;
    std::unique_ptr<AttractInput> input_;
    Session* host_ = nullptr;
    std::uint32_t idle_ = 0;
    std::uint32_t lastHostTime_ = 0;
    bool hostTimeKnown_ = false;
    std::size_t next_ = 0;  // the demo that plays next
    std::uint32_t started_ = 0;

    // The demo that plays.
    Demo demo_;
    std::string currentDemo_;
    std::string scratchDir_;
    std::unique_ptr<Session> session_;
    std::uint64_t stepsBefore_ = 0;     // the demo's frames before its due frame
    std::uint64_t lastDemoFrames_ = 0;  // the frames of the demo that ended last
    std::uint64_t shownBefore_ = 0;     // the frames of the demos that have ended
    bool demoPlayed_ = false;           // its play has begun
    bool watched_ = false;              // the demo was asked for
    FramePacer pacer_;                  // at the pace it was recorded
};

}  // namespace dw
