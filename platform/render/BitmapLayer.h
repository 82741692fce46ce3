#pragma once

// A layer showing a picture held in memory (RGBA, straight alpha, rows top
// to bottom), stretched over its bounds: Core Animation's layer contents
// for pictures that are made rather than read from a file, such as the
// test-pattern wallpaper. Where the picture's pixels land one to one on
// the screen's, they are copied exactly, so a recording of it decodes to
// known colours.

#include "platform/render/Forward.h"
#include "platform/render/ScreenFrame.h"
#include "platform/render/Surface.h"
#include "platform/uikit/CALayer.h"

class BitmapLayer : public CALayer {
    MARQEL_OBJECT(BitmapLayer, CALayer)
public:
    BitmapLayer();
    ~BitmapLayer() override;
    static std::shared_ptr<BitmapLayer> layer();

    const std::shared_ptr<const ScreenFrame>& picture() const { return m_picture; }
    // A picture whose pixel buffer is shorter than its sides claim is
    // refused (it would be read past its end): the layer then shows nothing.
    void setPicture(std::shared_ptr<const ScreenFrame> picture);

    // The picture as a Cairo surface (premultiplied), made on first use;
    // null when there is no picture.
    cairo_surface_t* cairoSurface() const;

    LayerContent content() const override;

protected:
    std::shared_ptr<CALayer> makeCopy() const override;

private:
    std::shared_ptr<const ScreenFrame> m_picture;
    mutable render::Surface m_surface;
};
