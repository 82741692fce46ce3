#include "platform/uikit/UITapGestureRecognizer.h"

#include "platform/uikit/UITouch.h"
#include "platform/uikit/UITouchSet.h"
#include "platform/uikit/UIView.h"

#include <cmath>

MARQEL_DEFINE_CLASS(UITapGestureRecognizer)

void UITapGestureRecognizer::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    UIGestureRecognizer::touchesBegan(touches, event);
    if (!isEnabled() || touches.count() != 1 || m_tracking) {
        // A second finger makes it something other than a tap.
        m_tracking = false;
        setState(UIGestureRecognizerStateFailed);
        return;
    }
    reset();
    m_tracking = true;
    m_start = touches.anyObject()->screenLocation();
}

void UITapGestureRecognizer::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    UIGestureRecognizer::touchesMoved(touches, event);
    if (!m_tracking)
        return;
    CGPoint now = touches.anyObject()->screenLocation();
    if (std::hypot(now.x - m_start.x, now.y - m_start.y) > allowableMovement) {
        m_tracking = false;
        setState(UIGestureRecognizerStateFailed);
    }
}

void UITapGestureRecognizer::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    UIGestureRecognizer::touchesEnded(touches, event);
    if (!m_tracking)
        return;
    m_tracking = false;
    CGPoint end = touches.anyObject()->screenLocation();
    auto attached = view();
    bool inside = attached && CGRectContainsPoint(attached->bounds(), attached->convertPointFromScreen(end));
    if (!inside || std::hypot(end.x - m_start.x, end.y - m_start.y) > allowableMovement) {
        setState(UIGestureRecognizerStateFailed);
        return;
    }
    setState(UIGestureRecognizerStateRecognized);
}

void UITapGestureRecognizer::touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    m_tracking = false;
    UIGestureRecognizer::touchesCancelled(touches, event);
}

void UITapGestureRecognizer::reset()
{
    m_tracking = false;
    UIGestureRecognizer::reset();
}
