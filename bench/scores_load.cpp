// Load on a running duskwhirl-scores (started with --per-hour 0): records N
// games headless (the built-in player plays each one's start, then nobody
// steers until the game is over), forges some of them, posts them all from
// many clients at once while another client lists the board, and prints
// submissions per second, verification time per game frame and the list
// call's p50 and p99. Exit status 1 when an accepted game is missing from the
// store or a forged one was accepted.
//   scores_load URL [GAMES [CLIENTS [FORGED]]]     e.g. scores_load http://127.0.0.1:8090 24 8 6
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "app/demo.h"
#include "server/games.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Submission {
    std::string bytes;
    bool forged = false;
    std::uint64_t frames = 0;
    int status = 0;
    std::int64_t id = 0;
    double seconds = 0;
};

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: scores_load URL [GAMES [CLIENTS [FORGED]]]\n");
        return 2;
    }
    const std::string url = argv[1];
    const int games = argc > 2 ? std::atoi(argv[2]) : 24;
    const int clients = argc > 3 ? std::atoi(argv[3]) : 8;
    const int forged = argc > 4 ? std::atoi(argv[4]) : games / 4;
    const auto seed0 = static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());

    std::vector<Submission> subs(static_cast<std::size_t>(games));
    std::fprintf(stderr, "recording %d games...\n", games);
    std::atomic<int> next{0};
    std::vector<std::thread> recorders;
    for (unsigned t = 0; t < std::max(1u, std::thread::hardware_concurrency()); ++t)
        recorders.emplace_back([&] {
            for (int i; (i = next++) < games;) {
                const dw::testing::RecordedGame g = dw::testing::RecordGame(seed0 + static_cast<std::uint32_t>(i), 600);
                dw::Demo demo = g.demo;
                Submission& s = subs[static_cast<std::size_t>(i)];
                s.forged = i < forged;
                // A forgery: slow motion after the start, or weapons at the start.
                if (s.forged && i % 2 == 0)
                    for (std::size_t f = 100; f < demo.frames.size(); ++f) demo.frames[f].stepMs = 5;
                if (s.forged && i % 2 == 1) demo.header.arsenal = {true, 3, 2, 999};
                const std::vector<std::uint8_t> b = dw::EncodeDemo(demo);
                s.bytes.assign(b.begin(), b.end());
                s.frames = demo.frames.size();
            }
        });
    for (std::thread& t : recorders) t.join();

    std::vector<double> lists;
    std::mutex listMutex;
    std::atomic<bool> posting{true};
    std::thread lister([&] {
        httplib::Client c(url);
        while (posting) {
            const auto t0 = Clock::now();
            auto r = c.Get("/api/v1/scores?limit=100");
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
            if (r && r->status == 200) {
                std::lock_guard lock(listMutex);
                lists.push_back(ms);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    next = 0;
    const auto start = Clock::now();
    std::vector<std::thread> posters;
    for (int t = 0; t < clients; ++t)
        posters.emplace_back([&] {
            httplib::Client c(url);
            c.set_read_timeout(600);
            for (int i; (i = next++) < games;) {
                Submission& s = subs[static_cast<std::size_t>(i)];
                const auto t0 = Clock::now();
                auto r = c.Post("/api/v1/games?name=LOAD" + std::to_string(i), s.bytes, "application/octet-stream");
                s.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
                s.status = r ? r->status : 0;
                if (r && r->status == 201) s.id = nlohmann::json::parse(r->body).at("id");
            }
        });
    for (std::thread& t : posters) t.join();
    const double total = std::chrono::duration<double>(Clock::now() - start).count();
    posting = false;
    lister.join();

    int accepted = 0, refused = 0, failed = 0, missing = 0, forgedAccepted = 0;
    double replaySeconds = 0;
    std::uint64_t replayFrames = 0;
    httplib::Client c(url);
    for (const Submission& s : subs) {
        if (s.status == 201) {
            ++accepted;
            replaySeconds += s.seconds;
            replayFrames += s.frames;
            if (s.forged) ++forgedAccepted;
            auto r = c.Get("/api/v1/games/" + std::to_string(s.id) + "/demo");
            if (!r || r->status != 200 || r->body != s.bytes) ++missing;
        } else if (s.status >= 400 && s.status < 500) {
            ++refused;
        } else {
            ++failed;
        }
    }
    std::printf("games %d (forged %d), clients %d: accepted %d, refused %d, failed %d\n", games, forged, clients,
                accepted, refused, failed);
    std::printf("submissions per second: %.2f (%.1f s in all)\n", games / total, total);
    std::printf("verification time per game frame: %.1f us (a submission's time over its frames, under load)\n",
                replayFrames ? 1e6 * replaySeconds / static_cast<double>(replayFrames) : 0.0);
    std::printf("list calls: %zu, p50 %.1f ms, p99 %.1f ms\n", lists.size(), Percentile(lists, 0.5),
                Percentile(lists, 0.99));
    std::printf("accepted but missing: %d; forged but accepted: %d\n", missing, forgedAccepted);
    return missing || forgedAccepted || failed || accepted + refused != games ? 1 : 0;
}
