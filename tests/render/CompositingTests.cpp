// What the compositor draws for hand-built view trees: colours, opacity,
// geometry, clipping, masks, shapes and the windows' stacking.

#include "RenderTestSupport.h"

#include "platform/render/GradientLayer.h"

namespace {

CGPathRef rectsPath(std::initializer_list<CGRect> rects)
{
    auto path = CGPathCreateMutable();
    for (const CGRect& r : rects)
        CGPathAddRect(path, nullptr, r);
    return path;
}

TEST_F(RenderTest, BackgroundColourFillsTheFrameAtTheScreenScale)
{
    auto w = window();
    w->add<UIView>(CGRectMake(10, 20, 50, 40))->setBackgroundColor(rgb(1, 0, 0));
    const auto& s = screen();
    ASSERT_EQ(s.width(), 1170);
    ASSERT_EQ(s.height(), 2532);
    EXPECT_TRUE(near(s.pixel(30, 60), 255, 0, 0));  // the frame's first pixel at 3x
    EXPECT_TRUE(near(s.pixel(179, 179), 255, 0, 0));  // and its last
    EXPECT_TRUE(near(s.pixel(29, 60), 0, 0, 0));
    EXPECT_TRUE(near(s.pixel(180, 100), 0, 0, 0));
    EXPECT_TRUE(near(s.pixel(100, 180), 0, 0, 0));
}

TEST_F(RenderTest, AlphaBlendsWithWhatIsBehind)
{
    auto w = window(UIWindowLevelNormal, rgb(0, 0, 1));
    auto v = w->add<UIView>(CGRectMake(0, 0, 100, 100));
    v->setBackgroundColor(rgb(1, 0, 0));
    v->setAlpha(0.5);
    EXPECT_TRUE(near(at(50, 50), 128, 0, 127, 2));
    auto colourAlpha = w->add<UIView>(CGRectMake(200, 0, 100, 100));
    colourAlpha->setBackgroundColor(rgb(1, 1, 1, 0.25));
    EXPECT_TRUE(near(at(250, 50), 64, 64, 255, 2));
}

TEST_F(RenderTest, OpacityAppliesToAViewAndItsSubviewsAsOneGroup)
{
    auto w = window();
    auto parent = w->add<UIView>(CGRectMake(0, 0, 200, 100));
    parent->setBackgroundColor(rgb(1, 1, 1));
    parent->setAlpha(0.5);
    parent->add<UIView>(CGRectMake(100, 0, 100, 100))->setBackgroundColor(rgb(1, 1, 1));
    // Where the white child covers the white parent the result is the same
    // grey as elsewhere, not brighter: the two are faded together.
    EXPECT_TRUE(near(at(50, 50), 128, 128, 128, 2));
    EXPECT_TRUE(near(at(150, 50), 128, 128, 128, 2));
}

TEST_F(RenderTest, HiddenAndTransparentViewsDrawNothing)
{
    auto w = window();
    auto hidden = w->add<UIView>(CGRectMake(0, 0, 50, 50));
    hidden->setBackgroundColor(rgb(1, 1, 1));
    hidden->setHidden(true);
    auto clear = w->add<UIView>(CGRectMake(100, 0, 50, 50));
    clear->setBackgroundColor(rgb(1, 1, 1));
    clear->setAlpha(0);
    EXPECT_EQ(inked(CGRectMake(0, 0, 200, 60), { 0, 0, 0, 255 }), 0);
}

TEST_F(RenderTest, TransformsRotateAndScaleAboutTheCentre)
{
    auto w = window();
    auto rotated = w->add<UIView>(CGRectMake(100, 100, 100, 100));
    rotated->setBackgroundColor(rgb(0, 1, 0));
    rotated->setTransform(CGAffineTransformMakeRotation(M_PI / 4));
    EXPECT_TRUE(near(at(150, 150), 0, 255, 0));
    EXPECT_TRUE(near(at(102, 102), 0, 0, 0));  // a corner of the unrotated square
    EXPECT_TRUE(near(at(150, 85), 0, 255, 0));  // beyond the top edge: a rotated corner
    auto scaled = w->add<UIView>(CGRectMake(100, 400, 50, 50));
    scaled->setBackgroundColor(rgb(0, 0, 1));
    scaled->setTransform(CGAffineTransformMakeScale(2, 2));
    EXPECT_TRUE(near(at(80, 380), 0, 0, 255));  // inside 75...175 after scaling
    EXPECT_TRUE(near(at(70, 425), 0, 0, 0));
}

TEST_F(RenderTest, ClipsToBoundsCutsSubviewsAtTheEdge)
{
    auto w = window();
    auto clipping = w->add<UIView>(CGRectMake(0, 0, 100, 100));
    clipping->setClipsToBounds(true);
    clipping->add<UIView>(CGRectMake(50, 50, 100, 100))->setBackgroundColor(rgb(1, 0, 0));
    auto open = w->add<UIView>(CGRectMake(200, 0, 100, 100));
    open->add<UIView>(CGRectMake(50, 50, 100, 100))->setBackgroundColor(rgb(1, 0, 0));
    EXPECT_TRUE(near(at(75, 75), 255, 0, 0));
    EXPECT_TRUE(near(at(120, 120), 0, 0, 0));
    EXPECT_TRUE(near(at(320, 120), 255, 0, 0));
}

TEST_F(RenderTest, CornerRadiusRoundsTheBackgroundAndTheClip)
{
    auto w = window();
    for (auto [x, curve] : { std::pair { 0.0, kCACornerCurveCircular }, std::pair { 200.0, kCACornerCurveContinuous } }) {
        auto v = w->add<UIView>(CGRectMake(x, 0, 100, 100));
        v->setBackgroundColor(rgb(1, 1, 1));
        v->layer()->setCornerRadius(30);
        v->layer()->setCornerCurve(curve);
        EXPECT_TRUE(near(at(x + 2, 2), 0, 0, 0)) << curve;
        EXPECT_TRUE(near(at(x + 50, 1), 255, 255, 255)) << curve;
        EXPECT_TRUE(near(at(x + 30, 30), 255, 255, 255)) << curve;
    }
    // A continuous corner starts bending further along the edge: 26 points
    // from the corner a circular one is all but straight, a continuous one
    // is already three points in.
    EXPECT_TRUE(near(at(26, 0.5), 255, 255, 255, 60));
    EXPECT_TRUE(near(at(226, 0.5), 0, 0, 0, 60));
}

TEST_F(RenderTest, BorderIsDrawnInsideTheBoundsAboveSubviews)
{
    auto w = window();
    auto v = w->add<UIView>(CGRectMake(10, 10, 100, 100));
    v->setBackgroundColor(rgb(0, 0, 1));
    v->layer()->setBorderWidth(4);
    v->layer()->setBorderColor(UIColor::whiteColor()->CGColor());
    v->add<UIView>(CGRectMake(0, 0, 100, 20))->setBackgroundColor(rgb(1, 0, 0));
    EXPECT_TRUE(near(at(11, 60), 255, 255, 255));  // the border, over the blue
    EXPECT_TRUE(near(at(60, 11), 255, 255, 255));  // and over the red subview
    EXPECT_TRUE(near(at(60, 60), 0, 0, 255));
    EXPECT_TRUE(near(at(9, 60), 0, 0, 0));  // nothing outside the bounds
}

TEST_F(RenderTest, ShadowDarkensAroundTheViewAndFadesAway)
{
    auto w = window(UIWindowLevelNormal, rgb(1, 1, 1));
    auto v = w->add<UIView>(CGRectMake(100, 100, 100, 100));
    v->setBackgroundColor(rgb(1, 1, 1));
    v->layer()->setShadowOpacity(0.8);
    v->layer()->setShadowRadius(8);
    v->layer()->setShadowOffset({ 0, 10 });
    Pixel below = at(150, 205), above = at(150, 96), far = at(150, 260);
    EXPECT_LT(below[0], 200);  // the offset shadow shows under the view
    EXPECT_GT(above[0], below[0]);  // and less above it
    EXPECT_TRUE(near(far, 255, 255, 255));
    EXPECT_TRUE(near(at(150, 150), 255, 255, 255));  // the view itself stays on top
}

TEST_F(RenderTest, EvenOddMaskCutsAClearHoleInADimmingView)
{
    auto w = window(UIWindowLevelNormal, rgb(1, 0, 0));
    CGRect screenRect = w->bounds();
    auto dimming = w->add<UIView>(screenRect);
    dimming->setBackgroundColor(UIColor::colorWithWhite(0, 0.5));
    auto mask = CAShapeLayer::layer();
    mask->setFillRule(kCAFillRuleEvenOdd);
    mask->setPath(rectsPath({ screenRect, CGRectMake(70, 260, 250, 250) }));
    dimming->layer()->setMask(mask);
    EXPECT_TRUE(near(at(195, 385), 255, 0, 0));  // the hole shows what is behind
    EXPECT_TRUE(near(at(71, 261), 255, 0, 0));
    EXPECT_TRUE(near(at(319, 509), 255, 0, 0));
    EXPECT_TRUE(near(at(69, 385), 127, 0, 0, 2));  // outside it is dimmed
    EXPECT_TRUE(near(at(195, 100), 127, 0, 0, 2));
    // With the non-zero rule the inner rectangle fills too: no hole.
    mask->setFillRule(kCAFillRuleNonZero);
    EXPECT_TRUE(near(at(195, 385), 127, 0, 0, 2));
}

TEST_F(RenderTest, MaskLayerAlphaDecidesWhatShows)
{
    auto w = window();
    auto v = w->add<UIView>(CGRectMake(0, 0, 200, 100));
    v->setBackgroundColor(rgb(1, 1, 1));
    auto mask = CALayer::layer();  // not a shape: its drawn alpha is the mask
    mask->setFrame(CGRectMake(0, 0, 100, 100));
    mask->setBackgroundColor(CGColorCreateSRGB(0, 0, 0, 0.5));
    v->layer()->setMask(mask);
    EXPECT_TRUE(near(at(50, 50), 128, 128, 128, 2));
    EXPECT_TRUE(near(at(150, 50), 0, 0, 0));
    // A hidden mask shows nothing at all.
    mask->setHidden(true);
    EXPECT_TRUE(near(at(50, 50), 0, 0, 0));
}

TEST_F(RenderTest, ShapeLayersFillAndStrokeTheirPaths)
{
    auto w = window();
    auto shape = CAShapeLayer::layer();
    shape->setPath(rectsPath({ CGRectMake(20, 20, 60, 60) }));
    shape->setFillColor(CGColorCreateSRGB(0, 0, 1, 1));
    shape->setStrokeColor(CGColorCreateSRGB(1, 1, 0, 1));
    shape->setLineWidth(4);
    w->layer()->addSublayer(shape);
    EXPECT_TRUE(near(at(50, 50), 0, 0, 255));
    EXPECT_TRUE(near(at(19, 50), 255, 255, 0));  // the stroke straddles the edge
    EXPECT_TRUE(near(at(21, 50), 255, 255, 0));
    EXPECT_TRUE(near(at(15, 50), 0, 0, 0));
    shape->setFillColor(nullptr);
    EXPECT_TRUE(near(at(50, 50), 0, 0, 0));
}

TEST_F(RenderTest, DashedStrokeLeavesGaps)
{
    auto w = window();
    auto line = CAShapeLayer::layer();
    auto path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, 0, 50);
    CGPathAddLineToPoint(path, nullptr, 200, 50);
    line->setPath(path);
    line->setStrokeColor(CGColorCreateSRGB(1, 1, 1, 1));
    line->setLineWidth(4);
    line->setLineDashPattern({ 10, 10 });
    w->layer()->addSublayer(line);
    for (double x : { 5.0, 25.0, 45.0, 185.0 })
        EXPECT_TRUE(near(at(x, 50), 255, 255, 255)) << x;
    for (double x : { 15.0, 35.0, 55.0, 195.0 })
        EXPECT_TRUE(near(at(x, 50), 0, 0, 0)) << x;
}

