#include "TestLibrary.h"

#include "tests/support/Files.h"

#include <sqlite3.h>

#include <algorithm>

namespace photos::test {

void TestLibrary::SetUp()
{
    m_folder = std::make_unique<testsupport::TempDir>("photos-test");
    m_root = std::filesystem::path(m_folder->path()) / "Media";
    m_sources = std::filesystem::path(m_folder->path()) / "sources";
    std::filesystem::create_directories(m_sources);
}

void TestLibrary::TearDown()
{
    m_folder.reset();
}

std::unique_ptr<PhotoLibraryStore> TestLibrary::openStore(const StoreOptions& options)
{
    auto opened = PhotoLibraryStore::open(m_root, options);
    EXPECT_TRUE(opened.ok()) << opened.message();
    if (!opened)
        return nullptr;
    return std::move(opened).value();
}

std::filesystem::path TestLibrary::makeSource(const std::string& name, const std::string& contents)
{
    auto folder = m_sources / std::to_string(++m_sourceCounter);
    std::filesystem::create_directories(folder);
    writeFile(folder / name, contents);
    return folder / name;
}

AssetRecord TestLibrary::importClip(PhotoLibraryStore& store, double creationDate, const std::string& name,
    MediaType type, std::int64_t width)
{
    auto source = makeSource(name, "contents of " + name + " at " + std::to_string(creationDate));
    auto imported = store.importFile(source, type, MediaFacts { width, 2532, type == MediaType::Video ? 4.5 : 0 },
        creationDate);
    EXPECT_TRUE(imported.ok()) << imported.message();
    return imported ? imported.value() : AssetRecord {};
}

std::vector<std::string> TestLibrary::cameraFolderNames() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(cameraFolder()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void TestLibrary::sql(const std::string& statement) const
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(databasePath().c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    int rc = sqlite3_exec(db, statement.c_str(), nullptr, nullptr, &error);
    std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << message;
}

std::string TestLibrary::sqlText(const std::string& query) const
{
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(databasePath().c_str(), &db), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    std::string result;
    if (sqlite3_prepare_v2(db, query.c_str(), -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0))
        result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    else
        ADD_FAILURE() << "query failed: " << query << ": " << sqlite3_errmsg(db);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

std::string TestLibrary::readFile(const std::filesystem::path& path)
{
    return testsupport::readFile(path.string());
}

void TestLibrary::writeFile(const std::filesystem::path& path, const std::string& contents)
{
    testsupport::writeFile(path.string(), contents);
}

std::vector<std::string> TestLibrary::identifiersOf(const std::vector<AssetRecord>& records)
{
    std::vector<std::string> identifiers;
    for (const auto& record : records)
        identifiers.push_back(record.localIdentifier);
    return identifiers;
}

}  // namespace photos::test
