#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/av/CompositionExporter.h"
#include "platform/av/InputMovie.h"
#include "platform/av/MovieWriter.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/Files.h"
#include "tests/support/Media.h"
#include "tests/support/Program.h"
#include "tests/support/TempDir.h"

using av::AffineTransform;
using av::CompositionExporter;
using av::ErrorCode;
using av::ExportRequest;
using testsupport::TempDir;

namespace {

ExportRequest request(const std::string& in, const std::string& out, int w, int h,
    AffineTransform t = AffineTransform::identity())
{
    ExportRequest r;
    r.inputPath = in;
    r.outputPath = out;
    r.renderWidth = w;
    r.renderHeight = h;
    r.transform = t;
    return r;
}

// Output must equal the expected picture placed at (ox, oy), and do so
// better than with any one- or two-pixel shift: that pins the mapping to
// the exact pixel despite lossy coding.
void expectPlacedAt(const testsupport::RgbImage& out, const testsupport::RgbImage& expected, int ox, int oy)
{
    ASSERT_FALSE(out.pixels.empty());
    const double exact = testsupport::meanDifference(out, expected, ox, oy);
    EXPECT_LT(exact, 3.0);
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            if (dx == 0 && dy == 0)
                continue;
            EXPECT_GT(testsupport::meanDifference(out, expected, ox + dx, oy + dy), exact + 0.5)
                << "shift " << dx << "," << dy;
        }
}

void expectNoFilesIn(const TempDir& dir)
{
    const auto entries = dir.entries();
    EXPECT_TRUE(entries.empty()) << "left behind: " << (entries.empty() ? "" : entries.front());
}

double luma(const testsupport::RgbImage& img)
{
    return img.at(img.width / 2, img.height / 2)[1];
}

}  // namespace

TEST(CompositionExporter, CropOfPhoneScreenShowsSourceFromOffset)
{
    const std::string source = testsupport::patternMovie(1170, 2532, false);
    TempDir dir;
    const std::string out = dir.file("crop.mov");
    const av::Status st = CompositionExporter::run(request(source, out, 736, 736, AffineTransform::translation(-60, -300)));
    ASSERT_TRUE(st) << st.error().message;
    EXPECT_EQ(testsupport::probe(out, "stream=codec_name,width,height,pix_fmt"), "h264\n736\n736\nyuv420p");
    expectPlacedAt(testsupport::decodeFrame(out), testsupport::decodeFrame(source), 60, 300);
}

TEST(CompositionExporter, FullPortraitFrameShrinksToFitPreset)
{
    const std::string source = testsupport::patternMovie(1170, 2532, false);
    TempDir dir;
    const std::string out = dir.file("full.mov");
    const av::Status st = CompositionExporter::run(request(source, out, 1168, 2528));
    ASSERT_TRUE(st) << st.error().message;
    const auto img = testsupport::decodeFrame(out);
    ASSERT_FALSE(img.pixels.empty());
    EXPECT_EQ(img.height, 1920);
    EXPECT_EQ(img.width % 2, 0);
    EXPECT_NEAR(img.width, 1168.0 * 1920 / 2528, 1.0);
    // Block centres keep their colours after scaling.
    const double sx = 1168.0 / img.width, sy = 2528.0 / img.height;
    for (int by = 1; by < 60; by += 7)
        for (int bx = 1; bx < 28; bx += 5) {
            const int srcX = bx * 40 + 20, srcY = by * 40 + 20;
            uint8_t expected[3];
            testsupport::patternColour(srcX, srcY, expected);
            const uint8_t* got = img.at(static_cast<int>(srcX / sx), static_cast<int>(srcY / sy));
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(got[c], expected[c], 12) << bx << "," << by << " ch " << c;
        }
}

TEST(CompositionExporter, QuarterTurnRotatesPicture)
{
    const std::string source = testsupport::patternMovie(320, 240, false);
    TempDir dir;
    const std::string out = dir.file("rot.mov");
    ASSERT_TRUE(CompositionExporter::run(request(source, out, 240, 320, AffineTransform { 0, 1, -1, 0, 240, 0 })));
    const auto src = testsupport::decodeFrame(source);
    testsupport::RgbImage expected { 240, 320, std::vector<uint8_t>(240 * 320 * 3) };
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            std::copy_n(src.at(x, y), 3, &expected.pixels[(static_cast<size_t>(x) * 240 + (239 - y)) * 3]);
    expectPlacedAt(testsupport::decodeFrame(out), expected, 0, 0);
}

