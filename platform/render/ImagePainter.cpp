#include "platform/render/ImagePainter.h"

#include "platform/render/ImageCache.h"
#include "platform/render/SymbolCatalog.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace render {

CGRect imageRect(CGRect bounds, CGSize size, std::int64_t mode, bool isSymbol)
{
    const double bw = bounds.size.width, bh = bounds.size.height;
    const double iw = size.width, ih = size.height;
    if (!(iw > 0) || !(ih > 0))
        return CGRectZero;
    if (isSymbol && (mode == UIViewContentModeScaleToFill || mode == UIViewContentModeRedraw))
        mode = UIViewContentModeScaleAspectFit;
    auto centred = [&](double w, double h) {
        return CGRectMake(bounds.origin.x + (bw - w) / 2, bounds.origin.y + (bh - h) / 2, w, h);
    };
    switch (mode) {
    case UIViewContentModeScaleAspectFit: {
        double s = std::min(bw / iw, bh / ih);
        return centred(iw * s, ih * s);
    }
    case UIViewContentModeScaleAspectFill: {
        double s = std::max(bw / iw, bh / ih);
        return centred(iw * s, ih * s);
    }
    case UIViewContentModeCenter:
        return centred(iw, ih);
    default:
        break;
    }
    // The edge and corner modes keep the natural size and pin a side.
    double x = bounds.origin.x + (bw - iw) / 2, y = bounds.origin.y + (bh - ih) / 2;
    switch (mode) {
    case UIViewContentModeTop: y = bounds.origin.y; break;
    case UIViewContentModeBottom: y = bounds.origin.y + bh - ih; break;
    case UIViewContentModeLeft: x = bounds.origin.x; break;
    case UIViewContentModeRight: x = bounds.origin.x + bw - iw; break;
    case UIViewContentModeTopLeft:
        x = bounds.origin.x;
        y = bounds.origin.y;
        break;
    case UIViewContentModeTopRight:
        x = bounds.origin.x + bw - iw;
        y = bounds.origin.y;
        break;
    case UIViewContentModeBottomLeft:
        x = bounds.origin.x;
        y = bounds.origin.y + bh - ih;
        break;
    case UIViewContentModeBottomRight:
        x = bounds.origin.x + bw - iw;
        y = bounds.origin.y + bh - ih;
        break;
    default: return bounds;  // scale to fill, redraw
    }
    return CGRectMake(x, y, iw, ih);
}

void drawImage(cairo_t* cr, ImageCache& cache, const UIImage& image, std::int64_t mode, CGRect bounds, RGBA tint,
    double alpha)
{
    if (!(alpha > 0))
        return;
    if (image.isSymbolImage()) {
        CGSize natural = image.size();
        double aspect = symbols::aspectRatio(image.symbolName());
        if (natural.height > 0)
            natural.width = natural.height * aspect;
        CGRect rect = imageRect(bounds, natural, mode, true);
        // Fit and fill give the rectangle of the symbol's own shape.
        tint.alpha *= alpha;
        symbols::draw(cr, image.symbolName(), rect, tint);
        return;
    }
    cairo_surface_t* picture = cache.surfaceFor(image);
    if (!picture)
        return;
    const int pw = cairo_image_surface_get_width(picture), ph = cairo_image_surface_get_height(picture);
    CGRect rect = imageRect(bounds, image.size(), mode);
    if (!(rect.size.width > 0) || !(rect.size.height > 0) || pw <= 0 || ph <= 0)
        return;
    cairo_save(cr);
    cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_clip(cr);
    cairo_translate(cr, rect.origin.x, rect.origin.y);
    cairo_scale(cr, rect.size.width / pw, rect.size.height / ph);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(picture);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    // Edge pixels are repeated outward, so scaling does not fade the border.
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    if (image.renderingMode() == UIImageRenderingModeAlwaysTemplate) {
        cairo_set_source_rgba(cr, tint.red, tint.green, tint.blue, tint.alpha * alpha);
        cairo_mask(cr, pattern);
    } else {
        cairo_set_source(cr, pattern);
        cairo_paint_with_alpha(cr, alpha);
    }
    cairo_pattern_destroy(pattern);
    cairo_restore(cr);
}

}  // namespace render
