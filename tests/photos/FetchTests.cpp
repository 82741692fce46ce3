#include "TestLibrary.h"

#include <algorithm>

namespace photos::test {

class Fetch : public TestLibrary {
protected:
    void SetUp() override
    {
        TestLibrary::SetUp();
        store = openStore();
        ASSERT_TRUE(store);
        // Three share a creation date, as clips recorded in the same second do.
        a = importClip(*store, 100, "a.mov", MediaType::Video, 300).localIdentifier;
        b = importClip(*store, 100, "b.jpg", MediaType::Image, 200).localIdentifier;
        c = importClip(*store, 50, "c.mov", MediaType::Video, 200).localIdentifier;
        d = importClip(*store, 100, "d.mov", MediaType::Video, 100).localIdentifier;
    }

    std::vector<std::string> fetchIds(const FetchQuery& query)
    {
        auto fetched = store->fetch(query);
        EXPECT_TRUE(fetched.ok()) << fetched.message();
        return fetched ? identifiersOf(fetched.value()) : std::vector<std::string> {};
    }

    std::unique_ptr<PhotoLibraryStore> store;
    std::string a, b, c, d;
};

TEST_F(Fetch, WithoutSortKeysAssetsComeInInsertionOrder)
{
    EXPECT_EQ(fetchIds({}), (std::vector { a, b, c, d }));
}

TEST_F(Fetch, EqualCreationDatesKeepInsertionOrder)
{
    FetchQuery ascending;
    ascending.sortKeys = { { "creationDate", true } };
    EXPECT_EQ(fetchIds(ascending), (std::vector { c, a, b, d }));

    FetchQuery descending;
    descending.sortKeys = { { "creationDate", false } };
    EXPECT_EQ(fetchIds(descending), (std::vector { d, b, a, c }));
}

TEST_F(Fetch, SeveralSortKeysApplyInOrder)
{
    FetchQuery query;
    query.sortKeys = { { "pixelWidth", false }, { "creationDate", true } };
    EXPECT_EQ(fetchIds(query), (std::vector { a, c, b, d }));
}

TEST_F(Fetch, SortsByLocalIdentifier)
{
    FetchQuery query;
    query.sortKeys = { { "localIdentifier", true } };
    std::vector expected { a, b, c, d };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(fetchIds(query), expected);
}

TEST_F(Fetch, FiltersByMediaType)
{
    FetchQuery videos;
    videos.mediaType = MediaType::Video;
    EXPECT_EQ(fetchIds(videos), (std::vector { a, c, d }));
    FetchQuery images;
    images.mediaType = MediaType::Image;
    EXPECT_EQ(fetchIds(images), (std::vector { b }));
}

TEST_F(Fetch, LimitKeepsTheFirstOnes)
{
    FetchQuery query;
    query.sortKeys = { { "creationDate", false } };
    query.limit = 2;
    EXPECT_EQ(fetchIds(query), (std::vector { d, b }));
}

TEST_F(Fetch, UnknownSortKeyIsRefusedWithoutReachingSql)
{
    FetchQuery query;
    query.sortKeys = { { "creation_date; DROP TABLE assets", true } };
    auto fetched = store->fetch(query);
    ASSERT_FALSE(fetched.ok());
    EXPECT_EQ(fetched.code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(sqlText("SELECT count(*) FROM assets"), "4");
}

TEST_F(Fetch, SecondStoreSeesWritesAtOnce)
{
    auto other = openStore();
    auto e = importClip(*other, 10).localIdentifier;
    EXPECT_EQ(fetchIds({}), (std::vector { a, b, c, d, e }));
    ASSERT_TRUE(other->trash({ a }).ok());
    EXPECT_EQ(fetchIds({}), (std::vector { b, c, d, e }));
}

}  // namespace photos::test
