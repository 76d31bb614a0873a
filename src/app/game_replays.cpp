#include "app/game_replays.h"

#include <cstdio>

#include "app/demo.h"
#include "core/game_context.h"
#include "frontend/records_table.h"
#include "platform/services.h"

namespace dw {

std::string GameReplays::BestFile(int place) const {
    return dir_ + "/best-" + std::to_string(place + 1) + ".dwdemo";
}

void GameReplays::AfterFrame(const GameContext& c, const Demo& recording) {
    // Over (game over, the last level done, or given up for the table):
    // the menu passes the game's score on to the high-score table.
    const bool over = c.scoreFromGame && !scoreShown_;
    scoreShown_ = c.scoreFromGame != 0;
    if (!inGame_) {
        // A game has begun once play shows.
        inGame_ = c.currentScreen == Screen::Game;
        return;
    }
    if (!over) return;
    inGame_ = false;
    // The table on disk does not hold this score yet.
    const int place = InsertionPlace(LoadRecordTable(c.UserFile(kRecordsFile)), c.score);
    Keep(recording, place);
}

void GameReplays::AtClose(const GameContext&, const Demo& recording) {
    if (!inGame_) return;
    inGame_ = false;
    Keep(recording, RecordTable::kPlaces);
}

void GameReplays::Keep(const Demo& recording, int place) {
    std::string error;
    if (!platform::MakeDirs(dir_)) {
        std::fprintf(stderr, "duskwhirl: cannot create %s\n", dir_.c_str());
        return;
    }
    if (!SaveDemoFile(LastFile(), recording, error)) std::fprintf(stderr, "duskwhirl: %s\n", error.c_str());
    if (place < 0 || place >= RecordTable::kPlaces) return;
    // The replays below the new place move down one, the last drops out.
    std::remove(BestFile(RecordTable::kPlaces - 1).c_str());
    for (int p = RecordTable::kPlaces - 2; p >= place; --p)
        std::rename(BestFile(p).c_str(), BestFile(p + 1).c_str());
    if (!SaveDemoFile(BestFile(place), recording, error)) std::fprintf(stderr, "duskwhirl: %s\n", error.c_str());
}

}  // namespace dw
