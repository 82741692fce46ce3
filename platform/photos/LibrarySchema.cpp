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
    auto statement = TRY(connection.prepare(sql));
    auto row = TRY(statement.step());
    return row ? statement.int64At(0) : 0;
}

Status checkVersion(SqliteConnection& connection)
{
    auto statement = TRY(connection.prepare("SELECT version FROM schema_version"));
    auto row = TRY(statement.step());
    if (!row)
        return Error { ErrorCode::NotALibrary, "Photos.sqlite has an empty schema_version table" };
    std::int64_t version = statement.int64At(0);
    auto another = TRY(statement.step());
    if (another)
        return Error { ErrorCode::NotALibrary, "Photos.sqlite has more than one schema version" };

    if (version > LibrarySchema::currentVersion) {
        return Error { ErrorCode::UnsupportedVersion,
            "Photos.sqlite has schema version " + std::to_string(version) + ", newer than version "
                + std::to_string(LibrarySchema::currentVersion) + " that this build understands; "
                + "refusing to touch it" };
    }
    if (version < 1)
        return Error { ErrorCode::NotALibrary, "Photos.sqlite has invalid schema version " + std::to_string(version) };
    return {};
}

}  // namespace

Status LibrarySchema::prepare(SqliteConnection& connection)
{
    auto transaction = TRY(SqliteTransaction::beginImmediate(connection));

    auto versioned = TRY(countOf(connection,
        "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'schema_version'"));

    if (versioned > 0) {
        TRY(checkVersion(connection));
        return transaction.commit();
    }

    auto tables = TRY(countOf(connection, "SELECT count(*) FROM sqlite_master WHERE name NOT LIKE 'sqlite_%'"));
    if (tables > 0)
        return Error { ErrorCode::NotALibrary, "Photos.sqlite holds tables but no schema_version; not a photo library" };

    TRY(connection.execute(createVersionOne));
    return transaction.commit();
}

}  // namespace photos
