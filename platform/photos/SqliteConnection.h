#pragma once

#include "platform/foundation/Result.h"
#include "platform/photos/Forward.h"
#include "platform/photos/SqliteStatement.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;

namespace photos {

class SqliteConnection {
public:
    static Result<std::unique_ptr<SqliteConnection>> open(
        const std::filesystem::path& path, std::chrono::milliseconds busyTimeout);
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;
    ~SqliteConnection();

    // Runs one or more statements that return no rows.
    Status execute(std::string_view sql);
    Result<SqliteStatement> prepare(std::string_view sql);

    // Switching to WAL needs an exclusive lock and SQLite does not apply the
    // busy timeout to it, so a second process opening a brand-new library at
    // the same moment would otherwise fail outright.
    Status useWriteAheadLog(std::chrono::milliseconds patience);

    bool inTransaction() const;

    static Error failureFrom(sqlite3* db, int rc, std::string_view context);

private:
    explicit SqliteConnection(sqlite3* db);

    sqlite3* m_db = nullptr;
};

}  // namespace photos
