// The Game table inside the whole program: started by the scene, driven by
// the start-up object's hand-shake, on the shipped level scripts.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/game_context.h"
#include "common/headless_game.h"
#include "engine/list_engine.h"
#include "engine/my_object.h"
#include "game/game_table.h"
#include "platform/embedded_resources.h"
#include "common/whole_game.h"

namespace dw {
namespace {

int Count(GameContext& ctx, const char* objectName) { return static_cast<int>(ctx.objectList->CountNamed(objectName)); }

TEST(WholeGame, AMenuStartRunsTheLevelIntroAndScrollsIntoPlay) {
    const auto dir = std::filesystem::temp_directory_path() / "dw_whole_game_table";
    std::filesystem::create_directories(dir);
    {
        HeadlessOptions options;
        options.userDir = dir.string();
        options.seed = 5u;
        HeadlessGame game(options);
        ASSERT_TRUE(game.Start());
        GameContext& ctx = game.context();
        EXPECT_EQ(Count(ctx, "glevels"), 1);
        EXPECT_EQ(Count(ctx, "matrix"), 1);
        EXPECT_EQ(Count(ctx, "gbord"), 1);
        if (kEmbeddedLevelCount > 0) {
            EXPECT_EQ(ctx.levelSpawnCount[0], 2705u);
        }
        game.Run(3);
        ctx.introActive = 0;  // the splash is over
        game.Run(2);
        ASSERT_EQ(ctx.mouseActive, 1);

        // What the menu does to start level 1.
        testing::RequestLevelFromMenu(ctx, 0);
        game.Run(3);
        EXPECT_EQ(ctx.currentScreen, Screen::Game);
        EXPECT_EQ(ctx.gamePhase, GamePhase::LevelIntro);
        EXPECT_EQ(ctx.score, 0u);
        // After the 1000 ms of the intro the level number shows.
        const std::uint32_t start = ctx.timeNow;
        while (ctx.gamePhase == GamePhase::LevelIntro && game.frames() < 2000) game.Step();
        EXPECT_GE(ctx.timeNow - start, 1000u);
        EXPECT_EQ(ctx.gamePhase, GamePhase::ShowLevelNumber);
        game.Step();
        EXPECT_EQ(ctx.gamePhase, GamePhase::LevelNumberShown);
        EXPECT_EQ(Count(ctx, "gtext"), 1);
        EXPECT_EQ(ctx.scrollPosition, 0.0f);
        while (ctx.gamePhase == GamePhase::LevelNumberShown && game.frames() < 2000) game.Step();
        game.Run(2);  // 3000 ms later play begins and the field scrolls
        EXPECT_GT(ctx.scrollPosition, 0.0f);
        EXPECT_EQ(ctx.gamePhase, GamePhase::Playing);
        EXPECT_EQ(Count(ctx, "swolf"), 1);
        EXPECT_EQ(ctx.shipsLeft, 3u);

        // Half a minute of play with the fire button held.
        game.input().SetButton(0, true);
        game.Run(1900);
        EXPECT_EQ(ctx.currentScreen, Screen::Game);
        EXPECT_GT(ctx.scrollPosition, 40.0f);
        game.Close();
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

// A windowed start skips the switch to full screen, and with it the reset
// that restores the device objects: the first objects get that pass anyway.
TEST(WholeGame, AWindowedStartStillRestoresTheFirstObjects) {
    const auto dir = std::filesystem::temp_directory_path() / "dw_whole_game_windowed";
    std::filesystem::create_directories(dir);
    {
        HeadlessOptions options;
        options.userDir = dir.string();
        options.seed = 5u;
        HeadlessGame game(options);
        ASSERT_TRUE(game.Start());
        GameContext& ctx = game.context();
        EXPECT_EQ(ctx.lightReady(), 1);
        EXPECT_EQ(ctx.mainLight().Type, D3DLIGHT_DIRECTIONAL);
        const GameTable* table = nullptr;
        for (auto* n = ctx.objectList->Head(); n; n = n->next)
            if (std::string(n->object->name) == "matrix") table = static_cast<const GameTable*>(n->object);
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->lights[0].Type, D3DLIGHT_DIRECTIONAL);
        game.Close();
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

}  // namespace
}  // namespace dw
