// Layout with the kit's operations and the solver behind them, on plain
// views and on the editor's own screen.

#include "UIKitTestSupport.h"

#include "kit/UIView+ZRLayout.h"
#include "tweak/editor/MarqelToolButton.h"
#include "tweak/editor/MarqelViewController.h"
#include "tweak/editor/ResizableBox.h"

namespace {

class Layout : public UIKitTest {
protected:
    void SetUp() override
    {
        UIKitTest::SetUp();
        controller = alloc<UIViewController>();
        window = shownWindow(controller);
        root = controller->view();
    }
    std::shared_ptr<UIViewController> controller;
    std::shared_ptr<UIWindow> window;
    std::shared_ptr<UIView> root;
};

TEST_F(Layout, ReadingAFrameDoesNotLayOutTheRunLoopDoes)
{
    auto badge = root->add<UIView>(CGRectMake(1, 2, 10, 10));
    zr::leading(badge, root->leadingAnchor(), 20);
    EXPECT_EQ(badge->frame().origin.x, 1);  // no pass has run yet
    EXPECT_EQ(badge->convertPointToScreen({ 0, 0 }), CGPointMake(1, 2));
    RunLoop::main().drain();  // ends the turn: the layout phase runs
    EXPECT_EQ(badge->frame().origin.x, 20);
}

TEST_F(Layout, TheLayoutPhaseRunsAfterEveryTaskOfTheMainQueue)
{
    auto badge = root->add<UIView>(CGRectMake(1, 2, 10, 10));
    auto left = zr::leading(badge, root->leadingAnchor(), 20);
    RunLoop::main().drain();
    CGFloat seenByTheNextTask = -1;
    RunLoop::main().post([&] { left->setConstant(60); });
    RunLoop::main().post([&] { seenByTheNextTask = badge->frame().origin.x; });
    RunLoop::main().drain();
    EXPECT_EQ(seenByTheNextTask, 60);
}

// A label pinned by one edge on an axis takes its text's length there, as
// UIKit gives it its intrinsic size; a wrapping label's height follows the
// width its constraints give; a new text lays it out again.
TEST_F(Layout, ALabelPinnedByOneEdgeTakesItsTextsSize)
{
    auto status = root->add<UILabel>(CGRectZero);
    status->setText("Disabled");
    zr::x(status, root->centerXAnchor());
    zr::bottom(status, root->bottomAnchor(), 0);
    RunLoop::main().drain();
    CGSize text = status->sizeThatFits({ 0, 0 });
    EXPECT_GT(text.width, 0);
    EXPECT_EQ(status->frame().size.width, text.width);
    EXPECT_EQ(status->frame().size.height, text.height);
    EXPECT_EQ(CGRectGetMaxY(status->frame()), CGRectGetMaxY(root->bounds()));

    status->setText("Disabled for now");
    RunLoop::main().drain();
    EXPECT_EQ(status->frame().size.width, status->sizeThatFits({ 0, 0 }).width) << "a new text is laid out again";

    auto message = root->add<UILabel>(CGRectZero);
    message->setNumberOfLines(0);
    message->setText(std::string(200, 'w'));
    zr::leading(message, root->leadingAnchor(), 20);
    zr::trailing(message, root->trailingAnchor(), -20);
    zr::y(message, root->centerYAnchor());
    RunLoop::main().drain();
    double width = root->bounds().size.width - 40;
    EXPECT_EQ(message->frame().size.width, width);
    EXPECT_EQ(message->frame().size.height, message->sizeThatFits({ width, 0 }).height);
    EXPECT_GT(message->frame().size.height, 2 * message->font()->lineHeight()) << "wrapped to the width it was given";

    auto sized = root->add<UILabel>(CGRectZero);
    sized->setText("Disabled");
    zr::x(sized, root->centerXAnchor());
    sized->widthAnchor()->constraintEqualToConstant(10)->setActive(true);
    RunLoop::main().drain();
    EXPECT_EQ(sized->frame().size.width, 10) << "a constraint on the length wins over the text";
}

TEST_F(Layout, AHiddenWindowIsLaidOutOnlyWhenAsked)
{
    auto offscreen = alloc<UIWindow>();
    auto badge = offscreen->add<UIView>(CGRectMake(1, 2, 10, 10));
    zr::top(badge, offscreen->topAnchor(), 30);
    RunLoop::main().drain();
    EXPECT_EQ(badge->frame().origin.y, 2);
    offscreen->layoutIfNeeded();
    EXPECT_EQ(badge->frame().origin.y, 30);
}

// The editor is the screen that leans on constraints most: its tool bars,
// their buttons and the box's handle bars are all placed by them.
class EditorLayout : public UIKitTest {
protected:
    void SetUp() override
    {
        UIKitTest::SetUp();
        editor = alloc<MarqelViewController>();
        window = shownWindow(editor);
        box = editor->marqelView();
        RunLoop::main().drain();  // the layout phase after the editor came up
    }
    std::shared_ptr<UIView> handle(std::size_t index) const { return box->handles().at(index); }

