#include "app/game_replays.h"

#include <cstdio>

#include "app/demo.h"
#include "core/game_context.h"
#include "frontend/records_table.h"
#include "platform/services.h"
#include "platform/stored_file.h"

namespace dw {

std::string GameReplays::BestFile(int place) const { return dir_ + "/best-" + std::to_string(place + 1) + ".dwdemo"; }

void GameReplays::AfterFrame(const GameContext& c, const Demo& recording) {
    if (c.recordSaves != savesSeen_) {
        // The high-score table on disk took an entry: the game waiting for
        // it takes its place among the best.
        savesSeen_ = c.recordSaves;
        if (!waiting_.empty()) MoveBest(c.recordSavedPlace);
        waiting_.clear();
    }
    // Over (game over, the last level done, or given up for the table):
    // the menu passes the game's score on to the high-score table.
    const bool over = c.scoreFromGame && !scoreShown_;
    scoreShown_ = c.scoreFromGame != 0;
    if (!inGame_) {
        // A game has begun once play shows; one still waiting for its entry
        // had none.
        inGame_ = c.currentScreen == Screen::Game;
        if (inGame_) waiting_.clear();
        return;
    }
    if (!over) return;
    inGame_ = false;
    std::vector<std::uint8_t> bytes = EncodeDemo(recording);
    if (!KeepLast(bytes)) return;
    // The table on disk does not hold this score yet.
    if (InsertionPlace(LoadRecordTable(c.UserFile(kRecordsFile)), c.score) < RecordTable::kPlaces)
        waiting_ = std::move(bytes);
}

void GameReplays::AtClose(const GameContext&, const Demo& recording) {
    if (!inGame_) return;
    inGame_ = false;
    KeepLast(EncodeDemo(recording));
}

bool GameReplays::KeepLast(const std::vector<std::uint8_t>& bytes) {
    std::string error;
    if (!platform::MakeDirs(dir_)) {
        std::fprintf(stderr, "duskwhirl: cannot create %s\n", dir_.c_str());
        return false;
    }
    if (SaveDemoBytes(LastFile(), bytes, error)) return true;
    std::fprintf(stderr, "duskwhirl: %s\n", error.c_str());
    return false;
}

void GameReplays::MoveBest(int place) {
    if (place < 0 || place >= RecordTable::kPlaces) return;
    // The new replay is written first: if it cannot be, nothing moves.
    std::string temp;
    const std::string bytes(waiting_.begin(), waiting_.end());
    if (platform::ReplaceFile(BestFile(place), bytes, &temp) != platform::StoreResult::Written) {
        std::fprintf(stderr, "duskwhirl: cannot write the demo file %s\n", BestFile(place).c_str());
        return;
    }
    // The replays below the new place move down one, the last drops out.
    platform::RemoveFile(BestFile(RecordTable::kPlaces - 1));
    for (int p = RecordTable::kPlaces - 2; p >= place; --p) platform::RenameFile(BestFile(p), BestFile(p + 1));
    if (!platform::RenameFile(temp, BestFile(place))) {
        platform::RemoveFile(temp);
        std::fprintf(stderr, "duskwhirl: cannot write the demo file %s\n", BestFile(place).c_str());
    }
}

}  // namespace dw
