#pragma once

// A navigation bar item. The bar shows it as a button: the item's custom
// view, or a system button built from its title or image that sends the
// item's action to its target on touch-up-inside (a null target searches
// the responder chain, as controls do).

#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/Forward.h"

#include <string>

enum UIBarButtonItemStyle : std::int64_t {
    UIBarButtonItemStylePlain = 0,
    UIBarButtonItemStyleDone = 2,
};

enum UIBarButtonSystemItem : std::int64_t {
    UIBarButtonSystemItemDone = 0,
    UIBarButtonSystemItemCancel = 1,
    UIBarButtonSystemItemEdit = 2,
    UIBarButtonSystemItemSave = 3,
    UIBarButtonSystemItemAdd = 4,
    UIBarButtonSystemItemTrash = 16,
    UIBarButtonSystemItemClose = 24,
};

class UIBarButtonItem : public Object {
    MARQEL_OBJECT(UIBarButtonItem, Object)
public:
    UIBarButtonItem() = default;
    explicit UIBarButtonItem(std::shared_ptr<UIView> customView);  // initWithCustomView:
    static std::shared_ptr<UIBarButtonItem> itemWithTitle(const std::string& title, UIBarButtonItemStyle style,
        const id& target, SEL action);
    static std::shared_ptr<UIBarButtonItem> itemWithImage(std::shared_ptr<UIImage> image, UIBarButtonItemStyle style,
        const id& target, SEL action);
    static std::shared_ptr<UIBarButtonItem> itemWithBarButtonSystemItem(UIBarButtonSystemItem item, const id& target,
        SEL action);

    const std::shared_ptr<UIView>& customView() const { return m_customView; }
    const std::string& title() const { return m_title; }
    const std::shared_ptr<UIImage>& image() const { return m_image; }
    UIBarButtonItemStyle style() const { return m_style; }
    SEL action() const { return m_action; }
    id target() const { return m_target.lock(); }

    // The view the bar places for this item (made once).
    std::shared_ptr<UIView> barView();

private:
    std::shared_ptr<UIView> m_customView;
    std::string m_title;
    std::shared_ptr<UIImage> m_image;
    UIBarButtonItemStyle m_style = UIBarButtonItemStylePlain;
    std::weak_ptr<Object> m_target;
    bool m_hasTarget = false;
    SEL m_action = nullptr;
    std::shared_ptr<UIView> m_button;
};
