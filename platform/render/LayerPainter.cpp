#include "platform/render/LayerPainter.h"

#include "platform/render/Blur.h"
#include "platform/render/CornerPath.h"
#include "platform/render/ImageCache.h"
#include "platform/render/ImagePainter.h"
#include "platform/render/Surface.h"
#include "platform/render/TextPainter.h"
#include "platform/uikit/CALayer.h"
#include "platform/uikit/CGPath.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIImage.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <variant>
#include <vector>

namespace render {

namespace {

// Geometry beyond this many points is not a screen any more; Cairo's fixed
// point coordinates would wrap around.
constexpr double maxCoordinate = 1e6;

double unit(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; }

RGBA rgba(const CGColorRef& colour)
{
    if (!colour)
        return {};
    return { unit(colour->red), unit(colour->green), unit(colour->blue), unit(colour->alpha) };
}

RGBA rgba(const std::shared_ptr<UIColor>& colour)
{
    if (!colour)
        return {};
    auto c = colour->components();
    return { unit(c.red), unit(c.green), unit(c.blue), unit(c.alpha) };
}

void setSource(cairo_t* cr, const RGBA& c, double alpha)
{
    cairo_set_source_rgba(cr, c.red, c.green, c.blue, c.alpha * alpha);
}

bool sane(double v) { return std::isfinite(v) && std::fabs(v) <= maxCoordinate; }

bool invertible(const cairo_matrix_t& m)
{
    double det = m.xx * m.yy - m.xy * m.yx;
    return std::isfinite(det) && std::fabs(det) > 1e-12 && std::isfinite(m.x0) && std::isfinite(m.y0);
}

bool hasShadow(const CALayer& layer)
{
    return layer.shadowOpacity() * rgba(layer.shadowColor()).alpha > invisibleOpacity;
}

bool hasVisibleSublayer(const CALayer& layer)
{
    for (const auto& sublayer : layer.sublayers())
        if (!sublayer->isHidden())
            return true;
    return false;
}

// How a shadow spreads in device pixels under `m`: its blur and offset.
struct ShadowSpread {
    double sigma = 0;
    double margin = 0;
    double dx = 0, dy = 0;
};

ShadowSpread shadowSpread(const CALayer& layer, const cairo_matrix_t& m)
{
    ShadowSpread s;
    double scale = std::sqrt(std::fabs(m.xx * m.yy - m.xy * m.yx));
    double radius = layer.shadowRadius();
    // Core Animation's shadow radius reads as about two standard deviations
    // of a Gaussian blur.
    s.sigma = std::isfinite(radius) && radius > 0 ? std::min(radius, 1000.0) * scale / 2 : 0;
    s.margin = std::ceil(3 * s.sigma) + 1;
    // FIXME: Core Animation keeps the offset in the superlayer's space; here
    // it turns with a rotated layer.
    CGSize offset = layer.shadowOffset();
    s.dx = sane(offset.width) ? offset.width : 0;
    s.dy = sane(offset.height) ? offset.height : 0;
    cairo_matrix_transform_distance(&m, &s.dx, &s.dy);
    return s;
}

}  // namespace

struct LayerPainter::MaskPlan {
    // Clip: a plain filled shape, applied as a clip path (no offscreen
    // picture); Offscreen: anything else; Hidden: the mask shows nothing.
    enum Kind { None,
        Clip,
        Offscreen,
        Hidden } kind
        = None;
    const CALayer* layer = nullptr;
    ShapeContent shape;
    Placement placement;
    double alpha = 1;
};

struct LayerPainter::DeviceBox {
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    bool empty() const { return !(x1 > x0 && y1 > y0); }
    void add(double x, double y)
    {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
    }
    void unite(const DeviceBox& b)
    {
        if (b.empty())
            return;
        add(b.x0, b.y0);
        add(b.x1, b.y1);
    }
    void intersect(const DeviceBox& b)
    {
        x0 = std::max(x0, b.x0);
        y0 = std::max(y0, b.y0);
        x1 = std::min(x1, b.x1);
        y1 = std::min(y1, b.y1);
    }
    void addRect(const cairo_matrix_t& m, CGRect r)
    {
        double xs[2] = { r.origin.x, r.origin.x + r.size.width };
        double ys[2] = { r.origin.y, r.origin.y + r.size.height };
        for (double x : xs)
            for (double y : ys) {
                double dx = x, dy = y;
                cairo_matrix_transform_point(&m, &dx, &dy);
                add(dx, dy);
            }
    }
};

namespace {

LayerPainter::DeviceBox deviceClip(cairo_t* cr);

}  // namespace

bool addCGPath(cairo_t* cr, const CGPath& path)
{
    for (const CGPoint& p : path.points)
        if (!sane(p.x) || !sane(p.y))
            return false;
    auto emit = [&](std::size_t start, std::size_t end, bool closed) {
        if (end <= start || end > path.points.size())
            return;
        cairo_move_to(cr, path.points[start].x, path.points[start].y);
        for (std::size_t i = start + 1; i < end; ++i)
            cairo_line_to(cr, path.points[i].x, path.points[i].y);
        // A two-point figure has no area: it is a line, stroked with caps.
        if (closed && end - start > 2)
            cairo_close_path(cr);
    };
    std::size_t start = 0;
    for (std::uint32_t end : path.subpathEnds) {
        emit(start, end, true);
        start = std::max<std::size_t>(start, end);
    }
    if (path.openStart < path.points.size())
        emit(path.openStart, path.points.size(), false);
    return true;
}

foundation::Result<LayerPainter::Placement> LayerPainter::place(const CALayer& layer)
{
    using foundation::Error;
    using foundation::ErrorCode;
    CGRect b = layer.presentationBounds();
    CGPoint p = layer.presentationPosition();
    CGPoint a = layer.anchorPoint();
    CGAffineTransform t = layer.presentationAffineTransform();
    double opacity = layer.presentationOpacity();
    for (double v : { b.origin.x, b.origin.y, b.size.width, b.size.height, p.x, p.y, a.x, a.y, t.a, t.b, t.c, t.d, t.tx, t.ty })
        if (!sane(v))
            return Error { ErrorCode::InvalidArgument, "the layer's geometry is not a usable number" };
    if (!std::isfinite(opacity))
        return Error { ErrorCode::InvalidArgument, "the layer's opacity is not a number" };
    b.size.width = std::max<CGFloat>(b.size.width, 0);
    b.size.height = std::max<CGFloat>(b.size.height, 0);
    cairo_matrix_t m, transform;
    cairo_matrix_init_translate(&m, p.x, p.y);
    cairo_matrix_init(&transform, t.a, t.b, t.c, t.d, t.tx, t.ty);
    cairo_matrix_multiply(&m, &transform, &m);
    cairo_matrix_translate(&m, -b.origin.x - a.x * b.size.width, -b.origin.y - a.y * b.size.height);
    if (!invertible(m))
        return Error { ErrorCode::InvalidArgument, "the layer's transform collapses it to nothing" };
    Placement placement;
    placement.matrix = m;
    placement.bounds = b;
    placement.opacity = std::clamp(opacity, 0.0, 1.0);
    return placement;
}

void LayerPainter::paint(cairo_t* cr, const CALayer& layer)
{
    if (layer.isHidden() || m_depth >= maxDepth)
        return;
    auto placed = place(layer);
    if (!placed || placed.value().opacity < invisibleOpacity)
        return;
    const Placement& placement = placed.value();
    cairo_matrix_t ctm, combined;
    cairo_get_matrix(cr, &ctm);
    cairo_matrix_multiply(&combined, &placement.matrix, &ctm);
    // Cairo puts a context in a lasting error state on a singular matrix;
    // a layer scaled to nothing simply does not show.
    if (!invertible(combined))
        return;
    cairo_save(cr);
    cairo_set_matrix(cr, &combined);
    ++m_depth;
    paintPlaced(cr, layer, placement);
    --m_depth;
    cairo_restore(cr);
}

LayerPainter::MaskPlan LayerPainter::planMask(const CALayer& layer) const
{
    MaskPlan plan;
    const auto& mask = layer.mask();
    if (!mask)
        return plan;
    plan.kind = MaskPlan::Hidden;
    if (mask->isHidden())
        return plan;
    auto placed = place(*mask);
    if (!placed || placed.value().opacity < invisibleOpacity)
        return plan;
    plan.placement = placed.release();
    plan.kind = MaskPlan::Offscreen;
    LayerContent content = mask->content();
    auto* shape = std::get_if<ShapeContent>(&content);
    bool plain = shape && !hasVisibleSublayer(*mask) && !mask->mask() && !hasShadow(*mask)
        && rgba(mask->backgroundColor()).alpha <= 0
        && (mask->borderWidth() <= 0 || rgba(mask->borderColor()).alpha <= 0)
        && (rgba(shape->stroke).alpha <= 0 || !(shape->lineWidth > 0));
    if (!plain)
        return plan;
    double fill = rgba(shape->fill).alpha * plan.placement.opacity;
    if (!shape->path || fill < invisibleOpacity) {
        plan.kind = MaskPlan::Hidden;
        return plan;
    }
    plan.kind = MaskPlan::Clip;
    plan.layer = mask.get();
    plan.shape = std::move(*shape);
    plan.alpha = fill;
    return plan;
}

void LayerPainter::paintPlaced(cairo_t* cr, const CALayer& layer, const Placement& placement)
{
    MaskPlan mask = planMask(layer);
    if (mask.kind == MaskPlan::Hidden)
        return;
    if (hasShadow(layer) || mask.kind == MaskPlan::Offscreen) {
        paintOffscreen(cr, layer, placement, mask);
        return;
    }
    double alpha = placement.opacity;
    if (mask.kind == MaskPlan::Clip) {
        cairo_matrix_t ctm, maskMatrix;
        cairo_get_matrix(cr, &ctm);
        cairo_matrix_multiply(&maskMatrix, &mask.placement.matrix, &ctm);
        if (!invertible(maskMatrix))
            return;
        cairo_set_matrix(cr, &maskMatrix);
        if (mask.layer->masksToBounds()) {
            cairo_new_path(cr);
            addRoundedRect(cr, mask.placement.bounds, mask.layer->cornerRadius(), cornerCurveNamed(mask.layer->cornerCurve()));
            cairo_clip(cr);
        }
        cairo_new_path(cr);
        bool added = addCGPath(cr, *mask.shape.path);
        cairo_set_matrix(cr, &ctm);
        if (!added)
            return;
        cairo_set_fill_rule(cr, mask.shape.evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        cairo_clip(cr);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
        alpha *= mask.alpha;
    }
    if (alpha >= 1 - 1e-9) {
        drawBody(cr, layer, placement, 1);
        return;
    }
    if (primitiveCount(layer) <= 1) {
        // One drawing: its colour can carry the opacity, no group needed.
        drawBody(cr, layer, placement, alpha);
        return;
    }
    // Group opacity: overlapping parts must not show through each other.
    // The group is only as large as what the layer draws.
    cairo_matrix_t ctm;
    cairo_get_matrix(cr, &ctm);
    DeviceBox box = subtreeExtents(layer, placement.bounds, ctm);
    box.intersect(deviceClip(cr));
    if (box.empty())
        return;
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_rectangle(cr, std::floor(box.x0), std::floor(box.y0), std::ceil(box.x1) - std::floor(box.x0),
        std::ceil(box.y1) - std::floor(box.y0));
    cairo_clip(cr);
    cairo_set_matrix(cr, &ctm);
    cairo_push_group(cr);
    drawBody(cr, layer, placement, 1);
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
}

void LayerPainter::paintOffscreen(cairo_t* cr, const CALayer& layer, const Placement& placement, const MaskPlan& mask)
{
    cairo_matrix_t ctm;
    cairo_get_matrix(cr, &ctm);
    DeviceBox content = subtreeExtents(layer, placement.bounds, ctm);
    if (content.empty())
        return;
    bool shadow = hasShadow(layer);
    ShadowSpread spread;
    DeviceBox region = content;
    DeviceBox reach = deviceClip(cr);
    if (shadow) {
        spread = shadowSpread(layer, ctm);
        DeviceBox cast = content;
        cast.x0 += spread.dx - spread.margin;
        cast.x1 += spread.dx + spread.margin;
        cast.y0 += spread.dy - spread.margin;
        cast.y1 += spread.dy + spread.margin;
        region.unite(cast);
        // What lies just outside the visible area still casts a shadow into it.
        double extra = spread.margin + std::fabs(spread.dx) + std::fabs(spread.dy);
        reach.x0 -= extra;
        reach.y0 -= extra;
        reach.x1 += extra;
        reach.y1 += extra;
    }
    region.intersect(reach);
    if (region.empty())
        return;
    const double x0 = std::floor(region.x0), y0 = std::floor(region.y0);
    const int w = static_cast<int>(std::ceil(region.x1) - x0), h = static_cast<int>(std::ceil(region.y1) - y0);
    Surface body(w, h);
    if (!body.isValid())
        return;
    ++m_offscreenPasses;
    cairo_matrix_t shifted = ctm;
    shifted.x0 -= x0;
    shifted.y0 -= y0;
    cairo_t* bodyCr = cairo_create(body.cairoSurface());
    cairo_set_matrix(bodyCr, &shifted);
    drawBody(bodyCr, layer, placement, 1);
    cairo_destroy(bodyCr);

    Surface picture;
    if (shadow) {
        Surface blurred = blurredAlpha(body, spread.sigma);
        picture = Surface(w, h);
        if (!picture.isValid() || !blurred.isValid())
            return;
        cairo_t* pc = cairo_create(picture.cairoSurface());
        setSource(pc, rgba(layer.shadowColor()), std::clamp(layer.shadowOpacity(), 0.0, 1.0));
        cairo_mask_surface(pc, blurred.cairoSurface(), spread.dx, spread.dy);
        cairo_set_source_surface(pc, body.cairoSurface(), 0, 0);
        cairo_paint(pc);
        cairo_destroy(pc);
    } else {
        picture = std::move(body);
    }
    if (mask.kind != MaskPlan::None) {
        // The mask's alpha, drawn in the layer's coordinates, keeps what it
        // covers and clears the rest.
        Surface maskPicture(w, h);
        if (!maskPicture.isValid())
            return;
        cairo_t* mc = cairo_create(maskPicture.cairoSurface());
        cairo_set_matrix(mc, &shifted);
        paint(mc, *layer.mask());
        cairo_destroy(mc);
        cairo_t* pc = cairo_create(picture.cairoSurface());
        cairo_set_operator(pc, CAIRO_OPERATOR_DEST_IN);
        cairo_set_source_surface(pc, maskPicture.cairoSurface(), 0, 0);
        cairo_paint(pc);
        cairo_destroy(pc);
    }
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_source_surface(cr, picture.cairoSurface(), x0, y0);
    cairo_paint_with_alpha(cr, placement.opacity);
    cairo_restore(cr);
}

void LayerPainter::drawBody(cairo_t* cr, const CALayer& layer, const Placement& placement, double alpha)
{
    const CGRect b = placement.bounds;
    const double radius = layer.cornerRadius();
    const CornerCurve curve = cornerCurveNamed(layer.cornerCurve());
    RGBA background = rgba(layer.backgroundColor());
    if (background.alpha > 0) {
        cairo_new_path(cr);
        addRoundedRect(cr, b, radius, curve);
        setSource(cr, background, alpha);
        cairo_fill(cr);
    }
    const bool clips = layer.masksToBounds();
    if (clips) {
        cairo_save(cr);
        cairo_new_path(cr);
        addRoundedRect(cr, b, radius, curve);
        cairo_clip(cr);
    }
    drawContent(cr, layer, b, alpha);
    // By index: drawing never changes the tree, and copying the list for
    // every layer of every frame would cost more than the drawing.
    const auto& sublayers = layer.sublayers();
    for (std::size_t i = 0; i < sublayers.size(); ++i)
        paint(cr, *sublayers[i]);
    if (clips)
        cairo_restore(cr);
    double width = layer.borderWidth();
    RGBA border = rgba(layer.borderColor());
    if (border.alpha > 0 && std::isfinite(width) && width > 0 && b.size.width > 0 && b.size.height > 0) {
        // Core Animation draws the border inside the bounds.
        width = std::min(width, std::min(b.size.width, b.size.height) / 2);
        CGRect inset = CGRectMake(b.origin.x + width / 2, b.origin.y + width / 2, b.size.width - width,
            b.size.height - width);
        cairo_new_path(cr);
        if (inset.size.width > 0 && inset.size.height > 0)
            addRoundedRect(cr, inset, std::max(0.0, std::min(radius, std::min(b.size.width, b.size.height) / 2) - width / 2), curve);
        else
            cairo_rectangle(cr, inset.origin.x, inset.origin.y, std::max(inset.size.width, 0.0), std::max(inset.size.height, 0.0));
        cairo_set_line_width(cr, width);
        setSource(cr, border, alpha);
        cairo_stroke(cr);
    }
}

namespace {

void drawShape(cairo_t* cr, const ShapeContent& shape, double alpha)
{
    const auto& path = shape.path;
    if (!path || path->points.empty())
        return;
    RGBA fill = rgba(shape.fill);
    RGBA stroke = rgba(shape.stroke);
    double width = shape.lineWidth;
    cairo_save(cr);
    if (fill.alpha > 0) {
        cairo_new_path(cr);
        if (addCGPath(cr, *path)) {
            cairo_set_fill_rule(cr, shape.evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
            setSource(cr, fill, alpha);
            cairo_fill(cr);
        }
    }
    if (stroke.alpha > 0 && std::isfinite(width) && width > 0) {
        cairo_new_path(cr);
        if (addCGPath(cr, *path)) {
            cairo_set_line_width(cr, std::min(width, maxCoordinate));
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
            // Cairo refuses (and stops drawing altogether) a pattern with a
            // negative length or nothing but zeros; such a pattern draws a
            // solid line instead.
            std::vector<double> dashes;
            double total = 0;
            bool valid = true;
            for (int length : shape.dashPattern) {
                valid = valid && length >= 0;
                total += length;
                dashes.push_back(length);
            }
            double phase = shape.dashPhase;
            if (valid && total > 0 && !dashes.empty())
                cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), std::isfinite(phase) ? phase : 0);
            setSource(cr, stroke, alpha);
            cairo_stroke(cr);
        }
    }
    cairo_restore(cr);
}

void drawGradient(cairo_t* cr, const GradientContent& gradient, const CALayer& layer, CGRect b, double alpha)
{
    const auto& colours = gradient.colours;
    if (colours.empty() || !(b.size.width > 0) || !(b.size.height > 0))
        return;
    CGPoint s = gradient.start, e = gradient.end;
    double x0 = b.origin.x + (sane(s.x) ? s.x : 0) * b.size.width, y0 = b.origin.y + (sane(s.y) ? s.y : 0) * b.size.height;
    double x1 = b.origin.x + (sane(e.x) ? e.x : 0) * b.size.width, y1 = b.origin.y + (sane(e.y) ? e.y : 0) * b.size.height;
    cairo_pattern_t* pattern = cairo_pattern_create_linear(x0, y0, x1, y1);
    const auto& locations = gradient.locations;
    const std::size_t n = colours.size();
    for (std::size_t i = 0; i < n; ++i) {
        double at = locations.size() == n ? unit(locations[i]) : (n == 1 ? 0.0 : double(i) / double(n - 1));
        RGBA c = rgba(colours[i]);
        cairo_pattern_add_color_stop_rgba(pattern, at, c.red, c.green, c.blue, c.alpha * alpha);
    }
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_new_path(cr);
    addRoundedRect(cr, b, layer.cornerRadius(), cornerCurveNamed(layer.cornerCurve()));
    cairo_set_source(cr, pattern);
    cairo_fill(cr);
    cairo_pattern_destroy(pattern);
}

void drawPicture(cairo_t* cr, cairo_surface_t* picture, CGRect b, double alpha)
{
    if (!picture || !(b.size.width > 0) || !(b.size.height > 0))
        return;
    const int pw = cairo_image_surface_get_width(picture), ph = cairo_image_surface_get_height(picture);
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, b.origin.x, b.origin.y, b.size.width, b.size.height);
    cairo_clip(cr);
    cairo_translate(cr, b.origin.x, b.origin.y);
    cairo_scale(cr, b.size.width / pw, b.size.height / ph);
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(picture);
    // One picture pixel per screen pixel: copied exactly, no filtering.
    bool oneToOne = std::fabs(m.xx - 1) < 1e-9 && std::fabs(m.yy - 1) < 1e-9 && m.xy == 0 && m.yx == 0;
    cairo_pattern_set_filter(pattern, oneToOne ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_set_source(cr, pattern);
    cairo_paint_with_alpha(cr, alpha);
    cairo_pattern_destroy(pattern);
    cairo_restore(cr);
}

void drawSwitch(cairo_t* cr, const SwitchContent& control, CGRect b, double alpha)
{
    if (!(b.size.width > 0) || !(b.size.height > 0))
        return;
    const bool on = control.on;
    RGBA track = on ? rgba(control.onTint) : RGBA { 120 / 255.0, 120 / 255.0, 128 / 255.0, 0.16 };
    cairo_new_path(cr);
    addRoundedRect(cr, b, b.size.height / 2, CornerCurve::Circular);
    setSource(cr, track, alpha);
    cairo_fill(cr);
    const double inset = 2, d = std::max(0.0, b.size.height - 2 * inset);
    const double x = on ? b.origin.x + b.size.width - inset - d : b.origin.x + inset;
    const double cx = x + d / 2, cy = b.origin.y + b.size.height / 2;
    // The knob's soft shadow, then the knob.
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy + 1, d / 2 + 0.5, 0, 2 * M_PI);
    setSource(cr, { 0, 0, 0, 0.12 }, alpha);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, d / 2, 0, 2 * M_PI);
    setSource(cr, { 1, 1, 1, 1 }, alpha);
    cairo_fill(cr);
}

}  // namespace

