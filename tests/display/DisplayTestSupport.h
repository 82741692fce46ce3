#pragma once

// What the display's tests share: socket pairs, pictures of one colour, and
// a client that speaks raw bytes the way a broken or hostile process would.

#include "platform/display/DisplayProtocol.h"
#include "platform/foundation/FileDescriptor.h"
#include "platform/render/Surface.h"

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace displaytest {

// Two connected ends of a SOCK_SEQPACKET socket: the display's, the client's.
std::pair<foundation::FileDescriptor, foundation::FileDescriptor> socketPair();
render::Surface filled(int width, int height, render::RGBA colour);
// The bytes of `payload` as sequence `sequence`; the test fails if the
// encoder refuses them.
std::vector<std::uint8_t> bytesOf(display::Payload payload, std::uint32_t sequence);
// One record, with `fd` beside it when it is not -1.
void sendRecord(int socket, const std::vector<std::uint8_t>& bytes, int fd = -1);
// A memfd of `size` bytes, sealed against shrinking when `sealed`.
foundation::FileDescriptor memfd(std::size_t size, bool sealed);
// Whether `pixel` (straight RGBA) is within 2 of `expected` in every channel.
bool near(std::array<std::uint8_t, 4> pixel, std::array<std::uint8_t, 4> expected);

}  // namespace displaytest
