#pragma once

// PNG pictures of file images, read once and kept while they are in use,
// so a screen that shows the same images every frame reads no file twice.

#include "platform/render/Surface.h"
#include "platform/uikit/Forward.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace render {

class ImageCache {
public:
    static constexpr std::size_t capacity = 64;

    // The picture of a file image; null (remembered, so not retried every
    // frame) when the file cannot be read as a PNG.
    cairo_surface_t* surfaceFor(const UIImage& image);
    // The picture of a frame in memory, converted once and kept while the
    // frame lives; null when the frame cannot be a picture.
    cairo_surface_t* surfaceFor(const std::shared_ptr<const ScreenFrame>& frame);
    void clear()
    {
        m_entries.clear();
        m_frames.clear();
    }
    std::size_t size() const { return m_entries.size(); }

private:
    struct Entry {
        Surface surface;
        std::uint64_t lastUse = 0;
    };
    std::unordered_map<std::string, Entry> m_entries;
    struct FrameEntry {
        std::weak_ptr<const ScreenFrame> frame;
        Surface surface;
    };
    std::vector<FrameEntry> m_frames;
    std::uint64_t m_clock = 0;
};

}  // namespace render
