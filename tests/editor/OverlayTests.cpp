#include "platform/foundation/Foundation.h"
#include "platform/uikit/UIKit.h"
#include "tests/support/TestDevice.h"
#include "tweak/core/MarqelConfig.h"
#include "tweak/core/MarqelWindow.h"
#include "tweak/editor/MarqelToolButton.h"
#include "tweak/editor/MarqelViewController.h"
#include "tweak/editor/ResizableBox.h"

#include <gtest/gtest.h>

namespace {

// Stands in for SpringBoard's application object.
class RecordListener : public Object {
    MARQEL_OBJECT(RecordListener, Object)
public:
    void recordButtonPressedWithConfig(const std::shared_ptr<MarqelConfig>& config)
    {
        configs.push_back(config);
        frames.push_back(config->cropFrame());
    }
    std::vector<std::shared_ptr<MarqelConfig>> configs;
    std::vector<CGRect> frames;
};

// A view controller that answers one action, for tool buttons.
class ActionTarget : public UIViewController {
    MARQEL_OBJECT(ActionTarget, UIViewController)
public:
    void pressed() { ++presses; }
    int presses = 0;
};

}  // namespace

MARQEL_DEFINE_CLASS(RecordListener, method<&RecordListener::recordButtonPressedWithConfig>("recordButtonPressedWithConfig:"))
MARQEL_DEFINE_CLASS(ActionTarget, method<&ActionTarget::pressed>("pressed"))

