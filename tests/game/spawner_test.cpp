#include <map>

#include "game/level_format.h"
#include "game/level_loader.h"
#include "platform/embedded_resources.h"
#include "game/spawner.h"
#include "game_fixture.h"
#include "recording_factory.h"

namespace dw {
namespace {

using testing::GameFixture;
using testing::MadeCall;
using testing::RecordingFactory;

class SpawnerTest : public GameFixture {
protected:
    void SetLevel(std::uint32_t columns, const std::vector<LevelRecord>& spawns,
                  const std::vector<LevelRecord>& ground) {
        FreeLevelBuffers(&ctx);
        ctx.levelSpawnRecords[0] = new LevelRecord[kMaxLevelRecords]();
        ctx.levelGroundRecords[0] = new LevelRecord[kMaxLevelRecords]();
        std::copy(spawns.begin(), spawns.end(), ctx.levelSpawnRecords[0]);
        std::copy(ground.begin(), ground.end(), ctx.levelGroundRecords[0]);
        ctx.levelSpawnCount[0] = static_cast<std::uint32_t>(spawns.size());
        ctx.levelGroundCount[0] = static_cast<std::uint32_t>(ground.size());
        ctx.levelColumns[0] = columns;
        ctx.levelLength[0] = 700;
        ctx.currentLevel = 0;
    }
    void Row(std::uint32_t r) { SpawnRow(&ctx, r, groundRow, factory); }
    int ActiveEnemySlots() const {
        int n = 0;
        for (const HitSlot& s : ctx.enemySlots) n += s.active;
        return n;
    }

