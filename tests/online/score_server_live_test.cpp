// The score server's client over real sockets: a local HTTP server started
// here on 127.0.0.1 (or none at all), libcurl, the outbox across a killed
// program, and the high-score screen's online page.
#include <gtest/gtest.h>

#include <httplib.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>

#include "common/temp_dir.h"
#include "core/game_context.h"
#include "engine/my_object.h"
#include "frontend/online_page.h"
#include "platform/score_server.h"
#include "platform/services.h"

namespace dw {
namespace {

using platform::ScoreServer;
using namespace std::chrono_literals;

// A server on a free port of 127.0.0.1 for as long as it lives.
class LocalServer {
public:
    LocalServer() { port = server.bind_to_any_port("127.0.0.1"); }
    void Start() {
        thread_ = std::thread([this] { server.listen_after_bind(); });
        while (!server.is_running()) std::this_thread::sleep_for(1ms);
    }
    ~LocalServer() {
        server.stop();
        if (thread_.joinable()) thread_.join();
    }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port); }

    httplib::Server server;
    int port = 0;

private:
    std::thread thread_;
};

// A port nothing listens on: one the system just gave out and took back.
int ClosedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof at;
    bind(fd, reinterpret_cast<sockaddr*>(&at), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&at), &size);
    close(fd);
    return ntohs(at.sin_port);
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds most = 10s) {
    const auto end = std::chrono::steady_clock::now() + most;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

std::unique_ptr<ScoreServer> RealClient(const TempDir& dir) {
    return std::make_unique<ScoreServer>(platform::MakeHttpClient(), (dir.path / "outbox").string());
}

TEST(ScoreServerLive, AGameKilledWhileSendingStaysInTheOutboxAndIsSentOnceByTheNextStart) {
    TempDir dir("dw_online_kill");
    LocalServer local;
    std::mutex mutex;
    std::vector<std::string> bodies, names;
    std::atomic<bool> hold{true};
    local.server.Post("/api/v1/games", [&](const httplib::Request& req, httplib::Response& res) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            bodies.push_back(req.body);
            names.push_back(req.get_param_value("name"));
        }
        // The first game is held until its sender is killed.
        for (int i = 0; i < 1000 && hold; ++i) std::this_thread::sleep_for(5ms);
        res.status = 201;
        res.set_content(R"({"id":1,"score":3100,"level":1,"frames":500})", "application/json");
    });
    local.Start();
    const auto received = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        return bodies.size();
    };
    const std::string demo("DWDEMO\0\x01\x02 the game", 18);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The game: the name is saved, the game is being sent, and the
        // program is killed before the server answers.
        auto scores = RealClient(dir);
        scores->Configure({true, local.Address()});
        scores->Submit("Ace #1", demo);
        for (;;) pause();
    }
    ASSERT_TRUE(WaitFor([&] { return received() == 1; }));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    hold = false;
    ASSERT_TRUE(WIFSIGNALED(status));
    {
        auto probe = RealClient(dir);
        ASSERT_EQ(probe->Outbox().size(), 1u) << "the game waits in the outbox";
    }

    // The next start sends it, and it leaves the outbox once taken.
    {
        auto scores = RealClient(dir);
        scores->Configure({true, local.Address()});
        ASSERT_TRUE(WaitFor([&] { return scores->lastSend().state == ScoreServer::SendState::Taken; }));
        EXPECT_EQ(scores->lastSend().score, 3100u);
        EXPECT_TRUE(scores->Outbox().empty());
    }
    ASSERT_EQ(received(), 2u);
    EXPECT_EQ(bodies[1], demo);
    EXPECT_EQ(names[1], "Ace #1");
    // And the start after that has nothing left to send.
    {
        auto scores = RealClient(dir);
        scores->Configure({true, local.Address()});
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(received(), 2u);
}

TEST(ScoreServerLive, AServerThatCannotBeReachedKeepsTheGameAndAClosingProgramDoesNotWait) {
    TempDir dir("dw_online_unreachable");
    {
        auto scores = RealClient(dir);
        scores->Configure({true, "127.0.0.1:" + std::to_string(ClosedPort())});
        ASSERT_TRUE(scores->Submit("B", "demo"));
        ASSERT_TRUE(WaitFor([&] { return scores->lastSend().state == ScoreServer::SendState::Kept; }));
        EXPECT_EQ(scores->Outbox().size(), 1u);
    }
    // A server that never answers: closing the program cancels the request
    // at once and keeps the game.
    LocalServer silent;
    std::atomic<bool> entered{false}, release{false};
    silent.server.Post("/api/v1/games", [&](const httplib::Request&, httplib::Response& res) {
        entered = true;
        while (!release) std::this_thread::sleep_for(5ms);
        res.status = 201;
    });
    silent.Start();
    auto scores = RealClient(dir);
    scores->Configure({true, silent.Address()});
    ASSERT_TRUE(WaitFor([&] { return entered.load(); }));
    const auto start = std::chrono::steady_clock::now();
    scores.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    release = true;
    EXPECT_EQ(RealClient(dir)->Outbox().size(), 1u);
}