TextStyle textStyle(const TextContent& text)
{
    TextStyle style;
    style.pointSize = text.font ? text.font->pointSize() : 17;
    style.weight = text.font ? text.font->weight() : 0;
    style.colour = rgba(text.colour);
    style.alignment = text.alignment;
    style.numberOfLines = text.numberOfLines;
    style.lineBreakMode = text.lineBreakMode;
    return style;
}

// One visitor per question, each taking every kind of content: a kind
// added to LayerContent that is not handled here does not compile.
template <class... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <class... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

void LayerPainter::drawContent(cairo_t* cr, const CALayer& layer, CGRect b, double alpha)
{
    std::visit(Overloaded {
                   [](const std::monostate&) {},
                   [&](const TextContent& text) {
                       if (m_drawsText) {
                           TextPainter::Caret caret;
                           if (text.caret >= 0)
                               caret = { text.caret, rgba(text.caretColour) };
                           m_text.draw(cr, text.text, textStyle(text), b, alpha, caret);
                       }
                   },
                   [&](const ImageContent& image) {
                       if (image.image)
                           drawImage(cr, m_images, *image.image, image.contentMode, b, rgba(image.tint), alpha);
                   },
                   [&](const SwitchContent& control) { drawSwitch(cr, control, b, alpha); },
                   [&](const ShapeContent& shape) { drawShape(cr, shape, alpha); },
                   [&](const GradientContent& gradient) { drawGradient(cr, gradient, layer, b, alpha); },
                   [&](const PictureContent& picture) { drawPicture(cr, m_images.surfaceFor(picture.picture), b, alpha); },
               },
        layer.content());
}