TEST_F(RenderTest, BrokenDashPatternsDrawSolidAndSpoilNothingElse)
{
    auto w = window();
    for (int i = 0; i < 2; ++i) {
        auto line = CAShapeLayer::layer();
        auto path = CGPathCreateMutable();
        CGPathMoveToPoint(path, nullptr, 0, 50 + 50 * i);
        CGPathAddLineToPoint(path, nullptr, 200, 50 + 50 * i);
        line->setPath(path);
        line->setStrokeColor(CGColorCreateSRGB(1, 1, 1, 1));
        line->setLineWidth(4);
        // Cairo would stop drawing altogether on either of these.
        line->setLineDashPattern(i == 0 ? std::vector<int> { 0, 0 } : std::vector<int> { 5, -5 });
        w->layer()->addSublayer(line);
    }
    w->add<UIView>(CGRectMake(0, 200, 50, 50))->setBackgroundColor(rgb(1, 0, 0));
    EXPECT_TRUE(near(at(15, 50), 255, 255, 255));
    EXPECT_TRUE(near(at(15, 100), 255, 255, 255));
    EXPECT_TRUE(near(at(25, 225), 255, 0, 0));
}

TEST_F(RenderTest, LayersWithUnusableGeometryAreSkippedAndTheRestIsDrawn)
{
    auto w = window();
    auto collapsed = w->add<UIView>(CGRectMake(0, 0, 100, 100));
    collapsed->setBackgroundColor(rgb(1, 1, 1));
    collapsed->setTransform(CGAffineTransformMakeScale(0, 0));
    collapsed->add<UIView>(CGRectMake(0, 0, 10, 10))->setBackgroundColor(rgb(1, 1, 1));
    auto notANumber = CALayer::layer();
    notANumber->setFrame(CGRectMake(NAN, 0, 50, 50));
    notANumber->setBackgroundColor(CGColorCreateSRGB(1, 1, 1, 1));
    w->layer()->addSublayer(notANumber);
    auto badPath = CAShapeLayer::layer();
    auto path = CGPathCreateMutable();
    CGPathAddRect(path, nullptr, CGRectMake(0, INFINITY, 10, 10));
    badPath->setPath(path);
    w->layer()->addSublayer(badPath);
    auto fine = w->add<UIView>(CGRectMake(200, 200, 50, 50));
    fine->setBackgroundColor(rgb(0, 1, 0));
    EXPECT_TRUE(near(at(225, 225), 0, 255, 0));
    EXPECT_EQ(inked(CGRectMake(0, 0, 120, 120), { 0, 0, 0, 255 }), 0);
}

