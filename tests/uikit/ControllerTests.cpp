// Controllers, windows and alerts, as the overlay and the settings screens
// use them.

#include "UIKitTestSupport.h"

#include "kit/UIView+ZRLayout.h"

namespace {

class LoadingController : public UIViewController {
    MARQEL_OBJECT(LoadingController, UIViewController)
public:
    void viewDidLoad() override
    {
        ++loads;
        view()->setBackgroundColor(UIColor::clearColor());  // reentrant view() is fine here
    }
    void viewDidAppear(bool) override { ++appearances; }
    void viewDidDisappear(bool) override { ++disappearances; }
    void deleteAll() { ++deletes; }
    int loads = 0, appearances = 0, disappearances = 0, deletes = 0;
};

class KeyWatchingWindow : public UIWindow {
    MARQEL_OBJECT(KeyWatchingWindow, UIWindow)
public:
    void becomeKeyWindow() override { ++becameKey; }
    void resignKeyWindow() override
    {
        ++resigned;
        UIWindow::resignKeyWindow();
    }
    int becameKey = 0, resigned = 0;
};

}  // namespace

MARQEL_DEFINE_CLASS(LoadingController, method<&LoadingController::deleteAll>("deleteAll"))
MARQEL_DEFINE_CLASS(KeyWatchingWindow)

