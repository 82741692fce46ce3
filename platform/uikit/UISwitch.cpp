#include "platform/uikit/UISwitch.h"

#include "platform/uikit/UIColor.h"

MARQEL_DEFINE_CLASS(UISwitch,
    method<&UISwitch::isOn>("isOn"),
    method<static_cast<void (UISwitch::*)(bool, bool)>(&UISwitch::setOn)>("setOn:animated:"))

UISwitch::UISwitch(CGRect frame)
    : UIControl(CGRectMake(frame.origin.x, frame.origin.y, 51, 31))
    , m_onTintColor(UIColor::systemGreenColor())
{
}

void UISwitch::setOn(bool on, bool)
{
    m_on = on;
}

LayerContent UISwitch::layerContent() const
{
    return SwitchContent { m_on, m_onTintColor ? m_onTintColor : UIColor::systemGreenColor() };
}

void UISwitch::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    bool flips = isTracking() && isEnabled() && touchIsInside(touches);
    UIControl::touchesEnded(touches, event);
    if (!flips)
        return;
    m_on = !m_on;
    sendActionsForControlEvents(UIControlEventValueChanged);
}
