#include "platform/foundation/CGGeometry.h"

#include <charconv>

namespace {
// The shortest text that reads back to the same double, as Foundation prints.
std::string number(double v)
{
    if (v == 0)
        return "0";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, result.ptr);
}
}  // namespace

std::string NSStringFromCGPoint(const CGPoint& p) { return "{" + number(p.x) + ", " + number(p.y) + "}"; }
std::string NSStringFromCGSize(const CGSize& s) { return "{" + number(s.width) + ", " + number(s.height) + "}"; }
std::string NSStringFromCGRect(const CGRect& r) { return "{" + NSStringFromCGPoint(r.origin) + ", " + NSStringFromCGSize(r.size) + "}"; }
