#include "platform/uikit/UIEvent.h"

#include "platform/uikit/UIView.h"

MARQEL_DEFINE_CLASS(UIEvent,
    method<&UIEvent::timestamp>("timestamp"))

UITouchSet UIEvent::touchesForView(const UIView* view) const
{
    UITouchSet result;
    for (const auto& touch : m_touches)
        if (touch->view().get() == view)
            result.addObject(touch);
    return result;
}
