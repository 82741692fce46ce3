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

double wallClockSeconds()
{
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

Status validateImport(const std::filesystem::path& sourcePath, MediaType mediaType, const MediaFacts& facts,
    double creationDate)
{
    if (sourcePath.empty())
        return Error { ErrorCode::InvalidArgument, "no source file given" };
    if (!mediaTypeFromInt(static_cast<long long>(mediaType)))
        return Error { ErrorCode::InvalidArgument,
            "unsupported media type " + std::to_string(static_cast<long long>(mediaType)) };
    if (facts.pixelWidth < 0 || facts.pixelHeight < 0)
        return Error { ErrorCode::InvalidArgument, "pixel dimensions cannot be negative" };
    if (!std::isfinite(facts.duration) || facts.duration < 0)
        return Error { ErrorCode::InvalidArgument, "duration must be a finite, non-negative number of seconds" };
    if (!std::isfinite(creationDate))
        return Error { ErrorCode::InvalidArgument, "creation date must be a finite number of seconds" };
    return {};
}

}  // namespace

PhotoLibraryStore::PhotoLibraryStore(MediaDirectory directory, std::unique_ptr<SqliteConnection> connection,
    std::function<double()> now)
    : m_directory(std::move(directory))
    , m_connection(std::move(connection))
    , m_now(now ? std::move(now) : wallClockSeconds)
{
}

PhotoLibraryStore::~PhotoLibraryStore() = default;

namespace {

// SQLite takes a 0-byte file for an empty database, and the schema step
// would make a fresh library of it. Beside files in the camera folder
// that is no new library but a lost one (cut short by a full disk, or
// emptied by hand): every movie would vanish from the listing without a
// word, and the next import would number over them. Refused, untouched.
Status refuseEmptyDatabaseBesideMedia(const MediaDirectory& directory)
{
    std::error_code error;
    const auto database = directory.databasePath();
    if (!std::filesystem::is_regular_file(database, error) || std::filesystem::file_size(database, error) != 0 || error)
        return {};
    std::size_t media = 0;
    for (const auto& entry : FileOperations::listFolder(directory.cameraFolder()))
        media += !entry.filename().string().starts_with(".") && std::filesystem::is_regular_file(entry, error);
    if (media == 0)
        return {};
    return Error { ErrorCode::NotALibrary,
        "the photo library is damaged: " + database.string() + " is empty (0 bytes) while " + directory.cameraFolder().string()
            + " holds " + std::to_string(media) + (media == 1 ? " file" : " files")
            + "; nothing was changed. Put back Photos.sqlite from a backup, or, to start an empty library, move those files "
              "elsewhere and remove the empty Photos.sqlite" };
}

}  // namespace

Result<std::unique_ptr<PhotoLibraryStore>> PhotoLibraryStore::open(
    const std::filesystem::path& mediaDirectory, const StoreOptions& options)
{
    auto directory = TRY(MediaDirectory::prepare(mediaDirectory));
    TRY(refuseEmptyDatabaseBesideMedia(directory));
    auto connection = TRY(SqliteConnection::open(directory.databasePath(), options.busyTimeout));
    // The version check comes before anything that writes, so a library
    // from a newer build is left exactly as it was.
    TRY(LibrarySchema::prepare(*connection));
    TRY(connection->useWriteAheadLog(options.busyTimeout));

    std::unique_ptr<PhotoLibraryStore> store(
        new PhotoLibraryStore(std::move(directory), std::move(connection), options.now));
    AssetFileWriter(store->m_directory).removeTemporariesOlderThan(abandonedTemporaryAge);
    TRY(store->settleInterruptedPurges());
    return store;
}

Status PhotoLibraryStore::settleInterruptedPurges()
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
    auto transaction = TRY(SqliteTransaction::beginImmediate(*m_connection));
    AssetTable table(*m_connection);
    for (const auto& [aside, original] : leftovers) {
        auto stillListed = TRY(table.containsRelativePath(m_directory.relativePathOf(original)));
        // What cannot be settled now stays hidden and is tried again on the
        // next open; the library itself is consistent either way.
        if (stillListed)
            (void)FileOperations::renameNoReplace(aside, folder / original);
        else
            (void)FileOperations::removeFile(aside);
    }
    FileOperations::syncDirectory(folder);
    return transaction.commit();
}

