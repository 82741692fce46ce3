#pragma once

#include <cstdint>

namespace av {

// Non-owning view of an 8-bit YUV 4:2:0 picture (plane 1 and 2 are
// ceil(width/2) x ceil(height/2)).
struct PlanarImage {
    uint8_t* data[3] = {};
    int linesize[3] = {};
    int width = 0;
    int height = 0;
};

}  // namespace av
