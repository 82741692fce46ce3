#pragma once

// A titled list of actions, as a context menu shows it.
// FIXME: nested menus and inline sections are not supported; children are
// actions only.

#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/Forward.h"

#include <string>
#include <vector>

class UIMenu : public Object {
    MARQEL_OBJECT(UIMenu, Object)
public:
    UIMenu() = default;
    static std::shared_ptr<UIMenu> menuWithTitle(const std::string& title, std::vector<std::shared_ptr<UIAction>> children);

    const std::string& title() const { return m_title; }
    const std::vector<std::shared_ptr<UIAction>>& children() const { return m_children; }

private:
    std::string m_title;
    std::vector<std::shared_ptr<UIAction>> m_children;
};
