#pragma once
// The devices of a session without a window: a null shell, a recording
// graphics device, scripted input, a fixed-step clock, a desktop that opens
// no browser, the settings file in a user directory of its own. The
// command line's headless runs, the attract mode's demos and the tests all
// run a Session (app/session.h) on these.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

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
class ResourceLibrary;
}  // namespace platform

namespace dw {

struct HeadlessOptions {
    std::string userDir;                          // "file.log", "settings.ini"; empty: current directory
    std::string dataFile;                         // resource library (empty: the default name)
    int width = 800, height = 600;                // the window's drawable size
    bool fullscreen = false;                      // switch to full screen at start (desktop 1280 x 960)
    std::uint32_t stepMs = 16;                    // clock advance per frame
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
    // `settings`, when given, is kept and used in place of the INI file (a
    // replay's settings in memory); an injected `options.settings` wins.
    explicit HeadlessDevices(const HeadlessOptions& options, std::unique_ptr<platform::SettingsStore> settings = {});
    ~HeadlessDevices();
    HeadlessDevices(const HeadlessDevices&) = delete;
    HeadlessDevices& operator=(const HeadlessDevices&) = delete;

    HeadlessOptions options;      // as made (a replay's size, seed and clock in place)
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

}  // namespace dw
