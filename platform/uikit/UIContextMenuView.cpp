#include "platform/uikit/UIContextMenuView.h"

#include "platform/uikit/UIAction.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIMenu.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UITouchSet.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>

MARQEL_DEFINE_CLASS(UIContextMenuView, method<&UIContextMenuView::dismissMenu>("dismissMenu"))

namespace {
constexpr CGFloat sidePadding = 16;
constexpr CGFloat symbolSize = 20;
constexpr CGFloat separatorHeight = 0.5;
constexpr CGFloat cornerRadius = 13;

std::shared_ptr<UIColor> menuColour()
{
    return UIColor::colorWithLightColor({ 1, 1, 1, 1 }, { 44 / 255.0, 44 / 255.0, 46 / 255.0, 1 });
}
}  // namespace

// A layer's colours are resolved when set, so the edge is set again when
// the appearance changes.
void UIContextMenuView::applyEdgeColour()
{
    m_card->layer()->setBorderWidth(separatorHeight);
    m_card->layer()->setBorderColor(UIColor::separatorColor()->CGColor());
}

void UIContextMenuView::traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous)
{
    UIView::traitCollectionDidChange(previous);
    if (m_card)
        applyEdgeColour();
}

UIContextMenuView::UIContextMenuView(std::shared_ptr<UIMenu> menu, CGRect windowBounds, CGRect source)
    : UIView(windowBounds)
    , m_menu(std::move(menu))
{
    setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    setBackgroundColor(UIColor::blackColor()->colorWithAlphaComponent(0.2));

    std::vector<std::shared_ptr<UIAction>> shown;
    for (const auto& action : m_menu ? m_menu->children() : std::vector<std::shared_ptr<UIAction>> {})
        if (!action->isHidden())
            shown.push_back(action);
    const bool titled = m_menu && !m_menu->title().empty();
    const CGFloat height = (titled ? headerHeight : 0) + rowHeight * static_cast<CGFloat>(shown.size());

    // Under the item when there is room, else above it, and always inside
    // the window.
    const CGFloat width = std::min(cardWidth, std::max<CGFloat>(windowBounds.size.width - 2 * margin, 0));
    CGFloat x = std::clamp(CGRectGetMinX(source), margin, std::max(margin, windowBounds.size.width - width - margin));
    CGFloat y = CGRectGetMaxY(source) + margin;
    if (y + height > windowBounds.size.height - margin)
        y = CGRectGetMinY(source) - margin - height;
    y = std::clamp(y, margin, std::max(margin, windowBounds.size.height - height - margin));

    // The menu floats above what it was opened on: a lighter surface than
    // any card behind it, a soft shadow under it (on a view of its own, as
    // the card clips) and a hairline edge, so it stands out in dark
    // appearance too, where a shadow alone is lost on black.
    const CGRect cardFrame = CGRectMake(x, y, width, height);
    m_shadow = add<UIView>(cardFrame);
    m_shadow->setBackgroundColor(menuColour());
    m_shadow->layer()->setCornerRadius(cornerRadius);
    m_shadow->layer()->setCornerCurve(kCACornerCurveContinuous);
    m_shadow->layer()->setShadowColor(UIColor::blackColor()->CGColor());
    m_shadow->layer()->setShadowOpacity(0.3);
    m_shadow->layer()->setShadowRadius(16);
    m_shadow->layer()->setShadowOffset({ 0, 6 });
    m_card = add<UIView>(cardFrame);
    m_card->setBackgroundColor(menuColour());
    m_card->layer()->setCornerRadius(cornerRadius);
    m_card->layer()->setCornerCurve(kCACornerCurveContinuous);
    m_card->setClipsToBounds(true);
    applyEdgeColour();

    CGFloat top = 0;
    if (titled) {
        auto header = m_card->add<UILabel>(CGRectMake(sidePadding, 0, width - 2 * sidePadding, headerHeight));
        header->setText(m_menu->title());
        header->setFont(UIFont::systemFontOfSize(13));
        header->setTextColor(UIColor::secondaryLabelColor());
        top = headerHeight;
    }
    for (const auto& action : shown) {
        auto separator = m_card->add<UIView>(CGRectMake(0, top, width, separatorHeight));
        separator->setBackgroundColor(UIColor::separatorColor());
        auto row = m_card->add<UIView>(CGRectMake(0, top, width, rowHeight));
        auto colour = action->isDestructive() ? UIColor::systemRedColor() : UIColor::labelColor();
        if (action->isDisabled())
            colour = UIColor::tertiaryLabelColor();
        const CGFloat textWidth = width - 2 * sidePadding - (action->image() ? symbolSize + sidePadding : 0);
        auto title = row->add<UILabel>(CGRectMake(sidePadding, 0, std::max<CGFloat>(textWidth, 0), rowHeight));
        title->setText(action->title());
        title->setTextColor(colour);
        if (action->image()) {
            auto icon = row->add<UIImageView>(CGRectMake(width - sidePadding - symbolSize, (rowHeight - symbolSize) / 2,
                symbolSize, symbolSize));
            icon->setImage(action->image());
            icon->setContentMode(UIViewContentModeScaleAspectFit);
            icon->setTintColor(colour);
        }
        m_rows.push_back(row);
        m_rowActions.push_back(action);
        top += rowHeight;
    }
}

void UIContextMenuView::showInWindow(const std::shared_ptr<UIWindow>& window)
{
    if (!window)
        return;
    setFrame(window->bounds());
    window->addSubview(retained<UIView>());
}

bool UIContextMenuView::chooseActionWithTitle(const std::string& title)
{
    if (!isShown())
        return false;
    for (const auto& action : m_rowActions) {
        if (action->title() == title && !action->isDisabled()) {
            chooseAction(action);
            return true;
        }
    }
    return false;
}

void UIContextMenuView::chooseAction(const std::shared_ptr<UIAction>& action)
{
    auto keepAlive = retained<UIContextMenuView>();
    dismissMenu();
    if (action)
        action->perform();
}

void UIContextMenuView::dismissMenu()
{
    if (!isShown())
        return;
    auto keepAlive = retained<UIContextMenuView>();
    removeFromSuperview();
    if (auto handler = std::move(m_onDismiss))
        handler();
}

void UIContextMenuView::touchesBegan(const UITouchSet&, const std::shared_ptr<UIEvent>&)
{
    // Claimed here so nothing behind the menu sees the touch.
}

void UIContextMenuView::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>&)
{
    auto touch = touches.anyObject();
    if (!touch)
        return;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        CGPoint point = touch->locationInView(m_rows[i].get());
        if (CGRectContainsPoint(m_rows[i]->bounds(), point)) {
            if (!m_rowActions[i]->isDisabled())
                chooseAction(m_rowActions[i]);
            return;
        }
    }
    if (!CGRectContainsPoint(m_card->bounds(), touch->locationInView(m_card.get())))
        dismissMenu();
}
