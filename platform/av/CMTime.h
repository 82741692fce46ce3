#pragma once

#include <cstdint>

// Core Media's rational time.
struct CMTime {
    static constexpr const char* encoding = "{CMTime=qiIq}";
    std::int64_t value = 0;
    std::int32_t timescale = 0;
    std::uint32_t flags = 0;
    std::int64_t epoch = 0;
    double seconds() const { return timescale ? static_cast<double>(value) / timescale : 0.0; }
    bool operator==(const CMTime&) const = default;
};

inline constexpr std::uint32_t kCMTimeFlags_Valid = 1;

inline CMTime CMTimeMake(std::int64_t value, std::int32_t timescale) { return { value, timescale, kCMTimeFlags_Valid, 0 }; }
inline CMTime CMTimeMakeWithSeconds(double seconds, std::int32_t timescale)
{
    return CMTimeMake(static_cast<std::int64_t>(seconds * timescale + (seconds >= 0 ? 0.5 : -0.5)), timescale);
}
inline constexpr CMTime kCMTimeZero { 0, 1, kCMTimeFlags_Valid, 0 };
inline double CMTimeGetSeconds(const CMTime& t) { return t.seconds(); }

struct CMTimeRange {
    static constexpr const char* encoding = "{CMTimeRange={CMTime=qiIq}{CMTime=qiIq}}";
    CMTime start;
    CMTime duration;
};
inline CMTimeRange CMTimeRangeMake(CMTime start, CMTime duration) { return { start, duration }; }
