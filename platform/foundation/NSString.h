#pragma once

// Strings are std::string here; NSString keeps only the class operations
// the product calls, with NSLog's format rules (%@ for descriptions).

#include "platform/foundation/NSLog.h"

#include <string>

class NSString {
public:
    template <class... A>
    static std::string stringWithFormat(const char* format, const A&... args)
    {
        return logformat::format(format, { logformat::Arg(args)... });
    }
};
