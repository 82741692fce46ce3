#include "platform/uikit/UITouch.h"

#include "platform/uikit/UIView.h"
#include "platform/uikit/UIWindow.h"

MARQEL_DEFINE_CLASS(UITouch,
    method<&UITouch::phase>("phase"),
    method<&UITouch::timestamp>("timestamp"),
    method<&UITouch::tapCount>("tapCount"),
    method<&UITouch::view>("view"),
    method<&UITouch::window>("window"))

std::shared_ptr<UIView> UITouch::view() const
{
    return m_view.lock();
}

std::shared_ptr<UIWindow> UITouch::window() const
{
    return m_window.lock();
}

void UITouch::setView(const std::shared_ptr<UIView>& view)
{
    m_view = view;
}

void UITouch::setWindow(const std::shared_ptr<UIWindow>& window)
{
    m_window = window;
}

void UITouch::setScreenLocation(CGPoint point, bool keepPrevious)
{
    m_previousScreenLocation = keepPrevious ? m_screenLocation : point;
    m_screenLocation = point;
}

CGPoint UITouch::locationOf(CGPoint screenPoint, const UIView* view) const
{
    if (view)
        return view->convertPointFromScreen(screenPoint);
    if (auto window = m_window.lock())
        return window->convertPointFromScreen(screenPoint);
    return screenPoint;
}

CGPoint UITouch::locationInView(const UIView* view) const
{
    return locationOf(m_screenLocation, view);
}

CGPoint UITouch::previousLocationInView(const UIView* view) const
{
    return locationOf(m_previousScreenLocation, view);
}