namespace {

class Controllers : public UIKitTest {
protected:
    void SetUp() override
    {
        UIKitTest::SetUp();
        editor = alloc<LoadingController>();
        window = shownWindow(editor);
    }
    std::shared_ptr<LoadingController> editor;
    std::shared_ptr<UIWindow> window;
};

TEST_F(Controllers, TheViewLoadsOnceOnFirstUse)
{
    auto controller = alloc<LoadingController>();
    EXPECT_FALSE(controller->isViewLoaded());
    EXPECT_EQ(controller->loads, 0);
    auto view = controller->view();
    EXPECT_TRUE(controller->isViewLoaded());
    EXPECT_EQ(controller->view(), view);
    EXPECT_EQ(controller->loads, 1);
    EXPECT_EQ(view->frame(), UIScreen::mainScreen()->bounds());
    EXPECT_EQ(view->nextResponder(), controller);
}

TEST_F(Controllers, TheRootControllersViewFillsTheWindowAndAppearsWithIt)
{
    EXPECT_EQ(editor->view()->superview(), window);
    EXPECT_EQ(editor->view()->window(), window);
    EXPECT_EQ(editor->appearances, 1);
    EXPECT_EQ(editor->nextResponder(), window);
    EXPECT_EQ(window->nextResponder(), UIApplication::sharedApplication());
}

TEST_F(Controllers, KeyStatusMovesBetweenWindowsAndIsGivenUpOnRequest)
{
    auto overlay = alloc<KeyWatchingWindow>();
    overlay->setWindowLevel(2000);
    EXPECT_TRUE(window->isKeyWindow());
    overlay->makeKeyAndVisible();
    EXPECT_EQ(UIApplication::sharedApplication()->keyWindow(), overlay);
    EXPECT_FALSE(window->isKeyWindow());
    EXPECT_EQ(overlay->becameKey, 1);
    overlay->resignKeyWindow();
    EXPECT_EQ(UIApplication::sharedApplication()->keyWindow(), nullptr);
    overlay->makeKeyWindow();
    window->makeKeyWindow();
    EXPECT_EQ(overlay->resigned, 2);
}

TEST_F(Controllers, AShownWindowIsKeptAliveUntilHiddenAndForgottenWhenGone)
{
    std::weak_ptr<UIWindow> weak;
    {
        auto overlay = alloc<UIWindow>();
        overlay->makeKeyAndVisible();
        weak = overlay;
    }
    ASSERT_FALSE(weak.expired());  // the application holds it while it is shown
    EXPECT_EQ(UIApplication::sharedApplication()->keyWindow(), weak.lock());
    weak.lock()->setHidden(true);
    EXPECT_TRUE(weak.expired());
    // Hiding the key window handed key status to the window still shown.
    EXPECT_EQ(UIApplication::sharedApplication()->keyWindow(), window);
    EXPECT_EQ(UIApplication::sharedApplication()->windows().size(), 1u);
}

TEST_F(Controllers, APresentedControllerShowsAboveTheContentUntilDismissed)
{
    auto browser = alloc<LoadingController>();
    bool presented = false;
    editor->presentViewController(browser, true, [&] { presented = true; });
    EXPECT_EQ(editor->presentedViewController(), browser);
    EXPECT_EQ(browser->presentingViewController(), editor);
    EXPECT_EQ(window->subviews().back(), browser->view());
    // Its touches go to it at once, wherever the slide-in has got to.
    EXPECT_EQ(UIApplication::sharedApplication()->hitTest({ 200, 400 }), browser->view());
    RunLoop::main().runFor(0.29);
    EXPECT_FALSE(presented);
    RunLoop::main().runFor(0.02);
    EXPECT_TRUE(presented);
    EXPECT_EQ(browser->appearances, 1);
    EXPECT_EQ(browser->nextResponder(), editor);

    bool dismissed = false;
    browser->dismissViewControllerAnimated(true, [&] { dismissed = true; });
    EXPECT_EQ(editor->presentedViewController(), browser);  // until the slide-out ends
    RunLoop::main().runFor(0.31);
    EXPECT_TRUE(dismissed);
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    EXPECT_EQ(browser->presentingViewController(), nullptr);
    EXPECT_EQ(browser->view()->superview(), nullptr);
    EXPECT_EQ(browser->disappearances, 1);
}

TEST_F(Controllers, PresentingTwiceOrFromOutsideAWindowIsRefused)
{
    auto first = alloc<UIViewController>();
    auto second = alloc<UIViewController>();
    editor->presentViewController(first, false, nullptr);
    bool ran = false;
    editor->presentViewController(second, false, [&] { ran = true; });
    RunLoop::main().drain();
    EXPECT_EQ(editor->presentedViewController(), first);
    EXPECT_FALSE(ran);
    EXPECT_FALSE(second->isViewLoaded());

    auto offscreen = alloc<UIViewController>();
    offscreen->presentViewController(second, false, nullptr);
    EXPECT_EQ(offscreen->presentedViewController(), nullptr);
}

TEST_F(Controllers, DismissingThePresenterTakesTheWholeStackDown)
{
    auto sheet = alloc<UIViewController>();
    auto onTop = alloc<UIViewController>();
    editor->presentViewController(sheet, false, nullptr);
    sheet->presentViewController(onTop, false, nullptr);
    editor->dismissViewControllerAnimated(false, nullptr);
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    EXPECT_EQ(sheet->presentedViewController(), nullptr);
    EXPECT_EQ(onTop->view()->superview(), nullptr);
    EXPECT_EQ(sheet->view()->superview(), nullptr);
}

class NameAlert : public Controllers {
protected:
    void SetUp() override
    {
        Controllers::SetUp();
        alert = UIAlertController::alertControllerWithTitle("Save Area", "Name this area", UIAlertControllerStyleAlert);
        alert->addTextFieldWithConfigurationHandler([](std::shared_ptr<UITextField> field) {
            field->setPlaceholder("Area name");
        });
        alert->addAction(UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyleCancel, nullptr));
        alert->addAction(UIAlertAction::actionWithTitle("Save", UIAlertActionStyleDefault,
            [this](std::shared_ptr<UIAlertAction> action) {
                savedName = alert->textFields()[0]->text();
                alertStillShown = editor->presentedViewController() != nullptr;
                chosen = action;
            }));
        editor->presentViewController(alert, true, nullptr);
    }
    std::shared_ptr<UIAlertController> alert;
    std::string savedName = "(none)";
    bool alertStillShown = true;
    std::shared_ptr<UIAlertAction> chosen;
};

