#pragma once

namespace av {

// Seconds on the source movie's timeline.
struct TimeRange {
    double start = 0;
    double duration = 0;
};

}  // namespace av
