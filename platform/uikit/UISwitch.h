#pragma once

// An on/off switch: a tap that ends on it flips it and sends value-changed.

#include "platform/uikit/LayerContentSource.h"
#include "platform/uikit/UIControl.h"

class UISwitch : public UIControl, public LayerContentSource {
    MARQEL_OBJECT(UISwitch, UIControl)
public:
    UISwitch()
        : UISwitch(CGRectZero)
    {
    }
    // The switch keeps its fixed size, as on the phone; only the origin is
    // taken from the frame.
    explicit UISwitch(CGRect frame);

    bool isOn() const { return m_on; }
    // Programmatic changes send no value-changed event, as in UIKit.
    void setOn(bool on) { m_on = on; }
    void setOn(bool on, bool animated);
    const std::shared_ptr<UIColor>& onTintColor() const { return m_onTintColor; }
    void setOnTintColor(std::shared_ptr<UIColor> color) { m_onTintColor = std::move(color); }

    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    LayerContent layerContent() const override;

private:
    bool m_on = false;
    std::shared_ptr<UIColor> m_onTintColor;
};
