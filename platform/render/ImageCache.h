#pragma once

// PNG pictures of file images, read once and kept while they are in use,
// so a screen that shows the same images every frame reads no file twice.

#include "platform/render/Surface.h"

#include <cstdint>
#include <string>
#include <unordered_map>

class UIImage;

namespace render {

class ImageCache {
public:
    static constexpr std::size_t capacity = 64;

    // The picture of a file image; null (remembered, so not retried every
    // frame) when the file cannot be read as a PNG.
    cairo_surface_t* surfaceFor(const UIImage& image);
    void clear() { m_entries.clear(); }
    std::size_t size() const { return m_entries.size(); }

private:
    struct Entry {
        Surface surface;
        std::uint64_t lastUse = 0;
    };
    std::unordered_map<std::string, Entry> m_entries;
    std::uint64_t m_clock = 0;
};

}  // namespace render
