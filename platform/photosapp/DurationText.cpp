#include "platform/photosapp/DurationText.h"

#include <cmath>
#include <cstdio>

namespace photosapp {

std::string durationText(double seconds)
{
    // Past a hundred thousand hours the number means nothing; keep it printable.
    if (!(seconds > 0))
        seconds = 0;
    const long long total = std::llround(std::fmin(seconds, 360000000.0));
    const long long hours = total / 3600;
    const long long minutes = total / 60 % 60;
    const long long secs = total % 60;
    char text[48];
    if (hours > 0)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", hours, minutes, secs);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", minutes, secs);
    return text;
}

}  // namespace photosapp