Result<std::int64_t> PhotoLibraryStore::highestNumberInDatabase()
{
    auto paths = TRY(AssetTable(*m_connection).relativePaths());
    std::string prefix = m_directory.relativePathOf("");
    std::int64_t highest = 0;
    for (const auto& path : paths) {
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
    TRY(validateImport(sourcePath, mediaType, facts, creationDate));

    std::lock_guard lock(m_mutex);
    // A row whose file has gone missing still owns its name, so the database
    // is consulted as well as the folder.
    auto highestListed = TRY(highestNumberInDatabase());
    AssetFileWriter writer(m_directory);
    std::int64_t firstNumber = std::max(highestListed, writer.highestNumberOnDisk()) + 1;

    // The copy happens outside any transaction: holding the write lock for
    // the length of a large copy would stall every other process.
    auto fileName = TRY(writer.copyIn(sourcePath, CameraRollNaming::extensionFor(sourcePath, mediaType), firstNumber));

    AssetRecord record;
    record.localIdentifier = IdentifierGenerator::newLocalIdentifier();
    record.mediaType = mediaType;
    record.creationDate = creationDate;
    record.pixelWidth = facts.pixelWidth;
    record.pixelHeight = facts.pixelHeight;
    record.duration = facts.duration;
    record.relativePath = m_directory.relativePathOf(fileName);
    record.originalFilename = sourcePath.filename().string();

    auto recorded = [&]() -> Status {
        auto transaction = TRY(SqliteTransaction::beginImmediate(*m_connection));
        TRY(AssetTable(*m_connection).insert(record));
        return transaction.commit();
    }();
    if (!recorded) {
        auto copied = m_directory.cameraFolder() / fileName;
        auto removed = FileOperations::removeFile(copied);
        FileOperations::syncDirectory(m_directory.cameraFolder());
        Error failure = recorded.error();
        failure.message = "cannot record imported asset: " + failure.message;
        if (!removed)
            failure.message += "; the copied file was left behind: " + removed.message();
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
        auto found = TRY(table.find(identifier));
        if (found)
            records.push_back(std::move(*found));
        else if (std::find(unknown.begin(), unknown.end(), identifier) == unknown.end())
            unknown.push_back(identifier);
    }
    if (!unknown.empty()) {
        std::string list;
        for (const auto& identifier : unknown)
            list += (list.empty() ? "\"" : ", \"") + identifier + "\"";
        return Error { ErrorCode::NotFound, "no asset with identifier " + list + "; nothing was changed" };
    }
    return records;
}

Status PhotoLibraryStore::changeEach(const std::vector<std::string>& localIdentifiers,
    const std::function<Status(AssetTable&, const AssetRecord&)>& change)
{
    if (localIdentifiers.empty())
        return {};
    std::lock_guard lock(m_mutex);
    auto transaction = TRY(SqliteTransaction::beginImmediate(*m_connection));
    auto records = TRY(findAll(localIdentifiers));
    AssetTable table(*m_connection);
    for (const auto& record : records) {
        TRY(change(table, record));
    }
    return transaction.commit();
}

Status PhotoLibraryStore::trash(const std::vector<std::string>& localIdentifiers)
{
    double now = m_now();
    return changeEach(localIdentifiers, [now](AssetTable& table, const AssetRecord& record) {
        return table.markTrashed(record.localIdentifier, now);
    });
}

Status PhotoLibraryStore::restore(const std::vector<std::string>& localIdentifiers)
{
    return changeEach(localIdentifiers, [](AssetTable& table, const AssetRecord& record) {
        return table.clearTrashed(record.localIdentifier);
    });
}

Status PhotoLibraryStore::restore(std::string_view localIdentifier)
{
    return restore(std::vector<std::string> { std::string(localIdentifier) });
}

Status PhotoLibraryStore::purge(const std::vector<std::string>& localIdentifiers)
{
    if (localIdentifiers.empty())
        return {};
    std::lock_guard lock(m_mutex);
    auto transaction = TRY(SqliteTransaction::beginImmediate(*m_connection));
    auto records = TRY(findAll(localIdentifiers));

    std::vector<SetAsideFile> setAside;
    // The failure that stops the purge, plus any file that could not be put
    // back: its row is kept, and the next open puts it back.
    auto putAllBack = [&](Error failure) {
        for (auto& file : setAside) {
            if (auto back = file.putBack(); !back)
                failure.message += "; " + back.message();
        }
        FileOperations::syncDirectory(m_directory.cameraFolder());
        return failure;
    };

    AssetTable table(*m_connection);
    for (const auto& record : records) {
        auto path = m_directory.resolve(record.relativePath);
        if (!path)
            return putAllBack(path.error());
        auto moved = SetAsideFile::setAside(path.value());
        if (!moved)
            return putAllBack(moved.error());
        setAside.push_back(moved.release());
        if (auto removed = table.remove(record.localIdentifier); !removed)
            return putAllBack(removed.error());
    }
    if (auto committed = transaction.commit(); !committed)
        return putAllBack(committed.error());
    // The rows are gone for good; a hidden file that cannot be removed now is
    // cleaned up on the next open.
    for (auto& file : setAside)
        (void)file.discard();
    return {};
}

Status PhotoLibraryStore::purge(std::string_view localIdentifier)
{
    return purge(std::vector<std::string> { std::string(localIdentifier) });
}

}  // namespace photos
