#include "platform/replaykit/TestPattern.h"

namespace TestPattern {

void colourAt(int width, int height, int x, int y, std::uint8_t rgb[3])
{
    rgb[0] = static_cast<std::uint8_t>(width > 1 ? x * 255 / (width - 1) : 0);
    rgb[1] = static_cast<std::uint8_t>(height > 1 ? y * 255 / (height - 1) : 0);
    rgb[2] = ((x / 64 + y / 64) % 2) ? 200 : 60;
}

std::shared_ptr<const ScreenFrame> make(int width, int height)
{
    auto frame = std::make_shared<ScreenFrame>();
    frame->width = width;
    frame->height = height;
    frame->pixels.resize(static_cast<std::size_t>(width) * height * 4);
    std::uint8_t* p = frame->pixels.data();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x, p += 4) {
            colourAt(width, height, x, y, p);
            p[3] = 255;
        }
    }
    return frame;
}

}  // namespace TestPattern
