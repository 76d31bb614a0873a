#include "app/replay_outcome.h"

#include "app/demo.h"
#include "app/headless_devices.h"
#include "app/session.h"
#include "core/game_context.h"
#include "platform/game_data.h"

namespace dw {

bool ReplayOutcome(const Demo& demo, const std::string& dataFile, const std::string& userDir, GameOutcome& out,
                   std::string& error) {
    HeadlessOptions devices;
    devices.userDir = userDir;
    devices.dataFile = dataFile;
    devices.quietSound = true;
    PlayOptions play;
    play.replay = &demo;
    Session session(devices, play);
    if (!session.Start(error)) return false;
    // Without the game's data the replay would not be the game's.
    if (session.headless() && session.headless()->dataSearch.file.empty()) {
        error = "no usable game data (" + (dataFile.empty() ? std::string(platform::kDataFileName) : dataFile) + ")";
        return false;
    }
    out = GameOutcome{};
    // A game begins when its start is pending (the menu's level choice and a
    // run's start straight into a level both go through it), at the level
    // chosen; it is over when the menu passes its score to the table.
    bool startSeen = false, scoreSeen = false;
    while (session.Step()) {
        ++out.frames;
        const GameContext& c = session.context();
        if (c.gameStartPending && !startSeen) {
            ++out.gamesBegun;
            out.startLevel = c.currentLevel;
            out.over = false;
            out.score = 0;
            out.levelReached = c.currentLevel;
        }
        startSeen = c.gameStartPending != 0;
        if (c.scoreFromGame && !scoreSeen && out.gamesBegun && !out.over) {
            out.over = true;
            out.score = c.score;
            out.levelReached = c.currentLevel;
            out.overFrame = out.frames;
        }
        scoreSeen = c.scoreFromGame != 0;
    }
    session.Close();
    return true;
}

}  // namespace dw
