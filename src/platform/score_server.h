#pragma once
// The game's side of the score server: the games whose names were saved into
// the high-score table are sent as their replays (the server plays them
// again and lists only what the game itself scored), and the server's board
// is fetched for the high-score screen's online page.
//
// Nothing is sent unless online scores are on and a server is set. A game to
// send is first written to the outbox folder, and leaves it only when the
// server answered (taken, or refused for good): a game closed while sending
// or a server that cannot be reached leaves it there, and the next start
// (or turning online scores on) sends it, once.
//
// Every call is made on the main thread and returns at once; the answers
// arrive in the background.
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/http_client.h"

namespace platform {

// One line of the server's board.
struct OnlineScore {
    std::string id;  // a number or a text, as the server gives it
    std::string name;
    std::uint32_t score = 0;
    std::int32_t level = 0;
    std::string date;
};

// The server's answers, read from untrusted bytes: nullopt for anything but
// the documented shape (a wrong type, a missing field, a number out of
// range, text that is not JSON). A list longer than kMaxBoard is cut.
inline constexpr std::size_t kMaxBoard = 100;
std::optional<std::vector<OnlineScore>> ParseScoreList(std::string_view json);
struct SubmitAnswer {
    std::string id;
    std::uint32_t score = 0;
    std::int32_t level = 0;
    std::uint64_t frames = 0;
};
std::optional<SubmitAnswer> ParseSubmitAnswer(std::string_view json);
// The reason of a refusal ({"error": "..."}), empty when there is none.
std::string ParseRefusal(std::string_view json);

// An outbox entry: the name typed and the demo's bytes, in one file.
std::string EncodeOutboxEntry(const std::string& name, const std::string& demo);
bool DecodeOutboxEntry(std::string_view bytes, std::string& name, std::string& demo);

// The server's address as a URL prefix: "host:port" gets "http://", a
// trailing '/' goes. Empty when it is empty or holds spaces or control
// characters.
std::string ServerUrl(const std::string& address);

class ScoreServer {
public:
    struct Config {
        bool on = false;
        std::string server;  // the address as settings.ini holds it
        bool operator==(const Config&) const = default;
    };
    enum class BoardState { Off, NoServer, Unavailable, Asking, Shown, Unreachable, Refused, NotUnderstood };
    struct Board {
        BoardState state = BoardState::Off;
        std::vector<OnlineScore> scores;
        std::string detail;            // the reason of a refusal, why it was unreachable
        std::uint32_t generation = 0;  // grows with every change
    };
    enum class SendState { None, Sending, Taken, Refused, Kept };
    struct LastSend {
        SendState state = SendState::None;
        std::uint32_t score = 0;  // the score the server's replay gave (Taken)
        std::string detail;       // the reason (Refused)
    };

    // Entries of the outbox larger than this are not read.
    static constexpr std::size_t kMaxEntryBytes = 32u << 20;

    // `outboxDir` is made when the first game is put there.
    ScoreServer(std::unique_ptr<HttpClient> http, std::string outboxDir);
    ~ScoreServer();
    ScoreServer(const ScoreServer&) = delete;
    ScoreServer& operator=(const ScoreServer&) = delete;

    // The settings: the first time they are on with a server, the outbox
    // is sent.
    void Configure(const Config& config);
    const Config& config() const { return config_; }

    // A name was saved into the table with this game: it goes to the outbox
    // and to the server. False (and nothing written) when off, without a
    // server, or in a build that cannot send.
    bool Submit(const std::string& name, const std::string& demo);
    // Asks for the board (the best kMaxBoard).
    void RequestBoard();

    Board board() const;
    LastSend lastSend() const;
    // The outbox entries waiting (file names).
    std::vector<std::string> Outbox() const;

private:
    bool Sending() const { return config_.on && !url_.empty() && available_; }
    void SendEntry(const std::string& file, const std::string& name, const std::string& demo);
    void SendOutbox();
    void Answered(const std::string& file, const HttpResponse& r);

    std::unique_ptr<HttpClient> http_;
    std::string outbox_;
    bool available_;
    Config config_;
    std::string url_;
    bool outboxSent_ = false;
    unsigned entries_ = 0;  // games put in the outbox by this run

    mutable std::mutex mutex_;  // what the answers change
    Board board_;
    LastSend last_;
    std::set<std::string> inFlight_;
};

// The line the online page shows for a board that lists nothing.
std::string BoardLine(const ScoreServer::Board& board);

}  // namespace platform
