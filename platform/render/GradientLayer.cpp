#include "platform/render/GradientLayer.h"

MARQEL_DEFINE_CLASS(GradientLayer)

std::shared_ptr<GradientLayer> GradientLayer::layer()
{
    return alloc<GradientLayer>();
}

std::shared_ptr<CALayer> GradientLayer::makeCopy() const
{
    auto copy = alloc<GradientLayer>();
    copyPropertiesTo(*copy);
    copy->m_colors = m_colors;
    copy->m_locations = m_locations;
    copy->m_startPoint = m_startPoint;
    copy->m_endPoint = m_endPoint;
    return copy;
}

LayerContent GradientLayer::content() const
{
    return GradientContent { m_colors, m_locations, m_startPoint, m_endPoint };
}
