#include "platform/score_server.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <limits>
#include <random>
#include <system_error>
#include <utility>

#include <nlohmann/json.hpp>

#include "platform/services.h"
#include "platform/stored_file.h"

namespace platform {

namespace {

using Json = nlohmann::json;

constexpr int kMaxDepth = 16;
constexpr std::size_t kMaxText = 256;  // a name, a date, a reason
constexpr char kEntryMagic[] = "DWSUBMIT1\n";
constexpr char kEntrySuffix[] = ".dwsub";

// Deeper nesting than any answer has is refused before it is parsed.
bool ShallowEnough(std::string_view text) {
    int depth = 0;
    bool inString = false, escaped = false;
    for (const char ch : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (ch == '\\')
                escaped = true;
            else if (ch == '"')
                inString = false;
        } else if (ch == '"') {
            inString = true;
        } else if (ch == '[' || ch == '{') {
            if (++depth > kMaxDepth) return false;
        } else if (ch == ']' || ch == '}') {
            --depth;
        }
    }
    return true;
}

Json ParseJson(std::string_view text) {
    if (text.size() > HttpClient::kMaxAnswerBytes || !ShallowEnough(text)) return Json(Json::value_t::discarded);
    return Json::parse(text.begin(), text.end(), nullptr, false);
}

std::optional<std::int64_t> IntIn(const Json& object, const char* key, std::int64_t lo, std::int64_t hi) {
    const auto it = object.find(key);
    if (it == object.end()) return std::nullopt;
    if (it->is_number_unsigned()) {
        const auto v = it->get<std::uint64_t>();
        if (v > static_cast<std::uint64_t>(hi)) return std::nullopt;
        return static_cast<std::int64_t>(v) >= lo ? std::optional<std::int64_t>(static_cast<std::int64_t>(v))
                                                  : std::nullopt;
    }
    if (it->is_number_integer()) {
        const auto v = it->get<std::int64_t>();
        if (v < lo || v > hi) return std::nullopt;
        return v;
    }
    return std::nullopt;
}

std::optional<std::string> TextOf(const Json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string()) return std::nullopt;
    const auto& text = it->get_ref<const std::string&>();
    if (text.size() > kMaxText) return std::nullopt;
    return text;
}

// An id: a number or a short text.
std::optional<std::string> IdOf(const Json& object) {
    if (auto text = TextOf(object, "id")) return text;
    if (auto n =
            IntIn(object, "id", std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()))
        return std::to_string(*n);
    return std::nullopt;
}

std::optional<OnlineScore> ScoreOf(const Json& line) {
    if (!line.is_object()) return std::nullopt;
    OnlineScore s;
    const auto id = IdOf(line);
    const auto name = TextOf(line, "name");
    const auto score = IntIn(line, "score", 0, std::numeric_limits<std::uint32_t>::max());
    const auto level = IntIn(line, "level", 0, 1000);
    if (!id || !name || !score || !level) return std::nullopt;
    s.id = *id;
    s.name = *name;
    s.score = static_cast<std::uint32_t>(*score);
    s.level = static_cast<std::int32_t>(*level);
    // The date is shown as given; a number (seconds) is kept as its digits.
    if (auto date = TextOf(line, "date"))
        s.date = *date;
    else if (auto secs = IntIn(line, "date", 0, std::numeric_limits<std::int64_t>::max()))
        s.date = std::to_string(*secs);
    else
        return std::nullopt;
    return s;
}

bool IsEntryName(const std::string& name) {
    const std::size_t n = sizeof kEntrySuffix - 1;
    return name.size() > n && name.compare(name.size() - n, n, kEntrySuffix) == 0 && name[0] != '.';
}

}  // namespace

std::optional<std::vector<OnlineScore>> ParseScoreList(std::string_view json) {
    const Json doc = ParseJson(json);
    if (!doc.is_object()) return std::nullopt;
    const auto it = doc.find("scores");
    if (it == doc.end() || !it->is_array()) return std::nullopt;
    std::vector<OnlineScore> scores;
    for (const Json& line : *it) {
        auto s = ScoreOf(line);
        if (!s) return std::nullopt;
        if (scores.size() < kMaxBoard) scores.push_back(std::move(*s));
    }
    return scores;
}

