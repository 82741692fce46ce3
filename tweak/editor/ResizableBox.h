#pragma once

#include "platform/uikit/UIKit.h"

#include <cstdint>

// The crop rectangle on the overlay: a stroked outline, twelve handle bars,
// a size read-out, and the raw touch handling that moves it or resizes it
// from one of eight edge and corner regions.
class ResizableBox : public UIView {
    MARQEL_OBJECT(ResizableBox, UIView)
public:
    std::shared_ptr<ResizableBox> initWithFrame(CGRect frame);

    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    // A sequence the system takes over ends like a lifted finger, so the
    // overlay never stays with its tool bars hidden.
    void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void updateDashFrame();

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
