#include "platform/av/MovieProbe.h"

#include "platform/av/InputMovie.h"

namespace av {

Result<MovieInfo> MovieProbe::probe(const std::string& path)
{
    auto movie = TRY(InputMovie::open(path));
    return movie.info();
}

}  // namespace av
