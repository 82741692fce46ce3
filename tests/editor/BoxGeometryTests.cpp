#include "tweak/editor/BoxGeometry.h"
#include "tweak/editor/CentringRule.h"

#include <gtest/gtest.h>

namespace {

using namespace BoxGeometry;

constexpr CGSize screen { 390, 844 };

// A drag that starts at `from` (parent coordinates) on a box at `frame` and
// has moved to `to`, in one step.
CGRect drag(CGRect frame, CGPoint from, CGPoint to, CGSize parent = screen)
{
    TouchStart start { { from.x - frame.origin.x, from.y - frame.origin.y }, from, frame };
    std::int32_t region = regionAt(start.inBox, frame.size);
    TouchNow now { { to.x - frame.origin.x, to.y - frame.origin.y }, to };
    return frameAfterMove(region, start, now, frame, parent);
}

void expectFrame(CGRect actual, double x, double y, double w, double h)
{
    EXPECT_NEAR(actual.origin.x, x, 1e-3);
    EXPECT_NEAR(actual.origin.y, y, 1e-3);
    EXPECT_NEAR(actual.size.width, w, 1e-3);
    EXPECT_NEAR(actual.size.height, h, 1e-3);
}

TEST(BoxRegions, BandsAreSixtyPointsWithStrictLimits)
{
    CGSize box { 250, 250 };
    EXPECT_EQ(regionAt({ 30, 30 }, box), TopLeft);
    EXPECT_EQ(regionAt({ 125, 30 }, box), Top);
    EXPECT_EQ(regionAt({ 125, 125 }, box), Move);
    EXPECT_EQ(regionAt({ 60, 30 }, box), Move) << "60 is not less than 60";
    EXPECT_EQ(regionAt({ 30, 125 }, box), Left);
    EXPECT_EQ(regionAt({ 30, 220 }, box), BottomLeft);
    EXPECT_EQ(regionAt({ 125, 220 }, box), Bottom);
    EXPECT_EQ(regionAt({ 220, 220 }, box), BottomRight);
    EXPECT_EQ(regionAt({ 220, 125 }, box), Right);
    EXPECT_EQ(regionAt({ 220, 30 }, box), TopRight);
    EXPECT_EQ(regionAt({ 190, 125 }, box), Move) << "exactly W - 60";
    EXPECT_EQ(regionAt({ 125, 190 }, box), Move) << "exactly H - 60";
    EXPECT_EQ(regionAt({ 30, 60 }, box), Move) << "exactly on the left band's top limit";
}

TEST(BoxRegions, ASmallBoxHasSixtyPointCornersAndThirtyPointEdges)
{
    CGSize box { 150, 150 };
    EXPECT_EQ(regionAt({ 59, 59 }, box), TopLeft);
    EXPECT_EQ(regionAt({ 75, 10 }, box), Top);
    EXPECT_EQ(regionAt({ 61, 10 }, box), Top);
    EXPECT_EQ(regionAt({ 89, 10 }, box), Top);
    EXPECT_EQ(regionAt({ 91, 10 }, box), TopRight);
    EXPECT_EQ(regionAt({ 75, 75 }, box), Move);
}

TEST(BoxResize, TheMinimumIsOneHundredFiftyFromEveryRegion)
{
    CGRect frame = CGRectMake(100, 200, 300, 300);
    // Right edge dragged left by 200: the width stops at 150, x stays.
    expectFrame(drag(frame, { 390, 350 }, { 190, 350 }, { 1000, 1000 }), 100, 200, 150, 300);
    // Left edge dragged right by 200: x moves so that the right edge stays at 400.
    expectFrame(drag(frame, { 110, 350 }, { 310, 350 }, { 1000, 1000 }), 250, 200, 150, 300);
    // Top edge down, bottom edge up: the same on the other axis.
    expectFrame(drag(frame, { 250, 210 }, { 250, 410 }, { 1000, 1000 }), 100, 350, 300, 150);
    expectFrame(drag(frame, { 250, 490 }, { 250, 290 }, { 1000, 1000 }), 100, 200, 300, 150);
    // Corners shrink both ways at once.
    expectFrame(drag(frame, { 110, 210 }, { 390, 490 }, { 1000, 1000 }), 250, 350, 150, 150);
    expectFrame(drag(frame, { 390, 490 }, { 110, 210 }, { 1000, 1000 }), 100, 200, 150, 150);
    expectFrame(drag(frame, { 110, 490 }, { 390, 210 }, { 1000, 1000 }), 250, 200, 150, 150);
    expectFrame(drag(frame, { 390, 210 }, { 110, 490 }, { 1000, 1000 }), 100, 350, 150, 150);
}

TEST(BoxResize, ASmallBoxSnapsToTheMinimumOnResizeButNotOnMove)
{
    CGRect small = CGRectMake(100, 100, 100, 80);
    // Bottom edge of a box narrower than 150: it widens too.
    CGRect resized = drag(small, { 150, 170 }, { 150, 175 });
    EXPECT_NEAR(resized.size.width, 150, 1e-3);
    EXPECT_NEAR(resized.size.height, 150, 1e-3);
    CGRect bigger = CGRectMake(100, 100, 200, 200);
    CGRect moved = drag(bigger, { 200, 200 }, { 210, 220 });
    expectFrame(moved, 110, 120, 200, 200);
    CGRect tiny = CGRectMake(100, 100, 120, 120);
    EXPECT_EQ(regionAt({ 60, 60 }, tiny.size), Move);
    expectFrame(drag(tiny, { 160, 160 }, { 170, 150 }), 110, 90, 120, 120);
}

TEST(BoxResize, LeftAndTopLimitsKeepTheFarEdges)
{
    CGRect frame = CGRectMake(50, 60, 200, 200);
    expectFrame(drag(frame, { 60, 160 }, { -100, 160 }), 0, 60, 250, 200);
    expectFrame(drag(frame, { 150, 70 }, { 150, -100 }), 50, 0, 200, 260);
}

TEST(BoxResize, FullWidthAndHeightSnapToTheParent)
{
    CGRect frame = CGRectMake(50, 60, 200, 200);
    expectFrame(drag(frame, { 240, 160 }, { 600, 160 }), 50, 60, 340, 200);
    CGRect wide = CGRectMake(0, 60, 300, 200);
    expectFrame(drag(wide, { 290, 160 }, { 390, 160 }), 0, 60, 390, 200);
    CGRect tall = CGRectMake(50, 0, 200, 800);
    expectFrame(drag(tall, { 150, 790 }, { 150, 900 }), 50, 0, 200, 844);
}

TEST(BoxMove, StopsFlushWithEverySideAndKeepsItsSize)
{
    CGRect frame = CGRectMake(70, 297, 250, 250);
    expectFrame(drag(frame, { 195, 422 }, { -500, 422 }), 0, 297, 250, 250);
    expectFrame(drag(frame, { 195, 422 }, { 900, 422 }), 140, 297, 250, 250);
    expectFrame(drag(frame, { 195, 422 }, { 195, -500 }), 70, 0, 250, 250);
    expectFrame(drag(frame, { 195, 422 }, { 195, 2000 }), 70, 594, 250, 250);
}

TEST(BoxMove, SinglePrecisionCoordinatesWithDoubleSizes)
{
    // 0.1 is not a float: the new origin carries single-precision rounding.
    CGRect frame = CGRectMake(0, 0, 250.1, 250.1);
    CGRect moved = drag(frame, { 125, 125 }, { 125.1, 125 });
    EXPECT_EQ(moved.origin.x, static_cast<double>(static_cast<float>(125.1) - 125.0f));
    EXPECT_EQ(moved.size.width, 250.1) << "the size is passed on as a double";
}

TEST(BoxReadout, RoundsLikePrintf)
{
    EXPECT_EQ(readout({ 250, 250 }), "W:250 H:250");
    EXPECT_EQ(readout({ 249.6, 150 }), "W:250 H:150");
}

TEST(CentringRule, OnlyTheDefaultsCentreTheBox)
{
    EXPECT_TRUE(CentringRule::centresBox(0, 0, 250, 250));
    EXPECT_FALSE(CentringRule::centresBox(0, 0, 250, 251));
    EXPECT_FALSE(CentringRule::centresBox(10, 0, 250, 250));
    EXPECT_TRUE(CentringRule::centresBox(0, 0, 250.000001, 250)) << "the same single-precision value";
    EXPECT_EQ(CentringRule::singlePrecisionText(250), "250");
}

}  // namespace
