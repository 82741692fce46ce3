#include "platform/av/MovieProbe.h"

#include "platform/av/InputMovie.h"

namespace av {

Result<MovieInfo> MovieProbe::probe(const std::string& path)
{
    auto movie = InputMovie::open(path);
    if (!movie)
        return movie.error();
    return movie.value().info();
}

}  // namespace av
