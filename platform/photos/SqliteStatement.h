#pragma once

#include "platform/foundation/Result.h"
#include "platform/photos/Forward.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace photos {

// Owns one prepared statement. Binding problems are remembered and reported
// by the next step(), so call sites stay short without dropping errors.
class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, sqlite3_stmt* statement);
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    ~SqliteStatement();

    // Parameter indices start at 1, as in SQLite.
    SqliteStatement& bind(int index, std::int64_t value);
    SqliteStatement& bind(int index, double value);
    SqliteStatement& bind(int index, std::string_view value);
    SqliteStatement& bind(int index, std::optional<double> value);
    SqliteStatement& bindNull(int index);

    // True while a row is available, false once the statement is done.
    Result<bool> step();
    // Runs a statement that returns no rows.
    Status run();

    bool isNull(int column) const;
    std::int64_t int64At(int column) const;
    double doubleAt(int column) const;
    std::string textAt(int column) const;

private:
    void noteBindResult(int rc, int index);

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
    std::optional<Error> m_bindFailure;
};

}  // namespace photos
