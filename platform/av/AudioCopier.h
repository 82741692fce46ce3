#pragma once

#include <functional>

#include "platform/av/FFmpegPtr.h"
#include "platform/av/Result.h"

namespace av {

// Passes a source audio track's packets through unchanged, keeping those
// that overlap a time range and moving the range start to time zero.
class AudioCopier {
public:
    using PacketSink = std::function<Status(AVPacket*)>;

    // QuickTime can carry this codec as is.
    static bool canCopy(AVCodecID codec);

    // Times are seconds from `origin` (in the stream's time base).
    AudioCopier(AVRational timeBase, int64_t origin, double startSeconds, double endSeconds);

    AVRational timeBase() const { return timeBase_; }
    // Whether the range is over (later packets are not needed).
    bool done() const { return done_; }

    [[nodiscard]] Status send(AVPacket* packet, const PacketSink& sink);

private:
    AVRational timeBase_;
    int64_t start_;
    int64_t end_;
    bool fromBeginning_;
    bool done_ = false;
};

}  // namespace av
