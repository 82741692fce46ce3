#include "platform/av/AVFoundation.h"
#include "platform/av/InputMovie.h"
#include "platform/foundation/Foundation.h"
#include "tests/support/Media.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::shared_ptr<NSURL> movieInDevice(const TestDevice& device, const std::string& source)
{
    const std::string path = "/tmp/recording.mov";
    fs::create_directories(fs::path(device.host(path)).parent_path());
    fs::copy_file(source, device.host(path), fs::copy_options::overwrite_existing);
    return NSURL::fileURLWithPath(path);
}

std::shared_ptr<AVAssetExportSession> exportHalf(const std::shared_ptr<AVAsset>& asset, const std::string& out)
{
    auto composition = AVMutableVideoComposition::videoComposition();
    composition->setFrameDuration(CMTimeMake(1, 30));
    composition->setRenderSize(CGSizeMake(160, 120));
    auto session = AVAssetExportSession::exportSessionWithAsset(asset, AVAssetExportPreset1920x1080);
    session->setVideoComposition(composition);
    session->setOutputURL(NSURL::fileURLWithPath(out));
    session->setOutputFileType(AVFileTypeQuickTimeMovie);
    bool finished = false;
    session->exportAsynchronouslyWithCompletionHandler([&finished] { finished = true; });
    RunLoop::main().runUntil([&finished] { return finished; }, 600);
    return session;
}

}  // namespace

TEST(AVAsset, TheMovieOpenedToReadTheTracksIsHandedOverOnce)
{
    TestDevice device;
    auto asset = AVAsset::assetWithURL(movieInDevice(device, testsupport::patternMovie(320, 240, true)));
    ASSERT_TRUE(asset->isPlayable()) << asset->loadError()->message;
    EXPECT_FALSE(asset->loadError());
    ASSERT_EQ(asset->tracksWithMediaType(AVMediaTypeVideo).size(), 1u);
    auto movie = asset->takeOpenedMovie();
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->info().width, 320);
    EXPECT_FALSE(asset->takeOpenedMovie()) << "a second export must open the file itself";
}

TEST(AVAsset, AnUnreadableFileHoldsNothingOpen)
{
    TestDevice device;
    fs::create_directories(device.host("/tmp"));
    std::ofstream(device.host("/tmp/junk.mov")) << "not a movie";
    auto asset = AVAsset::assetWithURL(NSURL::fileURLWithPath("/tmp/junk.mov"));
    EXPECT_FALSE(asset->isPlayable());
    ASSERT_TRUE(asset->loadError());
    EXPECT_EQ(asset->loadError()->code, foundation::ErrorCode::UnreadableInput);
    EXPECT_NE(asset->loadError()->message.find("junk.mov"), std::string::npos) << asset->loadError()->message;
    EXPECT_FALSE(asset->takeOpenedMovie());
}

TEST(AVAssetExportSession, EverySessionOnOneAssetWritesTheSameMovie)
{
    TestDevice device;
    auto asset = AVAsset::assetWithURL(movieInDevice(device, testsupport::patternMovie(320, 240, true)));
    // The first session reads on from the asset's look at the file, the
    // second opens it again; neither may lose a packet.
    auto first = exportHalf(asset, "/tmp/first.mov");
    auto second = exportHalf(asset, "/tmp/second.mov");
    ASSERT_EQ(first->status(), AVAssetExportSessionStatusCompleted);
    ASSERT_EQ(second->status(), AVAssetExportSessionStatusCompleted);
    const char* packets = "packet=stream_index,pts,size";
    for (const char* track : { "v:0", "a:0" }) {
        const std::string expected = testsupport::probe(device.host("/tmp/first.mov"), packets, track);
        EXPECT_FALSE(expected.empty()) << track;
        EXPECT_EQ(testsupport::probe(device.host("/tmp/second.mov"), packets, track), expected) << track;
    }
}

TEST(AVAssetExportSession, AnOutputTheDeviceRootRefusesFailsWithTheReasonAndWritesNothing)
{
    TestDevice device;
    testsupport::TempDir outside;
    auto asset = AVAsset::assetWithURL(movieInDevice(device, testsupport::patternMovie(320, 240, true)));
    fs::create_directory_symlink(outside.path(), device.host("/tmp") + "/elsewhere");
    auto session = exportHalf(asset, "/tmp/elsewhere/cropped.mov");
    ASSERT_EQ(session->status(), AVAssetExportSessionStatusFailed);
    ASSERT_TRUE(session->error());
    EXPECT_NE(session->error()->localizedDescription().find("leads out of the device root"), std::string::npos)
        << session->error()->localizedDescription();
    EXPECT_TRUE(fs::is_empty(outside.path()));
}
