#pragma once

#include <memory>
#include <string>

#include "platform/av/FileSink.h"
#include "platform/av/Forward.h"
#include "platform/foundation/Result.h"

extern "C" {
#include <libavutil/rational.h>
}

struct AVCodecContext;
struct AVFormatContext;
struct AVPacket;
struct AVStream;

namespace av {

// QuickTime (.mov) container written through a FileSink, whatever the
// destination's file name says.
class MovieMuxer {
public:
    // `label` names the destination in error messages.
    MovieMuxer(int fd, std::string label);
    MovieMuxer(const MovieMuxer&) = delete;
    MovieMuxer& operator=(const MovieMuxer&) = delete;
    ~MovieMuxer();

    [[nodiscard]] Status open();
    // Encoders must be told before they are opened.
    bool wantsGlobalHeader() const;

    [[nodiscard]] Result<int> addEncodedStream(const AVCodecContext* encoder);
    [[nodiscard]] Result<int> addCopiedStream(const AVStream* source);
    AVRational streamTimeBase(int index) const;

    [[nodiscard]] Status writeHeader();
    // Takes the packet's payload; `timeBase` is what its timestamps are in.
    [[nodiscard]] Status write(AVPacket* packet, AVRational timeBase, int streamIndex);
    [[nodiscard]] Status finish();

private:
    Error writeError(int ret, const char* what) const;

    FileSink m_sink;
    std::string m_label;
    AVFormatContext* m_format = nullptr;
    bool m_headerWritten = false;
};

}  // namespace av
