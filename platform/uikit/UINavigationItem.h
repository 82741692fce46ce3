#pragma once

// What a navigation bar shows for a controller: its title and bar items.

#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/Forward.h"

#include <functional>
#include <string>
#include <vector>

class UINavigationItem : public Object {
    MARQEL_OBJECT(UINavigationItem, Object)
public:
    UINavigationItem() = default;

    const std::string& title() const { return m_title; }
    void setTitle(const std::string& title);
    // Right items are laid out from the right edge inwards, first item
    // outermost, as UIKit does.
    const std::vector<std::shared_ptr<UIBarButtonItem>>& rightBarButtonItems() const { return m_right; }
    void setRightBarButtonItems(std::vector<std::shared_ptr<UIBarButtonItem>> items);
    std::shared_ptr<UIBarButtonItem> rightBarButtonItem() const { return m_right.empty() ? nullptr : m_right.front(); }
    void setRightBarButtonItem(const std::shared_ptr<UIBarButtonItem>& item);
    const std::vector<std::shared_ptr<UIBarButtonItem>>& leftBarButtonItems() const { return m_left; }
    void setLeftBarButtonItems(std::vector<std::shared_ptr<UIBarButtonItem>> items);
    void setLeftBarButtonItem(const std::shared_ptr<UIBarButtonItem>& item);

    // The bar showing this item listens here to refresh itself.
    void setChangeHandler(std::function<void()> handler) { m_onChange = std::move(handler); }

private:
    void changed();

    std::string m_title;
    std::vector<std::shared_ptr<UIBarButtonItem>> m_right;
    std::vector<std::shared_ptr<UIBarButtonItem>> m_left;
    std::function<void()> m_onChange;
};
