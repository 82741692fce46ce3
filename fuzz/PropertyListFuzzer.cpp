// Arbitrary bytes through the property-list reader that preferences, saved
// areas and notices are read with. Whatever it accepts must write out as
// XML that reads back to the same XML: a value the reader lets in but the
// writer cannot reproduce would be lost on the next save.

#include "platform/foundation/PropertyList.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    auto value = plist::parse(bytes);
    if (!value)
        return 0;
    std::string xml = plist::toXML(value.value());
    auto again = plist::parse(xml);
    if (!again) {
        std::fprintf(stderr, "the reader refuses what the writer wrote: %s\n%s\n", again.error().message.c_str(), xml.c_str());
        std::abort();
    }
    if (plist::toXML(again.value()) != xml) {
        std::fprintf(stderr, "a value changes on its way through the file:\n%s\n", xml.c_str());
        std::abort();
    }
    return 0;
}
