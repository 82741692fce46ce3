#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/av/DecodedFramePool.h"
#include "platform/av/FFmpegPtr.h"
#include "platform/av/Forward.h"
#include "platform/foundation/Result.h"

namespace av {

// Decodes a video track into 8-bit video-range yuv420p pictures (whatever
// the source's pixel format) with their time in seconds from the track's
// first timestamp.
class VideoDecoder {
public:
    using FrameSink = std::function<Status(FramePtr frame, double seconds)>;

    [[nodiscard]] static Result<VideoDecoder> open(const AVStream* stream);

    [[nodiscard]] Status send(const AVPacket* packet, const FrameSink& sink);
    [[nodiscard]] Status flush(const FrameSink& sink) { return send(nullptr, sink); }

private:
    VideoDecoder(std::unique_ptr<DecodedFramePool> pool, CodecContextPtr context, AVRational timeBase, int64_t origin,
        double frameInterval);
    [[nodiscard]] Result<FramePtr> toYuv420(FramePtr frame);

    // Before the context, so that the context goes first.
    std::unique_ptr<DecodedFramePool> m_pool;
    CodecContextPtr m_context;
    FramePtr m_frame;
    SwsPtr m_converter;
    AVRational m_timeBase;
    int64_t m_origin;
    double m_frameInterval;
    std::optional<double> m_lastSeconds;
};

}  // namespace av
