#pragma once

#include "platform/photos/AssetRecord.h"
#include "platform/photos/FetchQuery.h"
#include "platform/photos/Result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace photos {

class SqliteConnection;
class SqliteStatement;

// Row-level SQL for the assets table. Holds no state of its own, so every
// read sees what other processes have committed.
class AssetTable {
public:
    explicit AssetTable(SqliteConnection& connection);

    Result<void> insert(const AssetRecord& record);
    Result<std::optional<AssetRecord>> find(std::string_view localIdentifier);
    Result<bool> containsRelativePath(std::string_view relativePath);
    Result<std::vector<AssetRecord>> select(const FetchQuery& query);
    // Oldest deletion first.
    Result<std::vector<AssetRecord>> selectTrashed();
    Result<std::vector<std::string>> relativePaths();

    // Leaves an already trashed asset's date alone, so trashing twice does
    // not restart its time in Recently Deleted.
    Result<void> markTrashed(std::string_view localIdentifier, double trashedDate);
    Result<void> clearTrashed(std::string_view localIdentifier);
    Result<void> remove(std::string_view localIdentifier);

    static bool isSortKey(std::string_view key);

private:
    Result<std::vector<AssetRecord>> collect(SqliteStatement& statement);

    SqliteConnection& m_connection;
};

}  // namespace photos