TEST_F(RenderTest, AMaskThatLeadsBackIntoItsOwnTreeEnds)
{
    auto w = window();
    auto outer = w->add<UIView>(CGRectMake(0, 0, 100, 100));
    outer->setBackgroundColor(rgb(1, 1, 1));
    auto inner = outer->add<UIView>(CGRectMake(10, 10, 50, 50));
    inner->setBackgroundColor(rgb(1, 0, 0));
    inner->layer()->setMask(outer->layer());  // a loop no phone would draw
    w->add<UIView>(CGRectMake(200, 200, 50, 50))->setBackgroundColor(rgb(0, 1, 0));
    EXPECT_TRUE(near(at(225, 225), 0, 255, 0));
    EXPECT_TRUE(near(at(90, 90), 255, 255, 255));
    inner->layer()->setMask(nullptr);  // lets the layers go
}

TEST_F(RenderTest, GradientLayerBlendsFromStartToEnd)
{
    auto w = window();
    auto gradient = GradientLayer::layer();
    gradient->setFrame(CGRectMake(0, 0, 100, 100));
    gradient->setColors({ CGColorCreateSRGB(1, 0, 0, 1), CGColorCreateSRGB(0, 0, 1, 1) });
    w->layer()->addSublayer(gradient);
    Pixel top = at(50, 1), middle = at(50, 50), bottom = at(50, 99);
    EXPECT_GT(top[0], 240);
    EXPECT_GT(bottom[2], 240);
    EXPECT_NEAR(middle[0], 128, 6);
    EXPECT_NEAR(middle[2], 128, 6);
}

