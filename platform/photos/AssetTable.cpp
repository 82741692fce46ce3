#include "platform/photos/AssetTable.h"

#include "platform/photos/SqliteConnection.h"

#include <array>
#include <utility>

namespace photos {

namespace {

constexpr const char* selectColumns = "SELECT local_identifier, media_type, creation_date, pixel_width, pixel_height, "
                                      "duration, relative_path, original_filename, trashed_date FROM assets";

// Sort keys are turned into SQL only through this table, so no caller text
// ever reaches the statement.
constexpr std::array<std::pair<std::string_view, std::string_view>, 8> sortColumns { {
    { "creationDate", "creation_date" },
    { "localIdentifier", "local_identifier" },
    { "pixelWidth", "pixel_width" },
    { "pixelHeight", "pixel_height" },
    { "duration", "duration" },
    { "mediaType", "media_type" },
    { "originalFilename", "original_filename" },
    { "trashedDate", "trashed_date" },
} };

std::optional<std::string_view> columnForSortKey(std::string_view key)
{
    for (const auto& [name, column] : sortColumns) {
        if (name == key)
            return column;
    }
    return std::nullopt;
}

Result<AssetRecord> recordFromRow(const SqliteStatement& row)
{
    AssetRecord record;
    record.localIdentifier = row.textAt(0);
    auto mediaType = mediaTypeFromInt(row.int64At(1));
    if (!mediaType)
        return Error { ErrorCode::Database, "asset " + record.localIdentifier + " has an unknown media type" };
    record.mediaType = *mediaType;
    record.creationDate = row.doubleAt(2);
    record.pixelWidth = row.int64At(3);
    record.pixelHeight = row.int64At(4);
    record.duration = row.doubleAt(5);
    record.relativePath = row.textAt(6);
    record.originalFilename = row.textAt(7);
    if (!row.isNull(8))
        record.trashedDate = row.doubleAt(8);
    return record;
}

}  // namespace

AssetTable::AssetTable(SqliteConnection& connection)
    : m_connection(connection)
{
}

bool AssetTable::isSortKey(std::string_view key)
{
    return columnForSortKey(key).has_value();
}

Result<std::vector<AssetRecord>> AssetTable::collect(SqliteStatement& statement)
{
    std::vector<AssetRecord> records;
    for (;;) {
        auto row = TRY(statement.step());
        if (!row)
            return records;
        auto record = TRY(recordFromRow(statement));
        records.push_back(std::move(record));
    }
}

Status AssetTable::insert(const AssetRecord& record)
{
    auto statement = TRY(m_connection.prepare(
        "INSERT INTO assets (local_identifier, media_type, creation_date, pixel_width, pixel_height, duration, "
        "relative_path, original_filename, trashed_date) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    return statement
        .bind(1, std::string_view(record.localIdentifier))
        .bind(2, static_cast<std::int64_t>(record.mediaType))
        .bind(3, record.creationDate)
        .bind(4, record.pixelWidth)
        .bind(5, record.pixelHeight)
        .bind(6, record.duration)
        .bind(7, std::string_view(record.relativePath))
        .bind(8, std::string_view(record.originalFilename))
        .bind(9, record.trashedDate)
        .run();
}

Result<std::optional<AssetRecord>> AssetTable::find(std::string_view localIdentifier)
{
    auto statement = TRY(m_connection.prepare(std::string(selectColumns) + " WHERE local_identifier = ?"));
    statement.bind(1, localIdentifier);
    auto records = TRY(collect(statement));
    if (records.empty())
        return std::optional<AssetRecord>();
    return std::optional<AssetRecord>(std::move(records.front()));
}

Result<bool> AssetTable::containsRelativePath(std::string_view relativePath)
{
    auto statement = TRY(m_connection.prepare("SELECT 1 FROM assets WHERE relative_path = ?"));
    statement.bind(1, relativePath);
    return statement.step();
}

Result<std::vector<AssetRecord>> AssetTable::select(const FetchQuery& query)
{
    std::string sql = selectColumns;
    std::vector<std::string> conditions;
    if (query.mediaType)
        conditions.emplace_back("media_type = ?1");
    if (!query.includeTrashed)
        conditions.emplace_back("trashed_date IS NULL");
    for (std::size_t i = 0; i < conditions.size(); ++i)
        sql += (i == 0 ? " WHERE " : " AND ") + conditions[i];

    sql += " ORDER BY ";
    for (const auto& sortKey : query.sortKeys) {
        auto column = columnForSortKey(sortKey.key);
        if (!column)
            return Error { ErrorCode::InvalidArgument, "cannot sort assets by unknown key \"" + sortKey.key + "\"" };
        sql += std::string(*column) + (sortKey.ascending ? " ASC, " : " DESC, ");
    }
    bool tiesAscending = query.sortKeys.empty() || query.sortKeys.back().ascending;
    sql += tiesAscending ? "id ASC" : "id DESC";
    if (query.limit)
        sql += " LIMIT ?2";

    auto statement = TRY(m_connection.prepare(sql));
    if (query.mediaType)
        statement.bind(1, static_cast<std::int64_t>(*query.mediaType));
    if (query.limit) {
        // SQLite limits are signed; anything larger means "no limit" anyway.
        auto limit = *query.limit > static_cast<std::size_t>(INT64_MAX) ? INT64_MAX
                                                                        : static_cast<std::int64_t>(*query.limit);
        statement.bind(2, limit);
    }
    return collect(statement);
}

Result<std::vector<AssetRecord>> AssetTable::selectTrashed()
{
    auto statement = TRY(m_connection.prepare(
        std::string(selectColumns) + " WHERE trashed_date IS NOT NULL ORDER BY trashed_date ASC, id ASC"));
    return collect(statement);
}

Result<std::vector<std::string>> AssetTable::relativePaths()
{
    auto statement = TRY(m_connection.prepare("SELECT relative_path FROM assets"));
    std::vector<std::string> paths;
    for (;;) {
        auto row = TRY(statement.step());
        if (!row)
            return paths;
        paths.push_back(statement.textAt(0));
    }
}

Status AssetTable::markTrashed(std::string_view localIdentifier, double trashedDate)
{
    auto statement = TRY(m_connection.prepare(
        "UPDATE assets SET trashed_date = ? WHERE local_identifier = ? AND trashed_date IS NULL"));
    return statement.bind(1, trashedDate).bind(2, localIdentifier).run();
}

Status AssetTable::clearTrashed(std::string_view localIdentifier)
{
    auto statement = TRY(m_connection.prepare("UPDATE assets SET trashed_date = NULL WHERE local_identifier = ?"));
    return statement.bind(1, localIdentifier).run();
}

Status AssetTable::remove(std::string_view localIdentifier)
{
    auto statement = TRY(m_connection.prepare("DELETE FROM assets WHERE local_identifier = ?"));
    return statement.bind(1, localIdentifier).run();
}

}  // namespace photos
