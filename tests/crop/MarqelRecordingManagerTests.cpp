#include "common/MarqelPreferences.h"
#include "platform/av/AVFoundation.h"
#include "platform/foundation/Foundation.h"
#include "platform/photos/Photos.h"
#include "platform/uikit/UIScreen.h"
#include "tests/support/Media.h"
#include "tests/support/TestDevice.h"
#include "tweak/core/MarqelConfig.h"
#include "tweak/crop/CropGeometry.h"
#include "tweak/crop/MarqelRecordingManager.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

#include <atomic>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class Delegate : public Object {
    MARQEL_OBJECT(Delegate, Object)
public:
    void finished() { ++calls; }
    std::atomic<int> calls { 0 };
};

}  // namespace

MARQEL_DEFINE_CLASS(Delegate, method<&Delegate::finished>("finishedCropVideoAndSavedToPhotoLibrary"))

namespace {

class CropEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        av_log_set_level(AV_LOG_ERROR);
        config = alloc<MarqelConfig>();
        config->setCropFrame(CGRectMake(20, 100, 250, 250));
        manager = alloc<MarqelRecordingManager>()->initWithConfig(config);
        delegate = alloc<Delegate>();
        manager->setDelegate(delegate);
    }

    // A recording as the system leaves it: a movie in the library.
    std::string addRecording(int width = 1170, int height = 2532, double seconds = 0.5)
    {
        std::string path = device.host("/tmp/recording-" + std::to_string(++made) + ".mov");
        EXPECT_TRUE(testsupport::makeMovie(path, width, height, seconds));
        auto* store = PHPhotoLibrary::sharedPhotoLibrary()->store().value();
        auto record = store->importFile(path, photos::MediaType::Video, { width, height, seconds },
            RunLoop::main().clock().epochSeconds() - 100 + made);
        EXPECT_TRUE(record.ok());
        return record.ok() ? record.value().localIdentifier : "";
    }

    std::vector<std::string> libraryIdentifiers(bool trashed)
    {
        auto options = alloc<PHFetchOptions>();
        options->setIncludeRecentlyDeleted(true);
        options->setSortDescriptors({ NSSortDescriptor::sortDescriptorWithKey("creationDate", true) });
        std::vector<std::string> ids;
        auto result = PHAsset::fetchAssetsWithMediaType(PHAssetMediaTypeVideo, options);
        for (const auto& asset : result->assets())
            if (asset->isTrashed() == trashed)
                ids.push_back(asset->localIdentifier());
        return ids;
    }

    void crop()
    {
        manager->prepareCropVideo();
        RunLoop::main().drain();
    }

    TestDevice device;
    int made = 0;
    std::shared_ptr<MarqelConfig> config;
    std::shared_ptr<MarqelRecordingManager> manager;
    std::shared_ptr<Delegate> delegate;
};

TEST(CropGeometry, PointsScaleToMoviePixelsAndRenderSizeRoundsDownToSixteen)
{
    CGRect crop = CropGeometry::cropRectInMovie({ 1170, 2532 }, { 390, 844 }, CGRectMake(20, 100, 250, 250));
    EXPECT_EQ(crop, CGRectMake(60, 300, 750, 750));
    EXPECT_EQ(CropGeometry::renderSize(crop), CGSizeMake(736, 736));
    CGAffineTransform t = CropGeometry::layerTransform(CGAffineTransformIdentity, crop);
    EXPECT_EQ(t.tx, -60);
    EXPECT_EQ(t.ty, -300);
    // The whole screen: the movie's size rounded down to multiples of 16.
    EXPECT_EQ(CropGeometry::renderSize(CropGeometry::cropRectInMovie({ 1170, 2532 }, { 390, 844 }, CGRectMake(0, 0, 390, 844))),
        CGSizeMake(1168, 2528));
    // A movie recorded smaller than the screen maps to proportionally smaller pixels.
    EXPECT_EQ(CropGeometry::cropRectInMovie({ 585, 1266 }, { 390, 844 }, CGRectMake(20, 100, 250, 250)), CGRectMake(30, 150, 375, 375));
    // Meeting the picture: any shared area, however small; none off its edges.
    EXPECT_TRUE(CropGeometry::meetsMovie({ 1170, 2532 }, CGRectMake(-100, -100, 101, 101)));
    EXPECT_FALSE(CropGeometry::meetsMovie({ 1170, 2532 }, CGRectMake(-100, 0, 100, 100)));
    EXPECT_FALSE(CropGeometry::meetsMovie({ 1170, 2532 }, CGRectMake(1170, 0, 100, 100)));
    EXPECT_FALSE(CropGeometry::meetsMovie({ 1170, 2532 }, CGRectMake(3e15, 300, 750, 750)));
    EXPECT_FALSE(CropGeometry::meetsMovie({ 1170, 2532 }, CGRectMake(NAN, 300, 750, 750)));
    // Under 16 pixels wide renders nothing.
    EXPECT_EQ(CropGeometry::renderSize(CGRectMake(0, 0, 15.9, 100)).width, 0);
}

