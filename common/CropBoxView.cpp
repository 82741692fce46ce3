#include "common/CropBoxView.h"

#include "common/BoxHandles.h"
#include "common/MarqelPreferences.h"
#include "kit/UIView+ZRLayout.h"

namespace {
namespace P = MarqelPreferences;
namespace H = BoxHandles;

CGRect ownRectangle(CGSize size) { return CGRectMake(0, 0, size.width, size.height); }
}  // namespace

void CropBoxView::buildBox(CGRect frame)
{
    setFrame(frame);
    setMultipleTouchEnabled(true);

    m_handlerColour = P::read(P::areaHandlerColour);
    m_borderColour = P::read(P::areaBorderColour);

    m_dashBorder = CAShapeLayer::layer();
    m_dashBorder->setStrokeColor(m_borderColour->CGColor());
    m_dashBorder->setLineWidth(2);
    m_dashBorder->setFillColor(nullptr);
    if (P::read(P::toggleDashLine))
        m_dashBorder->setLineDashPattern({ 6, 8 });
    CGRect own = ownRectangle(frame.size);
    m_dashBorder->setFrame(own);
    m_dashBorder->setPath(UIBezierPath::bezierPathWithRect(own)->CGPath());
    layer()->addSublayer(m_dashBorder);

    for (const auto& handle : H::table) {
        auto bar = add<UIView>();
        bar->setBackgroundColor(m_handlerColour);
        bar->layer()->setCornerRadius(H::cornerRadius);
        bar->layer()->setCornerCurve(kCACornerCurveContinuous);
        // Decoration: a touch on a bar is the box's touch.
        bar->setUserInteractionEnabled(false);
        zr::size(*bar, handle.width, handle.height);
        switch (handle.across) {
        case H::Across::Leading: zr::leading(*bar, leadingAnchor(), -H::overhang); break;
        case H::Across::Centre: zr::x(*bar, centerXAnchor()); break;
        case H::Across::Trailing: zr::trailing(*bar, trailingAnchor(), H::overhang); break;
        }
        switch (handle.down) {
        case H::Down::Top: zr::top(*bar, topAnchor(), -H::overhang); break;
        case H::Down::Centre: zr::y(*bar, centerYAnchor()); break;
        case H::Down::Bottom: zr::bottom(*bar, bottomAnchor(), H::overhang); break;
        }
        m_handles.push_back(bar);
    }

    m_rectLabel = add<UILabel>();
    m_rectLabel->setBackgroundColor(UIColor::blackColor()->colorWithAlphaComponent(0.4));
    m_rectLabel->setTextColor(UIColor::whiteColor());
    m_rectLabel->setTextAlignment(NSTextAlignmentCenter);
    m_rectLabel->setFont(UIFont::systemFontOfSize(14));
    m_rectLabel->layer()->setCornerRadius(4);
    m_rectLabel->layer()->setCornerCurve(kCACornerCurveContinuous);
    m_rectLabel->setClipsToBounds(true);
    m_rectLabel->setAlpha(0);
    m_rectLabel->setUserInteractionEnabled(false);
    zr::size(*m_rectLabel, 100, 18);
    zr::x(*m_rectLabel, centerXAnchor());
    zr::bottom(*m_rectLabel, bottomAnchor(), -10);
}

void CropBoxView::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>&)
{
    auto touch = touches.anyObject();
    if (!touch)
        return;
    auto parent = superview();
    m_startTL = touch->locationInView(this);
    m_startParentTL = touch->locationInView(parent.get());
    m_startFrame = frame();
    m_startCenter = center();
    m_tl = BoxGeometry::regionAt(m_startTL, frame().size);
    refitOutline();
    if (m_readoutAtBegin == ReadoutAtBegin::BeforeTheMessage)
        showReadout(frame().size);
    msgSend<void>(delegate(), m_messages.beginResizeArea);
    if (m_readoutAtBegin == ReadoutAtBegin::AfterTheMessage)
        showReadout(frame().size);
}

void CropBoxView::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>&)
{
    auto touch = touches.anyObject();
    auto parent = superview();
    if (!touch || !parent)
        return;
    m_currentTL = touch->locationInView(this);
    m_currentParentTL = touch->locationInView(parent.get());
    CGRect next = BoxGeometry::frameAfterMove(m_tl, { m_startTL, m_startParentTL, m_startFrame }, { m_currentTL, m_currentParentTL },
        frame(), parent->frame().size);
    setFrame(next);
    refitOutline();
    showReadout(next.size);
    msgSend<void>(delegate(), m_messages.resizeAreaFrameChanged);
}

void CropBoxView::touchesEnded(const UITouchSet&, const std::shared_ptr<UIEvent>&) { finishTouch(); }
void CropBoxView::touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>&) { finishTouch(); }

void CropBoxView::finishTouch()
{
    m_rectLabel->setAlpha(0);
    m_rectLabel->setText(BoxGeometry::readout(frame().size));
    msgSend<void>(delegate(), m_messages.didFinishedResizeArea);
}

void CropBoxView::showReadout(CGSize size)
{
    m_rectLabel->setAlpha(1);
    m_rectLabel->setText(BoxGeometry::readout(size));
}

void CropBoxView::refitOutline()
{
    CGRect own = ownRectangle(frame().size);
    m_dashBorder->setFrame(own);
    m_dashBorder->setPath(UIBezierPath::bezierPathWithRect(own)->CGPath());
}
