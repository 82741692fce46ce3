// The collection view as a list screen uses it: rows from a data source,
// sized by the delegate, reused, scrolled, highlighted and selected by touch.

#include "UIKitTestSupport.h"

namespace {

class CountingCell : public UICollectionViewCell {
    MARQEL_OBJECT(CountingCell, UICollectionViewCell)
public:
    explicit CountingCell(CGRect frame)
        : UICollectionViewCell(frame)
    {
        label = contentView()->add<UILabel>(CGRectMake(0, 0, 100, 20));
    }
    void prepareForReuse() override
    {
        UICollectionViewCell::prepareForReuse();
        ++reuses;
        label->setText("");
    }
    std::shared_ptr<UILabel> label;
    int reuses = 0;
};

// A list of named rows, 60 high, inset 10 left and right, 10 apart.
class Rows : public UICollectionViewDataSource, public UICollectionViewDelegateFlowLayout {
public:
    std::vector<std::string> names;
    std::vector<std::string> events;
    std::shared_ptr<UIMenu> menu;
    int menusBuilt = 0;

    std::int64_t numberOfItemsInSection(UICollectionView&, std::int64_t) override
    {
        return static_cast<std::int64_t>(names.size());
    }
    std::shared_ptr<UICollectionViewCell> cellForItemAtIndexPath(UICollectionView& view, NSIndexPath path) override
    {
        auto cell = std::dynamic_pointer_cast<CountingCell>(view.dequeueReusableCellWithReuseIdentifier("Cell", path));
        cell->label->setText(names[static_cast<std::size_t>(path.item)]);
        return cell;
    }
    std::optional<CGSize> sizeForItemAtIndexPath(UICollectionView& view, UICollectionViewFlowLayout&, NSIndexPath) override
    {
        return CGSizeMake(view.bounds().size.width - 20, 60);
    }
    std::optional<CGFloat> minimumLineSpacingForSectionAtIndex(UICollectionView&, UICollectionViewFlowLayout&, std::int64_t) override
    {
        return 10;
    }
    std::optional<UIEdgeInsets> insetForSectionAtIndex(UICollectionView&, UICollectionViewFlowLayout&, std::int64_t) override
    {
        return UIEdgeInsetsMake(0, 10, 0, 10);
    }
    void didHighlightItemAtIndexPath(UICollectionView&, NSIndexPath path) override { events.push_back("highlight " + std::to_string(path.item)); }
    void didUnhighlightItemAtIndexPath(UICollectionView&, NSIndexPath path) override { events.push_back("unhighlight " + std::to_string(path.item)); }
    void didSelectItemAtIndexPath(UICollectionView&, NSIndexPath path) override { events.push_back("select " + std::to_string(path.item)); }
    std::shared_ptr<UIContextMenuConfiguration> contextMenuConfigurationForItemAtIndexPath(UICollectionView&, NSIndexPath, CGPoint) override
    {
        if (!menu)
            return nullptr;
        return UIContextMenuConfiguration::configurationWithIdentifier("", [this] {
            ++menusBuilt;
            return menu;
        });
    }
};

}  // namespace

MARQEL_DEFINE_CLASS(CountingCell)

