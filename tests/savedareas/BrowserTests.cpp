// The saved-area browser as the user meets it: opened from the editor's
// saved-areas button, listing the file's records, restoring, deleting and
// making one the default.

#include "tests/savedareas/OverlayFixture.h"

#include "common/MarqelPreferences.h"
#include "common/SavedAreaStore.h"
#include "kit/UIColor+ZRColours.h"
#include "platform/foundation/Foundation.h"
#include "platform/uikit/HapticsLog.h"
#include "platform/uikit/UIKit.h"
#include "tests/support/TestDevice.h"
#include "tweak/core/MarqelWindow.h"
#include "tweak/editor/MarqelToolButton.h"
#include "tweak/editor/MarqelViewController.h"
#include "tweak/editor/ResizableBox.h"
#include "tweak/savedareas/MarqelSavedAreaViewController.h"
#include "tweak/savedareas/SavedAreaCell.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using SavedAreaFormat::SavedArea;
namespace P = MarqelPreferences;

class Browser : public OverlayFixture {
protected:
    void save(const std::string& name, CGRect frame)
    {
        auto contents = SavedAreaStore::load();
        ASSERT_TRUE(SavedAreaStore::add(contents, name, frame).ok());
        // Each record its own millisecond.
        RunLoop::main().runFor(0.01);
    }
    std::shared_ptr<MarqelSavedAreaViewController> open()
    {
        tapAt(centreOf(editor->favButton()));
        RunLoop::main().runFor(UIViewController::transitionDuration);
        navigation = std::dynamic_pointer_cast<UINavigationController>(editor->presentedViewController());
        if (!navigation)
            return nullptr;
        window->layoutIfNeeded();
        return std::dynamic_pointer_cast<MarqelSavedAreaViewController>(navigation->topViewController());
    }
    std::shared_ptr<SavedAreaCell> row(const std::shared_ptr<MarqelSavedAreaViewController>& browser, std::int64_t i)
    {
        return std::dynamic_pointer_cast<SavedAreaCell>(browser->collectionView()->cellForItemAtIndexPath({ 0, i }));
    }
    std::int64_t indexNamed(const std::string& name) const
    {
        const auto& areas = MarqelSavedAreaViewController::savedAreas();
        for (std::size_t i = 0; i < areas.size(); ++i)
            if (areas[i].name == name)
                return static_cast<std::int64_t>(i);
        return -1;
    }
    std::shared_ptr<UIContextMenuView> longPress(const std::shared_ptr<SavedAreaCell>& cell)
    {
        auto app = UIApplication::sharedApplication();
        CGPoint point = centreOf(cell);
        app->sendTouch(UITouchPhaseBegan, point);
        RunLoop::main().runFor(0.5);
        app->sendTouch(UITouchPhaseEnded, point);
        return cell->window() ? objc_cast<UIContextMenuView>(cell->window()->subviews().back()) : nullptr;
    }
    std::string bytes() const
    {
        std::ifstream in(device.host(SavedAreaStore::devicePath), std::ios::binary);
        std::stringstream out;
        out << in.rdbuf();
        return out.str();
    }

    std::shared_ptr<UINavigationController> navigation;
};

TEST_F(Browser, TheSavedAreasButtonTapsOnceAndOpensTheListFullScreen)
{
    auto browser = open();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(HapticsLog::shared().count(), 1u);
    EXPECT_EQ(navigation->modalPresentationStyle(), UIModalPresentationFullScreen);
    EXPECT_EQ(navigation->view()->frame(), window->bounds());
    EXPECT_TRUE(navigation->prefersLargeTitles());
    EXPECT_EQ(browser->title(), "Saved Areas");
    EXPECT_EQ(navigation->largeTitleLabel()->text(), "Saved Areas");
    auto cancel = browser->navigationItem()->leftBarButtonItems();
    ASSERT_EQ(cancel.size(), 1u);
    EXPECT_EQ(cancel.front()->title(), "Cancel");
    EXPECT_EQ(cancel.front()->style(), UIBarButtonItemStylePlain);
    EXPECT_TRUE(browser->view()->backgroundColor()->isEqual(zr::primaryColour()));
    EXPECT_EQ(browser->collectionView()->frame(), browser->view()->bounds());
    EXPECT_EQ(browser->collectionView()->autoresizingMask(), 18u);
    EXPECT_FALSE(browser->collectionView()->showsVerticalScrollIndicator());
    EXPECT_FALSE(browser->collectionView()->showsHorizontalScrollIndicator());
}