TEST(CompositionExporter, MovieOpenedByTheCallerExportsAsFromItsPath)
{
    const std::string source = testsupport::patternMovie(320, 240, true);
    TempDir dir;
    const std::string byPath = dir.file("by-path.mov");
    const std::string byMovie = dir.file("by-movie.mov");
    ASSERT_TRUE(CompositionExporter::run(request(source, byPath, 160, 120, AffineTransform::translation(-80, -60))));
    auto opened = av::InputMovie::open(source);
    ASSERT_TRUE(opened) << opened.error().message;
    const av::Status st = CompositionExporter::run(opened.release(), request(source, byMovie, 160, 120, AffineTransform::translation(-80, -60)));
    ASSERT_TRUE(st) << st.error().message;
    // Nothing the caller's look at the file took is missing: every packet
    // of both tracks, the same as when the exporter opens it itself.
    const char* packets = "packet=stream_index,pts,size";
    for (const char* track : { "v:0", "a:0" }) {
        const std::string expected = testsupport::probe(byPath, packets, track);
        EXPECT_FALSE(expected.empty()) << track;
        EXPECT_EQ(testsupport::probe(byMovie, packets, track), expected) << track;
    }
    EXPECT_EQ(testsupport::probeSize(byMovie), "160x120");
}

TEST(CompositionExporter, MovieOpenedByTheCallerIsStillCheckedFirst)
{
    TempDir dir;
    auto opened = av::InputMovie::open(testsupport::countingMovie());
    ASSERT_TRUE(opened);
    const av::Status st = CompositionExporter::run(opened.release(), request(testsupport::countingMovie(), dir.file("z.mov"), 0, 64));
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().code, ErrorCode::InvalidArgument);
    expectNoFilesIn(dir);
}

TEST(CompositionExporter, OutsideTheSourceIsBlack)
{
    const std::string source = testsupport::patternMovie(320, 240, false);
    TempDir dir;
    const std::string out = dir.file("moved.mov");
    ASSERT_TRUE(CompositionExporter::run(request(source, out, 320, 240, AffineTransform::translation(160, 0))));
    const auto img = testsupport::decodeFrame(out);
    ASSERT_FALSE(img.pixels.empty());
    for (int y = 10; y < 230; y += 20)
        for (int x = 4; x < 150; x += 20)
            for (int c = 0; c < 3; ++c)
                EXPECT_LE(img.at(x, y)[c], 4);
    expectPlacedAt(img, testsupport::decodeFrame(source), -160, 0);
}

TEST(CompositionExporter, MakesConstantFrameRateByRepeatingFrames)
{
    const std::string source = testsupport::countingMovie();
    TempDir dir;
    const std::string out = dir.file("cfr60.mov");
    auto r = request(source, out, 64, 64);
    r.frameDuration = av::Rational { 1, 60 };
    ASSERT_TRUE(CompositionExporter::run(r));
    EXPECT_EQ(testsupport::probe(out, "stream=r_frame_rate"), "60/1");
    const auto src = testsupport::decodeAllFrames(source);
    const auto frames = testsupport::decodeAllFrames(out);
    ASSERT_EQ(src.size(), 30u);
    ASSERT_EQ(frames.size(), 60u);
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_NEAR(luma(frames[i]), luma(src[i / 2]), 2.0) << i;
}

TEST(CompositionExporter, MakesConstantFrameRateByDroppingFrames)
{
    const std::string source = testsupport::countingMovie();
    TempDir dir;
    const std::string out = dir.file("cfr10.mov");
    auto r = request(source, out, 64, 64);
    r.frameDuration = av::Rational { 1, 10 };
    ASSERT_TRUE(CompositionExporter::run(r));
    const auto src = testsupport::decodeAllFrames(source);
    const auto frames = testsupport::decodeAllFrames(out);
    ASSERT_EQ(frames.size(), 10u);
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_NEAR(luma(frames[i]), luma(src[i * 3]), 2.0) << i;
    EXPECT_NEAR(testsupport::probeDuration(out, "v:0"), 1.0, 0.001);
}

