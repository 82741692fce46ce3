// Where a finger lands: the deepest visible, interactive view under it, in
// the topmost window that takes touches.

#include "UIKitTestSupport.h"

#include "kit/UIView+ZRLayout.h"

namespace {

class HitTesting : public UIKitTest {
protected:
    void SetUp() override
    {
        UIKitTest::SetUp();
        window = shownWindow();
        panel = window->add<UIView>(CGRectMake(20, 100, 300, 200));
        button = panel->add<UIView>(CGRectMake(10, 10, 100, 50));
        icon = button->add<UIView>(CGRectMake(10, 10, 20, 20));
    }

    std::shared_ptr<UIView> hit(CGPoint p) { return UIApplication::sharedApplication()->hitTest(p); }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<UIView> panel, button, icon;
};

TEST_F(HitTesting, AFingerLandsOnTheDeepestViewUnderIt)
{
    EXPECT_EQ(hit({ 45, 125 }), icon);  // 20+10+10 .. inside the icon
    EXPECT_EQ(hit({ 100, 130 }), button);  // in the button, beside the icon
    EXPECT_EQ(hit({ 200, 250 }), panel);
    EXPECT_EQ(hit({ 5, 5 }), window);
}

TEST_F(HitTesting, HiddenTransparentAndNonInteractiveViewsLetTheTouchThrough)
{
    icon->setHidden(true);
    EXPECT_EQ(hit({ 45, 125 }), button);
    icon->setHidden(false);

    icon->setAlpha(0.01);  // at or below 0.01 counts as invisible
    EXPECT_EQ(hit({ 45, 125 }), button);
    icon->setAlpha(0.02);
    EXPECT_EQ(hit({ 45, 125 }), icon);

    button->setUserInteractionEnabled(false);  // takes its subtree with it
    EXPECT_EQ(hit({ 45, 125 }), panel);
}

TEST_F(HitTesting, LabelsAndImageViewsIgnoreTouchesUnlessAskedTo)
{
    auto label = button->add<UILabel>(CGRectMake(0, 0, 100, 50));
    EXPECT_EQ(hit({ 80, 130 }), button);
    label->setUserInteractionEnabled(true);
    EXPECT_EQ(hit({ 80, 130 }), label);
}

TEST_F(HitTesting, TheFrontmostSiblingWinsAndPointsOutsideTheParentAreNotFound)
{
    auto cover = panel->add<UIView>(CGRectMake(0, 0, 300, 40));
    EXPECT_EQ(hit({ 45, 125 }), cover);
    panel->sendSubviewToBack(cover);
    EXPECT_EQ(hit({ 45, 125 }), icon);

    // A child that sticks out of its parent cannot be touched outside it.
    auto overhang = panel->add<UIView>(CGRectMake(250, 150, 100, 100));
    EXPECT_EQ(hit({ 20 + 260, 100 + 160 }), overhang);
    EXPECT_EQ(hit({ 20 + 330, 100 + 160 }), window);
}

TEST_F(HitTesting, TransformedViewsAreHitWhereTheyAreDrawn)
{
    // Doubled about its centre (60, 35 in the panel), the button now covers
    // panel x -40...160.
    button->setTransform(CGAffineTransformMakeScale(2, 2));
    EXPECT_EQ(hit({ 20 + 150, 100 + 35 }), button);
    // Button point (25, 25), inside the icon, is drawn at panel (10, 35).
    EXPECT_EQ(hit({ 20 + 10, 100 + 35 }), icon);
}

TEST_F(HitTesting, TheTopmostWindowThatTakesTouchesGetsThem)
{
    auto overlay = alloc<UIWindow>();
    overlay->setWindowLevel(UIWindowLevelAlert);
    overlay->setBackgroundColor(UIColor::colorWithWhite(0, 0.001));
    overlay->makeKeyAndVisible();
    auto lowerButCreatedLater = shownWindow();

    EXPECT_EQ(hit({ 45, 125 }), overlay);

    overlay->setAlpha(0);  // faded out: no longer takes touches
    EXPECT_EQ(hit({ 45, 125 }), lowerButCreatedLater);  // same level as `window`, created later, so above it

    lowerButCreatedLater->setHidden(true);
    EXPECT_EQ(hit({ 45, 125 }), icon);

    overlay->setAlpha(1);
    overlay->setUserInteractionEnabled(false);
    EXPECT_EQ(hit({ 45, 125 }), icon);
}

TEST_F(HitTesting, WindowsAreListedByLevelThenCreationOrder)
{
    auto alert = alloc<UIWindow>();
    alert->setWindowLevel(UIWindowLevelAlert);
    auto second = alloc<UIWindow>();
    auto windows = UIApplication::sharedApplication()->windows();
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows[0], window);
    EXPECT_EQ(windows[1], second);
    EXPECT_EQ(windows[2], alert);
}

TEST_F(HitTesting, ConstraintsAreSolvedBeforeTheFingerIsHitTested)
{
    auto badge = panel->add<UIView>();
    zr::size(badge, 40, 40);
    zr::xy(badge, panel->centerXAnchor(), panel->centerYAnchor());
    // Nothing has read the badge's frame yet: the touch itself lays it out.
    EXPECT_EQ(UIApplication::sharedApplication()->sendTouch(UITouchPhaseBegan, { 20 + 150, 100 + 100 }), badge);
}

}  // namespace
