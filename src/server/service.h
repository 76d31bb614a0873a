#pragma once
// The score server's HTTP API and its page, over a store and a verifier:
//
//   POST /api/v1/games?name=NAME   body: the demo   201 {"id","score","level","frames"}
//   GET  /api/v1/scores?limit=N                     {"scores":[{"id","name","score","level","date"}]}
//   GET  /api/v1/games/ID/demo                      the demo's bytes
//   GET  /api/v1/health                             {"ok":true}
//   GET  /                                          the leaderboard page (top 100)
//
// Every refusal is {"error": "reason"} with a 4xx status; a server that
// cannot verify or store answers 503 or 500, never a refusal of the game.
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <semaphore>
#include <string>

#include "server/store.h"
#include "server/verifier.h"

namespace httplib {
class Server;
}

namespace dw::server {

// Submissions per address in a sliding hour.
class RateLimiter {
public:
    using Clock = std::chrono::steady_clock;
    explicit RateLimiter(unsigned perHour) : perHour_(perHour) {}
    // Counts one submission from `address` at `now`; false when it is one too many.
    bool Allow(const std::string& address, Clock::time_point now);

private:
    unsigned perHour_;
    std::mutex mutex_;
    std::map<std::string, std::deque<Clock::time_point>> seen_;
    Clock::time_point lastSweep_{};
};

struct ServiceOptions {
    std::size_t maxBody = 4 << 20;                 // bytes of a demo
    unsigned perHour = 30;                         // submissions per address per hour (0: no limit)
    unsigned workers = 0;                          // replays at once (0: one per processor)
    std::string playUrl = "/play/duskwhirl.html";  // the browser build, for the "watch" links
    std::string publicUrl;                         // this server's address as seen outside ("": relative links)
};

class Service {
public:
    using VerifyFn = std::function<Verdict(const std::string& demo)>;
    using NowFn = std::function<std::int64_t()>;  // seconds since 1970
    Service(Store& store, VerifyFn verify, ServiceOptions options, NowFn now = nullptr);

    // Puts the routes, the limits and the error bodies on `server`.
    void Mount(httplib::Server& server);

    // The parts of a submission, for the routes and the tests.
    struct Answer {
        int status = 500;
        std::string body;  // JSON
    };
    Answer Submit(const std::string& name, bool hasName, const std::string& demo, const std::string& address);
    Answer Scores(const std::string& limitText, bool hasLimit);

private:
    Store& store_;
    VerifyFn verify_;
    ServiceOptions options_;
    NowFn now_;
    RateLimiter limiter_;
    std::counting_semaphore<> replays_;
};

}  // namespace dw::server