TEST(CompositionExporter, TimeRangeCutsBothTracks)
{
    const std::string source = testsupport::countingMovie();
    TempDir dir;
    const std::string out = dir.file("cut.mov");
    auto r = request(source, out, 64, 64);
    r.timeRange = av::TimeRange { 0.5, 0.3 };
    ASSERT_TRUE(CompositionExporter::run(r));
    const auto src = testsupport::decodeAllFrames(source);
    const auto frames = testsupport::decodeAllFrames(out);
    ASSERT_EQ(frames.size(), 9u);
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_NEAR(luma(frames[i]), luma(src[15 + i]), 2.0) << i;
    EXPECT_NEAR(testsupport::probeDuration(out, "a:0"), 0.3, 0.03);
}

TEST(CompositionExporter, TimeRangePastTheEndFailsWithoutFile)
{
    TempDir dir;
    auto r = request(testsupport::countingMovie(), dir.file("x.mov"), 64, 64);
    r.timeRange = av::TimeRange { 5.0, 1.0 };
    const av::Status st = CompositionExporter::run(r);
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().code, ErrorCode::InvalidArgument);
    expectNoFilesIn(dir);
}

TEST(CompositionExporter, ZeroRenderSizeFailsWithoutFile)
{
    TempDir dir;
    for (auto [w, h] : { std::pair { 0, 736 }, { 736, 0 }, { -16, 16 } }) {
        const av::Status st = CompositionExporter::run(request(testsupport::countingMovie(), dir.file("z.mov"), w, h));
        ASSERT_FALSE(st);
        EXPECT_EQ(st.error().code, ErrorCode::InvalidArgument);
        EXPECT_NE(st.error().message.find("render size"), std::string::npos) << st.error().message;
    }
    expectNoFilesIn(dir);
}

TEST(CompositionExporter, UnusableArgumentsAreRefused)
{
    TempDir dir;
    const std::string in = testsupport::countingMovie();
    auto singular = request(in, dir.file("s.mov"), 64, 64, AffineTransform { 0, 0, 0, 0, 0, 0 });
    EXPECT_EQ(CompositionExporter::run(singular).error().code, ErrorCode::InvalidArgument);
    auto badRate = request(in, dir.file("s.mov"), 64, 64);
    badRate.frameDuration = av::Rational { 0, 30 };
    EXPECT_EQ(CompositionExporter::run(badRate).error().code, ErrorCode::InvalidArgument);
    auto nanRange = request(in, dir.file("s.mov"), 64, 64);
    nanRange.timeRange = av::TimeRange { std::numeric_limits<double>::quiet_NaN(), 1 };
    EXPECT_EQ(CompositionExporter::run(nanRange).error().code, ErrorCode::InvalidArgument);
    expectNoFilesIn(dir);
}

TEST(CompositionExporter, OddRenderSizeIsMadeEven)
{
    TempDir dir;
    const std::string out = dir.file("odd.mov");
    ASSERT_TRUE(CompositionExporter::run(request(testsupport::patternMovie(320, 240, false), out, 101, 75)));
    EXPECT_EQ(testsupport::probe(out, "stream=width,height"), "100\n74");
}

TEST(CompositionExporter, UnreadableInputIsDescribed)
{
    TempDir dir;
    const std::string junk = dir.file("junk.mov");
    testsupport::writeFile(junk, std::string(10000, '\x17'));
    const av::Status st = CompositionExporter::run(request(junk, dir.file("out.mov"), 64, 64));
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().code, ErrorCode::UnreadableInput);
    EXPECT_EQ(st.error().message.rfind("not a movie: " + junk + ": ", 0), 0u) << st.error().message;
    EXPECT_FALSE(testsupport::fileExists(dir.file("out.mov")));

    const av::Status missing = CompositionExporter::run(request(dir.file("nope.mov"), dir.file("out.mov"), 64, 64));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, ErrorCode::UnreadableInput);
    EXPECT_EQ(dir.entries().size(), 1u);  // just the junk file
}