int LayerPainter::primitiveCount(const CALayer& layer) const
{
    int count = 0;
    if (rgba(layer.backgroundColor()).alpha > 0)
        ++count;
    if (layer.borderWidth() > 0 && rgba(layer.borderColor()).alpha > 0)
        ++count;
    count += std::visit(Overloaded {
                            [](const std::monostate&) { return 0; },
                            [](const TextContent& text) { return int(!text.text.empty()) + int(text.caret >= 0); },
                            [](const ImageContent& image) { return int(image.image != nullptr); },
                            // Track, the knob's shadow, the knob.
                            [](const SwitchContent&) { return 3; },
                            [](const ShapeContent& shape) {
                                return int(rgba(shape.fill).alpha > 0) + int(rgba(shape.stroke).alpha > 0 && shape.lineWidth > 0);
                            },
                            [](const GradientContent&) { return 1; },
                            [](const PictureContent&) { return 1; },
                        },
        layer.content());
    if (hasVisibleSublayer(layer))
        count += 2;
    return count;
}

CGRect LayerPainter::contentExtents(const CALayer& layer, CGRect b) const
{
    CGRect r = b;
    auto unite = [&r](CGRect o) {
        if (!(o.size.width > 0) || !(o.size.height > 0))
            return;
        double x0 = std::min(r.origin.x, o.origin.x), y0 = std::min(r.origin.y, o.origin.y);
        double x1 = std::max(r.origin.x + r.size.width, o.origin.x + o.size.width);
        double y1 = std::max(r.origin.y + r.size.height, o.origin.y + o.size.height);
        r = CGRectMake(x0, y0, x1 - x0, y1 - y0);
    };
    // Most content stays inside the bounds; these may reach out of them.
    std::visit(Overloaded {
                   [&](const ShapeContent& shape) {
                       if (!shape.path || shape.path->points.empty())
                           return;
                       CGRect box = CGPathGetBoundingBox(shape.path);
                       // Room for the stroke and its mitred corners.
                       double w = std::isfinite(shape.lineWidth) ? std::clamp(shape.lineWidth, 0.0, maxCoordinate) : 0;
                       double out = rgba(shape.stroke).alpha > 0 ? w * 2 + 1 : 1;
                       box = CGRectMake(box.origin.x - out, box.origin.y - out, box.size.width + 2 * out, box.size.height + 2 * out);
                       if (sane(box.origin.x) && sane(box.origin.y) && sane(box.size.width) && sane(box.size.height))
                           unite(box);
                   },
                   [&](const ImageContent& image) {
                       if (image.image)
                           unite(imageRect(b, image.image->size(), image.contentMode, image.image->isSymbolImage()));
                   },
                   [](const auto&) {},
               },
        layer.content());
    return r;
}

