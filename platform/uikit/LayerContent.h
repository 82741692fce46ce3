#pragma once

// What a layer draws of its own, between its background and its sublayers,
// written down as plain values. Views and layer kinds describe themselves
// here and the renderer reads nothing else, so a new kind of view only has
// to say which of these it shows.

#include "platform/foundation/CGGeometry.h"
#include "platform/uikit/Forward.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// Pixels in memory (platform/render/ScreenFrame.h); layers only pass them on.
struct ScreenFrame;

// Lines of text in the bounds. A null font is the system font at 17 points.
struct TextContent {
    std::string text;
    std::shared_ptr<UIFont> font;
    std::shared_ptr<UIColor> colour;
    std::int64_t alignment = 4;  // NSTextAlignmentNatural
    std::int64_t numberOfLines = 1;
    std::int64_t lineBreakMode = 4;  // NSLineBreakByTruncatingTail
    // A text field's caret while it is edited: a byte offset into `text`
    // (into nothing but the placeholder's start when the field is empty),
    // or -1 for none.
    std::int64_t caret = -1;
    std::shared_ptr<UIColor> caretColour {};
};

// An image placed in the bounds by a view content mode; symbol images take
// the tint colour.
struct ImageContent {
    std::shared_ptr<UIImage> image;
    std::int64_t contentMode = 0;  // UIViewContentModeScaleToFill
    std::shared_ptr<UIColor> tint;
};

// An on/off switch's track and knob, filling the bounds.
struct SwitchContent {
    bool on = false;
    std::shared_ptr<UIColor> onTint;
};

// A path filled and stroked in the layer's coordinates.
struct ShapeContent {
    CGPathRef path;
    CGColorRef fill;
    CGColorRef stroke;
    CGFloat lineWidth = 1;
    bool evenOdd = false;
    std::vector<int> dashPattern;
    CGFloat dashPhase = 0;
};

// A linear gradient over the bounds: colours at locations (0...1, or spread
// evenly when empty) along the line between two points of the unit square.
struct GradientContent {
    std::vector<CGColorRef> colours;
    std::vector<CGFloat> locations;
    CGPoint start { 0.5, 0 };
    CGPoint end { 0.5, 1 };
};

// A picture made in memory, stretched over the bounds; where its pixels land
// one to one on the screen's they are copied exactly.
struct PictureContent {
    std::shared_ptr<const ScreenFrame> picture;
};

using LayerContent
    = std::variant<std::monostate, TextContent, ImageContent, SwitchContent, ShapeContent, GradientContent, PictureContent>;