TEST_F(CropEngine, CropsTheNewestVideoSavesItAndDeletesTheOriginal)
{
    std::string older = addRecording(390, 844);
    std::string original = addRecording();
    crop();
    EXPECT_EQ(delegate->calls, 1);
    auto kept = libraryIdentifiers(false);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept.front(), older);
    EXPECT_EQ(libraryIdentifiers(true), std::vector<std::string> { original }) << "the original goes to Recently Deleted";
    std::string output = device.host(MarqelRecordingManager::outputPath);
    EXPECT_EQ(testsupport::probeSize(output), "736x736");
    // The cropped pixels are the source's from (60, 300).
    auto* store = PHPhotoLibrary::sharedPhotoLibrary()->store().value();
    auto source = store->filePath(store->asset(original).value().value()).value().string();
    double difference = testsupport::meanDifference(testsupport::decodeFrame(output), testsupport::decodeFrame(source), 60, 300);
    EXPECT_LT(difference, 3.0);
}

TEST_F(CropEngine, KeepingTheOriginalLeavesBothTheCroppedOneNewest)
{
    ASSERT_TRUE(MarqelPreferences::write(MarqelPreferences::toggleKeepOriginalVideo, true));
    std::string original = addRecording();
    crop();
    auto kept = libraryIdentifiers(false);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept.front(), original);
    auto newest = PHAsset::fetchAssetsWithLocalIdentifiers({ kept.back() }, nullptr)->firstObject();
    EXPECT_EQ(newest->pixelWidth(), 736);
    EXPECT_TRUE(libraryIdentifiers(true).empty());
}

TEST_F(CropEngine, AVideoSavedDuringTheCropIsNeverDeleted)
{
    std::string original = addRecording();
    manager->prepareCropVideo();  // the run picks its recording now
    std::string arrivedMeanwhile = addRecording(390, 844);
    RunLoop::main().drain();
    EXPECT_EQ(delegate->calls, 1);
    EXPECT_EQ(libraryIdentifiers(true), std::vector<std::string> { original });
    auto kept = libraryIdentifiers(false);
    EXPECT_NE(std::find(kept.begin(), kept.end(), arrivedMeanwhile), kept.end());
}

TEST_F(CropEngine, AVideoAddedBetweenTheNoticeAndTheCropIsNotTakenForTheRecording)
{
    std::string original = addRecording();
    // Another process's movie lands after the save, before the notice
    // reaches us, and another before the crop starts.
    std::string imported = addRecording(390, 844);
    manager->noteSavedRecording();
    std::string later = addRecording(640, 480);
    crop();
    EXPECT_EQ(delegate->calls, 1);
    EXPECT_EQ(libraryIdentifiers(true), std::vector<std::string> { original });
    auto kept = libraryIdentifiers(false);
    EXPECT_NE(std::find(kept.begin(), kept.end(), imported), kept.end()) << "the user's movie stays";
    EXPECT_NE(std::find(kept.begin(), kept.end(), later), kept.end()) << "the user's movie stays";
    EXPECT_EQ(testsupport::probeSize(device.host(MarqelRecordingManager::outputPath)), "736x736") << "cut from the recording";
}

TEST_F(CropEngine, ANotedRecordingGoneBeforeTheCropLeavesEverythingElseAlone)
{
    std::string original = addRecording();
    manager->noteSavedRecording();
    PHPhotoLibrary::sharedPhotoLibrary()->performChanges(
        [&] { PHAssetChangeRequest::deleteAssets({ PHAsset::fetchAssetsWithLocalIdentifiers({ original }, nullptr)->firstObject() }); },
        nullptr);
    RunLoop::main().drain();
    std::string other = addRecording();
    std::size_t mark = SystemLog::shared().lineCount();
    crop();
    EXPECT_EQ(delegate->calls, 0);
    EXPECT_EQ(libraryIdentifiers(false), std::vector<std::string> { other });
    EXPECT_FALSE(manager->isCropping());
    bool logged = false;
    for (const auto& line : SystemLog::shared().lines(mark))
        logged = logged || line.find("marqel: the saved recording left the library before its crop") != std::string::npos;
    EXPECT_TRUE(logged);
}

TEST_F(CropEngine, ACropUnderSixteenPixelsFailsAndTouchesNothing)
{
    config->setCropFrame(CGRectMake(20, 100, 5, 250));
    std::string original = addRecording();
    std::size_t mark = SystemLog::shared().lineCount();
    crop();
    EXPECT_EQ(delegate->calls, 0);
    EXPECT_EQ(libraryIdentifiers(false), std::vector<std::string> { original });
    EXPECT_TRUE(libraryIdentifiers(true).empty());
    bool logged = false;
    for (const auto& line : SystemLog::shared().lines(mark))
        logged = logged || (line.find("marqel: ") != std::string::npos && line.find("render size") != std::string::npos);
    EXPECT_TRUE(logged);
    EXPECT_FALSE(manager->isCropping()) << "a failed run lets the next one start";
}

