#include "TestLibrary.h"

#include <chrono>

namespace photos::test {

class Trash : public TestLibrary {
protected:
    void SetUp() override
    {
        TestLibrary::SetUp();
        StoreOptions options;
        options.now = [this] { return clock; };
        store = openStore(options);
        ASSERT_TRUE(store);
        a = importClip(*store, 1, "a.mov");
        b = importClip(*store, 2, "b.mov");
    }

    std::vector<std::string> visible()
    {
        auto fetched = store->fetch();
        EXPECT_TRUE(fetched.ok()) << fetched.message();
        return fetched ? identifiersOf(fetched.value()) : std::vector<std::string> {};
    }

    AssetRecord current(const std::string& identifier)
    {
        auto found = store->asset(identifier);
        EXPECT_TRUE(found.ok() && found.value().has_value());
        return found.ok() && found.value() ? *found.value() : AssetRecord {};
    }

    // The host's clock, as the store is told to read it.
    double clock = 1700000000.25;
    std::unique_ptr<PhotoLibraryStore> store;
    AssetRecord a, b;
};

TEST_F(Trash, TrashedAssetIsHiddenUntilRestored)
{
    ASSERT_TRUE(store->trash({ a.localIdentifier }).ok());

    EXPECT_EQ(visible(), std::vector { b.localIdentifier });
    auto trashed = current(a.localIdentifier);
    EXPECT_EQ(trashed.trashedDate, 1700000000.25);
    EXPECT_TRUE(store->hasFile(trashed));

    FetchQuery everything;
    everything.includeTrashed = true;
    auto all = store->fetch(everything);
    ASSERT_TRUE(all.ok());
    EXPECT_EQ(identifiersOf(all.value()), (std::vector { a.localIdentifier, b.localIdentifier }));
    auto listed = store->listTrashed();
    ASSERT_TRUE(listed.ok());
    EXPECT_EQ(identifiersOf(listed.value()), std::vector { a.localIdentifier });

    ASSERT_TRUE(store->restore(a.localIdentifier).ok());
    EXPECT_EQ(visible(), (std::vector { a.localIdentifier, b.localIdentifier }));
    EXPECT_EQ(current(a.localIdentifier), a);
    EXPECT_TRUE(store->listTrashed().value().empty());
}

TEST_F(Trash, TrashingAgainKeepsTheFirstDate)
{
    ASSERT_TRUE(store->trash({ a.localIdentifier }).ok());
    sql("UPDATE assets SET trashed_date = 5");
    ASSERT_TRUE(store->trash({ a.localIdentifier, a.localIdentifier }).ok());
    EXPECT_EQ(current(a.localIdentifier).trashedDate, 5.0);
}

TEST_F(Trash, EachTrashingTakesTheClockOfItsMoment)
{
    ASSERT_TRUE(store->trash({ a.localIdentifier }).ok());
    clock += 90;
    ASSERT_TRUE(store->trash({ b.localIdentifier }).ok());
    EXPECT_EQ(current(a.localIdentifier).trashedDate, 1700000000.25);
    EXPECT_EQ(current(b.localIdentifier).trashedDate, 1700000090.25);
    auto listed = store->listTrashed();
    ASSERT_TRUE(listed.ok());
    EXPECT_EQ(listed.value().size(), 2u);
}

TEST_F(Trash, UnknownIdentifierChangesNothing)
{
    auto trashed = store->trash({ a.localIdentifier, "no-such-asset" });
    ASSERT_FALSE(trashed.ok());
    EXPECT_EQ(trashed.code(), ErrorCode::NotFound);
    EXPECT_NE(trashed.message().find("no-such-asset"), std::string::npos) << trashed.message();
    EXPECT_EQ(current(a.localIdentifier), a);

    ASSERT_TRUE(store->trash({ b.localIdentifier }).ok());
    auto restored = store->restore({ b.localIdentifier, "no-such-asset" });
    EXPECT_EQ(restored.code(), ErrorCode::NotFound);
    EXPECT_TRUE(current(b.localIdentifier).isTrashed());

    auto purged = store->purge({ a.localIdentifier, b.localIdentifier, "no-such-asset" });
    EXPECT_EQ(purged.code(), ErrorCode::NotFound);
    EXPECT_TRUE(store->hasFile(current(a.localIdentifier)));
    EXPECT_TRUE(store->hasFile(current(b.localIdentifier)));
    EXPECT_EQ(cameraFolderNames(), (std::vector<std::string> { "IMG_0001.MOV", "IMG_0002.MOV" }));

    EXPECT_EQ(store->restore("no-such-asset").code(), ErrorCode::NotFound);
    EXPECT_EQ(store->purge("no-such-asset").code(), ErrorCode::NotFound);
}

TEST_F(Trash, PurgeDeletesRowAndFile)
{
    ASSERT_TRUE(store->trash({ a.localIdentifier }).ok());
    ASSERT_TRUE(store->purge(a.localIdentifier).ok());
    auto found = store->asset(a.localIdentifier);
    ASSERT_TRUE(found.ok());
    EXPECT_FALSE(found.value().has_value());
    EXPECT_EQ(cameraFolderNames(), std::vector<std::string> { "IMG_0002.MOV" });
    EXPECT_TRUE(store->listTrashed().value().empty());
    EXPECT_EQ(visible(), std::vector { b.localIdentifier });
}

TEST_F(Trash, PurgeOfAnAssetWhoseFileIsMissingStillRemovesTheRow)
{
    std::filesystem::remove(root() / a.relativePath);
    ASSERT_TRUE(store->purge(a.localIdentifier).ok());
    EXPECT_FALSE(store->asset(a.localIdentifier).value().has_value());
}

TEST_F(Trash, PurgeThatCannotCommitPutsTheFileBack)
{
    sql("CREATE TRIGGER keep BEFORE DELETE ON assets BEGIN SELECT RAISE(ABORT, 'kept by test'); END");
    std::string contents = readFile(root() / a.relativePath);
    auto purged = store->purge({ b.localIdentifier, a.localIdentifier });
    ASSERT_FALSE(purged.ok());
    EXPECT_NE(purged.message().find("kept by test"), std::string::npos) << purged.message();
    EXPECT_EQ(cameraFolderNames(), (std::vector<std::string> { "IMG_0001.MOV", "IMG_0002.MOV" }));
    EXPECT_EQ(readFile(root() / a.relativePath), contents);
    EXPECT_EQ(visible(), (std::vector { a.localIdentifier, b.localIdentifier }));
}

TEST_F(Trash, PathsLeavingTheMediaDirectoryAreRefused)
{
    writeFile(root().parent_path() / "outside.mov", "not ours");
    for (const char* path : { "../outside.mov", "/etc/passwd", "DCIM/../../outside.mov", "", "PhotoData/Photos.sqlite" }) {
        AssetRecord forged = a;
        forged.relativePath = path;
        EXPECT_FALSE(store->filePath(forged).ok()) << path;
        EXPECT_FALSE(store->hasFile(forged)) << path;
    }
    sql("UPDATE assets SET relative_path = '../outside.mov' WHERE local_identifier = '" + a.localIdentifier + "'");
    EXPECT_FALSE(store->purge(a.localIdentifier).ok());
    EXPECT_EQ(readFile(root().parent_path() / "outside.mov"), "not ours");
}

TEST_F(Trash, EmptyListsChangeNothing)
{
    EXPECT_TRUE(store->trash({}).ok());
    EXPECT_TRUE(store->restore(std::vector<std::string> {}).ok());
    EXPECT_TRUE(store->purge(std::vector<std::string> {}).ok());
    EXPECT_EQ(visible().size(), 2u);
}

}  // namespace photos::test
