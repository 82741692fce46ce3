#pragma once

// The outline of a layer's bounds with rounded corners, as Core Animation
// draws backgrounds, borders and clips.

#include "platform/foundation/CGGeometry.h"
#include "platform/render/Forward.h"

#include <string>

namespace render {

enum class CornerCurve { Circular,
    Continuous };

// Adds the outline of `rect` to the current path of `cr` as one closed
// subpath. The radius is clamped to half the shorter side, as Core
// Animation does. The continuous curve eases from the straight edge into
// the corner (no jump in curvature where a circular arc would start), the
// way the phone's continuous corners look.
void addRoundedRect(cairo_t* cr, CGRect rect, CGFloat radius, CornerCurve curve);

CornerCurve cornerCurveNamed(const std::string& name);

}  // namespace render
