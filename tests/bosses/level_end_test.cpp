// A boss inside the whole program: the level waits for it and ends once it
// and everything it brought along are gone.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/game_context.h"
#include "common/headless_game.h"
#include "engine/list_engine.h"
#include "game/game_table.h"
#include "platform/embedded_resources.h"
#include "common/whole_game.h"

namespace dw {
namespace {

using testing::FindNamed;

TEST(BossLevel, TheFirstLevelEndsOnlyAfterItsBossIsDestroyed) {
    if (kEmbeddedLevelCount == 0) GTEST_SKIP() << "levels are not built into this program";
    const auto dir = std::filesystem::temp_directory_path() / "dw_boss_level_end";
    std::filesystem::create_directories(dir);
    {
        HeadlessOptions options;
        options.userDir = dir.string();
        options.seed = 11u;
        HeadlessGame game(options);
        ASSERT_TRUE(game.Start());
        GameContext& ctx = game.context();
        game.Run(3);
        ctx.introActive = 0;
        game.Run(2);
        testing::RequestLevelFromMenu(ctx, 0);
        game.Run(3);
        ASSERT_TRUE(game.RunUntil([&] { return ctx.gamePhase == GamePhase::Playing && ctx.scrollPosition > 0; }, 2000));
        // The table's position, moved to just before the boss's row.
        auto* table = static_cast<GameTable*>(FindNamed(ctx, "matrix"));
        ASSERT_NE(table, nullptr);
        table->currentRow = table->groundRow = 896;
        ctx.scrollPosition = 896.0f;
        auto keepShipAlive = [&] {
            for (HitSlot& s : ctx.shipSlots)
                if (s.active) s.hitPoints = 1000000;
        };
        ASSERT_TRUE(game.RunUntil(
            [&] {
                keepShipAlive();
                return FindNamed(ctx, "bigbos0") != nullptr;
            },
            600));
        // Past the level's length, but the boss lives: no end.
        for (int i = 0; i < 400; ++i) {
            keepShipAlive();
            game.Step();
        }
        EXPECT_GT(table->currentRow, ctx.levelLength[0]);
        EXPECT_EQ(ctx.currentLevel, 0u);
        EXPECT_EQ(ctx.gamePhase, GamePhase::Playing);
        ASSERT_NE(FindNamed(ctx, "bigbos0"), nullptr);

        // Destroy whatever is left, the boss included.
        const std::uint32_t before = ctx.score;
        ASSERT_TRUE(game.RunUntil(
            [&] {
                keepShipAlive();
                for (HitSlot& s : ctx.enemySlots)
                    if (s.active) s.destroyed = 1;
                return ctx.currentLevel == 1;
            },
            3000));
        EXPECT_GE(ctx.score - before, 100000u);
        EXPECT_EQ(FindNamed(ctx, "bigbos0"), nullptr);
        EXPECT_EQ(FindNamed(ctx, "rball"), nullptr);
        game.Close();
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

}  // namespace
}  // namespace dw
