#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/av/MovieWriter.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/Files.h"
#include "tests/support/Media.h"
#include "tests/support/TempDir.h"

using av::ErrorCode;
using av::MovieWriter;
using av::PixelOrder;
using testsupport::TempDir;

namespace {

std::vector<uint8_t> flatFrame(int w, int h, int stride, const uint8_t px[4])
{
    std::vector<uint8_t> buf(static_cast<size_t>(stride) * h, 0xEE);  // padding must be ignored
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c)
                buf[static_cast<size_t>(y) * stride + x * 4 + c] = px[c];
    return buf;
}

// Writes `frames` frames of one flat colour; returns the writer's status.
av::Status record(const std::string& path, int w, int h, int fps, int frames, bool audio,
    PixelOrder order = PixelOrder::RGBA, const uint8_t px[4] = nullptr)
{
    static const uint8_t grey[4] = { 128, 128, 128, 255 };
    MovieWriter writer;
    if (av::Status st = writer.open(path, w, h, fps, audio, order); !st)
        return st;
    const int stride = w * 4 + 64;
    const auto buf = flatFrame(w, h, stride, px ? px : grey);
    for (int i = 0; i < frames; ++i)
        if (av::Status st = writer.appendFrame(buf.data(), stride); !st)
            return st;
    return writer.finish();
}

void expectColour(const testsupport::RgbImage& img, int r, int g, int b)
{
    ASSERT_FALSE(img.pixels.empty());
    const uint8_t* p = img.at(img.width / 2, img.height / 2);
    EXPECT_NEAR(p[0], r, 6);
    EXPECT_NEAR(p[1], g, 6);
    EXPECT_NEAR(p[2], b, 6);
}

}  // namespace

TEST(MovieWriter, WritesQuickTimeH264AtConstantRate)
{
    TempDir dir;
    const std::string path = dir.file("rec.mp4");
    ASSERT_TRUE(record(path, 320, 240, 30, 45, false));
    EXPECT_EQ(testsupport::majorBrand(path), "qt  ");
    EXPECT_EQ(testsupport::probe(path, "stream=codec_name,width,height,pix_fmt"), "h264\n320\n240\nyuv420p");
    EXPECT_EQ(testsupport::probe(path, "stream=r_frame_rate"), "30/1");
    EXPECT_EQ(testsupport::countFrames(path), 45);
    EXPECT_NEAR(testsupport::probeDuration(path, "v:0"), 1.5, 0.001);
    EXPECT_EQ(testsupport::probe(path, "stream=codec_type", "a"), "");
}

TEST(MovieWriter, RgbaColoursSurvive)
{
    TempDir dir;
    const uint8_t orange[4] = { 230, 120, 40, 255 };
    ASSERT_TRUE(record(dir.file("o.mov"), 64, 48, 30, 3, false, PixelOrder::RGBA, orange));
    expectColour(testsupport::decodeFrame(dir.file("o.mov")), 230, 120, 40);
}

TEST(MovieWriter, BgraColoursSurvive)
{
    TempDir dir;
    const uint8_t bgraOrange[4] = { 40, 120, 230, 255 };
    ASSERT_TRUE(record(dir.file("o.mov"), 64, 48, 30, 3, false, PixelOrder::BGRA, bgraOrange));
    expectColour(testsupport::decodeFrame(dir.file("o.mov")), 230, 120, 40);
}

TEST(MovieWriter, FramesKeepTheirOrderAndContent)
{
    TempDir dir;
    const std::string path = dir.file("seq.mov");
    MovieWriter writer;
    ASSERT_TRUE(writer.open(path, 32, 32, 10, false));
    for (int k = 0; k < 10; ++k) {
        const uint8_t level = static_cast<uint8_t>(30 + 20 * k);
        const uint8_t px[4] = { level, level, level, 255 };
        const auto buf = flatFrame(32, 32, 32 * 4, px);
        ASSERT_TRUE(writer.appendFrame(buf.data(), 32 * 4));
    }
    EXPECT_EQ(writer.framesWritten(), 10);
    ASSERT_TRUE(writer.finish());
    const auto frames = testsupport::decodeAllFrames(path);
    ASSERT_EQ(frames.size(), 10u);
    for (int k = 0; k < 10; ++k)
        EXPECT_NEAR(frames[k].at(16, 16)[0], 30 + 20 * k, 4) << k;
}

