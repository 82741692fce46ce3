// Shape layers and paths: the dimmed surroundings with a clear cut-out.

#include "UIKitTestSupport.h"

namespace {

class Shapes : public UIKitTest { };

CGPathRef cutOut(CGRect box, CGRect screen)
{
    CGMutablePathRef path = CGPathCreateMutable();
    CGPathAddRect(path, nullptr, box);
    CGPathAddRect(path, nullptr, screen);
    return path;
}

TEST_F(Shapes, EvenOddFillsTheScreenButNotTheBox)
{
    CGRect box = CGRectMake(70, 297, 250, 250);
    CGRect screen = CGRectMake(0, 0, 390, 844);
    auto path = cutOut(box, screen);
    EXPECT_TRUE(CGPathContainsPoint(path, { 10, 10 }, true));
    EXPECT_FALSE(CGPathContainsPoint(path, { 195, 422 }, true));
    EXPECT_TRUE(CGPathContainsPoint(path, { 195, 296.9 }, true));
    // The box's own edges: min inside the box (clear), max outside it.
    EXPECT_FALSE(CGPathContainsPoint(path, { 70, 297 }, true));
    EXPECT_TRUE(CGPathContainsPoint(path, { 320, 400 }, true));
    EXPECT_FALSE(CGPathContainsPoint(path, { 400, 400 }, true));  // off the screen
    // With the nonzero rule both rectangles wind the same way: all filled.
    EXPECT_TRUE(CGPathContainsPoint(path, { 195, 422 }, false));
}

TEST_F(Shapes, AMaskLayerReplacesThePreviousOneOnEveryUpdate)
{
    auto dimming = alloc<UIView>(CGRectMake(0, 0, 390, 844));
    dimming->setBackgroundColor(UIColor::colorWithWhite(0, 0.7));
    std::weak_ptr<CALayer> first;
    for (CGFloat x : { 70.0, 80.0 }) {
        auto mask = CAShapeLayer::layer();
        CGPathRef path = cutOut(CGRectMake(x, 297, 250, 250), dimming->bounds());
        mask->setPath(path);
        CGPathRelease(path);
        mask->setFillRule(kCAFillRuleEvenOdd);
        if (x == 70.0)
            first = mask;
        dimming->layer()->setMask(mask);
    }
    EXPECT_TRUE(first.expired());  // the old mask is gone, not leaked
    auto mask = std::dynamic_pointer_cast<CAShapeLayer>(dimming->layer()->mask());
    ASSERT_TRUE(mask);
    EXPECT_TRUE(mask->usesEvenOddFillRule());
    // The cut-out follows the box, now at x 80.
    EXPECT_FALSE(mask->fillContainsPoint({ 100, 400 }));
    EXPECT_TRUE(mask->fillContainsPoint({ 79, 300 }));
    EXPECT_FALSE(mask->fillContainsPoint({ 81, 300 }));
    EXPECT_EQ(mask->superlayer(), nullptr);
}

TEST_F(Shapes, TheOutlineIsAStrokedUnfilledRectangleThatCanBeDashed)
{
    auto box = alloc<UIView>(CGRectMake(70, 297, 250, 250));
    auto outline = CAShapeLayer::layer();
    outline->setStrokeColor(UIColor::whiteColor()->CGColor());
    outline->setLineWidth(2);
    outline->setFillColor(nullptr);
    outline->setLineDashPattern({ 6, 8 });
    outline->setFrame(box->bounds());
    outline->setPath(UIBezierPath::bezierPathWithRect(box->bounds())->CGPath());
    box->layer()->addSublayer(outline);
    auto handle = box->add<UIView>(CGRectMake(0, 0, 5, 25));

    ASSERT_EQ(box->layer()->sublayers().size(), 2u);
    EXPECT_EQ(box->layer()->sublayers()[0], outline);  // below the handles
    EXPECT_EQ(box->layer()->sublayers()[1], handle->layer());
    EXPECT_EQ(outline->fillColor(), nullptr);
    EXPECT_EQ(*outline->strokeColor(), (CGColor { 1, 1, 1, 1 }));
    EXPECT_EQ(outline->lineDashPattern(), (std::vector<int> { 6, 8 }));

    // Refit after a resize: the path and frame follow, stroke settings stay.
    box->setFrame(CGRectMake(0, 0, 300, 200));
    outline->setFrame(box->bounds());
    outline->setPath(UIBezierPath::bezierPathWithRect(box->bounds())->CGPath());
    ExpectRect(outline->frame(), 0, 0, 300, 200);
    ExpectRect(CGPathGetBoundingBox(outline->path()), 0, 0, 300, 200);
    EXPECT_EQ(outline->lineWidth(), 2);
    EXPECT_EQ(outline->presentationFrame(), outline->frame());  // no implicit animation
}

TEST_F(Shapes, ABezierPathHandsOutAPathThatLaterChangesDoNotTouch)
{
    auto bezier = UIBezierPath::bezierPathWithRect(CGRectMake(0, 0, 10, 10));
    CGPathRef before = bezier->CGPath();
    bezier->appendPath(UIBezierPath::bezierPathWithRect(CGRectMake(2, 2, 4, 4)));
    EXPECT_EQ(CGPathGetSubpathCount(before), 1u);
    EXPECT_EQ(CGPathGetSubpathCount(bezier->CGPath()), 2u);
    bezier->setUsesEvenOddFillRule(true);
    EXPECT_FALSE(bezier->containsPoint({ 3, 3 }));
    EXPECT_TRUE(bezier->containsPoint({ 1, 1 }));
    bezier->appendPath(bezier);  // appending itself doubles it, once
    EXPECT_EQ(CGPathGetSubpathCount(bezier->CGPath()), 4u);
}

TEST_F(Shapes, PathsOfOtherShapesAndTransformsFillCorrectly)
{
    auto triangle = CGPathCreateMutable();
    CGPathMoveToPoint(triangle, nullptr, 0, 0);
    CGPathAddLineToPoint(triangle, nullptr, 10, 0);
    CGPathAddLineToPoint(triangle, nullptr, 0, 10);
    CGPathCloseSubpath(triangle);
    EXPECT_TRUE(CGPathContainsPoint(triangle, { 2, 2 }, false));
    EXPECT_FALSE(CGPathContainsPoint(triangle, { 8, 8 }, false));

    CGAffineTransform shift = CGAffineTransformMakeTranslation(100, 0);
    auto moved = CGPathCreateMutable();
    CGPathAddRect(moved, &shift, CGRectMake(0, 0, 10, 10));
    EXPECT_TRUE(CGPathContainsPoint(moved, { 105, 5 }, false));
    EXPECT_FALSE(CGPathContainsPoint(moved, { 5, 5 }, false));
    EXPECT_FALSE(CGPathContainsPoint(nullptr, { 5, 5 }, false));
    EXPECT_TRUE(CGPathIsEmpty(CGPathCreateMutable()));
}

TEST_F(Shapes, ALayerCannotBeAddedInsideItself)
{
    auto outer = CALayer::layer();
    auto inner = CALayer::layer();
    outer->addSublayer(inner);
    inner->addSublayer(outer);
    EXPECT_EQ(outer->superlayer(), nullptr);
    EXPECT_TRUE(inner->sublayers().empty());
    outer->addSublayer(outer);
    EXPECT_EQ(outer->sublayers().size(), 1u);
}

}  // namespace
