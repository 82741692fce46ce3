#pragma once

// A window's pixels in shared memory: one memfd holding two buffers, one
// after the other, each `pixelWidth × pixelHeight` premultiplied ARGB32
// pixels with rows packed (Cairo's layout). The drawing process writes one
// buffer while the display reads the other.
//
// The creator sizes the memfd and seals it against shrinking (and against
// further sealing), so a process that hands it over cannot cut it short
// under the display's mapping. The display maps a received descriptor only
// when it is such a sealed memfd at least as large as the frame claims, and
// maps it read-only.
//
// A surface may carry a few bytes after its two buffers (the trailer) for
// the writer to tell the reader which buffer is whole; windows have none.

#include "platform/foundation/CGGeometry.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/foundation/Result.h"
#include "platform/render/Surface.h"

#include <cstddef>
#include <cstdint>

namespace display {

class SharedSurface {
public:
    // A new memfd for a window of `points` drawn at `scale`.
    static foundation::Result<SharedSurface> create(CGSize points, double scale, std::size_t trailerBytes = 0);
    // The display's side: `fd` as a surface of `pixelWidth × pixelHeight`,
    // refused when it is not a memfd sealed against shrinking or is smaller
    // than two such buffers.
    static foundation::Result<SharedSurface> adopt(foundation::FileDescriptor fd, int pixelWidth, int pixelHeight,
        std::size_t trailerBytes = 0);

    SharedSurface() = default;
    ~SharedSurface();
    SharedSurface(SharedSurface&& other) noexcept;
    SharedSurface& operator=(SharedSurface&& other) noexcept;
    SharedSurface(const SharedSurface&) = delete;
    SharedSurface& operator=(const SharedSurface&) = delete;

    int fd() const { return m_fd.get(); }
    int pixelWidth() const { return m_width; }
    int pixelHeight() const { return m_height; }
    int stride() const { return m_width * 4; }
    std::size_t bufferSize() const { return static_cast<std::size_t>(stride()) * m_height; }
    bool isWritable() const { return m_writable; }
    // The bytes after the buffers (8-byte aligned), or null without any;
    // read-only unless the surface is writable.
    std::uint8_t* trailer() const { return m_mappingSize > 2 * bufferSize() ? m_mapping + 2 * bufferSize() : nullptr; }

    // Buffer 0 or 1 as a picture to draw from (the display) or into (the
    // drawing process, whose surface is writable). The picture borrows the
    // mapping: it must not outlive this surface.
    render::Surface buffer(int index) const;
    // Copies `picture` (of the same size) into buffer `index`.
    foundation::Status fill(int index, const render::Surface& picture);

private:
    foundation::FileDescriptor m_fd;
    std::uint8_t* m_mapping = nullptr;
    std::size_t m_mappingSize = 0;
    int m_width = 0, m_height = 0;
    bool m_writable = false;
};

}  // namespace display
