#include "app/demo_session.h"

#include <SDL.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>

#include "app/application.h"
#include "app/attract_mode.h"
#include "app/runner.h"
#include "core/game_context.h"
#include "core/settings.h"
#include "engine/list_engine.h"
#include "frontend/main_menu.h"
#include "render/render_queue.h"
#include "platform/gfx_device.h"
#include "platform/services.h"
#include "platform/settings_store.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/input.h"
#include "platform/resource_library.h"
#include "platform/shell.h"
#include "platform/sound_library.h"
#include "platform/system_info.h"

namespace dw {

// The end-of-run screenshot and report of the runner.
std::function<void()> EndOfRunHook(const CommandLine& cl, Application& app, int& status,
                                   std::function<std::uint32_t()> batches);

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
}  // namespace

// Sound for long headless runs: the handles of the recording library (the
// game sees the same numbers) without its log of every call, which would
// grow with every shot for as long as the run lasts.
class QuietSoundLibrary final : public platform::SoundLibrary {
public:
    std::uint8_t IMXInit(int, int, int, std::uint32_t) override { return 1; }
    void IMXStart() override {}
    std::int32_t IMXSampleLoad(int, const void* bytes, int, std::uint32_t size, int, int) override {
        const auto* b = static_cast<const unsigned char*>(bytes);
        const bool sound = bytes && size >= 4 &&
                           ((b[0] == 'R' && b[1] == 'I' && b[2] == 'F' && b[3] == 'F') ||
                            (b[0] == 'O' && b[1] == 'g' && b[2] == 'g' && b[3] == 'S'));
        return sound ? next_++ : 0;
    }
    void IMXSetGlobalVolumes(int, int, int) override {}
    std::int32_t IMXSamplePlay(std::int32_t sample, int, int, int, int) override {
        return sample ? next_++ : 0;
    }
    void IMXChannelStop(std::int32_t) override {}
    void IMXSampleUnload(std::int32_t) override {}
    std::int32_t IMXStreamOpenFile(int, const void* bytes, int, std::uint32_t size, int) override {
        const auto* b = static_cast<const unsigned char*>(bytes);
        const bool ogg = bytes && size >= 4 && b[0] == 'O' && b[1] == 'g' && b[2] == 'g' && b[3] == 'S';
        return ogg ? next_++ : 0;
    }
    void IMXStreamPlay(std::int32_t, int) override {}
    void IMXStreamClose(std::int32_t) override {}
    void IMXStop() override {}
    void IMXUninit() override {}

private:
    std::int32_t next_ = 1;
};

DemoSession::DemoSession(SessionOptions options) : options_(std::move(options)) {}

DemoSession::~DemoSession() {
    if (game_) game_->Close();
}

bool DemoSession::Start(std::string& error) {
    HeadlessOptions& h = options_.headless;
    if (options_.replay) {
        header_ = options_.replay->header;
        h.width = header_.width;
        h.height = header_.height;
        h.seed = header_.seed;
        options_.startLevel = header_.startLevel;
        // The settings that change play, as they were; the rest at defaults.
        replaySettings_ = std::make_unique<platform::MemorySettingsStore>();
        replaySettings_->CreateKey(kSettingsKey);
        replaySettings_->SetValue(kSettingsKey, "Mouse", header_.mouseSetting);
        if (header_.levelIdSetting) replaySettings_->SetValue(kSettingsKey, "LevelID", header_.levelIdSetting);
        h.settings = replaySettings_.get();
        player_ = std::make_unique<DemoPlayer>(*options_.replay);
    } else {
        if (!h.seed) {
            h.seed = static_cast<std::uint32_t>(
                std::chrono::steady_clock::now().time_since_epoch().count() & 0xFFFFFFFFu);
        }
        header_.seed = *h.seed;
        header_.width = static_cast<std::uint16_t>(h.width);
        header_.height = static_cast<std::uint16_t>(h.height);
        header_.startLevel = static_cast<std::int8_t>(options_.startLevel);
        header_.arsenal = options_.arsenal;
    }
    starter_.emplace(header_);
    if (!options_.keepGames.empty() && !options_.replay) {
        options_.record = true;
        replays_.emplace(options_.keepGames);
    }
    if (!h.sound) {
        quietSound_ = std::make_unique<QuietSoundLibrary>();
        h.sound = quietSound_.get();
    }
    game_ = std::make_unique<HeadlessGame>(h);
    game_->clock().Set(header_.startClock);
    if (options_.record) {
        recorder_ = std::make_unique<DemoRecorder>(&game_->inputSeam(), header_);
        platform::services().input = recorder_.get();
    }
    if (options_.timedFrames) timer_ = FrameTimer(options_.timedFrames);
    if (!game_->Start()) {
        error = "the game did not start";
        return false;
    }
    if (recorder_) {
        const GameContext& c = game_->context();
        DemoHeader& rh = recorder_->demo().header;
        rh.mouseSetting = static_cast<std::uint32_t>(std::lround(c.mouseSpeed * 1000.0f));
        rh.levelIdSetting = c.levelIndex > 0 && c.levelIndex < kLevelCount ? c.levelIds[c.levelIndex] : 0;
    }
    return true;
}

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
        MainMenu* menu = nullptr;
        for (auto* n = c.objectList ? c.objectList->Head() : nullptr; n && !menu; n = n->next)
            menu = dynamic_cast<MainMenu*>(n->object);
        if (menu) {
            menu->ChooseLevel(level);
        } else {
            c.currentLevel = level;
            c.levelStartRequest = 1;
        }
    }
    // A new ship starts unarmed; the arsenal comes after it.
    if (armed_ && steps > kStartLevelFrame && !c.newGameReset && c.shipAlive && c.currentScreen == Screen::Game) {
        c.laserLevel = header_.arsenal.laser;
        c.plasmaLevel = header_.arsenal.plasma;
        c.rockets = header_.arsenal.rockets;
        armed_ = false;
    }
}

