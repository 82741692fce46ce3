#include "platform/av/MovieCheck.h"

#include "platform/av/FFmpegError.h"
#include "platform/av/InputMovie.h"
#include "platform/av/VideoDecoder.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <string_view>

namespace av {

Status MovieCheck::decodesWhole(const std::string& path)
{
    auto in = TRY(InputMovie::open(path));
    AVStream* video = in.videoStream();
    if (!video)
        return Error { ErrorCode::NoVideoTrack, "no video track in " + path };
    // The image demuxers ("png_pipe", "image2", ...) read pictures, not movies.
    std::string_view demuxer = in.format()->iformat->name;
    if (demuxer == "image2" || demuxer.ends_with("_pipe"))
        return Error { ErrorCode::UnreadableInput, path + " is a picture, not a movie" };
    if (!(in.durationSeconds() > 0))
        return Error { ErrorCode::UnreadableInput, path + " has no duration; it is not a movie" };
    auto decoder = TRY(VideoDecoder::open(video));
    int pictures = 0;
    auto count = [&pictures](FramePtr, double) -> Status {
        ++pictures;
        return {};
    };
    PacketPtr packet = makePacket();
    if (!packet)
        return Error { ErrorCode::CodecFailed, "out of memory reading " + path };
    for (;;) {
        const int ret = av_read_frame(in.format(), packet.get());
        if (ret == AVERROR_EOF)
            break;
        if (ret < 0)
            return Error { ErrorCode::UnreadableInput, "cannot read " + path + ": " + ffmpegErrorString(ret) };
        Status st = packet->stream_index == video->index ? decoder.send(packet.get(), count) : Status {};
        av_packet_unref(packet.get());
        TRY(std::move(st).withContext(path));
    }
    TRY(decoder.flush(count).withContext(path));
    if (pictures == 0)
        return Error { ErrorCode::CodecFailed, "no picture of " + path + " decodes" };
    return {};
}

}  // namespace av
