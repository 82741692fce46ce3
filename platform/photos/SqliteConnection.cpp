#include "platform/photos/SqliteConnection.h"

#include <sqlite3.h>

#include <thread>

namespace photos {

SqliteConnection::SqliteConnection(sqlite3* db)
    : m_db(db)
{
}

SqliteConnection::~SqliteConnection()
{
    // close_v2 defers the close until stray statements are finalized instead
    // of failing and leaking the handle.
    sqlite3_close_v2(m_db);
}

Error SqliteConnection::failureFrom(sqlite3* db, int rc, std::string_view context)
{
    int primary = rc & 0xff;
    ErrorCode code = (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) ? ErrorCode::Busy : ErrorCode::Database;
    std::string detail = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    return Error { code, std::string(context) + ": " + detail };
}

Result<std::unique_ptr<SqliteConnection>> SqliteConnection::open(
    const std::filesystem::path& path, std::chrono::milliseconds busyTimeout)
{
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
        nullptr);
    if (rc != SQLITE_OK) {
        Error failure = failureFrom(db, rc, "cannot open " + path.string());
        sqlite3_close_v2(db);
        return failure;
    }
    std::unique_ptr<SqliteConnection> connection(new SqliteConnection(db));
    sqlite3_extended_result_codes(db, 1);
    // Set before anything touches the file, so even the first read waits
    // for another process instead of failing.
    sqlite3_busy_timeout(db, static_cast<int>(busyTimeout.count()));
    return connection;
}

Status SqliteConnection::execute(std::string_view sql)
{
    std::string owned(sql);
    char* message = nullptr;
    int rc = sqlite3_exec(m_db, owned.c_str(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        std::string detail = message ? message : sqlite3_errstr(rc);
        sqlite3_free(message);
        Error failure = failureFrom(m_db, rc, "SQL failed");
        failure.message = "SQL failed: " + detail;
        return failure;
    }
    return {};
}

Result<SqliteStatement> SqliteConnection::prepare(std::string_view sql)
{
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()), &statement, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(statement);
        return failureFrom(m_db, rc, "cannot prepare SQL");
    }
    return SqliteStatement(m_db, statement);
}

Status SqliteConnection::useWriteAheadLog(std::chrono::milliseconds patience)
{
    auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        auto statement = TRY(prepare("PRAGMA journal_mode=WAL"));
        auto row = statement.step();
        if (!row && row.code() != ErrorCode::Busy)
            return row.error();
        // Under contention SQLite may either report BUSY or answer with the
        // unchanged mode; both are worth another try.
        std::string mode = (row && row.value()) ? statement.textAt(0) : std::string();
        if (mode == "wal")
            return {};
        if (std::chrono::steady_clock::now() >= deadline) {
            if (!row)
                return row.error();
            return Error { ErrorCode::Database,
                "the database cannot use WAL journal mode (it stays \"" + mode + "\")" };
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool SqliteConnection::inTransaction() const
{
    return sqlite3_get_autocommit(m_db) == 0;
}

}  // namespace photos
