#include "frontend/online_page.h"

#include <algorithm>

#include "core/game_context.h"
#include "engine/my_object.h"
#include "frontend/ui_common.h"
#include "assets/asset_names.h"
#include "media/glyph_text.h"
#include "platform/score_server.h"

namespace dw {

namespace {

using platform::ScoreServer;

constexpr float kZ = 0.5f;
constexpr int kMaxGlyphs = OnlinePage::kRows * (16 + 7) + 2 * OnlinePage::kLineGlyphs;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu, kOwn = 0xFF90FF90u, kLine = 0xFFB8DCFFu;

float RowTop(int r) { return 0.09f * static_cast<float>(r) - 0.35f; }

std::string SendLine(const ScoreServer::LastSend& s) {
    switch (s.state) {
        case ScoreServer::SendState::None: return {};
        case ScoreServer::SendState::Sending: return "Sending your game...";
        case ScoreServer::SendState::Taken: return "Your game is on the board: " + std::to_string(s.score);
        case ScoreServer::SendState::Refused:
            return "Not taken: " + (s.detail.empty() ? std::string("no reason given") : s.detail);
        case ScoreServer::SendState::Kept: return "Your game will be sent later";
    }
    return {};
}

std::string Ordinal(std::size_t n) {
    const char* suffix = "th";
    if (n % 100 < 11 || n % 100 > 13) {
        if (n % 10 == 1) suffix = "st";
        if (n % 10 == 2) suffix = "nd";
        if (n % 10 == 3) suffix = "rd";
    }
    return std::to_string(n) + suffix;
}

// Whether a listed game is one of the local table's (the player's own).
bool IsOwn(const platform::OnlineScore& entry, const RecordTable& local) {
    for (int p = 0; p < RecordTable::kPlaces; ++p)
        if (entry.score == local.scores[p] && entry.name == local.names[p]) return true;
    return false;
}

// The place (1 is the first) of the player's best listed game, 0 when none is.
std::size_t BestOwnPlace(const std::vector<platform::OnlineScore>& scores, const RecordTable& local) {
    for (std::size_t i = 0; i < scores.size(); ++i)
        if (IsOwn(scores[i], local)) return i + 1;
    return 0;
}

}  // namespace

std::string FitLine(const std::string& text, std::size_t most) {
    if (text.size() <= most) return text;
    std::size_t cut = most > 3 ? most - 3 : 0;
    // At a word's end when there is one in the second half.
    const std::size_t space = text.rfind(' ', cut);
    if (space != std::string::npos && space > most / 2) cut = space;
    return text.substr(0, cut) + "...";
}

void OnlinePage::Open(GameContext& c) {
    if (ScoreServer* scores = c.scoreServer()) scores->RequestBoard();
    generation_ = ~0u;
}

bool OnlinePage::Update(const MyObject& owner, const RecordTable& local, bool force) {
    const GameContext& c = *owner.context;
    const ScoreServer* scores = c.scoreServer();
    ScoreServer::Board board;
    std::string sent;
    if (scores) {
        board = scores->board();
        sent = SendLine(scores->lastSend());
    }
    if (!force && board.generation == generation_ && sent == lastSendShown_ && scores) return false;
    generation_ = board.generation;
    lastSendShown_ = sent;

    rows = 0;
    for (int r = 0; r < kRows; ++r) {
        rowName[r].clear();
        rowScore[r] = 0;
        rowOwn[r] = false;
    }
    line1.clear();
    if (!scores) {
        // This run sends nothing (a replay, a test, a headless run).
        line1 = c.online.on ? "Online scores are not sent in this run" : BoardLine(ScoreServer::Board{});
    } else if (board.state != ScoreServer::BoardState::Shown || board.scores.empty()) {
        line1 = BoardLine(board);
    }
    // The player's own games: those of the local table the server lists.
    const std::size_t best = BestOwnPlace(board.scores, local);
    for (std::size_t i = 0; i < board.scores.size() && rows < kRows; ++i, ++rows) {
        rowName[rows] = board.scores[i].name.substr(0, 16);
        rowScore[rows] = std::min(board.scores[i].score, RecordTable::kScoreCap);
        rowOwn[rows] = IsOwn(board.scores[i], local);
    }
    if (line1.empty())
        line1 = best ? "Your best place: " + Ordinal(best)
                     : "Not in the top " + std::to_string(std::min(board.scores.size(), platform::kMaxBoard)) + " yet";
    line1 = FitLine(line1, kLineGlyphs);
    // Without a game sent, the second line says whose board this is.
    line2 = FitLine(sent.empty() ? std::string("Online: the score server's best") : sent, kLineGlyphs);
    Layout(owner);
    return true;
}

int OnlinePage::Text(const MyObject& owner, int at, float x, float top, float w, float h, float advance,
                     const std::string& text, std::uint32_t colour) {
    const int n = std::min(static_cast<int>(text.size()), kMaxGlyphs - at);
    if (n <= 0) return at;
    ScreenVertex* q = glyphs_.data() + 6 * at;
    for (int i = 0; i < n; ++i) {
        const float gx = x + advance * static_cast<float>(i);
        owner.SetQuadScreen(q + 6 * i, gx, gx + w, top, top + h, 0, 0, 0, 0);
    }
    ui::PrepareQuads(q, n, kZ, colour);
    ClearGlyphs(q, static_cast<std::uint32_t>(n));
    SetGlyphText(q, text.substr(0, static_cast<std::size_t>(n)).c_str());
    return at + n;
}

void OnlinePage::Layout(const MyObject& owner) {
    glyphs_.assign(6 * kMaxGlyphs, ScreenVertex{});
    int at = 0;
    // The rows as the table's own: names from the left, scores to the right.
    for (int r = 0; r < rows; ++r) {
        const std::uint32_t colour = rowOwn[r] ? kOwn : kWhite;
        at = Text(owner, at, 0.158f, RowTop(r), 0.032f, 0.06f, 0.022f, rowName[r], colour);
        const std::string digits = std::to_string(rowScore[r]);
        const float x = 0.533f + 0.022f * static_cast<float>(7 - static_cast<int>(digits.size()));
        at = Text(owner, at, x, RowTop(r), 0.032f, 0.06f, 0.022f, digits, colour);
    }
    at = Text(owner, at, 0.158f, 0.36f, 0.026f, 0.05f, 0.016f, line1, kLine);
    at = Text(owner, at, 0.158f, 0.43f, 0.026f, 0.05f, 0.016f, line2, kLine);
    glyphCount_ = at;
}

void OnlinePage::Render(GameContext* ctx) const {
    if (glyphCount_ > 0)
        ui::SubmitSprites(ctx, asset::SymbolMid, glyphs_.data(), static_cast<std::uint32_t>(2 * glyphCount_), 2.58f);
}

}  // namespace dw