TEST_F(CropEngine, ARectangleOffTheScreenFailsAndTouchesNothing)
{
    for (CGRect frame : { CGRectMake(1000, 1000, 100, 100), CGRectMake(1e15, 100, 250, 250), CGRectMake(-300, 100, 250, 250) }) {
        config->setCropFrame(frame);
        std::string original = addRecording();
        fs::remove(device.host(MarqelRecordingManager::outputPath));
        std::size_t mark = SystemLog::shared().lineCount();
        crop();
        EXPECT_EQ(delegate->calls, 0);
        EXPECT_EQ(libraryIdentifiers(false).back(), original) << "nothing saved";
        EXPECT_TRUE(libraryIdentifiers(true).empty()) << "nothing deleted";
        EXPECT_FALSE(fs::exists(device.host(MarqelRecordingManager::outputPath))) << "nothing written";
        bool logged = false;
        for (const auto& line : SystemLog::shared().lines(mark))
            logged = logged || (line.find("marqel: ") != std::string::npos && line.find("does not meet the screen") != std::string::npos);
        EXPECT_TRUE(logged) << NSStringFromCGRect(frame);
        EXPECT_FALSE(manager->isCropping());
    }
}

TEST_F(CropEngine, ARectanglePartlyOffTheScreenStillCrops)
{
    config->setCropFrame(CGRectMake(-100, 100, 250, 250));
    addRecording();
    crop();
    EXPECT_EQ(delegate->calls, 1);
    EXPECT_EQ(testsupport::probeSize(device.host(MarqelRecordingManager::outputPath)), "736x736");
}

TEST_F(CropEngine, NothingToCropIsLoggedAndTouchesNothing)
{
    crop();  // empty library
    EXPECT_EQ(delegate->calls, 0);
    EXPECT_FALSE(manager->isCropping());
    // A recording whose file is gone.
    std::string original = addRecording();
    auto* store = PHPhotoLibrary::sharedPhotoLibrary()->store().value();
    fs::remove(store->filePath(store->asset(original).value().value()).value());
    crop();
    EXPECT_EQ(delegate->calls, 0);
    EXPECT_EQ(libraryIdentifiers(false), std::vector<std::string> { original });
    EXPECT_FALSE(manager->isCropping());
}

TEST_F(CropEngine, ASecondCropWhileOneRunsIsNotStarted)
{
    addRecording();
    manager->prepareCropVideo();
    std::size_t mark = SystemLog::shared().lineCount();
    manager->prepareCropVideo();
    auto lines = SystemLog::shared().lines(mark);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.front().find("already running"), std::string::npos);
    RunLoop::main().drain();
    EXPECT_EQ(delegate->calls, 1);
}

TEST_F(CropEngine, TheTemporaryFileIsOverwrittenAndAPlantedLinkIsNotFollowed)
{
    std::string output = device.host(MarqelRecordingManager::outputPath);
    std::string victim = device.root() + "/victim.txt";
    std::ofstream(victim) << "precious";
    fs::create_directories(fs::path(output).parent_path());
    fs::create_symlink(victim, output);
    addRecording();
    crop();
    EXPECT_EQ(delegate->calls, 1);
    EXPECT_FALSE(fs::is_symlink(output));
    std::ifstream in(victim);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "precious");
    // A second run replaces the file with its own crop.
    config->setCropFrame(CGRectMake(0, 0, 130, 130));
    RunLoop::main().runFor(200);  // the next recording is newer than the first crop
    addRecording();
    crop();
    EXPECT_EQ(delegate->calls, 2);
    EXPECT_EQ(testsupport::probeSize(output), "384x384");
}

TEST_F(CropEngine, TwoManagersEachFinishTheirOwnExport)
{
    std::string original = addRecording();
    auto url = NSURL::fileURLWithPath(PHPhotoLibrary::mediaDevicePath + std::string("/")
        + PHAsset::fetchAssetsWithLocalIdentifiers({ original }, nullptr)->firstObject()->record().relativePath);
    ASSERT_TRUE(MarqelPreferences::write(MarqelPreferences::toggleKeepOriginalVideo, true));

    auto otherConfig = alloc<MarqelConfig>();
    otherConfig->setCropFrame(CGRectMake(0, 0, 130, 130));
    auto other = alloc<MarqelRecordingManager>()->initWithConfig(otherConfig);
    auto otherDelegate = alloc<Delegate>();
    other->setDelegate(otherDelegate);

    manager->beginCropTheVideoFromURL(url);
    other->beginCropTheVideoFromURL(url);
    auto first = manager->currentExport();
    auto second = other->currentExport();
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second) << "a second manager must not replace the first one's export";
    RunLoop::main().drain();

    EXPECT_EQ(manager->currentExport(), first);
    EXPECT_EQ(other->currentExport(), second);
    EXPECT_EQ(first->videoComposition()->renderSize(), CGSizeMake(736, 736));
    EXPECT_EQ(second->videoComposition()->renderSize(), CGSizeMake(384, 384));
    EXPECT_EQ(first->status(), AVAssetExportSessionStatusCompleted);
    EXPECT_EQ(second->status(), AVAssetExportSessionStatusCompleted);
    EXPECT_EQ(delegate->calls, 1);
    EXPECT_EQ(otherDelegate->calls, 1);
}

}  // namespace
