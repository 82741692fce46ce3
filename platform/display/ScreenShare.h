#pragma once

// The display's pictures of the whole screen, shared with the process that
// records and frosts it (SpringBoard). One memfd (a SharedSurface) holds
// two buffers of the screen and, after them, three native u64 counters:
//
//   offset              field
//   2 × buffer bytes    generation of buffer 0 (odd while it is written)
//   + 8                 generation of buffer 1
//   + 16                latest: 0 before the first picture, else the
//                       whole buffer's index + 1
//
// The display writes the buffer that is not the latest and then names it
// latest, so the reader never waits for the writer and the writer never
// waits for the reader. A reader copies the latest buffer and keeps the
// copy only when its generation was even and unchanged across the copy: a
// copy the display overwrote meanwhile is never handed out torn.

#include "platform/display/SharedSurface.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Result.h"
#include "platform/render/ScreenFrame.h"
#include "platform/render/Surface.h"

#include <cstdint>
#include <memory>

namespace display {

class ScreenShare {
public:
    static constexpr std::size_t trailerBytes = 24;

    // The display's side: a new share of a screen of `points` at `scale`.
    static foundation::Result<ScreenShare> create(CGSize points, double scale);
    // The recording process's side: the display's descriptor, refused as
    // SharedSurface refuses a window's.
    static foundation::Result<ScreenShare> adopt(foundation::FileDescriptor fd, int pixelWidth, int pixelHeight);

    int fd() const { return m_surface.fd(); }
    int pixelWidth() const { return m_surface.pixelWidth(); }
    int pixelHeight() const { return m_surface.pixelHeight(); }

    // The display: `screen` (of the share's size) as the latest picture.
    foundation::Status publish(const render::Surface& screen);
    // The reader: the latest whole picture, as the recorder takes it, or
    // null before the first one (or when the display overwrote it under
    // every try). `reuse` may hold a frame whose buffer is recycled.
    std::shared_ptr<ScreenFrame> latest(std::shared_ptr<ScreenFrame> reuse = nullptr) const;
    std::uint64_t publishedCount() const { return m_published; }

private:
    explicit ScreenShare(SharedSurface surface)
        : m_surface(std::move(surface))
    {
    }
    std::uint64_t* counter(int index) const;

    SharedSurface m_surface;
    std::uint64_t m_published = 0;
};

}  // namespace display
