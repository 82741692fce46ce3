// Controls' bookkeeping and text entry, where a slip would fire an action
// twice, keep firing a removed one, or garble what the user typed.

#include "UIKitTestSupport.h"

#include "platform/foundation/NSString.h"

#include <functional>

namespace {

class Tally : public Object {
    MARQEL_OBJECT(Tally, Object)
public:
    void hit() { ++hits; }
    void edited() { ++edits; }
    void setCount(std::int64_t count) { hits = static_cast<int>(count); }
    int answer() { return ++hits; }
    int hits = 0, edits = 0;
};

}  // namespace

MARQEL_DEFINE_CLASS(Tally, method<&Tally::hit>("hit"), method<&Tally::edited>("edited"), method<&Tally::setCount>("setCount:"),
    method<&Tally::answer>("answer"))

namespace {

class Controls : public UIKitTest { };

TEST_F(Controls, RegisteringTheSameActionTwiceFiresItOnce)
{
    auto tally = alloc<Tally>();
    auto button = alloc<UIControl>(CGRectMake(0, 0, 45, 45));
    button->addTarget(tally, "hit", UIControlEventTouchUpInside);
    button->addTarget(tally, "hit", UIControlEventTouchUpInside | UIControlEventTouchDown);
    button->sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(tally->hits, 1);
    EXPECT_EQ(button->actionsForTarget(tally, UIControlEventTouchDown).size(), 1u);
    EXPECT_EQ(button->allControlEvents(), UIControlEventTouchUpInside | UIControlEventTouchDown);
}

TEST_F(Controls, ARemovedActionStopsFiring)
{
    auto tally = alloc<Tally>();
    auto button = alloc<UIControl>(CGRectMake(0, 0, 45, 45));
    button->addTarget(tally, "hit", UIControlEventTouchUpInside | UIControlEventTouchDown);
    button->removeTarget(tally, sel_registerName("hit"), UIControlEventTouchDown);
    button->sendActionsForControlEvents(UIControlEventTouchDown);
    EXPECT_EQ(tally->hits, 0);
    button->sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(tally->hits, 1);
    button->removeTarget(nullptr, nullptr, UIControlEventAllEvents);
    button->sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(tally->hits, 1);
    EXPECT_EQ(button->allControlEvents(), 0u);
}

TEST_F(Controls, AnActionCanRemoveItselfWhileFiring)
{
    auto button = alloc<UIControl>(CGRectMake(0, 0, 45, 45));
    auto tally = alloc<Tally>();
    button->addTarget(tally, "hit", UIControlEventTouchUpInside);
    // The registration list changes under the send; the send works on a copy.
    auto remover = alloc<Tally>();
    button->addTarget(remover, "edited", UIControlEventTouchUpInside);
    button->sendActionsForControlEvents(UIControlEventTouchUpInside);
    button->removeTarget(tally, nullptr, UIControlEventAllEvents);
    button->sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(tally->hits, 1);
    EXPECT_EQ(remover->edits, 2);
}

TEST_F(Controls, ATargetThatCannotTakeTheActionIsReportedNotCrashed)
{
    auto bystander = alloc<Tally>();
    auto lines = SystemLog::shared().lineCount();
    EXPECT_FALSE(UIApplication::sharedApplication()->sendAction(sel_registerName("prepareRecording"), bystander,
        nullptr, nullptr));
    EXPECT_GT(SystemLog::shared().lineCount(), lines);
}

// A method the target has, but of a shape no action takes (a number
// argument, a result), is not called: the call would fail its type check.
TEST_F(Controls, AMethodOfTheWrongShapeIsNotSentAsAnAction)
{
    auto tally = alloc<Tally>();
    auto sender = alloc<UIButton>();
    for (const char* name : { "setCount:", "answer" }) {
        EXPECT_FALSE(isActionMethod(class_getInstanceMethod(tally->isa(), sel_registerName(name)))) << name;
        EXPECT_FALSE(performAction(tally, sel_registerName(name), sender)) << name;
    }
    EXPECT_EQ(tally->hits, 0);
    EXPECT_TRUE(isActionMethod(class_getInstanceMethod(tally->isa(), sel_registerName("hit"))));
    EXPECT_TRUE(performAction(tally, sel_registerName("hit"), sender));
    EXPECT_EQ(tally->hits, 1);
}

// The card shows at most a screenful of a title or message, cut with an
// ellipsis, so a megabyte of text lays out as quickly as a line; what the
// app passed is kept whole.
TEST_F(Controls, AnAlertShowsALongMessageCutWithAnEllipsis)
{
    auto host = alloc<UIViewController>();
    auto window = shownWindow(host);
    const std::string message(1000000, 'F');
    auto alert = UIAlertController::alertControllerWithTitle(std::string(5000, 'T'), message, UIAlertControllerStyleAlert);
    alert->addAction(UIAlertAction::actionWithTitle("OK", UIAlertActionStyleDefault, nullptr));
    host->presentViewController(alert, false, nullptr);
    window->layoutIfNeeded();
    EXPECT_EQ(alert->message(), message);
    std::vector<std::string> shown;
    std::function<void(const std::shared_ptr<UIView>&)> collect = [&](const std::shared_ptr<UIView>& view) {
        if (auto label = objc_cast<UILabel>(view); label && label->text().size() > 100)
            shown.push_back(label->text());
        for (const auto& subview : view->subviews())
            collect(subview);
    };
    collect(alert->view());
    ASSERT_EQ(shown.size(), 2u);
    for (const auto& text : shown) {
        EXPECT_EQ(text.size(), UIAlertController::maxShownCharacters + std::string("\u2026").size());
        EXPECT_TRUE(text.ends_with("\u2026")) << text.substr(text.size() - 10);
    }
    EXPECT_EQ(foundation::shortened("short", 10), "short");
    // Cut between characters, never inside one.
    EXPECT_EQ(foundation::shortened("\u00e9\u00e9\u00e9", 2), "\u00e9\u00e9\u2026");
}

TEST_F(Controls, ActionsAreReachableByName)
{
    auto tally = alloc<Tally>();
    auto button = UIButton::buttonWithType(UIButtonTypeSystem);
    msgSend<void>(button, "addTarget:action:forControlEvents:", id(tally), sel_registerName("hit"),
        UIControlEventTouchUpInside);
    msgSend<void>(button, "sendActionsForControlEvents:", UIControlEventTouchUpInside);
    EXPECT_EQ(tally->hits, 1);
    msgSend<void>(button, "setTitle:forState:", std::string("Save"), UIControlStateNormal);
    EXPECT_EQ(msgSend<std::string>(button, "currentTitle"), "Save");
}

TEST_F(Controls, TypingEditsTheTextAndReportsEachChange)
{
    auto field = alloc<UITextField>(CGRectMake(0, 0, 200, 30));
    auto tally = alloc<Tally>();
    field->addTarget(tally, "edited", UIControlEventEditingChanged);
    field->insertText("Café");
    field->insertText("s");
    EXPECT_EQ(field->text(), "Cafés");
    field->deleteBackward();
    field->deleteBackward();  // a two-byte é goes whole
    EXPECT_EQ(field->text(), "Caf");
    EXPECT_EQ(tally->edits, 4);
    field->setText("Top half");  // in code: no event
    EXPECT_EQ(tally->edits, 4);
    field->setText("");
    field->deleteBackward();  // nothing to delete: nothing reported
    EXPECT_EQ(tally->edits, 4);
}

TEST_F(Controls, TappingATextFieldFocusesIt)
{
    auto window = shownWindow();
    auto field = window->add<UITextField>(CGRectMake(20, 100, 200, 30));
    EXPECT_FALSE(field->isFirstResponder());
    tap(screenCentre(field));
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_EQ(UIResponder::currentFirstResponder(), field);
    field->resignFirstResponder();
    EXPECT_EQ(UIResponder::currentFirstResponder(), nullptr);
}

TEST_F(Controls, AButtonCentresItsSymbolAndTitle)
{
    auto button = UIButton::buttonWithType(UIButtonTypeSystem);
    button->setFrame(CGRectMake(0, 0, 200, 44));
    button->setImage(UIImage::systemImageNamed("trash.fill"), UIControlStateNormal);
    button->layoutIfNeeded();
    ExpectRect(button->imageView()->frame(), 90, 12, 20, 20);
    EXPECT_TRUE(button->titleLabel()->isHidden());
    button->setTitle("Delete", UIControlStateNormal);
    button->layoutIfNeeded();
    CGRect image = button->imageView()->frame();
    CGRect title = button->titleLabel()->frame();
    EXPECT_EQ(CGRectGetMaxX(image), title.origin.x);
    EXPECT_NEAR(image.origin.x - 0, 200 - CGRectGetMaxX(title), 1e-9);
    EXPECT_EQ(button->currentTitleColor(), button->tintColor());
}

TEST_F(Controls, AutoresizingSharesASizeChangeAmongTheFlexibleParts)
{
    auto parent = alloc<UIView>(CGRectMake(0, 0, 300, 100));
    auto stretchy = parent->add<UIView>(CGRectMake(100, 0, 100, 100));
    stretchy->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    auto floating = parent->add<UIView>(CGRectMake(100, 0, 100, 100));
    floating->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin);
    auto pinned = parent->add<UIView>(CGRectMake(100, 0, 100, 100));
    parent->setFrame(CGRectMake(0, 0, 400, 100));
    ExpectRect(stretchy->frame(), 100, 0, 200, 100);
    ExpectRect(floating->frame(), 150, 0, 100, 100);
    ExpectRect(pinned->frame(), 100, 0, 100, 100);
}

