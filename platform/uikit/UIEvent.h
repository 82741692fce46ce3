#pragma once

// An event: for touches, the set of touches that changed and when.

#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UITouchSet.h"

enum UIEventType : std::int64_t {
    UIEventTypeTouches = 0,
};

class UIEvent : public Object {
    MARQEL_OBJECT(UIEvent, Object)
public:
    UIEvent() = default;

    UIEventType type() const { return UIEventTypeTouches; }
    double timestamp() const { return m_timestamp; }
    void setTimestamp(double timestamp) { m_timestamp = timestamp; }
    const UITouchSet& allTouches() const { return m_touches; }
    UITouchSet& touches() { return m_touches; }
    // The touches of the set that were hit-tested to `view`.
    UITouchSet touchesForView(const UIView* view) const;

private:
    double m_timestamp = 0;
    UITouchSet m_touches;
};
