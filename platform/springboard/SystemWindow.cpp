#include "platform/springboard/SystemWindow.h"

#include "platform/uikit/UIColor.h"

MARQEL_DEFINE_CLASS(SystemWindow)

SystemWindow::SystemWindow(CGRect frame, UIWindowLevel level, Touches touches)
    : UIWindow(frame)
    , m_touches(touches)
{
    setWindowLevel(level);
    setBackgroundColor(UIColor::clearColor());
}

std::shared_ptr<UIView> SystemWindow::hitTest(CGPoint point, const std::shared_ptr<UIEvent>& event)
{
    auto hit = UIWindow::hitTest(point, event);
    if (m_touches == Touches::OnInteractiveViewsOnly && hit.get() == this)
        return nullptr;
    return hit;
}