TEST_F(NameAlert, TypingANameAndTappingSaveDismissesThenRunsTheHandler)
{
    ASSERT_EQ(alert->textFields().size(), 1u);
    EXPECT_EQ(alert->textFields()[0]->placeholder(), "Area name");
    alert->textFields()[0]->setText("Top half");
    EXPECT_TRUE(alert->tapActionWithTitle("Save"));
    EXPECT_EQ(savedName, "Top half");
    EXPECT_FALSE(alertStillShown);
    EXPECT_EQ(chosen->title(), "Save");
    EXPECT_EQ(alert->view()->superview(), nullptr);
    EXPECT_FALSE(alert->tapActionWithTitle("Save"));  // gone: nothing more to tap
}

TEST_F(NameAlert, TheAlertsButtonsCanBeTouchedLikeAnyOther)
{
    alert->textFields()[0]->insertText("Corner");
    window->layoutIfNeeded();
    auto save = alert->buttonForAction(alert->actions()[1]);
    ASSERT_TRUE(save);
    EXPECT_EQ(save->currentTitle(), "Save");
    tap(screenCentre(save));
    EXPECT_EQ(savedName, "Corner");
}

TEST_F(NameAlert, CancelAndUnknownOrDisabledActionsSaveNothing)
{
    EXPECT_FALSE(alert->tapActionWithTitle("Delete"));
    alert->actions()[1]->setEnabled(false);
    EXPECT_FALSE(alert->tapActionWithTitle("Save"));
    EXPECT_TRUE(alert->tapActionWithTitle("Cancel"));
    EXPECT_EQ(savedName, "(none)");
    EXPECT_EQ(editor->presentedViewController(), nullptr);
}

TEST_F(Controllers, AnActionSheetTakesNoTextFields)
{
    auto sheet = UIAlertController::alertControllerWithTitle("Area", "", UIAlertControllerStyleActionSheet);
    sheet->addTextFieldWithConfigurationHandler(nullptr);
    EXPECT_TRUE(sheet->textFields().empty());
}

TEST_F(Controllers, NavigationBarItemsAreButtonsThatReachTheirTarget)
{
    auto list = alloc<LoadingController>();
    list->setTitle("Saved Areas");
    auto navigation = alloc<UINavigationController>(list);
    list->navigationItem()->setRightBarButtonItem(UIBarButtonItem::itemWithImage(
        UIImage::systemImageNamed("trash.fill"), UIBarButtonItemStylePlain, list, sel_registerName("deleteAll")));
    editor->presentViewController(navigation, false, nullptr);
    RunLoop::main().drain();
    window->layoutIfNeeded();

    EXPECT_EQ(navigation->titleLabel()->text(), "Saved Areas");
    EXPECT_EQ(navigation->topViewController(), list);
    EXPECT_EQ(list->navigationController(), navigation);
    auto trash = std::dynamic_pointer_cast<UIButton>(list->navigationItem()->rightBarButtonItem()->barView());
    ASSERT_TRUE(trash);
    EXPECT_EQ(trash->currentImage()->symbolName(), "trash.fill");
    EXPECT_EQ(trash->superview(), navigation->navigationBar());
    // The item sits at the bar's right end, below the sheet's top inset.
    CGRect onScreen = trash->convertRectToScreen(trash->bounds());
    EXPECT_NEAR(CGRectGetMaxX(onScreen), 390 - 8, 1e-9);
    EXPECT_GT(onScreen.origin.y, UIViewController::sheetTopInset - 1);
    tap(screenCentre(trash));
    EXPECT_EQ(list->deletes, 1);
    // The list's content sits below the bar.
    EXPECT_EQ(list->view()->frame().origin.y, UINavigationController::barHeight);
}

