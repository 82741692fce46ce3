#pragma once

#include <memory>
#include <string>

#include "platform/av/MovieInfo.h"
#include "platform/av/Result.h"

struct AVFormatContext;
struct AVStream;

namespace av {

// An opened, probed source file; owns the demuxer.
class InputMovie {
public:
    [[nodiscard]] static Result<InputMovie> open(const std::string& path);

    InputMovie(InputMovie&&) noexcept;
    InputMovie& operator=(InputMovie&&) noexcept;
    ~InputMovie();

    AVFormatContext* format() const { return format_.get(); }
    const std::string& path() const { return path_; }
    // -1 when the file has no such stream.
    int videoStreamIndex() const { return videoIndex_; }
    int audioStreamIndex() const { return audioIndex_; }
    AVStream* videoStream() const;
    AVStream* audioStream() const;

    double durationSeconds() const;
    MovieInfo info() const;

private:
    struct Closer {
        void operator()(AVFormatContext* p) const;
    };
    InputMovie(std::unique_ptr<AVFormatContext, Closer> format, std::string path);

    std::unique_ptr<AVFormatContext, Closer> format_;
    std::string path_;
    int videoIndex_ = -1;
    int audioIndex_ = -1;
};

}  // namespace av
