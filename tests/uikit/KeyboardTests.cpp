// The keyboard as a person uses it on a desktop window: a tapped field takes
// what is typed at its caret, Backspace takes back one character as it is
// seen, an alert answers Return and Escape, and no key reaches the host as a
// shortcut while a field is being edited.

#include "UIKitTestSupport.h"

namespace {

class Recorder : public Object {
    MARQEL_OBJECT(Recorder, Object)
public:
    void began() { events.push_back("began"); }
    void changed() { events.push_back("changed"); }
    void ended() { events.push_back("ended"); }
    void exited() { events.push_back("return"); }
    void noticed(const std::shared_ptr<NSNotification>& notification) { notices.push_back(notification->name()); }
    std::vector<std::string> events;
    std::vector<std::string> notices;
};

}  // namespace

MARQEL_DEFINE_CLASS(Recorder,
    method<&Recorder::began>("began"),
    method<&Recorder::changed>("changed"),
    method<&Recorder::ended>("ended"),
    method<&Recorder::exited>("exited"),
    method<&Recorder::noticed>("noticed:"))

namespace {

std::shared_ptr<UIKey> key(UIKeyboardHIDUsage code, const std::string& input)
{
    return UIKey::keyWithInput(code, input);
}
std::shared_ptr<UIKey> letter(char c)
{
    if (c == ' ')
        return key(UIKeyboardHIDUsageKeyboardSpacebar, " ");
    return key(static_cast<UIKeyboardHIDUsage>(UIKeyboardHIDUsageKeyboardA + (c - 'a')), std::string(1, c));
}
const auto returnKey = [] { return key(UIKeyboardHIDUsageKeyboardReturnOrEnter, "\r"); };
const auto escapeKey = [] { return key(UIKeyboardHIDUsageKeyboardEscape, UIKeyInputEscape); };
const auto backspaceKey = [] { return key(UIKeyboardHIDUsageKeyboardDeleteOrBackspace, "\b"); };

class Keyboard : public UIKitTest {
protected:
    static std::shared_ptr<UIApplication> app() { return UIApplication::sharedApplication(); }
    // Each key as a person presses it: the press, then the text it types
    // when the application left it to typing.
    static void type(const std::string& text)
    {
        app()->insertText(text);
    }
    static bool press(const std::shared_ptr<UIKey>& k) { return app()->sendKeyPress(k); }
};

TEST_F(Keyboard, ATappedFieldTakesTypingAtItsCaretAndSaysSo)
{
    auto window = shownWindow();
    auto field = window->add<UITextField>(CGRectMake(20, 100, 200, 30));
    auto recorder = alloc<Recorder>();
    field->addTarget(recorder, "began", UIControlEventEditingDidBegin);
    field->addTarget(recorder, "changed", UIControlEventEditingChanged);
    field->addTarget(recorder, "ended", UIControlEventEditingDidEnd);
    field->addTarget(recorder, "exited", UIControlEventEditingDidEndOnExit);
    NSNotificationCenter::defaultCenter()->addObserver(recorder, sel_registerName("noticed:"), "", field);

    // Before the tap nothing takes text: typed letters are the host's.
    EXPECT_FALSE(app()->insertText("x"));
    EXPECT_FALSE(press(letter('x')));
    EXPECT_EQ(field->text(), "");

    field->setText("Home");
    tap(screenCentre(field));
    EXPECT_EQ(app()->textInputResponder(), field);
    EXPECT_EQ(field->caretOffset(), 4u) << "the caret starts at the end";
    EXPECT_TRUE(press(letter('s')));
    type(" office");
    EXPECT_EQ(field->text(), "Home office");
    // Back over a word's end and type in the middle.
    for (int i = 0; i < 7; ++i)
        EXPECT_TRUE(press(key(UIKeyboardHIDUsageKeyboardLeftArrow, UIKeyInputLeftArrow)));
    type("y");
    EXPECT_EQ(field->text(), "Homey office");
    EXPECT_EQ(field->caretOffset(), 5u);
    EXPECT_TRUE(press(backspaceKey()));
    EXPECT_EQ(field->text(), "Home office");
    // Return in a lone field types no line break.
    EXPECT_TRUE(press(returnKey()));
    EXPECT_EQ(field->text(), "Home office");

    EXPECT_EQ(recorder->events, (std::vector<std::string> { "began", "changed", "changed", "changed", "return" }));
    EXPECT_EQ(recorder->notices,
        (std::vector<std::string> { UITextFieldTextDidBeginEditingNotification, UITextFieldTextDidChangeNotification,
            UITextFieldTextDidChangeNotification, UITextFieldTextDidChangeNotification }));
    field->removeFromSuperview();
    EXPECT_FALSE(field->isFirstResponder()) << "a field off the screen is not edited";
    EXPECT_EQ(recorder->events.back(), "ended");
    EXPECT_EQ(recorder->notices.back(), UITextFieldTextDidEndEditingNotification);
    EXPECT_FALSE(app()->insertText("x"));
    NSNotificationCenter::defaultCenter()->removeObserver(recorder);
}

TEST_F(Keyboard, BackspaceTakesBackOneCharacterAsAPersonSeesIt)
{
    auto window = shownWindow();
    auto field = window->add<UITextField>(CGRectMake(20, 100, 200, 30));
    ASSERT_TRUE(field->becomeFirstResponder());
    struct Case {
        const char* typed;
        const char* left;
    };
    const Case cases[] = {
        { "Cafe\u0301", "Caf" },  // e and a combining accent: one character
        { "Family \U0001F468\u200D\U0001F469\u200D\U0001F467", "Family " },  // a family joined by zero-width joiners
        { "Go \U0001F1EB\U0001F1F7", "Go " },  // a flag, two regional indicators
        { "Wave \U0001F44B\U0001F3FD", "Wave " },  // a hand with its skin tone
        { "\xED\x95\x9C", "" },  // a precomposed Hangul syllable
        { "ab", "a" },
    };
    for (const auto& c : cases) {
        field->setText("");
        type(c.typed);
        EXPECT_TRUE(press(backspaceKey()));
        EXPECT_EQ(field->text(), c.left) << c.typed;
    }
    field->setText("");
    EXPECT_TRUE(press(backspaceKey())) << "an empty field still takes Backspace";
    EXPECT_EQ(field->text(), "");
    // The caret never stops inside a character.
    field->setText("e\u0301x");
    field->setCaretOffset(2);
    EXPECT_EQ(field->caretOffset(), 0u);
    field->moveCaretRight();
    EXPECT_EQ(field->caretOffset(), 3u);
}

TEST_F(Keyboard, NoKeyIsAShortcutWhileAFieldIsEdited)
{
    auto window = shownWindow();
    auto field = window->add<UITextField>(CGRectMake(20, 100, 200, 30));
    tap(screenCentre(field));
    for (char c : std::string("isc q"))
        EXPECT_TRUE(press(letter(c))) << c;
    EXPECT_TRUE(press(escapeKey())) << "Escape does not quit while typing";
    EXPECT_TRUE(press(key(UIKeyboardHIDUsageKeyboardTab, "\t")));
    // Keys press; text types: the letters arrive as text, not as presses.
    EXPECT_EQ(field->text(), "");
    field->resignFirstResponder();
    EXPECT_FALSE(press(letter('i')));
    EXPECT_FALSE(press(escapeKey()));
    // A hidden window's field takes nothing.
    ASSERT_TRUE(field->becomeFirstResponder());
    window->setHidden(true);
    EXPECT_EQ(app()->textInputResponder(), nullptr);
    EXPECT_FALSE(press(letter('i')));
}

class AlertKeys : public UIKitTest {
protected:
    void SetUp() override
    {
        UIKitTest::SetUp();
        root = alloc<UIViewController>();
        window = shownWindow(root);
    }
    std::shared_ptr<UIAlertController> present(bool field, bool preferred, bool cancel)
    {
        auto alert = UIAlertController::alertControllerWithTitle("Marqel", "Name the area", UIAlertControllerStyleAlert);
        if (field)
            alert->addTextFieldWithConfigurationHandler([](std::shared_ptr<UITextField> f) { f->setPlaceholder("Name"); });
        // Weakly: the alert keeps its actions, and so their handlers.
        auto choose = [this, weak = std::weak_ptr<UIAlertController>(alert)](const std::shared_ptr<UIAlertAction>& action) {
            auto shown = weak.lock();
            chosen.push_back(action->title() + (!shown || shown->textFields().empty() ? "" : ":" + shown->textFields()[0]->text()));
        };
        if (cancel)
            alert->addAction(UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyleCancel, choose));
        auto save = UIAlertAction::actionWithTitle("Save", UIAlertActionStyleDefault, choose);
        alert->addAction(save);
        alert->addAction(UIAlertAction::actionWithTitle("Delete", UIAlertActionStyleDestructive, choose));
        if (preferred)
            alert->setPreferredAction(save);
        root->presentViewController(alert, true, nullptr);
        return alert;
    }
    static bool press(const std::shared_ptr<UIKey>& k) { return UIApplication::sharedApplication()->sendKeyPress(k); }

