#pragma once

#include <functional>

#include "platform/av/FFmpegPtr.h"
#include "platform/av/Forward.h"
#include "platform/foundation/Result.h"

namespace av {

// AAC-LC from planar float samples of any chunk size; it regroups them into
// the encoder's fixed frame size and numbers them from zero.
class AacEncoder {
public:
    using PacketSink = std::function<Status(AVPacket*)>;

    [[nodiscard]] static Result<AacEncoder> open(int sampleRate, int channels, bool globalHeader);
    // Whether the encoder takes this rate as is (else resample first).
    static bool supportsSampleRate(int sampleRate);

    AVCodecContext* context() const { return m_context.get(); }
    AVRational timeBase() const { return m_context->time_base; }
    int channels() const { return m_context->ch_layout.nb_channels; }
    int sampleRate() const { return m_context->sample_rate; }

    [[nodiscard]] Status push(const float* const* planes, int count, const PacketSink& sink);
    [[nodiscard]] Status flush(const PacketSink& sink);

private:
    AacEncoder(CodecContextPtr context, AudioFifoPtr fifo);
    [[nodiscard]] Status sendFrames(bool includePartial, const PacketSink& sink);
    [[nodiscard]] Status drain(const PacketSink& sink);

    CodecContextPtr m_context;
    AudioFifoPtr m_fifo;
    FramePtr m_frame;
    PacketPtr m_packet;
    int64_t m_nextPts = 0;
};

}  // namespace av
