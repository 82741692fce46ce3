// Turning, cutting and fitting pictures for the grid and the player.

#include "platform/photosapp/PictureGeometry.h"

#include <gtest/gtest.h>

using namespace photosapp;

namespace {

// A 3x2 picture whose pixels are numbered 0..5 in their red channel.
ScreenFrame numbered()
{
    ScreenFrame frame;
    frame.width = 3;
    frame.height = 2;
    for (int i = 0; i < 6; ++i)
        frame.pixels.insert(frame.pixels.end(), { static_cast<std::uint8_t>(i), 0, 0, 255 });
    return frame;
}

std::vector<int> reds(const ScreenFrame& frame)
{
    std::vector<int> out;
    for (std::size_t i = 0; i < frame.pixels.size(); i += 4)
        out.push_back(frame.pixels[i]);
    return out;
}

}  // namespace

TEST(PictureGeometry, TurnsByQuarters)
{
    // 0 1 2      3 0
    // 3 4 5  ->  4 1   (a quarter clockwise)
    //            5 2
    auto quarter = rotated(numbered(), 90);
    EXPECT_EQ(quarter.width, 2);
    EXPECT_EQ(quarter.height, 3);
    EXPECT_EQ(reds(quarter), (std::vector<int> { 3, 0, 4, 1, 5, 2 }));
    EXPECT_EQ(reds(rotated(numbered(), 180)), (std::vector<int> { 5, 4, 3, 2, 1, 0 }));
    EXPECT_EQ(reds(rotated(numbered(), 270)), (std::vector<int> { 2, 5, 1, 4, 0, 3 }));
    EXPECT_EQ(reds(rotated(numbered(), -90)), reds(rotated(numbered(), 270)));
    EXPECT_EQ(reds(rotated(numbered(), 0)), reds(numbered()));
}

TEST(PictureGeometry, CutsTheMiddleSquare)
{
    auto square = centreSquare(numbered());
    EXPECT_EQ(square.width, 2);
    EXPECT_EQ(square.height, 2);
    EXPECT_EQ(reds(square), (std::vector<int> { 0, 1, 3, 4 }));
    auto tall = centreSquare(rotated(numbered(), 90));
    EXPECT_EQ(reds(tall), (std::vector<int> { 3, 0, 4, 1 }));
}

TEST(PictureGeometry, FitsAndFills)
{
    CGSize fill = sizeFillingSquare(CGSizeMake(1920, 1080), 387);
    EXPECT_DOUBLE_EQ(fill.height, 387);
    EXPECT_DOUBLE_EQ(fill.width, 688);
    CGRect fit = aspectFit(CGSizeMake(1080, 1920), CGRectMake(0, 100, 390, 600));
    EXPECT_DOUBLE_EQ(fit.size.height, 600);
    EXPECT_NEAR(fit.size.width, 337.5, 1e-9);
    EXPECT_NEAR(fit.origin.x, 26.25, 1e-9);
    EXPECT_DOUBLE_EQ(fit.origin.y, 100);
    CGSize capped = cappedPixelSize(CGSizeMake(4000, 3000), 2532);
    EXPECT_DOUBLE_EQ(capped.width, 2532);
    EXPECT_DOUBLE_EQ(capped.height, 1899);
    EXPECT_DOUBLE_EQ(cappedPixelSize(CGSizeMake(64, 48), 2532).width, 64);
}