TEST_F(Browser, NoSavedAreasShowsTheMessageInTheMiddle)
{
    auto browser = open();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->collectionView()->numberOfItemsInSection(0), 0);
    auto message = browser->messageLabel();
    EXPECT_EQ(message->text(), "You don't have any saved area...");
    EXPECT_EQ(message->alpha(), 1);
    EXPECT_EQ(message->numberOfLines(), 2);
    EXPECT_EQ(message->textAlignment(), NSTextAlignmentCenter);
    EXPECT_EQ(message->superview(), browser->view());
    EXPECT_EQ(browser->view()->subviews().back(), message) << "above the list";
    CGRect frame = message->frame();
    EXPECT_NEAR(CGRectGetMidY(frame), CGRectGetMidY(browser->view()->bounds()), 1e-9);
    EXPECT_NEAR(frame.origin.x, 20, 1e-9);
    EXPECT_NEAR(CGRectGetMaxX(frame), 390 - 20, 1e-9);
}

TEST_F(Browser, EachRowShowsTheNameTheRoundedRectangleAndTheLetter)
{
    save("Home", CGRectMake(12.4, 99.6, 250, 250));
    save("work", CGRectMake(0, 0, 100, 100));
    save("Work", CGRectMake(1, 2, 3, 4));
    save("#tag", CGRectMake(5, 6, 7, 8));
    save("7 up", CGRectMake(5, 6, 7, 8));
    auto browser = open();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->messageLabel()->alpha(), 0);
    ASSERT_EQ(browser->collectionView()->numberOfItemsInSection(0), 5);
    auto home = row(browser, indexNamed("Home"));
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(home->nameLabel()->text(), "Home");
    EXPECT_EQ(home->frameLabel()->text(), "X:12, Y:100, W:250, H:250");
    EXPECT_EQ(home->icon()->image()->symbolName(), "h.square.fill");
    EXPECT_EQ(row(browser, indexNamed("work"))->icon()->image()->symbolName(), "w.square.fill");
    EXPECT_EQ(row(browser, indexNamed("Work"))->icon()->image()->symbolName(), "w.square.fill");
    EXPECT_EQ(row(browser, indexNamed("7 up"))->icon()->image()->symbolName(), "7.square.fill");
    auto tag = row(browser, indexNamed("#tag"));
    EXPECT_EQ(tag->icon()->image(), nullptr);
    EXPECT_EQ(tag->nameLabel()->text(), "#tag");
    EXPECT_EQ(tag->frameLabel()->text(), "X:5, Y:6, W:7, H:8");
}

TEST_F(Browser, RowsAre370By60WithTenPointsAroundThem)
{
    save("a", CGRectMake(0, 0, 10, 10));
    save("b", CGRectMake(0, 0, 10, 10));
    auto browser = open();
    ASSERT_NE(browser, nullptr);
    ASSERT_EQ(browser->view()->bounds().size.width, 390);
    EXPECT_EQ(row(browser, 0)->frame(), CGRectMake(10, 0, 370, 60));
    EXPECT_EQ(row(browser, 1)->frame(), CGRectMake(10, 70, 370, 60));
}

TEST_F(Browser, TheCellsCardSquareIconAndLabelsSitWhereTheyShould)
{
    save("Home", CGRectMake(0, 0, 10, 10));
    auto browser = open();
    ASSERT_NE(browser, nullptr);
    auto cell = row(browser, 0);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->baseView()->superview().get(), cell.get()) << "on the cell, not its content view";
    EXPECT_EQ(cell->baseView()->frame(), CGRectMake(0, 0, 370, 60));
    EXPECT_EQ(cell->colourView()->frame(), CGRectMake(10, 7.5, 45, 45));
    EXPECT_EQ(cell->icon()->frame(), CGRectMake(5, 5, 35, 35));
    EXPECT_EQ(cell->icon()->contentMode(), UIViewContentModeScaleAspectFit);
    EXPECT_EQ(cell->nameLabel()->frame().origin.x, 65);
    EXPECT_EQ(cell->nameLabel()->frame().origin.y, 9.5);
    EXPECT_EQ(CGRectGetMaxX(cell->nameLabel()->frame()), 360);
    EXPECT_EQ(CGRectGetMaxY(cell->frameLabel()->frame()), 50.5);
    EXPECT_EQ(CGRectGetMaxX(cell->frameLabel()->frame()), 360);
    EXPECT_EQ(cell->layer()->cornerRadius(), 12);
    EXPECT_EQ(cell->baseView()->layer()->cornerCurve(), kCACornerCurveContinuous);
    EXPECT_TRUE(cell->baseView()->clipsToBounds());
    EXPECT_FALSE(cell->colourView()->clipsToBounds());
    EXPECT_TRUE(cell->colourView()->backgroundColor()->isEqual(UIColor::systemBlueColor()->colorWithAlphaComponent(0.4)));
    EXPECT_TRUE(cell->baseView()->backgroundColor()->isEqual(zr::secondaryColour()));
}

