#include "platform/photos/IdentifierGenerator.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <random>
#include <sys/random.h>
#include <vector>

namespace photos {

namespace {

void fillRandom(std::uint8_t* bytes, std::size_t count)
{
    std::size_t filled = 0;
    while (filled < count) {
        ssize_t got = ::getrandom(bytes + filled, count - filled, 0);
        if (got > 0) {
            filled += static_cast<std::size_t>(got);
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        break;
    }
    if (filled == count)
        return;
    std::random_device device;
    for (; filled < count; ++filled)
        bytes[filled] = static_cast<std::uint8_t>(device());
}

void appendHex(std::string& out, const std::uint8_t* bytes, std::size_t count)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(digits[bytes[i] >> 4]);
        out.push_back(digits[bytes[i] & 0x0f]);
    }
}

}  // namespace

std::string IdentifierGenerator::newLocalIdentifier()
{
    std::array<std::uint8_t, 16> bytes {};
    fillRandom(bytes.data(), bytes.size());
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0f) | 0x40);
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3f) | 0x80);

    std::string out;
    out.reserve(43);
    appendHex(out, bytes.data(), 4);
    out.push_back('-');
    appendHex(out, bytes.data() + 4, 2);
    out.push_back('-');
    appendHex(out, bytes.data() + 6, 2);
    out.push_back('-');
    appendHex(out, bytes.data() + 8, 2);
    out.push_back('-');
    appendHex(out, bytes.data() + 10, 6);
    out += "/L0/001";
    return out;
}

std::string IdentifierGenerator::randomHex(std::size_t byteCount)
{
    std::vector<std::uint8_t> bytes(byteCount);
    fillRandom(bytes.data(), bytes.size());
    std::string out;
    appendHex(out, bytes.data(), bytes.size());
    return out;
}

}  // namespace photos