bool DemoSession::Step() {
    if (!game_ || game_->closed()) return false;
    std::uint32_t step = options_.headless.stepMs;
    if (player_) {
        if (!player_->Feed(game_->input(), step)) return false;
    } else if (options_.autopilot) {
        autopilot_.Drive(game_->context(), game_->input());
    }
    if (recorder_) recorder_->BeginFrame(step);
    if (options_.timedFrames) timer_.Begin();
    game_->clock().Advance(step);
    const bool open = game_->app().Step();
    if (const RenderQueue* q = game_->context().renderQueue) lastBatches_ = q->lastBatchCount;
    if (options_.timedFrames) {
        EndTimedFrame(timer_, game_->device().counters(), game_->context());
    }
    if (recorder_) recorder_->EndFrame();
    ++steps_;
    starter_->AfterFrame(game_->context(), steps_);
    if (replays_ && recorder_) replays_->AfterFrame(game_->context(), recorder_->demo());
    return open;
}

void DemoSession::Close() {
    if (replays_ && recorder_ && game_) replays_->AtClose(game_->context(), recorder_->demo());
    if (game_) game_->Close();
}

const Demo& DemoSession::recorded() const {
    static const Demo kEmpty;
    return recorder_ ? recorder_->demo() : kEmpty;
}

// --- the command line's runs ------------------------------------------------

bool UsesDemoSession(const CommandLine& cl) {
    return (!cl.recordFile.empty() || !cl.replayFile.empty() || cl.autopilot ||
                           cl.level >= 0 || cl.timedemo);
}

