#include "app/runner.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "app/application.h"
#include "app/attract_mode.h"
#include "app/demo_session.h"
#include "core/game_context.h"
#include "app/headless_game.h"
#include "core/log.h"
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

std::string UserDirectoryFor(const CommandLine& cl, bool windowed) {
    if (!cl.userDir.empty()) {
        platform::MakeDirs(cl.userDir);  // a failure is reported at start
        return cl.userDir;
    }
    if (windowed) {
        // The player's data directory ($XDG_DATA_HOME/QVM/Duskwhirl).
        if (char* pref = SDL_GetPrefPath("QVM", "Duskwhirl")) {
            std::string dir = pref;
            SDL_free(pref);
            return dir;
        }
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

int RunHeadless(const CommandLine& cl) {
    HeadlessOptions options;
    options.userDir = UserDirectoryFor(cl, false);
    options.dataFile = cl.dataFile;
    if (cl.width > 0) {
        options.width = cl.width;
        options.height = cl.height;
    }
    options.fullscreen = cl.fullscreen;
    options.stepMs = cl.fixedStep ? cl.fixedStep : 16;
    options.seed = cl.seed;
    AttractMode attract({});  // outlives the game, which reads input through it
    HeadlessGame game(options);
    if (game.dataSearch().file.empty()) WarnMissingData(game.dataSearch());
    // Left alone on the menu, the game plays its demos (attract_mode.h).
    attract.options().demos = FindAttractDemos(game.dataSearch().file);
    attract.options().dataFile = game.dataSearch().file;
    platform::services().input = attract.Watch(&game.inputSeam());
    if (!game.Start()) return game.app().exitStatus ? game.app().exitStatus : 1;

    int status = 0;
    game.app().onShutdown = EndOfRunHook(cl, game.app(), status, [&game] { return game.lastBatches(); });
    const std::uint64_t limit = cl.frames >= 0 ? static_cast<std::uint64_t>(cl.frames) : 600;
    attract.RunHeadless(game, limit);
    game.Close();
    return status != 0 ? status : game.app().exitStatus;
}

int RunWindowed(const CommandLine& cl) {
    // Plain play runs as a session that keeps its games as replays.
    return RunDemoWindowed(cl);
}

int RunProgram(const CommandLine& cl) {
    if (UsesDemoSession(cl)) return RunDemoSession(cl);
    return cl.headless ? RunHeadless(cl) : RunWindowed(cl);
}

}  // namespace dw
