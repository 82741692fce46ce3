#pragma once

// What a long press on an item opens: the action provider builds the menu
// anew each time the menu opens, so its actions see the data of that
// moment.
// FIXME: preview providers are not supported; the menu shows beside the
// pressed item itself.

#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/Forward.h"

#include <functional>
#include <string>

class UIContextMenuConfiguration : public Object {
    MARQEL_OBJECT(UIContextMenuConfiguration, Object)
public:
    using ActionProvider = std::function<std::shared_ptr<UIMenu>()>;

    UIContextMenuConfiguration() = default;
    static std::shared_ptr<UIContextMenuConfiguration> configurationWithIdentifier(const std::string& identifier,
        ActionProvider actionProvider);

    const std::string& identifier() const { return m_identifier; }
    // Null when there is no provider or it gives no menu.
    std::shared_ptr<UIMenu> makeMenu() const;

private:
    std::string m_identifier;
    ActionProvider m_actionProvider;
};
