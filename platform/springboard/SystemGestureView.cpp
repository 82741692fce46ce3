#include "platform/springboard/SystemGestureView.h"

#include "platform/uikit/UITouch.h"
#include "platform/uikit/UITouchSet.h"

#include <cmath>

MARQEL_DEFINE_CLASS(SystemGestureView)

void SystemGestureView::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>&)
{
    auto touch = touches.anyObject();
    if (!touch)
        return;
    m_start = touch->locationInView(nullptr);
    m_tracking = true;
    m_wandered = false;
}

void SystemGestureView::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>&)
{
    auto touch = touches.anyObject();
    if (!touch || !m_tracking)
        return;
    CGPoint now = touch->locationInView(nullptr);
    double dx = now.x - m_start.x, dy = now.y - m_start.y;
    if (std::hypot(dx, dy) > tapMovement)
        m_wandered = true;
    if (std::fabs(dy) < swipeDistance || std::fabs(dy) < std::fabs(dx))
        return;
    // Answered once: the rest of this touch is the same swipe.
    m_tracking = false;
    auto keepAlive = retained<SystemGestureView>();
    const auto& handler = dy > 0 ? onSwipeDown : onSwipeUp;
    if (handler)
        handler();
}

void SystemGestureView::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>&)
{
    auto touch = touches.anyObject();
    if (!touch || !m_tracking)
        return;
    m_tracking = false;
    CGPoint end = touch->locationInView(nullptr);
    if (m_wandered || std::hypot(end.x - m_start.x, end.y - m_start.y) > tapMovement)
        return;
    auto keepAlive = retained<SystemGestureView>();
    if (onTap)
        onTap(touch->locationInView(this));
}

void SystemGestureView::touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>&) { m_tracking = false; }
