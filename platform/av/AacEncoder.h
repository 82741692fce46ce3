#pragma once

#include <functional>

#include "platform/av/FFmpegPtr.h"
#include "platform/av/Result.h"

namespace av {

// AAC-LC from planar float samples of any chunk size; it regroups them into
// the encoder's fixed frame size and numbers them from zero.
class AacEncoder {
public:
    using PacketSink = std::function<Status(AVPacket*)>;

    [[nodiscard]] static Result<AacEncoder> open(int sampleRate, int channels, bool globalHeader);
    // Whether the encoder takes this rate as is (else resample first).
    static bool supportsSampleRate(int sampleRate);

    AVCodecContext* context() const { return context_.get(); }
    AVRational timeBase() const { return context_->time_base; }
    int channels() const { return context_->ch_layout.nb_channels; }
    int sampleRate() const { return context_->sample_rate; }

    [[nodiscard]] Status push(const float* const* planes, int count, const PacketSink& sink);
    [[nodiscard]] Status flush(const PacketSink& sink);

private:
    AacEncoder(CodecContextPtr context, AudioFifoPtr fifo);
    [[nodiscard]] Status sendFrames(bool includePartial, const PacketSink& sink);
    [[nodiscard]] Status drain(const PacketSink& sink);

    CodecContextPtr context_;
    AudioFifoPtr fifo_;
    FramePtr frame_;
    PacketPtr packet_;
    int64_t nextPts_ = 0;
};

}  // namespace av
