#include "platform/uikit/UISegmentedControl.h"

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UITouchSet.h"

#include <algorithm>
#include <cmath>

MARQEL_DEFINE_CLASS(UISegmentedControl,
    method<&UISegmentedControl::numberOfSegments>("numberOfSegments"),
    method<&UISegmentedControl::selectedSegmentIndex>("selectedSegmentIndex"),
    method<&UISegmentedControl::setSelectedSegmentIndex>("setSelectedSegmentIndex:"))

namespace {
// The track and the raised thumb of the chosen segment, in both appearances.
std::shared_ptr<UIColor> trackColour()
{
    return UIColor::colorWithLightColor({ 118 / 255.0, 118 / 255.0, 128 / 255.0, 0.12 }, { 118 / 255.0, 118 / 255.0, 128 / 255.0, 0.24 });
}
std::shared_ptr<UIColor> thumbColour()
{
    return UIColor::colorWithLightColor({ 1, 1, 1, 1 }, { 99 / 255.0, 99 / 255.0, 102 / 255.0, 1 });
}
constexpr CGFloat thumbInset = 2;
}  // namespace

UISegmentedControl::UISegmentedControl(std::vector<std::string> items)
    : UIControl(CGRectMake(0, 0, 0, defaultHeight))
    , m_titles(std::move(items))
{
    setBackgroundColor(trackColour());
    layer()->setCornerRadius(8);
    m_thumb = add<UIView>();
    m_thumb->setUserInteractionEnabled(false);
    m_thumb->setBackgroundColor(thumbColour());
    m_thumb->layer()->setCornerRadius(7);
    m_thumb->setHidden(true);
    for (const auto& title : m_titles) {
        auto label = add<UILabel>();
        label->setText(title);
        label->setTextAlignment(NSTextAlignmentCenter);
        m_labels.push_back(label);
    }
    CGRect b = bounds();
    b.size = sizeThatFits(b.size);
    setBounds(b);
    refresh();
}

std::string UISegmentedControl::titleForSegmentAtIndex(std::int64_t index) const
{
    if (index < 0 || index >= numberOfSegments())
        return "";
    return m_titles[static_cast<std::size_t>(index)];
}

void UISegmentedControl::setTitle(const std::string& title, std::int64_t index)
{
    if (index < 0 || index >= numberOfSegments())
        return;
    m_titles[static_cast<std::size_t>(index)] = title;
    m_labels[static_cast<std::size_t>(index)]->setText(title);
}

std::shared_ptr<UILabel> UISegmentedControl::labelForSegmentAtIndex(std::int64_t index) const
{
    if (index < 0 || index >= numberOfSegments())
        return nullptr;
    return m_labels[static_cast<std::size_t>(index)];
}

void UISegmentedControl::setSelectedSegmentIndex(std::int64_t index)
{
    m_selected = (index >= 0 && index < numberOfSegments()) ? index : noSegment;
    refresh();
}

void UISegmentedControl::setSelectedSegmentTintColor(std::shared_ptr<UIColor> color)
{
    m_selectedTint = std::move(color);
    refresh();
}

std::int64_t UISegmentedControl::segmentAtPoint(CGPoint point) const
{
    CGRect b = bounds();
    if (m_titles.empty() || b.size.width <= 0 || !CGRectContainsPoint(b, point))
        return noSegment;
    CGFloat width = b.size.width / static_cast<CGFloat>(m_titles.size());
    auto index = static_cast<std::int64_t>(std::floor((point.x - b.origin.x) / width));
    return std::clamp<std::int64_t>(index, 0, numberOfSegments() - 1);
}

void UISegmentedControl::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    bool chooses = isTracking() && isEnabled() && touchIsInside(touches);
    auto touch = touches.anyObject();
    UIControl::touchesEnded(touches, event);
    if (!chooses || !touch)
        return;
    std::int64_t index = segmentAtPoint(touch->locationInView(this));
    if (index == noSegment || index == m_selected)
        return;
    m_selected = index;
    refresh();
    sendActionsForControlEvents(UIControlEventValueChanged);
}

void UISegmentedControl::refresh()
{
    for (std::size_t i = 0; i < m_labels.size(); ++i) {
        bool chosen = static_cast<std::int64_t>(i) == m_selected;
        m_labels[i]->setFont(UIFont::systemFontOfSize(13, chosen ? UIFontWeightSemibold : UIFontWeightRegular));
        m_labels[i]->setTextColor(chosen && m_selectedTint ? UIColor::whiteColor() : UIColor::labelColor());
    }
    m_thumb->setBackgroundColor(m_selectedTint ? m_selectedTint : thumbColour());
    m_thumb->setHidden(m_selected == noSegment);
    setNeedsLayout();
}

void UISegmentedControl::layoutSubviews()
{
    CGRect b = bounds();
    if (m_titles.empty())
        return;
    CGFloat width = b.size.width / static_cast<CGFloat>(m_titles.size());
    for (std::size_t i = 0; i < m_labels.size(); ++i)
        m_labels[i]->setFrame(CGRectMake(b.origin.x + width * static_cast<CGFloat>(i), b.origin.y, width, b.size.height));
    if (m_selected != noSegment)
        m_thumb->setFrame(CGRectMake(b.origin.x + width * static_cast<CGFloat>(m_selected) + thumbInset,
            b.origin.y + thumbInset, width - 2 * thumbInset, b.size.height - 2 * thumbInset));
}

CGSize UISegmentedControl::sizeThatFits(CGSize) const
{
    // Every segment as wide as the widest title, with room around it.
    CGFloat widest = 0;
    for (const auto& label : m_labels)
        widest = std::max(widest, label->sizeThatFits(CGSizeZero).width);
    return { std::ceil((widest + 24) * static_cast<CGFloat>(std::max<std::size_t>(m_titles.size(), 1))), defaultHeight };
}
