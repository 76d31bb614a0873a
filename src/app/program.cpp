#include "app/program.h"

#include <chrono>
#include <cstdio>
#include <vector>

#include "app/attract_mode.h"
#include "app/director.h"
#include "app/report.h"
#include "app/runner.h"
#include "app/session.h"
#include "core/game_context.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/game_data.h"
#include "gfx/device.h"
#include "platform/input.h"
#include "platform/process_start.h"
#include "platform/resource_library.h"
#include "platform/score_server.h"
#include "platform/screenshot.h"
#include "platform/services.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/sound_library.h"
#include "platform/system_info.h"

namespace dw {

// The devices of a game in a window.
struct WindowDevices {
    WindowDevices(const CommandLine& cl, const SessionConfig& config, bool fixedStep, const std::string& userDir);

    platform::Services services;
    platform::DataSearch data;
    std::unique_ptr<platform::MemorySettingsStore> replaySettings;
    std::unique_ptr<platform::IniSettingsStore> iniSettings;
    platform::RealSystemInfo system;
    platform::SdlDesktop desktop;
    platform::QuietDesktop quietDesktop;
    // The clock: a replay and a timedemo step as told; else the real time,
    // read once a frame.
    platform::FixedStepClock fixedClock;
    std::optional<platform::LatchedClock> latchedClock;  // made only when used
    std::unique_ptr<platform::Shell> shell;              // SDL is up while it lives
    std::unique_ptr<platform::InputDevices> sdlInput;
    platform::ScriptedInput script;
    std::unique_ptr<platform::MixerSoundLibrary> sound;
    std::unique_ptr<platform::ResourceLibrary> resources;
    std::unique_ptr<platform::ScoreServer> scores;  // a player's game only
};

namespace {

std::uint32_t WallClockSeed() {
    return static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count() & 0xFFFFFFFFu);
}

int WriteEndReport(const CommandLine& cl, const GameContext& ctx, std::uint64_t frames, const gfx::Device* device,
                   std::uint32_t batches) {
    if (cl.reportFile.empty()) return 0;
    RendererCounters renderer;
    if (device) {
        renderer.draws = device->counters().draws;
        renderer.vertices = device->counters().vertices;
        renderer.textureBinds = device->counters().textureBinds;
    }
    renderer.batches = batches;
    if (!WriteReport(cl.reportFile, BuildReport(ctx, ctx.objectList, frames, renderer))) {
        std::fprintf(stderr, "duskwhirl: cannot write the report %s\n", cl.reportFile.c_str());
        return 1;
    }
    return 0;
}

bool SaveScreenshot(const std::string& path, gfx::Device& device) {
    std::vector<std::uint8_t> rgba;
    std::uint32_t w = 0, h = 0;
    if (!device.ReadPresentedImage(rgba, w, h) || w == 0 || h == 0) {
        std::fprintf(stderr, "duskwhirl: no frame to write to %s\n", path.c_str());
        return false;
    }
    if (!platform::WritePng(path, rgba.data(), w, h)) {
        std::fprintf(stderr, "duskwhirl: cannot write the screenshot %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

WindowDevices::WindowDevices(const CommandLine& cl, const SessionConfig& config, bool fixedStep,
                             const std::string& userDir)
    : data(FindGameData(cl.dataFile)), fixedClock(config.startClock) {
    platform::Services& s = services;
    s.userDir = userDir;
    if (config.demoSettings) {
        replaySettings = ReplaySettings(config.replay->header);
        s.settings = replaySettings.get();
    } else {
        iniSettings = std::make_unique<platform::IniSettingsStore>(s.UserFile("settings.ini"));
        s.settings = iniSettings.get();
    }
    s.system = &system;
    const bool scripted = config.replay || config.autopilot;
    // A replay or the built-in player clicks no site open in a browser.
    s.desktop = scripted ? static_cast<platform::Desktop*>(&quietDesktop) : &desktop;
    if (fixedStep) {
        s.clock = &fixedClock;
    } else {
        latchedClock.emplace(config.startClock);
        s.clock = &*latchedClock;
    }
    shell = platform::CreateSdlShell(cl.gles ? platform::GlContextKind::Es30 : platform::GlContextKind::Desktop33);
    s.shell = shell.get();
    // Input: the real devices, or a script for the replay and the built-in player.
    if (!scripted) sdlInput = platform::CreateSdlInput(s.UserFile("gamecontrollerdb.txt"), *s.clock);
    s.input = scripted ? static_cast<platform::InputDevices*>(&script) : sdlInput.get();
    sound = std::make_unique<platform::MixerSoundLibrary>();
    s.sound = sound.get();
    resources = MakeResourceLibrary(data);
    s.resources = resources.get();
}

std::unique_ptr<Program> Program::FromArguments(int argc, char** argv, int& status) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    auto cl = ParseCommandLine(args, error);
    status = 0;
    if (!cl) {
        platform::TellUser("duskwhirl: " + error + "\n" + CommandLineUsage(), true);
        status = 2;
        return nullptr;
    }
    if (cl->help) {
        // The keys as the player bound them.
        platform::TellUser(CommandLineHelp(ReadBoundKeys(UserDirectoryFor(*cl))), false);
        return nullptr;
    }
    if (cl->version) {
        platform::TellUser(std::string("Duskwhirl 2 ") + DW_VERSION + "\n", false);
        return nullptr;
    }
    return std::make_unique<Program>(*cl);
}

Program::Program(const CommandLine& cl) : cl_(cl), plan_(PlanRun(cl)) {
    running_ = Open();
    if (!running_ && session_) WriteOutputs();  // what there is of them
}

Program::~Program() {
    if (running_) Finish();
    RemoveScratchUserDir(scratchDir_);
}

std::string Program::ChooseUserDir() {
    // A replay, like a demo of the attract mode, plays in a scratch user
    // directory: the player's files are left exactly as they were. Without
    // any user directory (HOME unset) nothing is saved, and the game says so.
    std::string userDir = UserDirectoryFor(cl_);
    if (userDir.empty() && !plan_.replay)
        std::fprintf(stderr, "duskwhirl: settings and high scores will not be saved: %s\n",
                     platform::UserDirProblem(userDir).c_str());
    if (plan_.replay || userDir.empty()) userDir = scratchDir_ = MakeScratchUserDir(userDir);
    return userDir;
}

std::string Program::MakeSession(const SessionConfig& config, const std::string& userDir) {
    if (plan_.windowed) {
        // A replay, a timedemo and --fixed-step step as told; else the real time.
        window_ =
            std::make_unique<WindowDevices>(cl_, config, plan_.replay || plan_.timedemo || plan_.fixedStep, userDir);
        // Online scores: a player's own games, kept in their user directory.
        if (!plan_.replay && !plan_.autopilot && !plan_.timedemo && scratchDir_.empty()) {
            window_->scores = std::make_unique<platform::ScoreServer>(platform::MakeHttpClient(),
                                                                      platform::FileIn(userDir, "outbox"));
            window_->services.scores = window_->scores.get();
        }
        shell_ = window_->shell.get();
        // A window without its data would show nothing.
        session_ = std::make_unique<Session>(window_->services, &window_->script, config, &window_->data);
        return window_->data.file;
    }
    HeadlessOptions h;
    h.userDir = userDir;
    h.dataFile = cl_.dataFile;
    h.quietSound = true;  // the handles without the log of every call
    session_ = std::make_unique<Session>(h, config);
    HeadlessDevices& headless = *session_->headless();
    shell_ = &headless.shell;
    if (headless.dataSearch.file.empty()) WarnMissingData(headless.dataSearch);
    return headless.dataSearch.file;
}

void Program::AfterStart() {
    GameContext& c = session_->context();
    if (window_) {
        SetWindowIconFromData(*window_->resources, c.resourceLibraryName, *shell_);
        if (!cl_.screenshotFile.empty()) session_->device()->SetCaptureOnPresent(true);
    }
    windowSize_ = std::to_string(c.screenWidth) + "x" + std::to_string(c.screenHeight);
    // At the close: the screenshot of the last frame and the report, while
    // the device and the objects still exist.
    session_->OnShutdown([this] {
        gfx::Device* device = session_->device();
        if (!cl_.screenshotFile.empty() && (!device || !SaveScreenshot(cl_.screenshotFile, *device))) status_ = 1;
        if (WriteEndReport(cl_, session_->context(), director_->frames(), device, session_->lastBatches()) != 0)
            status_ = 1;
    });
    director_ = std::make_unique<Director>(*session_, attract_.get(),
                                           window_ && window_->latchedClock ? &*window_->latchedClock : nullptr);
    PaceFromTick();
    if (attract_ && window_) {
        // The demo draws with the window's device, at the pace it was recorded.
        attract_->options().sharedDevice = session_->device();
        attract_->options().paced = true;
    }
}

bool Program::Open() {
    std::string error;
    if (plan_.replay && !LoadDemoFile(cl_.replayFile, demo_, error)) {
        std::fprintf(stderr, "duskwhirl: %s\n", error.c_str());
        status_ = 1;
        return false;
    }
    limit_ = plan_.limitIsDemoLength ? demo_.frames.size() : plan_.frameLimit;
    const std::string userDir = ChooseUserDir();
    const SessionConfig config =
        ResolveSession(plan_, plan_.replay ? &demo_ : nullptr, WallClockSeed(), limit_, userDir);
    const std::string dataFile = MakeSession(config, userDir);

    // The menu's session reads its input through the attract mode's layer.
    if (plan_.attract) {
        attract_ = std::make_unique<AttractMode>(AttractOptions{FindAttractDemos(dataFile), dataFile, cl_.watchFile});
        platform::Services& seams = session_->seams();
        seams.input = attract_->Watch(seams.input);
    }

    if (!session_->Start(error)) {
        if (!error.empty()) std::fprintf(stderr, "duskwhirl: %s\n", error.c_str());
        status_ = session_->exitStatus() ? session_->exitStatus() : 1;
        return false;
    }
    AfterStart();
    return true;
}

bool Program::Watch(const std::string& path) {
    if (!attract_) return false;
    attract_->options().watch = path;
    return true;
}

std::uint64_t Program::frames() const { return director_ ? director_->frames() : 0; }

bool Program::StopRuleHolds() const {
    const GameContext& c = session_->context();
    if (plan_.untilGameOver && played_ && c.currentScreen != Screen::Game) return true;
    // The level is over once the next one begins, the game is won or lost,
    // or the play screen is left.
    return plan_.oneLevel && played_ &&
        (c.currentScreen != Screen::Game || c.currentLevel != static_cast<std::uint32_t>(plan_.startLevel) ||
         c.gamePhase >= GamePhase::AllLevelsDone);
}

void Program::PaceFromTick() {
    // Play's next frame: kFrameIntervalMs after the tick of the game's clock.
    if (window_ && window_->latchedClock) pace_.DueAt(window_->latchedClock->Milliseconds() + kFrameIntervalMs);
}

int Program::RunToEnd() {
    while (StepFrame()) WaitForNextFrame();
    return exitStatus();
}

bool Program::StepFrame() {
    if (!running_) return false;
    if (frames() >= limit_) {
        Finish();
        return false;
    }
    // One frame of the session that is on (none while a paced demo's is not due).
    Session* on = director_->SessionForFrame();
    const bool open = on ? on->Step() : true;
    if (on) director_->AfterFrame(*on, open);
    if (on == session_.get()) PaceFromTick();
    if (session_->closed() || (on == session_.get() && !open)) {
        Finish();
        return false;
    }
    if (on != session_.get() || director_->demoPlaying()) return true;
    if (session_->context().currentScreen == Screen::Game) played_ = true;
    if (StopRuleHolds()) {
        Finish();
        return false;
    }
    return true;
}

void Program::WaitForNextFrame() {
    if (!running_) return;
    if (!session_->active()) {
        // Minimised: wait for the window to come back.
        platform::ShellEvent event;
        if (shell_->WaitEvent(event, 100)) session_->HandleEvent(event);
        return;
    }
    if (const std::uint32_t wait = MsUntilNextFrame()) session_->context().clock().Sleep(wait);
}

std::uint32_t Program::MsUntilNextFrame() {
    if (!running_) return 0;
    if (director_->demoPlaying()) return director_->MsUntilNextFrame();
    // A fixed-step clock (a replay's, a timedemo's) runs as fast as it goes.
    if (!window_ || !window_->latchedClock) return 0;
    return pace_.MsUntilDue(window_->latchedClock->Peek());
}

void Program::Finish() {
    running_ = false;
    director_->EndForClose();
    session_->Close();
    if (status_ == 0) status_ = session_->exitStatus();
    WriteOutputs();
}

void Program::WriteOutputs() {
    const std::uint64_t frames = session_->steps();
    std::string error;
    if (plan_.record && !SaveDemoFile(cl_.recordFile, session_->recorded(), error)) {
        std::fprintf(stderr, "duskwhirl: %s\n", error.c_str());
        status_ = 1;
    }
    if (plan_.timedemo) {
        std::string label = plan_.replay ? cl_.replayFile
            : plan_.autopilot            ? std::string("autopilot")
                                         : std::string("run");
        if (window_) label += " (window " + windowSize_ + ")";
        std::fputs(FormatSummary(label, session_->timer().Summarise(1000 / plan_.stepMs)).c_str(), stdout);
    }
    if (plan_.replay && cl_.frames < 0 && frames < demo_.frames.size()) {
        std::fprintf(stderr, "duskwhirl: the game closed after %llu of the demo's %zu frames\n",
                     static_cast<unsigned long long>(frames), demo_.frames.size());
        if (status_ == 0) status_ = 1;
    }
}

}  // namespace dw
