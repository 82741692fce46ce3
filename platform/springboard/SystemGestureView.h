#pragma once

// One finger on a piece of the system's interface, read as the phone's
// system gestures: a tap (the finger comes up near where it went down) or
// a swipe up or down (it travels far enough, mostly vertically). A swipe
// is answered as the finger crosses the distance, once per touch, so a
// panel follows the finger rather than waiting for it to lift.

#include "platform/uikit/UIView.h"

#include <functional>

class SystemGestureView : public UIView {
    MARQEL_OBJECT(SystemGestureView, UIView)
public:
    static constexpr CGFloat tapMovement = 10;
    static constexpr CGFloat swipeDistance = 30;

    SystemGestureView()
        : SystemGestureView(CGRectZero)
    {
    }
    explicit SystemGestureView(CGRect frame)
        : UIView(frame)
    {
    }

    // Where the finger came up, in this view's coordinates.
    std::function<void(CGPoint)> onTap;
    std::function<void()> onSwipeUp;
    std::function<void()> onSwipeDown;

    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

private:
    // Measured in the window, which stays put while the view may slide.
    CGPoint m_start {};
    bool m_tracking = false;
    bool m_wandered = false;
};
