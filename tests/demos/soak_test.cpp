// The built-in player plays on and on: games over several levels, back to
// the menu and into the next level, four games a run. Nothing may crash, and
// the object list may hold only what the screen shows: once a finished game's
// objects are gone, at the start of the next, the list is as long as the
// first time. Under the sanitizers this is also the leak check.
// DW_SOAK_MINUTES sets the game time (default 2.5 minutes, which every test
// run plays; the "soak" test runs 30).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/demo_session.h"
#include "core/game_context.h"
#include "engine/list_engine.h"
#include "engine/my_object.h"

namespace dw {
namespace {

std::uint32_t CountObjects(GameContext& c, std::uint32_t* effects = nullptr) {
    std::uint32_t n = 0, fx = 0;
    for (auto* node = c.objectList->Head(); node; node = node->next) {
        ++n;
        const char* name = node->object->name ? node->object->name : "";
        fx += std::strcmp(name, "explo") == 0 || std::strcmp(name, "fpart") == 0;
    }
    if (effects) *effects = fx;
    return n;
}

// The live objects by name, and what `now` holds more of than `then`.
std::map<std::string, int> NamesOf(GameContext& c) {
    std::map<std::string, int> names;
    for (auto* node = c.objectList->Head(); node; node = node->next)
        ++names[node->object->name ? node->object->name : "(unnamed)"];
    return names;
}
std::string MoreThan(const std::map<std::string, int>& now, const std::map<std::string, int>& then) {
    std::string more;
    for (const auto& [name, n] : now) {
        const auto was = then.find(name);
        const int extra = n - (was == then.end() ? 0 : was->second);
        if (extra > 0) more += " " + name + " x" + std::to_string(extra);
    }
    return more;
}

// What the collision tables say is on the screen.
std::uint32_t OnScreen(const GameContext& c) {
    std::uint32_t n = 0;
    for (const auto& s : c.enemySlots) n += s.active != 0;
    for (const auto& s : c.enemyShots) n += s.active != 0;
    for (const auto& s : c.playerShots) n += s.active != 0;
    for (const auto& s : c.rocketSlots) n += s.active != 0;
    for (const auto& s : c.bonusSlots) n += s.active != 0;
    for (const auto& s : c.shipSlots) n += s.active != 0;
    return n;
}

TEST(Soak, TheAutopilotPlaysLevelAfterLevel) {
    double minutes = 2.5;
    if (const char* env = std::getenv("DW_SOAK_MINUTES")) minutes = std::atof(env);
    const auto dir = std::filesystem::temp_directory_path() / "dw_soak";
    std::filesystem::create_directories(dir);
    {
        SessionOptions options;
        options.headless.userDir = dir.string();
        options.headless.seed = 11u;
        options.autopilot = true;
        options.startLevel = 0;
        DemoSession session(options);
        std::string error;
        ASSERT_TRUE(session.Start(error)) << error;
        GameContext& c = session.context();

        const std::uint64_t frames = static_cast<std::uint64_t>(minutes * 60000.0 / 16.0);
        // The built-in player lives long: after a quarter of the time its last
        // ship is taken, so that every run plays four games over the menu.
        const std::uint64_t gameFrames = frames / 4;
        std::uint64_t gameStart = 0;
        bool shipsTaken = false;
        std::uint32_t level = 0, most = 0;
        std::uint32_t levelsPlayed = 1, gamesPlayed = 1;
        std::vector<std::uint32_t> atMenu;  // list length at each return to the menu
        // A finished game's objects wait, frozen, until the next game starts and
        // ends them: the list is compared once they are gone, at the last frame
        // of each start (the new game has made nothing yet).
        std::vector<std::uint32_t> atStart;
        std::vector<std::map<std::string, int>> namesAtStart;
        std::uint32_t startCount = 0;
        std::map<std::string, int> startNames;
        bool starting = false;
        std::uint32_t menuFrames = 0;
        for (std::uint64_t f = 0; f < frames; ++f) {
            ASSERT_TRUE(session.Step()) << "the game closed at frame " << f;
            std::uint32_t effects = 0;
            const std::uint32_t n = CountObjects(c, &effects);
            if (c.gameStartPending) {
                starting = true;
                startCount = n;
                startNames = NamesOf(c);
            } else if (starting) {
                starting = false;
                atStart.push_back(startCount);
                namesAtStart.push_back(startNames);
            }
            most = std::max(most, n);
            // Besides the explosions, every object stands for something on
            // the screen (an enemy may carry a flame or a halo of its own).
            const std::uint32_t allowed = 40 + 2 * OnScreen(c);
            ASSERT_LE(n - effects, allowed) << "objects outlive what they show, frame " << f;
            ASSERT_LT(effects, 400u) << "explosions pile up at frame " << f;
            if (c.currentScreen == Screen::Game) {
                if (!shipsTaken && f - gameStart > gameFrames && c.shipAlive && c.gamePhase == GamePhase::Playing) {
                    c.shipsLeft = 0;
                    c.shipRemoveRequest = 1;
                    shipsTaken = true;
                }
                if (c.currentLevel != level) {
                    level = c.currentLevel;
                    ++levelsPlayed;
                }
                menuFrames = 0;
                continue;
            }
            if (f < 10) continue;
            if (++menuFrames == 120) {
                // Back at the menu and settled. A player closes the high-score
                // table before a new game can be chosen: so does the soak, as
                // Escape does (the next game is started from outside the menu,
                // which would leave the table open behind it).
                atMenu.push_back(n);
                for (auto* node = c.objectList->Head(); node; node = node->next)
                    if (node->object->name && std::strcmp(node->object->name, "records") == 0) {
                        node->object->dead = 1;
                        c.highScoresClosed = 1;
                    }
            }
            if (menuFrames == 180) {
                // The next game starts a level further.
                level = (level + 1) % kLevelCount;
                c.currentLevel = level;
                c.newGameReset = 1;
                c.screenChangeRequest = 1;
                c.requestedScreen = Screen::Game;
                c.musicRequest = MusicRequest::GameTheme;
                c.levelStartRequest = 1;
                gameStart = f;
                shipsTaken = false;
                ++gamesPlayed;
                ++levelsPlayed;
            }
        }
        RecordProperty("levels", static_cast<int>(levelsPlayed));
        RecordProperty("most_objects", static_cast<int>(most));
        std::printf("soak: %.1f minutes, %u games, %u levels, at most %u objects, at the menu:", minutes, gamesPlayed,
                    levelsPlayed, most);
        for (std::uint32_t n : atMenu) std::printf(" %u", n);
        std::printf(", as a game starts:");
        for (std::uint32_t n : atStart) std::printf(" %u", n);
        std::printf("\n");
        // The first start comes before the menu was ever open (its screens
        // and buttons are made then): the second is the measure.
        for (std::size_t i = 2; i < atStart.size(); ++i)
            EXPECT_LE(atStart[i], atStart[1])
                << "objects left behind by game " << i - 1 << ":" << MoreThan(namesAtStart[i], namesAtStart[1]);
        session.Close();
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

}  // namespace
}  // namespace dw
