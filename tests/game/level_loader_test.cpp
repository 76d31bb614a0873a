#include <cstring>

#include "game/level_format.h"
#include "game/level_loader.h"
#include "game_fixture.h"
#include "platform/embedded_resources.h"
#include "platform/module_resources.h"

namespace dw {
namespace {

using testing::GameFixture;

class LevelLoaderTest : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        services.module = &module;
    }
    // A small valid level n: 13 columns, length 10 + n, n + 1 spawn records, 2 ground records.
    static std::vector<std::uint8_t> SmallLevel(std::uint32_t n) {
        std::vector<LevelRecord> spawns, ground;
        for (std::uint32_t i = 0; i <= n; ++i) spawns.push_back({i % 13, i, 3, 1 + i % 13});
        ground.push_back({0, 2, 0, 1});
        ground.push_back({1, 2, 1, 2});
        return SerializeLevelFile(13, 10 + n, spawns, ground);
    }
    void AddAll() {
        for (std::uint32_t n = 0; n < 10; ++n) module.Add("GAMELEVEL" + std::to_string(n), SmallLevel(n));
    }
    static void SetU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    void ExpectEmpty(int n) {
        EXPECT_EQ(ctx.levelSpawnRecords[n], nullptr);
        EXPECT_EQ(ctx.levelGroundRecords[n], nullptr);
        EXPECT_EQ(ctx.levelSpawnCount[n], 0u);
        EXPECT_EQ(ctx.levelGroundCount[n], 0u);
        EXPECT_EQ(ctx.levelColumns[n], 0u);
        EXPECT_EQ(ctx.levelLength[n], 0u);
    }

    platform::MapModuleResources module;
};

TEST_F(LevelLoaderTest, ObjectStartsAsAnInvisibleLoaderAtOrderFifty) {
    GameLevels levels(&ctx);
    EXPECT_STREQ(levels.name, "glevels");
    EXPECT_EQ(levels.order, 50);
    EXPECT_EQ(levels.visible, 0);
    EXPECT_EQ(levels.loaded, 0);
}

TEST_F(LevelLoaderTest, AMissingLevelLeavesExactlyTheNotFoundLineAndTheOthersLoad) {
    AddAll();
    module.Remove("GAMELEVEL3");
    GameLevels levels(&ctx);
    EXPECT_EQ(levels.LoadLevels(0), 0);
    EXPECT_EQ(levels.loaded, 1);
    EXPECT_EQ(LogText(), "Load Level 3 Error: NotFound Resourse\n");
    ExpectEmpty(3);
    for (int n = 0; n < 10; ++n) {
        if (n == 3) continue;
        ASSERT_NE(ctx.levelSpawnRecords[n], nullptr) << n;
        EXPECT_EQ(ctx.levelColumns[n], 13u);
        EXPECT_EQ(ctx.levelLength[n], 10u + n);
        EXPECT_EQ(ctx.levelSpawnCount[n], n + 1u);
        EXPECT_EQ(ctx.levelGroundCount[n], 2u);
        EXPECT_EQ(ctx.levelSpawnRecords[n][n], (LevelRecord{n % 13u, static_cast<std::uint32_t>(n), 3, 1 + n % 13u}));
        EXPECT_EQ(ctx.levelGroundRecords[n][1], (LevelRecord{1, 2, 1, 2}));
    }
    EXPECT_EQ(levels.LoadLevel(3), E_FAIL);
}

TEST_F(LevelLoaderTest, NamesMatchWithoutRegardToCase) {
    module.Add("gamelevel7", SmallLevel(7));
    GameLevels levels(&ctx);
    EXPECT_EQ(levels.LoadLevel(7), 0);
    EXPECT_EQ(ctx.levelSpawnCount[7], 8u);
    EXPECT_NE(module.FindResource("GaMeLeVeL7"), nullptr);
    EXPECT_EQ(module.FindResource("GameLevel70"), nullptr);
}