TEST(CompositionExporter, AudioOnlyInputHasNoVideoTrack)
{
    TempDir dir;
    const std::string in = dir.file("tone.m4a");
    ASSERT_EQ(testsupport::runProgram({ "ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=duration=0.5", "-c:a", "aac", in }).exitCode, 0);
    const av::Status st = CompositionExporter::run(request(in, dir.file("out.mov"), 64, 64));
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().code, ErrorCode::NoVideoTrack);
    EXPECT_EQ(st.error().message, "no video track in " + in);
    EXPECT_FALSE(testsupport::fileExists(dir.file("out.mov")));
}

TEST(CompositionExporter, WritesQuickTimeEvenWhenNamedMp4)
{
    TempDir dir;
    const std::string out = dir.file("export.mp4");
    ASSERT_TRUE(CompositionExporter::run(request(testsupport::countingMovie(), out, 64, 64)));
    EXPECT_EQ(testsupport::majorBrand(out), "qt  ");
    EXPECT_EQ(testsupport::probe(out, "stream=codec_name"), "h264");
}

TEST(CompositionExporter, KeepsAacAudioAsIs)
{
    TempDir dir;
    const std::string out = dir.file("a.mov");
    ASSERT_TRUE(CompositionExporter::run(request(testsupport::countingMovie(), out, 64, 64)));
    EXPECT_EQ(testsupport::probe(out, "stream=codec_name,sample_rate", "a:0"), "aac\n44100");
    EXPECT_NEAR(testsupport::probeDuration(out, "a:0"), 1.0, 0.05);
}

TEST(CompositionExporter, ReencodesAudioQuickTimeCannotCarry)
{
    TempDir dir;
    const std::string in = dir.file("flac.mkv");
    ASSERT_EQ(testsupport::runProgram({ "ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=64x64:rate=30:duration=1", "-f",
                                          "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=1", "-c:v", "libx264", "-preset", "ultrafast", "-c:a",
                                          "flac", in })
                  .exitCode,
        0);
    const std::string out = dir.file("b.mov");
    const av::Status st = CompositionExporter::run(request(in, out, 64, 64));
    ASSERT_TRUE(st) << st.error().message;
    EXPECT_EQ(testsupport::probe(out, "stream=codec_name,sample_rate", "a:0"), "aac\n48000");
    EXPECT_NEAR(testsupport::probeDuration(out, "a:0"), 1.0, 0.05);
    const auto samples = testsupport::decodeAudioMono(out, 48000);
    ASSERT_GE(samples.size(), 40000u);
    int crossings = 0;
    for (size_t i = 12000; i < 36000; ++i)
        if (samples[i - 1] < 0 && samples[i] >= 0)
            ++crossings;
    EXPECT_NEAR(crossings, 220, 3);  // half a second of 440 Hz
}

TEST(CompositionExporter, CancelFailsWithoutFile)
{
    TempDir dir;
    std::atomic<bool> cancel { false };
    auto r = request(testsupport::countingMovie(), dir.file("c.mov"), 64, 64);
    r.cancel = &cancel;
    int calls = 0;
    r.progress = [&](double) {
        if (++calls == 3)
            cancel = true;
    };
    const av::Status st = CompositionExporter::run(r);
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().code, ErrorCode::Cancelled);
    EXPECT_EQ(calls, 3);
    expectNoFilesIn(dir);
}

TEST(CompositionExporter, CancelledBeforeStartDoesNothing)
{
    TempDir dir;
    std::atomic<bool> cancel { true };
    auto r = request(testsupport::countingMovie(), dir.file("c.mov"), 64, 64);
    r.cancel = &cancel;
    EXPECT_EQ(CompositionExporter::run(r).error().code, ErrorCode::Cancelled);
    expectNoFilesIn(dir);
}

