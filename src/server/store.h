#pragma once
// Where the score server keeps its games: one small interface over SQLite
// (`sqlite:PATH`, one file in WAL mode) and PostgreSQL (`postgresql://...`
// or `postgres://...`, through libpq). Each store brings its schema up to the
// newest version when it opens (the versioned migrations of migrations.h,
// each in a transaction of its own). Every call is safe from any thread.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dw::server {

// A game on the board.
struct BoardEntry {
    std::int64_t id = 0;
    std::string name;
    std::uint32_t score = 0;
    std::uint32_t level = 0;  // the level reached, counted from 1
    std::uint64_t frames = 0;
    std::int64_t date = 0;  // when it was accepted, seconds since 1970 (UTC)
};

// A verified game to keep, with its demo whole.
struct NewGame {
    BoardEntry entry;        // id ignored
    std::string address;     // the submitter's address
    std::string sha256;      // of the demo's bytes
    std::string gameSha256;  // of the demo cut where its game was over
    std::string demo;
};

enum class AddResult { Added, Duplicate, Failed };

class Store {
public:
    virtual ~Store() = default;
    // The schema version the store is at.
    virtual int SchemaVersion() = 0;
    // Keeps a game; Duplicate when a demo with either hash is kept already.
    virtual AddResult Add(const NewGame& game, std::int64_t& id, std::string& error) = 0;
    // Whether a demo or a game with this hash is kept (a quick refusal
    // before the replay; Add still decides).
    virtual bool Contains(const std::string& sha256, bool& found, std::string& error) = 0;
    // The best `limit` games, best first (equal scores: the earlier first).
    virtual bool Top(int limit, std::vector<BoardEntry>& out, std::string& error) = 0;
    // The demo of game `id`; `found` false when there is none.
    virtual bool DemoOf(std::int64_t id, std::string& bytes, bool& found, std::string& error) = 0;
};

// Opens (creating it when needed) the store a URL names: `sqlite:PATH`, or
// a PostgreSQL connection string (`postgresql://...`, `postgres://...`).
// Null with the reason in `error`.
std::unique_ptr<Store> OpenStore(const std::string& url, std::string& error);

std::unique_ptr<Store> OpenSqliteStore(const std::string& path, std::string& error);
std::unique_ptr<Store> OpenPostgresStore(const std::string& conninfo, std::string& error);

}  // namespace dw::server