int RunDemoSession(const CommandLine& cl) {
    if (!cl.headless) return RunDemoWindowed(cl);
    Demo demo;
    std::string error;
    if (!cl.replayFile.empty() && !LoadDemoFile(cl.replayFile, demo, error)) {
        std::fprintf(stderr, "duskwhirl: %s\n", error.c_str());
        return 1;
    }
    SessionOptions options;
    HeadlessOptions& h = options.headless;
    h.userDir = UserDirectoryFor(cl, false);
    h.dataFile = cl.dataFile;
    if (cl.width > 0) {
        h.width = cl.width;
        h.height = cl.height;
    }
    h.fullscreen = cl.fullscreen;
    h.stepMs = cl.fixedStep ? cl.fixedStep : 16;
    h.seed = cl.seed;
    options.record = !cl.recordFile.empty();
    options.autopilot = cl.autopilot && cl.replayFile.empty();
    options.startLevel = cl.level >= 0 ? cl.level : (options.autopilot ? 0 : -1);
    options.arsenal = cl.arsenal;
    if (!cl.replayFile.empty()) options.replay = &demo;
    if (!cl.timedemo) options.keepGames = h.userDir + "/replays";

    // How long: the demo's length, else --frames, else (autopilot) until the
    // game is over, at most 30 minutes of game time; else 600 frames.
    std::uint64_t limit = 600;
    bool untilGameOver = false;
    if (cl.frames >= 0) {
        limit = static_cast<std::uint64_t>(cl.frames);
    } else if (options.replay) {
        limit = demo.frames.size();
    } else if (options.autopilot) {
        limit = 30ull * 60 * 1000 / h.stepMs;
        untilGameOver = true;
    }
    if (cl.timedemo) options.timedFrames = static_cast<std::size_t>(std::min<std::uint64_t>(limit, 1u << 22));

    DemoSession session(options);
    if (!session.Start(error)) {
        std::fprintf(stderr, "duskwhirl: %s\n", error.c_str());
        const int code = session.game().app().exitStatus;
        return code ? code : 1;
    }
    int status = 0;
    HeadlessGame& game = session.game();
    if (game.dataSearch().file.empty()) WarnMissingData(game.dataSearch());
    game.app().onShutdown =
        EndOfRunHook(cl, game.app(), status, [&session] { return session.lastBatches(); });
    bool played = false;
    const bool oneLevel = cl.oneLevel && options.autopilot;
    const std::uint32_t firstLevel = static_cast<std::uint32_t>(options.startLevel);
    while (session.steps() < limit) {
        if (!session.Step()) break;
        const GameContext& c = session.context();
        if (c.currentScreen == Screen::Game) played = true;
        if (untilGameOver && played && c.currentScreen != Screen::Game) break;
        // The level is over once the next one begins, the game is won
        // (phase 13) or lost (phase 15), or the play screen is left.
        if (oneLevel && played &&
            (c.currentScreen != Screen::Game || c.currentLevel != firstLevel || c.gamePhase >= GamePhase::AllLevelsDone)) break;
    }
    const std::uint64_t frames = session.steps();
    const bool replayShort = options.replay && cl.frames < 0 && frames < demo.frames.size();
    session.Close();

    if (options.record && !SaveDemoFile(cl.recordFile, session.recorded(), error)) {
        std::fprintf(stderr, "duskwhirl: %s\n", error.c_str());
        status = 1;
    }
    if (cl.timedemo) {
        const std::string label = !cl.replayFile.empty() ? cl.replayFile
                                  : options.autopilot   ? std::string("autopilot")
                                                        : std::string("run");
        const std::size_t warmup = 1000 / h.stepMs;
        std::fputs(FormatSummary(label, session.timer().Summarise(warmup)).c_str(), stdout);
    }
    if (replayShort) {
        std::fprintf(stderr, "duskwhirl: the game closed after %llu of the demo's %zu frames\n",
                     static_cast<unsigned long long>(frames), demo.frames.size());
        if (status == 0) status = 1;
    }
    return status != 0 ? status : game.app().exitStatus;
}

// --- in a window ------------------------------------------------------------

namespace {

// The real clock, read once per frame: every reading within a frame gives
// the time the frame began, so that the step recorded is the whole truth.
class LatchedClock final : public platform::Clock {
public:
    explicit LatchedClock(std::uint32_t start) : offset_(start - real_.Milliseconds()), now_(start) {}
    std::uint32_t Milliseconds() override { return now_; }
    void Sleep(std::uint32_t ms) override { real_.Sleep(ms); }
    std::uint64_t TimeStampCounter() override { return real_.TimeStampCounter(); }
    // Forgets the time since the last latch (an attract demo played): the
    // next step counts from now.
    void Skip() { offset_ = now_ - real_.Milliseconds(); }
    // Moves to the real time; returns the step made.
    std::uint32_t Latch() {
        const std::uint32_t next = real_.Milliseconds() + offset_;
        const std::uint32_t step = next - now_;
        now_ = next;
        return step;
    }

private:
    platform::RealClock real_;
    std::uint32_t offset_;
    std::uint32_t now_;
};

}  // namespace

