#pragma once

#include "platform/uikit/UIKit.h"

// The round, white, icon-only button of the overlay's tool bar. It dims and
// shrinks a little while pressed, and on touch-up inside sends its action
// up the responder chain (it holds no target).
class MarqelToolButton : public UIControl {
    MARQEL_OBJECT(MarqelToolButton, UIControl)
public:
    std::shared_ptr<MarqelToolButton> initWithIcon(const std::string& icon, const std::shared_ptr<UIColor>& accent, CGFloat size, SEL action);
    void touchAnimateWithHighlighted(bool highlighted);

    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

    std::shared_ptr<UIImageView> icon() const { return m_icon; }
    void setIcon(const std::shared_ptr<UIImageView>& icon) { m_icon = icon; }

private:
    std::shared_ptr<UIImageView> m_icon;
};
