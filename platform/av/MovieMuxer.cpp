#include "platform/av/MovieMuxer.h"

#include "platform/av/FFmpegError.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace av {

MovieMuxer::MovieMuxer(int fd, std::string label) : sink_(fd), label_(std::move(label)) {}

MovieMuxer::~MovieMuxer() {
    if (format_) {
        // The AVIOContext belongs to the sink, not to the format context.
        format_->pb = nullptr;
        avformat_free_context(format_);
    }
}

Status MovieMuxer::open() {
    if (!sink_.io()) return Error{ErrorCode::WriteFailed, "out of memory opening " + label_};
    const int ret = avformat_alloc_output_context2(&format_, nullptr, "mov", nullptr);
    if (ret < 0 || !format_)
        return Error{ErrorCode::CodecFailed, "cannot create a QuickTime muxer: " + ffmpegErrorString(ret)};
    format_->pb = sink_.io();
    format_->flags |= AVFMT_FLAG_CUSTOM_IO;
    return {};
}

bool MovieMuxer::wantsGlobalHeader() const {
    return format_ && (format_->oformat->flags & AVFMT_GLOBALHEADER);
}

Result<int> MovieMuxer::addEncodedStream(const AVCodecContext* encoder) {
    AVStream* st = avformat_new_stream(format_, nullptr);
    if (!st) return Error{ErrorCode::CodecFailed, "cannot add a stream to " + label_};
    const int ret = avcodec_parameters_from_context(st->codecpar, encoder);
    if (ret < 0) return Error{ErrorCode::CodecFailed, "cannot describe stream: " + ffmpegErrorString(ret)};
    st->time_base = encoder->time_base;
    if (encoder->codec_type == AVMEDIA_TYPE_VIDEO) st->avg_frame_rate = encoder->framerate;
    return st->index;
}

Result<int> MovieMuxer::addCopiedStream(const AVStream* source) {
    AVStream* st = avformat_new_stream(format_, nullptr);
    if (!st) return Error{ErrorCode::CodecFailed, "cannot add a stream to " + label_};
    const int ret = avcodec_parameters_copy(st->codecpar, source->codecpar);
    if (ret < 0) return Error{ErrorCode::CodecFailed, "cannot describe stream: " + ffmpegErrorString(ret)};
    // The source container's tag may mean something else in QuickTime.
    st->codecpar->codec_tag = 0;
    st->time_base = source->time_base;
    return st->index;
}

AVRational MovieMuxer::streamTimeBase(int index) const {
    return format_->streams[index]->time_base;
}

Error MovieMuxer::writeError(int ret, const char* what) const {
    const std::string reason = sink_.firstErrno() ? sink_.describeFailure() : ffmpegErrorString(ret);
    return Error{ErrorCode::WriteFailed, std::string("cannot ") + what + " " + label_ + ": " + reason};
}

Status MovieMuxer::writeHeader() {
    const int ret = avformat_write_header(format_, nullptr);
    if (ret < 0) return writeError(ret, "start writing");
    headerWritten_ = true;
    return {};
}

Status MovieMuxer::write(AVPacket* packet, AVRational timeBase, int streamIndex) {
    packet->stream_index = streamIndex;
    av_packet_rescale_ts(packet, timeBase, format_->streams[streamIndex]->time_base);
    const int ret = av_interleaved_write_frame(format_, packet);
    if (ret < 0 || sink_.firstErrno()) return writeError(ret, "write");
    return {};
}

Status MovieMuxer::finish() {
    if (!headerWritten_) return Error{ErrorCode::InvalidState, "nothing was written to " + label_};
    int ret = av_write_trailer(format_);
    headerWritten_ = false;
    if (ret < 0 || sink_.firstErrno()) return writeError(ret, "finish writing");
    avio_flush(format_->pb);
    if (format_->pb->error < 0 || sink_.firstErrno()) return writeError(format_->pb->error, "finish writing");
    return {};
}

}  // namespace av
