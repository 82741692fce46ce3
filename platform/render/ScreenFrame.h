#pragma once

// The compositor's picture of the screen as plain pixels, for whoever takes
// frames from it (the system recorder, pictures shown on layers).

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// One picture of the screen in RGBA, 8 bits a channel, rows top to bottom.
struct ScreenFrame {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 4
    int stride() const { return width * 4; }
};

// Gives the picture on the screen now. Frames are immutable once handed out,
// so an unchanged screen can hand out the same frame again.
using ScreenSource = std::function<std::shared_ptr<const ScreenFrame>()>;
