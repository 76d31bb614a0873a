#include "app/session.h"

#include <cmath>

#include "app/runner.h"
#include "assets/mesh_cache.h"
#include "assets/sound.h"
#include "assets/textures.h"
#include "core/game_context.h"
#include "core/log.h"
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

// The devices of a headless session at the configuration's size, step and
// clock; a replay's settings (those that change play) are the demo's, in memory.
std::unique_ptr<HeadlessDevices> MakeHeadlessDevices(HeadlessOptions h, const SessionConfig& config) {
    h.width = config.width;
    h.height = config.height;
    h.stepMs = config.stepMs;
    h.startClock = config.startClock;
    h.seed = config.seed;
    h.fullscreen = config.window == WindowStart::FullScreen;
    if (!config.demoSettings) return std::make_unique<HeadlessDevices>(h);
    h.settings = nullptr;
    return std::make_unique<HeadlessDevices>(h, ReplaySettings(config.replay->header));
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
        // The Game table hands the ship its weapons once it is in play.
        if (header_.arsenal.given) {
            c.arsenalRequest = 1;
            c.requestedLaser = header_.arsenal.laser;
            c.requestedPlasma = header_.arsenal.plasma;
            c.requestedRockets = header_.arsenal.rockets;
        }
    }
}

std::unique_ptr<platform::MemorySettingsStore> ReplaySettings(const DemoHeader& header) {
    auto settings = std::make_unique<platform::MemorySettingsStore>();
    settings->CreateKey(kSettingsKey);
    settings->SetValue(kSettingsKey, "Mouse", header.mouseSetting);
    if (header.levelIdSetting) settings->SetValue(kSettingsKey, "LevelID", header.levelIdSetting);
    return settings;
}

Session::Session(const platform::Services& devices, platform::ScriptedInput* script, SessionConfig config,
                 const platform::DataSearch* requiredData)
    : services_(devices), script_(script), config_(std::move(config)), requiredData_(requiredData) {}

Session::Session(const HeadlessOptions& devices, SessionConfig config)
    : Session(MakeHeadlessDevices(devices, config), std::move(config)) {}

Session::Session(const HeadlessOptions& devices, const PlayOptions& play)
    : Session(devices, ResolveSession(devices, play)) {}

Session::Session(std::unique_ptr<HeadlessDevices> devices, SessionConfig config)
    : headless_(std::move(devices)), services_(headless_->services), script_(&headless_->input),
      config_(std::move(config)) {}

Session::~Session() {
    if (!context_) return;
    if (!closed_) Shutdown();
    if (context_->log == log_.get()) context_->log = nullptr;
}

bool Session::CheckSeams(std::string& error) const {
    // A session without one of its seams is a fault of whoever made it:
    // nothing real takes the missing one's place.
    std::string missing;
    for (const std::string& seam : services_.Missing()) missing += (missing.empty() ? "" : ", ") + seam;
    if ((config_.replay || config_.autopilot) && !script_)
        missing += std::string(missing.empty() ? "" : ", ") + "script";
    if (missing.empty()) return true;
    error = "the session has no " + missing;
    return false;
}

void Session::PrepareRun() {
    header_ = HeaderOf(config_);
    if (config_.replay) player_ = std::make_unique<DemoPlayer>(*config_.replay);
    starter_.emplace(header_);
    if (!config_.keepGames.empty()) replays_.emplace(config_.keepGames);
    if (config_.record) {
        recorder_ = std::make_unique<DemoRecorder>(services_.input, header_);
        services_.input = recorder_.get();
    }
    if (config_.timedFrames) timer_ = FrameTimer(config_.timedFrames);
}

void Session::MakeContext() {
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
    // The log and the settings, then the configuration's size and window over them.
    log_ = OpenLogAndReadSettings(c, creation_);
    if (config_.width > 0 && config_.height > 0) {
        creation_.width = static_cast<std::uint32_t>(config_.width);
        creation_.height = static_cast<std::uint32_t>(config_.height);
    }
    switch (config_.window) {
        case WindowStart::Window: startWindowed_ = true; break;
        case WindowStart::FullScreen: startWindowed_ = false; break;
        case WindowStart::AsLeft: startWindowed_ = !creation_.fullscreen; break;
    }
}

void Session::StampRecording() {
    if (!recorder_) return;
    // The picture's size and the settings that change play, as the game got them.
    const GameContext& c = *context_;
    DemoHeader& rh = recorder_->demo().header;
    rh = header_;
    rh.width = static_cast<std::uint16_t>(c.screenWidth);
    rh.height = static_cast<std::uint16_t>(c.screenHeight);
    rh.mouseSetting = static_cast<std::uint32_t>(std::lround(c.mouseSpeed * 1000.0f));
    rh.levelIdSetting = c.levelIndex > 0 && c.levelIndex < kLevelCount ? kLevelIds[c.levelIndex] : 0;
}

bool Session::Start(std::string& error) {
    if (!CheckSeams(error)) return false;
    PrepareRun();
    MakeContext();
    if (requiredData_ && requiredData_->file.empty()) {
        ReportMissingData(*requiredData_, *services_.shell, log_.get());
        closed_ = true;
        exitStatus_ = 1;
        return false;
    }
    if (!OpenWindow()) {
        error = "the game did not start";
        return false;
    }
    services_.device = device_;
    StampRecording();
    return true;
}

std::optional<std::uint32_t> Session::TakeInput() {
    std::uint32_t step = config_.stepMs;
    if (player_) {
        if (!player_->Feed(*script_, step)) return std::nullopt;
    } else if (config_.autopilot) {
        autopilot_.Drive(*context_, *script_);
    }
    // A fixed-step clock moves by the step; the real one says what it was.
    step = services_.clock->Tick(step);
    if (recorder_) recorder_->BeginFrame(step + carried_);
    return step;
}

bool Session::Step() {
    if (closed()) return false;
    const std::optional<std::uint32_t> step = TakeInput();
    if (!step) return false;
    const std::uint64_t before = frames_;
    // A timed run that starts late plays its way there without drawing.
    const bool timed = config_.timedFrames && before >= config_.timedFrom;
    if (config_.timedFrom) device_->SetDrawingSkipped(!timed);
    if (timed) timer_.Begin();
    // The waiting events, one frame while the window is shown, then the
    // events that frame raised (a quit request closes at the end of its own frame).
    PollEvents();
    if (!closed_ && active_ && ready_) {
        if (FAILED(RunFrame())) {
            exitStatus_ = 1;
            shell_->PostClose();
        }
        if (FAILED(ApplyDisplayChange())) FailReset();
    }
    const bool ran = frames_ != before;
    if (renderQueue_) lastBatches_ = renderQueue_->lastBatchCount;
    if (timed && ran) EndTimedFrame(timer_, device_->counters(), *context_);
    PollEvents();
    KeepFrame(ran, *step);
    return !closed_;
}

void Session::KeepFrame(bool ran, std::uint32_t step) {
    if (recorder_) {
        if (ran) {
            recorder_->EndFrame();
            carried_ = 0;
        } else {
            recorder_->CancelFrame();
            carried_ += step;
        }
    }
    if (!ran) return;
    starter_->AfterFrame(*context_, frames_);
    if (replays_) replays_->AfterFrame(*context_, recorder_->demo());
}

void Session::Close() {
    if (!context_) return;
    if (replays_ && recorder_) replays_->AtClose(*context_, recorder_->demo());
    if (!closed_) Shutdown();
}

const Demo& Session::recorded() const { return recorder_ ? recorder_->demo() : notRecorded_; }

}  // namespace dw
