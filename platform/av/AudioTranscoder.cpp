#include "platform/av/AudioTranscoder.h"

#include <algorithm>
#include <cmath>

#include "platform/av/FFmpegError.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace av {

AudioTranscoder::AudioTranscoder(CodecContextPtr decoder, AacEncoder encoder, AVRational sourceTimeBase,
    int64_t startSample, int64_t endSample)
    : m_decoder(std::move(decoder))
    , m_encoder(std::move(encoder))
    , m_frame(makeFrame())
    , m_sourceTimeBase(sourceTimeBase)
    , m_startSample(startSample)
    , m_endSample(endSample)
{
}

Result<AudioTranscoder> AudioTranscoder::open(const AVStream* source, double startSeconds, double endSeconds,
    bool globalHeader)
{
    const AVCodecParameters* par = source->codecpar;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    if (!codec)
        return Error { ErrorCode::CodecFailed,
            std::string("no decoder for the audio codec ") + avcodec_get_name(par->codec_id) };
    CodecContextPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder)
        return Error { ErrorCode::CodecFailed, "out of memory creating the audio decoder" };
    int ret = avcodec_parameters_to_context(decoder.get(), par);
    if (ret >= 0) {
        decoder->pkt_timebase = source->time_base;
        ret = avcodec_open2(decoder.get(), codec, nullptr);
    }
    if (ret < 0)
        return Error { ErrorCode::CodecFailed, "cannot open the audio decoder: " + ffmpegErrorString(ret) };
    const int inRate = decoder->sample_rate;
    const int inChannels = decoder->ch_layout.nb_channels;
    if (inRate <= 0 || inChannels <= 0)
        return Error { ErrorCode::CodecFailed, "audio track has no sample rate or channels" };
    const int outRate = AacEncoder::supportsSampleRate(inRate) ? inRate : 48000;
    auto encoder = TRY(AacEncoder::open(outRate, std::min(inChannels, 2), globalHeader));
    const auto startSample = static_cast<int64_t>(std::llround(startSeconds * inRate));
    const auto endSample = static_cast<int64_t>(std::llround(endSeconds * inRate));
    return AudioTranscoder(std::move(decoder), std::move(encoder), source->time_base, startSample,
        endSample);
}

Status AudioTranscoder::send(const AVPacket* packet, const PacketSink& sink)
{
    const int ret = avcodec_send_packet(m_decoder.get(), packet);
    // A damaged packet costs a moment of sound, not the whole export.
    if (ret < 0 && ret != AVERROR_INVALIDDATA && ret != AVERROR_EOF)
        return Error { ErrorCode::CodecFailed, "audio decoding failed: " + ffmpegErrorString(ret) };
    return receiveFrames(sink);
}

Status AudioTranscoder::finish(const PacketSink& sink)
{
    TRY(send(nullptr, sink));
    if (m_resampler) {
        TRY(convert(nullptr, 0, sink));
    }
    return m_encoder.flush(sink);
}

Status AudioTranscoder::receiveFrames(const PacketSink& sink)
{
    for (;;) {
        const int ret = avcodec_receive_frame(m_decoder.get(), m_frame.get());
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            return {};
        if (ret < 0)
            return Error { ErrorCode::CodecFailed, "audio decoding failed: " + ffmpegErrorString(ret) };
        Status st = consume(m_frame.get(), sink);
        av_frame_unref(m_frame.get());
        TRY(std::move(st));
    }
}

Status AudioTranscoder::consume(const AVFrame* frame, const PacketSink& sink)
{
    const int rate = m_decoder->sample_rate;
    int64_t first = m_nextSample.value_or(0);
    if (frame->best_effort_timestamp != AV_NOPTS_VALUE)
        first = av_rescale_q(frame->best_effort_timestamp, m_sourceTimeBase, AVRational { 1, rate });
    m_nextSample = first + frame->nb_samples;

    const int64_t keepFrom = std::max(first, m_startSample);
    const int64_t keepTo = std::min(first + frame->nb_samples, m_endSample);
    if (keepTo <= keepFrom)
        return {};

    if (!m_resampler) {
        AVChannelLayout inLayout {};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame->ch_layout.nb_channels == 0)
            av_channel_layout_default(&inLayout, std::max(frame->ch_layout.nb_channels, m_decoder->ch_layout.nb_channels));
        else
            av_channel_layout_copy(&inLayout, &frame->ch_layout);
        AVChannelLayout outLayout {};
        av_channel_layout_default(&outLayout, m_encoder.channels());
        SwrContext* swr = nullptr;
        int ret = swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_FLTP, m_encoder.sampleRate(), &inLayout,
            static_cast<AVSampleFormat>(frame->format), rate, 0, nullptr);
        av_channel_layout_uninit(&inLayout);
        av_channel_layout_uninit(&outLayout);
        m_resampler.reset(swr);
        if (ret >= 0)
            ret = swr_init(swr);
        if (ret < 0)
            return Error { ErrorCode::CodecFailed, "cannot convert the audio track: " + ffmpegErrorString(ret) };
    }

    const auto format = static_cast<AVSampleFormat>(frame->format);
    const int bytes = av_get_bytes_per_sample(format);
    const int channels = frame->ch_layout.nb_channels;
    const auto skip = static_cast<int>(keepFrom - first);
    const uint8_t* input[AV_NUM_DATA_POINTERS] = {};
    if (av_sample_fmt_is_planar(format)) {
        if (channels > AV_NUM_DATA_POINTERS)
            return Error { ErrorCode::CodecFailed, "too many audio channels" };
        for (int ch = 0; ch < channels; ++ch)
            input[ch] = frame->extended_data[ch] + skip * bytes;
    } else {
        input[0] = frame->extended_data[0] + static_cast<size_t>(skip) * bytes * channels;
    }
    return convert(input, static_cast<int>(keepTo - keepFrom), sink);
}

Status AudioTranscoder::convert(const uint8_t* const* input, int count, const PacketSink& sink)
{
    const int channels = m_encoder.channels();
    m_scratch.resize(static_cast<size_t>(channels));
    for (;;) {
        const int capacity = std::max(swr_get_out_samples(m_resampler.get(), count), 256);
        uint8_t* out[2] = {};
        for (int ch = 0; ch < channels; ++ch) {
            m_scratch[ch].resize(static_cast<size_t>(capacity));
            out[ch] = reinterpret_cast<uint8_t*>(m_scratch[ch].data());
        }
        const int produced = swr_convert(m_resampler.get(), out, capacity, const_cast<const uint8_t**>(input), count);
        if (produced < 0)
            return Error { ErrorCode::CodecFailed, "cannot convert the audio track: " + ffmpegErrorString(produced) };
        const float* planes[2] = { m_scratch[0].data(), channels > 1 ? m_scratch[1].data() : nullptr };
        TRY(m_encoder.push(planes, produced, sink));
        // Draining (input == nullptr) may take several rounds; converting
        // real input fits in one by construction of `capacity`.
        if (input != nullptr || produced == 0)
            return {};
    }
}

}  // namespace av
