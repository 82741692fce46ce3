#include <gtest/gtest.h>

#include <filesystem>

#include <cstring>
#include <string>

#include "platform/av/MovieProbe.h"
#include "platform/av/MovieWriter.h"
#include "tests/support/Files.h"
#include "tests/support/Media.h"
#include "tests/support/Program.h"
#include "tests/support/TempDir.h"

using av::ErrorCode;
using testsupport::TempDir;

namespace {

// Overwrites the first track header's matrix (a, b, c, d, tx, ty in 16.16)
// the way a phone camera writes it.
bool patchTrackMatrix(const std::string& path, const double m[6])
{
    std::string bytes = testsupport::readFile(path);
    const auto pos = bytes.find("tkhd");
    if (pos == std::string::npos || bytes[pos + 4] != 0)
        return false;  // version 0 only
    const size_t matrix = pos + 4 + 4 + 4 * 5 + 8 + 8;
    const int32_t values[9] = { int32_t(m[0] * 65536), int32_t(m[1] * 65536), 0, int32_t(m[2] * 65536),
        int32_t(m[3] * 65536), 0, int32_t(m[4] * 65536), int32_t(m[5] * 65536),
        1 << 30 };
    for (int i = 0; i < 9; ++i) {
        const auto v = static_cast<uint32_t>(values[i]);
        for (int b = 0; b < 4; ++b)
            bytes[matrix + i * 4 + b] = static_cast<char>((v >> (24 - 8 * b)) & 0xff);
    }
    testsupport::writeFile(path, bytes);
    return true;
}

}  // namespace

TEST(MovieProbe, ReportsSizeDurationRateAndAudio)
{
    const auto info = av::probeMovie(testsupport::patternMovie(320, 240, true));
    ASSERT_TRUE(info) << info.error().message;
    EXPECT_EQ(info.value().width, 320);
    EXPECT_EQ(info.value().height, 240);
    EXPECT_NEAR(info.value().durationSeconds, 1.0, 0.05);
    EXPECT_NEAR(info.value().frameRate, 30.0, 0.01);
    EXPECT_TRUE(info.value().hasAudio);
    EXPECT_EQ(info.value().videoCodec, "h264");
    EXPECT_EQ(info.value().preferredTransform, av::AffineTransform::identity());
    EXPECT_EQ(info.value().rotationDegrees, 0.0);
}

TEST(MovieProbe, NoAudioTrackIsReported)
{
    const auto info = av::probeMovie(testsupport::patternMovie(320, 240, false));
    ASSERT_TRUE(info);
    EXPECT_FALSE(info.value().hasAudio);
}

TEST(MovieProbe, PortraitPhoneMatrixBecomesPreferredTransform)
{
    TempDir dir;
    const std::string path = dir.file("portrait.mov");
    ASSERT_TRUE(std::filesystem::copy_file(testsupport::patternMovie(320, 240, false), path));
    const double phone[6] = { 0, 1, -1, 0, 240, 0 };
    ASSERT_TRUE(patchTrackMatrix(path, phone));
    const auto info = av::probeMovie(path);
    ASSERT_TRUE(info) << info.error().message;
    EXPECT_EQ(info.value().width, 320);
    EXPECT_EQ(info.value().height, 240);
    EXPECT_EQ(info.value().rotationDegrees, 90.0);
    EXPECT_EQ(info.value().preferredTransform, (av::AffineTransform { 0, 1, -1, 0, 240, 0 }));
    // The natural rectangle maps onto 240x320 at the origin.
    const auto corner = info.value().preferredTransform.apply(320, 240);
    EXPECT_DOUBLE_EQ(corner.x, 0);
    EXPECT_DOUBLE_EQ(corner.y, 320);
}

TEST(MovieProbe, MatrixWithoutTranslationIsPlacedAtOrigin)
{
    TempDir dir;
    const std::string path = dir.file("ccw.mov");
    ASSERT_TRUE(std::filesystem::copy_file(testsupport::patternMovie(320, 240, false), path));
    const double ccw[6] = { 0, -1, 1, 0, 0, 0 };
    ASSERT_TRUE(patchTrackMatrix(path, ccw));
    const auto info = av::probeMovie(path);
    ASSERT_TRUE(info);
    EXPECT_EQ(info.value().rotationDegrees, 270.0);
    EXPECT_EQ(info.value().preferredTransform, (av::AffineTransform { 0, -1, 1, 0, 0, 320 }));
}

TEST(MovieProbe, UpsideDownIsHalfTurn)
{
    TempDir dir;
    const std::string path = dir.file("flip.mov");
    ASSERT_TRUE(std::filesystem::copy_file(testsupport::patternMovie(320, 240, false), path));
    const double half[6] = { -1, 0, 0, -1, 320, 240 };
    ASSERT_TRUE(patchTrackMatrix(path, half));
    const auto info = av::probeMovie(path);
    ASSERT_TRUE(info);
    EXPECT_EQ(info.value().rotationDegrees, 180.0);
    EXPECT_EQ(info.value().preferredTransform, (av::AffineTransform { -1, 0, 0, -1, 320, 240 }));
}

TEST(MovieProbe, GarbageIsNotAMovie)
{
    TempDir dir;
    const std::string path = dir.file("junk.mov");
    testsupport::writeFile(path, std::string(4096, '\x5a'));
    const auto info = av::probeMovie(path);
    ASSERT_FALSE(info);
    EXPECT_EQ(info.error().code, ErrorCode::UnreadableInput);
    EXPECT_EQ(info.error().message.rfind("not a movie: " + path + ": ", 0), 0u) << info.error().message;
    EXPECT_GT(info.error().message.size(), ("not a movie: " + path + ": ").size());
}

TEST(MovieProbe, MissingFileIsDescribed)
{
    const auto info = av::probeMovie("/nonexistent/dir/movie.mov");
    ASSERT_FALSE(info);
    EXPECT_EQ(info.error().code, ErrorCode::UnreadableInput);
    EXPECT_NE(info.error().message.find("No such file or directory"), std::string::npos) << info.error().message;
}

TEST(MovieProbe, AudioOnlyFileHasNoVideoTrack)
{
    TempDir dir;
    const std::string path = dir.file("tone.m4a");
    ASSERT_EQ(testsupport::runProgram({ "ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=duration=0.5", "-c:a", "aac", path }).exitCode, 0);
    const auto info = av::probeMovie(path);
    ASSERT_FALSE(info);
    EXPECT_EQ(info.error().code, ErrorCode::NoVideoTrack);
    EXPECT_EQ(info.error().message, "no video track in " + path);
}