namespace {

class Overlay : public ::testing::Test {
protected:
    TestDevice device;
};

TEST_F(Overlay, AFreshWindowIsAnInvisibleFullScreenAlertLevelWindow)
{
    auto window = alloc<MarqelWindow>()->init();
    EXPECT_EQ(window->frame(), CGRectMake(0, 0, 390, 844));
    EXPECT_EQ(window->windowLevel(), 2000.0);
    EXPECT_EQ(window->alpha(), 0);
    EXPECT_EQ(window->rootViewController(), window->marqelVC());
    EXPECT_EQ(window->marqelVC()->delegate(), window);
    EXPECT_EQ(MarqelWindow::lastCreatedWindow(), window);
}

TEST_F(Overlay, UnanimatedShowAndHideAreImmediateAndAHideForgetsTheWindow)
{
    auto window = alloc<MarqelWindow>()->init();
    window->showWithAnimation(false);
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_EQ(window->presentationAlpha(), 1);
    window->hideWithAnimation(false);
    EXPECT_EQ(window->presentationAlpha(), 0);
    EXPECT_TRUE(window->isKeyWindow()) << "a faded window stays key";
    RunLoop::main().drain();
    EXPECT_EQ(MarqelWindow::lastCreatedWindow(), nullptr);
}

TEST_F(Overlay, AnimatedFadesTakeThreeTenthsOfASecond)
{
    auto window = alloc<MarqelWindow>()->init();
    window->showWithAnimation(true);
    RunLoop::main().runFor(0.15);
    EXPECT_GT(window->presentationAlpha(), 0.2);
    EXPECT_LT(window->presentationAlpha(), 0.8);
    RunLoop::main().runFor(0.15);
    EXPECT_EQ(window->presentationAlpha(), 1);
    window->hideWithAnimation(true);
    RunLoop::main().runFor(0.29);
    EXPECT_EQ(MarqelWindow::lastCreatedWindow(), window);
    RunLoop::main().runFor(0.02);
    EXPECT_EQ(MarqelWindow::lastCreatedWindow(), nullptr);
}

TEST_F(Overlay, RecordHandsTheEditorsOwnConfigToTheDelegateAtOnce)
{
    auto window = alloc<MarqelWindow>()->init();
    auto listener = alloc<RecordListener>();
    window->setDelegate(listener);
    window->showWithAnimation(false);
    auto editor = window->marqelVC();
    editor->prepareRecording();
    ASSERT_EQ(listener->configs.size(), 1u) << "the delegate is told in the same turn, before the fade";
    EXPECT_EQ(listener->configs[0], editor->config());
    EXPECT_EQ(listener->frames[0], CGRectMake(70, 297, 250, 250));
    EXPECT_FALSE(listener->configs[0]->toggleMicrophone());
    EXPECT_EQ(window->presentationAlpha(), 1) << "the fade has only begun";
    editor->expandPressed();
    editor->prepareRecording();
    ASSERT_EQ(listener->configs.size(), 2u);
    EXPECT_EQ(listener->configs[1], listener->configs[0]) << "the same object, rewritten";
    EXPECT_EQ(listener->configs[0]->cropFrame(), CGRectMake(0, 0, 390, 844));
}

TEST_F(Overlay, ADeallocatedWindowGivesUpKeyStatus)
{
    {
        auto window = alloc<MarqelWindow>()->init();
        window->showWithAnimation(false);
        EXPECT_EQ(UIApplication::sharedApplication()->keyWindow(), window);
        window->setHidden(true);
        RunLoop::main().drain();
    }
    EXPECT_EQ(UIApplication::sharedApplication()->keyWindow(), nullptr);
}

class ToolButton : public Overlay {
protected:
    void SetUp() override
    {
        Overlay::SetUp();
        window = alloc<UIWindow>();
        controller = alloc<ActionTarget>();
        window->setRootViewController(controller);
        window->makeKeyAndVisible();
        button = alloc<MarqelToolButton>()->initWithIcon("mic.fill", UIColor::systemOrangeColor(), 30, sel_registerName("pressed"));
        button->setFrame(CGRectMake(100, 100, 45, 45));
        controller->view()->addSubview(button);
    }
    void touch(UITouchPhase phase, CGPoint point) { UIApplication::sharedApplication()->sendTouch(phase, point); }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<ActionTarget> controller;
    std::shared_ptr<MarqelToolButton> button;
};

TEST_F(ToolButton, ARoundWhiteButtonWhoseActionTravelsTheResponderChain)
{
    EXPECT_EQ(button->layer()->cornerRadius(), 22.5);
    EXPECT_TRUE(button->clipsToBounds());
    EXPECT_EQ(button->icon()->contentMode(), UIViewContentModeScaleAspectFit);
    EXPECT_EQ(button->icon()->image()->symbolName(), "mic.fill");
    touch(UITouchPhaseBegan, { 120, 120 });
    RunLoop::main().runFor(0.3);
    EXPECT_NEAR(button->presentationAlpha(), 0.8, 1e-9);
    EXPECT_NEAR(button->presentationTransform().a, 0.96, 1e-9);
    touch(UITouchPhaseEnded, { 120, 120 });
    EXPECT_EQ(controller->presses, 1);
    RunLoop::main().runFor(0.3);
    EXPECT_EQ(button->presentationAlpha(), 1);
    EXPECT_TRUE(CGAffineTransformIsIdentity(button->presentationTransform()));
}

TEST_F(ToolButton, LiftedOutsideOrCancelledSendsNothingButReturnsToRest)
{
    touch(UITouchPhaseBegan, { 120, 120 });
    touch(UITouchPhaseMoved, { 300, 300 });
    touch(UITouchPhaseEnded, { 300, 300 });
    touch(UITouchPhaseBegan, { 120, 120 });
    touch(UITouchPhaseCancelled, { 120, 120 });
    RunLoop::main().runFor(0.3);
    EXPECT_EQ(controller->presses, 0);
    EXPECT_EQ(button->presentationAlpha(), 1);
    EXPECT_TRUE(CGAffineTransformIsIdentity(button->transform()));
}

TEST_F(ToolButton, EachPressScalesTheTransformItHasThen)
{
    button->setTransform(CGAffineTransformMakeScale(2, 2));
    button->touchAnimateWithHighlighted(true);
    EXPECT_NEAR(button->transform().a, 1.92, 1e-9);
    button->touchAnimateWithHighlighted(false);
    EXPECT_TRUE(CGAffineTransformIsIdentity(button->transform())) << "release restores identity, not the earlier transform";
}

TEST_F(ToolButton, AnUnknownSymbolLeavesTheIconEmptyButTheButtonWorks)
{
    auto odd = alloc<MarqelToolButton>()->initWithIcon("no.such.symbol", UIColor::systemRedColor(), 30, sel_registerName("pressed"));
    odd->setFrame(CGRectMake(200, 200, 45, 45));
    controller->view()->addSubview(odd);
    EXPECT_EQ(odd->icon()->image(), nullptr);
    touch(UITouchPhaseBegan, { 220, 220 });
    touch(UITouchPhaseEnded, { 220, 220 });
    EXPECT_EQ(controller->presses, 1);
    // Nobody answering the action: a tap does nothing.
    auto lonely = alloc<MarqelToolButton>()->initWithIcon("xmark", UIColor::systemRedColor(), 30, sel_registerName("nobodyAnswers"));
    lonely->setFrame(CGRectMake(300, 300, 45, 45));
    controller->view()->addSubview(lonely);
    touch(UITouchPhaseBegan, { 320, 320 });
    touch(UITouchPhaseEnded, { 320, 320 });
    EXPECT_EQ(controller->presses, 1);
}

}  // namespace
