#pragma once
// The schema of the score server's store, one step per version. A store at
// version N runs the steps above N in order, each with the new version in
// one transaction, so a store is never left half-migrated. A new step goes
// at the end; a step once released is never edited.
#include <functional>
#include <span>
#include <string>

namespace dw::server {

struct Migration {
    int version;
    const char* sqlite;    // statements for SQLite
    const char* postgres;  // the same for PostgreSQL
};

// clang-format off: statements laid out as SQL
inline constexpr Migration kMigrations[] = {
    {1,
     "CREATE TABLE games ("
     " id INTEGER PRIMARY KEY AUTOINCREMENT,"
     " name TEXT NOT NULL,"
     " score INTEGER NOT NULL,"
     " level INTEGER NOT NULL,"
     " frames INTEGER NOT NULL,"
     " created INTEGER NOT NULL,"
     " address TEXT NOT NULL,"
     " sha256 TEXT NOT NULL UNIQUE,"
     " game_sha256 TEXT NOT NULL UNIQUE,"
     " demo BLOB NOT NULL);"
     "CREATE INDEX games_best ON games (score DESC, id);",
     "CREATE TABLE games ("
     " id BIGSERIAL PRIMARY KEY,"
     " name TEXT NOT NULL,"
     " score BIGINT NOT NULL,"
     " level INTEGER NOT NULL,"
     " frames BIGINT NOT NULL,"
     " created BIGINT NOT NULL,"
     " address TEXT NOT NULL,"
     " sha256 TEXT NOT NULL UNIQUE,"
     " game_sha256 TEXT NOT NULL UNIQUE,"
     " demo BYTEA NOT NULL);"
     "CREATE INDEX games_best ON games (score DESC, id);"},
};
// clang-format on

inline std::span<const Migration> Migrations() { return kMigrations; }

// What a store gives the migration: `run` runs statements (false with the
// error), `version` reads the version inside the open transaction.
struct MigrationTarget {
    std::function<bool(const std::string& sql, std::string& error)> run;
    std::function<int()> version;
    const char* begin;  // opens a transaction that two servers starting at once take in turn
    bool postgres;
};

// Brings a store to the newest schema, one transaction a step.
inline bool Migrate(const MigrationTarget& t, std::string& error) {
    if (!t.run("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)", error)) return false;
    for (const Migration& m : Migrations()) {
        if (!t.run(t.begin, error)) return false;
        if (m.version <= t.version()) {
            if (!t.run("COMMIT", error)) return false;
            continue;
        }
        const std::string sql = std::string(t.postgres ? m.postgres : m.sqlite) +
            "; DELETE FROM schema_version; INSERT INTO schema_version VALUES (" + std::to_string(m.version) +
            "); COMMIT";
        if (!t.run(sql, error)) {
            std::string ignored;
            t.run("ROLLBACK", ignored);
            error.insert(0, "schema version " + std::to_string(m.version) + ": ");
            return false;
        }
    }
    return true;
}

}  // namespace dw::server
