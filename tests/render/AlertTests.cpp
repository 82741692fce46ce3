// Alerts as a person reads them: every action's title drawn whole, a row
// each when two titles do not fit side by side, hairlines between the
// actions and a text field drawn as a box, in light and dark appearance;
// the field being typed in shows its caret where the next letter goes.

#include "tests/render/RenderTestSupport.h"
#include "tests/render/ScreenInk.h"

namespace {

class AlertPicture : public RenderTest {
protected:
    void TearDown() override
    {
        UITraitCollection::setSystemUserInterfaceStyle(UIUserInterfaceStyleLight);
        RenderTest::TearDown();
    }
    std::shared_ptr<UIAlertController> show(const std::string& first, const std::string& second, bool field)
    {
        auto shown = window();
        root = alloc<UIViewController>();
        shown->setRootViewController(root);
        auto alert = UIAlertController::alertControllerWithTitle("Marqel", "Enter the name", UIAlertControllerStyleAlert);
        if (field)
            alert->addTextFieldWithConfigurationHandler([](std::shared_ptr<UITextField> f) { f->setPlaceholder("Name"); });
        alert->addAction(UIAlertAction::actionWithTitle(first, UIAlertActionStyleDefault, nullptr));
        alert->addAction(UIAlertAction::actionWithTitle(second, UIAlertActionStyleCancel, nullptr));
        root->presentViewController(alert, false, nullptr);
        settle();
        return alert;
    }
    void settle()
    {
        RunLoop::main().drain();
        UIApplication::sharedApplication()->layoutWindows();
        render::Compositor::shared().invalidate();
    }
    static CGRect onScreen(const std::shared_ptr<UIView>& view) { return view->convertRectToScreen(view->bounds()); }

    // Each action's title is drawn inside its own button, as wide as the
    // text measures (an ellipsis would draw less), clear of the card's
    // sides; returns the buttons' rectangles.
    void expectTitlesWhole(const std::shared_ptr<UIAlertController>& alert)
    {
        CGRect card = onScreen(alert->buttonForAction(alert->actions()[0])->superview());
        ink::Pixel background = ink::at(screen(), CGRectGetMinX(card) + 4, CGRectGetMinY(card) + 30);
        for (const auto& action : alert->actions()) {
            auto button = alert->buttonForAction(action);
            CGRect rect = onScreen(button);
            // The title's middle band, a point inside the card's sides, clear
            // of its rounded corners.
            double left = std::max(CGRectGetMinX(rect), CGRectGetMinX(card) + 1);
            double right = std::min(CGRectGetMaxX(rect), CGRectGetMaxX(card) - 1);
            CGRect band = CGRectMake(left, CGRectGetMidY(rect) - 8, right - left, 14);
            ink::Box drawn = ink::bounds(screen(), band, background);
            ASSERT_TRUE(drawn.found) << action->title();
            double measured = button->titleLabel()->sizeThatFits({ 0, 0 }).width;
            EXPECT_GE(drawn.width(), measured - 3) << action->title() << " is cut";
            EXPECT_GE(drawn.minX, CGRectGetMinX(card) + 6) << action->title() << " touches the card's side";
            EXPECT_LE(drawn.maxX, CGRectGetMaxX(card) - 6) << action->title() << " touches the card's side";
            EXPECT_GE(drawn.minX, CGRectGetMinX(rect)) << action->title() << " spills out of its button";
            EXPECT_LE(drawn.maxX, CGRectGetMaxX(rect)) << action->title() << " spills out of its button";
        }
    }
    // A line across the card, drawn just above `y`.
    bool hairlineAbove(CGRect card, double y, const ink::Pixel& background)
    {
        return ink::bounds(screen(), CGRectMake(CGRectGetMinX(card) + 20, y - 0.5, 20, 1), background, 20).found;
    }

