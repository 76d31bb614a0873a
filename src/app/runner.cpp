#include "app/runner.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/application.h"
#include "app/attract_mode.h"
#include "app/demo_session.h"
#include "app/session.h"
#include "platform/desktop.h"
#include "core/game_context.h"
#include "app/headless_game.h"
#include "core/log.h"
#include "core/settings.h"
#include "app/report.h"
#include "d3dx/d3dx_image.h"
#include "engine/list_engine.h"
#include "render/render_queue.h"
#include "assets/asset_names.h"
#include "platform/clock.h"
#include "platform/game_data.h"
#include "platform/gfx_device.h"
#include "platform/input.h"
#include "platform/resource_library.h"
#include "platform/services.h"
#include "platform/screenshot.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/sound_library.h"
#include "platform/system_info.h"

namespace dw {

namespace {

int WriteEndReport(const CommandLine& cl, const GameContext& ctx, const ListEngine* objects,
                   std::uint64_t frames, const gfx::Device* device, std::uint32_t batches) {
    if (cl.reportFile.empty()) return 0;
    RendererCounters renderer;
    if (device) {
        renderer.draws = device->counters().draws;
        renderer.vertices = device->counters().vertices;
        renderer.textureBinds = device->counters().textureBinds;
    }
    renderer.batches = batches;
    if (!WriteReport(cl.reportFile, BuildReport(ctx, objects, frames, renderer))) {
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

std::string UserDirectoryFor(const CommandLine& cl) {
    if (!cl.userDir.empty()) {
        platform::MakeDirs(cl.userDir);  // a failure is reported at start
        return cl.userDir;
    }
    return platform::DefaultUserDir();
}

void ReportMissingData(const platform::DataSearch& data, platform::Shell& shell, Log* log) {
    const std::string text = "No usable game data was found, so the game cannot start.\n\n" +
                             platform::DataSearchFailureText(data);
    if (log) {
        log->WriteLine("GAME: Resource Library is absent");
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t end = std::min(text.find('\n', at), text.size());
            log->WriteLine(text.substr(at, end - at));
            at = end + 1;
        }
    }
    shell.MessageBox("Duskwhirl 2", text, true);  // also printed on stderr
}

void WarnMissingData(const platform::DataSearch& data) {
    std::fprintf(stderr, "duskwhirl: warning: no usable game data; running without pictures and sounds.\n%s",
                 platform::DataSearchFailureText(data).c_str());
}

bool SetWindowIconFromData(platform::ResourceLibrary& library, const char* libraryName,
                           platform::Shell& shell) {
    platform::LibraryModule* module = library.LoadLibrary(libraryName);
    if (!module) return false;
    bool set = false;
    const platform::ResourceHandle res = library.FindResource(module, asset::WindowIcon);
    const std::uint32_t size = res ? library.SizeofResource(module, res) : 0;
    if (size > 0 && library.LoadResource(module, res)) {
        if (const std::uint8_t* bytes = library.LockResource(module, res)) {
            d3dx::DecodeOptions options;
            options.mipLevels = 1;
            options.maxDimension = 512;
            d3dx::Image image;
            if (d3dx::DecodeImage(bytes, size, options, image) && !image.levels.empty()) {
                shell.SetWindowIcon(image.levels[0].rgba.data(), static_cast<int>(image.width),
                                    static_cast<int>(image.height));
                set = true;
            }
        }
    }
    library.FreeLibrary(module);
    return set;
}

// At the close: the screenshot of the last frame and the report, while the
// device and the objects still exist.
std::function<void()> EndOfRunHook(const CommandLine& cl, Application& app, int& status,
                                   std::function<std::uint32_t()> batches) {
    return [&cl, &app, &status, batches] {
        if (!cl.screenshotFile.empty() && (!app.device || !SaveScreenshot(cl.screenshotFile, *app.device)))
            status = 1;
        if (WriteEndReport(cl, *app.context, app.context->objectList, app.frameCount, app.device,
                           batches()) != 0)
            status = 1;
    };
}

namespace {

// The devices of a game in a window.
struct WindowDevices {
    WindowDevices(const CommandLine& cl, const PlayOptions& play, const std::string& userDir);

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
    std::unique_ptr<platform::Shell> shell;  // SDL is up while it lives
    std::unique_ptr<platform::InputDevices> sdlInput;
    platform::ScriptedInput script;
    std::unique_ptr<platform::MixerSoundLibrary> sound;
    std::unique_ptr<platform::ResourceLibrary> resources;
};

WindowDevices::WindowDevices(const CommandLine& cl, const PlayOptions& play, const std::string& userDir)
    : data(FindGameData(cl.dataFile)), fixedClock(StartClockOf(play)) {
    platform::Services& s = services;
    s.userDir = userDir;
    if (play.replay) {
        replaySettings = ReplaySettings(play.replay->header);
        s.settings = replaySettings.get();
    } else {
        iniSettings = std::make_unique<platform::IniSettingsStore>(s.UserFile("settings.ini"));
        s.settings = iniSettings.get();
    }
    s.system = &system;
    const bool scripted = play.replay || play.autopilot;
    // A replay or the built-in player clicks no site open in a browser.
    s.desktop = scripted ? static_cast<platform::Desktop*>(&quietDesktop) : &desktop;
    if (play.replay || cl.timedemo) {
        s.clock = &fixedClock;
    } else {
        latchedClock.emplace(StartClockOf(play));
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

std::uint32_t WallClockSeed() {
    return static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count() & 0xFFFFFFFFu);
}

}  // namespace

platform::Controls ReadBoundKeys(const std::string& userDir) {
    if (userDir.empty()) return platform::Controls::Defaults();
    platform::IniSettingsStore store(userDir + "/settings.ini");
    platform::Services services;
    services.settings = &store;
    GameContext ctx;
    ctx.services = &services;
    ReadControlSettings(ctx);
    return ctx.controls;
}

int RunProgram(const CommandLine& cl) {
    Demo demo;
    std::string error;
    const bool replaying = !cl.replayFile.empty();
    if (replaying && !LoadDemoFile(cl.replayFile, demo, error)) {
        std::fprintf(stderr, "duskwhirl: %s\n", error.c_str());
        return 1;
    }
    const bool windowed = !cl.headless;
    // A plain headless run plays the menu for a while; a window, a recording,
    // a replay, the autopilot, a level or a timedemo is a session of play.
    const bool play = windowed || !cl.recordFile.empty() || replaying || cl.autopilot || cl.level >= 0 ||
                      cl.timedemo;
    // A replay, like a demo of the attract mode, plays in a scratch user
    // directory: the player's files are left exactly as they were. Without
    // any user directory (HOME unset) nothing is saved, and the game says so.
    std::string userDir = UserDirectoryFor(cl);
    if (userDir.empty() && !replaying)
        std::fprintf(stderr, "duskwhirl: settings and high scores will not be saved: %s\n",
                     platform::UserDirProblem(userDir).c_str());
    struct ScratchRemover {
        std::string dir;
        ~ScratchRemover() { RemoveScratchUserDir(dir); }
    } scratch;
    if (replaying || userDir.empty()) userDir = scratch.dir = MakeScratchUserDir(userDir);
    const std::uint32_t stepMs = cl.fixedStep ? cl.fixedStep : 16;

    PlayOptions options;
    if (replaying) options.replay = &demo;
    options.record = !cl.recordFile.empty();
    options.autopilot = cl.autopilot && !replaying;
    options.startLevel = cl.level >= 0 ? cl.level : (options.autopilot ? 0 : -1);
    options.arsenal = cl.arsenal;
    // The games played are kept as replays.
    if (play && !cl.timedemo && !userDir.empty()) options.keepGames = userDir + "/replays";

    // How long: --frames, else the demo's length; headless, the autopilot
    // plays until the game is over (30 minutes of game time at most) and
    // anything else 600 frames; a window runs until it is closed.
    std::uint64_t limit = windowed ? ~0ull : 600;
    bool untilGameOver = false;
    if (cl.frames >= 0) {
        limit = static_cast<std::uint64_t>(cl.frames);
    } else if (replaying) {
        limit = demo.frames.size();
    } else if (options.autopilot && !windowed) {
        limit = 30ull * 60 * 1000 / stepMs;
        untilGameOver = true;
    }
    if (cl.timedemo)  // room for the frames (a window closed by hand: a good while)
        options.timedFrames = static_cast<std::size_t>(limit == ~0ull ? 1u << 16 : std::min<std::uint64_t>(limit, 1u << 22));
    options.timedFrom = cl.timedemoFrom;

    SessionStart start;
    start.stepMs = stepMs;
    start.seed = cl.seed;
    if (!start.seed && play) start.seed = WallClockSeed();  // the program's choice, kept in the demo
    if (cl.width > 0) {
        start.width = cl.width;
        start.height = cl.height;
    }

    // The devices.
    std::unique_ptr<WindowDevices> window;
    std::unique_ptr<platform::MemorySettingsStore> replaySettings;
    std::unique_ptr<HeadlessDevices> headless;
    const platform::Services* devices = nullptr;
    platform::ScriptedInput* script = nullptr;
    platform::Shell* shell = nullptr;
    if (windowed) {
        window = std::make_unique<WindowDevices>(cl, options, userDir);
        devices = &window->services;
        script = &window->script;
        shell = window->shell.get();
        // A recording keeps the window's size; else the window as the
        // player left it, unless asked.
        start.window = replaying || cl.windowed || !cl.recordFile.empty() ? WindowStart::Window
                       : cl.fullscreen                                  ? WindowStart::FullScreen
                                                                        : WindowStart::AsLeft;
        start.rememberWindow = !replaying;
        start.requiredData = &window->data;  // a window without its data would show nothing
    } else {
        HeadlessOptions h;
        h.userDir = userDir;
        h.dataFile = cl.dataFile;
        if (cl.width > 0) {
            h.width = cl.width;
            h.height = cl.height;
        }
        h.fullscreen = cl.fullscreen;
        h.stepMs = stepMs;
        headless = std::make_unique<HeadlessDevices>(HeadlessOptionsFor(h, options, replaySettings));
        devices = &headless->services;
        script = &headless->input;
        shell = &headless->shell;
        start.width = h.width;
        start.height = h.height;
        start.window = cl.fullscreen ? WindowStart::FullScreen : WindowStart::Window;
        if (headless->dataSearch.file.empty()) WarnMissingData(headless->dataSearch);
    }

    // Plain play left alone on the menu shows the game's demos (attract_mode.h):
    // in a window that is not a replay, the autopilot or a timedemo, and in a
    // plain headless run. The menu's session reads its input through it.
    std::optional<AttractMode> attract;
    if (windowed ? !replaying && !cl.autopilot && !cl.timedemo : !play) {
        const std::string& dataFile = windowed ? window->data.file : headless->dataSearch.file;
        attract.emplace(AttractOptions{FindAttractDemos(dataFile), dataFile});
        platform::Services& seams = windowed ? window->services : headless->services;
        seams.input = attract->Watch(seams.input);
    }

    int status = 0;
    std::string windowSize;  // as the game got it, for the timedemo line
    Session session(*devices, script, options, start);
    if (!session.Start(error)) {
        if (!error.empty()) std::fprintf(stderr, "duskwhirl: %s\n", error.c_str());
        status = session.exitStatus() ? session.exitStatus() : 1;
    } else {
        Application& app = session.app();
        GameContext& c = session.context();
        if (windowed) {
            SetWindowIconFromData(*window->resources, c.resourceLibraryName, *shell);
            if (!cl.screenshotFile.empty()) app.device->SetCaptureOnPresent(true);
        }
        windowSize = std::to_string(c.screenWidth) + "x" + std::to_string(c.screenHeight);
        app.onShutdown = EndOfRunHook(cl, app, status, [&session] { return session.lastBatches(); });
        if (attract && windowed) {
            // The demo draws with the window's device, at the pace it was recorded.
            attract->options().sharedDevice = app.device;
            attract->options().paced = true;
        }

        // The loop of every run.
        bool played = false;
        const bool oneLevel = cl.oneLevel && options.autopilot;
        const auto firstLevel = static_cast<std::uint32_t>(options.startLevel);
        std::uint64_t demoFrames = 0;  // the frames of attract demos count as the program's
        while (session.steps() + demoFrames < limit) {
            if (attract && attract->playing()) {
                // A demo plays instead of the menu's frames; the menu's
                // clock stands still meanwhile.
                const std::uint64_t shown = attract->demoFrames();
                if (!attract->Step() && window && window->latchedClock) window->latchedClock->Skip();
                if (attract->demoFrames() != shown) ++demoFrames;
                continue;
            }
            if (!session.Step()) break;
            if (attract) attract->AfterHostFrame(app);
            if (c.currentScreen == Screen::Game) played = true;
            if (untilGameOver && played && c.currentScreen != Screen::Game) break;
            // The level is over once the next one begins, the game is won
            // or lost, or the play screen is left.
            if (oneLevel && played &&
                (c.currentScreen != Screen::Game || c.currentLevel != firstLevel ||
                 c.gamePhase >= GamePhase::AllLevelsDone))
                break;
            if (!app.active) {
                // Minimised: wait for the window to come back.
                platform::ShellEvent event;
                if (shell->WaitEvent(event, 100)) app.HandleEvent(event);
            }
        }
        session.Close();
        if (status == 0) status = app.exitStatus;
    }
    const std::uint64_t frames = session.steps();

    if (!cl.recordFile.empty() && !SaveDemoFile(cl.recordFile, session.recorded(), error)) {
        std::fprintf(stderr, "duskwhirl: %s\n", error.c_str());
        status = 1;
    }
    if (cl.timedemo) {
        std::string label = replaying ? cl.replayFile : options.autopilot ? std::string("autopilot") : std::string("run");
        if (windowed) label += " (window " + windowSize + ")";
        std::fputs(FormatSummary(label, session.timer().Summarise(1000 / stepMs)).c_str(), stdout);
    }
    if (replaying && cl.frames < 0 && frames < demo.frames.size()) {
        std::fprintf(stderr, "duskwhirl: the game closed after %llu of the demo's %zu frames\n",
                     static_cast<unsigned long long>(frames), demo.frames.size());
        if (status == 0) status = 1;
    }
    return status;
}

}  // namespace dw
