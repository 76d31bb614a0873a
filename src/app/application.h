#pragma once
// The application shell: owns the managers, runs the frame and tears down
// in order. The window and the graphics device come from the platform seams.
#include <cstdint>

#include "app/settings.h"

namespace dw {

class GameContext;
class ListEngine;
class Log;

class Application {
public:
    explicit Application(GameContext* ctx);
    virtual ~Application();

    // Creates the managers and stores them in the Game context.
    virtual std::int32_t OneTimeSceneInit();
    // Per-frame update: time ring and average, screen size, mouse
    // re-acquire, the object pass, the quit request.
    virtual std::int32_t FrameMove();
    // Per-frame drawing: objects submit, the Render queue draws and empties.
    virtual std::int32_t Render();
    // Stops sound, destroys every object and manager.
    virtual void ShutdownGame();

    // Back-buffer size as the device reports it (the window's drawable size).
    std::int32_t backBufferWidth = 800;
    std::int32_t backBufferHeight = 600;
    // Set when a frame's FrameMove saw quitRequest: the shell closes the window.
    bool closeRequested = false;

    GameContext* context;
    ListEngine* objectList = nullptr;
    Log* log = nullptr;
    CreationSize creation;
    std::uint32_t lastPresentTime = 0;
    const char* windowTitle = "Duskwhirl 2";
};

}  // namespace dw