TEST_F(Controls, TheNavigationBarFollowsItsItemAsItChanges)
{
    auto editor = alloc<UIViewController>();
    auto window = shownWindow(editor);
    auto list = alloc<UIViewController>();
    auto navigation = alloc<UINavigationController>(list);
    editor->presentViewController(navigation, false, nullptr);
    RunLoop::main().drain();  // the presentation's completion turn
    list->navigationItem()->setTitle("Saved Areas");
    EXPECT_EQ(navigation->titleLabel()->text(), "Saved Areas");
    auto done = UIBarButtonItem::itemWithBarButtonSystemItem(UIBarButtonSystemItemDone, nullptr, nullptr);
    list->navigationItem()->setRightBarButtonItems({ done });
    EXPECT_EQ(done->barView()->superview(), navigation->navigationBar());
    list->navigationItem()->setRightBarButtonItems({});
    EXPECT_EQ(done->barView()->superview(), nullptr);
    std::weak_ptr<UINavigationController> gone = navigation;
    editor->dismissViewControllerAnimated(false, nullptr);
    navigation.reset();
    EXPECT_TRUE(gone.expired());
    list->navigationItem()->setTitle("After");  // the old bar is gone; nothing to update
}

TEST_F(Controls, AnAlertFadesInOverTheWholeWindow)
{
    auto editor = alloc<UIViewController>();
    auto window = shownWindow(editor);
    auto alert = UIAlertController::alertControllerWithTitle("Delete?", "", UIAlertControllerStyleAlert);
    alert->addAction(UIAlertAction::actionWithTitle("OK", UIAlertActionStyleDefault, nullptr));
    editor->presentViewController(alert, true, nullptr);
    EXPECT_EQ(alert->view()->frame(), window->bounds());
    EXPECT_EQ(alert->view()->presentationAlpha(), 0);
    RunLoop::main().runFor(0.15);
    EXPECT_NEAR(alert->view()->presentationAlpha(), 0.5, 1e-6);
    // A touch outside the card lands on the dimmed backdrop, not behind it.
    EXPECT_EQ(UIApplication::sharedApplication()->hitTest({ 5, 5 }), alert->view());
}

}  // namespace
