// The real duskwhirl-scores on 127.0.0.1, on SQLite and on a PostgreSQL
// server the test starts itself, sent real games recorded headless and
// forgeries of them: each gets its documented answer, and the board holds
// exactly the honest games.
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <nlohmann/json.hpp>
#include <thread>

#include "app/demo.h"
#include "app/replay_outcome.h"
#include "common/temp_dir.h"
#include "server/games.h"
#include "server/postgres_server.h"

namespace dw {
namespace {

using json = nlohmann::json;

int FreePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &size);
    close(s);
    return ntohs(a.sin_port);
}

// The server program, started with the given store and options; stopped
// with SIGTERM as systemd stops it.
class ServerProcess {
public:
    ServerProcess(const std::string& db, const std::vector<std::string>& more) : port_(FreePort()) {
        std::vector<std::string> args = {std::string(DW_BUILD_DIR) + "/duskwhirl-scores",
                                         "--listen",
                                         "127.0.0.1:" + std::to_string(port_),
                                         "--db",
                                         db,
                                         "--data",
                                         std::string(DW_BUILD_DIR) + "/gamedata.res"};
        args.insert(args.end(), more.begin(), more.end());
        pid_ = fork();
        if (pid_ == 0) {
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        httplib::Client client("127.0.0.1", port_);
        for (int i = 0; i < 300 && !ready_; ++i) {
            auto r = client.Get("/api/v1/health");
            ready_ = r && r->status == 200 && r->body == "{\"ok\":true}";
            if (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    ~ServerProcess() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    // Still running (and asks nothing of the server).
    bool alive() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }
    bool ready() const { return ready_; }
    httplib::Result Submit(const std::string& name, const std::string& body) const {
        httplib::Client client("127.0.0.1", port_);
        client.set_read_timeout(300);
        return client.Post(("/api/v1/games?name=" + name).c_str(), body, "application/octet-stream");
    }
    httplib::Result Get(const std::string& path) const {
        httplib::Client client("127.0.0.1", port_);
        return client.Get(path.c_str());
    }

private:
    int port_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

std::string Bytes(const Demo& d) {
    const std::vector<std::uint8_t> b = EncodeDemo(d);
    return {b.begin(), b.end()};
}

struct Games {
    testing::RecordedGame autopilot = testing::RecordGame(11, 3000);
    testing::RecordedGame idle = testing::RecordGame(12, 0);
};

const Games& TheGames() {
    static const Games games;
    return games;
}

class ScoresIntegration : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (std::string(GetParam()) == "sqlite") {
            db_ = "sqlite:" + (dir_.path / "scores.db").string();
        } else {
            postgres_ = std::make_unique<testing::PostgresServer>();
            if (!postgres_->running()) GTEST_SKIP() << postgres_->problem();
            db_ = postgres_->url();
        }
    }
    TempDir dir_{"dw-scores-integration"};
    std::unique_ptr<testing::PostgresServer> postgres_;
    std::string db_;
};

void Expect(const httplib::Result& r, int status, const std::string& reasonPart, const char* what) {
    ASSERT_TRUE(r) << what << ": no answer";
    EXPECT_EQ(r->status, status) << what << ": " << r->body;
    if (!reasonPart.empty()) {
        const json j = json::parse(r->body, nullptr, false);
        ASSERT_TRUE(j.is_object() && j.contains("error")) << what << ": " << r->body;
        EXPECT_NE(j.at("error").get<std::string>().find(reasonPart), std::string::npos) << what << ": " << r->body;
    }
}

TEST_P(ScoresIntegration, HonestGamesReachTheBoardWithTheirOwnScoresAndForgeriesNever) {
    const Games& g = TheGames();
    ASSERT_TRUE(g.autopilot.over && g.idle.over) << "a recorded game did not end";
    const ServerProcess server(db_, {"--scratch", dir_.path.string()});
    ASSERT_TRUE(server.ready()) << "the server did not come up";

    const std::string good = Bytes(g.autopilot.demo);
    auto r = server.Submit("ACE", good);
    Expect(r, 201, "", "the autopilot's game");
    const json accepted = json::parse(r->body);
    EXPECT_EQ(accepted.at("score"), g.autopilot.score);
    EXPECT_EQ(accepted.at("level"), g.autopilot.levelReached + 1);
    EXPECT_EQ(accepted.at("frames"), g.autopilot.demo.frames.size());
    const std::int64_t goodId = accepted.at("id");
    Expect(server.Submit("Idle%20Ida", Bytes(g.idle.demo)), 201, "", "the unsteered game");

    // Another game's demo with its header edited to play another seed: the
    // inputs no longer fit the game, which does not end with the demo.
    Demo forged = g.autopilot.demo;
    GameOutcome outcome;
    std::string error;
    for (std::uint32_t k = 1; k < 16; ++k) {
        forged.header.seed = g.autopilot.demo.header.seed ^ k;
        ASSERT_TRUE(ReplayOutcome(forged, "", dir_.path.string(), outcome, error)) << error;
        if (!outcome.over) break;
    }
    ASSERT_FALSE(outcome.over) << "every seed tried ends its game with the demo";
    Expect(server.Submit("FORGER", Bytes(forged)), 422, "not over", "a forged seed");
    Demo armed = g.idle.demo;
    armed.header.arsenal = {true, 3, 2, 999};
    Expect(server.Submit("ARMED", Bytes(armed)), 422, "weapons", "a changed arsenal");
    Demo slow = g.idle.demo;
    for (DemoFrame& f : slow.frames) f.stepMs = 4;
    Expect(server.Submit("SLOW", Bytes(slow)), 422, "slow motion", "slow-motion steps");
    Expect(server.Submit("CUT", good.substr(0, good.size() / 2)), 422, "does not decode", "a truncated demo");
    Expect(server.Submit("JUNK", std::string(5000, '\x7f')), 422, "does not decode", "garbage");
    Expect(server.Submit("HUGE", std::string(5 << 20, 'x')), 413, "larger", "an oversized body");
    Expect(server.Submit("AGAIN", good), 409, "already", "a duplicate");
    Demo longer = g.autopilot.demo;
    longer.frames.resize(longer.frames.size() + 100);
    Expect(server.Submit("AGAIN", Bytes(longer)), 409, "already", "the same game with frames after its end");
    Expect(server.Submit("%3Cscript%3Ealert(1)%3C%2Fscript%3E", Bytes(g.idle.demo)), 422, "name", "a hostile name");
    EXPECT_TRUE(server.alive());

    r = server.Get("/api/v1/scores?limit=100");
    ASSERT_TRUE(r);
    const json scores = json::parse(r->body).at("scores");
    std::multiset<std::pair<std::string, std::uint32_t>> board,
        honest = {{"ACE", g.autopilot.score}, {"Idle Ida", g.idle.score}};
    for (const json& s : scores) board.insert({s.at("name").get<std::string>(), s.at("score").get<std::uint32_t>()});
    EXPECT_EQ(board, honest);
    r = server.Get("/api/v1/games/" + std::to_string(goodId) + "/demo");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->body, good);
    r = server.Get("/");
    ASSERT_TRUE(r);
    EXPECT_NE(r->body.find(">ACE<"), std::string::npos);
}

TEST_P(ScoresIntegration, AReplayThatRunsPastItsLimitIsRefusedAndTheServerGoesOn) {
    // A demo that never ends a game and runs long: the menu, idle, for
    // hours of game time.
    Demo endless;
    endless.frames.resize(2'000'000);
    const ServerProcess server(db_, {"--scratch", dir_.path.string(), "--replay-cpu", "2", "--replay-time", "4"});
    ASSERT_TRUE(server.ready());
    const auto start = std::chrono::steady_clock::now();
    Expect(server.Submit("SLOW", Bytes(endless)), 422, "replay of the demo failed", "an endless replay");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_TRUE(server.alive());
    const auto health = server.Get("/api/v1/health");
    ASSERT_TRUE(health);
    EXPECT_EQ(health->status, 200);
}

INSTANTIATE_TEST_SUITE_P(Stores, ScoresIntegration, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace dw
