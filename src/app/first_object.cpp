#include "app/first_object.h"

#include "core/game_context.h"

namespace dw {

FirstObject::FirstObject(GameContext* ctx) : MyObject(ctx) {
    name = "first";
    order = 1;
    visible = 0;
    dead = 0;
}

std::int32_t FirstObject::FrameMove() {
    GameContext& c = *context;
    if (c.menuRequest) {
        c.menuRequest = 0;
        c.gameInProgress = 1;
        c.currentScreen = Screen::Menu;
        c.musicRequest = MusicRequest::MenuTheme;
    }
    if (c.gameStartPending && !c.screenChangeRequest) {
        c.gameStartPending = 0;
        c.newGameReset = 1;
    }
    if (c.screenChangeRequest) {
        c.screenChangeRequest = 0;
        c.currentScreen = c.requestedScreen;
        c.requestedScreen = Screen::Menu;
        c.screenChanged = 1;
    }
    return 0;
}

}  // namespace dw
