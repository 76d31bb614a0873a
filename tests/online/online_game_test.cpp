// A whole game played headless up to its name in the table, with the score
// server's client in place of the network: the game is sent once the name
// is saved when online scores are on, and nothing at all when they are off.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/demo_session.h"
#include "common/temp_dir.h"
#include "core/game_context.h"
#include "core/states.h"
#include "platform/input.h"
#include "platform/score_server.h"
#include "platform/services.h"

namespace dw {
namespace {

struct Sent {
    std::vector<platform::HttpRequest> requests;
};

class RecordingClient final : public platform::HttpClient {
public:
    explicit RecordingClient(Sent& sent) : sent_(sent) {}
    void Send(platform::HttpRequest request, Done) override { sent_.requests.push_back(std::move(request)); }

private:
    Sent& sent_;
};

// Plays a game over into the table's first place and types "ACE".
void PlayIntoTheTable(const TempDir& dir, const char* settings, Sent& sent) {
    std::ofstream(dir.path / "settings.ini") << "[Software\\QVM\\Duskwhirl]\n" << settings;
    platform::ScoreServer scores(std::make_unique<RecordingClient>(sent), (dir.path / "outbox").string());
    SessionOptions o = StartAt(dir, 31u, 0);
    o.keepGames = (dir.path / "replays").string();
    DemoSession session(o);
    session.game().services().scores = &scores;
    std::string error;
    ASSERT_TRUE(session.Start(error)) << error;
    GameContext& c = session.context();
    for (int f = 0; f < 600 && c.currentScreen != Screen::Game; ++f) ASSERT_TRUE(session.Step());
    for (int f = 0; f < 200; ++f) ASSERT_TRUE(session.Step());
    c.score = 5'000'000;
    c.gamePhase = GamePhase::AllLevelsDone;  // game over
    platform::ScriptedInput& in = session.game().input();
    for (int f = 0; f < 3000 && c.currentScreen != Screen::Menu; ++f) ASSERT_TRUE(session.Step());
    for (int f = 0; f < 3000 && c.recordSaves == 0; ++f) {
        const int key = f / 4 % 4;
        in.SetKey(DIK_A, key == 0 && f % 2 == 0);
        in.SetKey(DIK_C, key == 1 && f % 2 == 0);
        in.SetKey(DIK_E, key == 2 && f % 2 == 0);
        in.SetKey(DIK_RETURN, f > 40 && f % 2 == 0);
        ASSERT_TRUE(session.Step());
    }
    ASSERT_EQ(c.recordSaves, 1u);
    for (int f = 0; f < 5; ++f) ASSERT_TRUE(session.Step());
    session.Close();
}

// The replay the table keeps (named by its content), empty when none.
std::filesystem::path TableReplay(const std::filesystem::path& user) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(user / "replays", ec))
        if (entry.path().filename().string().rfind("best-", 0) == 0) return entry.path();
    return {};
}

TEST(OnlineGame, OnTheGameWhoseNameWasSavedIsSentAsItsReplay) {
    TempDir dir("dw_online_game_on");
    Sent sent;
    PlayIntoTheTable(dir, "OnlineScores=1\nScoreServer=127.0.0.1:9/\n", sent);
    ASSERT_EQ(sent.requests.size(), 1u);
    const platform::HttpRequest& r = sent.requests[0];
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.url.rfind("http://127.0.0.1:9/api/v1/games?name=", 0), 0u) << r.url;
    std::ifstream best(TableReplay(dir.path), std::ios::binary);
    const std::string kept((std::istreambuf_iterator<char>(best)), {});
    EXPECT_FALSE(kept.empty());
    EXPECT_EQ(r.body, kept) << "the replay the table keeps";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path / "outbox"), {}), 1)
        << "unanswered: it waits for the next start";
}

TEST(OnlineGame, OffNothingIsSentOrKeptToSend) {
    for (const char* settings : {"ScoreServer=127.0.0.1:9\n", "OnlineScores=0\nScoreServer=127.0.0.1:9\n",
                                 "OnlineScores=1\nScoreServer=\n", "OnlineScores=yes\nScoreServer=127.0.0.1:9\n"}) {
        TempDir dir("dw_online_game_off");
        Sent sent;
        PlayIntoTheTable(dir, settings, sent);
        EXPECT_TRUE(sent.requests.empty()) << settings;
        EXPECT_FALSE(std::filesystem::exists(dir.path / "outbox")) << settings;
        EXPECT_FALSE(TableReplay(dir.path).empty()) << "the game is kept as ever";
    }
}

}  // namespace
}  // namespace dw
