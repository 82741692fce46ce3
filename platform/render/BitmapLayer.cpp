#include "platform/render/BitmapLayer.h"

#include <cairo.h>

#include <cstring>

MARQEL_DEFINE_CLASS(BitmapLayer)

BitmapLayer::BitmapLayer() = default;

BitmapLayer::~BitmapLayer()
{
    if (m_surface)
        cairo_surface_destroy(m_surface);
}

std::shared_ptr<BitmapLayer> BitmapLayer::layer()
{
    return alloc<BitmapLayer>();
}

void BitmapLayer::setPicture(std::shared_ptr<const ScreenFrame> picture)
{
    if (m_surface) {
        cairo_surface_destroy(m_surface);
        m_surface = nullptr;
    }
    bool wellFormed = picture && picture->width > 0 && picture->height > 0
        && picture->pixels.size() >= static_cast<std::size_t>(picture->width) * picture->height * 4;
    m_picture = wellFormed ? std::move(picture) : nullptr;
}

cairo_surface_t* BitmapLayer::cairoSurface() const
{
    if (m_surface || !m_picture)
        return m_surface;
    const int w = m_picture->width, h = m_picture->height;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    unsigned char* base = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const std::uint8_t* in = m_picture->pixels.data();
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(base + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < w; ++x, in += 4) {
            std::uint32_t a = in[3];
            auto premultiply = [a](std::uint32_t c) { return a == 255 ? c : (c * a + 127) / 255; };
            row[x] = (a << 24) | (premultiply(in[0]) << 16) | (premultiply(in[1]) << 8) | premultiply(in[2]);
        }
    }
    cairo_surface_mark_dirty(surface);
    m_surface = surface;
    return m_surface;
}

std::shared_ptr<CALayer> BitmapLayer::makeCopy() const
{
    auto copy = alloc<BitmapLayer>();
    copyPropertiesTo(*copy);
    copy->m_picture = m_picture;
    return copy;
}
