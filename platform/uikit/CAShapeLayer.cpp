#include "platform/uikit/CAShapeLayer.h"

MARQEL_DEFINE_CLASS(CAShapeLayer,
    method<&CAShapeLayer::setFillRule>("setFillRule:"),
    method<&CAShapeLayer::setLineWidth>("setLineWidth:"))

CAShapeLayer::CAShapeLayer()
    : m_fillColor(CGColorCreateSRGB(0, 0, 0, 1))
{
}

std::shared_ptr<CAShapeLayer> CAShapeLayer::layer()
{
    return alloc<CAShapeLayer>();
}

bool CAShapeLayer::fillContainsPoint(CGPoint point) const
{
    return CGPathContainsPoint(m_path, nullptr, point, usesEvenOddFillRule());
}

LayerContent CAShapeLayer::content() const
{
    return ShapeContent { m_path, m_fillColor, m_strokeColor, m_lineWidth, usesEvenOddFillRule(), m_lineDashPattern, m_lineDashPhase };
}

std::shared_ptr<CALayer> CAShapeLayer::makeCopy() const
{
    auto copy = alloc<CAShapeLayer>();
    copyPropertiesTo(*copy);
    copy->m_path = m_path;
    copy->m_fillColor = m_fillColor;
    copy->m_fillRule = m_fillRule;
    copy->m_strokeColor = m_strokeColor;
    copy->m_lineWidth = m_lineWidth;
    copy->m_lineDashPattern = m_lineDashPattern;
    copy->m_lineDashPhase = m_lineDashPhase;
    return copy;
}
