#include "server/board_page.h"

#include <ctime>

namespace dw::server {

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string EscapeUrlPart(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '-' || u == '.' ||
            u == '_' || u == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    return out;
}

std::string FormatDate(std::int64_t seconds, bool iso) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, iso ? "%Y-%m-%dT%H:%M:%SZ" : "%Y-%m-%d %H:%M UTC", &tm);
    return text;
}

std::string BoardPage(const std::vector<BoardEntry>& games, const std::string& playUrl, const std::string& demoBase) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>Duskwhirl 2: online scores</title>\n<style>\n"
        "body{background:#0b0d1a;color:#d8dcf0;font-family:sans-serif;margin:2em auto;max-width:48em}\n"
        "h1{font-weight:normal}table{border-collapse:collapse;width:100%}\n"
        "th,td{padding:.3em .6em;text-align:left}tr:nth-child(even){background:#151a30}\n"
        "td.score,td.level,th.score,th.level{text-align:right}a{color:#8fb4ff}\n"
        "</style>\n</head>\n<body>\n<h1>Duskwhirl 2: online scores</h1>\n"
        "<p>Every game here was replayed by the server from its demo: the score is the one the game itself "
        "made.</p>\n";
    if (games.empty()) {
        page += "<p id=\"empty\">No game yet.</p>\n";
    } else {
        page +=
            "<table id=\"board\">\n<thead><tr><th>#</th><th>Name</th><th class=\"score\">Score</th>"
            "<th class=\"level\">Level</th><th>Date</th><th></th></tr></thead>\n<tbody>\n";
        int place = 0;
        for (const BoardEntry& g : games) {
            const std::string demo = demoBase + "/api/v1/games/" + std::to_string(g.id) + "/demo";
            page += "<tr><td>" + std::to_string(++place) + "</td><td class=\"name\">" + EscapeHtml(g.name) +
                "</td><td class=\"score\">" + std::to_string(g.score) + "</td><td class=\"level\">" +
                std::to_string(g.level) + "</td><td class=\"date\">" + FormatDate(g.date, false) +
                "</td><td><a class=\"watch\" href=\"" + EscapeHtml(playUrl + "#replay=" + EscapeUrlPart(demo)) +
                "\">watch</a></td></tr>\n";
        }
        page += "</tbody>\n</table>\n";
    }
    page += "</body>\n</html>\n";
    return page;
}

}  // namespace dw::server