    RecordingFactory factory;
    std::uint32_t currentRow = 0;
    std::uint32_t groundRow = 0;
};

TEST_F(SpawnerTest, ARowCreatesItsFlyersInListOrderAtTheirColumns) {
    SetLevel(13,
             {{0, 4, 3, 1},
              {12, 4, 3, 6},
              {5, 4, 3, 7},
              {3, 4, 3, 14},
              {2, 4, 3, 99},
              {6, 4, 3, 9},
              {1, 5, 3, 2},
              {4, 4, 1, 1}},
             {});
    Row(4);
    const auto made = factory.Of("enemy");
    ASSERT_EQ(made.size(), 4u);
    const float step = 1.5f / 13;
    EXPECT_EQ(made[0].code, 1);
    EXPECT_FLOAT_EQ(made[0].x, -0.6f);
    EXPECT_FLOAT_EQ(made[0].y, -1.2f);
    EXPECT_EQ(made[1].code, 6);
    EXPECT_FLOAT_EQ(made[1].x, 12 * step - 0.6f);
    EXPECT_FLOAT_EQ(made[1].y, 1.1f);
    EXPECT_EQ(made[2].code, 7);
    EXPECT_FLOAT_EQ(made[2].x, 5 * step - 0.6f);
    EXPECT_EQ(made[3].code, 9);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(made[i].slot, i);
    EXPECT_EQ(Objects("enemy").size(), 4u);

    // Codes 14 and 99 took no slot; each slot carries its code's start values.
    EXPECT_EQ(ActiveEnemySlots(), 4);
    const HitSlot& s0 = ctx.enemySlots[0];
    EXPECT_EQ(s0.hitPoints, 90u);
    EXPECT_FLOAT_EQ(s0.boxMin[1], -1.2f);
    EXPECT_FLOAT_EQ(s0.boxMax[2], 0.45f);
    EXPECT_EQ(s0.noContact, 0);
    EXPECT_EQ(ctx.enemySlots[1].noContact, 1);
    EXPECT_EQ(ctx.enemySlots[1].hitPoints, 60u);
    EXPECT_FLOAT_EQ(ctx.enemySlots[1].boxMin[1], 1.1f);
    EXPECT_EQ(ctx.enemySlots[2].hitPoints, 120u);
    EXPECT_EQ(ctx.enemySlots[3].ramProof, 1);
    EXPECT_EQ(ctx.enemySlots[3].hitPoints, 120u);
}

TEST_F(SpawnerTest, ALevelWithoutColumnsUsesNineteen) {
    SetLevel(0, {{19, 0, 3, 3}}, {});
    Row(0);
    ASSERT_EQ(factory.Of("enemy").size(), 1u);
    EXPECT_FLOAT_EQ(factory.Of("enemy")[0].x, 19 * (1.5f / 19) - 0.6f);
}

TEST_F(SpawnerTest, SegmentedEnemyTakesFourSlotsWithSwappedPartsAndBossesIgnoreTheColumn) {
    SetLevel(13, {{2, 0, 3, 11}, {9, 0, 3, 15}, {0, 1, 3, 18}}, {});
    Row(0);
    const auto seg = factory.Of("segment");
    ASSERT_EQ(seg.size(), 4u);
    const int parts[4] = {0, 2, 1, 3};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(seg[i].segment, i);
        EXPECT_EQ(seg[i].part, parts[i]);
        EXPECT_EQ(seg[i].slot, i);
        EXPECT_EQ(ctx.enemySlots[i].hitPoints, 180u);
    }
    const auto boss = factory.Of("boss");
    ASSERT_EQ(boss.size(), 1u);
    EXPECT_FLOAT_EQ(boss[0].x, 0.11f);
    EXPECT_FLOAT_EQ(boss[0].y, -1.4f);
    EXPECT_EQ(boss[0].slot, 4);
    EXPECT_EQ(ctx.enemySlots[4].ramProof, 1);
    EXPECT_EQ(ctx.enemySlots[4].hitPoints, 90u);
    Row(1);
    ASSERT_EQ(factory.Of("boss").size(), 2u);
    EXPECT_FLOAT_EQ(factory.Of("boss")[1].y, -1.5f);
    EXPECT_FLOAT_EQ(ctx.enemySlots[5].boxMin[1], -1.4f);
}

TEST_F(SpawnerTest, FullSlotTablesDropSpawnsForGood) {
    SetLevel(13, {{2, 0, 3, 11}, {3, 0, 3, 1}}, {});
    for (int i = 0; i < kEnemySlots - 2; ++i) ctx.enemySlots[i].active = 1;
    Row(0);
    const auto seg = factory.Of("segment");
    ASSERT_EQ(seg.size(), 2u);
    EXPECT_EQ(seg[0].segment, 0);
    EXPECT_EQ(seg[1].segment, 1);
    EXPECT_TRUE(factory.Of("enemy").empty());
}

TEST_F(SpawnerTest, AMissingClassGivesItsSlotBack) {
    SetLevel(13, {{2, 0, 3, 1}, {3, 0, 3, 2}}, {});
    factory.makeNothing = true;
    Row(0);
    EXPECT_EQ(factory.Of("enemy").size(), 2u);
    EXPECT_EQ(ActiveEnemySlots(), 0);
    EXPECT_EQ(list.CountObjects(), 0u);
}

TEST_F(SpawnerTest, GroundRunBecomesOnePieceCarryingItsTurrets) {
    SetLevel(13, {{4, 5, 2, 1}, {7, 7, 2, 2}, {8, 9, 2, 1}, {1, 6, 2, 3}, {2, 12, 2, 1}},
             {{0, 5, 0, 1}, {1, 5, 1, 2}, {2, 6, 0, 2}, {3, 7, 1, 1}, {4, 7, 5, 1}, {0, 12, 0, 1}});
    Row(5);
    EXPECT_EQ(factory.Of("ground").size(), 1u);
    const auto cells = factory.Of("cell");
    ASSERT_EQ(cells.size(), 4u);  // group 5 is not a layer
    EXPECT_EQ(cells[0].rowOffset, 0u);
    EXPECT_EQ(cells[1].code, 1);
    EXPECT_EQ(cells[1].tile, 2u);
    EXPECT_EQ(cells[2].rowOffset, 1u);
    EXPECT_EQ(cells[3].rowOffset, 2u);
    EXPECT_EQ(cells[3].column, 3u);
    // Rows 5-7 hold ground; row 8 does not, so the run ends one past it.
    EXPECT_EQ(groundRow, 9u);
    const auto turrets = factory.Of("turret");
    ASSERT_EQ(turrets.size(), 2u);  // rows 5 and 7; row 9 is outside, type 3 is nothing
    EXPECT_EQ(turrets[0].code, 1);
    EXPECT_EQ(turrets[0].column, 4u);
    EXPECT_EQ(turrets[0].rowOffset, 0u);
    EXPECT_EQ(turrets[1].code, 2);
    EXPECT_EQ(turrets[1].rowOffset, 2u);
    EXPECT_EQ(ctx.enemySlots[0].noContact, 1);
    EXPECT_EQ(ctx.enemySlots[0].hitPoints, 250u);

    // The same run is never built twice; a turret on a bare row never appears.
    Row(6);
    Row(7);
    Row(8);
    Row(9);
    EXPECT_EQ(factory.Of("ground").size(), 1u);
    EXPECT_EQ(factory.Of("turret").size(), 2u);
    Row(12);
    EXPECT_EQ(factory.Of("ground").size(), 2u);
    EXPECT_EQ(factory.Of("turret").size(), 3u);
}

TEST_F(SpawnerTest, ScrollsOneAndAHalfRowsASecondAndProcessesOneRowPerFrame) {
    SetLevel(13, {{0, 0, 3, 1}, {0, 1, 3, 1}, {0, 2, 3, 1}}, {});
    ctx.gamePhase = GamePhase::LevelIntro;  // level intro: no scrolling
    ctx.frameTimeAverage = 16;
    SpawnStep(&ctx, currentRow, groundRow, factory);
    EXPECT_FLOAT_EQ(ctx.scrollPosition, 0.0f);
    EXPECT_EQ(currentRow, 0u);

    ctx.gamePhase = GamePhase::Playing;
    SpawnStep(&ctx, currentRow, groundRow, factory);  // first frame of play: row 0
    EXPECT_FLOAT_EQ(ctx.scrollPosition, 0.024f);
    EXPECT_EQ(currentRow, 1u);
    EXPECT_EQ(factory.Of("enemy").size(), 1u);

    // A long stall: the rows catch up one per frame.
    ctx.frameTimeAverage = 2000;
    SpawnStep(&ctx, currentRow, groundRow, factory);
    EXPECT_EQ(currentRow, 2u);
    ctx.gameStartPending = 1;  // no scrolling while a level start is pending
    const float held = ctx.scrollPosition;
    SpawnStep(&ctx, currentRow, groundRow, factory);
    EXPECT_FLOAT_EQ(ctx.scrollPosition, held);
    EXPECT_EQ(currentRow, 3u);
    EXPECT_EQ(factory.Of("enemy").size(), 3u);
}

}  // namespace
}  // namespace dw

