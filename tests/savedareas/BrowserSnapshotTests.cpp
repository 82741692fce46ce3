// The saved-area browser as the user sees it, compared with reference
// pictures (MARQEL_UPDATE_REFERENCES=1 rewrites them).

#include "tests/savedareas/OverlayFixture.h"

#include "common/SavedAreaStore.h"
#include "platform/render/Compositor.h"
#include "tests/render/PictureAuditCheck.h"
#include "tests/render/ReferenceImage.h"
#include "tests/render/ScreenInk.h"
#include "tweak/editor/MarqelToolButton.h"
#include "tweak/savedareas/MarqelSavedAreaViewController.h"
#include "tweak/savedareas/SavedAreaCell.h"

namespace {

class BrowserSnapshot : public OverlayFixture {
protected:
    void TearDown() override { UITraitCollection::setSystemUserInterfaceStyle(UIUserInterfaceStyleLight); }
    void save(const std::string& name, CGRect frame)
    {
        auto contents = SavedAreaStore::load();
        ASSERT_TRUE(SavedAreaStore::add(contents, name, frame).ok());
        RunLoop::main().runFor(0.01);
    }
    void open()
    {
        tapCentre(editor->favButton());
        RunLoop::main().runFor(UIViewController::transitionDuration);
        render::Compositor::shared().invalidate();
    }
    void dark()
    {
        UITraitCollection::setSystemUserInterfaceStyle(UIUserInterfaceStyleDark);
        RunLoop::main().drain();
        render::Compositor::shared().invalidate();
    }
    const render::Surface& screen() { return render::Compositor::shared().renderSurface(); }
    std::shared_ptr<MarqelSavedAreaViewController> browser()
    {
        auto navigation = objc_cast<UINavigationController>(editor->presentedViewController());
        return navigation ? objc_cast<MarqelSavedAreaViewController>(navigation->topViewController()) : nullptr;
    }
    static CGRect onScreen(const std::shared_ptr<UIView>& view) { return view->convertRectToScreen(view->bounds()); }
};

// The page and the cards are backgrounds that text in the label colours
// reads on: the empty list's message stands out from the pixels around it
// (the page used to be the accent blue, with the message black on it), and
// each card stands apart from the page.
TEST_F(BrowserSnapshot, TheMessageAndTheCardsReadOnThePageInLightAndDark)
{
    open();
    auto list = browser();
    ASSERT_TRUE(list);
    for (bool isDark : { false, true }) {
        SCOPED_TRACE(isDark ? "dark" : "light");
        if (isDark)
            dark();
        CGRect message = onScreen(list->messageLabel());
        ink::Pixel page = ink::at(screen(), 8, CGRectGetMidY(message));
        ink::Pixel text = ink::strongest(screen(), message, page);
        EXPECT_GE(ink::contrast(text, page), 7.0) << "the message against the page";
        ink::Box drawn = ink::bounds(screen(), message, page);
        EXPECT_TRUE(drawn.found && drawn.width() > 150) << "the message is drawn";
    }
    UITraitCollection::setSystemUserInterfaceStyle(UIUserInterfaceStyleLight);
    RunLoop::main().drain();
    list->dismissVC();
    RunLoop::main().runFor(UIViewController::transitionDuration);

    save("Home", CGRectMake(12.4, 99.6, 250, 250));
    open();
    list = browser();
    ASSERT_TRUE(list);
    for (bool isDark : { false, true }) {
        SCOPED_TRACE(isDark ? "dark" : "light");
        if (isDark)
            dark();
        auto cell = list->collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(0, 0));
        ASSERT_TRUE(cell);
        CGRect card = onScreen(cell);
        ink::Pixel page = ink::at(screen(), CGRectGetMidX(card), CGRectGetMaxY(card) + 5);
        ink::Pixel inside = ink::at(screen(), CGRectGetMaxX(card) - 20, CGRectGetMidY(card));
        EXPECT_GT(ink::distance(page, inside), 20) << "the card against the page";
        auto name = objc_cast<SavedAreaCell>(cell)->nameLabel();
        EXPECT_GE(ink::contrast(ink::strongest(screen(), onScreen(name), inside), inside), 7.0) << "the name on its card";
    }
}