TEST_F(Browser, TappingARowRestoresItOnceThenCloses)
{
    save("Far", CGRectMake(-40, 700, 300, 200));
    auto browser = open();
    ASSERT_NE(browser, nullptr);
    tapAt(centreOf(row(browser, 0)));
    EXPECT_EQ(editor->marqelView()->frame(), CGRectMake(-40, 700, 300, 200)) << "told before the closing animation";
    EXPECT_TRUE(navigation->isBeingDismissed() || editor->presentedViewController() == nullptr);
    RunLoop::main().runFor(UIViewController::transitionDuration);
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    EXPECT_EQ(HapticsLog::shared().count(), 1u) << "restoring gives no tap";
}

TEST_F(Browser, CancelClosesWithoutRestoring)
{
    save("Far", CGRectMake(-40, 700, 300, 200));
    CGRect before = editor->marqelView()->frame();
    auto browser = open();
    ASSERT_NE(browser, nullptr);
    auto cancel = browser->navigationItem()->leftBarButtonItems().front()->barView();
    tapAt(centreOf(cancel));
    RunLoop::main().runFor(UIViewController::transitionDuration);
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    EXPECT_EQ(editor->marqelView()->frame(), before);
}

TEST_F(Browser, ARowWithNoDelegateStillCloses)
{
    save("a", CGRectMake(1, 2, 3, 4));
    auto browser = alloc<MarqelSavedAreaViewController>();
    auto holder = alloc<UINavigationController>(browser);
    editor->presentViewController(holder, false, nullptr);
    RunLoop::main().drain();
    window->layoutIfNeeded();
    tapAt(centreOf(row(browser, 0)));
    RunLoop::main().runFor(UIViewController::transitionDuration);
    EXPECT_EQ(editor->presentedViewController(), nullptr);
}

TEST_F(Browser, AHeldRowShrinksAndFadesThenComesBack)
{
    save("a", CGRectMake(1, 2, 3, 4));
    auto browser = open();
    ASSERT_NE(browser, nullptr);
    auto cell = row(browser, 0);
    auto app = UIApplication::sharedApplication();
    app->sendTouch(UITouchPhaseBegan, centreOf(cell));
    RunLoop::main().runFor(0.1);
    EXPECT_GT(cell->presentationAlpha(), 0.5);
    EXPECT_LT(cell->presentationAlpha(), 1);
    RunLoop::main().runFor(0.1);
    EXPECT_NEAR(cell->presentationAlpha(), 0.5, 1e-9);
    EXPECT_EQ(cell->presentationTransform(), CGAffineTransformMakeScale(0.97, 0.97));
    app->sendTouch(UITouchPhaseCancelled, centreOf(cell));
    RunLoop::main().runFor(0.3);
    EXPECT_LT(cell->presentationAlpha(), 1);
    RunLoop::main().runFor(0.3);
    EXPECT_NEAR(cell->presentationAlpha(), 1, 1e-9);
    EXPECT_EQ(cell->presentationTransform(), CGAffineTransformIdentity);
    EXPECT_TRUE(cell->backgroundColor()->isEqual(UIColor::clearColor()));
    EXPECT_TRUE(cell->contentView()->backgroundColor()->isEqual(UIColor::clearColor()));
    EXPECT_NE(editor->presentedViewController(), nullptr) << "a cancelled touch chooses nothing";
}

TEST_F(Browser, TheMenuOffersDefaultAndADestructiveDelete)
{
    save("a", CGRectMake(1, 2, 3, 4));
    auto browser = open();
    ASSERT_NE(browser, nullptr);
    auto menu = longPress(row(browser, 0));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->menu()->title(), "Area Action");
    const auto& actions = menu->menu()->children();
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_EQ(actions[0]->title(), "Set Area As Default");
    EXPECT_EQ(actions[0]->image()->symbolName(), "square.grid.2x2.fill");
    EXPECT_EQ(actions[0]->attributes(), 0u);
    EXPECT_EQ(actions[1]->title(), "Delete Area");
    EXPECT_EQ(actions[1]->image()->symbolName(), "trash.fill");
    EXPECT_EQ(actions[1]->attributes(), 2u);
    EXPECT_NE(editor->presentedViewController(), nullptr) << "a long press chooses no row";
}

TEST_F(Browser, SettingADefaultWritesWholePointsAndChangesNothingElse)
{
    save("a", CGRectMake(12.9, 30.2, 200.7, 99.99));
    std::string file = bytes();
    auto browser = open();
    ASSERT_NE(browser, nullptr);
    auto menu = longPress(row(browser, 0));
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(menu->chooseActionWithTitle("Set Area As Default"));
    EXPECT_EQ(P::read(P::defaultX), 12);
    EXPECT_EQ(P::read(P::defaultY), 30);
    EXPECT_EQ(P::read(P::defaultWidth), 200);
    EXPECT_EQ(P::read(P::defaultHeight), 99);
    EXPECT_EQ(bytes(), file);
    EXPECT_EQ(browser->collectionView()->numberOfItemsInSection(0), 1);
    EXPECT_EQ(menu->superview(), nullptr) << "choosing closes the menu";
}

