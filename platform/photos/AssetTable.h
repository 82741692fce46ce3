#pragma once

#include "platform/foundation/Result.h"
#include "platform/photos/AssetRecord.h"
#include "platform/photos/FetchQuery.h"
#include "platform/photos/Forward.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace photos {

// Row-level SQL for the assets table. Holds no state of its own, so every
// read sees what other processes have committed.
class AssetTable {
public:
    explicit AssetTable(SqliteConnection& connection);

    Status insert(const AssetRecord& record);
    Result<std::optional<AssetRecord>> find(std::string_view localIdentifier);
    Result<bool> containsRelativePath(std::string_view relativePath);
    Result<std::vector<AssetRecord>> select(const FetchQuery& query);
    // Oldest deletion first.
    Result<std::vector<AssetRecord>> selectTrashed();
    Result<std::vector<std::string>> relativePaths();

    // Leaves an already trashed asset's date alone, so trashing twice does
    // not restart its time in Recently Deleted.
    Status markTrashed(std::string_view localIdentifier, double trashedDate);
    Status clearTrashed(std::string_view localIdentifier);
    Status remove(std::string_view localIdentifier);

    static bool isSortKey(std::string_view key);

private:
    Result<std::vector<AssetRecord>> collect(SqliteStatement& statement);

    SqliteConnection& m_connection;
};

}  // namespace photos
