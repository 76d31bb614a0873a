#include "core/game_context.h"

#include "platform/clock.h"

namespace dw {

GameContext::GameContext() { timeNow = platform::GetTickCount(); }

GameContext::GameContext(platform::Shell* window, platform::ModuleResources* module) {
    hWnd = window;
    instance = module;
    timeNow = platform::GetTickCount();
}

GameContext::~GameContext() = default;

void GameContext::ResetToStartValues() {
    // Deliberate (docs/DECISIONS.md): the settings survive the system start.
    // The system start runs after the settings were read, the managers were
    // created, the device was set and the system report chose the filter
    // flags. Those fields (the ones of GameContext itself) keep what they
    // hold; everything of GameStartValues takes its start value.
    static_cast<GameStartValues&>(*this) = GameStartValues{};
    timeNow = platform::GetTickCount();
}

}  // namespace dw
