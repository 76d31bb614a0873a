#pragma once
// The whole game without a window: a session (app/session.h) on headless
// devices (a null shell, a recording graphics device, scripted input, a
// fixed-step clock, a desktop that opens no browser, the settings file in a
// user directory of its own), driven frame by frame. The command line's
// headless runs use it, and so can any test that wants to play the game:
//
//   dw::HeadlessGame game({.userDir = dir});
//   ASSERT_TRUE(game.Start());
//   game.input().SetKey(DIK_RETURN, true);
//   game.Step();                      // one frame of 16 ms
//   EXPECT_EQ(game.context().currentScreen, Screen::Menu);
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/session.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/game_data.h"
#include "platform/input.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "platform/sound_library.h"

namespace gfx {
class Device;
}
namespace platform {
class SettingsStore;
class SteeringInput;
class Gamepads;
class SystemInfo;
class SoundLibrary;
class ResourceLibrary;
}  // namespace platform

namespace dw {

class Application;
class GameContext;

struct HeadlessOptions {
    std::string userDir;                          // "file.log", "settings.ini"; empty: current directory
    std::string dataFile;                         // resource library (empty: the default name)
    int width = 800, height = 600;                // the window's drawable size
    bool fullscreen = false;                      // switch to full screen at start (desktop 1280 x 960)
    std::uint32_t stepMs = 16;                    // clock advance per Step
    std::uint32_t startClock = 1000;              // the clock's reading at the start
    std::optional<std::uint32_t> seed;            // random seed (default: the clock)
    gfx::Device* device = nullptr;                // injected device (default: a recording one)
    platform::SettingsStore* settings = nullptr;  // injected store (default: INI in userDir)
    platform::SoundLibrary* sound = nullptr;      // injected (default: a recording one)
    bool quietSound = false;                      // default sound without the call log (long runs)
    // Injected resource library (default: the usable "gamedata.res" that
    // FindGameData finds with `dataFile` as the --data option).
    platform::ResourceLibrary* resources = nullptr;
    // Injected program resources (level files; default: the compiled-in ones).
    platform::ModuleResources* module = nullptr;
    // Keyboard steering over the scripted input (as in a window), with these
    // gamepads when given.
    bool steering = false;
    platform::Gamepads* gamepads = nullptr;
};

// Looks for a usable "gamedata.res" (platform/game_data.h: --data, then
// DUSKWHIRL_DATA, beside the program, installed, ...); usable means it holds
// the pictures and music the intro starts with.
platform::DataSearch FindGameData(const std::string& dataOption);

// The resource library of a run: the file the search found, or a library
// that opens nothing ("GAME: Resource Library is absent") when it found none.
std::unique_ptr<platform::ResourceLibrary> MakeResourceLibrary(const platform::DataSearch& search);

// Sound for long headless runs: the handles of the recording library (the
// game sees the same numbers) without its log of every call, which would
// grow with every shot for as long as the run lasts.
class QuietSoundLibrary final : public platform::SoundLibrary {
public:
    std::uint8_t IMXInit(int, int, int, std::uint32_t) override { return 1; }
    void IMXStart() override {}
    std::int32_t IMXSampleLoad(int, const void* bytes, int, std::uint32_t size, int, int) override;
    void IMXSetGlobalVolumes(int, int, int) override {}
    std::int32_t IMXSamplePlay(std::int32_t sample, int, int, int, int) override { return sample ? next_++ : 0; }
    void IMXChannelStop(std::int32_t) override {}
    void IMXSampleUnload(std::int32_t) override {}
    std::int32_t IMXStreamOpenFile(int, const void* bytes, int, std::uint32_t size, int) override;
    void IMXStreamPlay(std::int32_t, int) override {}
    void IMXStreamClose(std::int32_t) override {}
    void IMXStop() override {}
    void IMXUninit() override {}

private:
    std::int32_t next_ = 1;
};

// The devices of a headless session, filled into one record of seams.
class HeadlessDevices {
public:
    explicit HeadlessDevices(const HeadlessOptions& options);
    ~HeadlessDevices();
    HeadlessDevices(const HeadlessDevices&) = delete;
    HeadlessDevices& operator=(const HeadlessDevices&) = delete;

    platform::Services services;  // every seam set
    platform::FixedStepClock clock;
    platform::ScriptedInput input;
    std::unique_ptr<platform::SteeringInput> steering;  // over `input`, when asked
    std::unique_ptr<gfx::Device> ownDevice;
    gfx::Device* device;
    platform::NullShell shell;
    platform::QuietDesktop desktop;  // a headless run never opens a browser
    std::unique_ptr<platform::SettingsStore> ownSettings;
    std::unique_ptr<platform::SystemInfo> system;
    std::unique_ptr<platform::SoundLibrary> ownSound;
    platform::DataSearch dataSearch;  // empty when a library was injected
    std::unique_ptr<platform::ResourceLibrary> ownResources;
};

class HeadlessGame {
public:
    explicit HeadlessGame(HeadlessOptions options = {}, PlayOptions play = {});
    ~HeadlessGame();
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    // Constructs the application and creates window, device and scene.
    bool Start();
    bool Start(std::string& error);
    // Advances the clock by one step and runs one pass of the loop (events,
    // a frame, the events that frame raised; with the demo or the autopilot
    // at the input when asked). False once the window closed or the demo ran out.
    bool Step();
    // Steps up to `frames` times; returns the frames run.
    std::uint64_t Run(std::uint64_t frames);
    // Steps until `done` holds (checked before each step) or `maxFrames`
    // have run; true when `done` held.
    bool RunUntil(const std::function<bool()>& done, std::uint64_t maxFrames);
    // Closes the window as the user would (runs the shutdown).
    void Close();
    bool closed() const;

    GameContext& context() { return session_->context(); }
    Application& app() { return session_->app(); }
    Session& session() { return *session_; }
    platform::ScriptedInput& input() { return devices_.input; }
    // What the game reads: the scripted input, or the steering over it.
    platform::InputDevices& inputSeam() { return *devices_.services.input; }
    platform::NullShell& shell() { return devices_.shell; }
    gfx::Device& device() { return *devices_.device; }
    platform::FixedStepClock& clock() { return devices_.clock; }
    // The seams of this game (before Start: to take one away in a test).
    platform::Services& services() { return devices_.services; }
    std::uint64_t frames() const;
    // Batches the Render queue drew in the last frame.
    std::uint32_t lastBatches() const { return session_ ? session_->lastBatches() : 0; }
    // Where the data file was looked for (empty when a library was injected).
    const platform::DataSearch& dataSearch() const { return devices_.dataSearch; }

private:
    HeadlessOptions options_;
    PlayOptions play_;
    HeadlessDevices devices_;
    std::unique_ptr<Session> session_;
};

}  // namespace dw
