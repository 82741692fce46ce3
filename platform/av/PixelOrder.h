#pragma once

namespace av {

// Byte order of a 32-bit pixel in memory. BGRA is what iOS screen buffers
// use; RGBA is what most image code produces. Alpha is ignored.
enum class PixelOrder { RGBA,
    BGRA };

}  // namespace av
