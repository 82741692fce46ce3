// Arbitrary bytes opened as a movie, the three ways the product opens one:
// the probe, the whole-file decode check that imports go through, and an
// asset on a device path. A file the probe accepts must give an asset that
// plays and has a picture.

#include "platform/av/AVAsset.h"
#include "platform/av/MovieCheck.h"
#include "platform/av/MovieProbe.h"
#include "platform/foundation/DevicePath.h"
#include "platform/foundation/NSObjects.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

extern "C" {
#include <libavutil/log.h>
}

namespace {

constexpr const char* devicePath = "/var/mobile/Media/DCIM/100APPLE/IMG_0001.MOV";

std::filesystem::path& scratchRoot()
{
    static std::filesystem::path root;
    return root;
}

void removeScratchRoot()
{
    std::error_code ignored;
    std::filesystem::remove_all(scratchRoot(), ignored);
}

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // FFmpeg explains every broken input on stderr; the fuzzer's own output
    // is what matters here.
    av_log_set_level(AV_LOG_QUIET);
    scratchRoot() = std::filesystem::temp_directory_path() / ("marqel-fuzz-movie-" + std::to_string(::getpid()));
    std::filesystem::create_directories(scratchRoot());
    DevicePath::setRoot(scratchRoot().string());
    if (!DevicePath::makeParents(devicePath))
        fail("cannot make the camera folder under " + scratchRoot().string());
    std::atexit(removeScratchRoot);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto mapped = DevicePath::toHost(devicePath);
    if (!mapped)
        fail(mapped.message());
    const std::string host = mapped.value();
    {
        std::ofstream out(host, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out)
            fail("cannot write " + host);
    }
    auto info = av::probeMovie(host);
    (void)av::MovieCheck::decodesWhole(host);
    auto asset = AVURLAsset::URLAssetWithURL(NSURL::fileURLWithPath(devicePath));
    if (!asset)
        fail("no asset");
    if (!info) {
        if (asset->isPlayable())
            fail("the asset plays what the probe refuses: " + info.error().message);
        return 0;
    }
    const auto& movie = info.value();
    if (movie.width <= 0 || movie.height <= 0)
        fail("a movie without a picture size was let in");
    if (!std::isfinite(movie.durationSeconds) || movie.durationSeconds < 0)
        fail("a movie of duration " + std::to_string(movie.durationSeconds) + " was let in");
    if (!asset->isPlayable() || asset->tracksWithMediaType(AVMediaTypeVideo).size() != 1)
        fail("the probe lets in what the asset cannot play: " + (asset->loadError() ? asset->loadError()->message : std::string("no reason given")));
    return 0;
}
