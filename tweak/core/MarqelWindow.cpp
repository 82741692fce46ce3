#include "tweak/core/MarqelWindow.h"

#include "tweak/editor/MarqelViewController.h"

namespace {
std::shared_ptr<MarqelWindow> lastCreated;

void marqelWindowDealloc(Object* self, SEL cmd)
{
    static_cast<MarqelWindow*>(self)->resignKeyWindow();
    msgSendSuper<void>(self, MarqelWindow::classObject(), cmd);
}
}  // namespace

MARQEL_DEFINE_CLASS_LAZY(MarqelWindow,
    method<&MarqelWindow::init>("init"),
    method<&MarqelWindow::showWithAnimation>("showWithAnimation:"),
    method<&MarqelWindow::hideWithAnimation>("hideWithAnimation:"),
    function("dealloc", &marqelWindowDealloc),
    method<&MarqelWindow::dismissWindow>("dismissWindow"),
    method<&MarqelWindow::recordButtonPressedWithConfig>("recordButtonPressedWithConfig:"),
    method<&MarqelWindow::marqelVC>("marqelVC"),
    method<&MarqelWindow::setMarqelVC>("setMarqelVC:"),
    method<&MarqelWindow::delegate>("delegate"),
    method<&MarqelWindow::setDelegate>("setDelegate:"))

std::shared_ptr<MarqelWindow> MarqelWindow::lastCreatedWindow() { return lastCreated; }

std::shared_ptr<MarqelWindow> MarqelWindow::init()
{
    setFrame(UIScreen::mainScreen()->bounds());
    setBackgroundColor(UIColor::blackColor()->colorWithAlphaComponent(0.001));
    setWindowLevel(2000.0);
    setAlpha(0);
    m_marqelVC = alloc<MarqelViewController>();
    m_marqelVC->setDelegate(retained());
    setRootViewController(m_marqelVC);
    auto self = retained<MarqelWindow>();
    lastCreated = self;
    return self;
}

void MarqelWindow::showWithAnimation(bool animated)
{
    makeKeyAndVisible();
    UIView::animateWithDuration(
        animated ? 0.3 : 0.0, [this] { setAlpha(1.0); }, [](bool) {});
}

void MarqelWindow::hideWithAnimation(bool animated)
{
    UIView::animateWithDuration(
        animated ? 0.3 : 0.0, [this] { setAlpha(0); }, [](bool) { lastCreated.reset(); });
}

void MarqelWindow::dismissWindow() { hideWithAnimation(true); }

void MarqelWindow::recordButtonPressedWithConfig(id config)
{
    hideWithAnimation(true);
    msgSend<void>(delegate(), "recordButtonPressedWithConfig:", config);
}
