#include "app/runner.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "app/application.h"
#include "app/demo_session.h"
#include "core/game_context.h"
#include "app/headless_game.h"
#include "app/report.h"
#include "engine/list_engine.h"
#include "render/render_queue.h"
#include "platform/clock.h"
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

// Chooses the user directory: --user-dir, else the default one.
bool ChooseUserDir(const CommandLine& cl, std::string& dir) {
    if (!cl.userDir.empty()) {
        if (!platform::MakeDirs(cl.userDir)) {
            std::fprintf(stderr, "duskwhirl: cannot create the user directory %s\n",
                         cl.userDir.c_str());
            return false;
        }
        dir = cl.userDir;
    } else {
        dir = platform::DefaultUserDir();
    }
    return true;
}

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
    std::string dir;
    if (!ChooseUserDir(cl, dir)) return 1;
    HeadlessOptions options;
    options.userDir = dir;
    options.dataFile = cl.dataFile;
    if (cl.width > 0) {
        options.width = cl.width;
        options.height = cl.height;
    }
    options.fullscreen = cl.fullscreen;
    options.stepMs = cl.fixedStep ? cl.fixedStep : 16;
    options.seed = cl.seed;
    HeadlessGame game(options);
    if (!game.Start()) return game.app().exitStatus ? game.app().exitStatus : 1;

    int status = 0;
    game.app().onShutdown = EndOfRunHook(cl, game.app(), status, [&game] { return game.lastBatches(); });
    const std::uint64_t limit = cl.frames >= 0 ? static_cast<std::uint64_t>(cl.frames) : 600;
    game.Run(limit);
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
