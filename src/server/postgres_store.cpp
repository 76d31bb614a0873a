// The store on a PostgreSQL server through libpq: one connection behind a
// lock, parameters always sent apart from the statement's text, the demo as
// binary. A lost connection is opened again once per call.
#include <libpq-fe.h>

#include <memory>
#include <mutex>

#include "server/migrations.h"
#include "server/store.h"

namespace dw::server {

namespace {

struct ResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

// SQLSTATE of a unique key violated.
constexpr char kUniqueViolation[] = "23505";

class PostgresStore final : public Store {
public:
    explicit PostgresStore(std::string conninfo) : conninfo_(std::move(conninfo)) {}
    ~PostgresStore() override {
        if (conn_) PQfinish(conn_);
    }
    PostgresStore(const PostgresStore&) = delete;
    PostgresStore& operator=(const PostgresStore&) = delete;

    bool Open(std::string& error) {
        std::lock_guard lock(mutex_);
        if (!Connect(error)) return false;
        if (!Command("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)", error)) return false;
        for (const Migration& m : Migrations()) {
            // The lock makes two servers starting at once migrate one after the other.
            if (!Command("BEGIN; LOCK TABLE schema_version IN EXCLUSIVE MODE", error)) return false;
            if (m.version <= Version()) {
                Command("COMMIT", error);
                continue;
            }
            const std::string sql = std::string(m.postgres) +
                "; DELETE FROM schema_version; INSERT INTO schema_version VALUES (" + std::to_string(m.version) +
                "); COMMIT";
            if (!Command(sql.c_str(), error)) {
                std::string ignored;
                Command("ROLLBACK", ignored);
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
        const std::string score = std::to_string(g.entry.score), level = std::to_string(g.entry.level),
                          frames = std::to_string(g.entry.frames), date = std::to_string(g.entry.date);
        const char* values[] = {g.entry.name.c_str(), score.c_str(),        level.c_str(),
                                frames.c_str(),       date.c_str(),         g.address.c_str(),
                                g.sha256.c_str(),     g.gameSha256.c_str(), g.demo.data()};
        const int lengths[] = {0, 0, 0, 0, 0, 0, 0, 0, static_cast<int>(g.demo.size())};
        const int formats[] = {0, 0, 0, 0, 0, 0, 0, 0, 1};
        Result r = Exec(
            "INSERT INTO games (name, score, level, frames, created, address, sha256, game_sha256, demo)"
            " SELECT $1, $2, $3, $4, $5, $6, $7, $8, $9 WHERE NOT EXISTS (SELECT 1 FROM games WHERE"
            " sha256 IN ($7, $8) OR game_sha256 IN ($7, $8)) RETURNING id",
            9, values, lengths, formats, error);
        if (!r) return AddResult::Failed;
        if (PQresultStatus(r.get()) != PGRES_TUPLES_OK) {
            const char* state = PQresultErrorField(r.get(), PG_DIAG_SQLSTATE);
            if (state && std::string(state) == kUniqueViolation) return AddResult::Duplicate;
            error = PQresultErrorMessage(r.get());
            return AddResult::Failed;
        }
        if (PQntuples(r.get()) == 0) return AddResult::Duplicate;
        id = std::stoll(PQgetvalue(r.get(), 0, 0));
        return AddResult::Added;
    }

    bool Contains(const std::string& sha256, bool& found, std::string& error) override {
        std::lock_guard lock(mutex_);
        const char* values[] = {sha256.c_str()};
        Result r = Query("SELECT 1 FROM games WHERE sha256 = $1 OR game_sha256 = $1 LIMIT 1", 1, values, error);
        if (!r) return false;
        found = PQntuples(r.get()) > 0;
        return true;
    }

    bool Top(int limit, std::vector<BoardEntry>& out, std::string& error) override {
        std::lock_guard lock(mutex_);
        const std::string n = std::to_string(limit);
        const char* values[] = {n.c_str()};
        Result r = Query("SELECT id, name, score, level, frames, created FROM games ORDER BY score DESC, id LIMIT $1",
                         1, values, error);
        if (!r) return false;
        out.clear();
        for (int row = 0; row < PQntuples(r.get()); ++row) {
            BoardEntry e;
            e.id = std::stoll(PQgetvalue(r.get(), row, 0));
            e.name = PQgetvalue(r.get(), row, 1);
            e.score = static_cast<std::uint32_t>(std::stoull(PQgetvalue(r.get(), row, 2)));
            e.level = static_cast<std::uint32_t>(std::stoul(PQgetvalue(r.get(), row, 3)));
            e.frames = std::stoull(PQgetvalue(r.get(), row, 4));
            e.date = std::stoll(PQgetvalue(r.get(), row, 5));
            out.push_back(std::move(e));
        }
        return true;
    }

    bool DemoOf(std::int64_t id, std::string& bytes, bool& found, std::string& error) override {
        std::lock_guard lock(mutex_);
        const std::string n = std::to_string(id);
        const char* values[] = {n.c_str()};
        const int lengths[] = {0}, formats[] = {0};
        Result r = Exec("SELECT demo FROM games WHERE id = $1", 1, values, lengths, formats, error, 1);
        if (!r) return false;
        if (PQresultStatus(r.get()) != PGRES_TUPLES_OK) {
            error = PQresultErrorMessage(r.get());
            return false;
        }
        found = PQntuples(r.get()) > 0;
        bytes = found ? std::string(PQgetvalue(r.get(), 0, 0), static_cast<std::size_t>(PQgetlength(r.get(), 0, 0)))
                      : std::string();
        return true;
    }

private:
    bool Connect(std::string& error) {
        if (conn_ && PQstatus(conn_) == CONNECTION_OK) return true;
        if (conn_) PQfinish(conn_);
        conn_ = PQconnectdb(conninfo_.c_str());
        if (PQstatus(conn_) == CONNECTION_OK) {
            PQsetNoticeProcessor(
                conn_, [](void*, const char*) {}, nullptr);
            return true;
        }
        error = PQerrorMessage(conn_);
        return false;
    }
    // Runs a statement with parameters; null (and `error`) only when no
    // connection could be had. A connection found broken is opened again
    // and the statement sent once more.
    Result Exec(const char* sql, int n, const char* const* values, const int* lengths, const int* formats,
                std::string& error, int resultFormat = 0) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (!Connect(error)) return nullptr;
            Result r(PQexecParams(conn_, sql, n, nullptr, values, lengths, formats, resultFormat));
            if (PQstatus(conn_) == CONNECTION_OK) return r;
        }
        error = PQerrorMessage(conn_);
        return nullptr;
    }
    Result Query(const char* sql, int n, const char* const* values, std::string& error) {
        Result r = Exec(sql, n, values, nullptr, nullptr, error);
        if (r && PQresultStatus(r.get()) != PGRES_TUPLES_OK) {
            error = PQresultErrorMessage(r.get());
            return nullptr;
        }
        return r;
    }
    bool Command(const char* sql, std::string& error) {
        if (!Connect(error)) return false;
        Result r(PQexec(conn_, sql));
        if (PQresultStatus(r.get()) == PGRES_COMMAND_OK || PQresultStatus(r.get()) == PGRES_TUPLES_OK) return true;
        error = PQresultErrorMessage(r.get());
        return false;
    }
    int Version() {
        std::string error;
        Result r = Query("SELECT COALESCE(MAX(version), 0) FROM schema_version", 0, nullptr, error);
        return r && PQntuples(r.get()) == 1 ? std::stoi(PQgetvalue(r.get(), 0, 0)) : 0;
    }

    std::string conninfo_;
    PGconn* conn_ = nullptr;
    std::mutex mutex_;
};

}  // namespace

std::unique_ptr<Store> OpenPostgresStore(const std::string& conninfo, std::string& error) {
    auto store = std::make_unique<PostgresStore>(conninfo);
    if (!store->Open(error)) return nullptr;
    return store;
}

std::unique_ptr<Store> OpenStore(const std::string& url, std::string& error) {
    if (url.rfind("sqlite:", 0) == 0) {
        const std::string path = url.substr(7);
        if (path.empty()) {
            error = "sqlite: wants a file, e.g. sqlite:scores.db";
            return nullptr;
        }
        return OpenSqliteStore(path, error);
    }
    if (url.rfind("postgresql://", 0) == 0 || url.rfind("postgres://", 0) == 0) return OpenPostgresStore(url, error);
    error = "--db wants sqlite:PATH or postgresql://...";
    return nullptr;
}

}  // namespace dw::server