TEST_F(LevelLoaderTest, BadFilesAreRefusedWithTheirOwnLinesAndStayEmpty) {
    AddAll();
    module.Add("GameLevel1", {});  // empty

    auto tooMany = SmallLevel(2);
    SetU32(tooMany, 8, 3001);  // more spawn records than the buffers hold
    tooMany.resize(16 + 16 * 3003);
    module.Add("GameLevel2", tooMany);

    auto groundTooMany = SmallLevel(4);
    SetU32(groundTooMany, 12, 0xFFFFFFFFu);
    module.Add("GameLevel4", groundTooMany);

    auto truncated = SmallLevel(5);
    truncated.resize(truncated.size() - 1);  // one byte short of its last record
    module.Add("GameLevel5", truncated);

    module.Add("GameLevel6", {1, 2, 3});  // shorter than a header

    GameLevels levels(&ctx);
    levels.LoadLevels(1);
    EXPECT_EQ(LogText(),
              "Load Level 1 Error: ZeroSize Resourse\n"
              "Load Level 2 Error: BadSize Resourse\n"
              "Load Level 4 Error: BadSize Resourse\n"
              "Load Level 5 Error: BadSize Resourse\n"
              "Load Level 6 Error: BadSize Resourse\n");
    for (int n : {1, 2, 4, 5, 6}) ExpectEmpty(n);
    for (int n : {0, 3, 7, 8, 9}) EXPECT_EQ(ctx.levelGroundCount[n], 2u);
}

TEST_F(LevelLoaderTest, FullBuffersAndAnEmptyGroundListLoad) {
    std::vector<LevelRecord> spawns(kMaxLevelRecords, LevelRecord{12, 699, 3, 14});
    module.Add("GameLevel0", SerializeLevelFile(13, 700, spawns, {}));
    GameLevels levels(&ctx);
    EXPECT_EQ(levels.LoadLevel(0), 0);
    EXPECT_EQ(ctx.levelSpawnCount[0], kMaxLevelRecords);
    EXPECT_EQ(ctx.levelSpawnRecords[0][kMaxLevelRecords - 1], (LevelRecord{12, 699, 3, 14}));
    EXPECT_EQ(ctx.levelGroundCount[0], 0u);
    EXPECT_NE(ctx.levelGroundRecords[0], nullptr);

    // Loading the level again replaces its tables.
    module.Add("GameLevel0", SmallLevel(0));
    EXPECT_EQ(levels.LoadLevel(0), 0);
    EXPECT_EQ(ctx.levelSpawnCount[0], 1u);
    levels.FinalCleanup();
    EXPECT_EQ(ctx.levelSpawnRecords[0], nullptr);
    EXPECT_EQ(ctx.levelGroundRecords[0], nullptr);
}

TEST_F(LevelLoaderTest, ShippedLevelsHoldTheirHeaderFacts) {
    if (kEmbeddedLevelCount == 0) GTEST_SKIP() << "built without the level compiler";
    services.module = nullptr;  // the program's own module
    GameLevels levels(&ctx);
    levels.LoadLevels(0);
    EXPECT_EQ(LogText(), "");
    struct Facts {
        std::uint32_t length, spawns, ground;
        int bossType;  // 0: none
    };
    const Facts facts[10] = {{900, 2705, 718, 15},  {700, 2122, 544, 0},  {700, 2148, 898, 16},  {700, 1953, 704, 0},
                             {700, 1922, 1848, 17}, {700, 1244, 1652, 0}, {700, 1513, 1368, 18}, {700, 1539, 1295, 0},
                             {700, 1571, 1163, 19}, {700, 1555, 1309, 0}};
    for (int n = 0; n < 10; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(ctx.levelColumns[n], 13u);
        EXPECT_EQ(ctx.levelLength[n], facts[n].length);
        ASSERT_EQ(ctx.levelSpawnCount[n], facts[n].spawns);
        EXPECT_EQ(ctx.levelGroundCount[n], facts[n].ground);
        int bosses = 0;
        for (std::uint32_t i = 0; i < ctx.levelSpawnCount[n]; ++i) {
            const LevelRecord& r = ctx.levelSpawnRecords[n][i];
            if (r.group == 3 && r.type >= 15) {
                ++bosses;
                EXPECT_EQ(r, (LevelRecord{6, facts[n].length - 1, 3, static_cast<std::uint32_t>(facts[n].bossType)}));
            }
        }
        EXPECT_EQ(bosses, facts[n].bossType ? 1 : 0);
    }
    EXPECT_EQ(ctx.levelSpawnRecords[0][0], (LevelRecord{3, 0, 3, 1}));
    EXPECT_EQ(ctx.levelSpawnRecords[0][2704], (LevelRecord{6, 899, 3, 15}));
    EXPECT_EQ(ctx.levelSpawnRecords[9][1554], (LevelRecord{6, 699, 3, 9}));
}

}  // namespace
}  // namespace dw
