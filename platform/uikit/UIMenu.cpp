#include "platform/uikit/UIMenu.h"

#include "platform/uikit/UIAction.h"

#include <algorithm>

MARQEL_DEFINE_CLASS(UIMenu, method<&UIMenu::title>("title"))

std::shared_ptr<UIMenu> UIMenu::menuWithTitle(const std::string& title, std::vector<std::shared_ptr<UIAction>> children)
{
    auto menu = alloc<UIMenu>();
    menu->m_title = title;
    std::erase(children, nullptr);
    menu->m_children = std::move(children);
    return menu;
}
