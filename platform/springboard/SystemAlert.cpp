#include "platform/springboard/SystemAlert.h"

#include "platform/springboard/SystemWindow.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"

namespace {

struct Shown {
    std::shared_ptr<SystemWindow> window;
    std::shared_ptr<UIAlertController> alert;
};

Shown& shown()
{
    static auto* state = new Shown;
    return *state;
}

void takeDown()
{
    auto& state = shown();
    auto window = std::move(state.window);
    state.alert.reset();
    if (window)
        window->setHidden(true);
}

}  // namespace

std::shared_ptr<UIAlertController> SystemAlert::present(const std::string& title, const std::string& message,
    std::vector<Action> actions)
{
    if (current())
        return nullptr;
    auto alert = UIAlertController::alertControllerWithTitle(title, message, UIAlertControllerStyleAlert);
    for (auto& action : actions) {
        alert->addAction(UIAlertAction::actionWithTitle(action.title, action.style,
            [handler = std::move(action.handler)](std::shared_ptr<UIAlertAction>) {
                takeDown();
                if (handler)
                    handler();
            }));
    }
    auto window = alloc<SystemWindow>(UIScreen::mainScreen()->bounds(), SystemWindow::alertLevel, SystemWindow::Touches::All);
    auto root = alloc<UIViewController>();
    window->setRootViewController(root);
    root->view()->setBackgroundColor(UIColor::clearColor());
    window->makeKeyAndVisible();
    root->presentViewController(alert, false, nullptr);
    shown() = { window, alert };
    return alert;
}

std::shared_ptr<UIAlertController> SystemAlert::current()
{
    const auto& state = shown();
    if (!state.window || state.window->isHidden() || !state.alert || !state.alert->presentingViewController())
        return nullptr;
    return state.alert;
}

void SystemAlert::reset() { takeDown(); }
