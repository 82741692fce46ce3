#include "platform/render/BitmapLayer.h"

MARQEL_DEFINE_CLASS(BitmapLayer)

BitmapLayer::BitmapLayer() = default;

BitmapLayer::~BitmapLayer() = default;

std::shared_ptr<BitmapLayer> BitmapLayer::layer()
{
    return alloc<BitmapLayer>();
}

void BitmapLayer::setPicture(std::shared_ptr<const ScreenFrame> picture)
{
    m_surface = render::Surface();
    bool wellFormed = picture && picture->width > 0 && picture->height > 0
        && picture->pixels.size() >= static_cast<std::size_t>(picture->width) * picture->height * 4;
    m_picture = wellFormed ? std::move(picture) : nullptr;
}

cairo_surface_t* BitmapLayer::cairoSurface() const
{
    if (!m_surface.isValid() && m_picture)
        m_surface = render::Surface::fromScreenFrame(*m_picture);
    return m_surface.cairoSurface();
}

LayerContent BitmapLayer::content() const
{
    return PictureContent { m_picture };
}

std::shared_ptr<CALayer> BitmapLayer::makeCopy() const
{
    auto copy = alloc<BitmapLayer>();
    copyPropertiesTo(*copy);
    copy->m_picture = m_picture;
    return copy;
}