TEST_F(Controllers, PushingShowsABackButtonThatPops)
{
    auto first = alloc<UIViewController>();
    auto second = alloc<UIViewController>();
    second->setTitle("Detail");
    auto navigation = alloc<UINavigationController>(first);
    editor->presentViewController(navigation, false, nullptr);
    navigation->pushViewController(second, true);
    EXPECT_EQ(navigation->titleLabel()->text(), "Detail");
    EXPECT_EQ(second->view()->superview(), navigation->view());
    EXPECT_EQ(first->view()->superview(), nullptr);
    std::shared_ptr<UIButton> back;
    for (const auto& view : navigation->navigationBar()->subviews())
        if (auto button = std::dynamic_pointer_cast<UIButton>(view); button && button->currentTitle() == "Back")
            back = button;
    ASSERT_TRUE(back);
    tap(screenCentre(back));
    EXPECT_EQ(navigation->topViewController(), first);
    EXPECT_EQ(first->view()->superview(), navigation->view());
    EXPECT_EQ(navigation->popViewControllerAnimated(false), nullptr);  // the root stays
}

}  // namespace

TEST_F(Controllers, ALargeTitleBarPresentedFullScreenWithACancelButton)
{
    auto list = alloc<LoadingController>();
    list->setTitle("Saved Areas");
    auto navigation = alloc<UINavigationController>(list);
    navigation->setModalPresentationStyle(UIModalPresentationFullScreen);
    navigation->setPrefersLargeTitles(true);
    list->navigationItem()->setLeftBarButtonItem(
        UIBarButtonItem::itemWithTitle("Cancel", UIBarButtonItemStylePlain, list, sel_registerName("deleteAll")));
    editor->presentViewController(navigation, true, nullptr);
    RunLoop::main().runFor(UIViewController::transitionDuration);
    window->layoutIfNeeded();

    EXPECT_EQ(navigation->view()->frame(), window->bounds());
    EXPECT_TRUE(navigation->titleLabel()->isHidden());
    EXPECT_FALSE(navigation->largeTitleLabel()->isHidden());
    EXPECT_EQ(navigation->largeTitleLabel()->text(), "Saved Areas");
    EXPECT_EQ(navigation->navigationBar()->frame().size.height,
        UINavigationController::barHeight + UINavigationController::largeTitleHeight);
    EXPECT_EQ(list->view()->frame().origin.y, UINavigationController::barHeight + UINavigationController::largeTitleHeight);
    auto cancel = list->navigationItem()->leftBarButtonItems().front()->barView();
    CGRect onScreen = cancel->convertRectToScreen(cancel->bounds());
    EXPECT_NEAR(onScreen.origin.x, 8, 1e-9);
    EXPECT_LT(CGRectGetMaxY(onScreen), UINavigationController::barHeight + 1);
    tap(screenCentre(cancel));
    EXPECT_EQ(list->deletes, 1);

    navigation->setPrefersLargeTitles(false);
    window->layoutIfNeeded();
    EXPECT_FALSE(navigation->titleLabel()->isHidden());
    EXPECT_EQ(navigation->navigationBar()->frame().size.height, UINavigationController::barHeight);

    list->dismissViewControllerAnimated(false, nullptr);
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    EXPECT_EQ(navigation->view()->superview(), nullptr);
}

TEST_F(Controllers, ALoneActionShowsItsWholeTitle)
{
    auto alert = UIAlertController::alertControllerWithTitle("Marqel", "A hint that takes a few lines of text to say what it has to say.",
        UIAlertControllerStyleAlert);
    alert->addAction(UIAlertAction::actionWithTitle("OK", UIAlertActionStyleDefault, nullptr));
    editor->presentViewController(alert, true, nullptr);
    RunLoop::main().runFor(0.5);
    auto ok = alert->buttonForAction(alert->actions()[0]);
    ASSERT_TRUE(ok);
    // The title's room is the button's, not an estimate of the text.
    EXPECT_EQ(ok->titleLabel()->frame().size.width, ok->frame().size.width) << NSStringFromCGRect(ok->titleLabel()->frame());
    EXPECT_GT(ok->frame().size.width, 200) << NSStringFromCGRect(ok->frame());
}
