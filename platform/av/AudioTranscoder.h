#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/av/AacEncoder.h"
#include "platform/av/FFmpegPtr.h"
#include "platform/av/Result.h"

namespace av {

// Re-encodes a source audio track to AAC, cut to a time range with sample
// accuracy; output timestamps start at zero at the range start.
class AudioTranscoder {
public:
    using PacketSink = std::function<Status(AVPacket*)>;

    [[nodiscard]] static Result<AudioTranscoder> open(const AVStream* source, double startSeconds,
                                                      double endSeconds, bool globalHeader);

    AVCodecContext* encoderContext() const { return encoder_.context(); }
    AVRational timeBase() const { return encoder_.timeBase(); }

    [[nodiscard]] Status send(const AVPacket* packet, const PacketSink& sink);
    [[nodiscard]] Status finish(const PacketSink& sink);

private:
    AudioTranscoder(CodecContextPtr decoder, AacEncoder encoder, AVRational sourceTimeBase,
                    int64_t startSample, int64_t endSample);
    [[nodiscard]] Status receiveFrames(const PacketSink& sink);
    [[nodiscard]] Status consume(const AVFrame* frame, const PacketSink& sink);
    [[nodiscard]] Status convert(const uint8_t* const* input, int count, const PacketSink& sink);

    CodecContextPtr decoder_;
    AacEncoder encoder_;
    SwrPtr resampler_;
    FramePtr frame_;
    AVRational sourceTimeBase_;
    int64_t startSample_;
    int64_t endSample_;
    std::optional<int64_t> nextSample_;
    std::vector<std::vector<float>> scratch_;
};

}  // namespace av