TEST_F(RenderTest, HigherWindowLevelsDrawOnTopWhateverTheirAge)
{
    auto high = window(UIWindowLevelStatusBar, UIColor::clearColor());
    high->add<UIView>(CGRectMake(0, 0, 100, 100))->setBackgroundColor(rgb(0, 1, 0));
    auto normal = window(UIWindowLevelNormal, UIColor::clearColor());
    normal->add<UIView>(CGRectMake(50, 0, 100, 100))->setBackgroundColor(rgb(1, 0, 0));
    auto later = window(UIWindowLevelNormal, UIColor::clearColor());
    later->add<UIView>(CGRectMake(120, 0, 100, 100))->setBackgroundColor(rgb(0, 0, 1));
    EXPECT_TRUE(near(at(75, 50), 0, 255, 0));  // the older, higher window wins
    EXPECT_TRUE(near(at(130, 50), 0, 0, 255));  // within a level, the younger one
    EXPECT_TRUE(near(at(110, 50), 255, 0, 0));
    high->setHidden(true);
    EXPECT_TRUE(near(at(75, 50), 255, 0, 0));
    normal->setAlpha(0);
    EXPECT_TRUE(near(at(75, 50), 0, 0, 0));
}

TEST_F(RenderTest, MidAnimationTheScreenShowsPresentationValues)
{
    auto w = window();
    auto v = w->add<UIView>(CGRectMake(0, 0, 100, 100));
    v->setBackgroundColor(rgb(1, 1, 1));
    UIView::animateWithDuration(
        1.0, 0, UIViewAnimationOptionCurveLinear, [&] { v->setAlpha(0); }, nullptr);
    EXPECT_TRUE(near(at(50, 50), 255, 255, 255));
    RunLoop::main().runFor(0.5);
    EXPECT_TRUE(near(at(50, 50), 128, 128, 128, 2));
    RunLoop::main().runFor(0.6);
    EXPECT_TRUE(near(at(50, 50), 0, 0, 0));

    UIView::animateWithDuration(
        1.0, 0, UIViewAnimationOptionCurveLinear, [&] {
            v->setAlpha(1);
            v->setCenter(CGPointMake(250, 50));
        },
        nullptr);
    RunLoop::main().runFor(0.5);
    EXPECT_TRUE(near(at(150, 50), 128, 128, 128, 2));  // halfway along, half faded in
    EXPECT_TRUE(near(at(50, 50), 0, 0, 0));
}

