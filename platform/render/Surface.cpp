#include "platform/render/Surface.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RegularFile.h"

#include "platform/render/ScreenFrame.h"

#include <cairo.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace render {

using foundation::Error;
using foundation::ErrorCode;

namespace {

// Cairo addresses pixels with int offsets; keep width * height * 4 well
// inside that range.
constexpr long long maxPixels = 1LL << 28;

bool usable(cairo_surface_t* surface)
{
    return surface && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS
        && cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE;
}

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

Surface::Surface(int width, int height)
{
    if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > maxPixels)
        return;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (!usable(surface)) {
        cairo_surface_destroy(surface);
        return;
    }
    m_surface = surface;  // a new image surface is already cleared
}

Surface Surface::adopt(cairo_surface_t* surface)
{
    if (!usable(surface)) {
        if (surface)
            cairo_surface_destroy(surface);
        return Surface();
    }
    return Surface(surface);
}

Surface::~Surface()
{
    if (m_surface)
        cairo_surface_destroy(m_surface);
}

Surface::Surface(Surface&& other) noexcept
    : m_surface(std::exchange(other.m_surface, nullptr))
{
}

Surface& Surface::operator=(Surface&& other) noexcept
{
    if (this != &other) {
        if (m_surface)
            cairo_surface_destroy(m_surface);
        m_surface = std::exchange(other.m_surface, nullptr);
    }
    return *this;
}

int Surface::width() const { return m_surface ? cairo_image_surface_get_width(m_surface) : 0; }
int Surface::height() const { return m_surface ? cairo_image_surface_get_height(m_surface) : 0; }
int Surface::stride() const { return m_surface ? cairo_image_surface_get_stride(m_surface) : 0; }

const std::uint8_t* Surface::data() const
{
    if (!m_surface)
        return nullptr;
    cairo_surface_flush(m_surface);
    return cairo_image_surface_get_data(m_surface);
}

std::uint8_t* Surface::mutableData()
{
    if (!m_surface)
        return nullptr;
    cairo_surface_flush(m_surface);
    return cairo_image_surface_get_data(m_surface);
}

void Surface::markDirty()
{
    if (m_surface)
        cairo_surface_mark_dirty(m_surface);
}

std::array<std::uint8_t, 4> Surface::pixel(int x, int y) const
{
    if (!m_surface || x < 0 || y < 0 || x >= width() || y >= height())
        return { 0, 0, 0, 0 };
    const auto* row = data() + static_cast<std::ptrdiff_t>(y) * stride();
    std::uint32_t p;
    std::memcpy(&p, row + static_cast<std::ptrdiff_t>(x) * 4, 4);
    unsigned a = p >> 24;
    if (a == 0)
        return { 0, 0, 0, 0 };
    auto straight = [a](unsigned c) { return static_cast<std::uint8_t>(std::min(255u, (c * 255 + a / 2) / a)); };
    return { straight((p >> 16) & 0xFF), straight((p >> 8) & 0xFF), straight(p & 0xFF), static_cast<std::uint8_t>(a) };
}

void Surface::clear(RGBA colour)
{
    if (!m_surface)
        return;
    cairo_t* cr = cairo_create(m_surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, colour.red, colour.green, colour.blue, colour.alpha);
    cairo_paint(cr);
    cairo_destroy(cr);
}

Surface Surface::fromScreenFrame(const ScreenFrame& frame)
{
    const int w = frame.width, h = frame.height;
    if (w <= 0 || h <= 0 || frame.pixels.size() < static_cast<std::size_t>(w) * h * 4)
        return Surface();
    Surface surface(w, h);
    if (!surface.isValid())
        return surface;
    std::uint8_t* base = surface.mutableData();
    const int stride = surface.stride();
    const std::uint8_t* in = frame.pixels.data();
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(base + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < w; ++x, in += 4) {
            std::uint32_t a = in[3];
            auto premultiply = [a](std::uint32_t c) { return a == 255 ? c : (c * a + 127) / 255; };
            row[x] = (a << 24) | (premultiply(in[0]) << 16) | (premultiply(in[1]) << 8) | premultiply(in[2]);
        }
    }
    surface.markDirty();
    return surface;
}

