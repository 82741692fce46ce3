#pragma once

#include <string>

#include "platform/av/AffineTransform.h"

namespace av {

struct MovieInfo {
    double durationSeconds = 0;
    // Natural size of the first video track, as stored (before rotation).
    int width = 0;
    int height = 0;
    // Clockwise rotation a player applies for display, in [0, 360).
    double rotationDegrees = 0;
    // Maps the natural size into the displayed frame, translated so the
    // displayed picture starts at (0, 0), e.g. {0, 1, -1, 0, height, 0} for a
    // portrait phone recording stored in landscape.
    AffineTransform preferredTransform;
    double frameRate = 0;
    bool hasAudio = false;
    std::string videoCodec;
};

}  // namespace av
