#pragma once

// A single tap: one finger goes down on the view and comes up still inside
// it without having wandered further than `allowableMovement` points.

#include "platform/uikit/UIGestureRecognizer.h"

class UITapGestureRecognizer : public UIGestureRecognizer {
    MARQEL_OBJECT(UITapGestureRecognizer, UIGestureRecognizer)
public:
    static constexpr CGFloat allowableMovement = 10;

    UITapGestureRecognizer() = default;
    UITapGestureRecognizer(const id& target, std::string_view action)
        : UIGestureRecognizer(target, action)
    {
    }

    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void reset() override;

private:
    CGPoint m_start = CGPointZero;
    bool m_tracking = false;
};
