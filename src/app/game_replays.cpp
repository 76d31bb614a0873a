#include "app/game_replays.h"

#include <cstdio>

#include "app/demo.h"
#include "core/game_context.h"
#include "frontend/records_table.h"
#include "platform/score_server.h"
#include "platform/services.h"
#include "platform/stored_file.h"

namespace dw {

std::string GameReplays::BestFile(const GameContext& c, int place) const {
    if (place < 0 || place >= RecordTable::kPlaces) return {};
    const std::string name = LoadRecordReplays(c.UserFile(kRecordsFile)).files[static_cast<std::size_t>(place)];
    return name.empty() ? name : dir_ + "/" + name;
}

void GameReplays::AfterFrame(GameContext& c, const Demo& recording) {
    if (c.recordSaves != savesSeen_) {
        // The high-score table on disk took an entry (and the replay with it).
        savesSeen_ = c.recordSaves;
        c.keepReplay = nullptr;
        // With online scores on, the game goes to the score server too.
        if (!waiting_.empty())
            if (platform::ScoreServer* scores = c.scoreServer()) scores->Submit(c.recordSavedName, waiting_);
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
        if (inGame_) {
            c.keepReplay = nullptr;
            waiting_.clear();
        }
        return;
    }
    if (!over) return;
    inGame_ = false;
    std::vector<std::uint8_t> bytes = EncodeDemo(recording);
    if (!KeepLast(bytes)) return;
    // The table on disk does not hold this score yet: its save keeps the
    // replay (the bytes are the lambda's own, whatever outlives what).
    if (InsertionPlace(LoadRecordTable(c.UserFile(kRecordsFile)), c.score) >= RecordTable::kPlaces) return;
    waiting_.assign(bytes.begin(), bytes.end());
    c.keepReplay = [dir = dir_, game = waiting_]() -> std::string {
        std::string name = TableReplayName(game);
        if (platform::MakeDirs(dir) && platform::ReplaceFile(dir + "/" + name, game) == platform::StoreResult::Written)
            return name;
        std::fprintf(stderr, "duskwhirl: cannot write the demo file %s/%s\n", dir.c_str(), name.c_str());
        return {};
    };
}

void GameReplays::AtClose(GameContext& c, const Demo& recording) {
    c.keepReplay = nullptr;
    waiting_.clear();
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

}  // namespace dw
