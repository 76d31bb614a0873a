#pragma once
// Replays of the games played: the session is recorded from its first
// frame, and when a game ends (game over, the last level done, or the
// program closed during it) the recording so far is kept as
// replays/last.dwdemo; a game that entered the high-score table also as
// a replay of the table: the table's save writes it (named by its content)
// and names it at the place the entry took, in the one rename of
// records.csm, so that a kill at any moment leaves table and replays in
// step. A game closed during name entry, the autopilot or a failed save
// keep no replay in the table. --replay plays them back exactly. With online
// scores on, the game whose name was saved is also handed to the score
// server's client.
#include <cstdint>
#include <string>
#include <vector>

namespace dw {

class GameContext;
struct Demo;

class GameReplays {
public:
    // `dir`: the replays directory (made when the first game is kept).
    explicit GameReplays(std::string dir) : dir_(std::move(dir)) {}

    // After every frame, with the session recorded so far.
    void AfterFrame(GameContext& c, const Demo& recording);
    // The program closes: a game still going is kept as it stands.
    void AtClose(GameContext& c, const Demo& recording);

    // The file of a place in the table on disk (0 is the first), empty when
    // the table names none.
    std::string BestFile(const GameContext& c, int place) const;
    std::string LastFile() const { return dir_ + "/last.dwdemo"; }

private:
    // Writes replays/last.dwdemo; false when it could not.
    bool KeepLast(const std::vector<std::uint8_t>& bytes);

    std::string dir_;
    bool inGame_ = false;
    bool scoreShown_ = false;      // the score of a game went to the table
    std::uint32_t savesSeen_ = 0;  // the context's recordSaves seen so far
    std::string waiting_;          // the bytes of the game waiting for its entry
};

}  // namespace dw
