// The store on SQLite and on a PostgreSQL server of the test's own: the
// same cases on both.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "common/temp_dir.h"
#include "server/migrations.h"
#include "server/postgres_server.h"
#include "server/store.h"

namespace dw::server {
namespace {

NewGame Game(const std::string& name, std::uint32_t score, const std::string& sha, const std::string& demo = "demo") {
    NewGame g;
    g.entry.name = name;
    g.entry.score = score;
    g.entry.level = 3;
    g.entry.frames = 12345;
    g.entry.date = 1'800'000'000;
    g.address = "127.0.0.1";
    g.sha256 = sha;
    g.gameSha256 = "game-" + sha;
    g.demo = demo;
    return g;
}

class StoreTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (std::string(GetParam()) == "sqlite") {
            url_ = "sqlite:" + (dir_.path / "scores.db").string();
        } else {
            // One server for the process: ctest runs these cases in one
            // (label "server", DW_TEST_POSTGRES=1), not with the unit tests.
            if (!std::getenv("DW_TEST_POSTGRES")) GTEST_SKIP() << "DW_TEST_POSTGRES is not set";
            static const testing::PostgresServer server;
            if (!server.running()) GTEST_SKIP() << server.problem();
            url_ = server.url();
        }
    }
    std::unique_ptr<Store> Open() {
        std::string error;
        auto store = OpenStore(url_, error);
        EXPECT_NE(store, nullptr) << error;
        return store;
    }
    // The PostgreSQL server is shared by the cases: each uses hashes of its own.
    std::string Sha(const std::string& s) const { return std::string(GetParam()) + "-" + testName() + "-" + s; }
    static std::string testName() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

    TempDir dir_{"dw-store-test"};
    std::string url_;
};

TEST_P(StoreTest, OpensAtTheNewestSchemaAndKeepsItsGamesWhenOpenedAgain) {
    std::int64_t id = 0;
    std::string error;
    {
        auto store = Open();
        ASSERT_TRUE(store);
        EXPECT_EQ(store->SchemaVersion(), Migrations().back().version);
        ASSERT_EQ(store->Add(Game("ANN", 500, Sha("a")), id, error), AddResult::Added) << error;
    }
    auto again = Open();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->SchemaVersion(), Migrations().back().version);
    bool found = false;
    ASSERT_TRUE(again->Contains(Sha("a"), found, error)) << error;
    EXPECT_TRUE(found);
}

TEST_P(StoreTest, ListsTheBestFirstAndTheEarlierOfEqualScores) {
    auto store = Open();
    ASSERT_TRUE(store);
    std::string error;
    std::int64_t low = 0, first = 0, second = 0, best = 0;
    ASSERT_EQ(store->Add(Game("LOW", 10, Sha("1")), low, error), AddResult::Added) << error;
    ASSERT_EQ(store->Add(Game("FIRST", 700, Sha("2")), first, error), AddResult::Added) << error;
    ASSERT_EQ(store->Add(Game("SECOND", 700, Sha("3")), second, error), AddResult::Added) << error;
    ASSERT_EQ(store->Add(Game("BEST", 9999999, Sha("4")), best, error), AddResult::Added) << error;
    std::vector<BoardEntry> top;
    ASSERT_TRUE(store->Top(1000, top, error)) << error;
    std::vector<std::int64_t> ours;
    for (const BoardEntry& e : top)
        if (e.id == low || e.id == first || e.id == second || e.id == best) ours.push_back(e.id);
    EXPECT_EQ(ours, (std::vector<std::int64_t>{best, first, second, low}));
    const auto it = std::find_if(top.begin(), top.end(), [&](const BoardEntry& e) { return e.id == best; });
    ASSERT_NE(it, top.end());
    EXPECT_EQ(it->name, "BEST");
    EXPECT_EQ(it->score, 9999999u);
    EXPECT_EQ(it->level, 3u);
    EXPECT_EQ(it->frames, 12345u);
    EXPECT_EQ(it->date, 1'800'000'000);
    ASSERT_TRUE(store->Top(2, top, error)) << error;
    EXPECT_EQ(top.size(), 2u);
}

TEST_P(StoreTest, RefusesTheSameDemoOrTheSameGameTwice) {
    auto store = Open();
    ASSERT_TRUE(store);
    std::string error;
    std::int64_t id = 0;
    ASSERT_EQ(store->Add(Game("A", 1, Sha("x")), id, error), AddResult::Added) << error;
    EXPECT_EQ(store->Add(Game("B", 2, Sha("x")), id, error), AddResult::Duplicate);
    NewGame sameGame = Game("C", 3, Sha("y"));
    sameGame.gameSha256 = "game-" + Sha("x");
    EXPECT_EQ(store->Add(sameGame, id, error), AddResult::Duplicate);
    bool found = false;
    ASSERT_TRUE(store->Contains("game-" + Sha("x"), found, error));
    EXPECT_TRUE(found);
    ASSERT_TRUE(store->Contains(Sha("never"), found, error));
    EXPECT_FALSE(found);
}

TEST_P(StoreTest, KeepsDemosByteForByteAndNamesAsSent) {
    auto store = Open();
    ASSERT_TRUE(store);
    static constexpr char kBytes[] = "DWDEMO\0\x03\xff\x80 '; DROP TABLE games; --";
    const std::string bytes(kBytes, sizeof kBytes - 1);  // with the zero byte inside
    std::string error;
    std::int64_t id = 0;
    const std::string name = "<b>\"Bob\"</b>'; --";
    ASSERT_EQ(store->Add(Game(name, 5, Sha("d"), bytes), id, error), AddResult::Added) << error;
    std::string back;
    bool found = false;
    ASSERT_TRUE(store->DemoOf(id, back, found, error)) << error;
    EXPECT_TRUE(found);
    EXPECT_EQ(back, bytes);
    ASSERT_TRUE(store->DemoOf(id + 1000000, back, found, error)) << error;
    EXPECT_FALSE(found);
    std::vector<BoardEntry> top;
    ASSERT_TRUE(store->Top(1000, top, error));
    EXPECT_TRUE(std::any_of(top.begin(), top.end(), [&](const BoardEntry& e) { return e.name == name; }));
}

INSTANTIATE_TEST_SUITE_P(Backends, StoreTest, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return std::string(info.param); });

TEST(SqliteStore, RunsInWalModeAndRefusesAUrlItDoesNotKnow) {
    TempDir dir("dw-store-wal");
    const std::string path = (dir.path / "s.db").string();
    std::string error;
    ASSERT_NE(OpenStore("sqlite:" + path, error), nullptr) << error;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &s, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "wal");
    sqlite3_finalize(s);
    sqlite3_close(db);
    EXPECT_EQ(OpenStore("mysql://x", error), nullptr);
    EXPECT_EQ(OpenStore("sqlite:", error), nullptr);
    EXPECT_EQ(OpenStore("sqlite:" + (dir.path / "no" / "such" / "dir.db").string(), error), nullptr);
}

}  // namespace
}  // namespace dw::server
