#pragma once

#include <functional>
#include <string>

#include "platform/av/FFmpegPtr.h"
#include "platform/av/Forward.h"
#include "platform/av/Rational.h"
#include "platform/foundation/Result.h"

namespace av {

struct VideoEncoderSettings {
    int width = 0;
    int height = 0;
    Rational frameDuration { 1, 30 };
    std::string preset = "veryfast";
    int crf = 18;
    bool globalHeader = true;
    AVColorSpace colorSpace = AVCOL_SPC_UNSPECIFIED;
    AVColorPrimaries colorPrimaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic colorTransfer = AVCOL_TRC_UNSPECIFIED;
};

// H.264 (libx264) for yuv420p frames whose pts count frame durations.
class VideoEncoder {
public:
    using PacketSink = std::function<Status(AVPacket*)>;

    [[nodiscard]] static Result<VideoEncoder> open(const VideoEncoderSettings& settings);

    AVCodecContext* context() const { return m_context.get(); }
    AVRational timeBase() const { return m_context->time_base; }

    // Passes every finished packet (timestamps in timeBase()) to `sink`.
    [[nodiscard]] Status encode(const AVFrame* frame, const PacketSink& sink);
    [[nodiscard]] Status flush(const PacketSink& sink) { return encode(nullptr, sink); }

private:
    explicit VideoEncoder(CodecContextPtr context);

    CodecContextPtr m_context;
    PacketPtr m_packet;
};

}  // namespace av
