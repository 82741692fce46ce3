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
    // The indicator: a short rounded bar in the status bar's ink.
    const CGFloat width = 134, height = 5;
    m_indicator = m_window->add<UIView>(CGRectMake((screen.size.width - width) / 2, edgeHeight - 8 - height, width, height));
    m_indicator->layer()->setCornerRadius(height / 2);
    m_indicator->setUserInteractionEnabled(false);
}

void HomeGesture::setAppInFront(bool inFront)
{
    m_appInFront = inFront;
    if (!m_window)
        build();
    m_window->setHidden(!inFront);
    followApp();
}

void HomeGesture::setAppWantsLightContent(bool light)
{
    m_lightContent = light;
    if (!m_window)
        build();
    followApp();
}

void HomeGesture::followApp()
{
    // Over the wallpaper the status bar's content is light; over an app,
    // what the app asks.
    StatusBar::shared().setDarkContent(m_appInFront && !m_lightContent);
    m_indicator->setBackgroundColor(m_lightContent ? UIColor::colorWithWhite(0.95, 0.9) : UIColor::colorWithWhite(0.1, 0.85));
}
