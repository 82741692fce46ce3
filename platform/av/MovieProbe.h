#pragma once

#include <string>

#include "platform/av/Forward.h"
#include "platform/av/MovieInfo.h"
#include "platform/foundation/Result.h"

namespace av {

class MovieProbe {
public:
    // Fails with UnreadableInput ("not a movie: <path>: <reason>") or
    // NoVideoTrack ("no video track in <path>").
    [[nodiscard]] static Result<MovieInfo> probe(const std::string& path);
};

[[nodiscard]] inline Result<MovieInfo> probeMovie(const std::string& path)
{
    return MovieProbe::probe(path);
}

}  // namespace av
