#pragma once
// Replays of the games played: the session is recorded from its first
// frame, and when a game ends (game over, the last level done, or the
// program closed during it) the recording so far is kept as
// replays/last.dwdemo; a game that entered the high-score table also as
// replays/best-<place>.dwdemo, the older ones moving down with the table.
// The best replays move only once the table on disk took the entry, at the
// place it took there, all in one step: a game closed during name entry, the
// autopilot or a failed save leave them as they were, in step with the
// table. --replay plays them back exactly. With online scores on, the game
// whose name was saved is also handed to the score server's client.
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
    void AfterFrame(const GameContext& c, const Demo& recording);
    // The program closes: a game still going is kept as it stands.
    void AtClose(const GameContext& c, const Demo& recording);

    // The file of a place in the table (0 is the first).
    std::string BestFile(int place) const;
    std::string LastFile() const { return dir_ + "/last.dwdemo"; }

private:
    // Writes replays/last.dwdemo; false when it could not.
    bool KeepLast(const std::vector<std::uint8_t>& bytes);
    // The game waiting for its entry in the table becomes best-<place+1>.
    void MoveBest(int place);

    std::string dir_;
    bool inGame_ = false;
    bool scoreShown_ = false;            // the score of a game went to the table
    std::vector<std::uint8_t> waiting_;  // the game over, until its entry is saved
    std::uint32_t savesSeen_ = 0;        // the context's recordSaves seen so far
};

}  // namespace dw