namespace {

class CollectionViews : public UIKitTest {
protected:
    void SetUp() override
    {
        UIKitTest::SetUp();
        window = shownWindow();
        list = alloc<UICollectionView>(CGRectMake(0, 100, 390, 300), alloc<UICollectionViewFlowLayout>());
        list->registerClass<CountingCell>("Cell");
        window->addSubview(list);
        rows = std::make_shared<Rows>();
        rows->names = { "one", "two", "three" };
        list->setDataSource(rows);
        list->setDelegate(rows);
        list->layoutIfNeeded();
    }
    void down(CGPoint p) { UIApplication::sharedApplication()->sendTouch(UITouchPhaseBegan, p); }
    void move(CGPoint p) { UIApplication::sharedApplication()->sendTouch(UITouchPhaseMoved, p); }
    void up(CGPoint p) { UIApplication::sharedApplication()->sendTouch(UITouchPhaseEnded, p); }
    std::string text(std::int64_t item)
    {
        auto cell = std::dynamic_pointer_cast<CountingCell>(list->cellForItemAtIndexPath({ 0, item }));
        return cell ? cell->label->text() : "(none)";
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<UICollectionView> list;
    std::shared_ptr<Rows> rows;
};

TEST_F(CollectionViews, RowsAreSizedAndSpacedByTheDelegate)
{
    ASSERT_EQ(list->visibleCells().size(), 3u);
    ExpectRect(list->cellForItemAtIndexPath({ 0, 0 })->frame(), 10, 0, 370, 60);
    ExpectRect(list->cellForItemAtIndexPath({ 0, 1 })->frame(), 10, 70, 370, 60);
    ExpectRect(list->cellForItemAtIndexPath({ 0, 2 })->frame(), 10, 140, 370, 60);
    EXPECT_EQ(text(0), "one");
    EXPECT_EQ(text(2), "three");
    EXPECT_EQ(list->numberOfItemsInSection(0), 3);
    EXPECT_EQ(list->contentSize().height, 200);
}

TEST_F(CollectionViews, TheFlowLayoutsOwnValuesServeADelegateThatAnswersNothing)
{
    auto layout = alloc<UICollectionViewFlowLayout>();
    layout->setItemSize(CGSizeMake(100, 40));
    layout->setMinimumInteritemSpacing(5);
    layout->setMinimumLineSpacing(8);
    auto grid = alloc<UICollectionView>(CGRectMake(0, 0, 320, 400), layout);
    grid->registerClass<CountingCell>("Cell");
    window->addSubview(grid);
    grid->setDataSource(rows);
    rows->names = { "a", "b", "c", "d" };
    grid->layoutIfNeeded();
    ExpectRect(grid->cellForItemAtIndexPath({ 0, 1 })->frame(), 105, 0, 100, 40);
    ExpectRect(grid->cellForItemAtIndexPath({ 0, 2 })->frame(), 210, 0, 100, 40);
    ExpectRect(grid->cellForItemAtIndexPath({ 0, 3 })->frame(), 0, 48, 100, 40);
}

TEST_F(CollectionViews, ReloadingReusesCellsAfterPreparingThem)
{
    auto first = std::dynamic_pointer_cast<CountingCell>(list->cellForItemAtIndexPath({ 0, 0 }));
    rows->names = { "only" };
    list->reloadData();
    list->layoutIfNeeded();
    ASSERT_EQ(list->visibleCells().size(), 1u);
    EXPECT_EQ(text(0), "only");
    EXPECT_EQ(text(1), "(none)");
    int reuses = 0;
    for (const auto& cell : { list->cellForItemAtIndexPath({ 0, 0 }) })
        reuses += std::dynamic_pointer_cast<CountingCell>(cell)->reuses;
    EXPECT_EQ(reuses, 1);
    EXPECT_NE(first, nullptr);
}

TEST_F(CollectionViews, ADequeuedCellShowsNothingOfItsLastItem)
{
    auto cell = std::dynamic_pointer_cast<CountingCell>(list->cellForItemAtIndexPath({ 0, 2 }));
    rows->names = {};
    list->reloadData();
    list->layoutIfNeeded();
    EXPECT_TRUE(list->visibleCells().empty());
    auto again = std::dynamic_pointer_cast<CountingCell>(list->dequeueReusableCellWithReuseIdentifier("Cell", { 0, 0 }));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->label->text(), "");
    EXPECT_EQ(again->reuseIdentifier(), "Cell");
}

TEST_F(CollectionViews, AnUnregisteredIdentifierGivesNoCell)
{
    EXPECT_EQ(list->dequeueReusableCellWithReuseIdentifier("Other", { 0, 0 }), nullptr);
}

TEST_F(CollectionViews, TapHighlightsThenSelectsOnce)
{
    tap(CGPointMake(195, 100 + 70 + 30));
    EXPECT_EQ(rows->events, (std::vector<std::string> { "highlight 1", "unhighlight 1", "select 1" }));
    EXPECT_TRUE(list->cellForItemAtIndexPath({ 0, 1 })->isSelected());
    EXPECT_FALSE(list->cellForItemAtIndexPath({ 0, 1 })->isHighlighted());
}

TEST_F(CollectionViews, AFingerHeldOnARowHighlightsItAndMovingOffCancels)
{
    down(CGPointMake(195, 130));
    EXPECT_TRUE(list->cellForItemAtIndexPath({ 0, 0 })->isHighlighted());
    move(CGPointMake(195, 165));  // into the gap between rows, not far enough to scroll
    EXPECT_FALSE(list->cellForItemAtIndexPath({ 0, 0 })->isHighlighted());
    up(CGPointMake(195, 130));
    EXPECT_EQ(rows->events, (std::vector<std::string> { "highlight 0", "unhighlight 0" }));
}

TEST_F(CollectionViews, ATouchBetweenRowsSelectsNothing)
{
    tap(CGPointMake(195, 100 + 65));
    tap(CGPointMake(5, 130));
    EXPECT_TRUE(rows->events.empty());
}

TEST_F(CollectionViews, ATallListScrollsAndCancelsTheHighlight)
{
    rows->names.clear();
    for (int i = 0; i < 10; ++i)
        rows->names.push_back("row " + std::to_string(i));
    list->reloadData();
    list->layoutIfNeeded();
    EXPECT_EQ(list->contentSize().height, 690);
    EXPECT_EQ(list->cellForItemAtIndexPath({ 0, 9 }), nullptr);
    down(CGPointMake(195, 380));
    move(CGPointMake(195, 300));
    move(CGPointMake(195, 100));
    up(CGPointMake(195, 100));
    EXPECT_EQ(list->contentOffset().y, 280);
    list->layoutIfNeeded();
    EXPECT_EQ(text(8), "row 8");
    EXPECT_EQ(text(3), "(none)");
    EXPECT_EQ(rows->events, (std::vector<std::string> { "highlight 4", "unhighlight 4" }));
    // It stops at the end of the content.
    list->setContentOffset(CGPointMake(0, 10000));
    EXPECT_EQ(list->contentOffset().y, 390);
    tap(CGPointMake(195, 100 + 300 - 30));
    EXPECT_EQ(rows->events.back(), "select 9");
}

// A list is a scroll view: the offset it keeps, clamps and shows is the
// scroll view's own, whichever way it is set.
TEST_F(CollectionViews, AListScrollsExactlyAsAScrollViewOfItsContent)
{
    EXPECT_EQ(class_getSuperclass(UICollectionView::classObject()), UIScrollView::classObject());
    rows->names.clear();
    for (int i = 0; i < 10; ++i)
        rows->names.push_back("row " + std::to_string(i));
    list->reloadData();
    list->layoutIfNeeded();
    auto plain = alloc<UIScrollView>(list->frame());  // off screen: the list takes the touches
    plain->setContentSize(list->contentSize());
    for (CGPoint offset : { CGPointMake(0, -40), CGPointMake(0, 120.5), CGPointMake(0, 10000), CGPointMake(25, 50),
             CGPointMake(NAN, INFINITY), CGPointMake(-3, 389.5) }) {
        list->setContentOffset(offset);
        plain->setContentOffset(offset);
        EXPECT_EQ(list->contentOffset(), plain->contentOffset()) << offset.x << ", " << offset.y;
        EXPECT_EQ(list->bounds().origin, list->contentOffset());
    }
    // Through the runtime, as a hook or a private caller would.
    msgSend<void>(list, "setContentOffset:", CGPointMake(0, 280));
    EXPECT_EQ(msgSend<CGPoint>(list, "contentOffset").y, 280);
    // What the user sees follows: the fifth row is at the list's top edge.
    list->layoutIfNeeded();
    ASSERT_NE(list->cellForItemAtIndexPath({ 0, 4 }), nullptr);
    EXPECT_EQ(list->cellForItemAtIndexPath({ 0, 4 })->convertPointToView(CGPointZero, window.get()).y, 100);
    down(CGPointMake(195, 130));
    up(CGPointMake(195, 130));
    ASSERT_FALSE(rows->events.empty());
    EXPECT_EQ(rows->events.back(), "select 4");
    // Content that shrinks under the offset pulls it back, as for any
    // scroll view whose content size drops.
    rows->names.resize(5);
    list->reloadData();
    list->layoutIfNeeded();
    plain->setContentSize(list->contentSize());
    EXPECT_EQ(list->contentOffset(), plain->contentOffset());
    EXPECT_EQ(list->contentOffset().y, 40);
    EXPECT_EQ(text(4), "row 4");
}

TEST_F(CollectionViews, AShortListDoesNotScroll)
{
    down(CGPointMake(195, 130));
    move(CGPointMake(195, 380));
    up(CGPointMake(195, 380));
    EXPECT_EQ(list->contentOffset().y, 0);
}

TEST_F(CollectionViews, TheDataSourceAndDelegateAreNotOwned)
{
    std::weak_ptr<Rows> weak = rows;
    rows.reset();
    EXPECT_TRUE(weak.expired());
    list->reloadData();
    list->layoutIfNeeded();
    EXPECT_TRUE(list->visibleCells().empty());
    tap(CGPointMake(195, 130));
}

TEST_F(CollectionViews, ALongPressOpensTheMenuWhichRunsTheChosenAction)
{
    std::vector<std::string> chosen;
    auto keep = UIAction::actionWithTitle("Keep", UIImage::systemImageNamed("square.grid.2x2.fill"), "",
        [&](auto action) { chosen.push_back(action->title()); });
    auto remove = UIAction::actionWithTitle("Remove", UIImage::systemImageNamed("trash.fill"), "",
        [&](auto action) { chosen.push_back(action->title()); });
    remove->setAttributes(UIMenuElementAttributesDestructive);
    rows->menu = UIMenu::menuWithTitle("Row", { keep, remove });

    down(CGPointMake(195, 130));
    RunLoop::main().runFor(0.4);
    EXPECT_EQ(list->contextMenuView(), nullptr);
    RunLoop::main().runFor(0.1);
    auto menu = list->contextMenuView();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->superview(), window);
    EXPECT_FALSE(list->cellForItemAtIndexPath({ 0, 0 })->isHighlighted());
    up(CGPointMake(195, 130));
    // The lift after a long press selects nothing.
    EXPECT_EQ(rows->events, (std::vector<std::string> { "highlight 0", "unhighlight 0" }));
    EXPECT_EQ(rows->menusBuilt, 1);
    ASSERT_EQ(menu->actionRows().size(), 2u);
    // Under the pressed row.
    EXPECT_GE(menu->card()->frame().origin.y, 100 + 60);

