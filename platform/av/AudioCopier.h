#pragma once

#include <functional>

#include "platform/av/FFmpegPtr.h"
#include "platform/av/Forward.h"
#include "platform/foundation/Result.h"

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

    AVRational timeBase() const { return m_timeBase; }
    // Whether the range is over (later packets are not needed).
    bool done() const { return m_done; }

    [[nodiscard]] Status send(AVPacket* packet, const PacketSink& sink);

private:
    AVRational m_timeBase;
    int64_t m_start;
    int64_t m_end;
    bool m_fromBeginning;
    bool m_done = false;
};

}  // namespace av
