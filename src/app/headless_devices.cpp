#include "app/headless_devices.h"

#include "app/runner.h"
#include "gfx/null/null_device.h"
#include "platform/resource_library.h"
#include "platform/settings_store.h"
#include "platform/steering.h"
#include "platform/system_info.h"

namespace dw {

namespace {

std::unique_ptr<gfx::Device> MakeRecordingDevice(int width, int height) {
    return std::make_unique<gfx::NullDevice>(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
}

std::unique_ptr<platform::SoundLibrary> MakeSound(bool quiet) {
    if (quiet) return std::make_unique<QuietSoundLibrary>();
    return std::make_unique<platform::RecordingSoundLibrary>();
}

}  // namespace

std::int32_t QuietSoundLibrary::IMXSampleLoad(int, const void* bytes, int, std::uint32_t size, int, int) {
    const auto* b = static_cast<const unsigned char*>(bytes);
    const bool sound = bytes && size >= 4 &&
        ((b[0] == 'R' && b[1] == 'I' && b[2] == 'F' && b[3] == 'F') ||
         (b[0] == 'O' && b[1] == 'g' && b[2] == 'g' && b[3] == 'S'));
    return sound ? next_++ : 0;
}

std::int32_t QuietSoundLibrary::IMXStreamOpenFile(int, const void* bytes, int, std::uint32_t size, int) {
    const auto* b = static_cast<const unsigned char*>(bytes);
    const bool ogg = bytes && size >= 4 && b[0] == 'O' && b[1] == 'g' && b[2] == 'g' && b[3] == 'S';
    return ogg ? next_++ : 0;
}

HeadlessDevices::HeadlessDevices(const HeadlessOptions& given, std::unique_ptr<platform::SettingsStore> settings)
    : options(given), clock(given.startClock),
      ownDevice(given.device ? nullptr : MakeRecordingDevice(given.width, given.height)),
      device(given.device ? given.device : ownDevice.get()), shell(given.width, given.height) {
    platform::Services& s = services;
    s.userDir = options.userDir;
    if (options.settings) {
        s.settings = options.settings;
    } else {
        ownSettings =
            settings ? std::move(settings) : std::make_unique<platform::IniSettingsStore>(s.UserFile("settings.ini"));
        s.settings = ownSettings.get();
    }
    system = std::make_unique<platform::FixedSystemInfo>();
    s.system = system.get();
    if (!options.sound) ownSound = MakeSound(options.quietSound);
    s.sound = options.sound ? options.sound : ownSound.get();
    if (options.resources) {
        s.resources = options.resources;
    } else {
        dataSearch = FindGameData(options.dataFile);
        ownResources = MakeResourceLibrary(dataSearch);
        s.resources = ownResources.get();
    }
    s.module = options.module;
    s.shell = &shell;
    s.desktop = &desktop;
    s.device = device;
    s.clock = &clock;
    if (options.steering || options.gamepads)
        steering = std::make_unique<platform::SteeringInput>(&input, options.gamepads, clock);
    s.input = steering ? static_cast<platform::InputDevices*>(steering.get()) : &input;
}

HeadlessDevices::~HeadlessDevices() = default;

}  // namespace dw
