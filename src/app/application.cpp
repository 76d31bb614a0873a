#include "app/application.h"

#include "app/game_context.h"
#include "app/log.h"
#include "engine/list_engine.h"
#include "platform/clock.h"
#include "platform/services.h"

namespace dw {

Application::Application(GameContext* ctx) : context(ctx) {
    lastPresentTime = platform::timeGetTime();
    creation = CreationSize{};
    log = new Log(platform::UserFile("file.log"));
    context->log = log;
    log->WriteLine("Start Execute: \"Duskwhirl 2\".  Begin Log File");
    log->WriteLine("");
    static constexpr std::uint32_t kLevelIds[kLevelCount] = {0,   716, 325, 584, 682,
                                                            146, 913, 762, 421, 258};
    for (int i = 0; i < kLevelCount; ++i) context->levelIds[i] = kLevelIds[i];
    ReadSettings(*context, creation);
}

Application::~Application() {
    if (context->log == log) context->log = nullptr;
    delete log;
}

std::int32_t Application::OneTimeSceneInit() {
    objectList = new ListEngine();
    context->objectList = objectList;
    return 0;
}

std::int32_t Application::FrameMove() {
    GameContext& c = *context;
    const std::uint32_t now = platform::timeGetTime();
    c.frameTimes[c.frameTimeIndex] = now - c.timeNow;
    if (++c.frameTimeIndex >= static_cast<std::uint32_t>(kFrameTimeCount)) c.frameTimeIndex = 0;
    std::uint32_t sum = 0;
    for (std::uint32_t t : c.frameTimes) sum += t;
    c.frameTimeAverage = sum / kFrameTimeCount;
    c.timeNow = now;

    if (c.screenWidth != backBufferWidth) c.screenWidth = backBufferWidth;
    if (c.screenHeight != backBufferHeight) c.screenHeight = backBufferHeight;

    if (c.reacquireMouse) {
        // The input seam re-acquires the mouse (see the input devices).
        c.reacquireMouse = 0;
    }
    if (objectList && objectList->CountObjects() != 0) objectList->FrameMoveAll();
    if (c.quitRequest) closeRequested = true;
    return 0;
}

std::int32_t Application::Render() {
    if (objectList) objectList->RenderAll();
    return 0;
}

void Application::ShutdownGame() {
    if (objectList) {
        objectList->DestroyAll();
        delete objectList;
        objectList = nullptr;
        context->objectList = nullptr;
    }
}

}  // namespace dw
