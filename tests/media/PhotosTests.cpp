#include "platform/foundation/Foundation.h"
#include "platform/photos/Photos.h"
#include "tests/support/Media.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

struct Outcome {
    bool done = false;
    bool success = false;
    std::string error;
};

Outcome change(std::function<void()> block)
{
    Outcome outcome;
    PHPhotoLibrary::sharedPhotoLibrary()->performChanges(std::move(block), [&](bool success, id error) {
        outcome.success = success;
        outcome.error = error ? error->description() : "";
        outcome.done = true;
    });
    RunLoop::main().drain();
    return outcome;
}

std::shared_ptr<PHFetchResult> videos()
{
    auto options = alloc<PHFetchOptions>();
    options->setSortDescriptors({ NSSortDescriptor::sortDescriptorWithKey("creationDate", true) });
    return PHAsset::fetchAssetsWithMediaType(PHAssetMediaTypeVideo, options);
}

class PhotosTest : public ::testing::Test {
protected:
    TestDevice device;
};

TEST_F(PhotosTest, SavedMoviesAreCopiedInProbedAndFetchedOldestFirst)
{
    ASSERT_TRUE(testsupport::makeMovie(device.host("/tmp/a.mov"), 320, 240, 0.5));
    ASSERT_TRUE(testsupport::makeMovie(device.host("/tmp/b.mov"), 240, 320, 0.5));
    auto url = NSURL::fileURLWithPath("/tmp/a.mov");
    EXPECT_TRUE(change([&] { PHAssetChangeRequest::creationRequestForAssetFromVideoAtFileURL(url); }).success);
    EXPECT_TRUE(change([] { PHAssetChangeRequest::creationRequestForAssetFromVideoAtFileURL(NSURL::fileURLWithPath("/tmp/b.mov")); }).success);
    auto all = videos();
    ASSERT_EQ(all->count(), 2);
    EXPECT_EQ(all->firstObject()->pixelWidth(), 320);
    EXPECT_EQ(all->lastObject()->pixelWidth(), 240);
    EXPECT_NEAR(all->lastObject()->duration(), 0.5, 0.1);
    EXPECT_TRUE(std::filesystem::exists(device.host("/tmp/a.mov"))) << "the file is copied, not moved";
}

TEST_F(PhotosTest, AFileThatIsNotAMovieFailsTheWholeChangeWithADescription)
{
    ASSERT_TRUE(testsupport::makeMovie(device.host("/tmp/ok.mov"), 160, 120, 0.3));
    std::ofstream(device.host("/tmp/notes.txt")) << "hello";
    auto outcome = change([] {
        PHAssetChangeRequest::creationRequestForAssetFromVideoAtFileURL(NSURL::fileURLWithPath("/tmp/ok.mov"));
        PHAssetChangeRequest::creationRequestForAssetFromVideoAtFileURL(NSURL::fileURLWithPath("/tmp/notes.txt"));
    });
    EXPECT_TRUE(outcome.done);
    EXPECT_FALSE(outcome.success);
    EXPECT_NE(outcome.error.find("/tmp/notes.txt"), std::string::npos) << outcome.error;
    EXPECT_EQ(videos()->count(), 0) << "nothing of a failed change block is applied";
}

TEST_F(PhotosTest, DeletedAssetsGoToRecentlyDeletedAndAssetRequestsSeeMissingFiles)
{
    ASSERT_TRUE(testsupport::makeMovie(device.host("/tmp/a.mov"), 160, 120, 0.3));
    ASSERT_TRUE(change([] { PHAssetChangeRequest::creationRequestForAssetFromVideoAtFileURL(NSURL::fileURLWithPath("/tmp/a.mov")); }).success);
    auto asset = videos()->lastObject();
    ASSERT_TRUE(asset);

    id requested;
    bool answered = false;
    PHImageManager::defaultManager()->requestAVAssetForVideo(asset, nullptr, [&](id avAsset, id, id) {
        requested = avAsset;
        answered = true;
    });
    RunLoop::main().drain();
    EXPECT_TRUE(answered);
    EXPECT_TRUE(requested);

    ASSERT_TRUE(change([asset] { PHAssetChangeRequest::deleteAssets({ asset }); }).success);
    EXPECT_EQ(videos()->count(), 0);
    auto options = alloc<PHFetchOptions>();
    options->setIncludeRecentlyDeleted(true);
    auto trashed = PHAsset::fetchAssetsWithMediaType(PHAssetMediaTypeVideo, options);
    ASSERT_EQ(trashed->count(), 1);
    EXPECT_TRUE(trashed->firstObject()->isTrashed());

    // The file gone: the request answers with no asset.
    auto* store = PHPhotoLibrary::sharedPhotoLibrary()->store().value();
    std::filesystem::remove(store->filePath(asset->record()).value());
    answered = false;
    PHImageManager::defaultManager()->requestAVAssetForVideo(asset, nullptr, [&](id avAsset, id, id) {
        requested = avAsset;
        answered = true;
    });
    RunLoop::main().drain();
    EXPECT_TRUE(answered);
    EXPECT_FALSE(requested);
}

TEST_F(PhotosTest, TheTrashDateIsTheRunLoopsClock)
{
    ASSERT_TRUE(testsupport::makeMovie(device.host("/tmp/a.mov"), 160, 120, 0.3));
    ASSERT_TRUE(change([] { PHAssetChangeRequest::creationRequestForAssetFromVideoAtFileURL(NSURL::fileURLWithPath("/tmp/a.mov")); }).success);
    auto asset = videos()->lastObject();
    ASSERT_TRUE(asset);
    RunLoop::main().runFor(3600);
    double deletedAt = RunLoop::main().clock().epochSeconds();
    ASSERT_TRUE(change([asset] { PHAssetChangeRequest::deleteAssets({ asset }); }).success);
    auto* store = PHPhotoLibrary::sharedPhotoLibrary()->store().value();
    auto record = store->asset(asset->localIdentifier());
    ASSERT_TRUE(record && record.value());
    EXPECT_EQ(record.value()->trashedDate, deletedAt);
    EXPECT_NEAR(*record.value()->trashedDate - record.value()->creationDate, 3600, 1e-3);
}

}  // namespace
