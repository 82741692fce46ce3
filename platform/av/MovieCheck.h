#pragma once

#include <string>

#include "platform/av/Forward.h"
#include "platform/foundation/Result.h"

namespace av {

// Whether a file is a movie that plays from start to end: a video track that
// lasts, and every picture of it decodes. A still picture probes as a video
// stream and a file cut short probes as the whole movie, so a probe alone
// lets both in. Reads the whole file.
class MovieCheck {
public:
    // Fails with UnreadableInput, NoVideoTrack or CodecFailed, saying why.
    [[nodiscard]] static Status decodesWhole(const std::string& path);
};

}  // namespace av
