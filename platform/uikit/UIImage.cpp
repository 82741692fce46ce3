#include "platform/uikit/UIImage.h"

#include "platform/foundation/DevicePath.h"
#include "platform/foundation/RegularFile.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <unistd.h>

MARQEL_DEFINE_CLASS(UIImage,
    method<&UIImage::symbolName>("symbolName"),
    method<&UIImage::size>("size"),
    method<&UIImage::scale>("scale"))

namespace {

// The symbols the screens name.
constexpr std::array<const char*, 14> catalog = {
    "record.circle",
    "mic.fill",
    "mic.slash.fill",
    "arrow.up.left.and.arrow.down.right",
    "arrow.down.right.and.arrow.up.left",
    "square.grid.2x2.fill",
    "rectangle.fill.badge.plus",
    "xmark",
    "trash.fill",
    "power",
    "timer",
    "play.fill",
    "pause.fill",
    "video.fill",
};

// Symbols draw at the body text size unless configured otherwise.
// FIXME: no symbol configurations (point size, weight) yet; image views size
// symbols by their own frames.
constexpr CGSize symbolSize { 20, 20 };

struct PngHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// Reads the signature and the first chunk, which must be IHDR. Returns false
// for anything else: a short file, another format, a zero or absurd size.
// Only a regular file is opened: an image named by a file anyone can write
// (a settings entry's icon) may be a FIFO, which would block the app for ever.
bool readPngHeader(const std::string& hostPath, PngHeader& header)
{
    auto file = foundation::RegularFile::open(hostPath);
    if (!file)
        return false;
    unsigned char bytes[24];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        ssize_t n = ::read(file.value().fd(), bytes + got, sizeof bytes - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        got += static_cast<std::size_t>(n);
    }
    static const unsigned char signature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    for (int i = 0; i < 8; ++i)
        if (bytes[i] != signature[i])
            return false;
    auto be32 = [&](int at) {
        return (std::uint32_t(bytes[at]) << 24) | (std::uint32_t(bytes[at + 1]) << 16)
            | (std::uint32_t(bytes[at + 2]) << 8) | std::uint32_t(bytes[at + 3]);
    };
    if (be32(8) != 13 || bytes[12] != 'I' || bytes[13] != 'H' || bytes[14] != 'D' || bytes[15] != 'R')
        return false;
    header.width = be32(16);
    header.height = be32(20);
    // The format caps dimensions at 2^31 - 1; zero is invalid.
    return header.width > 0 && header.height > 0 && header.width < 0x80000000u && header.height < 0x80000000u;
}

CGFloat scaleFromName(const std::string& path)
{
    std::size_t slash = path.find_last_of('/');
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.resize(dot);
    if (name.size() > 3 && name.compare(name.size() - 3, 3, "@3x") == 0)
        return 3;
    if (name.size() > 3 && name.compare(name.size() - 3, 3, "@2x") == 0)
        return 2;
    return 1;
}

}  // namespace

bool UIImage::isSystemSymbolName(const std::string& name)
{
    for (const char* symbol : catalog)
        if (name == symbol)
            return true;
    // "<letter or digit>.square.fill"
    static const std::string squareFill = ".square.fill";
    if (name.size() == 1 + squareFill.size() && name.compare(1, squareFill.size(), squareFill) == 0) {
        char c = name[0];
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    }
    return false;
}

std::shared_ptr<UIImage> UIImage::systemImageNamed(const std::string& name)
{
    if (!isSystemSymbolName(name))
        return nullptr;
    auto image = alloc<UIImage>();
    image->m_symbolName = name;
    image->m_size = symbolSize;
    image->m_scale = 3;
    image->m_renderingMode = UIImageRenderingModeAlwaysTemplate;
    return image;
}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfFile(const std::string& devicePath)
{
    auto host = DevicePath::toHost(devicePath);
    if (!host)
        return nullptr;
    PngHeader header;
    if (!readPngHeader(host.value(), header))
        return nullptr;
    auto image = alloc<UIImage>();
    image->m_filePath = devicePath;
    image->m_scale = scaleFromName(devicePath);
    image->m_size = { header.width / image->m_scale, header.height / image->m_scale };
    return image;
}

std::shared_ptr<UIImage> UIImage::imageNamed(const std::string& name, const std::string& bundleDevicePath)
{
    if (name.empty() || name.find('/') != std::string::npos)
        return nullptr;
    std::string base = bundleDevicePath;
    if (!base.empty() && base.back() != '/')
        base += '/';
    bool hasExtension = name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0;
    std::string stem = hasExtension ? name.substr(0, name.size() - 4) : name;
    for (const char* suffix : { "@3x", "@2x", "" })
        if (auto image = imageWithContentsOfFile(base + stem + suffix + ".png"))
            return image;
    return nullptr;
}

std::shared_ptr<UIImage> UIImage::imageWithRenderingMode(UIImageRenderingMode mode) const
{
    auto image = alloc<UIImage>();
    image->m_symbolName = m_symbolName;
    image->m_filePath = m_filePath;
    image->m_size = m_size;
    image->m_scale = m_scale;
    image->m_renderingMode = mode;
    return image;
}

std::string UIImage::description() const
{
    std::string what = isSymbolImage() ? "symbol(" + m_symbolName + ")" : "file(" + m_filePath + ")";
    return "<UIImage " + what + ">";
}
