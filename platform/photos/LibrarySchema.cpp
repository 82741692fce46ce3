#include "platform/photos/LibrarySchema.h"

#include "platform/photos/SqliteConnection.h"
#include "platform/photos/SqliteTransaction.h"

#include <string>

namespace photos {

namespace {

constexpr const char* createVersionOne = R"sql(
CREATE TABLE schema_version (
    version INTEGER NOT NULL
);
INSERT INTO schema_version (version) VALUES (1);

-- AUTOINCREMENT keeps ids growing even after the newest asset is purged,
-- so the id always reflects insertion order.
CREATE TABLE assets (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    local_identifier TEXT NOT NULL UNIQUE,
    media_type INTEGER NOT NULL CHECK (media_type IN (1, 2)),
    creation_date REAL NOT NULL,
    pixel_width INTEGER NOT NULL CHECK (pixel_width >= 0),
    pixel_height INTEGER NOT NULL CHECK (pixel_height >= 0),
    duration REAL NOT NULL CHECK (duration >= 0),
    relative_path TEXT NOT NULL UNIQUE,
    original_filename TEXT NOT NULL,
    trashed_date REAL
);
CREATE INDEX assets_by_creation_date ON assets (creation_date);
)sql";

Result<std::int64_t> countOf(SqliteConnection& connection, const char* sql)
{
    auto statement = connection.prepare(sql);
    if (!statement)
        return statement.failure();
    auto row = statement.value().step();
    if (!row)
        return row.failure();
    return row.value() ? statement.value().int64At(0) : 0;
}

Result<void> checkVersion(SqliteConnection& connection)
{
    auto statement = connection.prepare("SELECT version FROM schema_version");
    if (!statement)
        return statement.failure();
    auto row = statement.value().step();
    if (!row)
        return row.failure();
    if (!row.value())
        return Failure { ErrorCode::NotALibrary, "Photos.sqlite has an empty schema_version table" };
    std::int64_t version = statement.value().int64At(0);
    auto another = statement.value().step();
    if (!another)
        return another.failure();
    if (another.value())
        return Failure { ErrorCode::NotALibrary, "Photos.sqlite has more than one schema version" };

    if (version > LibrarySchema::currentVersion) {
        return Failure { ErrorCode::UnsupportedVersion,
            "Photos.sqlite has schema version " + std::to_string(version) + ", newer than version "
                + std::to_string(LibrarySchema::currentVersion) + " that this build understands; "
                + "refusing to touch it" };
    }
    if (version < 1)
        return Failure { ErrorCode::NotALibrary, "Photos.sqlite has invalid schema version " + std::to_string(version) };
    return {};
}

}  // namespace

Result<void> LibrarySchema::prepare(SqliteConnection& connection)
{
    auto transaction = SqliteTransaction::beginImmediate(connection);
    if (!transaction)
        return transaction.failure();

    auto versioned = countOf(connection,
        "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'schema_version'");
    if (!versioned)
        return versioned.failure();

    if (versioned.value() > 0) {
        auto checked = checkVersion(connection);
        if (!checked)
            return checked;
        return transaction.value().commit();
    }

    auto tables = countOf(connection, "SELECT count(*) FROM sqlite_master WHERE name NOT LIKE 'sqlite_%'");
    if (!tables)
        return tables.failure();
    if (tables.value() > 0)
        return Failure { ErrorCode::NotALibrary, "Photos.sqlite holds tables but no schema_version; not a photo library" };

    auto created = connection.execute(createVersionOne);
    if (!created)
        return created;
    return transaction.value().commit();
}

}  // namespace photos
