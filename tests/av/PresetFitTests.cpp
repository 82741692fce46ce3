#include <gtest/gtest.h>

#include "platform/av/PresetFit.h"

using av::PixelSize;
using av::PresetFit;

namespace {
const PixelSize k1080p { 1920, 1080 };
}

TEST(PresetFit, SmallPictureKeepsItsSize)
{
    EXPECT_EQ(PresetFit::fit({ 736, 736 }, k1080p), (PixelSize { 736, 736 }));
    EXPECT_EQ(PresetFit::fit({ 1920, 1080 }, k1080p), (PixelSize { 1920, 1080 }));
}

TEST(PresetFit, PortraitFitsTheTurnedBox)
{
    // 1080 wide would be allowed, but 2528 tall must come down to 1920.
    const PixelSize out = PresetFit::fit({ 1168, 2528 }, k1080p);
    EXPECT_EQ(out.height, 1920);
    EXPECT_EQ(out.width % 2, 0);
    EXPECT_NEAR(out.width, 1168.0 * 1920 / 2528, 1.0);
}

TEST(PresetFit, PortraitInsideTurnedBoxIsKept)
{
    // Taller than 1080 but a portrait picture is judged against 1080x1920.
    EXPECT_EQ(PresetFit::fit({ 1080, 1920 }, k1080p), (PixelSize { 1080, 1920 }));
    EXPECT_EQ(PresetFit::fit({ 720, 1280 }, k1080p), (PixelSize { 720, 1280 }));
}

TEST(PresetFit, LandscapeShrinksKeepingAspect)
{
    EXPECT_EQ(PresetFit::fit({ 3840, 2160 }, k1080p), (PixelSize { 1920, 1080 }));
    const PixelSize out = PresetFit::fit({ 2532, 1170 }, k1080p);
    EXPECT_EQ(out.width, 1920);
    EXPECT_EQ(out.height % 2, 0);
    EXPECT_NEAR(out.height, 1170.0 * 1920 / 2532, 1.0);
}

TEST(PresetFit, LimitedByTheShortSide)
{
    // Square: width would fit 1920, but height must fit 1080.
    EXPECT_EQ(PresetFit::fit({ 2000, 2000 }, k1080p), (PixelSize { 1080, 1080 }));
}

TEST(PresetFit, OddSidesBecomeEven)
{
    EXPECT_EQ(PresetFit::fit({ 737, 415 }, k1080p), (PixelSize { 736, 414 }));
    EXPECT_EQ(PresetFit::fit({ 1, 1 }, k1080p), (PixelSize { 2, 2 }));
    EXPECT_EQ(PresetFit::fit({ 4001, 3 }, std::nullopt), (PixelSize { 4000, 2 }));
}

TEST(PresetFit, NoPresetMeansNoLimit)
{
    EXPECT_EQ(PresetFit::fit({ 4000, 3000 }, std::nullopt), (PixelSize { 4000, 3000 }));
}

TEST(PresetFit, ExtremeAspectStaysInsideTheBox)
{
    const PixelSize out = PresetFit::fit({ 10000, 3 }, k1080p);
    EXPECT_EQ(out.width, 1920);
    EXPECT_EQ(out.height, 2);
}
