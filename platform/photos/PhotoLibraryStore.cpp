#include "platform/photos/PhotoLibraryStore.h"

#include <functional>

#include "platform/photos/AssetFileWriter.h"
#include "platform/photos/AssetTable.h"
#include "platform/photos/CameraRollNaming.h"
#include "platform/photos/FileOperations.h"
#include "platform/photos/IdentifierGenerator.h"
#include "platform/photos/LibrarySchema.h"
#include "platform/photos/SetAsideFile.h"
#include "platform/photos/SqliteConnection.h"
#include "platform/photos/SqliteTransaction.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <system_error>

namespace photos {

namespace {

// Long enough that no live copy goes an hour without writing a byte.
constexpr std::chrono::seconds abandonedTemporaryAge { 3600 };

double secondsSinceEpoch()
{
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

Result<void> validateImport(const std::filesystem::path& sourcePath, MediaType mediaType, const MediaFacts& facts,
    double creationDate)
{
    if (sourcePath.empty())
        return Failure { ErrorCode::InvalidArgument, "no source file given" };
    if (!mediaTypeFromInt(static_cast<long long>(mediaType)))
        return Failure { ErrorCode::InvalidArgument,
            "unsupported media type " + std::to_string(static_cast<long long>(mediaType)) };
    if (facts.pixelWidth < 0 || facts.pixelHeight < 0)
        return Failure { ErrorCode::InvalidArgument, "pixel dimensions cannot be negative" };
    if (!std::isfinite(facts.duration) || facts.duration < 0)
        return Failure { ErrorCode::InvalidArgument, "duration must be a finite, non-negative number of seconds" };
    if (!std::isfinite(creationDate))
        return Failure { ErrorCode::InvalidArgument, "creation date must be a finite number of seconds" };
    return {};
}

}  // namespace

PhotoLibraryStore::PhotoLibraryStore(MediaDirectory directory, std::unique_ptr<SqliteConnection> connection)
    : m_directory(std::move(directory))
    , m_connection(std::move(connection))
{
}

PhotoLibraryStore::~PhotoLibraryStore() = default;

Result<std::unique_ptr<PhotoLibraryStore>> PhotoLibraryStore::open(
    const std::filesystem::path& mediaDirectory, const StoreOptions& options)
{
    auto directory = MediaDirectory::prepare(mediaDirectory);
    if (!directory)
        return directory.failure();
    auto connection = SqliteConnection::open(directory.value().databasePath(), options.busyTimeout);
    if (!connection)
        return connection.failure();
    // The version check comes before anything that writes, so a library
    // from a newer build is left exactly as it was.
    auto schema = LibrarySchema::prepare(*connection.value());
    if (!schema)
        return schema.failure();
    auto wal = connection.value()->useWriteAheadLog(options.busyTimeout);
    if (!wal)
        return wal.failure();

    std::unique_ptr<PhotoLibraryStore> store(
        new PhotoLibraryStore(std::move(directory).value(), std::move(connection).value()));
    AssetFileWriter(store->m_directory).removeTemporariesOlderThan(abandonedTemporaryAge);
    auto settled = store->settleInterruptedPurges();
    if (!settled)
        return settled.failure();
    return store;
}

Result<void> PhotoLibraryStore::settleInterruptedPurges()
{
    auto folder = m_directory.cameraFolder();
    std::vector<std::pair<std::filesystem::path, std::string>> leftovers;
    for (const auto& entry : FileOperations::listFolder(folder)) {
        if (auto original = SetAsideFile::originalNameOf(entry.filename().string()))
            leftovers.emplace_back(entry, *original);
    }
    if (leftovers.empty())
        return {};

    // Under the write lock a purge is either wholly before or wholly after
    // us, so a row still present means its purge never committed.
    auto transaction = SqliteTransaction::beginImmediate(*m_connection);
    if (!transaction)
        return transaction.failure();
    AssetTable table(*m_connection);
    for (const auto& [aside, original] : leftovers) {
        auto stillListed = table.containsRelativePath(m_directory.relativePathOf(original));
        if (!stillListed)
            return stillListed.failure();
        if (stillListed.value())
            (void)FileOperations::renameNoReplace(aside, folder / original);
        else
            (void)FileOperations::removeFile(aside);
    }
    FileOperations::syncDirectory(folder);
    return transaction.value().commit();
}

Result<std::int64_t> PhotoLibraryStore::highestNumberInDatabase()
{
    auto paths = AssetTable(*m_connection).relativePaths();
    if (!paths)
        return paths.failure();
    std::string prefix = m_directory.relativePathOf("");
    std::int64_t highest = 0;
    for (const auto& path : paths.value()) {
        if (path.rfind(prefix, 0) != 0)
            continue;
        if (auto number = CameraRollNaming::numberOf(std::string_view(path).substr(prefix.size())))
            highest = std::max(highest, *number);
    }
    return highest;
}

Result<AssetRecord> PhotoLibraryStore::importFile(const std::filesystem::path& sourcePath, MediaType mediaType,
    const MediaFacts& facts, double creationDate)
{
    auto valid = validateImport(sourcePath, mediaType, facts, creationDate);
    if (!valid)
        return valid.failure();

    std::lock_guard lock(m_mutex);
    // A row whose file has gone missing still owns its name, so the database
    // is consulted as well as the folder.
    auto highestListed = highestNumberInDatabase();
    if (!highestListed)
        return highestListed.failure();
    AssetFileWriter writer(m_directory);
    std::int64_t firstNumber = std::max(highestListed.value(), writer.highestNumberOnDisk()) + 1;

    // The copy happens outside any transaction: holding the write lock for
    // the length of a large copy would stall every other process.
    auto fileName = writer.copyIn(sourcePath, CameraRollNaming::extensionFor(sourcePath, mediaType), firstNumber);
    if (!fileName)
        return fileName.failure();

    AssetRecord record;
    record.localIdentifier = IdentifierGenerator::newLocalIdentifier();
    record.mediaType = mediaType;
    record.creationDate = creationDate;
    record.pixelWidth = facts.pixelWidth;
    record.pixelHeight = facts.pixelHeight;
    record.duration = facts.duration;
    record.relativePath = m_directory.relativePathOf(fileName.value());
    record.originalFilename = sourcePath.filename().string();

    auto recorded = [&]() -> Result<void> {
        auto transaction = SqliteTransaction::beginImmediate(*m_connection);
        if (!transaction)
            return transaction.failure();
        auto inserted = AssetTable(*m_connection).insert(record);
        if (!inserted)
            return inserted;
        return transaction.value().commit();
    }();
    if (!recorded) {
        auto copied = m_directory.cameraFolder() / fileName.value();
        auto removed = FileOperations::removeFile(copied);
        FileOperations::syncDirectory(m_directory.cameraFolder());
        Failure failure = recorded.failure();
        failure.message = "cannot record imported asset: " + failure.message;
        if (!removed)
            failure.message += "; the copied file was left behind: " + removed.error();
        return failure;
    }
    return record;
}

Result<std::vector<AssetRecord>> PhotoLibraryStore::fetch(const FetchQuery& query)
{
    std::lock_guard lock(m_mutex);
    return AssetTable(*m_connection).select(query);
}

Result<std::optional<AssetRecord>> PhotoLibraryStore::asset(std::string_view localIdentifier)
{
    std::lock_guard lock(m_mutex);
    return AssetTable(*m_connection).find(localIdentifier);
}

Result<std::vector<AssetRecord>> PhotoLibraryStore::listTrashed()
{
    std::lock_guard lock(m_mutex);
    return AssetTable(*m_connection).selectTrashed();
}

Result<std::filesystem::path> PhotoLibraryStore::filePath(const AssetRecord& record) const
{
    return m_directory.resolve(record.relativePath);
}

bool PhotoLibraryStore::hasFile(const AssetRecord& record) const
{
    auto path = filePath(record);
    if (!path)
        return false;
    std::error_code error;
    return std::filesystem::is_regular_file(path.value(), error);
}

Result<std::vector<AssetRecord>> PhotoLibraryStore::findAll(const std::vector<std::string>& localIdentifiers)
{
    AssetTable table(*m_connection);
    std::vector<AssetRecord> records;
    std::vector<std::string> unknown;
    for (const auto& identifier : localIdentifiers) {
        bool repeated = std::any_of(records.begin(), records.end(),
            [&](const AssetRecord& record) { return record.localIdentifier == identifier; });
        if (repeated)
            continue;
        auto found = table.find(identifier);
        if (!found)
            return found.failure();
        if (found.value())
            records.push_back(std::move(*found.value()));
        else if (std::find(unknown.begin(), unknown.end(), identifier) == unknown.end())
            unknown.push_back(identifier);
    }
    if (!unknown.empty()) {
        std::string list;
        for (const auto& identifier : unknown)
            list += (list.empty() ? "\"" : ", \"") + identifier + "\"";
        return Failure { ErrorCode::NotFound, "no asset with identifier " + list + "; nothing was changed" };
    }
    return records;
}

Result<void> PhotoLibraryStore::changeEach(const std::vector<std::string>& localIdentifiers,
    const std::function<Result<void>(AssetTable&, const AssetRecord&)>& change)
{
    if (localIdentifiers.empty())
        return {};
    std::lock_guard lock(m_mutex);
    auto transaction = SqliteTransaction::beginImmediate(*m_connection);
    if (!transaction)
        return transaction.failure();
    auto records = findAll(localIdentifiers);
    if (!records)
        return records.failure();
    AssetTable table(*m_connection);
    for (const auto& record : records.value()) {
        auto changed = change(table, record);
        if (!changed)
            return changed;
    }
    return transaction.value().commit();
}

Result<void> PhotoLibraryStore::trash(const std::vector<std::string>& localIdentifiers)
{
    double now = secondsSinceEpoch();
    return changeEach(localIdentifiers, [now](AssetTable& table, const AssetRecord& record) {
        return table.markTrashed(record.localIdentifier, now);
    });
}

Result<void> PhotoLibraryStore::restore(const std::vector<std::string>& localIdentifiers)
{
    return changeEach(localIdentifiers, [](AssetTable& table, const AssetRecord& record) {
        return table.clearTrashed(record.localIdentifier);
    });
}

Result<void> PhotoLibraryStore::restore(std::string_view localIdentifier)
{
    return restore(std::vector<std::string> { std::string(localIdentifier) });
}

Result<void> PhotoLibraryStore::purge(const std::vector<std::string>& localIdentifiers)
{
    if (localIdentifiers.empty())
        return {};
    std::lock_guard lock(m_mutex);
    auto transaction = SqliteTransaction::beginImmediate(*m_connection);
    if (!transaction)
        return transaction.failure();
    auto records = findAll(localIdentifiers);
    if (!records)
        return records.failure();

    std::vector<SetAsideFile> setAside;
    auto putAllBack = [&] {
        for (auto& file : setAside)
            (void)file.putBack();
        FileOperations::syncDirectory(m_directory.cameraFolder());
    };

    AssetTable table(*m_connection);
    for (const auto& record : records.value()) {
        auto path = m_directory.resolve(record.relativePath);
        if (!path) {
            putAllBack();
            return path.failure();
        }
        auto moved = SetAsideFile::setAside(path.value());
        if (!moved) {
            putAllBack();
            return moved.failure();
        }
        setAside.push_back(std::move(moved).value());
        auto removed = table.remove(record.localIdentifier);
        if (!removed) {
            putAllBack();
            return removed;
        }
    }
    auto committed = transaction.value().commit();
    if (!committed) {
        putAllBack();
        return committed;
    }
    // The rows are gone for good; a hidden file that cannot be removed now is
    // cleaned up on the next open.
    for (auto& file : setAside)
        (void)file.discard();
    return {};
}

Result<void> PhotoLibraryStore::purge(std::string_view localIdentifier)
{
    return purge(std::vector<std::string> { std::string(localIdentifier) });
}

}  // namespace photos
