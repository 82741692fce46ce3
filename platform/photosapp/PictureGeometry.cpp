#include "platform/photosapp/PictureGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace photosapp {

ScreenFrame rotated(const ScreenFrame& picture, double clockwiseDegrees)
{
    int quarters = static_cast<int>(std::lround(clockwiseDegrees / 90)) % 4;
    if (quarters < 0)
        quarters += 4;
    if (quarters == 0)
        return picture;
    const int w = picture.width;
    const int h = picture.height;
    ScreenFrame out;
    out.width = quarters == 2 ? w : h;
    out.height = quarters == 2 ? h : w;
    out.pixels.resize(picture.pixels.size());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int nx = x, ny = y;
            if (quarters == 1) {
                nx = h - 1 - y;
                ny = x;
            } else if (quarters == 2) {
                nx = w - 1 - x;
                ny = h - 1 - y;
            } else {
                nx = y;
                ny = w - 1 - x;
            }
            std::memcpy(&out.pixels[(static_cast<std::size_t>(ny) * out.width + nx) * 4],
                &picture.pixels[(static_cast<std::size_t>(y) * w + x) * 4], 4);
        }
    }
    return out;
}

ScreenFrame centreSquare(const ScreenFrame& picture)
{
    const int side = std::min(picture.width, picture.height);
    if (side == picture.width && side == picture.height)
        return picture;
    const int left = (picture.width - side) / 2;
    const int top = (picture.height - side) / 2;
    ScreenFrame out;
    out.width = side;
    out.height = side;
    out.pixels.resize(static_cast<std::size_t>(side) * side * 4);
    for (int y = 0; y < side; ++y)
        std::memcpy(&out.pixels[static_cast<std::size_t>(y) * side * 4],
            &picture.pixels[(static_cast<std::size_t>(top + y) * picture.width + left) * 4], static_cast<std::size_t>(side) * 4);
    return out;
}

CGSize sizeFillingSquare(CGSize size, CGFloat shortSide)
{
    if (!(size.width > 0) || !(size.height > 0))
        return CGSizeMake(std::max<CGFloat>(1, shortSide), std::max<CGFloat>(1, shortSide));
    const CGFloat scale = shortSide / std::min(size.width, size.height);
    return CGSizeMake(std::max<CGFloat>(1, std::round(size.width * scale)), std::max<CGFloat>(1, std::round(size.height * scale)));
}

CGRect aspectFit(CGSize content, CGRect area)
{
    if (!(content.width > 0) || !(content.height > 0))
        return CGRectMake(CGRectGetMidX(area), CGRectGetMidY(area), 0, 0);
    const CGFloat scale = std::min(area.size.width / content.width, area.size.height / content.height);
    const CGFloat w = content.width * scale;
    const CGFloat h = content.height * scale;
    return CGRectMake(area.origin.x + (area.size.width - w) / 2, area.origin.y + (area.size.height - h) / 2, w, h);
}

CGSize cappedPixelSize(CGSize size, CGFloat longest)
{
    CGFloat w = std::max<CGFloat>(1, size.width);
    CGFloat h = std::max<CGFloat>(1, size.height);
    const CGFloat scale = std::min<CGFloat>(1, longest / std::max(w, h));
    return CGSizeMake(std::max<CGFloat>(1, std::round(w * scale)), std::max<CGFloat>(1, std::round(h * scale)));
}

}  // namespace photosapp
