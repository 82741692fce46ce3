#pragma once

// The arithmetic of showing a movie's pictures: turned upright as the
// movie's rotation says, cut to a square for the grid, fitted into the
// player. Pure functions on pixels and sizes.

#include "platform/foundation/CGGeometry.h"
#include "platform/render/ScreenFrame.h"

namespace photosapp {

// Turns a picture clockwise by a multiple of 90 degrees (others are taken
// to the nearest multiple).
ScreenFrame rotated(const ScreenFrame& picture, double clockwiseDegrees);

// The largest centred square of the picture, as the grid shows a cell.
ScreenFrame centreSquare(const ScreenFrame& picture);

// The size, keeping width:height, whose shorter side is `shortSide` (each
// side at least 1).
CGSize sizeFillingSquare(CGSize size, CGFloat shortSide);
// The largest rectangle of the content's shape inside `area`, centred.
CGRect aspectFit(CGSize content, CGRect area);
// Whole pixels, at least 1, and no side above `longest` (keeping the shape).
CGSize cappedPixelSize(CGSize size, CGFloat longest);

}  // namespace photosapp
