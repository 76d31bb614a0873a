// The HTTP layer over a store and a verifier the test decides: every answer
// of the API, the limits and the page, through a real server on 127.0.0.1.
#include "server/service.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <nlohmann/json.hpp>
#include <thread>

#include "common/temp_dir.h"
#include "server/board_page.h"

namespace dw::server {
namespace {

using json = nlohmann::json;

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        store_ = OpenStore("sqlite:" + (dir_.path / "s.db").string(), error);
        ASSERT_TRUE(store_) << error;
    }
    void Start(ServiceOptions options = {}) {
        options.maxBody = 1000;
        service_ = std::make_unique<Service>(
            *store_,
            [this](const std::string& demo) {
                ++verified_;
                return verdict_(demo);
            },
            options, [] { return std::int64_t{1'800'000'000}; });
        service_->Mount(server_);
        port_ = server_.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port_, 0);
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    void TearDown() override {
        server_.stop();
        if (thread_.joinable()) thread_.join();
    }
    httplib::Result Post(const std::string& query, const std::string& body) {
        httplib::Client client("127.0.0.1", port_);
        return client.Post(("/api/v1/games" + query).c_str(), body, "application/octet-stream");
    }
    httplib::Result Get(const std::string& path) {
        httplib::Client client("127.0.0.1", port_);
        return client.Get(path.c_str());
    }
    static std::string ErrorOf(const httplib::Result& r) { return json::parse(r->body).at("error").get<std::string>(); }

    TempDir dir_{"dw-service-test"};
    std::unique_ptr<Store> store_;
    std::unique_ptr<Service> service_;
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    int verified_ = 0;
    // Accepts every demo with the score written in it.
    std::function<Verdict(const std::string&)> verdict_ = [](const std::string& demo) {
        Verdict v;
        v.kind = Verdict::Kind::Accepted;
        v.score = static_cast<std::uint32_t>(std::stoul(demo));
        v.level = 2;
        v.frames = 900;
        v.gameSha256 = "game of " + demo;
        return v;
    };
};

TEST_F(ServiceTest, AcceptsVerifiedGamesAndListsThemBestFirst) {
    Start();
    auto r = Post("?name=Ann", "300");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 201);
    EXPECT_EQ(json::parse(r->body), (json{{"id", 1}, {"score", 300}, {"level", 2}, {"frames", 900}}));
    ASSERT_EQ(Post("?name=Bob%20B.", "700")->status, 201);
    ASSERT_EQ(Post("?name=", "5")->status, 201);  // name entry saves an empty name too

    r = Get("/api/v1/scores?limit=2");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_EQ(r->get_header_value("Access-Control-Allow-Origin"), "*");
    const json scores = json::parse(r->body).at("scores");
    ASSERT_EQ(scores.size(), 2u);
    EXPECT_EQ(scores[0],
              (json{{"id", 2}, {"name", "Bob B."}, {"score", 700}, {"level", 2}, {"date", "2027-01-15T08:00:00Z"}}));
    EXPECT_EQ(scores[1].at("name"), "Ann");
    EXPECT_EQ(json::parse(Get("/api/v1/scores")->body).at("scores").size(), 3u);

    r = Get("/api/v1/games/1/demo");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_EQ(r->body, "300");
    EXPECT_EQ(r->get_header_value("Content-Type"), "application/octet-stream");
    EXPECT_EQ(Get("/api/v1/games/99/demo")->status, 404);
    EXPECT_EQ(Get("/api/v1/games/x/demo")->status, 404);
    EXPECT_EQ(Get("/api/v1/health")->body, "{\"ok\":true}");
}

TEST_F(ServiceTest, RefusesWithAReasonAndNeverReplaysWhatItCanTellWithout) {
    verdict_ = [](const std::string&) {
        Verdict v;
        v.reason = "the game is not over at the end of the demo";
        return v;
    };
    Start();
    auto r = Post("?name=Ann", "1");
    EXPECT_EQ(r->status, 422);
    EXPECT_EQ(ErrorOf(r), "the game is not over at the end of the demo");
    EXPECT_EQ(verified_, 1);

    r = Post("", "1");
    EXPECT_EQ(r->status, 400);
    EXPECT_NE(ErrorOf(r).find("name is missing"), std::string::npos);
    for (const char* name : {"%3Cscript%3Ealert(1)", "seventeen-letters", "tab%09", "%C3%A9t%C3%A9", "a/b", "x%00y"}) {
        r = Post(std::string("?name=") + name, "1");
        EXPECT_EQ(r->status, 422) << name;
        EXPECT_NE(ErrorOf(r).find("name entry"), std::string::npos) << name;
    }
    r = Post("?name=Ann", "");
    EXPECT_EQ(r->status, 400);
    r = Post("?name=Ann", std::string(1001, '1'));
    EXPECT_EQ(r->status, 413);
    EXPECT_NE(ErrorOf(r).find("larger"), std::string::npos);
    EXPECT_EQ(verified_, 1);

    for (const char* q : {"?limit=0", "?limit=101", "?limit=x", "?limit=5x", "?limit=-1"}) {
        r = Get(std::string("/api/v1/scores") + q);
        EXPECT_EQ(r->status, 400) << q;
        EXPECT_FALSE(ErrorOf(r).empty());
    }
    r = Get("/nowhere");
    EXPECT_EQ(r->status, 404);
    EXPECT_FALSE(ErrorOf(r).empty());
}

TEST_F(ServiceTest, ADuplicateIsRefusedAndAServerThatCannotReplayDoesNotBlameTheGame) {
    Start();
    ASSERT_EQ(Post("?name=Ann", "300")->status, 201);
    auto r = Post("?name=Bob", "300");
    EXPECT_EQ(r->status, 409);
    EXPECT_EQ(verified_, 1);  // known by its hash: not replayed again

    verdict_ = [](const std::string&) {
        Verdict v;
        v.kind = Verdict::Kind::Unavailable;
        v.reason = "the server cannot replay games now";
        return v;
    };
    r = Post("?name=Ann", "400");
    EXPECT_EQ(r->status, 503);
    EXPECT_EQ(json::parse(Get("/api/v1/scores")->body).at("scores").size(), 1u);
}

TEST_F(ServiceTest, AnAddressMayOnlySendSoManyGamesAnHour) {
    ServiceOptions o;
    o.perHour = 3;
    Start(o);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Post("?name=Ann", std::to_string(10 + i))->status, 201);
    auto r = Post("?name=Ann", "20");
    EXPECT_EQ(r->status, 429);
    EXPECT_NE(ErrorOf(r).find("too many"), std::string::npos);

    RateLimiter limiter(2);
    const auto t = RateLimiter::Clock::now();
    EXPECT_TRUE(limiter.Allow("a", t));
    EXPECT_TRUE(limiter.Allow("a", t + std::chrono::minutes(1)));
    EXPECT_FALSE(limiter.Allow("a", t + std::chrono::minutes(2)));
    EXPECT_TRUE(limiter.Allow("b", t + std::chrono::minutes(2)));
    EXPECT_TRUE(limiter.Allow("a", t + std::chrono::seconds(3601)));  // the first has aged out
    EXPECT_FALSE(limiter.Allow("a", t + std::chrono::seconds(3602)));
}

TEST_F(ServiceTest, ThePageShowsTheBoardWithNamesEscapedAndWatchLinks) {
    ServiceOptions o;
    o.playUrl = "https://play.example/duskwhirl.html";
    o.publicUrl = "https://scores.example";
    Start(o);
    ASSERT_EQ(Post("?name=%3Cb%3E%22Hi%22", "250")->status, 201);
    const auto r = Get("/");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_EQ(r->body.find("<b>"), std::string::npos);
    EXPECT_NE(r->body.find("&lt;b&gt;&quot;Hi&quot;"), std::string::npos);
    EXPECT_NE(
        r->body.find(
            "href=\"https://play.example/duskwhirl.html#replay=https%3A%2F%2Fscores.example%2Fapi%2Fv1%2Fgames%2F1%2Fdemo\""),
        std::string::npos);
    EXPECT_NE(r->body.find("<td class=\"score\">250</td>"), std::string::npos);
    EXPECT_NE(r->body.find("2027-01-15 08:00 UTC"), std::string::npos);

    EXPECT_EQ(EscapeHtml("a&b<'>\""), "a&amp;b&lt;&#39;&gt;&quot;");
    EXPECT_EQ(EscapeUrlPart("/a b?#&=~"), "%2Fa%20b%3F%23%26%3D~");
    EXPECT_NE(BoardPage({}, "/play", "").find("No game yet"), std::string::npos);
}

}  // namespace
}  // namespace dw::server
