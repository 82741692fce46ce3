#pragma once

// Draws a layer tree with Cairo the way Core Animation composites it:
// presentation geometry and opacity at the run loop's time, background,
// the layer's own content (shape, text, image, gradient, picture), its
// sublayers (clipped when it masks to bounds), border on top; opacity
// applies to the layer and its sublayers as one group; a shadow is cast by
// everything the layer draws; a mask layer's alpha decides what shows.

#include "platform/foundation/CGGeometry.h"
#include "platform/foundation/Result.h"
#include "platform/render/Forward.h"
#include "platform/uikit/Forward.h"

#include <cairo.h>

#include <cstdint>

struct TextContent;

namespace render {

struct TextStyle;

// Below half a step of 8-bit alpha nothing can show: a layer or window this
// faint is skipped rather than drawn.
constexpr double invisibleOpacity = 1.0 / 512;

class LayerPainter {
public:
    static constexpr int maxDepth = 256;

    LayerPainter(ImageCache& images, TextPainter& text)
        : m_images(images)
        , m_text(text)
    {
    }

    // Draws `layer` and everything under it into `cr`, whose user space is
    // the layer's superlayer's (for a window: the screen, in points).
    // Layers whose geometry cannot be drawn (not a number, a transform that
    // collapses them) are skipped, never passed to Cairo, so one bad layer
    // cannot spoil the rest of the picture. Masks that lead back into their
    // own tree end at a depth no real screen reaches, instead of recursing
    // without end.
    void paint(cairo_t* cr, const CALayer& layer);

    // Offscreen pictures made in the paints so far (masks that are not
    // plain shapes, shadows): the costly case, counted for benchmarks.
    std::uint64_t offscreenPasses() const { return m_offscreenPasses; }

    // A rectangle in device pixels.
    struct DeviceBox;

    // Where a layer sits in its superlayer at the run loop's time.
    struct Placement {
        cairo_matrix_t matrix;  // the layer's coordinates to its superlayer's
        CGRect bounds;
        double opacity = 1;
    };
    // Where the layer sits, or why it cannot be drawn.
    static foundation::Result<Placement> place(const CALayer& layer);

    // Off, text is left out of the picture (everything else is drawn as
    // usual): what lies behind the text, for judging how well it reads.
    void setDrawsText(bool draws) { m_drawsText = draws; }

private:
    struct MaskPlan;
    MaskPlan planMask(const CALayer& layer) const;
    void paintPlaced(cairo_t* cr, const CALayer& layer, const Placement& placement);
    void paintOffscreen(cairo_t* cr, const CALayer& layer, const Placement& placement, const MaskPlan& mask);
    void drawBody(cairo_t* cr, const CALayer& layer, const Placement& placement, double alpha);
    void drawContent(cairo_t* cr, const CALayer& layer, CGRect bounds, double alpha);
    int primitiveCount(const CALayer& layer) const;
    DeviceBox subtreeExtents(const CALayer& layer, CGRect bounds, const cairo_matrix_t& matrix) const;
    CGRect contentExtents(const CALayer& layer, CGRect bounds) const;

    ImageCache& m_images;
    TextPainter& m_text;
    std::uint64_t m_offscreenPasses = 0;
    int m_depth = 0;
    bool m_drawsText = true;
};

// How a layer's text content is drawn: size, weight, colour, alignment,
// lines and line-break mode.
TextStyle textStyle(const TextContent& text);

// Adds a CGPath's figures to the current path of `cr`. Returns false, adding
// nothing, when a point is not a finite number.
bool addCGPath(cairo_t* cr, const CGPath& path);

}  // namespace render
