// Animations: the model changes at once, the presentation follows the clock.

#include "UIKitTestSupport.h"

namespace {

class Animations : public UIKitTest {
protected:
    void advance(double seconds) { RunLoop::main().runFor(seconds); }
    std::shared_ptr<UIView> bar = alloc<UIView>(CGRectMake(0, 759, 390, 45));
};

TEST_F(Animations, AFadeChangesTheModelAtOnceAndThePresentationOverTime)
{
    UIView::animateWithDuration(0.2, [&] { bar->setAlpha(0); });
    EXPECT_EQ(bar->alpha(), 0);
    EXPECT_EQ(bar->presentationAlpha(), 1);
    advance(0.05);
    double quarter = bar->presentationAlpha();
    EXPECT_GT(quarter, 0.5);  // ease-in-out starts slowly
    EXPECT_LT(quarter, 1.0);
    advance(0.05);
    EXPECT_NEAR(bar->presentationAlpha(), 0.5, 1e-6);  // the curve is symmetric
    advance(0.1);
    EXPECT_EQ(bar->presentationAlpha(), 0);
    EXPECT_FALSE(bar->layer()->hasRunningAnimations());
}

TEST_F(Animations, TheEaseOutOptionMovesFastFirst)
{
    UIView::animateWithDuration(
        0.2, 0, UIViewAnimationOptionCurveEaseOut, [&] { bar->setAlpha(0); }, nullptr);
    advance(0.1);
    EXPECT_LT(bar->presentationAlpha(), 0.4);
    UIView::animateWithDuration(
        0.2, 0, UIViewAnimationOptionCurveLinear, [&] { bar->setAlpha(1); }, nullptr);
    double from = bar->presentationAlpha();
    advance(0.1);
    EXPECT_NEAR(bar->presentationAlpha(), from + (1 - from) / 2, 1e-9);
}

TEST_F(Animations, ANewAnimationStartsFromWhereThePreviousOneHasGot)
{
    // A drag fades the bars out on every move, then back in on lift.
    UIView::animateWithDuration(0.2, [&] { bar->setAlpha(0); });
    advance(0.1);
    EXPECT_NEAR(bar->presentationAlpha(), 0.5, 1e-6);
    UIView::animateWithDuration(0.2, [&] { bar->setAlpha(1); });
    EXPECT_NEAR(bar->presentationAlpha(), 0.5, 1e-6);  // no jump
    advance(0.1);
    EXPECT_NEAR(bar->presentationAlpha(), 0.75, 1e-6);
    advance(0.1);
    EXPECT_EQ(bar->presentationAlpha(), 1);
}

TEST_F(Animations, AFadeRepeatedOnEveryMoveStillEndsOneDurationAfterItBegan)
{
    for (int move = 0; move < 4; ++move) {
        UIView::animateWithDuration(0.2, [&] { bar->setAlpha(0); });
        advance(0.05);
    }
    EXPECT_EQ(bar->presentationAlpha(), 0);
    // A new target still starts from where the fade has got.
    UIView::animateWithDuration(0.2, [&] { bar->setAlpha(0); });
    UIView::animateWithDuration(0.2, [&] { bar->setAlpha(1); });
    advance(0.1);
    EXPECT_NEAR(bar->presentationAlpha(), 0.5, 1e-6);
}

TEST_F(Animations, FramesAndTransformsAreInterpolated)
{
    auto button = alloc<UIView>(CGRectMake(100, 100, 45, 45));
    UIView::animateWithDuration(0.3, [&] {
        button->setFrame(CGRectMake(200, 300, 90, 45));
        button->setTransform(CGAffineTransformMakeScale(0.96, 0.96));
    });
    ExpectRect(button->frame(), 200 + 90 * 0.02, 300 + 45 * 0.02, 90 * 0.96, 45 * 0.96, 1e-9);
    ExpectRect(button->presentationFrame(), 100, 100, 45, 45);
    advance(0.15);
    EXPECT_NEAR(button->presentationCenter().x, (122.5 + 245) / 2, 1e-6);
    EXPECT_NEAR(button->presentationTransform().a, 0.98, 1e-6);
    auto snapshot = button->layer()->presentationLayer();
    EXPECT_NEAR(snapshot->position().x, (122.5 + 245) / 2, 1e-6);
    EXPECT_NEAR(snapshot->affineTransform().d, 0.98, 1e-6);
    advance(0.15);
    EXPECT_EQ(button->presentationTransform(), CGAffineTransformMakeScale(0.96, 0.96));
    ExpectRect(button->presentationFrame(), 200 + 90 * 0.02, 300 + 45 * 0.02, 90 * 0.96, 45 * 0.96, 1e-9);
}

TEST_F(Animations, TheCompletionRunsOnTheMainQueueOnceTheDurationHasPassed)
{
    std::vector<std::pair<double, bool>> completions;
    UIView::animateWithDuration(
        0.3, [&] { bar->setAlpha(0); },
        [&](bool finished) { completions.emplace_back(RunLoop::main().now(), finished); });
    RunLoop::main().drain();
    EXPECT_TRUE(completions.empty());
    advance(0.29);
    EXPECT_TRUE(completions.empty());
    advance(0.02);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_DOUBLE_EQ(completions[0].first, 0.3);
    EXPECT_TRUE(completions[0].second);
}

TEST_F(Animations, ZeroDurationAppliesAtOnceAndCompletesOnTheNextTurn)
{
    bool completed = false;
    UIView::animateWithDuration(
        0, [&] { bar->setAlpha(0); }, [&](bool finished) { completed = finished; });
    EXPECT_EQ(bar->presentationAlpha(), 0);
    EXPECT_FALSE(completed);  // never inside the call
    RunLoop::main().drain();
    EXPECT_TRUE(completed);
    EXPECT_EQ(RunLoop::main().now(), 0);
}

TEST_F(Animations, ADelayHoldsThePresentationAndTheCompletion)
{
    double completedAt = -1;
    UIView::animateWithDuration(
        0.2, 0.5, UIViewAnimationOptionCurveEaseInOut, [&] { bar->setAlpha(0); },
        [&](bool) { completedAt = RunLoop::main().now(); });
    advance(0.4);
    EXPECT_EQ(bar->presentationAlpha(), 1);
    advance(0.2);
    EXPECT_NEAR(bar->presentationAlpha(), 0.5, 1e-6);
    advance(0.5);
    EXPECT_DOUBLE_EQ(completedAt, 0.7);
}

TEST_F(Animations, ASetOutsideABlockStopsTheRunningAnimation)
{
    UIView::animateWithDuration(0.3, [&] { bar->setAlpha(0); });
    advance(0.1);
    bar->setAlpha(0.6);
    EXPECT_EQ(bar->presentationAlpha(), 0.6);
    UIView::animateWithDuration(0.3, [&] { bar->setAlpha(1); });
    UIView::performWithoutAnimation([&] { bar->setAlpha(0.2); });
    EXPECT_EQ(bar->presentationAlpha(), 0.2);
}

TEST_F(Animations, AWindowFadesInAndOutWithItsContent)
{
    auto window = alloc<UIWindow>();
    window->setAlpha(0);
    window->makeKeyAndVisible();
    UIView::animateWithDuration(
        0.3, [&] { window->setAlpha(1); }, nullptr);
    // The model is what hit-testing sees: the window takes touches at once.
    EXPECT_EQ(UIApplication::sharedApplication()->hitTest({ 10, 10 }), window);
    EXPECT_EQ(window->presentationAlpha(), 0);
    advance(0.3);
    EXPECT_EQ(window->presentationAlpha(), 1);
}

}  // namespace
