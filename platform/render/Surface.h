#pragma once

// A picture the compositor draws into: a Cairo ARGB32 image surface
// (premultiplied, native-endian 32-bit pixels), owned by this object.

#include "platform/foundation/Result.h"
#include "platform/render/Forward.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace render {

// A colour with straight (not premultiplied) components in 0...1.
struct RGBA {
    double red = 0, green = 0, blue = 0, alpha = 0;
    bool operator==(const RGBA&) const = default;
};

class Surface {
public:
    Surface() = default;
    // Cleared to transparent black. Sides that are not positive, or so large
    // that the pixels could not be addressed, give an invalid surface.
    Surface(int width, int height);
    // Takes ownership of `surface` (which may be null or in an error state:
    // the result is then invalid).
    static Surface adopt(cairo_surface_t* surface);
    ~Surface();
    Surface(Surface&& other) noexcept;
    Surface& operator=(Surface&& other) noexcept;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    bool isValid() const { return m_surface != nullptr; }
    int width() const;
    int height() const;
    int stride() const;
    cairo_surface_t* cairoSurface() const { return m_surface; }
    // The pixels, after any pending drawing has been flushed.
    const std::uint8_t* data() const;
    // For writing pixels directly; call markDirty() afterwards.
    std::uint8_t* mutableData();
    void markDirty();

    // The straight-alpha red, green, blue and alpha of one pixel (0...255);
    // transparent black outside the surface.
    std::array<std::uint8_t, 4> pixel(int x, int y) const;
    void clear(RGBA colour);

    // RGBA, straight alpha, rows top to bottom, as the recorder takes it.
    // `reuse` may hold a frame whose buffer is recycled.
    std::shared_ptr<ScreenFrame> toScreenFrame(std::shared_ptr<ScreenFrame> reuse = nullptr) const;
    // The other way: invalid when the frame's buffer is shorter than its
    // sides claim (it would be read past its end).
    static Surface fromScreenFrame(const ScreenFrame& frame);

    // Written to a temporary file beside `hostPath`, then renamed over it,
    // so a failed write never leaves a truncated picture behind.
    foundation::Status writePNG(const std::string& hostPath) const;
    // Any PNG, converted to ARGB32; an invalid surface and a message when
    // the file is missing or is not a readable PNG.
    static foundation::Result<Surface> readPNG(const std::string& hostPath);

private:
    explicit Surface(cairo_surface_t* surface)
        : m_surface(surface)
    {
    }
    cairo_surface_t* m_surface = nullptr;
};

}  // namespace render