TEST_F(RenderTest, LayoutRunsBeforeDrawing)
{
    auto w = window();
    auto v = alloc<UIView>();
    v->setBackgroundColor(rgb(1, 0, 0));
    v->setTranslatesAutoresizingMaskIntoConstraints(false);
    w->addSubview(v);
    NSLayoutConstraint::activateConstraints({ v->leadingAnchor()->constraintEqualToAnchor(w->leadingAnchor(), 10),
        v->topAnchor()->constraintEqualToAnchor(w->topAnchor(), 10), v->widthAnchor()->constraintEqualToConstant(40),
        v->heightAnchor()->constraintEqualToConstant(40) });
    EXPECT_TRUE(near(at(30, 30), 255, 0, 0));
}

TEST_F(RenderTest, SwitchesAndTextFieldsDrawTheirState)
{
    auto w = window(UIWindowLevelNormal, rgb(1, 1, 1));
    auto control = alloc<UISwitch>(CGRectMake(20, 20, 51, 31));
    w->addSubview(control);
    control->setOn(true);
    Pixel track = at(control->frame().origin.x + 8, control->frame().origin.y + 15);
    EXPECT_GT(track[1], track[0] + 60);  // the green track
    control->setOn(false);
    Pixel off = at(control->frame().origin.x + 40, control->frame().origin.y + 15);
    EXPECT_GT(off[0], 200);
    auto field = alloc<UITextField>(CGRectMake(20, 100, 200, 30));
    field->setPlaceholder("Name");
    w->addSubview(field);
    EXPECT_GT(inked(field->frame(), { 255, 255, 255, 255 }), 20);
}

}  // namespace
