#include "platform/foundation/Foundation.h"
#include "platform/photos/Photos.h"
#include "platform/replaykit/RPScreenRecorder.h"
#include "platform/replaykit/TestPattern.h"
#include "tests/support/Media.h"
#include "tests/support/TestDevice.h"

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
    EXPECT_EQ(testsupport::probeSize(host), "390x844");
    EXPECT_NEAR(testsupport::countFrames(host), 30, 1);
    EXPECT_TRUE(testsupport::hasAudio(host)) << "the microphone adds an audio track";

    // The wallpaper tells where a pixel is.
    auto frame = testsupport::decodeFrame(host);
    ASSERT_EQ(frame.pixels.size(), 390u * 844 * 3);
    std::uint8_t expected[3];
    TestPattern::colourAt(390, 844, 208, 408, expected);
    EXPECT_NEAR(frame.at(208, 408)[0], expected[0], 8);
    EXPECT_NEAR(frame.at(208, 408)[1], expected[1], 8);
}

}  // namespace
