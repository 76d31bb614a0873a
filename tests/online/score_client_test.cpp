// The score server's client without a network: its answers read from
// hostile bytes, its outbox, and that nothing is sent while it is off.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "platform/score_server.h"

namespace dw {
namespace {

using platform::HttpRequest;
using platform::HttpResponse;
using platform::ScoreServer;

// A client that keeps what it is asked to send; the test answers.
struct Wire {
    struct Call {
        HttpRequest request;
        platform::HttpClient::Done done;
    };
    std::vector<Call> calls;
    void Answer(std::size_t i, int status, const std::string& body) {
        HttpResponse r;
        r.status = status;
        r.body = body;
        calls.at(i).done(r);
    }
};

class WireClient final : public platform::HttpClient {
public:
    explicit WireClient(Wire& wire) : wire_(wire) {}
    void Send(HttpRequest request, Done done) override { wire_.calls.push_back({std::move(request), std::move(done)}); }

private:
    Wire& wire_;
};

std::unique_ptr<ScoreServer> Client(Wire& wire, const TempDir& dir) {
    return std::make_unique<ScoreServer>(std::make_unique<WireClient>(wire), (dir.path / "outbox").string());
}

const ScoreServer::Config kOn{true, "127.0.0.1:8765"};

// --- the answers ---------------------------------------------------------------

TEST(ScoreAnswers, TheBoardIsReadWithNumbersOrTextsAsIds) {
    const auto list =
        platform::ParseScoreList(R"({"scores":[{"id":7,"name":"ACE","score":120500,"level":4,"date":"2026-12-10"},)"
                                 R"({"id":"x9","name":"Bee \u00e9","score":0,"level":0,"date":1765000000}]})");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ((*list)[0].id, "7");
    EXPECT_EQ((*list)[0].name, "ACE");
    EXPECT_EQ((*list)[0].score, 120500u);
    EXPECT_EQ((*list)[0].level, 4);
    EXPECT_EQ((*list)[1].id, "x9");
    EXPECT_EQ((*list)[1].date, "1765000000");
    EXPECT_TRUE(platform::ParseScoreList(R"({"scores":[]})"));
}

TEST(ScoreAnswers, AnythingButTheDocumentedShapeIsRefusedWhole) {
    const char* bad[] = {
        "",
        "not json",
        "{\"scores\":[",
        "[]",
        "{}",
        R"({"scores":{}})",
        R"({"scores":[1]})",
        R"({"scores":[{"id":1,"name":"A","score":"12","level":1,"date":"d"}]})",
        R"({"scores":[{"id":1,"name":"A","score":-5,"level":1,"date":"d"}]})",
        R"({"scores":[{"id":1,"name":"A","score":4294967296,"level":1,"date":"d"}]})",
        R"({"scores":[{"id":1,"name":"A","score":1.5,"level":1,"date":"d"}]})",
        R"({"scores":[{"id":1,"name":7,"score":1,"level":1,"date":"d"}]})",
        R"({"scores":[{"id":1,"name":"A","score":1,"date":"d"}]})",
        R"({"scores":[{"id":null,"name":"A","score":1,"level":1,"date":"d"}]})",
        R"({"scores":[{"id":1,"name":"A","score":1,"level":1,"date":"d"}]} trailing)",
    };
    for (const char* text : bad) EXPECT_FALSE(platform::ParseScoreList(text)) << text;
    EXPECT_FALSE(platform::ParseSubmitAnswer(R"({"id":1,"score":5,"level":1})")) << "no frames";
    EXPECT_FALSE(platform::ParseSubmitAnswer(R"({"id":1,"score":5,"level":1,"frames":-1})"));
    EXPECT_EQ(platform::ParseRefusal(R"({"error":7})"), "");
    EXPECT_EQ(platform::ParseRefusal("<html>502</html>"), "");
}

TEST(ScoreAnswers, HugeLongAndDeepAnswersAreCutOrRefusedWithoutHarm) {
    std::string line = R"({"id":1,"name":"A","score":1,"level":1,"date":"d"})";
    std::string many = R"({"scores":[)" + line;
    for (int i = 0; i < 500; ++i) many += "," + line;
    many += "]}";
    const auto list = platform::ParseScoreList(many);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->size(), platform::kMaxBoard);
    // A name longer than any the game can type, nesting no answer has, a
    // body over the client's limit.
    EXPECT_FALSE(platform::ParseScoreList(R"({"scores":[{"id":1,"name":")" + std::string(5000, 'A') +
                                          R"(","score":1,"level":1,"date":"d"}]})"));
    EXPECT_FALSE(platform::ParseScoreList(std::string(100000, '[') + std::string(100000, ']')));
    EXPECT_FALSE(platform::ParseScoreList(R"({"scores":[],"x":")" + std::string(2u << 20, 'x') + "\"}"));
    const auto answer = platform::ParseSubmitAnswer(R"({"id":12,"score":99,"level":3,"frames":4000})");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->score, 99u);
    EXPECT_EQ(answer->frames, 4000u);
}

