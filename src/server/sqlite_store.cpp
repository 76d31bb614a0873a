// The store in one SQLite file (WAL mode), one connection behind a lock.
#include <sqlite3.h>

#include <mutex>

#include "server/migrations.h"
#include "server/store.h"

namespace dw::server {

namespace {

class Statement {
public:
    Statement(sqlite3* db, const char* sql) { ok_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) == SQLITE_OK; }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool ok() const { return ok_; }
    sqlite3_stmt* get() const { return stmt_; }
    void Text(int i, const std::string& s) {
        sqlite3_bind_text(stmt_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }
    void Blob(int i, const std::string& s) {
        sqlite3_bind_blob(stmt_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }
    void Int(int i, std::int64_t v) { sqlite3_bind_int64(stmt_, i, v); }
    int Step() { return sqlite3_step(stmt_); }
    std::int64_t ColumnInt(int i) const { return sqlite3_column_int64(stmt_, i); }
    std::string ColumnText(int i) const {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt_, i));
        return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i))) : std::string();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
    bool ok_ = false;
};

class SqliteStore final : public Store {
public:
    explicit SqliteStore(sqlite3* db) : db_(db) {}
    ~SqliteStore() override { sqlite3_close(db_); }
    SqliteStore(const SqliteStore&) = delete;
    SqliteStore& operator=(const SqliteStore&) = delete;

    bool Open(std::string& error) {
        sqlite3_busy_timeout(db_, 5000);
        if (!Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;", error)) return false;
        if (!Exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL);", error)) return false;
        for (const Migration& m : Migrations()) {
            if (m.version <= Version()) continue;
            std::string sql = "BEGIN IMMEDIATE;";
            sql += m.sqlite;
            sql += "DELETE FROM schema_version; INSERT INTO schema_version VALUES (" + std::to_string(m.version) +
                "); COMMIT;";
            if (!Exec(sql.c_str(), error)) {
                Exec("ROLLBACK;", error);
                error.insert(0, "schema version " + std::to_string(m.version) + ": ");
                return false;
            }
        }
        return true;
    }

    int SchemaVersion() override {
        std::lock_guard lock(mutex_);
        return Version();
    }

    AddResult Add(const NewGame& g, std::int64_t& id, std::string& error) override {
        std::lock_guard lock(mutex_);
        Statement s(db_,
                    "INSERT INTO games (name, score, level, frames, created, address, sha256, game_sha256, demo)"
                    " SELECT ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9 WHERE NOT EXISTS (SELECT 1 FROM games WHERE"
                    " sha256 IN (?7, ?8) OR game_sha256 IN (?7, ?8))");
        if (!s.ok()) return Fail(error);
        s.Text(1, g.entry.name);
        s.Int(2, g.entry.score);
        s.Int(3, g.entry.level);
        s.Int(4, static_cast<std::int64_t>(g.entry.frames));
        s.Int(5, g.entry.date);
        s.Text(6, g.address);
        s.Text(7, g.sha256);
        s.Text(8, g.gameSha256);
        s.Blob(9, g.demo);
        const int rc = s.Step();
        if (rc == SQLITE_CONSTRAINT) return AddResult::Duplicate;
        if (rc != SQLITE_DONE) return Fail(error);
        if (sqlite3_changes(db_) == 0) return AddResult::Duplicate;
        id = sqlite3_last_insert_rowid(db_);
        return AddResult::Added;
    }

    bool Contains(const std::string& sha256, bool& found, std::string& error) override {
        std::lock_guard lock(mutex_);
        Statement s(db_, "SELECT 1 FROM games WHERE sha256 = ?1 OR game_sha256 = ?1 LIMIT 1");
        if (!s.ok()) return Error(error);
        s.Text(1, sha256);
        const int rc = s.Step();
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) return Error(error);
        found = rc == SQLITE_ROW;
        return true;
    }

    bool Top(int limit, std::vector<BoardEntry>& out, std::string& error) override {
        std::lock_guard lock(mutex_);
        Statement s(db_, "SELECT id, name, score, level, frames, created FROM games ORDER BY score DESC, id LIMIT ?1");
        if (!s.ok()) return Error(error);
        s.Int(1, limit);
        out.clear();
        int rc = 0;
        while ((rc = s.Step()) == SQLITE_ROW) {
            BoardEntry e;
            e.id = s.ColumnInt(0);
            e.name = s.ColumnText(1);
            e.score = static_cast<std::uint32_t>(s.ColumnInt(2));
            e.level = static_cast<std::uint32_t>(s.ColumnInt(3));
            e.frames = static_cast<std::uint64_t>(s.ColumnInt(4));
            e.date = s.ColumnInt(5);
            out.push_back(std::move(e));
        }
        return rc == SQLITE_DONE || Error(error);
    }

    bool DemoOf(std::int64_t id, std::string& bytes, bool& found, std::string& error) override {
        std::lock_guard lock(mutex_);
        Statement s(db_, "SELECT demo FROM games WHERE id = ?1");
        if (!s.ok()) return Error(error);
        s.Int(1, id);
        const int rc = s.Step();
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) return Error(error);
        found = rc == SQLITE_ROW;
        bytes = found ? s.ColumnText(0) : std::string();
        return true;
    }

private:
    // Set `error` to SQLite's message.
    AddResult Fail(std::string& error) const {
        error = sqlite3_errmsg(db_);
        return AddResult::Failed;
    }
    bool Error(std::string& error) const {
        error = sqlite3_errmsg(db_);
        return false;
    }
    bool Exec(const char* sql, std::string& error) {
        char* message = nullptr;
        if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
        error = message ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        return false;
    }
    int Version() {
        Statement s(db_, "SELECT MAX(version) FROM schema_version");
        return s.ok() && s.Step() == SQLITE_ROW ? static_cast<int>(s.ColumnInt(0)) : 0;
    }

    sqlite3* db_;
    std::mutex mutex_;
};

}  // namespace

std::unique_ptr<Store> OpenSqliteStore(const std::string& path, std::string& error) {
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        error = path + ": " + (db ? sqlite3_errmsg(db) : "cannot open");
        sqlite3_close(db);
        return nullptr;
    }
    auto store = std::make_unique<SqliteStore>(db);
    if (!store->Open(error)) {
        error = path + ": " + error;
        return nullptr;
    }
    return store;
}

}  // namespace dw::server
