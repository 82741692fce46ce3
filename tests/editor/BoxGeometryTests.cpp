#include "common/BoxGeometry.h"
#include "common/CentringRule.h"

#include <gtest/gtest.h>

namespace {

using namespace BoxGeometry;
using enum BoxGeometry::Region;

constexpr CGSize screen { 390, 844 };

// A drag that starts at `from` (parent coordinates) on a box at `frame` and
// has moved to `to`, in one step.
CGRect drag(CGRect frame, CGPoint from, CGPoint to, CGSize parent = screen)
{
    TouchStart start { { from.x - frame.origin.x, from.y - frame.origin.y }, from, frame };
    Region region = regionAt(start.inBox, frame.size);
    TouchNow now { { to.x - frame.origin.x, to.y - frame.origin.y }, to };
    return frameAfterMove(region, start, now, frame, parent);
}

// The same drag as a finger makes it: STEPS moves along the straight line,
// each measured in the box as it stood before that move.
CGRect dragInSteps(CGRect frame, CGPoint from, CGPoint to, int steps, CGSize parent)
{
    TouchStart start { { from.x - frame.origin.x, from.y - frame.origin.y }, from, frame };
    Region region = regionAt(start.inBox, frame.size);
    CGRect current = frame;
    for (int i = 1; i <= steps; ++i) {
        double t = static_cast<double>(i) / steps;
        CGPoint p { from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t };
        TouchNow now { { p.x - current.origin.x, p.y - current.origin.y }, p };
        current = frameAfterMove(region, start, now, current, parent);
    }
    return current;
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

// Drags on the overlay's box, as the user makes them on a 390 x 844 screen
// (unless said otherwise), with the frame each one must give. The overlay's
// default box is 250 x 250 at (70, 297).
struct DragCase {
    const char* what;
    CGRect start;
    CGPoint from;
    CGPoint to;
    int steps;
    CGRect expected;
    CGSize parent = screen;
};

constexpr CGRect centred { { 70, 297 }, { 250, 250 } };

const DragCase dragCases[] = {
    // Where a touch lands decides what it does; bands are 60 points wide and strict.
    { "(30, 30) is the top-left corner", centred, { 100, 327 }, { 110, 337 }, 1, { { 80, 307 }, { 240, 240 } } },
    { "(125, 30) is the top edge", centred, { 195, 327 }, { 195, 337 }, 1, { { 70, 307 }, { 250, 240 } } },
    { "(60, 30) is on the band's limit, so it moves", centred, { 130, 327 }, { 140, 337 }, 1, { { 80, 307 }, { 250, 250 } } },
    { "(190, 125) is exactly W - 60, so it moves", centred, { 260, 422 }, { 265, 422 }, 1, { { 75, 297 }, { 250, 250 } } },
    { "(191, 125) is the right edge", centred, { 261, 422 }, { 271, 422 }, 1, { { 70, 297 }, { 260, 250 } } },
    { "the left edge", centred, { 100, 422 }, { 90, 422 }, 1, { { 60, 297 }, { 260, 250 } } },
    { "the bottom-left corner", centred, { 100, 517 }, { 90, 527 }, 1, { { 60, 297 }, { 260, 260 } } },
    { "the bottom edge", centred, { 195, 517 }, { 195, 527 }, 1, { { 70, 297 }, { 250, 260 } } },
    { "the bottom-right corner", centred, { 290, 517 }, { 300, 527 }, 1, { { 70, 297 }, { 260, 260 } } },
    { "the top-right corner", centred, { 290, 327 }, { 300, 317 }, 1, { { 70, 287 }, { 260, 260 } } },
    // No resize makes the box smaller than 150; the edge opposite the
    // dragged one stays where it was at touch begin.
    { "left edge 200 to the right", centred, { 100, 422 }, { 300, 422 }, 1, { { 170, 297 }, { 150, 250 } } },
    { "right edge 200 to the left", centred, { 290, 422 }, { 90, 422 }, 1, { { 70, 297 }, { 150, 250 } } },
    { "top edge 200 down", centred, { 195, 327 }, { 195, 527 }, 1, { { 70, 397 }, { 250, 150 } } },
    { "bottom edge 200 up", centred, { 195, 517 }, { 195, 317 }, 1, { { 70, 297 }, { 250, 150 } } },
    { "top-left corner inwards", centred, { 100, 327 }, { 300, 527 }, 1, { { 170, 397 }, { 150, 150 } } },
    { "bottom-right corner inwards", centred, { 290, 517 }, { 90, 317 }, 1, { { 70, 297 }, { 150, 150 } } },
    { "bottom-left corner inwards", centred, { 100, 517 }, { 300, 317 }, 1, { { 170, 297 }, { 150, 150 } } },
    { "top-right corner inwards", centred, { 290, 327 }, { 90, 527 }, 1, { { 70, 397 }, { 150, 150 } } },
    { "right edge 200 to the left in ten moves", { { 100, 200 }, { 300, 300 } }, { 370, 350 }, { 170, 350 }, 10,
        { { 100, 200 }, { 150, 300 } } },
    { "left edge 200 to the right in ten moves", { { 100, 200 }, { 300, 300 } }, { 130, 350 }, { 330, 350 }, 10,
        { { 250, 200 }, { 150, 300 } }, { 430, 932 } },
    // The box keeps inside the screen.
    { "left edge past the left side", { { 50, 200 }, { 200, 300 } }, { 80, 350 }, { -50, 350 }, 1, { { 0, 200 }, { 250, 300 } } },
    { "top edge past the top", { { 50, 200 }, { 200, 300 } }, { 150, 230 }, { 150, -50 }, 1, { { 50, 0 }, { 200, 500 } } },
    { "right edge past the right side", { { 50, 200 }, { 200, 300 } }, { 220, 350 }, { 420, 350 }, 1, { { 50, 200 }, { 340, 300 } } },
    { "widened to the screen's width", { { 0, 200 }, { 300, 300 } }, { 270, 350 }, { 400, 350 }, 1, { { 0, 200 }, { 390, 300 } } },
    { "grown past the screen's height", { { 50, 0 }, { 200, 700 } }, { 150, 690 }, { 150, 900 }, 1, { { 50, 0 }, { 200, 844 } } },
    // Moving stops flush with every side and keeps the size.
    { "moved past the left side", centred, { 195, 422 }, { -300, 422 }, 10, { { 0, 297 }, { 250, 250 } } },
    { "moved past the right side", { { 0, 297 }, { 250, 250 } }, { 125, 422 }, { 900, 422 }, 10, { { 140, 297 }, { 250, 250 } } },
    { "moved past the top", { { 140, 297 }, { 250, 250 } }, { 265, 422 }, { 265, -500 }, 10, { { 140, 0 }, { 250, 250 } } },
    { "moved past the bottom", { { 140, 0 }, { 250, 250 } }, { 265, 125 }, { 265, 2000 }, 10, { { 140, 594 }, { 250, 250 } } },
    // A box built smaller than 150 keeps its size when moved and snaps to
    // the minimum on its first resize.
    { "(60, 60) of a 120 box is on both limits: it moves", { { 100, 200 }, { 120, 120 } }, { 160, 260 }, { 170, 270 }, 1,
        { { 110, 210 }, { 120, 120 } } },
    { "a 120 box's corner 5 points out snaps to 150", { { 110, 210 }, { 120, 120 } }, { 220, 320 }, { 225, 325 }, 1,
        { { 80, 180 }, { 150, 150 } } },
};

TEST(BoxDrags, EachDragGivesItsFrame)
{
    for (const auto& c : dragCases) {
        SCOPED_TRACE(c.what);
        CGRect e = c.expected;
        expectFrame(dragInSteps(c.start, c.from, c.to, c.steps, c.parent), e.origin.x, e.origin.y, e.size.width, e.size.height);
    }
}

TEST(BoxDrags, OneStepIsTheSameAsTheSingleMoveHelper)
{
    CGRect frame = CGRectMake(70, 297, 250, 250);
    CGRect a = dragInSteps(frame, { 100, 422 }, { 300, 422 }, 1, screen);
    CGRect b = drag(frame, { 100, 422 }, { 300, 422 });
    EXPECT_EQ(a, b);
}

TEST(BoxReadout, RoundsLikePrintf)
{
    EXPECT_EQ(readout({ 250, 250 }), "W:250 H:250");
    EXPECT_EQ(readout({ 249.6, 150 }), "W:250 H:150");
    EXPECT_EQ(readout({ 260, 250 }), "W:260 H:250");
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