LayerPainter::DeviceBox LayerPainter::subtreeExtents(const CALayer& layer, CGRect bounds, const cairo_matrix_t& m) const
{
    DeviceBox box;
    box.addRect(m, contentExtents(layer, bounds));
    if (layer.masksToBounds()) {
        DeviceBox clip;
        clip.addRect(m, bounds);
        box.intersect(clip);
        return box;
    }
    for (const auto& sublayer : layer.sublayers()) {
        if (sublayer->isHidden())
            continue;
        auto placed = place(*sublayer);
        if (!placed || placed.value().opacity < invisibleOpacity)
            continue;
        const Placement& placement = placed.value();
        cairo_matrix_t combined;
        cairo_matrix_multiply(&combined, &placement.matrix, &m);
        if (!invertible(combined))
            continue;
        DeviceBox sub = subtreeExtents(*sublayer, placement.bounds, combined);
        if (!sub.empty() && hasShadow(*sublayer)) {
            ShadowSpread spread = shadowSpread(*sublayer, combined);
            DeviceBox cast = sub;
            cast.x0 += spread.dx - spread.margin;
            cast.x1 += spread.dx + spread.margin;
            cast.y0 += spread.dy - spread.margin;
            cast.y1 += spread.dy + spread.margin;
            sub.unite(cast);
        }
        box.unite(sub);
    }
    return box;
}

namespace {

LayerPainter::DeviceBox deviceClip(cairo_t* cr)
{
    cairo_save(cr);
    cairo_identity_matrix(cr);
    double x0, y0, x1, y1;
    cairo_clip_extents(cr, &x0, &y0, &x1, &y1);
    cairo_restore(cr);
    LayerPainter::DeviceBox box;
    box.add(x0, y0);
    box.add(x1, y1);
    return box;
}

}  // namespace

}  // namespace render
