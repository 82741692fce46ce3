#include "platform/uikit/UITouchSet.h"

#include "platform/uikit/UITouch.h"

#include <algorithm>

bool UITouchSet::containsObject(const std::shared_ptr<UITouch>& touch) const
{
    return std::find(m_touches.begin(), m_touches.end(), touch) != m_touches.end();
}

void UITouchSet::addObject(std::shared_ptr<UITouch> touch)
{
    if (touch && !containsObject(touch))
        m_touches.push_back(std::move(touch));
}