    std::shared_ptr<UIViewController> root;
    std::shared_ptr<UIWindow> window;
    std::vector<std::string> chosen;
};

TEST_F(AlertKeys, TheFieldIsEditedAtOnceAndReturnChoosesThePreferredAction)
{
    auto alert = present(true, true, true);
    // No tap: the keyboard comes up with the alert.
    ASSERT_EQ(UIApplication::sharedApplication()->textInputResponder(), alert->textFields()[0]);
    UIApplication::sharedApplication()->insertText("Désk");
    EXPECT_TRUE(press(returnKey()));
    EXPECT_EQ(chosen, std::vector<std::string> { "Save:Désk" });
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(UIApplication::sharedApplication()->textInputResponder(), nullptr);
    EXPECT_FALSE(press(returnKey())) << "gone with its alert";
}

TEST_F(AlertKeys, WithoutAPreferredActionReturnChoosesTheLastThatIsNotCancel)
{
    present(true, false, true);
    EXPECT_TRUE(press(returnKey()));
    EXPECT_EQ(chosen, std::vector<std::string> { "Delete:" });
}

TEST_F(AlertKeys, EscapeCancelsInsteadOfReachingTheHost)
{
    present(true, true, true);
    UIApplication::sharedApplication()->insertText("Half");
    EXPECT_TRUE(press(escapeKey()));
    EXPECT_EQ(chosen, std::vector<std::string> { "Cancel:Half" });
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(AlertKeys, AnAlertWithoutAFieldAnswersTooAndEscapeWithoutCancelDoesNothing)
{
    auto alert = present(false, false, false);
    EXPECT_EQ(UIApplication::sharedApplication()->textInputResponder(), nullptr);
    EXPECT_TRUE(press(escapeKey())) << "the alert keeps Escape";
    EXPECT_TRUE(chosen.empty());
    EXPECT_EQ(root->presentedViewController(), alert);
    EXPECT_FALSE(press(letter('i'))) << "letters are still the host's";
    EXPECT_TRUE(press(returnKey()));
    EXPECT_EQ(chosen, std::vector<std::string> { "Delete" });
}

TEST_F(AlertKeys, ADisabledActionIsNotChosenByReturn)
{
    auto alert = present(true, true, true);
    alert->preferredAction()->setEnabled(false);
    EXPECT_TRUE(press(returnKey()));
    EXPECT_TRUE(chosen.empty());
    EXPECT_EQ(root->presentedViewController(), alert);
}

}  // namespace