TEST_F(Browser, DeletingTheLastAreaShowsTheMessageAtOnce)
{
    save("a", CGRectMake(1, 2, 3, 4));
    save("b", CGRectMake(5, 6, 7, 8));
    auto browser = open();
    ASSERT_NE(browser, nullptr);
    auto menu = longPress(row(browser, indexNamed("a")));
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(menu->chooseActionWithTitle("Delete Area"));
    auto left = SavedAreaStore::list(*SavedAreaStore::load().dictionary);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].name, "b");
    EXPECT_EQ(browser->messageLabel()->alpha(), 0);
    window->layoutIfNeeded();
    EXPECT_EQ(row(browser, 0)->nameLabel()->text(), "b");

    menu = longPress(row(browser, 0));
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(menu->chooseActionWithTitle("Delete Area"));
    EXPECT_TRUE(SavedAreaStore::list(*SavedAreaStore::load().dictionary).empty());
    EXPECT_EQ(browser->messageLabel()->alpha(), 1);
    window->layoutIfNeeded();
    EXPECT_EQ(browser->collectionView()->numberOfItemsInSection(0), 0);
    EXPECT_TRUE(browser->collectionView()->visibleCells().empty());
}

TEST_F(Browser, AMenuLeftOpenOverARowThatIsGoneDoesNothing)
{
    save("a", CGRectMake(1, 2, 3, 4));
    auto browser = open();
    ASSERT_NE(browser, nullptr);
    auto menu = longPress(row(browser, 0));
    ASSERT_NE(menu, nullptr);
    // Another path empties the file while the menu is open.
    auto before = P::read(P::defaultX);
    std::filesystem::remove(device.host(SavedAreaStore::devicePath));
    browser->refreshData();
    EXPECT_TRUE(menu->chooseActionWithTitle("Set Area As Default"));
    EXPECT_EQ(P::read(P::defaultX), before);
    EXPECT_TRUE(menu->superview() == nullptr);
    EXPECT_FALSE(std::filesystem::exists(device.host(SavedAreaStore::devicePath)));
}

TEST_F(Browser, AReusedCellShowsNothingUntilFilled)
{
    auto cell = alloc<SavedAreaCell>()->initWithFrame(CGRectMake(0, 0, 370, 60));
    cell->icon()->setImage(UIImage::systemImageNamed("h.square.fill"));
    cell->nameLabel()->setText("Home");
    cell->frameLabel()->setText("X:1, Y:2, W:3, H:4");
    cell->prepareForReuse();
    EXPECT_EQ(cell->icon()->image(), nullptr);
    EXPECT_EQ(cell->nameLabel()->text(), "");
    EXPECT_EQ(cell->frameLabel()->text(), "");
    cell->setHighlighted(true);
    EXPECT_TRUE(cell->isHighlighted());
    EXPECT_TRUE(cell->backgroundColor()->isEqual(UIColor::clearColor()));
    EXPECT_TRUE(cell->contentView()->backgroundColor()->isEqual(UIColor::clearColor()));
    msgSend<void>(cell, "setHighlighted:", false);
    EXPECT_FALSE(cell->isHighlighted());
}

TEST_F(Browser, TheBrowserNeverKeepsTheEditorAlive)
{
    auto browser = alloc<MarqelSavedAreaViewController>();
    {
        auto other = alloc<MarqelViewController>();
        msgSend<void>(browser, "setDelegate:", id(other));
        EXPECT_EQ(browser->delegate(), other);
    }
    EXPECT_EQ(browser->delegate(), nullptr);
    std::weak_ptr<MarqelSavedAreaViewController> weak = browser;
    auto configuration = browser->contextMenuConfigurationForItemAtIndexPath(*alloc<UICollectionView>(), { 0, 0 }, CGPointZero);
    browser.reset();
    EXPECT_TRUE(weak.expired()) << "the menu's actions do not keep the browser";
    ASSERT_NE(configuration->makeMenu(), nullptr);
}

TEST_F(Browser, AClosedBrowserIsReleased)
{
    auto browser = open();
    ASSERT_NE(browser, nullptr);
    std::weak_ptr<MarqelSavedAreaViewController> weak = browser;
    browser.reset();
    msgSend<void>(navigation->topViewController(), "dismissVC");
    navigation.reset();
    RunLoop::main().runFor(UIViewController::transitionDuration);
    EXPECT_TRUE(weak.expired());
}

}  // namespace
