// The ten levels compiled into the program, read back through the parser.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "game/level_format.h"
#include "platform/embedded_resources.h"

namespace dw {
namespace {

struct Expected {
    std::uint32_t length, spawns, ground, boss;
};
constexpr Expected kExpected[10] = {
    {900, 2705, 718, 15}, {700, 2122, 544, 0},   {700, 2148, 898, 16}, {700, 1953, 704, 0},   {700, 1922, 1848, 17},
    {700, 1244, 1652, 0}, {700, 1513, 1368, 18}, {700, 1539, 1295, 0}, {700, 1571, 1163, 19}, {700, 1555, 1309, 0},
};

LevelParseResult Level(int n) {
    const EmbeddedResource& res = kEmbeddedLevels[n];
    return ParseLevelFile(res.data, res.size);
}

bool IsBoss(const LevelRecord& r) { return r.group == 3 && r.type >= 15 && r.type <= 19; }

TEST(ShippedLevels, TenNamedResourcesThatParse) {
    ASSERT_EQ(kEmbeddedLevelCount, 10u);
    for (int n = 0; n < 10; ++n) {
        EXPECT_EQ(std::string(kEmbeddedLevels[n].name), "GAMELEVEL" + std::to_string(n));
        const auto r = Level(n);
        ASSERT_TRUE(r.ok()) << n << ": " << LevelParseErrorName(r.error);
        EXPECT_EQ(kEmbeddedLevels[n].size, 16u + 16u * (r.spawns.size() + r.ground.size())) << n;
    }
}

TEST(ShippedLevels, HeaderFactsAndBosses) {
    for (int n = 0; n < 10; ++n) {
        SCOPED_TRACE("level " + std::to_string(n));
        const auto r = Level(n);
        const Expected& e = kExpected[n];
        EXPECT_EQ(r.columns, 13u);
        EXPECT_EQ(r.length, e.length);
        EXPECT_EQ(r.spawns.size(), e.spawns);
        EXPECT_EQ(r.ground.size(), e.ground);
        int bosses = 0;
        for (const auto& s : r.spawns) bosses += IsBoss(s) ? 1 : 0;
        if (e.boss) {
            EXPECT_EQ(bosses, 1);
            EXPECT_EQ(r.spawns.back(), (LevelRecord{6, e.length - 1, 3, e.boss}));
        } else {
            EXPECT_EQ(bosses, 0);
        }
    }
    const auto first = Level(0);
    EXPECT_EQ(first.spawns.front(), (LevelRecord{3, 0, 3, 1}));
    EXPECT_EQ(first.spawns.back(), (LevelRecord{6, 899, 3, 15}));

    // Level 9 ends with one lone elite fighter.
    const auto last = Level(9);
    EXPECT_EQ(last.spawns.back(), (LevelRecord{6, 699, 3, 9}));
    EXPECT_NE(last.spawns[last.spawns.size() - 2].row, 699u);
}

TEST(ShippedLevels, RecordsStayWithinWhatTheGameUnderstands) {
    for (int n = 0; n < 10; ++n) {
        SCOPED_TRACE("level " + std::to_string(n));
        const auto r = Level(n);
        std::map<std::uint32_t, int> flyingPerRow;
        std::set<std::uint32_t> groundRows;
        for (const auto& g : r.ground) {
            EXPECT_LT(g.column, 13u);
            EXPECT_LE(g.group, 1u);
            EXPECT_TRUE(g.type == 1 || g.type == 2);
            EXPECT_LT(g.row, r.length);
            groundRows.insert(g.row);
        }
        for (std::size_t i = 0; i < r.spawns.size(); ++i) {
            const auto& s = r.spawns[i];
            EXPECT_LT(s.column, 13u);
            EXPECT_LT(s.row, r.length);
            if (i > 0) {
                EXPECT_LE(r.spawns[i - 1].row, s.row) << "spawn list not sorted at " << i;
            }
            if (s.group == 3) {
                EXPECT_TRUE((s.type >= 1 && s.type <= 13) || IsBoss(s)) << s.type;
                ++flyingPerRow[s.row];
            } else {
                ASSERT_EQ(s.group, 2u);
                EXPECT_TRUE(s.type == 1 || s.type == 2);
                // A turret is only ever built together with the ground under it.
                EXPECT_TRUE(groundRows.count(s.row)) << "turret on bare row " << s.row;
            }
        }
        for (std::size_t i = 1; i < r.ground.size(); ++i)
            EXPECT_LE(r.ground[i - 1].row, r.ground[i].row) << "ground list not sorted at " << i;
        for (const auto& [row, count] : flyingPerRow) EXPECT_LE(count, 11) << "row " << row;
    }
}

TEST(ShippedLevels, LevelFiveHasTheLongWall) {
    const auto r = Level(5);
    // Group the ground into runs of consecutive rows, as the spawner builds them.
    std::map<std::uint32_t, std::array<int, 2>> perRow;
    for (const auto& g : r.ground) ++perRow[g.row][g.group];
    int best = 0, lower = 0, upper = 0;
    std::uint32_t prev = 0;
    bool started = false;
    for (const auto& [row, n] : perRow) {
        if (!started || row != prev + 1) lower = upper = 0;
        started = true;
        prev = row;
        lower += n[0];
        upper += n[1];
        best = std::max({best, lower, upper});
    }
    EXPECT_EQ(best, 104);
}

TEST(ShippedLevels, BuildWroteTheSameBytesToDisk) {
    for (int n = 0; n < 10; ++n) {
        const std::string path = std::string(DW_BUILD_DIR) + "/levels/GAMELEVEL" + std::to_string(n) + ".bin";
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << path;
        const std::vector<std::uint8_t> disk{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const auto& res = kEmbeddedLevels[n];
        EXPECT_EQ(disk, std::vector<std::uint8_t>(res.data, res.data + res.size)) << path;
    }
}

}  // namespace
}  // namespace dw
