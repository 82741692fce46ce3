#include "platform/av/AudioCopier.h"

#include <cmath>

namespace av {

bool AudioCopier::canCopy(AVCodecID codec)
{
    switch (codec) {
    case AV_CODEC_ID_AAC:
    case AV_CODEC_ID_ALAC:
    case AV_CODEC_ID_MP3:
    case AV_CODEC_ID_PCM_S16LE:
    case AV_CODEC_ID_PCM_S16BE:
    case AV_CODEC_ID_PCM_S24LE:
    case AV_CODEC_ID_PCM_S24BE:
    case AV_CODEC_ID_PCM_S32LE:
    case AV_CODEC_ID_PCM_S32BE:
    case AV_CODEC_ID_PCM_F32LE:
    case AV_CODEC_ID_PCM_F32BE:
        return true;
    default:
        return false;
    }
}

AudioCopier::AudioCopier(AVRational timeBase, int64_t origin, double startSeconds, double endSeconds)
    : m_timeBase(timeBase)
    , m_start(origin + static_cast<int64_t>(std::llround(startSeconds / av_q2d(timeBase))))
    , m_end(origin + static_cast<int64_t>(std::llround(endSeconds / av_q2d(timeBase))))
    , m_fromBeginning(startSeconds <= 0.0)
{
}

Status AudioCopier::send(AVPacket* packet, const PacketSink& sink)
{
    if (m_done)
        return {};
    const int64_t pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (pts == AV_NOPTS_VALUE)
        return {};
    if (pts >= m_end) {
        m_done = true;
        return {};
    }
    // From the very beginning, encoder priming packets (negative times)
    // are kept: the decoder needs them for the first real samples.
    if (!m_fromBeginning && pts + packet->duration <= m_start)
        return {};
    if (packet->pts != AV_NOPTS_VALUE)
        packet->pts -= m_start;
    if (packet->dts != AV_NOPTS_VALUE)
        packet->dts -= m_start;
    return sink(packet);
}

}  // namespace av