    tap(screenCentre(menu->actionRows()[1]));
    EXPECT_EQ(chosen, (std::vector<std::string> { "Remove" }));
    EXPECT_EQ(list->contextMenuView(), nullptr);
    EXPECT_EQ(menu->superview(), nullptr);

    // Built again on each opening.
    EXPECT_TRUE(list->presentContextMenuForItemAtIndexPath({ 0, 2 }, CGPointZero));
    EXPECT_EQ(rows->menusBuilt, 2);
    EXPECT_TRUE(list->contextMenuView()->chooseActionWithTitle("Keep"));
    EXPECT_EQ(chosen.back(), "Keep");
    EXPECT_FALSE(menu->chooseActionWithTitle("Keep"));
}

TEST_F(CollectionViews, ATouchOutsideTheMenuClosesItWithoutAChoice)
{
    int runs = 0;
    rows->menu = UIMenu::menuWithTitle("Row", { UIAction::actionWithTitle("Go", nullptr, "", [&](auto) { ++runs; }) });
    ASSERT_TRUE(list->presentContextMenuForItemAtIndexPath({ 0, 0 }, CGPointZero));
    tap(CGPointMake(195, 800));
    EXPECT_EQ(list->contextMenuView(), nullptr);
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(rows->events.empty());
}

TEST_F(CollectionViews, NoMenuNoLongPressAction)
{
    down(CGPointMake(195, 130));
    RunLoop::main().runFor(1);
    up(CGPointMake(195, 130));
    EXPECT_EQ(list->contextMenuView(), nullptr);
    EXPECT_FALSE(list->presentContextMenuForItemAtIndexPath({ 0, 0 }, CGPointZero));
}