TEST(CompositionExporter, SymlinkAtOutputIsNeitherFollowedNorReplaced)
{
    TempDir dir, elsewhere;
    const std::string victim = elsewhere.file("victim.mov");
    testsupport::writeFile(victim, "do not overwrite");
    const std::string out = dir.file("out.mov");
    ASSERT_EQ(::symlink(victim.c_str(), out.c_str()), 0);
    const av::Status st = CompositionExporter::run(request(testsupport::countingMovie(), out, 64, 64));
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().code, ErrorCode::WriteFailed);
    EXPECT_NE(st.error().message.find("is a symbolic link; it is not replaced"), std::string::npos) << st.error().message;
    EXPECT_EQ(testsupport::readFile(victim), "do not overwrite");
    EXPECT_EQ(elsewhere.entries().size(), 1u);
    EXPECT_EQ(dir.entries(), std::vector<std::string> { "out.mov" });
}

TEST(CompositionExporter, ProgressRisesToOne)
{
    TempDir dir;
    auto r = request(testsupport::countingMovie(), dir.file("p.mov"), 64, 64);
    std::vector<double> seen;
    r.progress = [&](double v) {
        seen.push_back(v);
        // 1.0 promises the file is there.
        if (v == 1.0) {
            EXPECT_TRUE(testsupport::isRegularFile(dir.file("p.mov")));
        }
    };
    ASSERT_TRUE(CompositionExporter::run(r));
    ASSERT_GE(seen.size(), 10u);
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_GT(seen[i], seen[i - 1]);
    EXPECT_GT(seen.front(), 0.0);
    EXPECT_EQ(seen.back(), 1.0);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1.0), 1);
}

TEST(CompositionExporter, FullDiskFailsWithoutFile)
{
    const std::string in = testsupport::countingMovie();
    TempDir dir;
    av::Status st;
    {
        testsupport::FileSizeLimit limit(1024);
        st = CompositionExporter::run(request(in, dir.file("full.mov"), 64, 64));
    }
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().code, ErrorCode::WriteFailed);
    EXPECT_NE(st.error().message.find("File too large"), std::string::npos) << st.error().message;
    expectNoFilesIn(dir);
}

TEST(CompositionExporter, ExistingOutputSurvivesFailedExport)
{
    TempDir dir;
    const std::string out = dir.file("keep.mov");
    testsupport::writeFile(out, "earlier export");
    std::atomic<bool> cancel { false };
    auto r = request(testsupport::countingMovie(), out, 64, 64);
    r.cancel = &cancel;
    r.progress = [&](double) { cancel = true; };
    ASSERT_FALSE(CompositionExporter::run(r));
    EXPECT_EQ(testsupport::readFile(out), "earlier export");
    EXPECT_EQ(dir.entries().size(), 1u);
}

TEST(CompositionExporter, MissingOutputDirectoryIsDescribed)
{
    const av::Status st = CompositionExporter::run(request(testsupport::countingMovie(), "/nonexistent/dir/out.mov", 64, 64));
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().code, ErrorCode::WriteFailed);
    EXPECT_NE(st.error().message.find("/nonexistent/dir/out.mov"), std::string::npos);
}

TEST(CompositionExporter, AMovieCutShortFailsWithoutFile)
{
    TempDir dir;
    // The index at the front promises pictures the file no longer holds.
    const std::string whole = dir.file("whole.mov");
    ASSERT_EQ(testsupport::runProgram({ "ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=390x844:rate=30", "-t", "2",
                                          "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-movflags", "+faststart", "-f", "mov", whole })
                  .exitCode,
        0);
    const std::string bytes = testsupport::readFile(whole);
    const std::string half = dir.file("half.mov");
    testsupport::writeFile(half, bytes.substr(0, bytes.size() / 2));
    const std::string out = dir.file("out.mov");
    const av::Status st = CompositionExporter::run(request(half, out, 384, 832));
    ASSERT_FALSE(st) << "a damaged movie must not export as a whole one";
    EXPECT_EQ(st.error().code, ErrorCode::CodecFailed);
    EXPECT_NE(st.error().message.find("decoding failed"), std::string::npos) << st.error().message;
    EXPECT_FALSE(testsupport::fileExists(out));
    EXPECT_EQ(dir.entries().size(), 2u);  // the two inputs, no leftovers
}
