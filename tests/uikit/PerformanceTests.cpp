// Every move event of a drag resizes the box, refits its outline, rewrites
// its read-out, re-cuts the dimming mask and restarts the tool bars' fade.
// What it costs is measured by bench/editor, not here.

#include "UIKitTestSupport.h"

#include "kit/UIView+ZRLayout.h"

#include <cstdio>

namespace {

class DragBox : public UIView {
    MARQEL_OBJECT(DragBox, UIView)
public:
    explicit DragBox(CGRect frame)
        : UIView(frame)
    {
        outline = CAShapeLayer::layer();
        outline->setFillColor(nullptr);
        outline->setStrokeColor(UIColor::whiteColor()->CGColor());
        layer()->addSublayer(outline);
        for (int i = 0; i < 12; ++i) {
            auto bar = add<UIView>();
            zr::size(bar, i % 2 ? 25 : 5, i % 2 ? 5 : 25);
            zr::trailing(bar, trailingAnchor(), 2.5);
            zr::y(bar, centerYAnchor());
        }
        readout = add<UILabel>();
        zr::size(readout, 100, 18);
        zr::x(readout, centerXAnchor());
        zr::bottom(readout, bottomAnchor(), -10);
    }

    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) override
    {
        start = touches.anyObject()->locationInView(superview().get());
        startFrame = frame();
    }
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) override
    {
        CGPoint p = touches.anyObject()->locationInView(superview().get());
        CGRect f = startFrame;
        f.size.width += p.x - start.x;
        f.size.height += p.y - start.y;
        setFrame(f);
        outline->setFrame(bounds());
        outline->setPath(UIBezierPath::bezierPathWithRect(bounds())->CGPath());
        char text[32];
        std::snprintf(text, sizeof text, "W:%.f H:%.f", f.size.width, f.size.height);
        readout->setText(text);
        if (onMove)
            onMove();
    }

    std::shared_ptr<CAShapeLayer> outline;
    std::shared_ptr<UILabel> readout;
    std::function<void()> onMove;
    CGPoint start {};
    CGRect startFrame {};
};

}  // namespace

MARQEL_DEFINE_CLASS(DragBox)

namespace {

class DragCost : public UIKitTest { };

TEST_F(DragCost, ManyMoveEventsEachDoTheWholeJob)
{
    auto controller = alloc<UIViewController>();
    auto window = shownWindow(controller);
    auto root = controller->view();
    auto dimming = root->add<UIView>(root->bounds());
    auto box = root->add<DragBox>(CGRectMake(70, 297, 250, 250));
    auto topBar = root->add<UIView>(CGRectMake(0, 45, 390, 40));
    auto bottomBar = root->add<UIView>(CGRectMake(0, 759, 390, 45));
    box->onMove = [&] {
        auto mask = CAShapeLayer::layer();
        CGMutablePathRef path = CGPathCreateMutable();
        CGPathAddRect(path, nullptr, box->frame());
        CGPathAddRect(path, nullptr, dimming->bounds());
        mask->setPath(path);
        CGPathRelease(path);
        mask->setFillRule(kCAFillRuleEvenOdd);
        dimming->layer()->setMask(mask);
        UIView::animateWithDuration(0.2, [&] {
            topBar->setAlpha(0);
            bottomBar->setAlpha(0);
        });
    };

    auto app = UIApplication::sharedApplication();
    ASSERT_EQ(app->sendTouch(UITouchPhaseBegan, { 300, 500 }), box);
    const int moves = 4000;
    for (int i = 0; i < moves; ++i)
        app->sendTouch(UITouchPhaseMoved, { 300.0 - (i % 100), 500.0 - (i % 50) });
    app->sendTouch(UITouchPhaseEnded, { 300, 500 });

    // And the work was real: the last move's results are all in place.
    EXPECT_EQ(box->readout->text(), "W:151 H:201");
    EXPECT_TRUE(std::dynamic_pointer_cast<CAShapeLayer>(dimming->layer()->mask())->fillContainsPoint({ 10, 10 }));
    ExpectRect(box->readout->frame(), 25.5, 173, 100, 18);
}

}  // namespace
