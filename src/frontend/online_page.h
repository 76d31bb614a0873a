#pragma once
// The high-score screen's second page: the score server's best eight in the
// rows of the table, the player's own best place among the server's list (a
// game of the local table found there, name and score), and a line on the
// last game sent; or one line saying why there is no board (off, no server,
// offline, refused and why).
#include <cstdint>
#include <string>
#include <vector>

#include "core/draw_entry.h"
#include "frontend/records_table.h"

namespace dw {

class GameContext;
class MyObject;

class OnlinePage {
public:
    static constexpr int kRows = RecordTable::kPlaces;
    static constexpr int kLineGlyphs = 34;

    // Asks the server for its board (when the page is turned to).
    void Open(GameContext& c);
    // Lays the page out again, on the screen of `owner`, when the board or
    // the last game sent changed (or `force`); true when it did.
    bool Update(const MyObject& owner, const RecordTable& local, bool force = false);
    void Render(GameContext* ctx) const;

    // What the page shows: the rows' names and scores (empty rows are
    // empty), the two lines under them.
    std::string rowName[kRows];
    std::uint32_t rowScore[kRows] = {};
    bool rowOwn[kRows] = {};  // a game of the local table
    int rows = 0;
    std::string line1, line2;

private:
    void Layout(const MyObject& owner);
    int Text(const MyObject& owner, int at, float x, float top, float w, float h, float advance,
             const std::string& text, std::uint32_t colour);

    std::uint32_t generation_ = ~0u;
    std::string lastSendShown_ = "?";
    std::vector<ScreenVertex> glyphs_;
    int glyphCount_ = 0;
};

// A line of at most `most` characters: a longer one is cut (at a word's
// end where it can be) and ends in "...".
std::string FitLine(const std::string& text, std::size_t most);

}  // namespace dw
