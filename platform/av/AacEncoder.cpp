#include "platform/av/AacEncoder.h"

#include "platform/av/FFmpegError.h"

namespace av {

AacEncoder::AacEncoder(CodecContextPtr context, AudioFifoPtr fifo)
    : m_context(std::move(context))
    , m_fifo(std::move(fifo))
    , m_frame(makeFrame())
    , m_packet(makePacket())
{
}

bool AacEncoder::supportsSampleRate(int sampleRate)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec || !codec->supported_samplerates)
        return false;
    for (const int* r = codec->supported_samplerates; *r; ++r)
        if (*r == sampleRate)
            return true;
    return false;
}

Result<AacEncoder> AacEncoder::open(int sampleRate, int channels, bool globalHeader)
{
    if (channels < 1 || channels > 2)
        return Error { ErrorCode::InvalidArgument, "AAC track needs 1 or 2 channels" };
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec)
        return Error { ErrorCode::CodecFailed, "this FFmpeg has no AAC encoder" };
    if (!supportsSampleRate(sampleRate))
        return Error { ErrorCode::InvalidArgument, "AAC cannot use " + std::to_string(sampleRate) + " Hz" };
    CodecContextPtr ctx(avcodec_alloc_context3(codec));
    if (!ctx)
        return Error { ErrorCode::CodecFailed, "out of memory creating the AAC encoder" };
    ctx->sample_fmt = AV_SAMPLE_FMT_FLTP;
    ctx->sample_rate = sampleRate;
    av_channel_layout_default(&ctx->ch_layout, channels);
    ctx->bit_rate = 64000 * channels;
    ctx->time_base = AVRational { 1, sampleRate };
    if (globalHeader)
        ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int ret = avcodec_open2(ctx.get(), codec, nullptr);
    if (ret < 0)
        return Error { ErrorCode::CodecFailed, "cannot open the AAC encoder: " + ffmpegErrorString(ret) };
    AudioFifoPtr fifo(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, channels, ctx->frame_size * 2));
    if (!fifo)
        return Error { ErrorCode::CodecFailed, "out of memory creating the AAC encoder" };
    return AacEncoder(std::move(ctx), std::move(fifo));
}

Status AacEncoder::push(const float* const* planes, int count, const PacketSink& sink)
{
    if (count <= 0)
        return {};
    void* data[AV_NUM_DATA_POINTERS] = {};
    for (int ch = 0; ch < channels(); ++ch)
        data[ch] = const_cast<float*>(planes[ch]);
    if (av_audio_fifo_write(m_fifo.get(), data, count) < count)
        return Error { ErrorCode::CodecFailed, "out of memory buffering audio" };
    return sendFrames(false, sink);
}

Status AacEncoder::flush(const PacketSink& sink)
{
    TRY(sendFrames(true, sink));
    const int ret = avcodec_send_frame(m_context.get(), nullptr);
    if (ret < 0 && ret != AVERROR_EOF)
        return Error { ErrorCode::CodecFailed, "AAC encoding failed: " + ffmpegErrorString(ret) };
    return drain(sink);
}

Status AacEncoder::sendFrames(bool includePartial, const PacketSink& sink)
{
    const int frameSize = m_context->frame_size;
    for (;;) {
        const int available = av_audio_fifo_size(m_fifo.get());
        if (available == 0 || (available < frameSize && !includePartial))
            return {};
        const int count = std::min(available, frameSize);
        av_frame_unref(m_frame.get());
        m_frame->nb_samples = count;
        m_frame->format = AV_SAMPLE_FMT_FLTP;
        m_frame->sample_rate = m_context->sample_rate;
        if (av_channel_layout_copy(&m_frame->ch_layout, &m_context->ch_layout) < 0 || av_frame_get_buffer(m_frame.get(), 0) < 0)
            return Error { ErrorCode::CodecFailed, "out of memory encoding audio" };
        if (av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void**>(m_frame->data), count) < count)
            return Error { ErrorCode::CodecFailed, "audio buffer underrun" };
        m_frame->pts = m_nextPts;
        m_nextPts += count;
        const int ret = avcodec_send_frame(m_context.get(), m_frame.get());
        if (ret < 0)
            return Error { ErrorCode::CodecFailed, "AAC encoding failed: " + ffmpegErrorString(ret) };
        TRY(drain(sink));
    }
}

Status AacEncoder::drain(const PacketSink& sink)
{
    for (;;) {
        const int ret = avcodec_receive_packet(m_context.get(), m_packet.get());
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            return {};
        if (ret < 0)
            return Error { ErrorCode::CodecFailed, "AAC encoding failed: " + ffmpegErrorString(ret) };
        Status st = sink(m_packet.get());
        av_packet_unref(m_packet.get());
        TRY(std::move(st));
    }
}

}  // namespace av
