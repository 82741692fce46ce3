#pragma once

// Strings are std::string here; NSString keeps only the class operations
// the product calls, with NSLog's format rules (%@ for descriptions).

#include "platform/foundation/NSLog.h"

#include <string>
#include <string_view>

class NSString {
public:
    template <class... A>
    static std::string stringWithFormat(const char* format, const A&... args)
    {
        return logformat::format(format, { logformat::Arg(args)... });
    }
};

namespace foundation {

// `text` cut after `characters` code points with an ellipsis ("\u2026")
// marking the cut, for showing text that may be any length (a pasted
// megabyte in an alert); shorter text comes back whole. A UTF-8 sequence
// is never split.
inline std::string shortened(std::string_view text, std::size_t characters)
{
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (seen++ == characters)
            return std::string(text.substr(0, i)) + "\u2026";
    }
    return std::string(text);
}

}  // namespace foundation
