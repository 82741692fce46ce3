#include "tools/DateText.h"

#include <ctime>

namespace tools {

std::string dateText(double secondsSince1970)
{
    std::time_t t = static_cast<std::time_t>(secondsSince1970);
    std::tm tm {};
    localtime_r(&t, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &tm);
    return buffer;
}

}  // namespace tools