TEST(ScoreAnswers, OutboxEntriesAndServerAddresses) {
    std::string name, demo;
    const std::string bytes = platform::EncodeOutboxEntry("A b:\"", std::string("DW\0\n\x01", 5));
    ASSERT_TRUE(platform::DecodeOutboxEntry(bytes, name, demo));
    EXPECT_EQ(name, "A b:\"");
    EXPECT_EQ(demo, std::string("DW\0\n\x01", 5));
    EXPECT_FALSE(platform::DecodeOutboxEntry("DWSUBMIT1\nname-without-end", name, demo));
    EXPECT_FALSE(platform::DecodeOutboxEntry("DWSUBMIT1\nA\n", name, demo)) << "no demo";
    EXPECT_FALSE(platform::DecodeOutboxEntry("something else", name, demo));
    EXPECT_EQ(platform::ServerUrl("scores.example.org:8080/"), "http://scores.example.org:8080");
    EXPECT_EQ(platform::ServerUrl("https://scores.example.org"), "https://scores.example.org");
    EXPECT_EQ(platform::ServerUrl(""), "");
    EXPECT_EQ(platform::ServerUrl("a b"), "") << "spaces would make another request";
    EXPECT_EQ(platform::ServerUrl("host\r\nX: y"), "");
    EXPECT_EQ(platform::UrlEncode("Ace & Co?#"), "Ace%20%26%20Co%3F%23");
}

// --- sending ---------------------------------------------------------------------

TEST(ScoreClient, OffOrWithoutAServerNothingIsSentOrWritten) {
    TempDir dir("dw_online_off");
    Wire wire;
    {
        auto scores = Client(wire, dir);
        // A game left in the outbox by an earlier run stays there while off.
        std::filesystem::create_directories(dir.path / "outbox");
        std::ofstream(dir.path / "outbox" / "20260101-000000-1.dwsub", std::ios::binary)
            << platform::EncodeOutboxEntry("OLD", "demo");
        for (const ScoreServer::Config& config :
             {ScoreServer::Config{false, "127.0.0.1:8765"}, ScoreServer::Config{true, ""},
              ScoreServer::Config{true, " "}, ScoreServer::Config{false, ""}}) {
            scores->Configure(config);
            EXPECT_FALSE(scores->Submit("ACE", "demo bytes"));
            scores->RequestBoard();
        }
        EXPECT_EQ(scores->board().state, ScoreServer::BoardState::Off);
    }
    EXPECT_TRUE(wire.calls.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path / "outbox"), {}), 1);
}

