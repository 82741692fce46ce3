#pragma once

#include <memory>
#include <string>

#include "platform/av/Forward.h"
#include "platform/av/MovieInfo.h"
#include "platform/foundation/Result.h"

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

    AVFormatContext* format() const { return m_format.get(); }
    const std::string& path() const { return m_path; }
    // -1 when the file has no such stream.
    int videoStreamIndex() const { return m_videoIndex; }
    int audioStreamIndex() const { return m_audioIndex; }
    AVStream* videoStream() const;
    AVStream* audioStream() const;

    double durationSeconds() const;
    MovieInfo info() const;

private:
    struct Closer {
        void operator()(AVFormatContext* p) const;
    };
    InputMovie(std::unique_ptr<AVFormatContext, Closer> format, std::string path);

    std::unique_ptr<AVFormatContext, Closer> m_format;
    std::string m_path;
    int m_videoIndex = -1;
    int m_audioIndex = -1;
};

}  // namespace av
