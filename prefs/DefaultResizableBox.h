#pragma once

#include "platform/uikit/UIKit.h"

#include <cstdint>

// The settings bundle's own crop box, on which the user places the default
// rectangle: the overlay's box in every respect but two. It shows its size
// read-out before telling its controller that a touch began, and nothing
// resizes it from outside, so it has no outline refit of its own to offer.
class DefaultResizableBox : public UIView {
    MARQEL_OBJECT(DefaultResizableBox, UIView)
public:
    std::shared_ptr<DefaultResizableBox> initWithFrame(CGRect frame);

    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    // A sequence the system takes over ends like a lifted finger, so the
    // editor never stays with its Cancel and Save bar hidden.
    void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

    std::shared_ptr<UILabel> rectLabel() const { return m_rectLabel; }
    void setRectLabel(const std::shared_ptr<UILabel>& label) { m_rectLabel = label; }
    std::shared_ptr<CAShapeLayer> dashBorder() const { return m_dashBorder; }
    void setDashBorder(const std::shared_ptr<CAShapeLayer>& layer) { m_dashBorder = layer; }
    id delegate() const { return m_delegate.lock(); }
    void setDelegate(const id& delegate) { m_delegate = delegate; }
    std::shared_ptr<UIColor> handlerColour() const { return m_handlerColour; }
    void setHandlerColour(const std::shared_ptr<UIColor>& colour) { m_handlerColour = colour; }
    std::shared_ptr<UIColor> borderColour() const { return m_borderColour; }
    void setBorderColour(const std::shared_ptr<UIColor>& colour) { m_borderColour = colour; }

    std::int32_t touchedRegion() const { return m_tl; }
    const std::vector<std::shared_ptr<UIView>>& handles() const { return m_handles; }

private:
    void refitOutline();
    void finishTouch();

    CGPoint m_startTL;
    CGPoint m_currentTL;
    CGPoint m_startParentTL;
    CGPoint m_currentParentTL;
    CGRect m_startFrame;
    CGPoint m_startCenter;
    std::int32_t m_tl = 8;
    std::shared_ptr<UILabel> m_rectLabel;
    std::shared_ptr<CAShapeLayer> m_dashBorder;
    std::weak_ptr<Object> m_delegate;
    std::shared_ptr<UIColor> m_handlerColour;
    std::shared_ptr<UIColor> m_borderColour;
    std::vector<std::shared_ptr<UIView>> m_handles;
};
