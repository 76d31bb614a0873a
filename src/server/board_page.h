#pragma once
// The leaderboard page: the games of the board in a table, with a "watch"
// link that opens the browser build with the game's demo (#replay=URL).
#include <string>
#include <string_view>
#include <vector>

#include "server/store.h"

namespace dw::server {

// `text` with & < > " ' written as character references.
std::string EscapeHtml(std::string_view text);
// `text` with every byte but the unreserved ones written as %XX.
std::string EscapeUrlPart(std::string_view text);
// A date as "YYYY-MM-DD HH:MM UTC" (`iso`: "YYYY-MM-DDTHH:MM:SSZ").
std::string FormatDate(std::int64_t seconds, bool iso);

// `demoBase`: the address the demos are fetched from ("" for this site's
// own, "https://scores.example" for an absolute one).
std::string BoardPage(const std::vector<BoardEntry>& games, const std::string& playUrl, const std::string& demoBase);

}  // namespace dw::server
