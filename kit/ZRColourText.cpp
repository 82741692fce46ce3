#include "kit/ZRColourText.h"

#include "platform/foundation/NSString.h"

#include <cctype>

namespace zr {

foundation::Result<std::string> colourText(std::string_view text)
{
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '#')
        digits.remove_prefix(1);
    std::string stored;
    for (char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            break;
        stored += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (stored.size() != 6 || digits.size() != 6)
        return foundation::Error { foundation::ErrorCode::InvalidArgument,
            "\"" + foundation::shortened(text, 40) + "\" is not a colour: enter six hexadecimal digits (0-9, A-F), like FF9500" };
    return stored;
}

}  // namespace zr
