#include "app/runner.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/application.h"
#include "app/first_object.h"
#include "app/game_context.h"
#include "app/report.h"
#include "engine/list_engine.h"
#include "platform/clock.h"
#include "platform/services.h"
#include "platform/settings_store.h"

namespace dw {

namespace {

// Chooses the user directory and the settings file inside it.
bool SetUpUserDir(const CommandLine& cl) {
    auto& s = platform::services();
    if (!cl.userDir.empty()) {
        if (!platform::MakeDirs(cl.userDir)) {
            std::fprintf(stderr, "duskwhirl: cannot create the user directory %s\n",
                         cl.userDir.c_str());
            return false;
        }
        s.userDir = cl.userDir;
    } else {
        s.userDir = platform::DefaultUserDir();
    }
    return true;
}

}  // namespace

int RunHeadless(const CommandLine& cl) {
    if (!SetUpUserDir(cl)) return 1;
    auto& services = platform::services();
    platform::IniSettingsStore settings(platform::UserFile("settings.ini"));
    services.settings = &settings;

    platform::FixedStepClock clock;
    platform::SetClock(&clock);
    const std::uint32_t step = cl.fixedStep ? cl.fixedStep : 16;
    if (cl.seed) std::srand(*cl.seed);

    auto ctx = std::make_unique<GameContext>();
    auto app = std::make_unique<Application>(ctx.get());
    app->OneTimeSceneInit();
    ctx->ResetToStartValues();
    ctx->screenWidth = app->backBufferWidth;
    ctx->screenHeight = app->backBufferHeight;
    app->objectList->AddObject(new FirstObject(ctx.get()));

    std::uint64_t frames = 0;
    const std::int64_t limit = cl.frames >= 0 ? cl.frames : 600;
    while (static_cast<std::int64_t>(frames) < limit) {
        clock.Advance(step);
        app->FrameMove();
        app->Render();
        ++frames;
        if (app->closeRequested) break;
    }

    int status = 0;
    if (!cl.reportFile.empty()) {
        const std::string json = BuildReport(*ctx, app->objectList, frames, RendererCounters{});
        if (!WriteReport(cl.reportFile, json)) {
            std::fprintf(stderr, "duskwhirl: cannot write the report %s\n", cl.reportFile.c_str());
            status = 1;
        }
    }
    app->ShutdownGame();
    app.reset();
    platform::SetClock(nullptr);
    services.settings = nullptr;
    return status;
}

int RunProgram(const CommandLine& cl) {
    return RunHeadless(cl);
}

}  // namespace dw
