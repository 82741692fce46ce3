#include "platform/photos/SqliteTransaction.h"

#include "platform/photos/SqliteConnection.h"

#include <utility>

namespace photos {

SqliteTransaction::SqliteTransaction(SqliteConnection& connection)
    : m_connection(&connection)
{
}

SqliteTransaction::SqliteTransaction(SqliteTransaction&& other) noexcept
    : m_connection(std::exchange(other.m_connection, nullptr))
{
}

SqliteTransaction::~SqliteTransaction()
{
    // A failed COMMIT can leave the transaction open; roll back whatever is
    // still pending so the connection is usable again.
    if (m_connection && m_connection->inTransaction())
        (void)m_connection->execute("ROLLBACK");
}

Result<SqliteTransaction> SqliteTransaction::beginImmediate(SqliteConnection& connection)
{
    TRY(connection.execute("BEGIN IMMEDIATE"));
    return SqliteTransaction(connection);
}

Status SqliteTransaction::commit()
{
    if (!m_connection)
        return Error { ErrorCode::Database, "transaction already finished" };
    TRY(m_connection->execute("COMMIT"));
    m_connection = nullptr;
    return {};
}

}  // namespace photos
