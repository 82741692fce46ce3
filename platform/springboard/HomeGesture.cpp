#include "platform/springboard/HomeGesture.h"

#include "platform/foundation/Foundation.h"
#include "platform/springboard/AppLauncher.h"
#include "platform/springboard/StatusBar.h"
#include "platform/springboard/SystemGestureView.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIScreen.h"

HomeGesture& HomeGesture::shared()
{
    static auto* instance = new HomeGesture;
    return *instance;
}

void HomeGesture::build()
{
    CGRect screen = UIScreen::mainScreen()->bounds();
    m_window = alloc<SystemWindow>(CGRectMake(0, screen.size.height - edgeHeight, screen.size.width, edgeHeight),
        SystemWindow::statusBarLevel, SystemWindow::Touches::All);
    auto strip = m_window->add<SystemGestureView>(m_window->bounds());
    strip->onSwipeUp = [] {
        if (auto asked = AppLauncher::shared().home(); !asked)
            NSLog("SpringBoard: the home gesture was not answered: %@", asked.message());
    };
    // The indicator: a short rounded bar, dark enough on light apps and
    // light enough on dark ones.
    const CGFloat width = 134, height = 5;
    auto bar = m_window->add<UIView>(CGRectMake((screen.size.width - width) / 2, edgeHeight - 8 - height, width, height));
    bar->setBackgroundColor(UIColor::colorWithWhite(0.1, 0.85));
    bar->layer()->setCornerRadius(height / 2);
    bar->setUserInteractionEnabled(false);
}

void HomeGesture::setAppInFront(bool inFront)
{
    m_appInFront = inFront;
    if (!m_window)
        build();
    m_window->setHidden(!inFront);
    // The apps here are light: the status bar's ink turns dark over them.
    StatusBar::shared().setDarkContent(inFront);
}