TEST(Menus, DestructiveAndDisabledActionsShowAndBehaveAsMarked)
{
    TestDevice device;
    int runs = 0;
    auto off = UIAction::actionWithTitle("Off", nullptr, "", [&](auto) { ++runs; });
    off->setAttributes(UIMenuElementAttributesDisabled);
    auto gone = UIAction::actionWithTitle("Gone", nullptr, "", [&](auto) { ++runs; });
    gone->setAttributes(UIMenuElementAttributesHidden);
    auto bin = UIAction::actionWithTitle("Bin", UIImage::systemImageNamed("trash.fill"), "", [&](auto) { ++runs; });
    bin->setAttributes(UIMenuElementAttributesDestructive);
    EXPECT_TRUE(bin->isDestructive());
    auto view = alloc<UIContextMenuView>(UIMenu::menuWithTitle("Things", { off, gone, bin }), CGRectMake(0, 0, 390, 844),
        CGRectMake(10, 100, 370, 60));
    ASSERT_EQ(view->actionRows().size(), 2u);
    auto window = alloc<UIWindow>();
    window->makeKeyAndVisible();
    view->showInWindow(window);
    EXPECT_FALSE(view->chooseActionWithTitle("Off"));
    EXPECT_FALSE(view->chooseActionWithTitle("Gone"));
    off->perform();
    EXPECT_EQ(runs, 0);
    std::shared_ptr<UILabel> binTitle;
    for (const auto& sub : view->actionRows()[1]->subviews())
        if (auto label = objc_cast<UILabel>(sub))
            binTitle = label;
    ASSERT_NE(binTitle, nullptr);
    EXPECT_TRUE(binTitle->textColor()->isEqual(UIColor::systemRedColor()));
    EXPECT_TRUE(view->chooseActionWithTitle("Bin"));
    EXPECT_EQ(runs, 1);
}

}  // namespace
