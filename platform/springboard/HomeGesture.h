#pragma once

// While an app is in front: the home indicator at the bottom of the screen
// and the strip above it that reads an upward swipe from the bottom edge as
// "go home". It stands at the status bar's level, above the app; on the home
// screen it is gone, so the dock takes its touches.

#include "platform/springboard/SystemWindow.h"

#include <memory>

class HomeGesture {
public:
    // The strip's height, in points from the bottom edge.
    static constexpr CGFloat edgeHeight = 24;

    static HomeGesture& shared();

    void setAppInFront(bool inFront);
    bool isAppInFront() const { return m_appInFront; }
    // What the app in front asks (the display tells): light content over a
    // dark app, dark over a light one, for the status bar and the indicator.
    void setAppWantsLightContent(bool light);
    bool appWantsLightContent() const { return m_lightContent; }
    const std::shared_ptr<SystemWindow>& window() const { return m_window; }

private:
    HomeGesture() = default;
    void build();
    void followApp();

    std::shared_ptr<SystemWindow> m_window;
    std::shared_ptr<UIView> m_indicator;
    bool m_appInFront = false;
    bool m_lightContent = false;
};