int RunDemoWindowed(const CommandLine& cl) {
    Demo demo;
    std::string error;
    const bool replaying = !cl.replayFile.empty();
    if (replaying && !LoadDemoFile(cl.replayFile, demo, error)) {
        std::fprintf(stderr, "duskwhirl: %s\n", error.c_str());
        return 1;
    }
    const platform::DataSearch data = FindGameData(cl.dataFile);
    auto& services = platform::services();
    const platform::Services saved = services;
    services.userDir = UserDirectoryFor(cl, true);

    DemoHeader header;
    if (replaying) header = demo.header;
    platform::IniSettingsStore iniSettings(platform::UserFile("settings.ini"));
    platform::MemorySettingsStore demoSettings;
    if (replaying) {
        demoSettings.CreateKey(kSettingsKey);
        demoSettings.SetValue(kSettingsKey, "Mouse", header.mouseSetting);
        if (header.levelIdSetting) demoSettings.SetValue(kSettingsKey, "LevelID", header.levelIdSetting);
        services.settings = &demoSettings;
    } else {
        services.settings = &iniSettings;
    }
    platform::RealSystemInfo system;
    services.system = &system;
    // A replay or the built-in player clicks no site open in a browser.
    platform::QuietDesktop quietDesktop;
    if (replaying || cl.autopilot) services.desktop = &quietDesktop;
    std::unique_ptr<platform::Shell> shell = platform::CreateSdlShell();
    services.shell = shell.get();
    // Input: the real devices (recorded when asked), or a script for the
    // replay and the built-in player.
    const bool scripted = replaying || cl.autopilot;
    std::unique_ptr<platform::InputDevices> sdlInput = scripted ? nullptr : platform::CreateSdlInput();
    platform::ScriptedInput scriptedInput;
    platform::InputDevices* input = scripted ? static_cast<platform::InputDevices*>(&scriptedInput) : sdlInput.get();
    // Plain play left alone on the menu shows the game's demos (attract_mode.h).
    const bool attractMode = !replaying && !cl.autopilot && !cl.timedemo;
    AttractMode attract({FindAttractDemos(data.file), data.file});
    if (attractMode) input = attract.Watch(input);
    std::unique_ptr<DemoRecorder> recorder;
    // The games played are kept as replays: the session is recorded.
    std::optional<GameReplays> replays;
    if (!replaying && !cl.timedemo && !services.userDir.empty()) replays.emplace(services.userDir + "/replays");
    if (!cl.recordFile.empty() || replays) {
        recorder = std::make_unique<DemoRecorder>(input, header);
        input = recorder.get();
    }
    services.input = input;
    platform::MixerSoundLibrary sound;
    services.sound = &sound;
    std::unique_ptr<platform::ResourceLibrary> resources = MakeResourceLibrary(data);
    services.resources = resources.get();
    // The clock: a replay steps as recorded; else the real time, read once a frame.
    platform::FixedStepClock fixedClock(header.startClock);
    LatchedClock latchedClock(header.startClock);
    if (replaying || cl.timedemo)
        platform::SetClock(&fixedClock);
    else
        platform::SetClock(&latchedClock);

    if (!replaying) {
        header.seed = cl.seed ? *cl.seed
                              : static_cast<std::uint32_t>(
                                    std::chrono::steady_clock::now().time_since_epoch().count());
        header.startLevel = static_cast<std::int8_t>(cl.level >= 0 ? cl.level : (cl.autopilot ? 0 : -1));
        header.arsenal = cl.arsenal;
    }
    LevelStarter starter(header);

    int status = 0;
    std::uint64_t steps = 0;
    const std::size_t expected = replaying ? demo.frames.size() : 1u << 16;
    FrameTimer timer(cl.timedemo ? expected : 0);
    std::string windowSize;  // as the game got it, for the timedemo line
    {
        auto ctx = std::make_unique<GameContext>();
        int desktopWidth = 800, desktopHeight = 600;
        shell->DesktopSize(desktopWidth, desktopHeight);
        ctx->requestedWidth = desktopWidth;
        ctx->requestedHeight = desktopHeight;
        for (int i = 0; i < 2; ++i)
            ctx->refreshTable[i] = RefreshRecord{static_cast<std::uint32_t>(desktopWidth),
                                                 static_cast<std::uint32_t>(desktopHeight),
                                                 i == 0 ? 16u : 32u, 60u};
        Application app(ctx.get());
        if (replaying) {
            app.creation.width = header.width;
            app.creation.height = header.height;
            app.startWindowed = true;  // the recorded size
        } else {
            if (cl.width > 0) {
                app.creation.width = static_cast<std::uint32_t>(cl.width);
                app.creation.height = static_cast<std::uint32_t>(cl.height);
            }
            // A recording keeps the window's size; else the window as the
            // player left it, unless asked.
            app.startWindowed = cl.windowed || !cl.recordFile.empty() ||
                                (!cl.fullscreen && !app.creation.fullscreen);
            app.rememberWindow = true;
        }
        app.seed = header.seed;
        if (data.file.empty()) {
            ReportMissingData(data, *shell, app.log);
            status = 1;
        } else if (FAILED(app.Create())) {
            status = app.exitStatus ? app.exitStatus : 1;
        } else {
            SetWindowIconFromData(*resources, ctx->resourceLibraryName, *shell);
            windowSize = std::to_string(ctx->screenWidth) + "x" + std::to_string(ctx->screenHeight);
            if (!cl.screenshotFile.empty()) app.device->SetCaptureOnPresent(true);
            app.onShutdown = EndOfRunHook(cl, app, status, [&ctx] {
                return ctx->renderQueue ? ctx->renderQueue->lastBatchCount : 0u;
            });
            attract.options().sharedDevice = app.device;
            attract.options().paced = true;
            if (recorder) {
                DemoHeader& rh = recorder->demo().header;
                rh = header;
                rh.width = static_cast<std::uint16_t>(ctx->screenWidth);
                rh.height = static_cast<std::uint16_t>(ctx->screenHeight);
                rh.mouseSetting = static_cast<std::uint32_t>(std::lround(ctx->mouseSpeed * 1000.0f));
                rh.levelIdSetting =
                    ctx->levelIndex > 0 && ctx->levelIndex < kLevelCount ? ctx->levelIds[ctx->levelIndex] : 0;
            }
            DemoPlayer player(demo);
            Autopilot autopilot;
            const std::uint64_t limit = cl.frames >= 0 ? static_cast<std::uint64_t>(cl.frames)
                                        : replaying    ? demo.frames.size()
                                                       : ~0ull;
            std::uint32_t carried = 0;  // time of passes that ran no frame
            while (steps < limit) {
                if (attract.playing()) {
                    // A demo plays instead of the menu's frames; the menu's
                    // clock stands still meanwhile.
                    const std::uint64_t shown = attract.demoFrames();
                    if (!attract.Step()) latchedClock.Skip();
                    if (attract.demoFrames() != shown) ++steps;
                    continue;
                }
                std::uint32_t step = cl.fixedStep ? cl.fixedStep : 16;
                if (replaying) {
                    if (!player.Feed(scriptedInput, step)) break;
                    fixedClock.Advance(step);
                } else {
                    if (cl.autopilot) autopilot.Drive(*ctx, scriptedInput);
                    if (cl.timedemo) fixedClock.Advance(step);
                    else step = latchedClock.Latch();
                }
                if (recorder) recorder->BeginFrame(step + carried);
                const std::uint64_t before = app.frameCount;
                if (cl.timedemo) timer.Begin();
                const bool open = app.Step();
                const bool ran = app.frameCount != before;
                if (cl.timedemo && ran) EndTimedFrame(timer, app.device->counters(), *ctx);
                if (recorder) {
                    if (ran) {
                        recorder->EndFrame();
                        carried = 0;
                    } else {
                        recorder->CancelFrame();
                        carried += step;
                    }
                }
                if (ran) starter.AfterFrame(*ctx, ++steps);
                if (ran && replays) replays->AfterFrame(*ctx, recorder->demo());
                if (ran && attractMode) attract.AfterHostFrame(app);
                if (!open) break;
                if (!app.active) {
                    platform::ShellEvent event;
                    if (shell->WaitEvent(event, 100)) app.HandleEvent(event);
                }
            }
            if (replays) replays->AtClose(*ctx, recorder->demo());
            if (!app.closed) app.Shutdown();
            if (status == 0) status = app.exitStatus;
        }
    }
    if (!cl.recordFile.empty() && !SaveDemoFile(cl.recordFile, recorder->demo(), error)) {
        std::fprintf(stderr, "duskwhirl: %s\n", error.c_str());
        status = 1;
    }
    if (cl.timedemo) {
        const std::string label = replaying ? cl.replayFile : std::string("autopilot");
        std::fputs(FormatSummary(label + " (window " + windowSize + ")", timer.Summarise(1000 / 16)).c_str(), stdout);
    }
    if (replaying && cl.frames < 0 && steps < demo.frames.size()) {
        std::fprintf(stderr, "duskwhirl: the game closed after %llu of the demo's %zu frames\n",
                     static_cast<unsigned long long>(steps), demo.frames.size());
        if (status == 0) status = 1;
    }
    platform::SetClock(nullptr);
    recorder.reset();
    sdlInput.reset();
    shell.reset();
    services = saved;
    return status;
}

}  // namespace dw
