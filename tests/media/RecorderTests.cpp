#include "platform/foundation/Foundation.h"
#include "platform/photos/Photos.h"
#include "platform/replaykit/RPScreenRecorder.h"
#include "platform/replaykit/TestPattern.h"
#include "tests/TestDevice.h"
#include "tests/media/MediaTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(ScreenRecorder, RecordsThirtyFramesASecondOfVirtualTimeAtTheScreensPixelSize)
{
    TestDevice device;
    auto recorder = alloc<RPScreenRecorder>();
    recorder->setScreenSize(390, 844);
    std::string finished;
    recorder->setFinishedMovieHandler([&](const std::string& path) { finished = path; });
    id startError = alloc<NSError>();
    recorder->startSystemRecordingWithMicrophoneEnabled(true, [&](id error) { startError = error; });
    EXPECT_FALSE(startError);
    // A second start while recording is refused through the handler.
    id second;
    recorder->startSystemRecordingWithMicrophoneEnabled(false, [&](id error) { second = error; });
    EXPECT_TRUE(second);

    RunLoop::main().runFor(1.0);
    recorder->stopSystemRecording();
    RunLoop::main().drain();
    ASSERT_FALSE(finished.empty());
    std::string host = device.host(finished);
    EXPECT_EQ(media_test::probeSize(host), "390x844");
    std::string frames = media_test::run("ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 '" + host + "'");
    EXPECT_NEAR(std::stoi(frames), 30, 1);
    std::string audio = media_test::run("ffprobe -v error -select_streams a -show_entries stream=codec_type -of csv=p=0 '" + host + "'");
    EXPECT_NE(audio.find("audio"), std::string::npos) << "the microphone adds an audio track";

    // The wallpaper tells where a pixel is.
    auto frame = media_test::firstFrame(host, "crop=16:16:200:400");
    ASSERT_EQ(frame.size(), 16u * 16 * 3);
    std::uint8_t expected[3];
    TestPattern::colourAt(390, 844, 208, 408, expected);
    EXPECT_NEAR(frame[(8 * 16 + 8) * 3 + 0], expected[0], 8);
    EXPECT_NEAR(frame[(8 * 16 + 8) * 3 + 1], expected[1], 8);
}

}  // namespace
