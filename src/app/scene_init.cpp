// The first objects of the scene, created in this order and added to the
// object list one by one.
#include "app/session.h"
#include "app/first_object.h"
#include "core/game_context.h"
#include "engine/list_engine.h"
#include "frontend/intro_splash.h"
#include "frontend/loading_screen.h"
#include "frontend/main_menu.h"
#include "game/background.h"
#include "game/board.h"
#include "game/game_table.h"
#include "game/level_loader.h"
#include "media/cameras.h"
#include "media/input_objects.h"

namespace dw {

void CreateFirstObjects(GameContext& ctx) {
    ListEngine& list = *ctx.objectList;
    list.AddObject(new MouseObject(&ctx));
    list.AddObject(new KeysObject(&ctx));

    auto* camera = new Camera(&ctx);
    camera->enabled = 1;
    camera->SetEyeTarget(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0));
    list.AddObject(camera);
    ctx.camera = camera;

    list.AddObject(new FirstObject(&ctx));
    list.AddObject(new MainCamera(&ctx));

    // "bcgintro": the logo splash.
    list.AddObject(new IntroSplash(&ctx));
    // "qvmload": the loading screen, set up with -1, -1, 0xFFC4C4C4, 50, 17, 90.
    auto* loading = new LoadingScreen(&ctx);
    loading->SetLook(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFC4C4C4u, 50, 17, 90);
    list.AddObject(loading);
    // "glevels": the level loader, given 0.
    auto* levels = new GameLevels(&ctx);
    levels->LoadLevels(0);
    list.AddObject(levels);
    // "matrix": the Game table.
    list.AddObject(new GameTable(&ctx));
    // "menu": the main menu.
    list.AddObject(new MainMenu(&ctx));
    // "gfone": the background.
    list.AddObject(new Background(&ctx));
    // "gbord": the board.
    list.AddObject(new Board(&ctx));
}

}  // namespace dw
