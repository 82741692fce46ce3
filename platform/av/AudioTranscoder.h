#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/av/AacEncoder.h"
#include "platform/av/FFmpegPtr.h"
#include "platform/av/Forward.h"
#include "platform/foundation/Result.h"

namespace av {

// Re-encodes a source audio track to AAC, cut to a time range with sample
// accuracy; output timestamps start at zero at the range start.
class AudioTranscoder {
public:
    using PacketSink = std::function<Status(AVPacket*)>;

    [[nodiscard]] static Result<AudioTranscoder> open(const AVStream* source, double startSeconds,
        double endSeconds, bool globalHeader);

    AVCodecContext* encoderContext() const { return m_encoder.context(); }
    AVRational timeBase() const { return m_encoder.timeBase(); }

    [[nodiscard]] Status send(const AVPacket* packet, const PacketSink& sink);
    [[nodiscard]] Status finish(const PacketSink& sink);

private:
    AudioTranscoder(CodecContextPtr decoder, AacEncoder encoder, AVRational sourceTimeBase,
        int64_t startSample, int64_t endSample);
    [[nodiscard]] Status receiveFrames(const PacketSink& sink);
    [[nodiscard]] Status consume(const AVFrame* frame, const PacketSink& sink);
    [[nodiscard]] Status convert(const uint8_t* const* input, int count, const PacketSink& sink);

    CodecContextPtr m_decoder;
    AacEncoder m_encoder;
    SwrPtr m_resampler;
    FramePtr m_frame;
    AVRational m_sourceTimeBase;
    int64_t m_startSample;
    int64_t m_endSample;
    std::optional<int64_t> m_nextSample;
    std::vector<std::vector<float>> m_scratch;
};

}  // namespace av
