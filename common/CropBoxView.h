#pragma once

#include "common/BoxGeometry.h"
#include "platform/uikit/UIKit.h"

#include <memory>
#include <vector>

// What the overlay's crop box and its twin in the settings bundle share: the
// outline, the twelve handle bars, the size read-out and the touch sequence
// that moves or resizes the box. Not a class of the runtime: each twin
// registers itself under its own name with the platform view class as its
// superclass, and adds only what sets it apart.
class CropBoxView : public UIView {
public:
    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) final;
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) final;
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) final;
    // A sequence the system takes over ends like a lifted finger, so the
    // editor never stays with its bars hidden.
    void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) final;

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

    BoxGeometry::Region touchedRegion() const { return m_tl; }
    const std::vector<std::shared_ptr<UIView>>& handles() const { return m_handles; }

protected:
    // When the read-out appears at touch begin, against the message that
    // tells the controller of the touch.
    enum class ReadoutAtBegin {
        AfterTheMessage,
        BeforeTheMessage,
    };

    // The selectors of the twin's delegate protocol, in the order a drag
    // sends them.
    struct AreaMessages {
        const char* beginResizeArea;
        const char* resizeAreaFrameChanged;
        const char* didFinishedResizeArea;
    };

    CropBoxView(AreaMessages messages, ReadoutAtBegin order)
        : m_messages(messages)
        , m_readoutAtBegin(order)
    {
    }

    // The construction both boxes share: frame, colours and line style from
    // the preferences, the outline, the handle bars and the hidden read-out.
    void buildBox(CGRect frame);
    // Fits the outline to the box's current size.
    void refitOutline();

private:
    void showReadout(CGSize size);
    void finishTouch();

    CGPoint m_startTL {};
    CGPoint m_currentTL {};
    CGPoint m_startParentTL {};
    CGPoint m_currentParentTL {};
    CGRect m_startFrame {};
    CGPoint m_startCenter {};
    BoxGeometry::Region m_tl = BoxGeometry::Region::Move;
    std::shared_ptr<UILabel> m_rectLabel;
    std::shared_ptr<CAShapeLayer> m_dashBorder;
    std::weak_ptr<Object> m_delegate;
    std::shared_ptr<UIColor> m_handlerColour;
    std::shared_ptr<UIColor> m_borderColour;
    std::vector<std::shared_ptr<UIView>> m_handles;
    AreaMessages m_messages;
    ReadoutAtBegin m_readoutAtBegin;
};
