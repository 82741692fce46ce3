#include "platform/uikit/UISlider.h"

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UITouchSet.h"

#include <algorithm>
#include <cmath>

MARQEL_DEFINE_CLASS(UISlider,
    method<&UISlider::value>("value"),
    method<static_cast<void (UISlider::*)(float, bool)>(&UISlider::setValue)>("setValue:animated:"),
    method<&UISlider::minimumValue>("minimumValue"),
    method<&UISlider::maximumValue>("maximumValue"))

UISlider::UISlider(CGRect frame)
    : UIControl(frame)
{
    auto track = UIColor::colorWithRed(0.47, 0.47, 0.50, 0.24);
    m_track = alloc<UIView>(CGRectZero);
    m_track->setBackgroundColor(track);
    m_filledTrack = alloc<UIView>(CGRectZero);
    m_thumb = alloc<UIView>(CGRectZero);
    m_thumb->setBackgroundColor(UIColor::whiteColor());
    m_thumb->layer()->setShadowColor(UIColor::blackColor()->CGColor());
    m_thumb->layer()->setShadowOpacity(0.25);
    m_thumb->layer()->setShadowRadius(2);
    m_thumb->layer()->setShadowOffset(CGSizeMake(0, 1));
    for (const auto& part : { m_track, m_filledTrack, m_thumb }) {
        // The slider takes the touches, never its parts.
        part->setUserInteractionEnabled(false);
        addSubview(part);
    }
    setNeedsLayout();
}

void UISlider::setValue(float value)
{
    if (std::isnan(value))
        return;
    m_value = std::clamp(value, m_minimumValue, std::max(m_minimumValue, m_maximumValue));
    setNeedsLayout();
}

void UISlider::setValue(float value, bool)
{
    setValue(value);
}

void UISlider::setMinimumValue(float value)
{
    if (std::isnan(value))
        return;
    m_minimumValue = value;
    m_maximumValue = std::max(m_maximumValue, value);
    setValue(m_value);
}

void UISlider::setMaximumValue(float value)
{
    if (std::isnan(value))
        return;
    m_maximumValue = value;
    m_minimumValue = std::min(m_minimumValue, value);
    setValue(m_value);
}

void UISlider::setMinimumTrackTintColor(std::shared_ptr<UIColor> color)
{
    m_minimumTrackTint = std::move(color);
    setNeedsLayout();
}

float UISlider::fraction() const
{
    const float range = m_maximumValue - m_minimumValue;
    return range > 0 ? (m_value - m_minimumValue) / range : 0;
}

CGRect UISlider::thumbRect() const
{
    CGRect b = bounds();
    CGFloat travel = std::max<CGFloat>(0, b.size.width - thumbSize);
    return CGRectMake(b.origin.x + travel * fraction(), b.origin.y + (b.size.height - thumbSize) / 2, thumbSize, thumbSize);
}

float UISlider::valueForThumbCentre(CGFloat x) const
{
    CGRect b = bounds();
    CGFloat travel = b.size.width - thumbSize;
    if (travel <= 0)
        return m_minimumValue;
    CGFloat f = std::clamp<CGFloat>((x - b.origin.x - thumbSize / 2) / travel, 0, 1);
    return m_minimumValue + static_cast<float>(f) * (m_maximumValue - m_minimumValue);
}

void UISlider::layoutSubviews()
{
    CGRect b = bounds();
    CGRect thumb = thumbRect();
    CGFloat trackY = b.origin.y + (b.size.height - trackHeight) / 2;
    m_track->setFrame(CGRectMake(b.origin.x, trackY, b.size.width, trackHeight));
    m_track->layer()->setCornerRadius(trackHeight / 2);
    m_filledTrack->setFrame(CGRectMake(b.origin.x, trackY, CGRectGetMidX(thumb) - b.origin.x, trackHeight));
    m_filledTrack->layer()->setCornerRadius(trackHeight / 2);
    m_filledTrack->setBackgroundColor(m_minimumTrackTint ? m_minimumTrackTint : tintColor());
    m_thumb->setFrame(thumb);
    m_thumb->layer()->setCornerRadius(thumbSize / 2);
}

void UISlider::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    UIControl::touchesBegan(touches, event);
    m_draggingThumb = false;
    m_movedWhileDragging = false;
    auto touch = touches.anyObject();
    if (!touch || !isEnabled())
        return;
    CGPoint at = touch->locationInView(this);
    CGRect grab = CGRectInset(thumbRect(), -thumbSlop, -thumbSlop);
    if (!CGRectContainsPoint(grab, at))
        return;
    m_draggingThumb = true;
    m_grabOffset = at.x - CGRectGetMidX(thumbRect());
}

void UISlider::followFinger(const UITouchSet& touches)
{
    auto touch = touches.anyObject();
    if (!touch)
        return;
    float before = m_value;
    setValue(valueForThumbCentre(touch->locationInView(this).x - m_grabOffset));
    if (m_value != before) {
        m_movedWhileDragging = true;
        if (m_continuous)
            sendActionsForControlEvents(UIControlEventValueChanged);
    }
}

void UISlider::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    UIControl::touchesMoved(touches, event);
    if (m_draggingThumb)
        followFinger(touches);
}

void UISlider::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    if (m_draggingThumb) {
        followFinger(touches);
        if (m_movedWhileDragging && !m_continuous)
            sendActionsForControlEvents(UIControlEventValueChanged);
    }
    m_draggingThumb = false;
    UIControl::touchesEnded(touches, event);
}

void UISlider::touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    m_draggingThumb = false;
    UIControl::touchesCancelled(touches, event);
}
