#include "platform/photos/SqliteStatement.h"

#include "platform/photos/SqliteConnection.h"

#include <sqlite3.h>

#include <utility>

namespace photos {

SqliteStatement::SqliteStatement(sqlite3* db, sqlite3_stmt* statement)
    : m_db(db)
    , m_statement(statement)
{
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr))
    , m_statement(std::exchange(other.m_statement, nullptr))
    , m_bindFailure(std::move(other.m_bindFailure))
{
}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_statement);
        m_db = std::exchange(other.m_db, nullptr);
        m_statement = std::exchange(other.m_statement, nullptr);
        m_bindFailure = std::move(other.m_bindFailure);
    }
    return *this;
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

void SqliteStatement::noteBindResult(int rc, int index)
{
    if (rc != SQLITE_OK && !m_bindFailure) {
        m_bindFailure = Error { ErrorCode::Database,
            "cannot bind SQL parameter " + std::to_string(index) + ": " + sqlite3_errstr(rc) };
    }
}

SqliteStatement& SqliteStatement::bind(int index, std::int64_t value)
{
    noteBindResult(sqlite3_bind_int64(m_statement, index, value), index);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, double value)
{
    noteBindResult(sqlite3_bind_double(m_statement, index, value), index);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::string_view value)
{
    noteBindResult(sqlite3_bind_text64(m_statement, index, value.data(), value.size(), SQLITE_TRANSIENT, SQLITE_UTF8),
        index);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::optional<double> value)
{
    return value ? bind(index, *value) : bindNull(index);
}

SqliteStatement& SqliteStatement::bindNull(int index)
{
    noteBindResult(sqlite3_bind_null(m_statement, index), index);
    return *this;
}

Result<bool> SqliteStatement::step()
{
    if (m_bindFailure)
        return *m_bindFailure;
    int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    return SqliteConnection::failureFrom(m_db, rc, "SQL statement failed");
}

Status SqliteStatement::run()
{
    TRY(step());
    return {};
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

std::int64_t SqliteStatement::int64At(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

double SqliteStatement::doubleAt(int column) const
{
    return sqlite3_column_double(m_statement, column);
}

std::string SqliteStatement::textAt(int column) const
{
    auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    if (!text)
        return {};
    return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)));
}

}  // namespace photos
