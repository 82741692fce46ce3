#include "platform/av/MovieMuxer.h"

#include "platform/av/FFmpegError.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace av {

MovieMuxer::MovieMuxer(int fd, std::string label)
    : m_sink(fd)
    , m_label(std::move(label))
{
}

MovieMuxer::~MovieMuxer()
{
    if (m_format) {
        // The AVIOContext belongs to the sink, not to the format context.
        m_format->pb = nullptr;
        avformat_free_context(m_format);
    }
}

Status MovieMuxer::open()
{
    if (!m_sink.io())
        return Error { ErrorCode::WriteFailed, "out of memory opening " + m_label };
    const int ret = avformat_alloc_output_context2(&m_format, nullptr, "mov", nullptr);
    if (ret < 0 || !m_format)
        return Error { ErrorCode::CodecFailed, "cannot create a QuickTime muxer: " + ffmpegErrorString(ret) };
    m_format->pb = m_sink.io();
    m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
    return {};
}

bool MovieMuxer::wantsGlobalHeader() const
{
    return m_format && (m_format->oformat->flags & AVFMT_GLOBALHEADER);
}

Result<int> MovieMuxer::addEncodedStream(const AVCodecContext* encoder)
{
    AVStream* st = avformat_new_stream(m_format, nullptr);
    if (!st)
        return Error { ErrorCode::CodecFailed, "cannot add a stream to " + m_label };
    const int ret = avcodec_parameters_from_context(st->codecpar, encoder);
    if (ret < 0)
        return Error { ErrorCode::CodecFailed, "cannot describe stream: " + ffmpegErrorString(ret) };
    st->time_base = encoder->time_base;
    if (encoder->codec_type == AVMEDIA_TYPE_VIDEO)
        st->avg_frame_rate = encoder->framerate;
    return st->index;
}

Result<int> MovieMuxer::addCopiedStream(const AVStream* source)
{
    AVStream* st = avformat_new_stream(m_format, nullptr);
    if (!st)
        return Error { ErrorCode::CodecFailed, "cannot add a stream to " + m_label };
    const int ret = avcodec_parameters_copy(st->codecpar, source->codecpar);
    if (ret < 0)
        return Error { ErrorCode::CodecFailed, "cannot describe stream: " + ffmpegErrorString(ret) };
    // The source container's tag may mean something else in QuickTime.
    st->codecpar->codec_tag = 0;
    st->time_base = source->time_base;
    return st->index;
}

AVRational MovieMuxer::streamTimeBase(int index) const
{
    return m_format->streams[index]->time_base;
}

Error MovieMuxer::writeError(int ret, const char* what) const
{
    const std::string reason = m_sink.firstErrno() ? m_sink.describeFailure() : ffmpegErrorString(ret);
    return Error { ErrorCode::WriteFailed, std::string("cannot ") + what + " " + m_label + ": " + reason };
}

Status MovieMuxer::writeHeader()
{
    const int ret = avformat_write_header(m_format, nullptr);
    if (ret < 0)
        return writeError(ret, "start writing");
    m_headerWritten = true;
    return {};
}

Status MovieMuxer::write(AVPacket* packet, AVRational timeBase, int streamIndex)
{
    packet->stream_index = streamIndex;
    av_packet_rescale_ts(packet, timeBase, m_format->streams[streamIndex]->time_base);
    const int ret = av_interleaved_write_frame(m_format, packet);
    if (ret < 0 || m_sink.firstErrno())
        return writeError(ret, "write");
    return {};
}

Status MovieMuxer::finish()
{
    if (!m_headerWritten)
        return Error { ErrorCode::InvalidState, "nothing was written to " + m_label };
    int ret = av_write_trailer(m_format);
    m_headerWritten = false;
    if (ret < 0 || m_sink.firstErrno())
        return writeError(ret, "finish writing");
    avio_flush(m_format->pb);
    if (m_format->pb->error < 0 || m_sink.firstErrno())
        return writeError(m_format->pb->error, "finish writing");
    return {};
}

}  // namespace av
