#pragma once

#include "platform/foundation/Result.h"
#include "platform/photos/Forward.h"

namespace photos {

// BEGIN IMMEDIATE takes the write lock up front, so two processes never both
// read, decide and then collide on the upgrade to a writer. Rolls back on
// destruction unless committed.
class SqliteTransaction {
public:
    static Result<SqliteTransaction> beginImmediate(SqliteConnection& connection);
    SqliteTransaction(SqliteTransaction&& other) noexcept;
    SqliteTransaction& operator=(SqliteTransaction&&) = delete;
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;
    ~SqliteTransaction();

    Status commit();

private:
    explicit SqliteTransaction(SqliteConnection& connection);

    SqliteConnection* m_connection = nullptr;
};

}  // namespace photos
