#pragma once

// Controls: target-action and the touch tracking that decides which control
// events fire. A registration without a target sends its action up the
// responder chain when the event fires (the control, its superviews nearest
// first, its view controller, ...); the first responder that implements the
// action receives it. A registered target is not owned: once it is gone its
// registrations do nothing.

#include "platform/uikit/UIView.h"

#include <string_view>
#include <vector>

using UIControlEvents = std::uint64_t;
inline constexpr UIControlEvents UIControlEventTouchDown = 1 << 0;
inline constexpr UIControlEvents UIControlEventTouchDownRepeat = 1 << 1;
inline constexpr UIControlEvents UIControlEventTouchDragInside = 1 << 2;
inline constexpr UIControlEvents UIControlEventTouchDragOutside = 1 << 3;
inline constexpr UIControlEvents UIControlEventTouchDragEnter = 1 << 4;
inline constexpr UIControlEvents UIControlEventTouchDragExit = 1 << 5;
inline constexpr UIControlEvents UIControlEventTouchUpInside = 1 << 6;
inline constexpr UIControlEvents UIControlEventTouchUpOutside = 1 << 7;
inline constexpr UIControlEvents UIControlEventTouchCancel = 1 << 8;
inline constexpr UIControlEvents UIControlEventValueChanged = 1 << 12;
inline constexpr UIControlEvents UIControlEventPrimaryActionTriggered = 1 << 13;
inline constexpr UIControlEvents UIControlEventEditingDidBegin = 1 << 16;
inline constexpr UIControlEvents UIControlEventEditingChanged = 1 << 17;
inline constexpr UIControlEvents UIControlEventEditingDidEnd = 1 << 18;
inline constexpr UIControlEvents UIControlEventEditingDidEndOnExit = 1 << 19;
inline constexpr UIControlEvents UIControlEventAllTouchEvents = 0x00000FFF;
inline constexpr UIControlEvents UIControlEventAllEditingEvents = 0x000F0000;
inline constexpr UIControlEvents UIControlEventAllEvents = 0xFFFFFFFF;

using UIControlState = std::uint64_t;
inline constexpr UIControlState UIControlStateNormal = 0;
inline constexpr UIControlState UIControlStateHighlighted = 1 << 0;
inline constexpr UIControlState UIControlStateDisabled = 1 << 1;
inline constexpr UIControlState UIControlStateSelected = 1 << 2;

class UIControl : public UIView {
    MARQEL_OBJECT(UIControl, UIView)
public:
    UIControl()
        : UIControl(CGRectZero)
    {
    }
    explicit UIControl(CGRect frame)
        : UIView(frame)
    {
    }

    void addTarget(const id& target, SEL action, UIControlEvents events);
    void addTarget(const id& target, std::string_view action, UIControlEvents events);
    // A null target removes the action for every target; a null action
    // removes every action of the target.
    void removeTarget(const id& target, SEL action, UIControlEvents events);
    // The actions registered for `target` (null: the responder-chain ones)
    // that `events` would fire.
    std::vector<SEL> actionsForTarget(const id& target, UIControlEvents events) const;
    UIControlEvents allControlEvents() const;
    void sendActionsForControlEvents(UIControlEvents events);
    // Hands one action to the application, which finds the receiver.
    virtual void sendAction(SEL action, const id& target, const std::shared_ptr<UIEvent>& event);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    bool isHighlighted() const { return m_highlighted; }
    virtual void setHighlighted(bool highlighted);
    UIControlState state() const;
    bool isTracking() const { return m_tracking; }
    bool isTouchInside() const { return m_touchInside; }

    // Tracking: down highlights; moving out and back in follows the finger;
    // lifting inside the bounds sends touch-up-inside, outside touch-up-
    // outside. Touches are not passed on to the next responder.
    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

protected:
    // Enabled, selected or highlighted changed.
    virtual void stateDidChange() { }
    bool touchIsInside(const UITouchSet& touches) const;

private:
    struct Registration {
        std::weak_ptr<Object> target;
        bool hasTarget;
        SEL action;
        UIControlEvents events;
    };
    void fire(UIControlEvents events, const std::shared_ptr<UIEvent>& event);

    std::vector<Registration> m_registrations;
    bool m_enabled = true;
    bool m_selected = false;
    bool m_highlighted = false;
    bool m_tracking = false;
    bool m_touchInside = false;
};
