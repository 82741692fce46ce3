// Layout with the kit's operations and the solver behind them.

#include "UIKitTestSupport.h"

#include "kit/UIView+ZRLayout.h"

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

TEST_F(Layout, TheEditorsToolBarsSitWhereTheirConstraintsPutThem)
{
    CGFloat W = root->frame().size.width;
    auto topView = root->add<UIView>();
    zr::size(topView, W, 40);
    zr::x(topView, root->centerXAnchor());
    zr::top(topView, root->topAnchor(), 45);
    auto close = topView->add<UIView>();
    zr::size(close, 40, 40);
    zr::y(close, topView->centerYAnchor());
    zr::trailing(close, topView->trailingAnchor(), -20);

    auto bottomView = root->add<UIView>();
    zr::size(bottomView, W, 45);
    zr::x(bottomView, root->centerXAnchor());
    zr::bottom(bottomView, root->bottomAnchor(), -40);
    auto button = [&] {
        auto b = bottomView->add<UIControl>();
        zr::size(b, 45, 45);
        zr::y(b, bottomView->centerYAnchor());
        return b;
    };
    auto record = button();
    zr::x(record, bottomView->centerXAnchor());
    auto mic = button();
    zr::trailing(mic, record->leadingAnchor(), -10);
    auto expand = button();
    zr::trailing(expand, mic->leadingAnchor(), -10);
    auto fav = button();
    zr::leading(fav, record->trailingAnchor(), 10);
    auto add = button();
    zr::leading(add, fav->trailingAnchor(), 10);

    root->layoutIfNeeded();
    ExpectRect(topView->frame(), 0, 45, 390, 40);
    ExpectRect(close->frame(), 330, 0, 40, 40);
    ExpectRect(bottomView->frame(), 0, 844 - 40 - 45, 390, 45);
    ExpectRect(record->frame(), 172.5, 0, 45, 45);
    ExpectRect(mic->frame(), 117.5, 0, 45, 45);
    ExpectRect(expand->frame(), 62.5, 0, 45, 45);
    ExpectRect(fav->frame(), 227.5, 0, 45, 45);
    ExpectRect(add->frame(), 282.5, 0, 45, 45);
    EXPECT_FALSE(add->translatesAutoresizingMaskIntoConstraints());
}

class CropBoxLayout : public Layout {
protected:
    void SetUp() override
    {
        Layout::SetUp();
        box = root->add<UIView>(CGRectMake(70, 297, 250, 250));
        // Right edge mark: right side at W + 2.5, centred on H / 2.
        rightMark = box->add<UIView>();
        zr::size(rightMark, 5, 25);
        zr::trailing(rightMark, box->trailingAnchor(), 2.5);
        zr::y(rightMark, box->centerYAnchor());
        // Bottom-left corner: left side at -2.5, bottom at H + 2.5.
        corner = box->add<UIView>();
        zr::size(corner, 25, 5);
        zr::leading(corner, box->leadingAnchor(), -2.5);
        zr::bottom(corner, box->bottomAnchor(), 2.5);
        // Read-out: centred, bottom 10 above the box's bottom.
        readout = box->add<UILabel>();
        zr::size(readout, 100, 18);
        zr::x(readout, box->centerXAnchor());
        zr::bottom(readout, box->bottomAnchor(), -10);
    }
    std::shared_ptr<UIView> box, rightMark, corner;
    std::shared_ptr<UILabel> readout;
};

TEST_F(CropBoxLayout, HandlesStraddleTheOutlineAndFollowTheBoxAsItResizes)
{
    ExpectRect(rightMark->frame(), 247.5, 112.5, 5, 25);
    ExpectRect(corner->frame(), -2.5, 247.5, 25, 5);
    ExpectRect(readout->frame(), 75, 222, 100, 18);

    box->setFrame(CGRectMake(0, 0, 300, 200));  // a drag resizes the box
    // Read lazily: nothing was asked to lay out.
    ExpectRect(rightMark->frame(), 297.5, 87.5, 5, 25);
    ExpectRect(corner->frame(), -2.5, 197.5, 25, 5);
    ExpectRect(readout->frame(), 100, 172, 100, 18);
}

TEST_F(CropBoxLayout, MovingTheBoxKeepsTheHandlesInPlaceWithinIt)
{
    ExpectRect(rightMark->frame(), 247.5, 112.5, 5, 25);
    box->setCenter(CGPointMake(100, 100));
    ExpectRect(rightMark->frame(), 247.5, 112.5, 5, 25);
    EXPECT_EQ(rightMark->convertPointToScreen({ 0, 0 }), CGPointMake(-25 + 247.5, -25 + 112.5));
}

TEST_F(Layout, FillTiesAllFourEdgesToTheSuperview)
{
    auto holder = root->add<UIView>(CGRectMake(10, 20, 200, 100));
    auto content = holder->add<UIView>(CGRectMake(1, 2, 3, 4));
    EXPECT_EQ(zr::fill(content).size(), 4u);
    ExpectRect(content->frame(), 0, 0, 200, 100);
    holder->setFrame(CGRectMake(0, 0, 120, 60));
    ExpectRect(content->frame(), 0, 0, 120, 60);
}

TEST_F(Layout, AViewConstrainedOnOneAxisKeepsItsFrameOnTheOther)
{
    auto strip = root->add<UIView>(CGRectMake(30, 40, 50, 60));
    zr::leading(strip, root->leadingAnchor(), 5);
    zr::trailing(strip, root->trailingAnchor(), -5);  // width from both edges
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
    EXPECT_EQ(badge->frame().origin.x, 20);
    left->setConstant(50);
    EXPECT_EQ(badge->frame().origin.x, 50);
    left->setActive(false);
    badge->setFrame(CGRectMake(7, 0, 10, 10));
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

}  // namespace

MARQEL_DEFINE_CLASS(LayoutCounter)
MARQEL_DEFINE_CLASS(WindowWatcher)
