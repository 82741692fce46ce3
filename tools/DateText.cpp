#include "tools/DateText.h"

#include <cmath>
#include <ctime>

namespace tools {

std::string dateText(double secondsSince1970)
{
    // Years 1 to 9999: a stored time outside them (a damaged record's 1e300,
    // a NaN) would wrap in the conversion and print a date that never was.
    constexpr double first = -62135596800.0, pastLast = 253402300800.0;
    if (!(secondsSince1970 >= first && secondsSince1970 < pastLast))
        return "(no valid date)";
    std::time_t t = static_cast<std::time_t>(std::floor(secondsSince1970));
    std::tm tm {};
    char buffer[64];
    if (!localtime_r(&t, &tm) || std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &tm) == 0)
        return "(no valid date)";
    return buffer;
}

}  // namespace tools
