// The exported video stream byte for byte: a change in how pictures reach
// the encoder must not change a single coded bit. The digests were taken
// from exports of these same sources before the crop learned to hand the
// encoder the decoded picture in place.

#include <gtest/gtest.h>

#include <string>

#include "platform/av/CompositionExporter.h"
#include "tests/support/Files.h"
#include "tests/support/Media.h"
#include "tests/support/Program.h"
#include "tests/support/TempDir.h"

using av::AffineTransform;
using av::CompositionExporter;
using av::ExportRequest;
using testsupport::TempDir;

namespace {

// The digests hold only for the x264 they were taken with; its version is
// written into every stream it makes.
constexpr const char* kRecordedX264 = "x264 - core 164";

struct Case {
    const char* name;
    bool sideways;  // landscape pixels shown upright through a quarter turn
    int width, height;
    AffineTransform layer;
    const char* videoMd5;
};

// A moving picture, so that every frame codes differently, and a tone, so
// that the audio track is interleaved as in a real recording.
std::string makeSource(const TempDir& dir, bool sideways)
{
    const std::string path = dir.file(sideways ? "sideways.mov" : "upright.mov");
    EXPECT_TRUE(testsupport::makeMovie(path, sideways ? 844 : 390, sideways ? 390 : 844, 2.0, true));
    return path;
}

std::string videoMd5(const std::string& movie)
{
    const auto result = testsupport::runProgram(
        { "ffmpeg", "-v", "error", "-nostdin", "-i", movie, "-map", "0:v:0", "-c", "copy", "-f", "md5", "-" });
    return result.exitCode == 0 ? result.output : "ffmpeg failed on " + movie;
}

}  // namespace

TEST(ExportedStream, CropsCodeToTheSameBytesAsBefore)
{
    const AffineTransform upright = AffineTransform::identity();
    const AffineTransform turned { 0, 1, -1, 0, 390, 0 };
    const Case cases[] = {
        { "even offset", false, 250, 250, upright.then(AffineTransform::translation(-20, -100)),
            "MD5=60da6f45e56aca57896e22b32853cce8\n" },
        { "odd offset", false, 248, 248, upright.then(AffineTransform::translation(-21, -101)),
            "MD5=63176c73cec30e193caf31f007f50f58\n" },
        { "against the right edge", false, 200, 200, upright.then(AffineTransform::translation(-190, -644)),
            "MD5=869ab2c9be82743ce460310318328dab\n" },
        { "past the edge", false, 200, 200, upright.then(AffineTransform::translation(-300, -10)),
            "MD5=9c36e63d4b2fa44d3c381b8b329c021e\n" },
        { "quarter turn", true, 250, 250, turned.then(AffineTransform::translation(-20, -100)),
            "MD5=180e0c35740e6e174626ffe98fc73e29\n" },
    };
    TempDir dir;
    const std::string upright844 = makeSource(dir, false);
    const std::string sideways = makeSource(dir, true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExportRequest r;
        r.inputPath = c.sideways ? sideways : upright844;
        r.outputPath = dir.file("out.mov");
        r.renderWidth = c.width;
        r.renderHeight = c.height;
        r.transform = c.layer;
        const av::Status st = CompositionExporter::run(r);
        ASSERT_TRUE(st) << st.error().message;
        if (testsupport::readFile(r.outputPath).find(kRecordedX264) == std::string::npos)
            GTEST_SKIP() << "the digests were taken with " << kRecordedX264 << "; this libx264 codes differently";
        EXPECT_EQ(videoMd5(r.outputPath), c.videoMd5);
    }
}
