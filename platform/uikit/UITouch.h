#pragma once

// One finger on the screen. The application fills in its phase, position
// and the view it was hit-tested to; handlers ask for its position in any
// view's coordinates.

#include "platform/foundation/CGGeometry.h"
#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/Forward.h"

enum UITouchPhase : std::int64_t {
    UITouchPhaseBegan = 0,
    UITouchPhaseMoved = 1,
    UITouchPhaseStationary = 2,
    UITouchPhaseEnded = 3,
    UITouchPhaseCancelled = 4,
};

class UITouch : public Object {
    MARQEL_OBJECT(UITouch, Object)
public:
    UITouch() = default;

    UITouchPhase phase() const { return m_phase; }
    double timestamp() const { return m_timestamp; }
    std::int64_t tapCount() const { return m_tapCount; }
    std::shared_ptr<UIView> view() const;
    std::shared_ptr<UIWindow> window() const;
    // In `view`'s coordinates; a null view means the touch's window.
    CGPoint locationInView(const UIView* view) const;
    CGPoint previousLocationInView(const UIView* view) const;
    // The position on the screen, in points.
    CGPoint screenLocation() const { return m_screenLocation; }

    // Set by the application as the finger moves.
    void setPhase(UITouchPhase phase) { m_phase = phase; }
    void setTimestamp(double timestamp) { m_timestamp = timestamp; }
    void setTapCount(std::int64_t count) { m_tapCount = count; }
    void setView(const std::shared_ptr<UIView>& view);
    void setWindow(const std::shared_ptr<UIWindow>& window);
    // Moves the touch; the old position becomes the previous one.
    void setScreenLocation(CGPoint point, bool keepPrevious);

private:
    CGPoint locationOf(CGPoint screenPoint, const UIView* view) const;

    UITouchPhase m_phase = UITouchPhaseBegan;
    double m_timestamp = 0;
    std::int64_t m_tapCount = 1;
    std::weak_ptr<UIView> m_view;
    std::weak_ptr<UIWindow> m_window;
    CGPoint m_screenLocation {};
    CGPoint m_previousScreenLocation {};
};