std::shared_ptr<ScreenFrame> Surface::toScreenFrame(std::shared_ptr<ScreenFrame> reuse) const
{
    auto frame = reuse ? std::move(reuse) : std::make_shared<ScreenFrame>();
    const int w = width(), h = height();
    frame->width = w;
    frame->height = h;
    frame->pixels.resize(static_cast<std::size_t>(w) * h * 4);
    if (!m_surface)
        return frame;
    const std::uint8_t* base = data();
    const int sourceStride = stride();
    std::uint8_t* out = frame->pixels.data();
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(base + static_cast<std::ptrdiff_t>(y) * sourceStride);
        for (int x = 0; x < w; ++x, out += 4) {
            std::uint32_t p = row[x];
            unsigned a = p >> 24;
            unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            if (a != 255 && a != 0) {
                // Undo the premultiplication, rounding to nearest.
                r = std::min(255u, (r * 255 + a / 2) / a);
                g = std::min(255u, (g * 255 + a / 2) / a);
                b = std::min(255u, (b * 255 + a / 2) / a);
            }
            out[0] = static_cast<std::uint8_t>(r);
            out[1] = static_cast<std::uint8_t>(g);
            out[2] = static_cast<std::uint8_t>(b);
            out[3] = static_cast<std::uint8_t>(a);
        }
    }
    return frame;
}

foundation::Status Surface::writePNG(const std::string& hostPath) const
{
    if (!m_surface)
        return Error { ErrorCode::InvalidState, "no picture to write" };
    if (hostPath.empty())
        return Error { ErrorCode::InvalidArgument, "no file name given for the picture" };
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::path(hostPath).parent_path();
    if (!std::filesystem::is_directory(folder.empty() ? std::filesystem::path(".") : folder, ec))
        return Error { ErrorCode::NotFound, "cannot write " + hostPath + ": the folder does not exist" };
    // Encoded whole first, then written by the platform's one writer: a
    // reader sees the old picture or the new one, and nothing but a regular
    // file at the path is ever replaced.
    cairo_surface_flush(m_surface);
    std::string png;
    if (cairo_status_t status = cairo_surface_write_to_png_stream(m_surface, appendToString, &png); status != CAIRO_STATUS_SUCCESS)
        return Error { ErrorCode::WriteFailed, "cannot write " + hostPath + ": " + cairo_status_to_string(status) };
    return foundation::writeFileAtomically(hostPath, png, 0644);
}

namespace {
struct PngBytes {
    const std::string& bytes;
    std::size_t at = 0;
};

cairo_status_t readFromString(void* closure, unsigned char* data, unsigned int length)
{
    auto* source = static_cast<PngBytes*>(closure);
    if (source->bytes.size() - source->at < length)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, source->bytes.data() + source->at, length);
    source->at += length;
    return CAIRO_STATUS_SUCCESS;
}
}  // namespace

foundation::Result<Surface> Surface::readPNG(const std::string& hostPath)
{
    // Through the platform's one reader: a FIFO or a device at the path
    // is refused instead of blocking the main thread in cairo's fopen.
    auto file = foundation::RegularFile::open(hostPath);
    auto bytes = file ? file.value().readRest() : foundation::Result<std::string>(file.error());
    if (!bytes)
        return Error { ErrorCode::UnreadableInput, bytes.message() };
    PngBytes source { bytes.value() };
    cairo_surface_t* loaded = cairo_image_surface_create_from_png_stream(readFromString, &source);
    cairo_status_t status = cairo_surface_status(loaded);
    if (status != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(loaded);
        return Error { ErrorCode::UnreadableInput, hostPath + ": " + cairo_status_to_string(status) };
    }
    if (cairo_image_surface_get_format(loaded) == CAIRO_FORMAT_ARGB32)
        return adopt(loaded);
    Surface converted(cairo_image_surface_get_width(loaded), cairo_image_surface_get_height(loaded));
    if (!converted.isValid()) {
        cairo_surface_destroy(loaded);
        return Error { ErrorCode::UnreadableInput, hostPath + ": the picture is too large" };
    }
    cairo_t* cr = cairo_create(converted.cairoSurface());
    cairo_set_source_surface(cr, loaded, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(loaded);
    return converted;
}

}  // namespace render
