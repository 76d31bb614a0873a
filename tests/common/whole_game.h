#pragma once
// Helpers of the tests that run the whole game headless: finding an object
// of the session by its name, a new game asked for as the menu asks, and a
// key pressed for a moment.
#include <cstdint>
#include <cstring>

#include "common/headless_game.h"
#include "core/game_context.h"
#include "engine/list_engine.h"
#include "engine/my_object.h"

namespace dw::testing {

// The first object in the session's list with this name, as a T; null when
// there is none or it is not a T.
template <typename T = MyObject>
T* FindNamed(GameContext& ctx, const char* objectName) {
    for (auto* node = ctx.objectList->Head(); node; node = node->next)
        if (node->object->name && std::strcmp(node->object->name, objectName) == 0)
            return dynamic_cast<T*>(node->object);
    return nullptr;
}

// What the main menu does to start a new game at `level` (0 to 9).
inline void RequestLevelFromMenu(GameContext& ctx, std::uint32_t level) {
    ctx.currentLevel = level;
    ctx.screenChangeRequest = 1;
    ctx.requestedScreen = Screen::Game;
    ctx.musicRequest = MusicRequest::GameTheme;
    ctx.levelStartRequest = 1;
}

// Holds a key for two frames, then lets it go for two.
inline void PressKey(HeadlessGame& game, std::uint8_t key) {
    game.input().SetKey(key, true);
    game.Run(2);
    game.input().SetKey(key, false);
    game.Run(2);
}

}  // namespace dw::testing
