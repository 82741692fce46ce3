#include "platform/uikit/UIBarButtonItem.h"

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UILabel.h"

#include <algorithm>

MARQEL_DEFINE_CLASS(UIBarButtonItem,
    method<&UIBarButtonItem::customView>("customView"),
    method<&UIBarButtonItem::title>("title"))

UIBarButtonItem::UIBarButtonItem(std::shared_ptr<UIView> customView)
    : m_customView(std::move(customView))
{
}

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::itemWithTitle(const std::string& title, UIBarButtonItemStyle style,
    const id& target, SEL action)
{
    auto item = alloc<UIBarButtonItem>();
    item->m_title = title;
    item->m_style = style;
    item->m_target = target;
    item->m_hasTarget = bool(target);
    item->m_action = action;
    return item;
}

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::itemWithImage(std::shared_ptr<UIImage> image,
    UIBarButtonItemStyle style, const id& target, SEL action)
{
    auto item = itemWithTitle("", style, target, action);
    item->m_image = std::move(image);
    return item;
}

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::itemWithBarButtonSystemItem(UIBarButtonSystemItem systemItem,
    const id& target, SEL action)
{
    switch (systemItem) {
    case UIBarButtonSystemItemDone:
        return itemWithTitle("Done", UIBarButtonItemStyleDone, target, action);
    case UIBarButtonSystemItemCancel:
        return itemWithTitle("Cancel", UIBarButtonItemStylePlain, target, action);
    case UIBarButtonSystemItemEdit:
        return itemWithTitle("Edit", UIBarButtonItemStylePlain, target, action);
    case UIBarButtonSystemItemSave:
        return itemWithTitle("Save", UIBarButtonItemStyleDone, target, action);
    case UIBarButtonSystemItemAdd:
        return itemWithTitle("+", UIBarButtonItemStylePlain, target, action);
    case UIBarButtonSystemItemTrash:
        return itemWithImage(UIImage::systemImageNamed("trash.fill"), UIBarButtonItemStylePlain, target, action);
    case UIBarButtonSystemItemClose:
        return itemWithImage(UIImage::systemImageNamed("xmark"), UIBarButtonItemStylePlain, target, action);
    }
    return itemWithTitle("", UIBarButtonItemStylePlain, target, action);
}

std::shared_ptr<UIView> UIBarButtonItem::barView()
{
    if (m_customView)
        return m_customView;
    if (!m_button) {
        auto button = UIButton::buttonWithType(UIButtonTypeSystem);
        if (m_image)
            button->setImage(m_image, UIControlStateNormal);
        if (!m_title.empty())
            button->setTitle(m_title, UIControlStateNormal);
        if (m_style == UIBarButtonItemStyleDone)
            button->titleLabel()->setFont(UIFont::systemFontOfSize(17, UIFontWeightSemibold));
        if (m_action) {
            // A target that has gone sends nothing, rather than falling back
            // to the responder chain.
            auto target = m_target.lock();
            if (!m_hasTarget || target)
                button->addTarget(target, m_action, UIControlEventTouchUpInside);
        }
        CGSize fit = button->sizeThatFits(CGSizeZero);
        button->setFrame(CGRectMake(0, 0, std::max<CGFloat>(fit.width + 16, 44), 44));
        m_button = button;
    }
    return m_button;
}
