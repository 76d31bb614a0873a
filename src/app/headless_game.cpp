#include "app/headless_game.h"

#include <filesystem>

#include "app/application.h"
#include "core/game_context.h"
#include "render/render_queue.h"
#include "assets/asset_names.h"
#include "platform/gfx_device_null.h"
#include "platform/resource_library.h"
#include "platform/settings_store.h"
#include "platform/sound_library.h"
#include "platform/steering.h"
#include "platform/system_info.h"

namespace dw {

namespace {

std::unique_ptr<gfx::Device> MakeRecordingDevice(int width, int height) {
    // The recording device of the headless runs.
    return std::make_unique<gfx::NullDevice>(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
}

}  // namespace

platform::DataSearch FindGameData(const std::string& dataOption) {
    // What the intro shows and plays first: without these the game cannot start.
    return platform::FindDataFile(
        platform::ProcessDataSearchInputs(dataOption, {asset::IntroMap, asset::LoadMap, asset::IntroTrack}));
}

std::unique_ptr<platform::ResourceLibrary> MakeResourceLibrary(const platform::DataSearch& search) {
    if (search.file.empty()) {
        auto none = std::make_unique<platform::MemoryResourceLibrary>();
        none->failOpen = true;
        return none;
    }
    auto library = std::make_unique<platform::ZipResourceLibrary>();
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(search.file, ec);
    library->SetOverride(ec ? search.file : absolute.lexically_normal().string());
    return library;
}

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

HeadlessDevices::HeadlessDevices(const HeadlessOptions& options)
    : clock(options.startClock),
      ownDevice(options.device ? nullptr : MakeRecordingDevice(options.width, options.height)),
      device(options.device ? options.device : ownDevice.get()), shell(device, options.width, options.height) {
    platform::Services& s = services;
    s.userDir = options.userDir;
    if (options.settings) {
        s.settings = options.settings;
    } else {
        ownSettings = std::make_unique<platform::IniSettingsStore>(s.UserFile("settings.ini"));
        s.settings = ownSettings.get();
    }
    system = std::make_unique<platform::FixedSystemInfo>();
    s.system = system.get();
    if (options.sound) {
        s.sound = options.sound;
    } else {
        if (options.quietSound)
            ownSound = std::make_unique<QuietSoundLibrary>();
        else
            ownSound = std::make_unique<platform::RecordingSoundLibrary>();
        s.sound = ownSound.get();
    }
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

HeadlessGame::HeadlessGame(HeadlessOptions options, PlayOptions play)
    : options_(std::move(options)), play_(std::move(play)), devices_(options_) {}

HeadlessGame::~HeadlessGame() { session_.reset(); }

bool HeadlessGame::Start() {
    std::string error;
    return Start(error);
}

bool HeadlessGame::Start(std::string& error) {
    SessionStart start;
    // The window keeps the asked size, whatever the settings say.
    start.width = options_.width;
    start.height = options_.height;
    start.window = options_.fullscreen ? WindowStart::FullScreen : WindowStart::Window;
    start.seed = options_.seed;
    start.stepMs = options_.stepMs;
    session_ = std::make_unique<Session>(devices_.services, &devices_.input, play_, start);
    return session_->Start(error);
}

bool HeadlessGame::Step() { return session_ && session_->Step(); }

std::uint64_t HeadlessGame::Run(std::uint64_t frames) {
    std::uint64_t run = 0;
    while (run < frames && Step()) ++run;
    return run;
}

bool HeadlessGame::RunUntil(const std::function<bool()>& done, std::uint64_t maxFrames) {
    for (std::uint64_t i = 0; i < maxFrames; ++i) {
        if (done()) return true;
        if (!Step()) return done();
    }
    return done();
}

void HeadlessGame::Close() {
    if (session_) session_->Close();
}

bool HeadlessGame::closed() const { return !session_ || session_->closed(); }

std::uint64_t HeadlessGame::frames() const { return session_ && session_->started() ? session_->app().frameCount : 0; }

}  // namespace dw
