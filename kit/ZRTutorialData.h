#pragma once

// One page of a tutorial: its text and the system symbol shown beside it.

#include "platform/runtime/ClassBuilder.h"

#include <string>

class ZRTutorialData : public Object {
    MARQEL_OBJECT(ZRTutorialData, Object)
public:
    ZRTutorialData() = default;
    // initWithDescription:icon:
    ZRTutorialData(std::string description, std::string icon)
        : m_descriptionText(std::move(description))
        , m_icon(std::move(icon))
    {
    }

    // Named apart from the root class's own description.
    const std::string& descriptionText() const { return m_descriptionText; }
    const std::string& icon() const { return m_icon; }

private:
    std::string m_descriptionText;
    std::string m_icon;
};
