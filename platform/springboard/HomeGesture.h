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
    const std::shared_ptr<SystemWindow>& window() const { return m_window; }

private:
    HomeGesture() = default;
    void build();

    std::shared_ptr<SystemWindow> m_window;
    bool m_appInFront = false;
};