TEST(MovieWriter, ToneTrackCoversThePicture)
{
    TempDir dir;
    const std::string path = dir.file("tone.mov");
    ASSERT_TRUE(record(path, 64, 64, 30, 60, true));
    EXPECT_EQ(testsupport::probe(path, "stream=codec_name,sample_rate", "a:0"), "aac\n44100");
    EXPECT_NEAR(testsupport::probeDuration(path, "a:0"), 2.0, 0.05);
    // Count upward zero crossings in the middle second: a 440 Hz tone has 440.
    const auto samples = testsupport::decodeAudioMono(path, 44100);
    ASSERT_GE(samples.size(), 88000u);
    int crossings = 0;
    for (size_t i = 22050; i < 22050 + 44100; ++i)
        if (samples[i - 1] < 0 && samples[i] >= 0)
            ++crossings;
    EXPECT_NEAR(crossings, 440, 3);
    int peak = 0;
    for (size_t i = 22050; i < 66150; ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    EXPECT_GT(peak, 4000);  // audible, not silence
}

TEST(MovieWriter, RejectsBadArguments)
{
    TempDir dir;
    MovieWriter writer;
    EXPECT_EQ(writer.open(dir.file("a.mov"), 321, 240, 30, false).error().code, ErrorCode::InvalidArgument);
    EXPECT_EQ(writer.open(dir.file("a.mov"), 0, 240, 30, false).error().code, ErrorCode::InvalidArgument);
    EXPECT_EQ(writer.open(dir.file("a.mov"), 320, 240, 0, false).error().code, ErrorCode::InvalidArgument);
    EXPECT_FALSE(writer.isOpen());
    const uint8_t px[4] = {};
    EXPECT_EQ(writer.appendFrame(px, 4).error().code, ErrorCode::InvalidState);
    EXPECT_EQ(writer.finish().error().code, ErrorCode::InvalidState);

    ASSERT_TRUE(writer.open(dir.file("a.mov"), 16, 16, 30, false));
    EXPECT_EQ(writer.open(dir.file("b.mov"), 16, 16, 30, false).error().code, ErrorCode::InvalidState);
    EXPECT_EQ(writer.appendFrame(nullptr, 64).error().code, ErrorCode::InvalidArgument);
    std::vector<uint8_t> small(16 * 16 * 4);
    EXPECT_EQ(writer.appendFrame(small.data(), 16 * 4 - 1).error().code, ErrorCode::InvalidArgument);
    EXPECT_TRUE(writer.isOpen());  // a refused frame does not end the recording
    ASSERT_TRUE(writer.appendFrame(small.data(), 16 * 4));
    ASSERT_TRUE(writer.finish());
    EXPECT_TRUE(testsupport::isRegularFile(dir.file("a.mov")));
}

TEST(MovieWriter, EmptyRecordingFailsWithoutFile)
{
    TempDir dir;
    MovieWriter writer;
    ASSERT_TRUE(writer.open(dir.file("empty.mov"), 16, 16, 30, true));
    const av::Status st = writer.finish();
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().code, ErrorCode::InvalidState);
    EXPECT_TRUE(dir.entries().empty());
}

TEST(MovieWriter, UnfinishedOrDiscardedRecordingLeavesNothing)
{
    TempDir dir;
    std::vector<uint8_t> px(16 * 16 * 4, 200);
    {
        MovieWriter writer;
        ASSERT_TRUE(writer.open(dir.file("a.mov"), 16, 16, 30, true));
        ASSERT_TRUE(writer.appendFrame(px.data(), 64));
        EXPECT_FALSE(dir.entries().empty());  // the hidden partial file
    }
    EXPECT_TRUE(dir.entries().empty());
    MovieWriter writer;
    ASSERT_TRUE(writer.open(dir.file("b.mov"), 16, 16, 30, false));
    ASSERT_TRUE(writer.appendFrame(px.data(), 64));
    writer.discard();
    EXPECT_FALSE(writer.isOpen());
    EXPECT_TRUE(dir.entries().empty());
}

TEST(MovieWriter, SymlinkAtPathIsNeitherFollowedNorReplaced)
{
    TempDir dir, elsewhere;
    const std::string victim = elsewhere.file("victim.txt");
    testsupport::writeFile(victim, "untouched");
    ASSERT_EQ(::symlink(victim.c_str(), dir.file("rec.mov").c_str()), 0);
    const av::Status st = record(dir.file("rec.mov"), 32, 32, 30, 3, false);
    ASSERT_FALSE(st);
    EXPECT_NE(st.error().message.find("is a symbolic link"), std::string::npos) << st.error().message;
    EXPECT_EQ(testsupport::readFile(victim), "untouched");
    EXPECT_EQ(dir.entries(), std::vector<std::string> { "rec.mov" });
}

TEST(MovieWriter, FullDiskFailsWithoutFile)
{
    TempDir dir;
    av::Status st;
    {
        testsupport::FileSizeLimit limit(1024);
        st = record(dir.file("big.mov"), 320, 240, 30, 30, true);
    }
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().code, ErrorCode::WriteFailed);
    EXPECT_NE(st.error().message.find("File too large"), std::string::npos) << st.error().message;
    EXPECT_TRUE(dir.entries().empty());
}

TEST(MovieWriter, MissingDirectoryFailsAtOpen)
{
    MovieWriter writer;
    const av::Status st = writer.open("/nonexistent/dir/rec.mov", 16, 16, 30, false);
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().code, ErrorCode::WriteFailed);
}
