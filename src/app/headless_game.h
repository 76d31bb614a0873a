#pragma once
// The whole game without a window, driven frame by frame: a null shell, a
// recording graphics device, scripted input, a fixed-step clock and the
// settings file in a user directory of its own. The headless runner uses
// it, and so can any test that wants to play the game:
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

#include "platform/game_data.h"

#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/input.h"
#include "platform/services.h"
#include "platform/shell.h"

namespace gfx { class Device; }
namespace platform {
class SettingsStore;
class SteeringInput;
class Gamepads;
class SystemInfo;
class SoundLibrary;
class ResourceLibrary;
}

namespace dw {

class Application;
class GameContext;

struct HeadlessOptions {
    std::string userDir;               // "file.log", "settings.ini"; empty: current directory
    std::string dataFile;              // resource library (empty: the default name)
    int width = 800, height = 600;     // the window's drawable size
    bool fullscreen = false;           // switch to full screen at start (desktop 1280 x 960)
    std::uint32_t stepMs = 16;         // clock advance per Step
    std::optional<std::uint32_t> seed; // random seed (default: the clock)
    gfx::Device* device = nullptr;     // injected device (default: a recording one)
    platform::SettingsStore* settings = nullptr;  // injected store (default: INI in userDir)
    platform::SoundLibrary* sound = nullptr;      // injected (default: a recording one)
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

class HeadlessGame {
public:
    explicit HeadlessGame(HeadlessOptions options = {});
    ~HeadlessGame();
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    // Constructs the application and creates window, device and scene.
    bool Start();
    // Advances the clock by one step and runs one pass of the loop (events,
    // a frame, the events that frame raised). False once the window closed.
    bool Step();
    // Steps up to `frames` times; returns the frames run.
    std::uint64_t Run(std::uint64_t frames);
    // Steps until `done` holds (checked before each step) or `maxFrames`
    // have run; true when `done` held.
    bool RunUntil(const std::function<bool()>& done, std::uint64_t maxFrames);
    // Closes the window as the user would (runs the shutdown).
    void Close();
    bool closed() const;

    GameContext& context() { return *context_; }
    Application& app() { return *app_; }
    platform::ScriptedInput& input() { return input_; }
    // What the game reads: the scripted input, or the steering over it.
    platform::InputDevices& inputSeam();
    platform::NullShell& shell() { return shell_; }
    gfx::Device& device() { return *device_; }
    platform::FixedStepClock& clock() { return clock_; }
    std::uint64_t frames() const;
    // Batches the Render queue drew in the last frame.
    std::uint32_t lastBatches() const { return lastBatches_; }
    // Where the data file was looked for (empty when a library was injected).
    const platform::DataSearch& dataSearch() const { return dataSearch_; }

private:
    HeadlessOptions options_;
    platform::Services savedServices_;
    platform::FixedStepClock clock_;
    platform::ScriptedInput input_;
    std::unique_ptr<platform::SteeringInput> steering_;
    std::unique_ptr<gfx::Device> ownDevice_;
    gfx::Device* device_;
    platform::NullShell shell_;
    platform::QuietDesktop desktop_;  // a headless run never opens a browser
    std::unique_ptr<platform::SettingsStore> ownSettings_;
    std::unique_ptr<platform::SystemInfo> system_;
    std::unique_ptr<platform::SoundLibrary> ownSound_;
    platform::DataSearch dataSearch_;
    std::unique_ptr<platform::ResourceLibrary> ownResources_;
    std::unique_ptr<GameContext> context_;
    std::unique_ptr<Application> app_;
    std::uint32_t lastBatches_ = 0;
};

}  // namespace dw