std::optional<SubmitAnswer> ParseSubmitAnswer(std::string_view json) {
    const Json doc = ParseJson(json);
    if (!doc.is_object()) return std::nullopt;
    const auto id = IdOf(doc);
    const auto score = IntIn(doc, "score", 0, std::numeric_limits<std::uint32_t>::max());
    const auto level = IntIn(doc, "level", 0, 1000);
    const auto frames = IntIn(doc, "frames", 0, std::numeric_limits<std::int64_t>::max());
    if (!id || !score || !level || !frames) return std::nullopt;
    return SubmitAnswer{*id, static_cast<std::uint32_t>(*score), static_cast<std::int32_t>(*level),
                        static_cast<std::uint64_t>(*frames)};
}

std::string ParseRefusal(std::string_view json) {
    const Json doc = ParseJson(json);
    if (!doc.is_object()) return {};
    return TextOf(doc, "error").value_or(std::string());
}

std::string EncodeOutboxEntry(const std::string& name, const std::string& demo) {
    return kEntryMagic + name + '\n' + demo;
}

bool DecodeOutboxEntry(std::string_view bytes, std::string& name, std::string& demo) {
    const std::string_view magic(kEntryMagic);
    if (bytes.substr(0, magic.size()) != magic) return false;
    bytes.remove_prefix(magic.size());
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos || end > kMaxText) return false;
    name.assign(bytes.substr(0, end));
    demo.assign(bytes.substr(end + 1));
    return !demo.empty();
}

std::string ServerUrl(const std::string& address) {
    std::string url = address;
    for (const char ch : url)
        if (static_cast<unsigned char>(ch) <= ' ' || ch == 0x7F) return {};
    while (!url.empty() && url.back() == '/') url.pop_back();
    if (url.empty()) return {};
    if (url.find("://") == std::string::npos) url = "http://" + url;
    return url;
}

std::string BoardLine(const ScoreServer::Board& board) {
    using S = ScoreServer::BoardState;
    switch (board.state) {
        case S::Off: return "Online scores are off (Options)";
        case S::NoServer: return "No score server is set";
        case S::Unavailable: return "Not available in this build";
        case S::Asking: return "Asking the score server...";
        case S::Shown: return board.scores.empty() ? "No games on the board yet" : "";
        case S::Unreachable: return "Cannot reach the score server";
        case S::Refused: return "Refused: " + (board.detail.empty() ? std::string("no reason given") : board.detail);
        case S::NotUnderstood: return "The server's answer is unreadable";
    }
    return {};
}

ScoreServer::ScoreServer(std::unique_ptr<HttpClient> http, std::string outboxDir)
    : http_(std::move(http)), outbox_(std::move(outboxDir)), available_(http_->Unavailable().empty()) {}

ScoreServer::~ScoreServer() {
    // Requests under way are cancelled (their games stay in the outbox) and
    // answered before the rest goes.
    http_.reset();
}

void ScoreServer::Configure(const Config& config) {
    if (config == config_) return;
    config_ = config;
    url_ = ServerUrl(config.server);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        board_.state = BoardState::Off;
        board_.scores.clear();
        ++board_.generation;
    }
    if (Sending() && !outboxSent_) {
        outboxSent_ = true;
        SendOutbox();
    }
}

