#pragma once

// A slider: a thumb on a track between a minimum and a maximum value. As in
// UIKit, a finger must land on the thumb to move it; dragging sends
// value-changed as it goes (or once, when the finger lifts, for a slider
// that is not continuous). A tap on the bare track does nothing.

#include "platform/uikit/UIControl.h"

class UISlider : public UIControl {
    MARQEL_OBJECT(UISlider, UIControl)
public:
    static constexpr CGFloat defaultHeight = 31;
    static constexpr CGFloat thumbSize = 28;
    static constexpr CGFloat trackHeight = 4;
    // How far around the thumb a finger still takes it, as the phone's.
    static constexpr CGFloat thumbSlop = 10;

    UISlider()
        : UISlider(CGRectZero)
    {
    }
    explicit UISlider(CGRect frame);

    float value() const { return m_value; }
    // Clamped to the range; programmatic changes send no event, as in UIKit.
    void setValue(float value);
    void setValue(float value, bool animated);
    float minimumValue() const { return m_minimumValue; }
    void setMinimumValue(float value);
    float maximumValue() const { return m_maximumValue; }
    void setMaximumValue(float value);
    bool isContinuous() const { return m_continuous; }
    void setContinuous(bool continuous) { m_continuous = continuous; }
    std::shared_ptr<UIColor> minimumTrackTintColor() const { return m_minimumTrackTint; }
    void setMinimumTrackTintColor(std::shared_ptr<UIColor> color);

    // The thumb's frame in this view's coordinates for the current value.
    CGRect thumbRect() const;
    const std::shared_ptr<UIView>& thumbView() const { return m_thumb; }

    void layoutSubviews() override;
    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

private:
    float fraction() const;
    float valueForThumbCentre(CGFloat x) const;
    void followFinger(const UITouchSet& touches);

    float m_value = 0;
    float m_minimumValue = 0;
    float m_maximumValue = 1;
    bool m_continuous = true;
    std::shared_ptr<UIColor> m_minimumTrackTint;
    std::shared_ptr<UIView> m_track;
    std::shared_ptr<UIView> m_filledTrack;
    std::shared_ptr<UIView> m_thumb;
    bool m_draggingThumb = false;
    bool m_movedWhileDragging = false;
    CGFloat m_grabOffset = 0;  // finger x minus thumb centre x, kept while dragging
};
