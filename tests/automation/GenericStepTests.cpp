// The generic steps against real windows of the UI stand-in, without
// SpringBoard: what each expectation accepts and how each one fails.

#include "platform/automation/ScenarioDriver.h"
#include "platform/foundation/Foundation.h"
#include "platform/springboard/NoticeCenter.h"
#include "platform/uikit/UIKit.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

namespace {

class TouchLog : public UIView {
    MARQEL_OBJECT(TouchLog, UIView)
public:
    using UIView::UIView;
    void touchesBegan(const UITouchSet&, const std::shared_ptr<UIEvent>&) override { began.push_back(RunLoop::main().now()); }
    void touchesEnded(const UITouchSet&, const std::shared_ptr<UIEvent>&) override { ended.push_back(RunLoop::main().now()); }

    std::vector<double> began;
    std::vector<double> ended;
};

class Presented : public UIViewController {
    MARQEL_OBJECT(Presented, UIViewController)
};

}  // namespace

MARQEL_DEFINE_CLASS(TouchLog)
MARQEL_DEFINE_CLASS(Presented)

namespace {

using automation::ScenarioDriver;

class GenericSteps : public ::testing::Test {
protected:
    TestDevice device;
    ScenarioDriver driver;
    std::shared_ptr<UIViewController> root = alloc<UIViewController>();
    std::shared_ptr<UIWindow> window;

    void SetUp() override
    {
        UIApplication::sharedApplication()->reset();
        UIScreen::mainScreen()->resetToDefault();
        HapticsLog::shared().clear();
        window = alloc<UIWindow>();
        window->setRootViewController(root);
        window->makeKeyAndVisible();
    }
    void TearDown() override { UIApplication::sharedApplication()->reset(); }

