#pragma once

#include "platform/uikit/Forward.h"

#include <initializer_list>
#include <vector>

// The set of touches a handler receives (an NSSet of touches on the phone).
class UITouchSet {
public:
    UITouchSet() = default;
    UITouchSet(std::initializer_list<std::shared_ptr<UITouch>> touches)
        : m_touches(touches)
    {
    }

    // Any one touch of the set; null when empty.
    std::shared_ptr<UITouch> anyObject() const { return m_touches.empty() ? nullptr : m_touches.front(); }
    std::size_t count() const { return m_touches.size(); }
    bool empty() const { return m_touches.empty(); }
    bool containsObject(const std::shared_ptr<UITouch>& touch) const;
    void addObject(std::shared_ptr<UITouch> touch);
    void removeAllObjects() { m_touches.clear(); }
    auto begin() const { return m_touches.begin(); }
    auto end() const { return m_touches.end(); }

private:
    std::vector<std::shared_ptr<UITouch>> m_touches;
};
