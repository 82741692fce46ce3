#include "TestLibrary.h"

#include <sqlite3.h>

#include <cmath>
#include <limits>
#include <regex>

namespace photos::test {

using Import = TestLibrary;

TEST_F(Import, CopiesTheFileAndRecordsTheFacts)
{
    auto store = openStore();
    auto source = makeSource("Screen Recording.mov", std::string(3 << 20, 'v') + "tail");
    auto imported = store->importFile(source, MediaType::Video, MediaFacts { 1170, 2532, 12.5 }, 1700000000.25);
    ASSERT_TRUE(imported.ok()) << imported.message();
    const auto& record = imported.value();

    EXPECT_TRUE(std::regex_match(record.localIdentifier,
        std::regex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}/L0/001")))
        << record.localIdentifier;
    EXPECT_EQ(record.mediaType, MediaType::Video);
    EXPECT_EQ(record.creationDate, 1700000000.25);
    EXPECT_EQ(record.pixelWidth, 1170);
    EXPECT_EQ(record.pixelHeight, 2532);
    EXPECT_EQ(record.duration, 12.5);
    EXPECT_EQ(record.relativePath, "DCIM/100APPLE/IMG_0001.MOV");
    EXPECT_EQ(record.originalFilename, "Screen Recording.mov");
    EXPECT_FALSE(record.isTrashed());

    auto path = store->filePath(record);
    ASSERT_TRUE(path.ok());
    EXPECT_EQ(path.value(), root() / "DCIM/100APPLE/IMG_0001.MOV");
    EXPECT_TRUE(path.value().is_absolute());
    EXPECT_EQ(readFile(path.value()), readFile(source));
    EXPECT_TRUE(std::filesystem::exists(source));
    EXPECT_EQ(cameraFolderNames(), std::vector<std::string> { "IMG_0001.MOV" });

    auto stored = store->asset(record.localIdentifier);
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(stored.value(), record);
}

TEST_F(Import, NamesShareOneCounterAcrossExtensions)
{
    auto store = openStore();
    EXPECT_EQ(importClip(*store, 1, "a.mov").relativePath, "DCIM/100APPLE/IMG_0001.MOV");
    EXPECT_EQ(importClip(*store, 2, "b.jpg", MediaType::Image).relativePath, "DCIM/100APPLE/IMG_0002.JPG");
    EXPECT_EQ(importClip(*store, 3, "c.mp4").relativePath, "DCIM/100APPLE/IMG_0003.MP4");
}

TEST_F(Import, ExtensionFallsBackToTheMediaTypeDefault)
{
    auto store = openStore();
    EXPECT_EQ(importClip(*store, 1, "noextension").relativePath, "DCIM/100APPLE/IMG_0001.MOV");
    EXPECT_EQ(importClip(*store, 2, "photo", MediaType::Image).relativePath, "DCIM/100APPLE/IMG_0002.JPG");
    EXPECT_EQ(importClip(*store, 3, "odd.m$v").relativePath, "DCIM/100APPLE/IMG_0003.MOV");
}

TEST_F(Import, NeverOverwritesAFileAlreadyThere)
{
    auto store = openStore();
    writeFile(cameraFolder() / "IMG_0001.MOV", "keep me");
    writeFile(cameraFolder() / "img_0005.jpg", "keep me too");
    auto record = importClip(*store, 1);
    EXPECT_EQ(record.relativePath, "DCIM/100APPLE/IMG_0006.MOV");
    EXPECT_EQ(readFile(cameraFolder() / "IMG_0001.MOV"), "keep me");
    EXPECT_EQ(readFile(cameraFolder() / "img_0005.jpg"), "keep me too");
}

TEST_F(Import, AssetWhoseFileIsMissingKeepsItsName)
{
    auto store = openStore();
    importClip(*store, 1);
    auto lost = importClip(*store, 2);
    std::filesystem::remove(root() / lost.relativePath);
    EXPECT_FALSE(store->hasFile(lost));

    auto next = importClip(*store, 3);
    EXPECT_EQ(next.relativePath, "DCIM/100APPLE/IMG_0003.MOV");
    EXPECT_TRUE(store->hasFile(next));
}

TEST_F(Import, BadInputIsRefusedAndLeavesNothing)
{
    auto store = openStore();
    auto source = makeSource("ok.mov", "data");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        std::filesystem::path source;
        MediaType type;
        MediaFacts facts;
        double date;
        ErrorCode expected;
    };
    const Case cases[] = {
        { root() / "missing.mov", MediaType::Video, {}, 1, ErrorCode::NotFound },
        { source.parent_path(), MediaType::Video, {}, 1, ErrorCode::InvalidArgument },
        { "", MediaType::Video, {}, 1, ErrorCode::InvalidArgument },
        { source, static_cast<MediaType>(3), {}, 1, ErrorCode::InvalidArgument },
        { source, MediaType::Video, { -1, 10, 1 }, 1, ErrorCode::InvalidArgument },
        { source, MediaType::Video, { 10, 10, nan }, 1, ErrorCode::InvalidArgument },
        { source, MediaType::Video, { 10, 10, -2 }, 1, ErrorCode::InvalidArgument },
        { source, MediaType::Video, { 10, 10, 1 }, inf, ErrorCode::InvalidArgument },
    };
    for (const auto& c : cases) {
        auto imported = store->importFile(c.source, c.type, c.facts, c.date);
        ASSERT_FALSE(imported.ok()) << c.source;
        EXPECT_EQ(imported.code(), c.expected) << imported.message();
        EXPECT_FALSE(imported.message().empty());
    }
    EXPECT_TRUE(cameraFolderNames().empty());
    EXPECT_EQ(sqlText("SELECT count(*) FROM assets"), "0");
}

TEST_F(Import, FailedInsertRemovesTheCopiedFile)
{
    auto store = openStore();
    sql("CREATE TRIGGER refuse BEFORE INSERT ON assets BEGIN SELECT RAISE(ABORT, 'refused by test'); END");
    auto imported = store->importFile(makeSource("a.mov", "data"), MediaType::Video, {}, 1);
    ASSERT_FALSE(imported.ok());
    EXPECT_NE(imported.message().find("refused by test"), std::string::npos) << imported.message();
    EXPECT_TRUE(cameraFolderNames().empty());

    sql("DROP TRIGGER refuse");
    EXPECT_EQ(importClip(*store, 1).relativePath, "DCIM/100APPLE/IMG_0001.MOV");
}

TEST_F(Import, LockedDatabaseReportsBusyAndLeavesNoFile)
{
    StoreOptions impatient;
    impatient.busyTimeout = std::chrono::milliseconds(0);
    auto store = openStore(impatient);
    // Another process holding the write lock: a connection mid-transaction.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(databasePath().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    auto imported = store->importFile(makeSource("a.mov", "data"), MediaType::Video, {}, 1);
    ASSERT_FALSE(imported.ok());
    EXPECT_EQ(imported.code(), ErrorCode::Busy) << imported.message();
    EXPECT_TRUE(cameraFolderNames().empty());

    ASSERT_EQ(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(importClip(*store, 1).relativePath, "DCIM/100APPLE/IMG_0001.MOV");
}

}  // namespace photos::test