    std::shared_ptr<MarqelViewController> editor;
    std::shared_ptr<UIWindow> window;
    std::shared_ptr<ResizableBox> box;
};

TEST_F(EditorLayout, TheToolBarsSpanTheScreenWithTheRecordButtonCentred)
{
    ExpectRect(editor->topView()->frame(), 0, 45, 390, 40);
    ExpectRect(editor->closeButton()->frame(), 330, 0, 40, 40);
    ExpectRect(editor->bottomView()->frame(), 0, 844 - 40 - 45, 390, 45);
    // Expand, microphone | record | saved areas, add: 10 points apart.
    ExpectRect(editor->recordButton()->frame(), 172.5, 0, 45, 45);
    ExpectRect(editor->micButton()->frame(), 117.5, 0, 45, 45);
    ExpectRect(editor->expandButton()->frame(), 62.5, 0, 45, 45);
    ExpectRect(editor->favButton()->frame(), 227.5, 0, 45, 45);
    ExpectRect(editor->addButton()->frame(), 282.5, 0, 45, 45);
    EXPECT_FALSE(editor->addButton()->translatesAutoresizingMaskIntoConstraints());
}

TEST_F(EditorLayout, TouchesLandOnTheToolButtonsWhereTheyAreDrawn)
{
    auto app = UIApplication::sharedApplication();
    const std::shared_ptr<UIView> buttons[] = { editor->closeButton(), editor->expandButton(), editor->micButton(),
        editor->recordButton(), editor->favButton(), editor->addButton() };
    for (const auto& button : buttons) {
        auto hit = app->hitTest(screenCentre(button));
        ASSERT_TRUE(hit) << button->description();
        EXPECT_TRUE(hit->isDescendantOfView(button.get())) << hit->description();
    }
}

TEST_F(EditorLayout, TwelveHandleBarsStraddleTheOutlineAtTheCornersAndMidpoints)
{
    ASSERT_EQ(box->frame(), CGRectMake(70, 297, 250, 250));
    ASSERT_EQ(box->handles().size(), 12u);
    const CGRect expected[12] = {
        { { -2.5, -2.5 }, { 5, 25 } }, { { -2.5, -2.5 }, { 25, 5 } },  // top-left corner
        { { 112.5, -2.5 }, { 25, 5 } },  // top middle
        { { 227.5, -2.5 }, { 25, 5 } }, { { 247.5, -2.5 }, { 5, 25 } },  // top-right corner
        { { 247.5, 112.5 }, { 5, 25 } },  // right middle
        { { 227.5, 247.5 }, { 25, 5 } }, { { 247.5, 227.5 }, { 5, 25 } },  // bottom-right corner
        { { 112.5, 247.5 }, { 25, 5 } },  // bottom middle
        { { -2.5, 247.5 }, { 25, 5 } }, { { -2.5, 227.5 }, { 5, 25 } },  // bottom-left corner
        { { -2.5, 112.5 }, { 5, 25 } },  // left middle
    };
    for (std::size_t i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        const CGRect& e = expected[i];
        ExpectRect(handle(i)->frame(), e.origin.x, e.origin.y, e.size.width, e.size.height);
    }
    // The read-out sits centred, 10 points above the bottom edge.
    ExpectRect(box->rectLabel()->frame(), 75, 222, 100, 18);
}

TEST_F(EditorLayout, AChosenSavedAreaMovesTheHandlesOnTheNextLayout)
{
    editor->didSelectedSavedArea(CGRectMake(0, 0, 300, 200));
    // Until the layout phase the bars stay where the last pass put them.
    ExpectRect(handle(5)->frame(), 247.5, 112.5, 5, 25);
    RunLoop::main().drain();
    ExpectRect(handle(5)->frame(), 297.5, 87.5, 5, 25);
    ExpectRect(handle(9)->frame(), -2.5, 197.5, 25, 5);
    ExpectRect(box->rectLabel()->frame(), 100, 172, 100, 18);
}

TEST_F(EditorLayout, DraggingTheBoxCarriesItsHandlesAlong)
{
    auto app = UIApplication::sharedApplication();
    // From the box's middle, which moves it rather than resizing it.
    ASSERT_EQ(app->sendTouch(UITouchPhaseBegan, { 195, 422 }), box);
    app->sendTouch(UITouchPhaseMoved, { 225, 452 });
    app->sendTouch(UITouchPhaseEnded, { 225, 452 });
    ExpectRect(box->frame(), 100, 327, 250, 250);
    RunLoop::main().drain();
    ExpectRect(handle(5)->frame(), 247.5, 112.5, 5, 25);
    EXPECT_EQ(handle(5)->convertPointToScreen({ 0, 0 }), CGPointMake(100 + 247.5, 327 + 112.5));
}

TEST_F(EditorLayout, ResizingFromACornerRefitsTheHandlesBeforeTheNextTouch)
{
    auto app = UIApplication::sharedApplication();
    ASSERT_EQ(app->sendTouch(UITouchPhaseBegan, { 300, 530 }), box);  // near the bottom-right corner
    app->sendTouch(UITouchPhaseMoved, { 350, 580 });
    ExpectRect(box->frame(), 70, 297, 300, 300);
    // The next touch event lays out first, as the phone would have between
    // the two events.
    app->sendTouch(UITouchPhaseMoved, { 350, 580 });
    ExpectRect(handle(7)->frame(), 297.5, 277.5, 5, 25);
    app->sendTouch(UITouchPhaseEnded, { 350, 580 });
    EXPECT_EQ(box->rectLabel()->text(), "W:300 H:300");
}

TEST_F(Layout, FillTiesAllFourEdgesToTheSuperview)
{
    auto holder = root->add<UIView>(CGRectMake(10, 20, 200, 100));
    auto content = holder->add<UIView>(CGRectMake(1, 2, 3, 4));
    EXPECT_EQ(zr::fill(content).size(), 4u);
    root->layoutIfNeeded();
    ExpectRect(content->frame(), 0, 0, 200, 100);
    holder->setFrame(CGRectMake(0, 0, 120, 60));
    root->layoutIfNeeded();
    ExpectRect(content->frame(), 0, 0, 120, 60);
}

TEST_F(Layout, AViewConstrainedOnOneAxisKeepsItsFrameOnTheOther)
{
    auto strip = root->add<UIView>(CGRectMake(30, 40, 50, 60));
    zr::leading(strip, root->leadingAnchor(), 5);
    zr::trailing(strip, root->trailingAnchor(), -5);  // width from both edges
    root->layoutIfNeeded();
    ExpectRect(strip->frame(), 5, 40, 380, 60);
}

TEST_F(Layout, ATransformedButtonKeepsItsTransformThroughLayout)
{
    auto bar = root->add<UIView>(CGRectMake(0, 700, 390, 45));
    auto button = bar->add<UIView>();
    zr::size(button, 45, 45);
    zr::xy(button, bar->centerXAnchor(), bar->centerYAnchor());
    button->setTransform(CGAffineTransformMakeScale(0.96, 0.96));  // pressed
    bar->setFrame(CGRectMake(0, 600, 300, 45));
    root->layoutIfNeeded();
    EXPECT_EQ(button->center(), CGPointMake(150, 22.5));
    EXPECT_EQ(button->bounds().size, CGSizeMake(45, 45));
    EXPECT_EQ(button->transform(), CGAffineTransformMakeScale(0.96, 0.96));
}

TEST_F(Layout, ConstraintsToAnOutsideViewGoWhenTheSubtreeIsRemoved)
{
    auto bar = root->add<UIView>(CGRectMake(0, 0, 100, 45));
    auto other = root->add<UIView>(CGRectMake(0, 100, 100, 45));
    auto button = bar->add<UIView>();
    auto size = zr::size(button, 45, 45);
    auto across = zr::top(button, other->bottomAnchor(), 0);
    ASSERT_TRUE(across);
    EXPECT_TRUE(across->isActive());
    bar->removeFromSuperview();
    EXPECT_FALSE(across->isActive());
    EXPECT_TRUE(size[0]->isActive());  // inside the removed subtree: kept
    root->addSubview(bar);
    root->layoutIfNeeded();
    ExpectRect(button->frame(), 0, 0, 45, 45);
}

TEST_F(Layout, ViewsWithoutACommonAncestorCannotBeTiedTogether)
{
    auto loose = alloc<UIView>(CGRectMake(0, 0, 10, 10));
    auto lines = SystemLog::shared().lineCount();
    EXPECT_EQ(zr::top(loose, root->topAnchor(), 0), nullptr);
    EXPECT_TRUE(zr::fill(loose).empty());
    EXPECT_GT(SystemLog::shared().lineCount(), lines);
    ExpectRect(loose->frame(), 0, 0, 10, 10);
}

TEST_F(Layout, ChangingAConstantMovesTheViewOnTheNextLayout)
{
    auto badge = root->add<UIView>();
    zr::size(badge, 10, 10);
    auto left = zr::leading(badge, root->leadingAnchor(), 20);
    zr::top(badge, root->topAnchor(), 0);
    root->layoutIfNeeded();
    EXPECT_EQ(badge->frame().origin.x, 20);
    left->setConstant(50);
    root->layoutIfNeeded();
    EXPECT_EQ(badge->frame().origin.x, 50);
    left->setActive(false);
    badge->setFrame(CGRectMake(7, 0, 10, 10));
    root->layoutIfNeeded();
    EXPECT_EQ(badge->frame().origin.x, 7);  // no longer placed on that axis
}

TEST_F(Layout, ACircleOfConstraintsLeavesTheViewsWhereTheyWere)
{
    auto a = root->add<UIView>(CGRectMake(1, 1, 10, 10));
    auto b = root->add<UIView>(CGRectMake(2, 2, 10, 10));
    zr::leading(a, b->trailingAnchor(), 0);
    zr::leading(b, a->trailingAnchor(), 0);
    root->layoutIfNeeded();  // terminates, and says so in the system log
    EXPECT_EQ(a->frame().size, CGSizeMake(10, 10));
    EXPECT_EQ(b->frame().size, CGSizeMake(10, 10));
}

TEST_F(Layout, AWindowsRootViewFillsItAndFollowsItsSize)
{
    ExpectRect(root->frame(), 0, 0, 390, 844);
    window->setFrame(CGRectMake(0, 0, 400, 800));
    ExpectRect(root->frame(), 0, 0, 400, 800);
}

// Builds its content in its constructor, before anything can retain it.
class Badged : public UIView {
    MARQEL_OBJECT(Badged, UIView)
public:
    explicit Badged(CGRect frame)
        : UIView(frame)
    {
        badge = add<UIView>();
        zr::size(badge, 10, 10);
        zr::leading(badge, leadingAnchor(), 5);
        zr::top(badge, topAnchor(), 6);
    }
    std::shared_ptr<UIView> badge;
};

TEST_F(Layout, AViewMayTieItsSubviewsToItselfInItsConstructor)
{
    auto badged = root->add<Badged>(CGRectMake(100, 100, 50, 50));
    root->layoutIfNeeded();
    ExpectRect(badged->badge->frame(), 5, 6, 10, 10);
    EXPECT_EQ(badged->constraints().size(), 2u);  // the edges; the badge holds its size
}

class LayoutCounter : public UIView {
    MARQEL_OBJECT(LayoutCounter, UIView)
public:
    void layoutSubviews() override { ++passes; }
    int passes = 0;
};

TEST_F(Layout, LayoutSubviewsRunsOnceAfterTheSizeChanges)
{
    auto counted = root->add<LayoutCounter>();
    root->layoutIfNeeded();
    int before = counted->passes;
    root->layoutIfNeeded();
    EXPECT_EQ(counted->passes, before);
    counted->setFrame(CGRectMake(0, 0, 10, 10));
    counted->setFrame(CGRectMake(0, 0, 20, 20));
    root->layoutIfNeeded();
    EXPECT_EQ(counted->passes, before + 1);
}

TEST_F(Layout, AViewThatGoesTakesItsConstraintsWithIt)
{
    auto follower = root->add<UIView>(CGRectMake(0, 0, 10, 10));
    std::shared_ptr<NSLayoutConstraint> tie;
    std::shared_ptr<UIView> orphan;
    {
        auto leader = root->add<UIView>(CGRectMake(100, 100, 50, 50));
        tie = zr::leading(follower, leader->trailingAnchor(), 0);
        root->layoutIfNeeded();
        EXPECT_EQ(follower->frame().origin.x, 150);
        leader->removeFromSuperview();  // ties across the cut go
        EXPECT_FALSE(tie->isActive());
        orphan = leader->add<UIView>();
        tie = zr::leading(orphan, leader->trailingAnchor(), 0);
        EXPECT_TRUE(tie->isActive());  // inside the removed subtree: kept
    }
    // The leader is gone while its subview lives on.
    EXPECT_FALSE(tie->isActive());
    EXPECT_EQ(orphan->superview(), nullptr);
    EXPECT_EQ(tie->firstItem(), orphan);
    EXPECT_EQ(tie->secondItem(), nullptr);  // names no view, and never a freed one
    root->addSubview(orphan);
    root->layoutIfNeeded();
    tie->setActive(true);  // cannot come back to life
    EXPECT_FALSE(tie->isActive());
}

TEST_F(Layout, AViewCannotBeAddedInsideItself)
{
    auto outer = root->add<UIView>(CGRectMake(0, 0, 100, 100));
    auto inner = outer->add<UIView>(CGRectMake(0, 0, 10, 10));
    inner->addSubview(outer);
    outer->addSubview(outer);
    EXPECT_EQ(outer->superview(), root);
    EXPECT_TRUE(inner->subviews().empty());
}

class WindowWatcher : public UIView {
    MARQEL_OBJECT(WindowWatcher, UIView)
public:
    void didMoveToWindow() override { windows.push_back(window()); }
    std::vector<std::shared_ptr<UIWindow>> windows;
};

TEST_F(Layout, MovingAViewWithinAWindowDoesNotTakeItOutOfTheWindow)
{
    auto first = root->add<UIView>();
    auto second = root->add<UIView>();
    auto watcher = first->add<WindowWatcher>();
    ASSERT_EQ(watcher->windows.size(), 1u);
    second->addSubview(watcher);
    EXPECT_EQ(watcher->windows.size(), 1u);
    watcher->removeFromSuperview();
    ASSERT_EQ(watcher->windows.size(), 2u);
    EXPECT_EQ(watcher->windows[1], nullptr);
}

// Pointers back up a tree (superview, superlayer, key window, a constraint's
// views, a root view's controller) own nothing; each is cleared by its owner
// when the owner lets go, so none reads as a freed object.

TEST_F(Layout, ARemovedSubviewHasNoSuperviewOrWindow)
{
    auto panel = root->add<UIView>(CGRectMake(0, 0, 100, 100));
    auto badge = panel->add<UIView>(CGRectMake(0, 0, 10, 10));
    EXPECT_EQ(badge->window(), window);
    panel->removeFromSuperview();
    EXPECT_EQ(panel->superview(), nullptr);
    EXPECT_EQ(badge->superview(), panel);
    EXPECT_EQ(badge->window(), nullptr);
    EXPECT_EQ(badge->nextResponder(), panel);
    EXPECT_EQ(panel->nextResponder(), nullptr);
}

TEST_F(Layout, ASubviewOutlivingItsSuperviewHasNoSuperview)
{
    std::shared_ptr<UIView> badge;
    {
        auto panel = alloc<UIView>(CGRectMake(0, 0, 100, 100));
        badge = panel->add<UIView>(CGRectMake(0, 0, 10, 10));
    }
    EXPECT_EQ(badge->superview(), nullptr);
    EXPECT_EQ(badge->nextResponder(), nullptr);
    EXPECT_TRUE(badge->layer()->superlayer() == nullptr);
    root->addSubview(badge);  // and it can go somewhere else
    EXPECT_EQ(badge->superview(), root);
    EXPECT_EQ(badge->layer()->superlayer(), root->layer());
}

TEST_F(Layout, ASublayerOutlivingItsSuperlayerHasNoSuperlayer)
{
    auto outline = CALayer::layer();
    {
        auto holder = CALayer::layer();
        holder->addSublayer(outline);
        EXPECT_EQ(outline->superlayer(), holder);
    }
    EXPECT_EQ(outline->superlayer(), nullptr);
    auto other = CALayer::layer();
    other->addSublayer(outline);
    outline->removeFromSuperlayer();
    EXPECT_EQ(outline->superlayer(), nullptr);
    EXPECT_TRUE(other->sublayers().empty());
}

TEST_F(Layout, ADestroyedWindowIsNoLongerKey)
{
    auto app = UIApplication::sharedApplication();
    {
        auto hidden = alloc<UIWindow>();
        hidden->makeKeyWindow();  // a window need not be shown to be key
        EXPECT_TRUE(hidden->isKeyWindow());
        EXPECT_FALSE(window->isKeyWindow());
    }
    EXPECT_EQ(app->keyWindow(), nullptr);
    EXPECT_FALSE(window->isKeyWindow());
    window->makeKeyWindow();
    EXPECT_EQ(app->keyWindow(), window);
}

TEST_F(Layout, AConstraintWhoseViewWentAwayDoesNothing)
{
    auto follower = root->add<UIView>(CGRectMake(5, 6, 10, 10));
    std::shared_ptr<NSLayoutConstraint> tie;
    std::shared_ptr<NSLayoutXAxisAnchor> edge;
    {
        auto leader = root->add<UIView>(CGRectMake(100, 100, 50, 50));
        edge = leader->trailingAnchor();
        tie = zr::leading(follower, edge, 0);
        root->layoutIfNeeded();
        EXPECT_EQ(follower->frame().origin.x, 150);
        EXPECT_EQ(tie->holder(), root.get());
        leader->removeFromSuperview();
    }
    EXPECT_FALSE(tie->isActive());
    EXPECT_EQ(tie->holder(), nullptr);
    EXPECT_EQ(tie->secondView(), nullptr);
    EXPECT_EQ(edge->view(), nullptr);
    EXPECT_EQ(edge->item(), nullptr);
    EXPECT_FALSE(follower->hasConstraintsOnItself());

    tie->setConstant(70);  // changes nothing on screen
    tie->setActive(true);  // cannot come back to life
    EXPECT_FALSE(tie->isActive());
    EXPECT_TRUE(root->constraints().empty());
    root->layoutIfNeeded();
    ExpectRect(follower->frame(), 150, 6, 10, 10);
    EXPECT_NE(tie->description().find("(no view)"), std::string::npos);
}

TEST_F(Layout, ARootViewWhoseControllerWentHasNone)
{
    std::shared_ptr<UIView> content;
    {
        auto owner = alloc<UIViewController>();
        content = owner->view();
        EXPECT_EQ(content->owningViewController(), owner);
        EXPECT_EQ(content->nextResponder(), owner);
    }
    EXPECT_EQ(content->owningViewController(), nullptr);
    root->addSubview(content);
    EXPECT_EQ(content->nextResponder(), root);
}

TEST_F(Layout, AControllerThatTakesAnotherViewLetsTheOldOneGo)
{
    auto first = controller->view();
    auto second = alloc<UIView>();
    controller->setView(second);
    EXPECT_EQ(first->owningViewController(), nullptr);
    EXPECT_EQ(second->owningViewController(), controller);
}

}  // namespace

MARQEL_DEFINE_CLASS(Badged)
MARQEL_DEFINE_CLASS(LayoutCounter)
MARQEL_DEFINE_CLASS(WindowWatcher)
