#include "platform/av/VideoDecoder.h"

#include "platform/av/FFmpegError.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace av {

VideoDecoder::VideoDecoder(std::unique_ptr<DecodedFramePool> pool, CodecContextPtr context, AVRational timeBase,
    int64_t origin, double frameInterval)
    : m_pool(std::move(pool))
    , m_context(std::move(context))
    , m_frame(makeFrame())
    , m_timeBase(timeBase)
    , m_origin(origin)
    , m_frameInterval(frameInterval)
{
}

Result<VideoDecoder> VideoDecoder::open(const AVStream* stream)
{
    const AVCodecParameters* par = stream->codecpar;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    if (!codec)
        return Error { ErrorCode::CodecFailed,
            std::string("no decoder for the video codec ") + avcodec_get_name(par->codec_id) };
    CodecContextPtr ctx(avcodec_alloc_context3(codec));
    if (!ctx)
        return Error { ErrorCode::CodecFailed, "out of memory creating the video decoder" };
    auto pool = std::make_unique<DecodedFramePool>();
    int ret = avcodec_parameters_to_context(ctx.get(), par);
    if (ret >= 0) {
        ctx->pkt_timebase = stream->time_base;
        ctx->thread_count = 0;
        pool->attach(ctx.get());
        ret = avcodec_open2(ctx.get(), codec, nullptr);
    }
    if (ret < 0)
        return Error { ErrorCode::CodecFailed, "cannot open the video decoder: " + ffmpegErrorString(ret) };
    const int64_t origin = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    AVRational rate = stream->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = stream->r_frame_rate;
    const double interval = (rate.num > 0 && rate.den > 0) ? av_q2d(av_inv_q(rate)) : 1.0 / 30.0;
    return VideoDecoder(std::move(pool), std::move(ctx), stream->time_base, origin, interval);
}

Status VideoDecoder::send(const AVPacket* packet, const FrameSink& sink)
{
    // Damaged data fails the whole decode: carrying on would repeat the
    // last good picture over the gap and pass a broken movie off as whole.
    // A packet cut short by the end of the file is damaged too.
    if (packet && (packet->flags & AV_PKT_FLAG_CORRUPT))
        return Error { ErrorCode::CodecFailed, "video decoding failed: the movie's data is cut short or damaged" };
    int ret = avcodec_send_packet(m_context.get(), packet);
    if (ret < 0 && ret != AVERROR_EOF)
        return Error { ErrorCode::CodecFailed, "video decoding failed: " + ffmpegErrorString(ret) };
    for (;;) {
        ret = avcodec_receive_frame(m_context.get(), m_frame.get());
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            return {};
        if (ret < 0)
            return Error { ErrorCode::CodecFailed, "video decoding failed: " + ffmpegErrorString(ret) };

        double seconds;
        if (m_frame->best_effort_timestamp != AV_NOPTS_VALUE)
            seconds = static_cast<double>(m_frame->best_effort_timestamp - m_origin) * av_q2d(m_timeBase);
        else
            seconds = m_lastSeconds ? *m_lastSeconds + m_frameInterval : 0.0;
        m_lastSeconds = seconds;

        FramePtr owned = makeFrame();
        if (!owned)
            return Error { ErrorCode::CodecFailed, "out of memory decoding video" };
        av_frame_move_ref(owned.get(), m_frame.get());
        auto converted = TRY(toYuv420(std::move(owned)));
        TRY(sink(std::move(converted), seconds));
    }
}

Result<FramePtr> VideoDecoder::toYuv420(FramePtr frame)
{
    const auto format = static_cast<AVPixelFormat>(frame->format);
    const bool fullRange = frame->color_range == AVCOL_RANGE_JPEG || format == AV_PIX_FMT_YUVJ420P;
    if (format == AV_PIX_FMT_YUV420P && !fullRange)
        return frame;

    // sws_getCachedContext frees the old context itself when it must make a
    // new one, hence release() rather than letting the owner free it.
    m_converter.reset(sws_getCachedContext(m_converter.release(), frame->width, frame->height, format,
        frame->width, frame->height, AV_PIX_FMT_YUV420P, SWS_POINT, nullptr,
        nullptr, nullptr));
    if (!m_converter)
        return Error { ErrorCode::CodecFailed,
            std::string("cannot convert video from ") + (av_get_pix_fmt_name(format) ? av_get_pix_fmt_name(format) : "unknown format") };
    const int* coefficients = sws_getCoefficients(SWS_CS_DEFAULT);
    sws_setColorspaceDetails(m_converter.get(), coefficients, fullRange ? 1 : 0, coefficients, 0, 0, 1 << 16, 1 << 16);

    FramePtr out = makeFrame();
    if (!out)
        return Error { ErrorCode::CodecFailed, "out of memory converting video" };
    out->format = AV_PIX_FMT_YUV420P;
    out->width = frame->width;
    out->height = frame->height;
    if (av_frame_get_buffer(out.get(), 0) < 0)
        return Error { ErrorCode::CodecFailed, "out of memory converting video" };
    av_frame_copy_props(out.get(), frame.get());
    out->color_range = AVCOL_RANGE_MPEG;
    sws_scale(m_converter.get(), frame->data, frame->linesize, 0, frame->height, out->data, out->linesize);
    return out;
}

}  // namespace av
