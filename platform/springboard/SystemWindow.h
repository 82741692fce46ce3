#pragma once

// A window of SpringBoard's own interface (the status bar, Control Center,
// system alerts, banners), in this order. As on the phone, the status bar
// stands at status-bar level, above apps but beneath a window at alert level
// (a tweak's full-screen overlay covers it); Control Center, system alerts
// and banners stand above everything. A
// window that only shows a strip of interface lets touches that land on
// none of its interactive views through to the windows beneath.

#include "platform/uikit/UIWindow.h"

class SystemWindow : public UIWindow {
    MARQEL_OBJECT(SystemWindow, UIWindow)
public:
    static constexpr UIWindowLevel statusBarLevel = UIWindowLevelStatusBar;
    static constexpr UIWindowLevel controlCenterLevel = UIWindowLevelAlert + 200;
    static constexpr UIWindowLevel alertLevel = UIWindowLevelAlert + 300;
    static constexpr UIWindowLevel bannerLevel = UIWindowLevelAlert + 400;

    enum class Touches { All,
        OnInteractiveViewsOnly };

    SystemWindow()
        : SystemWindow(CGRectZero, UIWindowLevelNormal, Touches::All)
    {
    }
    SystemWindow(CGRect frame, UIWindowLevel level, Touches touches);

    std::shared_ptr<UIView> hitTest(CGPoint point, const std::shared_ptr<UIEvent>& event) override;

private:
    Touches m_touches = Touches::All;
};
