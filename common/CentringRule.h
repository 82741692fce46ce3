#pragma once

#include <charconv>
#include <string>

// The editor centres its box when the stored rectangle reads, as single
// precision decimal texts, exactly "0", "0", "250", "250": the defaults,
// which cannot be told apart from a stored rectangle at the top-left.
namespace CentringRule {

inline std::string singlePrecisionText(double value)
{
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value));
    return std::string(buffer, result.ptr);
}

inline bool centresBox(double x, double y, double width, double height)
{
    return singlePrecisionText(x) == "0" && singlePrecisionText(y) == "0" && singlePrecisionText(width) == "250"
        && singlePrecisionText(height) == "250";
}

}  // namespace CentringRule
