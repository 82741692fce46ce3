// Arbitrary bytes as one record on the display's socket, as a broken or
// hostile process could send them. Whatever the reader accepts must write
// back to exactly the same bytes: a message that changed on its way through
// would mean the two sides read the format differently.

#include "platform/display/DisplayProtocol.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::span<const std::uint8_t> record(data, size);
    auto message = display::decode(record);
    if (!message)
        return 0;
    auto again = display::encode(message.value());
    if (!again) {
        std::fprintf(stderr, "the writer refuses what the reader accepted: %s\n", again.error().message.c_str());
        std::abort();
    }
    if (again.value().size() != size || !std::equal(record.begin(), record.end(), again.value().begin())) {
        std::fprintf(stderr, "a %s message changes on its way through the format\n",
            display::nameOf(display::typeOf(message.value().payload)));
        std::abort();
    }
    return 0;
}
