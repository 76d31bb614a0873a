#include "app/session.h"

#include <cmath>

#include "app/application.h"
#include "app/runner.h"
#include "core/game_context.h"
#include "core/settings.h"
#include "engine/list_engine.h"
#include "platform/clock.h"
#include "platform/game_data.h"
#include "gfx/device.h"
#include "platform/input.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "render/render_queue.h"

namespace dw {

namespace {
// Frames after which the start hand-shake acts: the splash is left, then
// the level is asked for as the menu would ask.
constexpr std::uint64_t kLeaveIntroFrame = 3;
constexpr std::uint64_t kStartLevelFrame = 5;

// Ends a timed frame with the device's counters and the queue's batches.
void EndTimedFrame(FrameTimer& timer, const gfx::Counters& n, const GameContext& c) {
    timer.End(static_cast<std::uint32_t>(n.draws), c.renderQueue ? c.renderQueue->lastBatchCount : 0,
              static_cast<std::uint32_t>(n.vertices), static_cast<std::uint32_t>(n.textureBinds),
              c.assetLoadingActive != 0);
}

// A replay plays at the demo's size, from its clock, with its seed and the
// settings it was recorded with: anything else would play another game.
std::unique_ptr<HeadlessDevices> MakeHeadlessDevices(HeadlessOptions h, const Demo* replay) {
    if (!replay) return std::make_unique<HeadlessDevices>(h);
    const DemoHeader& header = replay->header;
    h.width = header.width;
    h.height = header.height;
    h.seed = header.seed;
    h.startClock = header.startClock;
    h.settings = nullptr;
    return std::make_unique<HeadlessDevices>(h, ReplaySettings(header));
}
}  // namespace

void LevelStarter::AfterFrame(GameContext& c, std::uint64_t steps) {
    if (header_.startLevel < 0) return;
    if (steps == kLeaveIntroFrame) c.introActive = 0;
    if (steps == kStartLevelFrame) {
        const auto level = static_cast<std::uint32_t>(header_.startLevel);
        c.newGameReset = 1;
        c.screenChangeRequest = 1;
        c.requestedScreen = Screen::Game;
        c.musicRequest = MusicRequest::GameTheme;
        // As the menu's level choice, so Escape shows the page with a game to resume.
        c.currentLevel = level;
        c.levelStartRequest = 1;
        c.levelChoiceRequest = 1;
    }
    // A new ship starts unarmed; the arsenal comes after it.
    if (armed_ && steps > kStartLevelFrame && !c.newGameReset && c.shipAlive && c.currentScreen == Screen::Game) {
        c.laserLevel = header_.arsenal.laser;
        c.plasmaLevel = header_.arsenal.plasma;
        c.rockets = header_.arsenal.rockets;
        armed_ = false;
    }
}

std::unique_ptr<platform::MemorySettingsStore> ReplaySettings(const DemoHeader& header) {
    auto settings = std::make_unique<platform::MemorySettingsStore>();
    settings->CreateKey(kSettingsKey);
    settings->SetValue(kSettingsKey, "Mouse", header.mouseSetting);
    if (header.levelIdSetting) settings->SetValue(kSettingsKey, "LevelID", header.levelIdSetting);
    return settings;
}

SessionStart HeadlessStart(const HeadlessOptions& options) {
    SessionStart start;
    start.width = options.width;
    start.height = options.height;
    start.window = options.fullscreen ? WindowStart::FullScreen : WindowStart::Window;
    start.seed = options.seed;
    start.stepMs = options.stepMs;
    return start;
}

Session::Session(const platform::Services& devices, platform::ScriptedInput* script, PlayOptions play,
                 SessionStart start)
    : services_(devices), script_(script), play_(std::move(play)), start_(start) {}

Session::Session(const HeadlessOptions& devices, const PlayOptions& play)
    : Session(MakeHeadlessDevices(devices, play.replay), play) {}

Session::Session(std::unique_ptr<HeadlessDevices> devices, const PlayOptions& play)
    : headless_(std::move(devices)), services_(headless_->services), script_(&headless_->input), play_(play),
      start_(HeadlessStart(headless_->options)) {}

Session::~Session() {
    if (app_ && !app_->closed) app_->Shutdown();
    app_.reset();
    context_.reset();
}

bool Session::Start(std::string& error) {
    // A session without one of its seams is a fault of whoever made it:
    // nothing real takes the missing one's place.
    std::string missing;
    for (const std::string& seam : services_.Missing()) missing += (missing.empty() ? "" : ", ") + seam;
    if ((play_.replay || play_.autopilot) && !script_) missing += std::string(missing.empty() ? "" : ", ") + "script";
    if (!missing.empty()) {
        error = "the session has no " + missing;
        return false;
    }
    if (play_.replay) {
        header_ = play_.replay->header;
        play_.startLevel = header_.startLevel;
        player_ = std::make_unique<DemoPlayer>(*play_.replay);
    } else {
        // Without a seed given, the session's clock gives one (as the game
        // itself would), kept in the header so that the replay starts the same.
        header_.seed = start_.seed ? *start_.seed : services_.clock->Milliseconds();
        header_.startLevel = play_.startLevel;
        header_.arsenal = play_.arsenal;
    }
    starter_.emplace(header_);
    if (!play_.keepGames.empty() && !play_.replay) {
        play_.record = true;  // the games played are kept: the session is recorded
        replays_.emplace(play_.keepGames);
    }
    if (play_.record) {
        recorder_ = std::make_unique<DemoRecorder>(services_.input, header_);
        services_.input = recorder_.get();
    }
    if (play_.timedFrames) timer_ = FrameTimer(play_.timedFrames);

    context_ = std::make_unique<GameContext>();
    GameContext& c = *context_;
    c.services = &services_;
    int desktopWidth = 800, desktopHeight = 600;
    services_.shell->DesktopSize(desktopWidth, desktopHeight);
    c.requestedWidth = desktopWidth;
    c.requestedHeight = desktopHeight;
    for (int i = 0; i < 2; ++i)
        c.refreshTable[i] = RefreshRecord{static_cast<std::uint32_t>(desktopWidth),
                                          static_cast<std::uint32_t>(desktopHeight), i == 0 ? 16u : 32u, 60u};
    app_ = std::make_unique<Application>(context_.get());
    Application& app = *app_;
    const int width = play_.replay ? header_.width : start_.width;
    const int height = play_.replay ? header_.height : start_.height;
    if (width > 0 && height > 0) {
        app.creation.width = static_cast<std::uint32_t>(width);
        app.creation.height = static_cast<std::uint32_t>(height);
    }
    switch (start_.window) {
        case WindowStart::Window: app.startWindowed = true; break;
        case WindowStart::FullScreen: app.startWindowed = false; break;
        case WindowStart::AsLeft: app.startWindowed = !app.creation.fullscreen; break;
    }
    app.rememberWindow = start_.rememberWindow;
    app.seed = header_.seed;

    if (start_.requiredData && start_.requiredData->file.empty()) {
        ReportMissingData(*start_.requiredData, *services_.shell, app.log.get());
        app.closed = true;
        app.exitStatus = 1;
        return false;
    }
    if (FAILED(app.Create())) {
        error = "the game did not start";
        return false;
    }
    services_.device = app.device;
    if (recorder_) {
        // The picture's size and the settings that change play, as the game got them.
        DemoHeader& rh = recorder_->demo().header;
        rh = header_;
        rh.width = static_cast<std::uint16_t>(c.screenWidth);
        rh.height = static_cast<std::uint16_t>(c.screenHeight);
        rh.mouseSetting = static_cast<std::uint32_t>(std::lround(c.mouseSpeed * 1000.0f));
        rh.levelIdSetting = c.levelIndex > 0 && c.levelIndex < kLevelCount ? kLevelIds[c.levelIndex] : 0;
    }
    return true;
}

bool Session::Step() {
    if (!app_ || app_->closed) return false;
    GameContext& c = *context_;
    std::uint32_t step = start_.stepMs;
    if (player_) {
        if (!player_->Feed(*script_, step)) return false;
    } else if (play_.autopilot) {
        autopilot_.Drive(c, *script_);
    }
    // A fixed-step clock moves by the step; the real one says what it was.
    step = services_.clock->Tick(step);
    if (recorder_) recorder_->BeginFrame(step + carried_);
    const std::uint64_t before = app_->frameCount;
    // A timed run that starts late plays its way there without drawing.
    const bool timed = play_.timedFrames && steps_ >= play_.timedFrom;
    if (play_.timedFrom) app_->device->SetDrawingSkipped(!timed);
    if (timed) timer_.Begin();
    const bool open = app_->Step();
    const bool ran = app_->frameCount != before;
    if (c.renderQueue) lastBatches_ = c.renderQueue->lastBatchCount;
    if (timed && ran) EndTimedFrame(timer_, app_->device->counters(), c);
    if (recorder_) {
        if (ran) {
            recorder_->EndFrame();
            carried_ = 0;
        } else {
            recorder_->CancelFrame();
            carried_ += step;
        }
    }
    if (ran) {
        starter_->AfterFrame(c, ++steps_);
        if (replays_) replays_->AfterFrame(c, recorder_->demo());
    }
    return open;
}

void Session::Close() {
    if (!app_) return;
    if (replays_ && recorder_) replays_->AtClose(*context_, recorder_->demo());
    if (!app_->closed) app_->Shutdown();
}

int Session::exitStatus() const { return app_ ? app_->exitStatus : 1; }

bool Session::closed() const { return !app_ || app_->closed; }

const Demo& Session::recorded() const { return recorder_ ? recorder_->demo() : notRecorded_; }

}  // namespace dw
