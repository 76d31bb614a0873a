#include "server/service.h"

#include <httplib.h>

#include <algorithm>
#include <charconv>
#include <thread>
#include <ctime>
#include <nlohmann/json.hpp>

#include "frontend/high_scores.h"
#include "server/board_page.h"
#include "server/sha256.h"

namespace dw::server {

namespace {

using json = nlohmann::json;

constexpr int kBoardPageGames = 100;
constexpr int kMostScores = 100;
constexpr int kDefaultScores = 10;

Service::Answer Error(int status, const std::string& reason) { return {status, json{{"error", reason}}.dump()}; }

void Send(httplib::Response& res, const Service::Answer& a) {
    res.status = a.status;
    res.set_content(a.body, "application/json");
}

}  // namespace

bool RateLimiter::Allow(const std::string& address, Clock::time_point now) {
    if (perHour_ == 0) return true;
    const Clock::time_point hourAgo = now - std::chrono::hours(1);
    std::lock_guard lock(mutex_);
    // Now and then the addresses not seen for an hour go.
    if (now - lastSweep_ > std::chrono::minutes(10)) {
        lastSweep_ = now;
        std::erase_if(seen_, [&](const auto& kv) { return kv.second.empty() || kv.second.back() <= hourAgo; });
    }
    std::deque<Clock::time_point>& times = seen_[address];
    while (!times.empty() && times.front() <= hourAgo) times.pop_front();
    if (times.size() >= perHour_) return false;
    times.push_back(now);
    return true;
}

Service::Service(Store& store, VerifyFn verify, ServiceOptions options, NowFn now)
    : store_(store), verify_(std::move(verify)), options_(std::move(options)),
      now_(now ? std::move(now) : NowFn([] { return static_cast<std::int64_t>(std::time(nullptr)); })),
      limiter_(options_.perHour),
      replays_(static_cast<std::ptrdiff_t>(options_.workers ? options_.workers
                                                            : std::max(1u, std::thread::hardware_concurrency()))) {}

Service::Answer Service::Submit(const std::string& name, bool hasName, const std::string& demo,
                                const std::string& address) {
    if (!limiter_.Allow(address, RateLimiter::Clock::now()))
        return Error(429, "too many games from this address; try again within the hour");
    if (!hasName) return Error(400, "the name is missing (?name=...)");
    if (!NameEntryCanType(name))
        return Error(422,
                     "the name is not one the game's name entry can type (at most 16 letters, digits, spaces "
                     "and ,-.:!\"#*+;<>?@_)");
    if (demo.empty()) return Error(400, "the demo is missing (send its bytes as the body)");
    if (demo.size() > options_.maxBody) return Error(413, "the demo is larger than this server takes");
    const std::string sha = Sha256Hex(demo);
    bool found = false;
    std::string error;
    if (!store_.Contains(sha, found, error)) return Error(500, "the store failed: " + error);
    if (found) return Error(409, "this demo is on the board already");
    Verdict v;
    {
        replays_.acquire();
        struct Release {
            std::counting_semaphore<>& s;
            ~Release() { s.release(); }
        } release{replays_};
        v = verify_(demo);
    }
    if (v.kind == Verdict::Kind::Unavailable) return Error(503, v.reason);
    if (v.kind == Verdict::Kind::Refused) return Error(422, v.reason);
    NewGame game;
    game.entry.name = name;
    game.entry.score = v.score;
    game.entry.level = v.level;
    game.entry.frames = v.frames;
    game.entry.date = now_();
    game.address = address;
    game.sha256 = sha;
    game.gameSha256 = v.gameSha256;
    game.demo = demo;
    std::int64_t id = 0;
    switch (store_.Add(game, id, error)) {
        case AddResult::Added: break;
        case AddResult::Duplicate: return Error(409, "this game is on the board already");
        case AddResult::Failed: return Error(500, "the store failed: " + error);
    }
    return {201, json{{"id", id}, {"score", v.score}, {"level", v.level}, {"frames", v.frames}}.dump()};
}

Service::Answer Service::Scores(const std::string& limitText, bool hasLimit) {
    int limit = kDefaultScores;
    if (hasLimit) {
        const auto [end, ec] = std::from_chars(limitText.data(), limitText.data() + limitText.size(), limit);
        if (ec != std::errc() || end != limitText.data() + limitText.size() || limit < 1 || limit > kMostScores)
            return Error(400, "limit wants a number from 1 to " + std::to_string(kMostScores));
    }
    std::vector<BoardEntry> games;
    std::string error;
    if (!store_.Top(limit, games, error)) return Error(500, "the store failed: " + error);
    json scores = json::array();
    for (const BoardEntry& g : games)
        scores.push_back({{"id", g.id},
                          {"name", g.name},
                          {"score", g.score},
                          {"level", g.level},
                          {"date", FormatDate(g.date, true)}});
    // Names are sent as JSON strings; the replacement of invalid UTF-8 keeps a
    // stored name that is not text from breaking the answer.
    return {200, json{{"scores", scores}}.dump(-1, ' ', false, json::error_handler_t::replace)};
}

void Service::Mount(httplib::Server& server) {
    server.set_payload_max_length(options_.maxBody);
    server.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
        if (!res.body.empty()) return;
        // The HTTP library takes form bodies of a few kilobytes only: a demo
        // sent as a form (curl --data-binary without a type) meets that limit.
        const bool form = req.get_header_value("Content-Type") == "application/x-www-form-urlencoded";
        const char* reason = res.status == 413 && form ? "send the demo as application/octet-stream"
            : res.status == 413                        ? "the demo is larger than this server takes"
            : res.status == 404                        ? "no such page"
                                                       : "the request could not be read";
        res.set_content(json{{"error", reason}}.dump(), "application/json");
    });
    server.set_default_headers({{"X-Content-Type-Options", "nosniff"}});
    server.Post("/api/v1/games", [this](const httplib::Request& req, httplib::Response& res) {
        Send(res, Submit(req.get_param_value("name"), req.has_param("name"), req.body, req.remote_addr));
    });
    server.Get("/api/v1/scores", [this](const httplib::Request& req, httplib::Response& res) {
        Send(res, Scores(req.get_param_value("limit"), req.has_param("limit")));
        res.set_header("Access-Control-Allow-Origin", "*");
    });
    server.Get(R"(/api/v1/games/(\d{1,18})/demo)", [this](const httplib::Request& req, httplib::Response& res) {
        std::string bytes, error;
        bool found = false;
        if (!store_.DemoOf(std::stoll(req.matches[1].str()), bytes, found, error))
            return Send(res, Error(500, "the store failed: " + error));
        if (!found) return Send(res, Error(404, "no such game"));
        res.set_content(bytes, "application/octet-stream");
        res.set_header("Content-Disposition", "attachment; filename=\"game-" + req.matches[1].str() + ".dwdemo\"");
        res.set_header("Access-Control-Allow-Origin", "*");
    });
    server.Get("/api/v1/health", [this](const httplib::Request&, httplib::Response& res) {
        std::vector<BoardEntry> games;
        std::string error;
        const bool ok = store_.Top(1, games, error);
        res.status = ok ? 200 : 503;
        res.set_content(json{{"ok", ok}}.dump(), "application/json");
    });
    server.Get("/", [this](const httplib::Request&, httplib::Response& res) {
        std::vector<BoardEntry> games;
        std::string error;
        if (!store_.Top(kBoardPageGames, games, error)) {
            res.status = 500;
            res.set_content("The scores cannot be read now.\n", "text/plain");
            return;
        }
        res.set_content(BoardPage(games, options_.playUrl, options_.publicUrl), "text/html; charset=utf-8");
        res.set_header("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'");
    });
}

}  // namespace dw::server
