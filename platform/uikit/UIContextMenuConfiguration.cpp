#include "platform/uikit/UIContextMenuConfiguration.h"

#include "platform/uikit/UIMenu.h"

MARQEL_DEFINE_CLASS(UIContextMenuConfiguration)

std::shared_ptr<UIContextMenuConfiguration> UIContextMenuConfiguration::configurationWithIdentifier(
    const std::string& identifier, ActionProvider actionProvider)
{
    auto configuration = alloc<UIContextMenuConfiguration>();
    configuration->m_identifier = identifier;
    configuration->m_actionProvider = std::move(actionProvider);
    return configuration;
}

std::shared_ptr<UIMenu> UIContextMenuConfiguration::makeMenu() const
{
    return m_actionProvider ? m_actionProvider() : nullptr;
}
