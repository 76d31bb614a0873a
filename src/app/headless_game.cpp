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
    return std::make_unique<gfx::NullDevice>(static_cast<std::uint32_t>(width),
                                             static_cast<std::uint32_t>(height));
}

}  // namespace

platform::DataSearch FindGameData(const std::string& dataOption) {
    // What the intro shows and plays first: without these the game cannot start.
    return platform::FindDataFile(platform::ProcessDataSearchInputs(
        dataOption, {asset::IntroMap, asset::LoadMap, asset::IntroTrack}));
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

HeadlessGame::HeadlessGame(HeadlessOptions options)
    : options_(std::move(options)),
      ownDevice_(options_.device ? nullptr : MakeRecordingDevice(options_.width, options_.height)),
      device_(options_.device ? options_.device : ownDevice_.get()),
      shell_(device_, options_.width, options_.height) {
    auto& s = platform::services();
    savedServices_ = s;
    s.userDir = options_.userDir;
    if (options_.settings) {
        s.settings = options_.settings;
    } else {
        ownSettings_ = std::make_unique<platform::IniSettingsStore>(platform::UserFile("settings.ini"));
        s.settings = ownSettings_.get();
    }
    system_ = std::make_unique<platform::FixedSystemInfo>();
    s.system = system_.get();
    if (options_.sound) {
        s.sound = options_.sound;
    } else {
        ownSound_ = std::make_unique<platform::RecordingSoundLibrary>();
        s.sound = ownSound_.get();
    }
    if (options_.resources) {
        s.resources = options_.resources;
    } else {
        dataSearch_ = FindGameData(options_.dataFile);
        ownResources_ = MakeResourceLibrary(dataSearch_);
        s.resources = ownResources_.get();
    }
    s.module = options_.module;
    s.shell = &shell_;
    s.desktop = &desktop_;
    s.device = device_;
    if (options_.steering || options_.gamepads)
        steering_ = std::make_unique<platform::SteeringInput>(&input_, options_.gamepads);
    s.input = &inputSeam();
    platform::SetClock(&clock_);
}

HeadlessGame::~HeadlessGame() {
    if (app_ && !app_->closed) app_->Shutdown();
    app_.reset();
    context_.reset();
    platform::SetClock(nullptr);
    platform::services() = savedServices_;
}

bool HeadlessGame::Start() {
    context_ = std::make_unique<GameContext>();
    context_->requestedWidth = shell_.desktopWidth;
    context_->requestedHeight = shell_.desktopHeight;
    for (int i = 0; i < 2; ++i) {
        context_->refreshTable[i] = RefreshRecord{static_cast<std::uint32_t>(shell_.desktopWidth),
                                                  static_cast<std::uint32_t>(shell_.desktopHeight),
                                                  i == 0 ? 16u : 32u, 60u};
    }
    app_ = std::make_unique<Application>(context_.get());
    // The window keeps the asked size, whatever the settings say.
    app_->creation.width = static_cast<std::uint32_t>(options_.width);
    app_->creation.height = static_cast<std::uint32_t>(options_.height);
    app_->startWindowed = !options_.fullscreen;
    app_->seed = options_.seed;
    return SUCCEEDED(app_->Create());
}

bool HeadlessGame::Step() {
    if (!app_ || app_->closed) return false;
    clock_.Advance(options_.stepMs);
    const bool open = app_->Step();
    if (context_->renderQueue) lastBatches_ = context_->renderQueue->lastBatchCount;
    return open;
}

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
    if (!app_ || app_->closed) return;
    shell_.PostClose();
    app_->Step();
}

platform::InputDevices& HeadlessGame::inputSeam() {
    if (steering_) return *steering_;
    return input_;
}

bool HeadlessGame::closed() const { return !app_ || app_->closed; }

std::uint64_t HeadlessGame::frames() const { return app_ ? app_->frameCount : 0; }

}  // namespace dw
