#include "bench/reliability/LibraryCheck.h"

#include "platform/photos/AssetFileWriter.h"
#include "platform/photos/PhotoLibraryStore.h"

#include <filesystem>
#include <map>
#include <sqlite3.h>

namespace reliability {

namespace {

namespace fs = std::filesystem;

int hiddenFilesIn(const fs::path& folder, bool (*isTemporary)(const std::string&))
{
    int count = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (isTemporary(it->path().filename().string()))
            ++count;
    return count;
}

}  // namespace

bool LibraryCheck::isOriginal(const photos::AssetRecord& record) { return record.pixelWidth == 1170 && record.pixelHeight == 2532; }

LibraryCheck::LibraryCheck(std::string root)
    : m_root(std::move(root))
{
}

void LibraryCheck::checkDatabase(CaseOutcome& outcome) const
{
    fs::path database = fs::path(m_root) / "var/mobile/Media/PhotoData/Photos.sqlite";
    if (!fs::exists(database))
        return;
    sqlite3* connection = nullptr;
    if (sqlite3_open_v2(database.c_str(), &connection, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        outcome.fault(outcome.corruptFiles, "the photo database does not open");
        sqlite3_close(connection);
        return;
    }
    sqlite3_busy_timeout(connection, 10000);
    sqlite3_stmt* statement = nullptr;
    std::string verdict = "no answer";
    if (sqlite3_prepare_v2(connection, "PRAGMA integrity_check", -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        verdict = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    sqlite3_close(connection);
    if (verdict != "ok")
        outcome.fault(outcome.corruptFiles, "integrity_check says " + verdict);
}

void LibraryCheck::checkContents(CaseOutcome& outcome)
{
    fs::path media = fs::path(m_root) / "var/mobile/Media";
    auto store = photos::PhotoLibraryStore::open(media);
    if (!store) {
        outcome.fault(outcome.corruptFiles, "the library does not open: " + store.message());
        return;
    }
    photos::FetchQuery everything;
    everything.includeTrashed = true;
    auto records = store.value()->fetch(everything);
    if (!records) {
        outcome.fault(outcome.corruptFiles, "the library cannot be listed: " + records.message());
        return;
    }
    std::set<std::string> listedFiles;
    std::map<std::string, const photos::AssetRecord*> byIdentifier;
    double newestCrop = -1;
    for (const auto& record : records.value()) {
        byIdentifier[record.localIdentifier] = &record;
        listedFiles.insert(fs::path(record.relativePath).filename().string());
        if (!store.value()->hasFile(record))
            outcome.fault(outcome.corruptFiles, "the row " + record.relativePath + " has no file");
        if (!isOriginal(record) && !m_imported.count(record.localIdentifier))
            newestCrop = std::max(newestCrop, record.creationDate);
    }
    std::error_code ec;
    for (fs::directory_iterator it(store.value()->mediaDirectory() / "DCIM/100APPLE", ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.starts_with("IMG_") && !listedFiles.count(name))
            outcome.fault(outcome.corruptFiles, "the file " + name + " has no row");
    }
    for (const auto& record : records.value()) {
        if (!isOriginal(record))
            continue;
        m_originals.insert(record.localIdentifier);
        // Deleted only once the crop that replaces it is saved: a crop row
        // no older than the recording.
        if (record.isTrashed() && newestCrop < record.creationDate)
            outcome.fault(outcome.originalsLost, "the recording " + record.relativePath + " was deleted with no cropped movie saved");
    }
    for (const auto& identifier : m_originals)
        if (!byIdentifier.count(identifier))
            outcome.fault(outcome.originalsLost, "the recording " + identifier + " left the library");
}

int LibraryCheck::temporaries() const
{
    fs::path base(m_root);
    auto importing = [](const std::string& name) { return name.starts_with(photos::AssetFileWriter::temporaryPrefix); };
    auto part = [](const std::string& name) { return name.starts_with(".") && name.ends_with(".part"); };
    return hiddenFilesIn(base / "var/mobile/Media/DCIM/100APPLE", importing) + hiddenFilesIn(base / "tmp", part)
        + hiddenFilesIn(base / "var/mobile/Library/ReplayKit", part);
}

}  // namespace reliability