    std::shared_ptr<UILabel> label(const std::string& text, CGRect frame)
    {
        auto label = alloc<UILabel>(frame);
        label->setText(text);
        root->view()->addSubview(label);
        return label;
    }
    std::shared_ptr<UIAlertController> presentAlert(const std::string& title, const std::string& message)
    {
        auto alert = UIAlertController::alertControllerWithTitle(title, message, UIAlertControllerStyleAlert);
        alert->addAction(UIAlertAction::actionWithTitle("Keep", UIAlertActionStyleDefault, nullptr));
        root->presentViewController(alert, false, nullptr);
        RunLoop::main().drain();
        return alert;
    }
    std::string failure(const std::string& line)
    {
        auto status = driver.runStep(line);
        return status ? "passed" : status.message();
    }
};

TEST_F(GenericSteps, TextIsALabelAButtonTitleOrTheAlertsMessage)
{
    label("Saved areas: 3", CGRectMake(10, 100, 200, 30));
    auto button = UIButton::buttonWithType(UIButtonTypeSystem);
    button->setFrame(CGRectMake(10, 200, 100, 40));
    button->setTitle("Rename", UIControlStateNormal);
    root->view()->addSubview(button);
    EXPECT_TRUE(driver.runStep("expect text Saved areas"));
    EXPECT_TRUE(driver.runStep("expect text Rename"));
    EXPECT_EQ(failure("expect text Delete all"), "expected a label, button or alert on screen containing \"Delete all\", found none");
    presentAlert("Rename area", "Choose a new name for Home.");
    EXPECT_TRUE(driver.runStep("expect text new name for Home"));
}

TEST_F(GenericSteps, TextThatIsHiddenOrTransparentIsNotOnScreen)
{
    auto hidden = label("Hidden words", CGRectMake(10, 100, 200, 30));
    hidden->setHidden(true);
    auto clear = label("Faded words", CGRectMake(10, 200, 200, 30));
    clear->setAlpha(0);
    EXPECT_EQ(failure("expect text Hidden words"), "expected a label, button or alert on screen containing \"Hidden words\", found none");
    EXPECT_EQ(failure("expect text Faded"), "expected a label, button or alert on screen containing \"Faded\", found none");
}

TEST_F(GenericSteps, TheAlertOnScreenByTitle)
{
    EXPECT_TRUE(driver.runStep("expect alert none"));
    EXPECT_EQ(failure("expect alert Rename area"), "expected an alert titled \"Rename area\", found none");
    presentAlert("Rename area", "");
    EXPECT_TRUE(driver.runStep("expect alert Rename area"));
    EXPECT_EQ(failure("expect alert Rename"), "expected an alert titled \"Rename\", found \"Rename area\"");
    EXPECT_EQ(failure("expect alert none"), "expected no alert, found \"Rename area\"");
    ASSERT_TRUE(driver.runStep("tap-title Keep"));
    EXPECT_TRUE(driver.runStep("expect alert none")) << "choosing an action dismisses the alert";
}

TEST_F(GenericSteps, TheTopmostPresentedControllerByClass)
{
    EXPECT_TRUE(driver.runStep("expect presented none"));
    auto sheet = alloc<Presented>();
    root->presentViewController(sheet, false, nullptr);
    RunLoop::main().drain();
    EXPECT_TRUE(driver.runStep("expect presented Presented"));
    auto alert = UIAlertController::alertControllerWithTitle("Sure?", "", UIAlertControllerStyleAlert);
    sheet->presentViewController(alert, false, nullptr);
    RunLoop::main().drain();
    EXPECT_TRUE(driver.runStep("expect presented UIAlertController")) << "the top of the chain, not its first";
    EXPECT_EQ(failure("expect presented Presented"), "expected presented Presented, found presented UIAlertController");
}

TEST_F(GenericSteps, ALongPressHoldsHalfASecondOnTheVirtualClock)
{
    auto target = alloc<TouchLog>(CGRectMake(0, 400, 390, 100));
    root->view()->addSubview(target);
    double start = RunLoop::main().now();
    ASSERT_TRUE(driver.runStep("long-press 100 450"));
    ASSERT_EQ(target->began.size(), 1u);
    ASSERT_EQ(target->ended.size(), 1u);
    EXPECT_DOUBLE_EQ(target->began[0], start);
    EXPECT_DOUBLE_EQ(target->ended[0] - target->began[0], ScenarioDriver::longPressDuration);
    ASSERT_TRUE(driver.runStep("tap 100 450"));
    EXPECT_DOUBLE_EQ(target->ended[1], target->began[1]) << "a tap does not hold";
    EXPECT_EQ(failure("long-press 100"), "usage: long-press X Y");
}

TEST_F(GenericSteps, ALongPressOnATitleHoldsOverThatView)
{
    auto target = alloc<TouchLog>(CGRectMake(0, 400, 390, 100));
    root->view()->addSubview(target);
    auto title = alloc<UILabel>(CGRectMake(20, 20, 200, 40));
    title->setText("Hold me");
    target->addSubview(title);
    ASSERT_TRUE(driver.runStep("long-press-title Hold me"));
    ASSERT_EQ(target->ended.size(), 1u);
    EXPECT_DOUBLE_EQ(target->ended[0] - target->began[0], ScenarioDriver::longPressDuration);
    EXPECT_EQ(failure("long-press-title Let go"), "nothing on screen is titled \"Let go\"");
    EXPECT_EQ(failure("tap-title Let go"), "nothing on screen is titled \"Let go\"");
}

TEST_F(GenericSteps, TouchesNeedAFingerDown)
{
    EXPECT_EQ(failure("move 10 10"), "no finger is down");
    EXPECT_EQ(failure("up 10 10"), "no finger is down");
    EXPECT_EQ(failure("cancel"), "no finger is down");
    EXPECT_TRUE(driver.runStep("down 10 10"));
    EXPECT_TRUE(driver.runStep("cancel"));
}

TEST_F(GenericSteps, SymbolsOnScreenAndTappingThem)
{
    auto image = alloc<UIImageView>(CGRectMake(10, 10, 40, 40));
    image->setImage(UIImage::systemImageNamed("xmark"));
    root->view()->addSubview(image);
    EXPECT_TRUE(driver.runStep("expect symbol xmark"));
    EXPECT_EQ(failure("expect symbol xmark.circle"), "expected a visible view showing \"xmark.circle\", found none");
    EXPECT_TRUE(driver.runStep("tap-symbol xmark"));
    image->setAlpha(0);
    EXPECT_EQ(failure("expect symbol xmark"), "expected a visible view showing \"xmark\", found none");
    EXPECT_EQ(failure("tap-symbol xmark"), "no visible view shows the symbol \"xmark\"");
}

TEST_F(GenericSteps, TypingGoesIntoTheAlertsField)
{
    EXPECT_EQ(failure("type Home"), "no alert with a text field is on screen");
    auto alert = UIAlertController::alertControllerWithTitle("Name", "", UIAlertControllerStyleAlert);
    alert->addTextFieldWithConfigurationHandler([](std::shared_ptr<UITextField>) {});
    root->presentViewController(alert, false, nullptr);
    RunLoop::main().drain();
    ASSERT_TRUE(driver.runStep("type  Home  office"));
    EXPECT_EQ(alert->textFields().front()->text(), "Home  office");
}

TEST_F(GenericSteps, HapticsSinceThePreviousHapticExpectation)
{
    EXPECT_TRUE(driver.runStep("expect haptic none"));
    HapticsLog::shared().record({ UIImpactFeedbackStyleLight, 0, 1 });
    HapticsLog::shared().record({ UIImpactFeedbackStyleSoft, 0, 1 });
    EXPECT_EQ(failure("expect haptic light"), "expected haptic light, found haptic soft") << "the last one counts";
    EXPECT_TRUE(driver.runStep("expect haptics 0")) << "the previous expectation took them";
    HapticsLog::shared().record({ UIImpactFeedbackStyleMedium, 0, 1 });
    EXPECT_EQ(failure("expect haptics 2"), "expected 2 impacts, found 1");
    HapticsLog::shared().record({ UIImpactFeedbackStyleMedium, 0, 1 });
    EXPECT_TRUE(driver.runStep("expect haptic medium"));
}

TEST_F(GenericSteps, LogLinesByTextAndCount)
{
    NSLog("automation test: the quick brown fox");
    NSLog("automation test: the quick brown fox");
    EXPECT_TRUE(driver.runStep("expect log the quick   brown"));
    EXPECT_EQ(failure("expect log the lazy dog"), "expected a log line containing \"the lazy dog\", found none");
    EXPECT_TRUE(driver.runStep("expect no-log the lazy dog"));
    EXPECT_EQ(failure("expect no-log quick brown fox"), "expected no log line containing \"quick brown fox\", found 2");
    EXPECT_TRUE(driver.runStep("expect log-count 2 automation test: the quick"));
    EXPECT_EQ(failure("expect log-count 1 automation test: the quick"), "expected 1 log lines containing \"automation test: the quick\", found 2");
}

TEST_F(GenericSteps, NoticesByCount)
{
    EXPECT_TRUE(driver.runStep("expect notices 0"));
    Notice notice;
    notice.section = "com.example";
    notice.title = "Hello";
    NoticeCenter::shared().add(notice);
    EXPECT_TRUE(driver.runStep("expect notices 1"));
    EXPECT_EQ(failure("expect notices 2"), "expected 2 notices, found 1");
}

// A screen inside a navigation controller presents for itself in the
// stand-in; the user still sees its alert in front.
TEST_F(GenericSteps, AnAlertPresentedByAScreenInANavigationControllerIsInFront)
{
    auto screen = alloc<UIViewController>();
    auto navigation = alloc<UINavigationController>(screen);
    window->setRootViewController(navigation);
    RunLoop::main().drain();
    auto alert = UIAlertController::alertControllerWithTitle("Marqel", "Add the module", UIAlertControllerStyleAlert);
    alert->addAction(UIAlertAction::actionWithTitle("OK", UIAlertActionStyleDefault, nullptr));
    screen->presentViewController(alert, false, nullptr);
    RunLoop::main().drain();
    EXPECT_TRUE(driver.runStep("expect alert Marqel"));
    EXPECT_TRUE(driver.runStep("expect presented UIAlertController"));
    EXPECT_TRUE(driver.runStep("expect text Add the module"));
    EXPECT_EQ(failure("back"), "nothing to go back from: no navigation controller is in front");
    EXPECT_TRUE(driver.runStep("tap-title OK"));
    EXPECT_TRUE(driver.runStep("expect alert none"));
}

TEST_F(GenericSteps, BackPopsTheFrontNavigationControllersTopScreen)
{
    EXPECT_EQ(failure("back"), "nothing to go back from: no navigation controller is in front");
    auto first = alloc<UIViewController>();
    auto navigation = alloc<UINavigationController>(first);
    window->setRootViewController(navigation);
    RunLoop::main().drain();
    EXPECT_EQ(failure("back"), "nothing to go back to: UIViewController is the navigation controller's first screen");
    auto second = alloc<Presented>();
    auto third = alloc<UIViewController>();
    navigation->pushViewController(second, true);
    navigation->pushViewController(third, true);
    EXPECT_TRUE(driver.runStep("back"));
    EXPECT_EQ(navigation->topViewController(), second);
    EXPECT_TRUE(driver.runStep("back"));
    EXPECT_EQ(navigation->topViewController(), first);
    EXPECT_EQ(failure("back"), "nothing to go back to: UIViewController is the navigation controller's first screen");
}

TEST_F(GenericSteps, AppearanceReachesEveryViewAndTakesOnlyLightOrDark)
{
    auto view = alloc<UIView>(CGRectMake(0, 0, 50, 50));
    view->setBackgroundColor(UIColor::labelColor());
    root->view()->addSubview(view);
    CGColorRef light = view->layer()->backgroundColor();
    EXPECT_TRUE(driver.runStep("appearance dark"));
    EXPECT_EQ(UITraitCollection::systemUserInterfaceStyle(), UIUserInterfaceStyleDark);
    EXPECT_FALSE(CGColorEqualToColor(view->layer()->backgroundColor(), light));
    EXPECT_EQ(failure("appearance sepia"), "the appearance is light or dark, not \"sepia\"");
    EXPECT_EQ(failure("appearance"), "usage: appearance light|dark");
    EXPECT_TRUE(driver.runStep("appearance light"));
    EXPECT_TRUE(CGColorEqualToColor(view->layer()->backgroundColor(), light));
}

// Steps that only SpringBoard answers fail elsewhere, naming both.
TEST_F(GenericSteps, TheBootedProcessIsTheRunnersChoice)
{
    int boots = 0;
    bool running = false;
    ASSERT_TRUE(driver.setBooter({ "the Test app", [&]() -> foundation::Status { ++boots; running = true; return {}; }, [&] { return running; } }));
    EXPECT_EQ(failure("expect notices 0"), "expect notices works in SpringBoard, and this scenario runs in the Test app");
    driver.setTouchesNeedBoot(true);
    EXPECT_EQ(failure("tap 1 1"), "a touch before boot: the Test app is not running yet (put a `boot` step first)");
    EXPECT_TRUE(driver.runStep("boot"));
    EXPECT_EQ(boots, 1);
    EXPECT_EQ(failure("boot"), "the Test app is already running");
    EXPECT_EQ(failure("screen 390x844@3"), "the screen is set before boot");
    EXPECT_FALSE(driver.setBooter(ScenarioDriver::settingsAppBooter()));
    EXPECT_FALSE(driver.setBooter({ "nothing", nullptr, nullptr }));
    EXPECT_EQ(driver.hostName(), "the Test app");
}

}  // namespace

namespace {

// A size past what an integer holds is still refused with its size, not
// converted out of range on the way to the message.
TEST_F(GenericSteps, ScreenFarTooLargeIsRefusedWithItsSize)
{
    EXPECT_EQ(failure("screen 1e300x844@3"), "a screen of 3e+300x2532 pixels is larger than the recorder can encode (at most 16384 a side)");
    EXPECT_EQ(failure("screen 390x1e20@1"), "a screen of 390x1e+20 pixels is larger than the recorder can encode (at most 16384 a side)");
    EXPECT_EQ(failure("screen 1e200x1e200@1e200"), "a screen of infxinf pixels is larger than the recorder can encode (at most 16384 a side)");
}

}  // namespace
