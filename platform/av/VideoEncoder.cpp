#include "platform/av/VideoEncoder.h"

#include "platform/av/FFmpegError.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace av {

VideoEncoder::VideoEncoder(CodecContextPtr context)
    : m_context(std::move(context))
    , m_packet(makePacket())
{
}

Result<VideoEncoder> VideoEncoder::open(const VideoEncoderSettings& s)
{
    if (s.width <= 0 || s.height <= 0 || (s.width % 2) || (s.height % 2))
        return Error { ErrorCode::InvalidArgument, "H.264 4:2:0 needs a positive even picture size, got " + std::to_string(s.width) + "x" + std::to_string(s.height) };
    if (!s.frameDuration.isPositive() || s.frameDuration.num > INT32_MAX || s.frameDuration.den > INT32_MAX)
        return Error { ErrorCode::InvalidArgument, "frame duration must be a positive fraction" };
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec)
        return Error { ErrorCode::CodecFailed, "this FFmpeg has no libx264 encoder" };
    CodecContextPtr ctx(avcodec_alloc_context3(codec));
    if (!ctx)
        return Error { ErrorCode::CodecFailed, "out of memory creating the H.264 encoder" };
    ctx->width = s.width;
    ctx->height = s.height;
    ctx->pix_fmt = AV_PIX_FMT_YUV420P;
    ctx->time_base = AVRational { static_cast<int>(s.frameDuration.num), static_cast<int>(s.frameDuration.den) };
    ctx->framerate = av_inv_q(ctx->time_base);
    ctx->sample_aspect_ratio = AVRational { 1, 1 };
    ctx->color_range = AVCOL_RANGE_MPEG;
    ctx->colorspace = s.colorSpace;
    ctx->color_primaries = s.colorPrimaries;
    ctx->color_trc = s.colorTransfer;
    ctx->thread_count = 0;  // x264 picks from the core count
    if (s.globalHeader)
        ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(ctx->priv_data, "preset", s.preset.c_str(), 0);
    av_opt_set(ctx->priv_data, "crf", std::to_string(s.crf).c_str(), 0);
    const int ret = avcodec_open2(ctx.get(), codec, nullptr);
    if (ret < 0)
        return Error { ErrorCode::CodecFailed, "cannot open the H.264 encoder: " + ffmpegErrorString(ret) };
    return VideoEncoder(std::move(ctx));
}

Status VideoEncoder::encode(const AVFrame* frame, const PacketSink& sink)
{
    int ret = avcodec_send_frame(m_context.get(), frame);
    if (ret < 0 && !(frame == nullptr && ret == AVERROR_EOF))
        return Error { ErrorCode::CodecFailed, "H.264 encoding failed: " + ffmpegErrorString(ret) };
    for (;;) {
        ret = avcodec_receive_packet(m_context.get(), m_packet.get());
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            return {};
        if (ret < 0)
            return Error { ErrorCode::CodecFailed, "H.264 encoding failed: " + ffmpegErrorString(ret) };
        // Every frame lasts exactly one tick of the constant frame rate; the
        // container needs it to give the last frame its length.
        if (m_packet->duration <= 0)
            m_packet->duration = 1;
        Status st = sink(m_packet.get());
        av_packet_unref(m_packet.get());
        TRY(std::move(st));
    }
}

}  // namespace av
