#include "platform/render/PictureAudit.h"

#include "platform/render/Compositor.h"
#include "platform/render/LayerPainter.h"
#include "platform/render/Surface.h"
#include "platform/render/TextPainter.h"
#include "platform/uikit/CALayer.h"
#include "platform/uikit/CGPath.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/UIWindow.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <variant>

namespace render {

namespace {

// Geometry closer than this (in points) is the same place: rounding, not a
// fault a reader could see.
constexpr double slack = 0.5;
// The least opacity of a layer drawn over a text that veils it.
constexpr double veil = 0.15;

CGRect intersection(CGRect a, CGRect b)
{
    double x0 = std::max(a.origin.x, b.origin.x), y0 = std::max(a.origin.y, b.origin.y);
    double x1 = std::min(a.origin.x + a.size.width, b.origin.x + b.size.width);
    double y1 = std::min(a.origin.y + a.size.height, b.origin.y + b.size.height);
    if (!(x1 > x0) || !(y1 > y0))
        return CGRectMake(x0, y0, 0, 0);
    return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

bool isEmpty(CGRect r) { return !(r.size.width > 0) || !(r.size.height > 0); }

bool contains(CGRect outer, CGRect inner)
{
    return inner.origin.x >= outer.origin.x - slack && inner.origin.y >= outer.origin.y - slack
        && inner.origin.x + inner.size.width <= outer.origin.x + outer.size.width + slack
        && inner.origin.y + inner.size.height <= outer.origin.y + outer.size.height + slack;
}

// The box a rectangle of a layer covers on the screen.
CGRect screenBox(const cairo_matrix_t& m, CGRect r)
{
    double xs[4] = { r.origin.x, r.origin.x + r.size.width, r.origin.x, r.origin.x + r.size.width };
    double ys[4] = { r.origin.y, r.origin.y, r.origin.y + r.size.height, r.origin.y + r.size.height };
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    for (int i = 0; i < 4; ++i) {
        cairo_matrix_transform_point(&m, &xs[i], &ys[i]);
        x0 = std::min(x0, xs[i]);
        y0 = std::min(y0, ys[i]);
        x1 = std::max(x1, xs[i]);
        y1 = std::max(y1, ys[i]);
    }
    return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

double alphaOf(const CGColorRef& colour) { return colour && std::isfinite(colour->alpha) ? std::clamp(colour->alpha, 0.0, 1.0) : 0; }

std::string figure(double value, int decimals = 1)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    // "20.0" reads as "20".
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    return text;
}

std::string size(CGSize s) { return figure(s.width) + " × " + figure(s.height) + " points"; }

std::string hex(const RGBA& c)
{
    char buffer[8];
    auto byte = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", byte(c.red), byte(c.green), byte(c.blue));
    return buffer;
}

std::string classOf(const CALayer& layer)
{
    if (const UIView* view = layer.owningView())
        return view->className();
    return layer.className();
}

struct Text {
    int order = 0;
    const CALayer* layer = nullptr;
    TextContent content;
    TextStyle style;
    cairo_matrix_t matrix;  // the layer's coordinates to the screen's
    CGRect bounds {};
    CGRect clip {};  // what its ancestors let show, on the screen
    double alpha = 1;
    CGRect ink {};  // on the screen, clipped
    bool shown = true;
};

// Something drawn that veils what is under it: a fill, or a filled shape
// (a dimming layer with a hole in it, say).
struct Cover {
    int order = 0;
    CGRect area {};
    const CALayer* shapeLayer = nullptr;  // the area is the shape's box
    cairo_matrix_t matrix;  // the shape's coordinates to the screen's
};

struct Tree {
    std::vector<Text> texts;
    std::vector<Cover> covers;
    std::vector<PictureAudit::Finding> offScreen;
    int order = 0;
};

bool drawsItself(const CALayer& layer, const LayerContent& content)
{
    if (alphaOf(layer.backgroundColor()) > 0 || (layer.borderWidth() > 0 && alphaOf(layer.borderColor()) > 0))
        return true;
    if (const auto* text = std::get_if<TextContent>(&content))
        return !text->text.empty();
    return !std::holds_alternative<std::monostate>(content);
}

// Follows the tree in the order the painter draws it, skipping what it
// skips.
void visit(Tree& tree, const CALayer& layer, const cairo_matrix_t& parent, double parentAlpha, CGRect clip, CGRect screen,
    bool ancestorOffScreen, int depth)
{
    if (layer.isHidden() || depth >= LayerPainter::maxDepth)
        return;
    auto placed = LayerPainter::place(layer);
    if (!placed || placed.value().opacity < invisibleOpacity)
        return;
    const auto& placement = placed.value();
    const double alpha = parentAlpha * placement.opacity;
    if (alpha < invisibleOpacity)
        return;
    cairo_matrix_t matrix;
    cairo_matrix_multiply(&matrix, &placement.matrix, &parent);
    // A mask shows at most what it covers; a shape mask (a cut-out) is kept
    // to tell what it lets through.
    const CALayer* maskShape = nullptr;
    cairo_matrix_t maskMatrix;
    if (const auto& mask = layer.mask()) {
        auto maskPlaced = LayerPainter::place(*mask);
        if (mask->isHidden() || !maskPlaced)
            return;
        cairo_matrix_multiply(&maskMatrix, &maskPlaced.value().matrix, &matrix);
        LayerContent maskContent = mask->content();
        const auto* shape = std::get_if<ShapeContent>(&maskContent);
        if (shape && shape->path) {
            maskShape = mask.get();
            clip = intersection(clip, screenBox(maskMatrix, CGPathGetBoundingBox(shape->path)));
        } else {
            clip = intersection(clip, screenBox(maskMatrix, maskPlaced.value().bounds));
        }
    }
    const CGRect box = screenBox(matrix, placement.bounds);
    const CGRect drawn = intersection(box, clip);
    const int order = ++tree.order;
    LayerContent content = layer.content();

    bool offScreen = false;
    if (drawsItself(layer, content) && !isEmpty(drawn) && !contains(screen, drawn)) {
        offScreen = true;
        if (!ancestorOffScreen) {
            PictureAudit::Finding finding;
            finding.problem = PictureAudit::Problem::OffScreen;
            finding.viewClass = classOf(layer);
            if (const auto* text = std::get_if<TextContent>(&content))
                finding.text = text->text;
            finding.detail = "drawn outside the screen: at (" + figure(drawn.origin.x) + ", " + figure(drawn.origin.y) + "), "
                + size(drawn.size) + ", on a screen of " + size(screen.size);
            tree.offScreen.push_back(std::move(finding));
        }
    }
    // Drawn over a text, even a light veil says it is not to be read now
    // (the screen under a dimming layer, a page under a sheet), so that text
    // is judged neither for contrast nor as overlapping what is on top.
    if (alphaOf(layer.backgroundColor()) * alpha >= veil && !isEmpty(drawn))
        tree.covers.push_back({ order, drawn, maskShape, maskShape ? maskMatrix : matrix });
    if (const auto* shape = std::get_if<ShapeContent>(&content); shape && shape->path && alphaOf(shape->fill) * alpha >= veil) {
        CGRect area = intersection(screenBox(matrix, CGPathGetBoundingBox(shape->path)), clip);
        if (!isEmpty(area))
            tree.covers.push_back({ order, area, &layer, matrix });
    }
    if (const auto* text = std::get_if<TextContent>(&content)) {
        TextStyle style = textStyle(*text);
        if (!text->text.empty() && style.colour.alpha * alpha >= invisibleOpacity) {
            Text item;
            item.order = order;
            item.layer = &layer;
            item.content = *text;
            item.style = style;
            item.matrix = matrix;
            item.bounds = placement.bounds;
            item.clip = clip;
            item.alpha = alpha;
            tree.texts.push_back(std::move(item));
        }
    }
    CGRect inner = layer.masksToBounds() ? drawn : clip;
    for (const auto& sublayer : layer.sublayers())
        visit(tree, *sublayer, matrix, alpha, inner, screen, ancestorOffScreen || offScreen, depth + 1);
}

// Whether a filled shape covers the corners and the middle of `area`.
bool shapeCovers(const Cover& cover, CGRect area)
{
    LayerContent content = cover.shapeLayer->content();
    const auto* shape = std::get_if<ShapeContent>(&content);
    cairo_matrix_t toShape = cover.matrix;
    if (!shape || !shape->path || cairo_matrix_invert(&toShape) != CAIRO_STATUS_SUCCESS)
        return false;
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cr = cairo_create(scratch);
    cairo_set_fill_rule(cr, shape->evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    bool inside = addCGPath(cr, *shape->path);
    const double x0 = area.origin.x + slack, y0 = area.origin.y + slack;
    const double x1 = area.origin.x + area.size.width - slack, y1 = area.origin.y + area.size.height - slack;
    const double points[5][2] = { { x0, y0 }, { x1, y0 }, { x0, y1 }, { x1, y1 }, { (x0 + x1) / 2, (y0 + y1) / 2 } };
    for (const auto& point : points) {
        if (!inside)
            break;
        double x = point[0], y = point[1];
        cairo_matrix_transform_point(&toShape, &x, &y);
        inside = cairo_in_fill(cr, x, y);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);
    return inside;
}

// Covered, from `after` on (and up to `upTo`), by something drawn later.
bool covered(const Tree& tree, CGRect area, int after, int upTo)
{
    for (const auto& cover : tree.covers)
        if (cover.order > after && cover.order <= upTo && contains(cover.area, area)
            && (!cover.shapeLayer || shapeCovers(cover, area)))
            return true;
    return false;
}

// What of `area` still shows past plain rectangles drawn later that run
// across it from edge to edge (a banner over the home screen's labels): a
// text mostly behind one is hidden by design and not judged, and of the rest
// only what shows is. Empty when nothing worth judging is left.
CGRect uncoveredPart(const Tree& tree, CGRect area, int after)
{
    CGRect left = area;
    for (const auto& cover : tree.covers) {
        if (cover.order <= after || cover.shapeLayer || isEmpty(intersection(cover.area, left)))
            continue;
        const CGRect& c = cover.area;
        const double top = left.origin.y, bottom = top + left.size.height;
        const double l = left.origin.x, r = l + left.size.width;
        const double cTop = c.origin.y, cBottom = cTop + c.size.height;
        const double cLeft = c.origin.x, cRight = cLeft + c.size.width;
        if (cLeft <= l && cRight >= r) {
            if (cTop <= top)
                left = CGRectMake(l, cBottom, left.size.width, bottom - cBottom);
            else if (cBottom >= bottom)
                left = CGRectMake(l, top, left.size.width, cTop - top);
        } else if (cTop <= top && cBottom >= bottom) {
            if (cLeft <= l)
                left = CGRectMake(cRight, top, r - cRight, left.size.height);
            else if (cRight >= r)
                left = CGRectMake(l, top, cLeft - l, left.size.height);
        }
        if (isEmpty(left))
            return CGRectZero;
    }
    if (left.size.width * left.size.height < area.size.width * area.size.height / 2)
        return CGRectZero;
    return left;
}

// The pixels of `area` (points) on a picture of `scale` pixels a point.
struct PixelBox {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
};

PixelBox pixels(CGRect area, double scale, const Surface& picture)
{
    PixelBox box;
    box.x0 = std::max(0, static_cast<int>(std::floor(area.origin.x * scale)));
    box.y0 = std::max(0, static_cast<int>(std::floor(area.origin.y * scale)));
    box.x1 = std::min(picture.width(), static_cast<int>(std::ceil((area.origin.x + area.size.width) * scale)));
    box.y1 = std::min(picture.height(), static_cast<int>(std::ceil((area.origin.y + area.size.height) * scale)));
    return box;
}

RGBA colourOf(const std::array<std::uint8_t, 4>& p) { return { p[0] / 255.0, p[1] / 255.0, p[2] / 255.0, p[3] / 255.0 }; }

// What is behind a text: the middle value of each channel, so a few pixels
// of an edge or an icon in the box do not sway it.
RGBA background(const Surface& textless, const PixelBox& box)
{
    // Every pixel of a small box, a grid of about 4,000 of a large one.
    const int step = std::max(1, static_cast<int>(std::sqrt(double(box.x1 - box.x0) * (box.y1 - box.y0) / 4000.0)));
    std::array<std::vector<std::uint8_t>, 3> channels;
    for (int y = box.y0; y < box.y1; y += step)
        for (int x = box.x0; x < box.x1; x += step) {
            auto p = textless.pixel(x, y);
            for (int c = 0; c < 3; ++c)
                channels[c].push_back(p[c]);
        }
    RGBA result { 0, 0, 0, 1 };
    double* out[3] = { &result.red, &result.green, &result.blue };
    for (int c = 0; c < 3; ++c) {
        auto& values = channels[c];
        if (values.empty())
            continue;
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        *out[c] = values[values.size() / 2] / 255.0;
    }
    return result;
}

// The text's colour as it shows: the picture's pixel that differs most from
// the same pixel drawn without text (the middle of a stroke), if any does.
std::optional<RGBA> seenText(const Surface& picture, const Surface& textless, const PixelBox& box)
{
    int best = 0;
    std::array<std::uint8_t, 4> seen {};
    for (int y = box.y0; y < box.y1; ++y)
        for (int x = box.x0; x < box.x1; ++x) {
            auto with = picture.pixel(x, y), without = textless.pixel(x, y);
            int difference = 0;
            for (int c = 0; c < 3; ++c)
                difference += std::abs(int(with[c]) - int(without[c]));
            if (difference > best) {
                best = difference;
                seen = with;
            }
        }
    // Less than a step or two of 8 bits: nothing of the text shows.
    if (best <= 6)
        return std::nullopt;
    return colourOf(seen);
}

RGBA over(const RGBA& top, double alpha, const RGBA& under)
{
    double a = std::clamp(top.alpha * alpha, 0.0, 1.0);
    return { top.red * a + under.red * (1 - a), top.green * a + under.green * (1 - a), top.blue * a + under.blue * (1 - a), 1 };
}

// A message is read, not glanced at: body text that may take several lines,
// not large by WCAG's measure.
bool isMessage(const TextStyle& style)
{
    bool large = style.pointSize >= 18 || (style.pointSize >= 14 && style.weight >= UIFontWeightBold);
    return style.numberOfLines != 1 && !large;
}

std::vector<PictureAudit::Finding> audit(Tree& tree, const Surface& picture, const Surface& textless, double scale)
{
    std::vector<PictureAudit::Finding> findings = std::move(tree.offScreen);
    TextPainter painter;
    auto finding = [](const Text& text, PictureAudit::Problem problem, std::string detail) {
        PictureAudit::Finding f;
        f.problem = problem;
        f.viewClass = classOf(*text.layer);
        f.text = text.content.text;
        f.detail = std::move(detail);
        return f;
    };

    for (auto& text : tree.texts) {
        const CGRect b = text.bounds;
        if (isEmpty(intersection(screenBox(text.matrix, b), text.clip)) && !isEmpty(b)) {
            // Scrolled out of sight or clipped away whole by an ancestor.
            text.shown = false;
            continue;
        }
        if (isEmpty(b)) {
            CGSize needed = painter.measure(text.content.text, text.style);
            findings.push_back(finding(text, PictureAudit::Problem::Cut, "no room for the text: needs " + size(needed) + ", has " + size(b.size)));
            text.shown = false;
            continue;
        }
        auto fit = painter.fit(text.content.text, text.style, CGRectMake(0, 0, b.size.width, b.size.height));
        const CGRect ink = fit.ink;
        const bool cutAcross = ink.origin.x < -slack || ink.origin.x + ink.size.width > b.size.width + slack;
        const bool cutDown = ink.origin.y < -slack || ink.origin.y + ink.size.height > b.size.height + slack;
        const bool clippingAsked = text.style.lineBreakMode == 2;
        if (cutDown || (cutAcross && !clippingAsked)) {
            CGSize needed { std::max(b.size.width, fit.logical.size.width), std::max(fit.logical.size.height, ink.size.height) };
            if (cutDown && text.style.numberOfLines != 1 && fit.lines > 1)
                findings.push_back(finding(text, PictureAudit::Problem::Cut,
                    "text wrapped past its bounds: " + std::to_string(fit.lines) + " lines need " + size(needed) + ", has " + size(b.size)));
            else
                findings.push_back(finding(text, PictureAudit::Problem::Cut, "text cut off: needs " + size(needed) + ", has " + size(b.size)));
        }
        // What of the text shows on the screen: its ink, inside its bounds
        // and whatever its ancestors clip.
        CGRect inkInBounds = intersection(ink, CGRectMake(0, 0, b.size.width, b.size.height));
        text.ink = intersection(screenBox(text.matrix, CGRectMake(b.origin.x + inkInBounds.origin.x, b.origin.y + inkInBounds.origin.y, inkInBounds.size.width, inkInBounds.size.height)),
            text.clip);
        if (!isEmpty(text.ink) && !covered(tree, text.ink, text.order, tree.order))
            text.ink = uncoveredPart(tree, text.ink, text.order);
        if (isEmpty(text.ink) || covered(tree, text.ink, text.order, tree.order)) {
            text.shown = false;
            continue;
        }

        PixelBox box = pixels(text.ink, scale, picture);
        if (box.empty())
            continue;
        RGBA behind = background(textless, box);
        double needed = isMessage(text.style) ? PictureAudit::messageContrast : PictureAudit::textContrast;
        std::optional<RGBA> seen = seenText(picture, textless, box);
        if (!seen) {
            // Nothing of it shows: either its colour is what lies behind it,
            // or something without a fill of its own (a picture) is on top.
            RGBA drawn = over(text.style.colour, text.alpha, behind);
            if (contrastRatio(drawn, behind) >= needed) {
                text.shown = false;
                continue;
            }
            seen = drawn;
        }
        double ratio = contrastRatio(*seen, behind);
        // Compared as shown to a reader, to one decimal.
        if (std::floor(ratio * 10 + 1e-9) / 10 < needed)
            findings.push_back(finding(text, PictureAudit::Problem::Contrast,
                "contrast " + figure(std::floor(ratio * 10) / 10) + ":1, needs " + figure(needed) + ":1 (" + hex(*seen) + " on " + hex(behind) + ")"));
    }

    for (std::size_t j = 0; j < tree.texts.size(); ++j) {
        const Text& upper = tree.texts[j];
        if (!upper.shown)
            continue;
        for (std::size_t i = 0; i < j; ++i) {
            const Text& lower = tree.texts[i];
            if (!lower.shown)
                continue;
            CGRect both = intersection(lower.ink, upper.ink);
            if (both.size.width <= slack || both.size.height <= slack)
                continue;
            // A card drawn between them veils the lower text there.
            if (covered(tree, both, lower.order, upper.order))
                continue;
            findings.push_back(finding(upper, PictureAudit::Problem::Overlap,
                "overlaps " + classOf(*lower.layer) + " \"" + lower.content.text + "\" by " + size(both.size)));
        }
    }
    return findings;
}

CGRect screenBounds() { return UIScreen::mainScreen()->bounds(); }

// Nothing clips a window but the screen's edge, which is what is judged.
const CGRect unclipped = CGRectMake(-1e6, -1e6, 2e6, 2e6);

}  // namespace

double relativeLuminance(const RGBA& colour)
{
    auto linear = [](double channel) {
        channel = std::clamp(std::isfinite(channel) ? channel : 0.0, 0.0, 1.0);
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) + 0.0722 * linear(colour.blue);
}

double contrastRatio(const RGBA& first, const RGBA& second)
{
    double a = relativeLuminance(first), b = relativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

std::string PictureAudit::Finding::description() const
{
    std::string who = viewClass;
    if (!text.empty())
        who += " \"" + text + "\"";
    return who + ": " + detail;
}

std::string PictureAudit::report(const std::string& pictureName, const std::vector<Finding>& findings)
{
    std::string lines;
    for (const auto& finding : findings)
        lines += pictureName + ": " + finding.description() + "\n";
    return lines;
}

std::vector<PictureAudit::Finding> PictureAudit::auditScreen()
{
    auto& compositor = Compositor::shared();
    const Surface& picture = compositor.renderSurface();
    Surface textless = compositor.renderWithoutText();
    if (!picture.isValid() || !textless.isValid())
        return {};
    Tree tree;
    cairo_matrix_t identity;
    cairo_matrix_init_identity(&identity);
    const CGRect screen = screenBounds();
    for (const auto& window : compositor.shownWindows())
        visit(tree, *window->layer(), identity, 1, unclipped, screen, false, 0);
    return audit(tree, picture, textless, UIScreen::mainScreen()->scale());
}

std::vector<PictureAudit::Finding> PictureAudit::auditLayerTree(const CALayer& root)
{
    const CGRect screen = screenBounds();
    const double scale = UIScreen::mainScreen()->scale();
    Surface picture = Compositor::shared().renderTrees({ &root }, Compositor::Text::Drawn);
    Surface textless = Compositor::shared().renderTrees({ &root }, Compositor::Text::LeftOut);
    if (!picture.isValid() || !textless.isValid())
        return {};
    Tree tree;
    cairo_matrix_t identity;
    cairo_matrix_init_identity(&identity);
    visit(tree, root, identity, 1, unclipped, screen, false, 0);
    return audit(tree, picture, textless, scale);
}

}  // namespace render
