#pragma once

// The photo library: asset records in PhotoData/Photos.sqlite and their files
// in DCIM/100APPLE under a host folder that stands for the phone's media
// directory. Several processes may open the same library at once; every
// read goes to the database, so nothing they commit is ever missed.
//
// One store may be shared between threads. It must not be used across
// fork(): the child opens its own.

#include "platform/foundation/Result.h"
#include "platform/photos/AssetRecord.h"
#include "platform/photos/FetchQuery.h"
#include "platform/photos/Forward.h"
#include "platform/photos/MediaDirectory.h"
#include "platform/photos/MediaFacts.h"
#include "platform/photos/MediaType.h"
#include "platform/photos/StoreOptions.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace photos {

class PhotoLibraryStore {
public:
    static Result<std::unique_ptr<PhotoLibraryStore>> open(
        const std::filesystem::path& mediaDirectory, const StoreOptions& options = {});
    PhotoLibraryStore(const PhotoLibraryStore&) = delete;
    PhotoLibraryStore& operator=(const PhotoLibraryStore&) = delete;
    ~PhotoLibraryStore();

    // Copies the file into the camera folder under the next free IMG_ name
    // and records it. On failure nothing is left behind.
    Result<AssetRecord> importFile(const std::filesystem::path& sourcePath, MediaType mediaType,
        const MediaFacts& facts, double creationDate);

    Result<std::vector<AssetRecord>> fetch(const FetchQuery& query = {});
    // Finds trashed assets too.
    Result<std::optional<AssetRecord>> asset(std::string_view localIdentifier);
    Result<std::vector<AssetRecord>> listTrashed();

    // Where the asset's file lives on the host. The record's path is checked
    // so that it cannot point outside the media directory.
    Result<std::filesystem::path> filePath(const AssetRecord& record) const;
    // False when the file is missing or the record's path is unusable.
    bool hasFile(const AssetRecord& record) const;

    // All-or-nothing: if any identifier is unknown, nothing changes.
    Status trash(const std::vector<std::string>& localIdentifiers);
    Status restore(const std::vector<std::string>& localIdentifiers);
    Status restore(std::string_view localIdentifier);
    // Deletes the rows and their files for good, trashed or not.
    Status purge(const std::vector<std::string>& localIdentifiers);
    Status purge(std::string_view localIdentifier);

    const std::filesystem::path& mediaDirectory() const { return m_directory.root(); }
    std::filesystem::path databasePath() const { return m_directory.databasePath(); }

private:
    PhotoLibraryStore(MediaDirectory directory, std::unique_ptr<SqliteConnection> connection, std::function<double()> now);

    // Each asset once, however often it is named; fails naming every unknown
    // identifier.
    Result<std::vector<AssetRecord>> findAll(const std::vector<std::string>& localIdentifiers);
    // Applies `change` to every named asset in one write transaction; any
    // unknown identifier or failed change leaves everything as it was.
    Status changeEach(const std::vector<std::string>& localIdentifiers,
        const std::function<Status(AssetTable&, const AssetRecord&)>& change);
    Result<std::int64_t> highestNumberInDatabase();
    Status settleInterruptedPurges();

    MediaDirectory m_directory;
    std::unique_ptr<SqliteConnection> m_connection;
    std::function<double()> m_now;
    std::mutex m_mutex;
};

}  // namespace photos
