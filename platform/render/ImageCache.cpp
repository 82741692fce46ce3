#include "platform/render/ImageCache.h"

#include "platform/foundation/DevicePath.h"
#include "platform/foundation/NSLog.h"
#include "platform/render/ScreenFrame.h"
#include "platform/uikit/UIImage.h"

#include <algorithm>

namespace render {

cairo_surface_t* ImageCache::surfaceFor(const UIImage& image)
{
    const std::string& path = image.filePath();
    if (path.empty())
        return nullptr;
    ++m_clock;
    if (auto it = m_entries.find(path); it != m_entries.end()) {
        it->second.lastUse = m_clock;
        return it->second.surface.cairoSurface();
    }
    if (m_entries.size() >= capacity) {
        auto oldest = std::min_element(m_entries.begin(), m_entries.end(),
            [](const auto& a, const auto& b) { return a.second.lastUse < b.second.lastUse; });
        m_entries.erase(oldest);
    }
    Entry entry;
    entry.lastUse = m_clock;
    // Device paths that would leave the device root are refused here too.
    if (auto host = DevicePath::toHost(path)) {
        auto picture = Surface::readPNG(host.value());
        if (picture)
            entry.surface = picture.release();
        else
            NSLog("render: cannot draw the image %@: %@", path, picture.message());
    }
    auto& stored = m_entries[path] = std::move(entry);
    return stored.surface.cairoSurface();
}

cairo_surface_t* ImageCache::surfaceFor(const std::shared_ptr<const ScreenFrame>& frame)
{
    if (!frame)
        return nullptr;
    // Frames are immutable once handed out, so one that is still alive
    // still has the pixels it was converted from.
    std::erase_if(m_frames, [](const FrameEntry& entry) { return entry.frame.expired(); });
    for (const auto& entry : m_frames)
        if (entry.frame.lock() == frame)
            return entry.surface.cairoSurface();
    m_frames.push_back({ frame, Surface::fromScreenFrame(*frame) });
    return m_frames.back().surface.cairoSurface();
}

}  // namespace render
