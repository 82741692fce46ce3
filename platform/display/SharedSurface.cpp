#include "platform/display/SharedSurface.h"

#include <cairo.h>

#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace display {

using foundation::Error;
using foundation::ErrorCode;

namespace {

// Twice this is mapped; a window of 4096 points a side at 4x would be far
// beyond any screen, so the bound is a screen's worth with room to spare.
constexpr long long maxPixels = 1LL << 26;

foundation::Result<std::size_t> bufferBytes(int width, int height)
{
    if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > maxPixels)
        return Error { ErrorCode::InvalidArgument,
            "a window surface of " + std::to_string(width) + " × " + std::to_string(height)
                + " pixels is empty or larger than the display takes (64 million pixels)" };
    return static_cast<std::size_t>(width) * height * 4;
}

}  // namespace

foundation::Result<SharedSurface> SharedSurface::create(CGSize points, double scale, std::size_t trailerBytes)
{
    if (!std::isfinite(scale) || !std::isfinite(points.width) || !std::isfinite(points.height) || scale <= 0)
        return Error { ErrorCode::InvalidArgument, "a window surface needs a finite size and a positive scale" };
    int width = static_cast<int>(std::lround(points.width * scale));
    int height = static_cast<int>(std::lround(points.height * scale));
    std::size_t bytes = TRY(bufferBytes(width, height));
    const std::size_t total = 2 * bytes + trailerBytes;
    foundation::FileDescriptor fd(::memfd_create("marqel-window", MFD_CLOEXEC | MFD_ALLOW_SEALING));
    if (!fd.isValid())
        return Error::fromErrno("create", "a shared window surface (memfd)");
    if (::ftruncate(fd.get(), static_cast<off_t>(total)) != 0)
        return Error::fromErrno("size", "a shared window surface (memfd)");
    if (::fcntl(fd.get(), F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_SEAL) != 0)
        return Error::fromErrno("seal", "a shared window surface (memfd)");
    void* mapping = ::mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
    if (mapping == MAP_FAILED)
        return Error::fromErrno("map", "a shared window surface (memfd)");
    SharedSurface surface;
    surface.m_fd = std::move(fd);
    surface.m_mapping = static_cast<std::uint8_t*>(mapping);
    surface.m_mappingSize = total;
    surface.m_width = width;
    surface.m_height = height;
    surface.m_writable = true;
    return surface;
}

foundation::Result<SharedSurface> SharedSurface::adopt(foundation::FileDescriptor fd, int pixelWidth, int pixelHeight,
    std::size_t trailerBytes)
{
    std::size_t bytes = TRY(bufferBytes(pixelWidth, pixelHeight));
    const std::size_t total = 2 * bytes + trailerBytes;
    struct stat status { };
    if (::fstat(fd.get(), &status) != 0)
        return Error::fromErrno("inspect", "a window surface's descriptor", errno, ErrorCode::UnreadableInput);
    if (!S_ISREG(status.st_mode))
        return Error { ErrorCode::UnreadableInput, "a window surface's descriptor is not shared memory" };
    // Without the shrink seal the sender could cut the file short under the
    // mapping, and reading it would kill the display with SIGBUS.
    int seals = ::fcntl(fd.get(), F_GET_SEALS);
    if (seals < 0 || !(seals & F_SEAL_SHRINK))
        return Error { ErrorCode::UnreadableInput, "a window surface's memfd is not sealed against shrinking" };
    if (status.st_size < 0 || static_cast<unsigned long long>(status.st_size) < total)
        return Error { ErrorCode::UnreadableInput,
            "a window surface's memfd holds " + std::to_string(status.st_size) + " bytes, less than the "
                + std::to_string(total) + " its frame needs" };
    void* mapping = ::mmap(nullptr, total, PROT_READ, MAP_SHARED, fd.get(), 0);
    if (mapping == MAP_FAILED)
        return Error::fromErrno("map", "a window surface's memfd", errno, ErrorCode::UnreadableInput);
    SharedSurface surface;
    surface.m_fd = std::move(fd);
    surface.m_mapping = static_cast<std::uint8_t*>(mapping);
    surface.m_mappingSize = total;
    surface.m_width = pixelWidth;
    surface.m_height = pixelHeight;
    return surface;
}

SharedSurface::~SharedSurface()
{
    if (m_mapping)
        ::munmap(m_mapping, m_mappingSize);
}

SharedSurface::SharedSurface(SharedSurface&& other) noexcept
    : m_fd(std::move(other.m_fd))
    , m_mapping(std::exchange(other.m_mapping, nullptr))
    , m_mappingSize(std::exchange(other.m_mappingSize, 0))
    , m_width(std::exchange(other.m_width, 0))
    , m_height(std::exchange(other.m_height, 0))
    , m_writable(std::exchange(other.m_writable, false))
{
}

SharedSurface& SharedSurface::operator=(SharedSurface&& other) noexcept
{
    if (this != &other) {
        if (m_mapping)
            ::munmap(m_mapping, m_mappingSize);
        m_fd = std::move(other.m_fd);
        m_mapping = std::exchange(other.m_mapping, nullptr);
        m_mappingSize = std::exchange(other.m_mappingSize, 0);
        m_width = std::exchange(other.m_width, 0);
        m_height = std::exchange(other.m_height, 0);
        m_writable = std::exchange(other.m_writable, false);
    }
    return *this;
}

render::Surface SharedSurface::buffer(int index) const
{
    if (!m_mapping || index < 0 || index > 1)
        return {};
    // Cairo takes a non-const pointer, but the display's pictures only ever
    // serve as a source; its mapping is read-only and would fault on a write.
    return render::Surface::adopt(cairo_image_surface_create_for_data(m_mapping + index * bufferSize(), CAIRO_FORMAT_ARGB32,
        m_width, m_height, stride()));
}

foundation::Status SharedSurface::fill(int index, const render::Surface& picture)
{
    if (!m_writable || !m_mapping || index < 0 || index > 1)
        return Error { ErrorCode::InvalidState, "only the drawing process fills its window surface's buffer 0 or 1" };
    if (picture.width() != m_width || picture.height() != m_height)
        return Error { ErrorCode::InvalidArgument,
            "the picture is " + std::to_string(picture.width()) + " × " + std::to_string(picture.height())
                + " pixels, the window surface " + std::to_string(m_width) + " × " + std::to_string(m_height) };
    const std::uint8_t* from = picture.data();
    std::uint8_t* to = m_mapping + index * bufferSize();
    for (int y = 0; y < m_height; ++y)
        std::memcpy(to + static_cast<std::size_t>(y) * stride(), from + static_cast<std::size_t>(y) * picture.stride(),
            static_cast<std::size_t>(stride()));
    return {};
}

}  // namespace display
