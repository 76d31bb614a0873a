// Writes the barrage stress demo: level 4 with every weapon at its top and
// a store of rockets, the autopilot steering, the fire held all the way and
// rockets clicked off in bursts of ten pairs, so that every player shot slot
// and every rocket slot fills while the wings explode around them.
//
//   make_barrage OUT.dwdemo [--data gamedata.res] [--frames N]
//
// Prints the fullest moment it saw. The demo replays like any other:
//   duskwhirl --headless --replay OUT.dwdemo --timedemo
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/demo_session.h"
#include "core/game_context.h"
#include "engine/list_engine.h"

namespace {

constexpr int kLevel = 4;
constexpr std::uint32_t kSeed = 4;
constexpr int kBurstEvery = 120;  // frames between the starts of two bursts
constexpr int kBurstFrames = 20;  // ten clicks: pressed on even frames, released on odd

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_barrage OUT.dwdemo [--data FILE] [--frames N]\n");
        return 2;
    }
    const std::string out = argv[1];
    std::uint64_t frames = 3000;
    bool steer = true;
    dw::SessionOptions options;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--data") == 0) options.headless.dataFile = argv[i + 1];
        else if (std::strcmp(argv[i], "--frames") == 0) frames = std::strtoull(argv[i + 1], nullptr, 10);
        else if (std::strcmp(argv[i], "--steer") == 0) steer = std::atoi(argv[i + 1]) != 0;
    }
    // Settings, records and log of the run go to a scratch directory.
    const std::filesystem::path user = std::filesystem::temp_directory_path() / "dw_make_barrage";
    std::filesystem::create_directories(user);
    options.headless.userDir = user.string();
    options.headless.seed = kSeed;
    options.record = true;
    options.startLevel = kLevel;
    options.arsenal = {true, 3, 2, 999};

    dw::DemoSession session(options);
    std::string error;
    if (!session.Start(error)) {
        std::fprintf(stderr, "make_barrage: %s\n", error.c_str());
        return 1;
    }
    int bestShots = 0, bestRockets = 0, bestExplosions = 0;
    std::uint64_t bestFrame = 0;
    for (std::uint64_t f = 0; f < frames; ++f) {
        dw::GameContext& c = session.context();
        auto& input = session.game().input();
        if (steer) {
            session.autopilot().Drive(c, input);
        } else {
            // Down to the bottom first, then sweep from side to side.
            if (f < 150) input.MoveMouse(0, 12);
            else input.MoveMouse(((f / 90) % 2) ? -6 : 6, 0);
        }
        const int inBurst = static_cast<int>(f % kBurstEvery);
        input.SetButton(0, true);
        input.SetButton(1, inBurst < kBurstFrames && inBurst % 2 == 0);
        if (!session.Step()) break;
        int shots = 0, rockets = 0;
        for (const auto& s : c.playerShots) shots += s.active ? 1 : 0;
        for (const auto& r : c.rocketSlots) rockets += r.active ? 1 : 0;
        const int explosions = static_cast<int>(c.objectList->CountNamed("explo"));
        if (shots + rockets > bestShots + bestRockets ||
            (shots + rockets == bestShots + bestRockets && explosions > bestExplosions)) {
            bestShots = shots;
            bestRockets = rockets;
            bestFrame = session.steps();
            bestExplosions = explosions;
        }
    }
    if (!dw::SaveDemoFile(out, session.recorded(), error)) {
        std::fprintf(stderr, "make_barrage: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s: %llu frames; fullest at frame %llu: %d player shots, %d rockets, %d explosions\n",
                out.c_str(), static_cast<unsigned long long>(session.steps()),
                static_cast<unsigned long long>(bestFrame), bestShots, bestRockets, bestExplosions);
    return 0;
}