// --- the online page -----------------------------------------------------------

struct PageRig {
    explicit PageRig(ScoreServer* scores) {
        services.scores = scores;
        context.services = &services;
        context.online.on = 1;
    }
    PageRig(const PageRig&) = delete;
    PageRig& operator=(const PageRig&) = delete;
    // Steps the page as the screen does each frame until it shows `state`.
    bool Until(ScoreServer::BoardState state) {
        return WaitFor([&] {
            page.Update(owner, local);
            return context.scoreServer()->board().state == state;
        });
    }
    platform::Services services;
    GameContext context;
    MyObject owner{&context};
    RecordTable local{};
    OnlinePage page;
};

TEST(OnlinePageLive, TheServersBestEightAndThePlayersOwnPlace) {
    LocalServer local;
    std::string board = R"({"scores":[)";
    for (int i = 0; i < 12; ++i) {
        char line[160];
        std::snprintf(line, sizeof line, R"(%s{"id":%d,"name":"%s","score":%d,"level":3,"date":"2026-12-10"})",
                      i ? "," : "", i, i == 4 ? "Me" : ("Pilot " + std::to_string(i)).c_str(), 900000 - 1000 * i);
        board += line;
    }
    board += "]}";
    local.server.Get("/api/v1/scores", [&](const httplib::Request& req, httplib::Response& res) {
        EXPECT_EQ(req.get_param_value("limit"), "100");
        res.set_content(board, "application/json");
    });
    local.Start();
    TempDir dir("dw_online_page");
    auto scores = RealClient(dir);
    scores->Configure({true, local.Address()});
    PageRig rig(scores.get());
    std::strcpy(rig.local.names[2], "Me");
    rig.local.scores[2] = 896000;
    rig.page.Open(rig.context);
    ASSERT_TRUE(rig.Until(ScoreServer::BoardState::Shown));
    rig.page.Update(rig.owner, rig.local, true);
    EXPECT_EQ(rig.page.rows, 8);
    EXPECT_EQ(rig.page.rowName[0], "Pilot 0");
    EXPECT_EQ(rig.page.rowScore[0], 900000u);
    EXPECT_EQ(rig.page.rowName[7], "Pilot 7");
    EXPECT_TRUE(rig.page.rowOwn[4]);
    EXPECT_FALSE(rig.page.rowOwn[3]);
    EXPECT_EQ(rig.page.line1, "Your best place: 5th");
}

TEST(OnlinePageLive, WithoutAServerOrWhenRefusedOneLineSaysWhy) {
    TempDir dir("dw_online_page_none");
    auto scores = RealClient(dir);
    scores->Configure({true, "127.0.0.1:" + std::to_string(ClosedPort())});
    PageRig rig(scores.get());
    rig.page.Open(rig.context);
    ASSERT_TRUE(rig.Until(ScoreServer::BoardState::Unreachable));
    rig.page.Update(rig.owner, rig.local, true);
    EXPECT_EQ(rig.page.rows, 0);
    EXPECT_EQ(rig.page.line1, "Cannot reach the score server");

    LocalServer refusing;
    refusing.server.Get("/api/v1/scores", [](const httplib::Request&, httplib::Response& res) {
        res.status = 403;
        res.set_content(R"({"error":"this address is blocked for abuse of the service"})", "application/json");
    });
    refusing.Start();
    scores->Configure({true, refusing.Address()});
    rig.page.Open(rig.context);
    ASSERT_TRUE(rig.Until(ScoreServer::BoardState::Refused));
    rig.page.Update(rig.owner, rig.local, true);
    EXPECT_EQ(rig.page.line1, "Refused: this address is...") << "cut to the line, at a word";

    // Off: nothing is asked.
    scores->Configure({false, refusing.Address()});
    rig.context.online.on = 0;
    rig.page.Open(rig.context);
    rig.page.Update(rig.owner, rig.local, true);
    EXPECT_EQ(rig.page.line1, "Online scores are off (Options)");
}

}  // namespace
}  // namespace dw