// A row's menu stands out from the cards behind it in dark appearance too,
// by its own surface and a visible edge, and the row it was opened on
// is back at full strength once the press has faded.
TEST_F(BrowserSnapshot, TheMenuStandsOutAndThePressedRowRecovers)
{
    save("Home", CGRectMake(12.4, 99.6, 250, 250));
    save("Work", CGRectMake(50, 137, 250, 250));
    save("Sea", CGRectMake(90, 437, 250, 250));
    open();
    auto list = browser();
    ASSERT_TRUE(list);
    dark();
    auto collection = list->collectionView();
    auto pressed = collection->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(0, 0));
    auto other = collection->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(2, 0));
    ASSERT_TRUE(pressed && other);
    CGPoint point = centreOf(pressed);
    auto app = UIApplication::sharedApplication();
    app->sendTouch(UITouchPhaseBegan, point);
    RunLoop::main().runFor(UICollectionView::longPressDuration + 0.01);
    app->sendTouch(UITouchPhaseEnded, point);
    auto menu = collection->contextMenuView();
    ASSERT_TRUE(menu);
    RunLoop::main().runFor(0.7);
    render::Compositor::shared().invalidate();

    // The card of the row, dimmed like the rest, is as strong as a row
    // that was never pressed.
    CGRect pressedCard = onScreen(pressed), otherCard = onScreen(other);
    EXPECT_LE(ink::distance(ink::at(screen(), CGRectGetMaxX(pressedCard) - 20, CGRectGetMinY(pressedCard) + 10),
                  ink::at(screen(), CGRectGetMaxX(otherCard) - 20, CGRectGetMinY(otherCard) + 10)),
        6);

    // The menu's surface is not the cards' and its edge is drawn: the
    // pixel on the edge differs from both the menu inside and the dimmed
    // page outside.
    CGRect card = onScreen(menu->card());
    ink::Pixel inside = ink::at(screen(), CGRectGetMinX(card) + 6, CGRectGetMidY(card) + 2);
    ink::Pixel outside = ink::at(screen(), CGRectGetMinX(card) - 3, CGRectGetMidY(card) + 2);
    ink::Pixel behind = ink::at(screen(), CGRectGetMaxX(otherCard) - 20, CGRectGetMinY(otherCard) + 10);
    EXPECT_GT(ink::distance(inside, behind), 20) << "the menu against the cards behind it";
    double scale = UIScreen::mainScreen()->scale();
    ink::Pixel edge = ink::at(screen(), CGRectGetMinX(card) + 0.5 / scale, CGRectGetMidY(card) + 2);
    EXPECT_GT(ink::distance(edge, inside), 20) << "the edge against the menu";
    EXPECT_GT(ink::distance(edge, outside), 20) << "the edge against what lies outside";
}

TEST_F(BrowserSnapshot, EmptyInLightAndDark)
{
    open();
    EXPECT_TRUE(reference::matches(screen(), "saved-areas-empty", 3, 0.002));
    EXPECT_TRUE(audit::readsWell("saved-areas-empty"));
    dark();
    EXPECT_TRUE(reference::matches(screen(), "saved-areas-empty-dark", 3, 0.002));
    EXPECT_TRUE(audit::readsWell("saved-areas-empty-dark"));
}

TEST_F(BrowserSnapshot, RowsInLightAndDark)
{
    save("Home", CGRectMake(12.4, 99.6, 250, 250));
    save("_spot", CGRectMake(0, 0, 390, 844));
    save("7 seas", CGRectMake(70, 297, 250, 250));
    open();
    // The list has no fixed order; the picture needs one.
    ASSERT_EQ(MarqelSavedAreaViewController::savedAreas().size(), 3u);
    EXPECT_TRUE(reference::matches(screen(), "saved-areas", 3, 0.002));
    EXPECT_TRUE(audit::readsWell("saved-areas"));
    dark();
    EXPECT_TRUE(reference::matches(screen(), "saved-areas-dark", 3, 0.002));
    EXPECT_TRUE(audit::readsWell("saved-areas-dark"));
}

}  // namespace
