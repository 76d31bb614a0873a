#pragma once
// The schema of the score server's store, one step per version. A store at
// version N runs the steps above N in order, each with the new version in
// one transaction, so a store is never left half-migrated. A new step goes
// at the end; a step once released is never edited.
#include <span>

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

}  // namespace dw::server
