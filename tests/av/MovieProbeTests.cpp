#include <gtest/gtest.h>

#include <filesystem>

#include <cstring>
#include <string>

#include "platform/av/InputMovie.h"
#include "platform/av/MovieCheck.h"
#include "platform/av/MovieProbe.h"
#include "platform/av/MovieWriter.h"
#include "tests/support/Files.h"
#include "tests/support/Media.h"
#include "tests/support/Program.h"
#include "tests/support/TempDir.h"

extern "C" {
#include <libavformat/avformat.h>
}

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

// A playlist inside the device root that names a movie elsewhere must not
// open that movie: importing or cropping it would read a file from outside.
TEST(MovieProbe, PlaylistNamingAnotherMovieIsRefused)
{
    TempDir dir;
    const std::string outside = dir.file("outside.mov");
    ASSERT_TRUE(std::filesystem::copy_file(testsupport::patternMovie(320, 240, false), outside));
    const std::string playlist = dir.file("playlist.mov");
    testsupport::writeFile(playlist,
        "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\nfile:" + outside + "\n#EXTINF:1,\n" + outside + "\n#EXT-X-ENDLIST\n");
    const auto info = av::probeMovie(playlist);
    ASSERT_FALSE(info) << "opened " << info.value().width << "x" << info.value().height << " through the playlist";
    EXPECT_EQ(info.error().code, ErrorCode::UnreadableInput);
    EXPECT_EQ(info.error().message, "not a movie: " + playlist + ": a list of other files or streams (hls), which is never followed");
    EXPECT_FALSE(av::MovieCheck::decodesWhole(playlist));
    // The movie it names still opens on its own.
    EXPECT_TRUE(av::probeMovie(outside));
}

TEST(MovieProbe, ConcatenationListIsRefused)
{
    TempDir dir;
    ASSERT_TRUE(std::filesystem::copy_file(testsupport::patternMovie(320, 240, false), dir.file("part.mov")));
    const std::string list = dir.file("list.mov");
    testsupport::writeFile(list, "ffconcat version 1.0\nfile part.mov\nfile part.mov\n");
    const auto info = av::probeMovie(list);
    ASSERT_FALSE(info);
    EXPECT_EQ(info.error().code, ErrorCode::UnreadableInput);
    EXPECT_FALSE(av::MovieCheck::decodesWhole(list));
}

// A session description would have the demuxer listen on a socket.
TEST(MovieProbe, SessionDescriptionIsRefused)
{
    TempDir dir;
    const std::string sdp = dir.file("stream.sdp");
    testsupport::writeFile(sdp, "v=0\no=- 0 0 IN IP4 127.0.0.1\ns=x\nc=IN IP4 127.0.0.1\nt=0 0\nm=video 5004 RTP/AVP 96\na=rtpmap:96 H264/90000\n");
    const auto info = av::probeMovie(sdp);
    ASSERT_FALSE(info);
    EXPECT_EQ(info.error().code, ErrorCode::UnreadableInput);
}

// Pictures numbered in sequence read as one stream of several files; a name
// with a number pattern opens that file alone.
TEST(MovieProbe, NumberPatternInTheNameOpensOnlyThatFile)
{
    TempDir dir;
    const std::string picture = dir.file("frame.ppm");
    testsupport::writePpm(picture, testsupport::makePattern(16, 16));
    for (const char* name : { "img%d.ppm", "img0.ppm", "img1.ppm", "img2.ppm" })
        ASSERT_TRUE(std::filesystem::copy_file(picture, dir.file(name)));
    const auto info = av::probeMovie(dir.file("img%d.ppm"));
    if (info) {
        // Whatever opened it read the one file asked for.
        EXPECT_EQ(info.value().width, 16);
        EXPECT_LE(info.value().durationSeconds, 0.1);
    }
    EXPECT_FALSE(av::MovieCheck::decodesWhole(dir.file("img%d.ppm")));
}

namespace {

// What FFmpeg's full stream analysis says of a file, for comparison.
struct Analysed {
    int width = 0, height = 0, audioFrameSize = 0, sampleRate = 0, channels = 0;
    AVRational rate {};
    int64_t duration = 0;
};

Analysed analyse(AVFormatContext* f)
{
    Analysed a;
    a.duration = f->duration;
    for (unsigned i = 0; i < f->nb_streams; ++i) {
        const AVCodecParameters* p = f->streams[i]->codecpar;
        if (p->codec_type == AVMEDIA_TYPE_VIDEO) {
            a.width = p->width;
            a.height = p->height;
            a.rate = f->streams[i]->avg_frame_rate;
        } else if (p->codec_type == AVMEDIA_TYPE_AUDIO) {
            a.audioFrameSize = p->frame_size;
            a.sampleRate = p->sample_rate;
            a.channels = p->ch_layout.nb_channels;
        }
    }
    return a;
}

}  // namespace

// Movies whose header says everything are opened without decoding ahead;
// what the rest of the system reads must be what the full analysis finds,
// down to the sound track's packet length that a copy writes out again.
TEST(InputMovie, OpeningFromTheHeaderAloneFindsWhatTheFullAnalysisFinds)
{
    TempDir dir("marqel-input-movie");
    std::string withSound = dir.file("sound.mov");
    std::string silent = dir.file("silent.mov");
    std::string matroska = dir.file("other.mkv");
    ASSERT_TRUE(testsupport::makeMovie(withSound, 320, 240, 1.0, true));
    ASSERT_TRUE(testsupport::makeMovie(silent, 320, 240, 1.0));
    ASSERT_EQ(testsupport::runProgram({ "ffmpeg", "-v", "error", "-y", "-i", withSound, "-c", "copy", matroska }).exitCode, 0);
    for (const auto& path : { withSound, silent, matroska }) {
        AVFormatContext* full = nullptr;
        ASSERT_EQ(avformat_open_input(&full, path.c_str(), nullptr, nullptr), 0);
        ASSERT_GE(avformat_find_stream_info(full, nullptr), 0);
        Analysed expected = analyse(full);
        avformat_close_input(&full);

        auto opened = av::InputMovie::open(path);
        ASSERT_TRUE(opened.ok()) << path;
        Analysed got = analyse(opened.value().format());
        EXPECT_EQ(got.width, expected.width) << path;
        EXPECT_EQ(got.height, expected.height) << path;
        EXPECT_EQ(av_cmp_q(got.rate, expected.rate), 0) << path;
        EXPECT_EQ(got.duration, expected.duration) << path;
        EXPECT_EQ(got.audioFrameSize, expected.audioFrameSize) << path;
        EXPECT_EQ(got.sampleRate, expected.sampleRate) << path;
        EXPECT_EQ(got.channels, expected.channels) << path;
    }
    // The QuickTime files skipped the analysis: it would have named the
    // video's pixel format.
    auto opened = av::InputMovie::open(withSound);
    EXPECT_EQ(opened.value().videoStream()->codecpar->format, -1);
}
