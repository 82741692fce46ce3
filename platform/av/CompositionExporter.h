#pragma once

#include "platform/av/ExportRequest.h"
#include "platform/av/Forward.h"
#include "platform/foundation/Result.h"

namespace av {

// Renders a movie's first video track through a layer transform onto a
// canvas, at a constant frame rate, H.264 in a QuickTime file, keeping the
// first audio track. Runs synchronously on the calling thread.
//
// On any failure (ErrorCode::Cancelled when the cancel flag was set) the
// output path is untouched: the movie is written to a hidden sibling file
// and renamed into place only when complete.
class CompositionExporter {
public:
    [[nodiscard]] static Status run(const ExportRequest& request);
    // The same export from a movie the caller already opened to look at
    // (its size and transform decide the request), so the file's streams
    // are not probed a second time. `movie` must not have been read from.
    [[nodiscard]] static Status run(InputMovie movie, const ExportRequest& request);

    // x264 "veryfast" is about twice as fast as "medium" for a few percent
    // more bits; CRF 18 keeps screen text and flat UI colours clean.
    static constexpr const char* kX264Preset = "veryfast";
    static constexpr int kX264Crf = 18;
    static constexpr int kMaxRenderSide = 16384;
};

}  // namespace av
