// The kill probe: a child saves the scores (with their replays), the
// options, the controls or the display and is killed with SIGKILL at a step
// of the save or after a random moment; the next start must find each set
// whole (all old or all new) and the table's replays in step with the
// table, and no temporary file left once it has cleaned up.
// DW_KILL_PROBE_KILLS sets the number of kills (scripts/kill_probe.sh runs
// 600); the figures are printed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>

#include "common/temp_dir.h"
#include "core/game_context.h"
#include "core/settings.h"
#include "frontend/records_table.h"
#include "platform/services.h"
#include "platform/settings_store.h"
#include "platform/stored_file.h"

namespace fs = std::filesystem;

namespace dw {
namespace {

enum class Set { Scores, Options, Controls, Display };
constexpr const char* kSetNames[] = {"scores", "options", "controls", "display"};

std::string Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// One copy of the game's stores over the directory.
struct Copy {
    explicit Copy(const fs::path& dir) : store((dir / "settings.ini").string()) {
        seams.userDir = dir.string();
        seams.settings = &store;
        ctx.services = &seams;
        CreationSize creation;
        ReadSettings(ctx, creation);
    }
    platform::IniSettingsStore store;
    platform::Services seams;
    GameContext ctx;
};

// Round `n`'s values of each set: every value of a set differs between
// rounds, so a torn set shows.
void Apply(GameContext& c, Set set, int n) {
    const bool odd = n % 2 != 0;
    switch (set) {
        case Set::Options: break;
        case Set::Controls:
            c.controls = platform::Controls::Defaults();
            if (odd) {
                c.controls.keys[4] = {0x2C, 0};  // fire: Z alone
                c.controls.keys[5] = {0x2D, 0};  // rocket: X alone
                c.controls.deadZone = 30;
                c.controls.stickSpeed = 150;
                c.controls.keySpeed = 60;
            }
            break;
        case Set::Display:
            c.display.stretch = odd ? 1 : 0;
            c.display.vsync = odd ? 0 : 1;
            c.display.reduceFlashes = odd ? 1 : 0;
            break;
        case Set::Scores: break;
    }
}

std::map<std::string, std::uint32_t> OptionValues(int n) {
    const std::uint32_t odd = n % 2;
    return {{"MusicVolume", 10 + odd}, {"SoundVolume", 20 + odd}, {"Mouse", 900 + odd}};
}

// The save of round `n` (from round n-1's values), as the game makes it.
void Save(const fs::path& dir, Set set, int n) {
    Copy copy(dir);
    GameContext& c = copy.ctx;
    switch (set) {
        case Set::Scores: {
            RecordTable table{};
            int place = 0;
            const std::uint32_t score = 1'000'000u + static_cast<std::uint32_t>(n) * 1000u;
            const std::string replay = "the replay of " + std::to_string(score);
            SaveRecordEntry((dir / kRecordsFile).string(), "probe", score, table, place, [&] {
                const std::string name = TableReplayName(replay);
                return platform::ReplaceFile((dir / kReplaysFolder / name).string(), replay) ==
                        platform::StoreResult::Written
                    ? name
                    : std::string();
            });
            break;
        }
        case Set::Options: WriteIntRegKeys(c, OptionValues(n)); break;
        case Set::Controls: {
            const platform::Controls before = c.controls;
            Apply(c, set, n);
            WriteControlSettings(c, before);
            break;
        }
        case Set::Display: {
            const GameContext::Display before = c.display;
            Apply(c, set, n);
            WriteDisplaySettings(c, before);
            break;
        }
    }
}

// What a start finds: "old" (round n-1), "new" (round n) or "torn".
std::string Found(const fs::path& dir, Set set, int n) {
    if (set == Set::Scores) {
        const std::string bytes = Bytes(dir / kRecordsFile);
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        const RecordTable table = ParseRecordTable(data, bytes.size());
        const RecordReplays replays = ParseRecordReplays(data, bytes.size());
        // Every place's replay is the game of that place's score.
        for (int p = 0; p < RecordTable::kPlaces && replays.listed; ++p) {
            const std::string& f = replays.files[static_cast<std::size_t>(p)];
            if (f.empty()) continue;
            if (Bytes(dir / kReplaysFolder / f) != "the replay of " + std::to_string(table.scores[p]))
                return "replay out of step";
        }
        const std::uint32_t newest = 1'000'000u + static_cast<std::uint32_t>(n) * 1000u;
        return table.scores[0] == newest ? "new" : table.scores[0] == newest - 1000u ? "old" : "torn";
    }
    Copy copy(dir);
    GameContext& c = copy.ctx;
    if (set == Set::Options) {
        const auto same = [&](const std::map<std::string, std::uint32_t>& values) {
            for (const auto& [name, value] : values) {
                std::uint32_t v = 0;
                ReadIntRegKey(c, kSettingsKey, name.c_str(), v, 0);
                if (v != value) return false;
            }
            return true;
        };
        return same(OptionValues(n)) ? "new" : same(OptionValues(n - 1)) ? "old" : "torn";
    }
    GameContext expectNew, expectOld;
    Apply(expectNew, set, n);
    Apply(expectOld, set, n - 1);
    if (set == Set::Controls) {
        const auto same = [&](const platform::Controls& a) {
            return a.keys == c.controls.keys && a.pad == c.controls.pad && a.deadZone == c.controls.deadZone &&
                a.stickSpeed == c.controls.stickSpeed && a.keySpeed == c.controls.keySpeed;
        };
        return same(expectNew.controls) ? "new" : same(expectOld.controls) ? "old" : "torn";
    }
    const auto same = [&](const GameContext::Display& a) {
        return a.vsync == c.display.vsync && a.reduceFlashes == c.display.reduceFlashes &&
            a.stretch == c.display.stretch;
    };
    return same(expectNew.display) ? "new" : same(expectOld.display) ? "old" : "torn";
}

struct Figures {
    int kills = 0, old = 0, fresh = 0, torn = 0, leftOvers = 0;
};

TEST(KillProbe, EverySaveKilledAtAnyMomentLeavesWholeSetsAndTheReplaysInStep) {
    const char* asked = std::getenv("DW_KILL_PROBE_KILLS");
    const int kills = asked ? std::max(4, std::atoi(asked)) : 48;
    TempDir dir("dw_kill_probe");
    fs::create_directories(dir.path / kReplaysFolder);
    std::mt19937 random(20261210);
    Figures figures[4];
    int round[4] = {0, 0, 0, 0};
    // A first whole save of each set.
    for (int s = 0; s < 4; ++s) Save(dir.path, static_cast<Set>(s), round[s]);
    for (int k = 0; k < kills; ++k) {
        const auto set = static_cast<Set>(k % 4);
        const int n = round[static_cast<int>(set)] + 1;
        // Half the kills at a step of the save (the n-th step call, 0 to
        // 12), half after a random moment.
        const bool byStep = (k / 4) % 2 == 0;
        const int step = static_cast<int>(random() % 13);
        const auto delay = std::chrono::microseconds(random() % 3000);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int calls = 0;
            if (byStep)
                platform::SetSaveStepHookForTests([&](const char*) {
                    if (calls++ == step) ::kill(::getpid(), SIGKILL);
                });
            Save(dir.path, set, n);
            ::_exit(0);
        }
        if (!byStep) {
            const auto until = std::chrono::steady_clock::now() + delay;
            while (std::chrono::steady_clock::now() < until) {
            }
            ::kill(child, SIGKILL);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        // The next start cleans up first, as the game does.
        platform::RemoveStaleTemporaries((dir.path / "settings.ini").string());
        platform::RemoveStaleTemporaries((dir.path / kRecordsFile).string());
        RemoveUnlistedReplays((dir.path / kRecordsFile).string());
        Figures& f = figures[static_cast<int>(set)];
        ++f.kills;
        const std::string found = Found(dir.path, set, n);
        EXPECT_TRUE(found == "old" || found == "new")
            << kSetNames[static_cast<int>(set)] << " " << found << " after kill " << k;
        f.old += found == "old";
        f.fresh += found == "new";
        f.torn += found != "old" && found != "new";
        for (const fs::path& d : {dir.path, dir.path / kReplaysFolder})
            for (const auto& e : fs::directory_iterator(d))
                f.leftOvers += e.path().filename().string().find(platform::kTemporaryMark) != std::string::npos;
        std::size_t replays = 0;
        for (const auto& e : fs::directory_iterator(dir.path / kReplaysFolder))
            replays += IsTableReplayName(e.path().filename().string());
        EXPECT_LE(replays, static_cast<std::size_t>(RecordTable::kPlaces)) << "a replay no table names";
        // The next round starts from what is on disk: a save to make whole.
        if (found == "new") {
            round[static_cast<int>(set)] = n;
        } else {
            Save(dir.path, set, n);
            round[static_cast<int>(set)] = n;
        }
    }
    for (int s = 0; s < 4; ++s) {
        const Figures& f = figures[s];
        std::printf(
            "kill probe %-8s: %3d kills, %3d old, %3d new, %d torn or out of step, %d temporary files "
            "left\n",
            kSetNames[s], f.kills, f.old, f.fresh, f.torn, f.leftOvers);
        EXPECT_EQ(f.leftOvers, 0);
    }
}

}  // namespace
}  // namespace dw
