#pragma once

#include "platform/render/ScreenFrame.h"

// A wallpaper whose every pixel tells where it is: red grows from left to
// right, green from top to bottom, and blue marks a 64-pixel checkerboard.
// A crop of a recording can be checked by decoding it.
namespace TestPattern {
std::shared_ptr<const ScreenFrame> make(int width, int height);
// The colour the pattern has at a pixel.
void colourAt(int width, int height, int x, int y, std::uint8_t rgb[3]);
}  // namespace TestPattern
