#pragma once

// A position in a sectioned list: a plain value, not an object, since
// nothing keeps or shares one.

#include <compare>
#include <cstdint>

struct NSIndexPath {
    std::int64_t section = 0;
    std::int64_t item = 0;

    static NSIndexPath indexPathForItem(std::int64_t item, std::int64_t section) { return { section, item }; }
    auto operator<=>(const NSIndexPath&) const = default;
};