TEST(ScoreClient, AGameLeavesTheOutboxOnlyOnceTheServerAnswered) {
    TempDir dir("dw_online_outbox");
    Wire wire;
    auto scores = Client(wire, dir);
    scores->Configure(kOn);
    ASSERT_TRUE(scores->Submit("Ace Pilot", "demo-1"));
    ASSERT_TRUE(scores->Submit("B", "demo-2"));
    ASSERT_TRUE(scores->Submit("C", "demo-3"));
    ASSERT_TRUE(scores->Submit("D", "demo-4"));
    ASSERT_EQ(wire.calls.size(), 4u);
    EXPECT_EQ(wire.calls[0].request.method, "POST");
    EXPECT_EQ(wire.calls[0].request.url, "http://127.0.0.1:8765/api/v1/games?name=Ace%20Pilot");
    EXPECT_EQ(wire.calls[0].request.contentType, "application/octet-stream");
    EXPECT_EQ(wire.calls[0].request.body, "demo-1");
    EXPECT_EQ(scores->Outbox().size(), 4u);
    EXPECT_EQ(scores->lastSend().state, ScoreServer::SendState::Sending);

    wire.Answer(0, 201, R"({"id":1,"score":4200,"level":2,"frames":900})");  // taken
    EXPECT_EQ(scores->lastSend().state, ScoreServer::SendState::Taken);
    EXPECT_EQ(scores->lastSend().score, 4200u);
    wire.Answer(1, 409, R"({"error":"a copy of a game already stored"})");  // refused for good
    EXPECT_EQ(scores->lastSend().state, ScoreServer::SendState::Refused);
    EXPECT_EQ(scores->lastSend().detail, "a copy of a game already stored");
    EXPECT_EQ(scores->Outbox().size(), 2u);
    wire.Answer(2, 503, "busy");  // the server failed: sent again at the next start
    wire.Answer(3, 0, "");        // unreachable
    EXPECT_EQ(scores->lastSend().state, ScoreServer::SendState::Kept);
    EXPECT_EQ(scores->Outbox().size(), 2u);
    scores.reset();

    // The next start sends what is left, once each.
    Wire next;
    scores = Client(next, dir);
    scores->Configure(kOn);
    scores->Configure(ScoreServer::Config{false, kOn.server});
    scores->Configure(kOn);
    ASSERT_EQ(next.calls.size(), 2u);
    EXPECT_EQ(next.calls[0].request.body, "demo-3");
    EXPECT_EQ(next.calls[1].request.url, "http://127.0.0.1:8765/api/v1/games?name=D");
    next.Answer(0, 201, R"({"id":3,"score":1,"level":0,"frames":9})");
    next.Answer(1, 201, R"({"id":4,"score":1,"level":0,"frames":9})");
    EXPECT_TRUE(scores->Outbox().empty());
}

TEST(ScoreClient, TheBoardSaysWhyItShowsNothing) {
    TempDir dir("dw_online_board");
    Wire wire;
    auto scores = Client(wire, dir);
    scores->Configure(kOn);
    scores->RequestBoard();
    ASSERT_EQ(wire.calls.size(), 1u);
    EXPECT_EQ(wire.calls[0].request.url, "http://127.0.0.1:8765/api/v1/scores?limit=100");
    EXPECT_EQ(scores->board().state, ScoreServer::BoardState::Asking);
    const struct {
        int status;
        const char* body;
        const char* line;
    } cases[] = {
        {0, "", "Cannot reach the score server"},
        {429, R"({"error":"too many requests"})", "Refused: too many requests"},
        {500, "oops", "Refused: status 500"},
        {200, R"({"scores":"none"})", "The server's answer is unreadable"},
        {200, R"({"scores":[]})", "No games on the board yet"},
    };
    for (const auto& c : cases) {
        const std::uint32_t before = scores->board().generation;
        scores->RequestBoard();
        wire.Answer(wire.calls.size() - 1, c.status, c.body);
        EXPECT_GT(scores->board().generation, before);
        EXPECT_EQ(platform::BoardLine(scores->board()), c.line) << c.body;
    }
    scores->Configure({true, ""});
    scores->RequestBoard();
    EXPECT_EQ(platform::BoardLine(scores->board()), "No score server is set");

    auto unavailable = std::make_unique<ScoreServer>(std::make_unique<platform::UnavailableHttpClient>(),
                                                     (dir.path / "outbox2").string());
    unavailable->Configure(kOn);
    EXPECT_FALSE(unavailable->Submit("A", "demo")) << "a build that cannot send keeps nothing to send";
    unavailable->RequestBoard();
    EXPECT_EQ(platform::BoardLine(unavailable->board()), "Not available in this build");
    EXPECT_FALSE(std::filesystem::exists(dir.path / "outbox2"));
}

}  // namespace
}  // namespace dw
