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
    auto begun = connection.execute("BEGIN IMMEDIATE");
    if (!begun)
        return begun.failure();
    return SqliteTransaction(connection);
}

Result<void> SqliteTransaction::commit()
{
    if (!m_connection)
        return Failure { ErrorCode::Database, "transaction already finished" };
    auto committed = m_connection->execute("COMMIT");
    if (!committed)
        return committed;
    m_connection = nullptr;
    return {};
}

}  // namespace photos
