#include "platform/uikit/UINavigationItem.h"

#include "platform/uikit/UIBarButtonItem.h"

MARQEL_DEFINE_CLASS(UINavigationItem,
    method<&UINavigationItem::title>("title"),
    method<&UINavigationItem::setTitle>("setTitle:"),
    method<&UINavigationItem::rightBarButtonItem>("rightBarButtonItem"),
    method<&UINavigationItem::setRightBarButtonItem>("setRightBarButtonItem:"),
    method<&UINavigationItem::setLeftBarButtonItem>("setLeftBarButtonItem:"))

void UINavigationItem::changed()
{
    if (m_onChange)
        m_onChange();
}

void UINavigationItem::setTitle(const std::string& title)
{
    m_title = title;
    changed();
}

void UINavigationItem::setRightBarButtonItems(std::vector<std::shared_ptr<UIBarButtonItem>> items)
{
    std::erase(items, nullptr);
    m_right = std::move(items);
    changed();
}

void UINavigationItem::setRightBarButtonItem(const std::shared_ptr<UIBarButtonItem>& item)
{
    setRightBarButtonItems(item ? std::vector { item } : std::vector<std::shared_ptr<UIBarButtonItem>> {});
}

void UINavigationItem::setLeftBarButtonItems(std::vector<std::shared_ptr<UIBarButtonItem>> items)
{
    std::erase(items, nullptr);
    m_left = std::move(items);
    changed();
}

void UINavigationItem::setLeftBarButtonItem(const std::shared_ptr<UIBarButtonItem>& item)
{
    setLeftBarButtonItems(item ? std::vector { item } : std::vector<std::shared_ptr<UIBarButtonItem>> {});
}
