#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/av/Forward.h"
#include "platform/av/PixelOrder.h"
#include "platform/foundation/Result.h"

namespace av {

// Records a QuickTime movie from 32-bit pixel buffers, one frame per call
// at a constant frame rate: H.264 (x264 "ultrafast", so a phone-sized
// screen keeps up in real time) and, on request, an AAC track of a 440 Hz
// tone as long as the picture.
//
// Nothing appears at the path until finish() succeeds; a failed, discarded
// or destroyed-unfinished recording leaves the path as it was.
class MovieWriter {
public:
    MovieWriter();
    ~MovieWriter();
    MovieWriter(MovieWriter&&) noexcept;
    MovieWriter& operator=(MovieWriter&&) noexcept;
    MovieWriter(const MovieWriter&) = delete;
    MovieWriter& operator=(const MovieWriter&) = delete;

    // width and height must be even (H.264 4:2:0); fps in 1..240.
    [[nodiscard]] Status open(const std::string& path, int width, int height, int fps, bool withAudio,
        PixelOrder order = PixelOrder::RGBA);
    // `pixels` holds height rows of `strideBytes` bytes (>= width * 4).
    [[nodiscard]] Status appendFrame(const uint8_t* pixels, int strideBytes);
    // Needs at least one frame.
    [[nodiscard]] Status finish();
    // Drops the recording; the path is left untouched.
    void discard();

    bool isOpen() const;
    int64_t framesWritten() const;

    static constexpr const char* kX264Preset = "ultrafast";
    static constexpr int kX264Crf = 20;
    static constexpr double kToneHz = 440.0;
    static constexpr int kSampleRate = 44100;

private:
    class Recording;
    std::unique_ptr<Recording> m_recording;
    int m_width = 0;
    int m_height = 0;
};

}  // namespace av
