// The level compiler run as the build runs it: scripts in, files or errors out.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "game/level_format.h"

namespace dw {
namespace {

namespace fs = std::filesystem;

class Levelgen : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
            ("dw_levelgen_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        tool_ = std::string(DW_BUILD_DIR) + "/tools/levelgen/levelgen";
        ASSERT_TRUE(fs::exists(tool_)) << tool_;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // Compiles `source`; returns the exit status, fills `errors` with stderr.
    int Compile(const std::string& source, std::string& errors, const std::string& extra = "") {
        const fs::path src = dir_ / "test.lvl";
        std::ofstream(src) << source;
        const fs::path err = dir_ / "stderr.txt";
        const std::string cmd = "\"" + tool_ + "\" " + extra + " \"" + src.string() + "\" -o \"" +
            (dir_ / "out.bin").string() + "\" 2> \"" + err.string() + "\"";
        const int status = std::system(cmd.c_str());
        std::ifstream in(err);
        errors.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return status;
    }

    LevelParseResult Output() {
        std::ifstream in(dir_ / "out.bin", std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        return ParseLevelFile(bytes.data(), bytes.size());
    }

    fs::path dir_;
    std::string tool_;
};

constexpr const char* kHeader =
    "columns 13\n"
    "length 100\n";

TEST_F(Levelgen, CompilesFormationsGroundAndRestToExactCounts) {
    const std::string source = std::string(kHeader) +
        "expect spawns 40 ground 30\n"
        "at 0: line senemy1 cols 3..9 step 3   # 3\n"
        "at 5: vee senemy2 centre 6 count 5     # 5\n"
        "ground 20..21 both cols 2..6           # 2 x (5 + 4)\n"
        "ground 40.. lower cols 0..12 cells rest\n"
        "at 21: turret guntank cols 3           # 1\n"
        "at 30..60: swarm senemy1 cols 0..12 count rest\n"
        "boss bigbos0\n";
    std::string errors;
    ASSERT_EQ(Compile(source, errors), 0) << errors;
    const auto r = Output();
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.columns, 13u);
    EXPECT_EQ(r.length, 100u);
    ASSERT_EQ(r.spawns.size(), 40u);
    ASSERT_EQ(r.ground.size(), 30u);
    EXPECT_EQ(r.spawns.front(), (LevelRecord{3, 0, 3, 1}));
    EXPECT_EQ(r.spawns.back(), (LevelRecord{6, 99, 3, 15}));
    // The vee: point first, arms trailing one row per step.
    EXPECT_EQ(r.spawns[3], (LevelRecord{6, 5, 3, 2}));
    EXPECT_EQ(r.spawns[4], (LevelRecord{5, 6, 3, 2}));
    EXPECT_EQ(r.spawns[5], (LevelRecord{7, 6, 3, 2}));
    // 18 fixed cells, then the rest (12) on row 40.
    int restCells = 0;
    for (const auto& g : r.ground) restCells += g.row == 40 ? 1 : 0;
    EXPECT_EQ(restCells, 12);
    for (std::size_t i = 1; i < r.spawns.size(); ++i) EXPECT_LE(r.spawns[i - 1].row, r.spawns[i].row);
}

TEST_F(Levelgen, RejectsBrokenPlacementsWithFileAndLine) {
    struct Case {
        const char* body;
        const char* line;     // expected "test.lvl:N:"
        const char* message;  // expected fragment
    };
    const Case cases[] = {
        {"at 0: line senemy1 cols 10..13\n", "test.lvl:3:", "column 13 is outside 0..12"},
        {"at 0: line senemy1 cols 0..11\n", "test.lvl:3:", "more than 11 flying enemies"},
        {"at 0: line senemy1 cols 2\nat 0: line senemy2 cols 2\n", "test.lvl:4:", "two flying enemies"},
        {"at 5: turret gunfour cols 4\n", "test.lvl:3:", "no ground on its row"},
        {"ground 5..6 lower cols 0..2\nat 5: turret gunfour cols 9\n", "test.lvl:4:", "beside the ground"},
        {"ground 0..7 lower cols 0..12\n", "test.lvl:3:", "a piece shows 98"},
        {"quiet 10..20\nat 15: line senemy1 cols 4\n", "test.lvl:3:", "quiet stretch 10..20"},
        {"at 100: line senemy1 cols 4\n", "test.lvl:3:", "row 100 is outside"},
        {"at 0: line senemy9 cols 4\n", "test.lvl:3:", "unknown enemy kind"},
        {"expect spawns 5 ground 0\nat 0: line senemy1 cols 1..3\n", "test.lvl:3:", "2 short"},
        {"at 0..10: line senemy1 cols 1\n", "test.lvl:3:", "needs 'every K'"},
    };
    for (const Case& c : cases) {
        std::string errors;
        EXPECT_NE(Compile(std::string(kHeader) + c.body, errors), 0) << c.body;
        EXPECT_NE(errors.find(c.line), std::string::npos) << c.body << "\n" << errors;
        EXPECT_NE(errors.find(c.message), std::string::npos) << c.body << "\n" << errors;
        EXPECT_FALSE(fs::exists(dir_ / "out.bin")) << c.body;
    }
}

TEST_F(Levelgen, AcceptsALongRunOnlyWhenItIsSaidToBeLong) {
    std::string errors;
    EXPECT_EQ(Compile(std::string(kHeader) + "ground 0.. lower cols 0..12 cells 104 long\n", errors), 0) << errors;
    const auto r = Output();
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.ground.size(), 104u);
    EXPECT_EQ(r.ground.back().row, 7u);
}

TEST_F(Levelgen, ShippedLevelsAreHeldToTheirFacts) {
    // A tidy level 0 that is too short and lacks its boss.
    const std::string source = "level 0\ncolumns 13\nlength 900\nat 0: line senemy1 cols 3\n";
    std::string errors;
    const fs::path src = dir_ / "level0.lvl";
    std::ofstream(src) << source;
    const std::string cmd = "\"" + tool_ + "\" --shipped --out-dir \"" + dir_.string() + "\" \"" + src.string() +
        "\" 2> \"" + (dir_ / "err.txt").string() + "\"";
    EXPECT_NE(std::system(cmd.c_str()), 0);
    std::ifstream in(dir_ / "err.txt");
    errors.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    EXPECT_NE(errors.find("level0.lvl:1: level 0: holds 1 spawn records, must hold 2705"), std::string::npos) << errors;
    EXPECT_NE(errors.find("must end with exactly one boss record (6, 899, 3, 15)"), std::string::npos) << errors;
    EXPECT_NE(errors.find("level 1 has no source"), std::string::npos) << errors;
    EXPECT_FALSE(fs::exists(dir_ / "GAMELEVEL0.bin"));
}

}  // namespace
}  // namespace dw
