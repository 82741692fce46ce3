#pragma once

// The crop engine's arithmetic, without movies or screens: from a rectangle
// in screen points to a rectangle in movie pixels, and the render size.

#include "platform/foundation/CGGeometry.h"

#include <algorithm>
#include <cmath>

namespace CropGeometry {

// Horizontal values scale by movieWidth / screenWidth, vertical ones by
// movieHeight / screenHeight: only the movie's own size counts, not the
// screen's pixel density. No rounding.
inline CGRect cropRectInMovie(CGSize movie, CGSize screen, CGRect crop)
{
    return CGRectMake(movie.width * crop.origin.x / screen.width, movie.height * crop.origin.y / screen.height,
        movie.width * crop.size.width / screen.width, movie.height * crop.size.height / screen.height);
}

// Each side rounded down to a multiple of 16 pixels.
inline CGSize renderSize(CGRect cropInMovie)
{
    return CGSizeMake(std::floor(cropInMovie.size.width * 0.0625) * 16, std::floor(cropInMovie.size.height * 0.0625) * 16);
}

// Whether the rectangle shares some area with the movie's picture. One that
// does not would export nothing but black, so it is refused; one partly off
// the picture keeps its meaning, black where it leaves the picture.
inline bool meetsMovie(CGSize movie, CGRect cropInMovie)
{
    double left = std::max(0.0, static_cast<double>(cropInMovie.origin.x));
    double top = std::max(0.0, static_cast<double>(cropInMovie.origin.y));
    double right = std::min(static_cast<double>(movie.width), static_cast<double>(cropInMovie.origin.x + cropInMovie.size.width));
    double bottom = std::min(static_cast<double>(movie.height), static_cast<double>(cropInMovie.origin.y + cropInMovie.size.height));
    bool numbers = !std::isnan(cropInMovie.origin.x) && !std::isnan(cropInMovie.origin.y) && !std::isnan(cropInMovie.size.width)
        && !std::isnan(cropInMovie.size.height);
    return numbers && right > left && bottom > top;
}

// The movie's preferred transform followed by the shift that brings the
// crop's corner to the origin.
inline CGAffineTransform layerTransform(const CGAffineTransform& preferred, CGRect cropInMovie)
{
    return CGAffineTransformConcat(preferred, CGAffineTransformMakeTranslation(-cropInMovie.origin.x, -cropInMovie.origin.y));
}

}  // namespace CropGeometry
