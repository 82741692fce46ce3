#pragma once

// Reference pictures for tests: a rendered picture is compared with a PNG
// kept under version control, pixel by pixel within a small tolerance.
//
//   EXPECT_TRUE(reference::matches(render::Compositor::shared().renderSurface(), "overlay-open"));
//
// The references live in the folder the test target names with the compile
// definition MARQEL_REFERENCE_IMAGES (tests/render/references for this
// folder's tests; see tests/render/CMakeLists.txt). To make or refresh them,
// run the tests with MARQEL_UPDATE_REFERENCES=1: each compared picture is
// then written as its reference and the comparison passes. A missing
// reference fails (it is never made silently). On a mismatch the picture
// and a map of the differing pixels are written next to each other under
// the build folder's test output, named in the failure message.

#include "platform/render/Surface.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace reference {

#ifdef MARQEL_REFERENCE_IMAGES
inline std::string folder()
{
    return MARQEL_REFERENCE_IMAGES;
}
#else
inline std::string folder()
{
    return "references";
}
#endif

inline bool updating()
{
    const char* value = std::getenv("MARQEL_UPDATE_REFERENCES");
    return value && *value && std::string(value) != "0";
}

struct Difference {
    bool sameSize = true;
    long differing = 0;  // pixels with a channel off by more than the tolerance
    int largest = 0;  // the largest channel difference seen
    int firstX = -1, firstY = -1;
};

// Straight-alpha channels compared; a fully transparent pixel equals any
// other fully transparent pixel.
inline Difference compare(const render::Surface& actual, const render::Surface& expected, int tolerance,
    render::Surface* map = nullptr)
{
    Difference d;
    if (actual.width() != expected.width() || actual.height() != expected.height()) {
        d.sameSize = false;
        return d;
    }
    if (map)
        *map = render::Surface(actual.width(), actual.height());
    std::uint8_t* mapPixels = map && map->isValid() ? map->mutableData() : nullptr;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            auto a = actual.pixel(x, y), e = expected.pixel(x, y);
            int worst = 0;
            for (int c = 0; c < 4; ++c)
                worst = std::max(worst, std::abs(int(a[c]) - int(e[c])));
            if (a[3] == 0 && e[3] == 0)
                worst = 0;
            d.largest = std::max(d.largest, worst);
            bool off = worst > tolerance;
            if (off && d.differing++ == 0) {
                d.firstX = x;
                d.firstY = y;
            }
            if (mapPixels) {
                // Differences in red on a faint copy of the picture.
                std::uint32_t v = off ? 0xFFFF0000u : (0xFF000000u | (std::uint32_t(a[1] / 4) * 0x010101u));
                std::memcpy(mapPixels + static_cast<std::ptrdiff_t>(y) * map->stride() + x * 4, &v, 4);
            }
        }
    }
    if (mapPixels)
        map->markDirty();
    return d;
}

// Whether `picture` matches the reference `name` (a plain file name
// without ".png": letters, digits, '-', '_', '.'), each channel within
// `tolerance`, with at most `allowedFraction` of the pixels beyond it.
inline ::testing::AssertionResult matches(const render::Surface& picture, const std::string& name, int tolerance = 3,
    double allowedFraction = 0.0)
{
    if (name.empty() || name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.") != std::string::npos || name.find("..") != std::string::npos)
        return ::testing::AssertionFailure() << "\"" << name << "\" is not a usable reference name";
    if (!picture.isValid())
        return ::testing::AssertionFailure() << "there is no picture to compare with " << name;
    std::string path = folder() + "/" + name + ".png";
    if (updating()) {
        std::error_code ec;
        std::filesystem::create_directories(folder(), ec);
        auto written = picture.writePNG(path);
        if (!written)
            return ::testing::AssertionFailure() << written.message();
        return ::testing::AssertionSuccess() << "wrote the reference " << path;
    }
    auto read = render::Surface::readPNG(path);
    if (!read)
        return ::testing::AssertionFailure() << "no reference picture " << path << " (" << read.message()
                                             << "); run with MARQEL_UPDATE_REFERENCES=1 to make it";
    const render::Surface& expected = read.value();
    render::Surface map;
    Difference d = compare(picture, expected, tolerance, &map);
    if (!d.sameSize)
        return ::testing::AssertionFailure() << name << ": the picture is " << picture.width() << "x" << picture.height()
                                             << ", the reference " << expected.width() << "x" << expected.height();
    long allowed = static_cast<long>(allowedFraction * picture.width() * picture.height());
    if (d.differing <= allowed)
        return ::testing::AssertionSuccess();
    auto out = std::filesystem::path(testsupport::failureOutputFolder()) / "references";
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    std::string actualPath = (out / (name + ".actual.png")).string();
    std::string mapPath = (out / (name + ".difference.png")).string();
    (void)picture.writePNG(actualPath);
    (void)map.writePNG(mapPath);
    return ::testing::AssertionFailure() << name << ": " << d.differing << " pixels differ by more than " << tolerance
                                         << " (largest " << d.largest << ", first at " << d.firstX << "," << d.firstY
                                         << "); see " << actualPath << " and " << mapPath;
}

}  // namespace reference
