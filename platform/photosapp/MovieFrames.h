#pragma once

// A movie's pictures for the screen, one at a time in time order, decoded by
// the media core (its demuxer, decoder and decoding thread) and turned to
// RGBA upright. Asking for an earlier time than the picture shown seeks
// back (to the key frame before it, then decodes forward), so the player's
// scrubber and its playback read the same way.

#include "platform/av/MovieInfo.h"
#include "platform/foundation/CGGeometry.h"
#include "platform/foundation/Result.h"
#include "platform/render/ScreenFrame.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace photosapp {

class MovieFrames {
public:
    struct Frame {
        std::shared_ptr<const ScreenFrame> picture;
        double seconds = 0;  // from the movie's start
    };

    // The upright pictures come out at the size `pixelSizeFor` gives for the
    // movie's probe. Fails as the media core says (not a movie, no video
    // track, no decoder).
    using Sizing = std::function<CGSize(const av::MovieInfo&)>;
    [[nodiscard]] static foundation::Result<std::unique_ptr<MovieFrames>> open(const std::string& hostPath, const Sizing& pixelSizeFor);
    // The size a movie's upright pictures have, from its probe.
    static CGSize uprightSize(const av::MovieInfo& info);

    ~MovieFrames();
    MovieFrames(const MovieFrames&) = delete;
    MovieFrames& operator=(const MovieFrames&) = delete;

    const av::MovieInfo& info() const { return m_info; }
    // The probe's duration, or the last picture's end when the probe knows none.
    double duration() const;
    double frameInterval() const;

    // The picture showing at `seconds`: the last one whose time is not after
    // it (the first picture before the first time). A movie damaged after
    // its start keeps showing its last good picture; one whose first
    // picture does not decode is an error.
    [[nodiscard]] foundation::Result<Frame> frameAt(double seconds);
    // Whether no picture comes after the one shown.
    bool atEnd() const;

private:
    struct Decoding;
    MovieFrames(std::string path, av::MovieInfo info, CGSize pixelSize);
    [[nodiscard]] foundation::Status start(double seconds);
    [[nodiscard]] foundation::Status fillLookahead();

    std::string m_path;
    av::MovieInfo m_info;
    CGSize m_pixelSize;
    std::unique_ptr<Decoding> m_decoding;
    std::optional<Frame> m_current;
    double m_lastSeenSeconds = 0;
};

}  // namespace photosapp