    std::shared_ptr<UIViewController> root;
};

TEST_F(AlertPicture, ALongTitleStacksTheActionsWithCancelLastAndHairlinesBetween)
{
    for (auto style : { UIUserInterfaceStyleLight, UIUserInterfaceStyleDark }) {
        SCOPED_TRACE(style == UIUserInterfaceStyleDark ? "dark" : "light");
        UITraitCollection::setSystemUserInterfaceStyle(style);
        auto alert = show("Save Custom Area", "Cancel", true);
        auto save = alert->buttonForAction(alert->actions()[0]);
        auto cancel = alert->buttonForAction(alert->actions()[1]);
        CGRect saveRect = onScreen(save), cancelRect = onScreen(cancel);
        EXPECT_EQ(saveRect.size.width, UIAlertController::cardWidth) << "a row each";
        EXPECT_GE(CGRectGetMinY(cancelRect), CGRectGetMaxY(saveRect)) << "cancel goes last";
        expectTitlesWhole(alert);

        CGRect card = onScreen(save->superview());
        ink::Pixel background = ink::at(screen(), CGRectGetMinX(card) + 4, CGRectGetMinY(card) + 30);
        EXPECT_TRUE(hairlineAbove(card, CGRectGetMinY(saveRect), background)) << "under the field";
        EXPECT_TRUE(hairlineAbove(card, CGRectGetMinY(cancelRect), background)) << "between the actions";
        EXPECT_FALSE(hairlineAbove(card, CGRectGetMidY(saveRect) + 12, background)) << "nothing within a row";

        // The field is a box: an edge around it that the card has not,
        // and a fill of its own.
        CGRect field = onScreen(alert->textFields()[0]);
        double scale = UIScreen::mainScreen()->scale();
        double edgeX = CGRectGetMinX(field) - 6 + 0.5 / scale;
        EXPECT_GT(ink::distance(ink::at(screen(), edgeX, CGRectGetMidY(field)), background), 20) << "the box's edge";
        EXPECT_GT(ink::distance(ink::at(screen(), CGRectGetMinX(field) - 3, CGRectGetMidY(field)), background), 20)
            << "the box's fill";
        EXPECT_LE(ink::distance(ink::at(screen(), CGRectGetMinX(field) - 9, CGRectGetMidY(field)), background), 3)
            << "the card beside the box";
        root->dismissViewControllerAnimated(false, nullptr);
        settle();
    }
}

// A megabyte of unbroken text as the message (a pasted colour, say): the
// card draws its start, cut with an ellipsis, and its button stays on it.
TEST_F(AlertPicture, AMegabyteMessageIsDrawnCutAndTheButtonStaysOnTheCard)
{
    auto shown = window();
    root = alloc<UIViewController>();
    shown->setRootViewController(root);
    auto alert = UIAlertController::alertControllerWithTitle("Not a Colour", std::string(1000000, 'F'), UIAlertControllerStyleAlert);
    alert->addAction(UIAlertAction::actionWithTitle("OK", UIAlertActionStyleDefault, nullptr));
    root->presentViewController(alert, false, nullptr);
    settle();
    auto button = alert->buttonForAction(alert->actions()[0]);
    CGRect card = onScreen(button->superview());
    CGRect rect = onScreen(button);
    EXPECT_LE(CGRectGetMaxY(rect), CGRectGetMaxY(card));
    EXPECT_LE(CGRectGetMaxY(card), CGRectGetMaxY(shown->bounds()) + 1);
    expectTitlesWhole(alert);
}

TEST_F(AlertPicture, TwoShortTitlesShareARowSplitByAHairline)
{
    auto alert = show("Save", "Cancel", false);
    CGRect save = onScreen(alert->buttonForAction(alert->actions()[0]));
    CGRect cancel = onScreen(alert->buttonForAction(alert->actions()[1]));
    EXPECT_EQ(CGRectGetMinY(save), CGRectGetMinY(cancel));
    EXPECT_EQ(save.size.width, UIAlertController::cardWidth / 2);
    expectTitlesWhole(alert);
    CGRect card = onScreen(alert->buttonForAction(alert->actions()[0])->superview());
    ink::Pixel background = ink::at(screen(), CGRectGetMinX(card) + 4, CGRectGetMinY(card) + 30);
    EXPECT_TRUE(hairlineAbove(card, CGRectGetMinY(save), background)) << "above the actions";
    EXPECT_TRUE(ink::bounds(screen(), CGRectMake(CGRectGetMaxX(save) - 0.5, CGRectGetMinY(save) + 10, 1, 20), background, 20).found)
        << "between the two";
}

// Pixels of the caret's blue (the tint colour) in `rect`.
ink::Box caretInk(const render::Surface& picture, CGRect rect)
{
    double scale = UIScreen::mainScreen()->scale();
    ink::Box box;
    ink::forEachPixel(picture, rect, [&](int x, int y, const ink::Pixel& p) {
        if (!(p[2] > 200 && p[0] < 90 && p[1] > 70 && p[1] < 170))
            return;
        double px = x / scale, py = y / scale, next = 1 / scale;
        if (!box.found)
            box = { true, px, py, px + next, py + next };
        box.minX = std::min(box.minX, px);
        box.minY = std::min(box.minY, py);
        box.maxX = std::max(box.maxX, px + next);
        box.maxY = std::max(box.maxY, py + next);
    });
    return box;
}

TEST_F(AlertPicture, TheFieldBeingTypedInShowsItsCaretWhereTheNextLetterGoes)
{
    auto alert = show("Save", "Cancel", true);
    auto field = alert->textFields()[0];
    CGRect rect = onScreen(field);
    // Edited from the start, caret before the placeholder.
    ink::Box caret = caretInk(screen(), rect);
    ASSERT_TRUE(caret.found) << "no caret in the field the alert opened with";
    EXPECT_NEAR(caret.minX, CGRectGetMinX(rect), 1);
    EXPECT_NEAR(caret.width(), 2, 0.7);
    EXPECT_GT(caret.height(), 14);
    EXPECT_LT(caret.height(), rect.size.height);

    UIApplication::sharedApplication()->insertText("Desk");
    settle();
    ink::Pixel fill = ink::at(screen(), CGRectGetMaxX(rect) - 2, CGRectGetMidY(rect));
    caret = caretInk(screen(), rect);
    ASSERT_TRUE(caret.found);
    EXPECT_GE(caret.minX, CGRectGetMinX(rect) + 20) << "the caret moved on with the text";
    ink::Box letters = ink::bounds(screen(), CGRectMake(CGRectGetMinX(rect), CGRectGetMinY(rect), caret.minX - CGRectGetMinX(rect), rect.size.height), fill);
    ASSERT_TRUE(letters.found);
    EXPECT_NEAR(letters.maxX, caret.minX, 3) << "the caret stands right after the last letter";

    // A name longer than the field slides left; the caret stays in sight.
    UIApplication::sharedApplication()->insertText(" by the window on the second floor");
    settle();
    caret = caretInk(screen(), rect);
    ASSERT_TRUE(caret.found) << "the caret slid out of the field";
    EXPECT_LE(caret.maxX, CGRectGetMaxX(rect) + 0.5);
    EXPECT_GE(caret.minX, CGRectGetMaxX(rect) - 4);

    // Not edited: no caret.
    field->resignFirstResponder();
    settle();
    EXPECT_FALSE(caretInk(screen(), rect).found);
    root->dismissViewControllerAnimated(false, nullptr);
    settle();
}

}  // namespace
