#pragma once

#include <cstdint>
#include <vector>

#include "platform/av/FFmpegPtr.h"
#include "platform/av/Forward.h"
#include "platform/foundation/Result.h"

namespace av {

// Decoded pictures (the decoder's video-range yuv420p) to RGBA for showing
// on screen: rows top to bottom, 8 bits a channel, opaque. The inverse of
// the writer's conversion, with the same BT.601 matrix, so a flat colour
// written by the recorder reads back as that colour. Keeps its scaler
// between pictures of one size.
class RgbaConverter {
public:
    struct Picture {
        int width = 0;
        int height = 0;
        std::vector<std::uint8_t> pixels;  // width * height * 4
    };

    // `source` must be yuv420p (what VideoDecoder hands out); the output is
    // scaled to width x height, both at least 1.
    [[nodiscard]] Result<Picture> convert(const AVFrame* source, int width, int height);

private:
    SwsPtr m_scaler;
};

}  // namespace av