std::vector<std::string> ScoreServer::Outbox() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& e : std::filesystem::directory_iterator(outbox_, error)) {
        const std::string name = e.path().filename().string();
        if (IsEntryName(name)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void ScoreServer::SendOutbox() {
    for (const std::string& file : Outbox()) {
        std::string bytes, name, demo;
        const std::string path = FileIn(outbox_, file);
        if (ReadStoredFile(path, bytes, kMaxEntryBytes) != ReadResult::Read) continue;
        if (!DecodeOutboxEntry(bytes, name, demo)) {
            std::fprintf(stderr, "duskwhirl: %s is no game to send; it is removed\n", path.c_str());
            std::remove(path.c_str());
            continue;
        }
        SendEntry(file, name, demo);
    }
}

bool ScoreServer::Submit(const std::string& name, const std::string& demo) {
    if (!Sending() || demo.empty()) return false;
    // The file name: the time and a count (the outbox is sent in order) and
    // a random part, so that two copies of the game never write the same entry.
    char stamp[32] = {};
    const std::time_t now = std::time(nullptr);
    if (const std::tm* tm = std::gmtime(&now)) std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", tm);
    char rest[32] = {};
    std::snprintf(rest, sizeof rest, "-%06u-%08x", ++entries_, static_cast<unsigned>(std::random_device{}()));
    const std::string file = std::string(stamp) + rest + kEntrySuffix;
    if (!MakeDirs(outbox_) ||
        ReplaceFile(FileIn(outbox_, file), EncodeOutboxEntry(name, demo)) != StoreResult::Written) {
        std::fprintf(stderr, "duskwhirl: cannot write the game to send into %s\n", outbox_.c_str());
        return false;
    }
    SendEntry(file, name, demo);
    return true;
}

void ScoreServer::SendEntry(const std::string& file, const std::string& name, const std::string& demo) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!inFlight_.insert(file).second) return;
        last_ = LastSend{SendState::Sending, 0, {}};
    }
    HttpRequest request;
    request.method = "POST";
    request.url = url_ + "/api/v1/games?name=" + UrlEncode(name);
    request.contentType = "application/octet-stream";
    request.body = demo;
    http_->Send(std::move(request), [this, file](const HttpResponse& r) { Answered(file, r); });
}

void ScoreServer::Answered(const std::string& file, const HttpResponse& r) {
    std::lock_guard<std::mutex> lock(mutex_);
    inFlight_.erase(file);
    if (r.cancelled) return;  // the program closes: the game stays for the next start
    // Taken, or refused for good (4xx): the game leaves the outbox. A server
    // that fails or cannot be reached leaves it for the next start.
    const bool final = r.status >= 200 && r.status < 500;
    if (!final) {
        last_ = LastSend{SendState::Kept, 0, r.status ? "status " + std::to_string(r.status) : r.error};
        return;
    }
    std::remove(FileIn(outbox_, file).c_str());
    if (r.status >= 200 && r.status < 300) {
        const auto answer = ParseSubmitAnswer(r.body);
        last_ = LastSend{SendState::Taken, answer ? answer->score : 0, {}};
    } else {
        last_ = LastSend{SendState::Refused, 0, ParseRefusal(r.body)};
    }
}

void ScoreServer::RequestBoard() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++board_.generation;
        board_.scores.clear();
        board_.detail.clear();
        if (!config_.on) {
            board_.state = BoardState::Off;
        } else if (url_.empty()) {
            board_.state = BoardState::NoServer;
        } else if (!available_) {
            board_.state = BoardState::Unavailable;
        } else {
            board_.state = BoardState::Asking;
        }
        if (board_.state != BoardState::Asking) return;
    }
    HttpRequest request;
    request.url = url_ + "/api/v1/scores?limit=" + std::to_string(kMaxBoard);
    http_->Send(std::move(request), [this](const HttpResponse& r) {
        if (r.cancelled) return;
        std::lock_guard<std::mutex> lock(mutex_);
        ++board_.generation;
        if (r.status == 0) {
            board_.state = BoardState::Unreachable;
            board_.detail = r.error;
        } else if (r.status != 200) {
            board_.state = BoardState::Refused;
            board_.detail = ParseRefusal(r.body);
            if (board_.detail.empty()) board_.detail = "status " + std::to_string(r.status);
        } else if (auto scores = ParseScoreList(r.body)) {
            board_.state = BoardState::Shown;
            board_.scores = std::move(*scores);
        } else {
            board_.state = BoardState::NotUnderstood;
        }
    });
}

ScoreServer::Board ScoreServer::board() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return board_;
}

ScoreServer::LastSend ScoreServer::lastSend() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return last_;
}

}  // namespace platform