namespace dw {
namespace {

TEST_F(SpawnerTest, ShippedLevelZeroBringsInAFullRowInOneGo) {
    if (kEmbeddedLevelCount == 0) GTEST_SKIP() << "built without the level compiler";
    GameLevels levels(&ctx);
    levels.LoadLevels(0);
    ctx.currentLevel = 0;
    // The fullest row of flyers.
    std::map<std::uint32_t, int> perRow;
    for (std::uint32_t i = 0; i < ctx.levelSpawnCount[0]; ++i) {
        const LevelRecord& r = ctx.levelSpawnRecords[0][i];
        if (r.group == 3) ++perRow[r.row];
    }
    std::uint32_t row = 0;
    int most = 0;
    for (auto [r, n] : perRow)
        if (n > most) most = n, row = r;
    EXPECT_LE(most, 11);
    EXPECT_GT(most, 1);
    std::vector<std::uint32_t> codes;
    for (std::uint32_t i = 0; i < ctx.levelSpawnCount[0]; ++i) {
        const LevelRecord& r = ctx.levelSpawnRecords[0][i];
        if (r.group == 3 && r.row == row) codes.push_back(r.type);
    }
    groundRow = row + 1;  // leave the ground out of it
    Row(row);
    std::vector<std::uint32_t> made;
    for (const MadeCall& c : factory.calls) {
        if (c.what == "segment" && c.segment > 0) continue;
        if (c.what == "enemy" || c.what == "boss" || c.what == "segment")
            made.push_back(static_cast<std::uint32_t>(c.code));
    }
    std::vector<std::uint32_t> expected;
    for (std::uint32_t c : codes)
        if (c != 14) expected.push_back(c);
    EXPECT_EQ(made, expected);
}

}  // namespace
}  // namespace dw
