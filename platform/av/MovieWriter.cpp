#include "platform/av/MovieWriter.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/av/AacEncoder.h"
#include "platform/av/FFmpegPtr.h"
#include "platform/av/MovieMuxer.h"
#include "platform/av/ToneGenerator.h"
#include "platform/av/VideoEncoder.h"
#include "platform/foundation/AtomicFile.h"

namespace av {

class MovieWriter::Recording {
public:
    Recording(foundation::AtomicFile file, std::string path, int width, int height, int fps, PixelOrder order)
        : m_file(std::move(file))
        , m_muxer(m_file.fd(), path)
        , m_width(width)
        , m_height(height)
        , m_fps(fps)
        , m_order(order)
        , m_tone(kToneHz, kSampleRate)
    {
    }

    Status start(bool withAudio)
    {
        TRY(m_muxer.open());
        VideoEncoderSettings vs;
        vs.width = m_width;
        vs.height = m_height;
        vs.frameDuration = Rational { 1, m_fps };
        vs.preset = kX264Preset;
        vs.crf = kX264Crf;
        vs.globalHeader = m_muxer.wantsGlobalHeader();
        // swscale's default RGB->YUV matrix is BT.601; say so in the file so
        // players convert back with the same one.
        vs.colorSpace = AVCOL_SPC_SMPTE170M;
        vs.colorPrimaries = AVCOL_PRI_BT709;
        vs.colorTransfer = AVCOL_TRC_BT709;
        auto video = TRY(VideoEncoder::open(vs));
        m_video.emplace(std::move(video));
        auto vIndex = TRY(m_muxer.addEncodedStream(m_video->context()));
        m_videoIndex = vIndex;
        if (withAudio) {
            auto audio = TRY(AacEncoder::open(kSampleRate, 1, m_muxer.wantsGlobalHeader()));
            m_audio.emplace(std::move(audio));
            auto aIndex = TRY(m_muxer.addEncodedStream(m_audio->context()));
            m_audioIndex = aIndex;
        }
        m_converter.reset(sws_getContext(m_width, m_height, m_order == PixelOrder::RGBA ? AV_PIX_FMT_RGBA : AV_PIX_FMT_BGRA,
            m_width, m_height, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr,
            nullptr));
        m_picture = makeFrame();
        if (!m_converter || !m_picture)
            return Error { ErrorCode::CodecFailed, "cannot set up colour conversion" };
        m_picture->format = AV_PIX_FMT_YUV420P;
        m_picture->width = m_width;
        m_picture->height = m_height;
        if (av_frame_get_buffer(m_picture.get(), 0) < 0)
            return Error { ErrorCode::CodecFailed, "out of memory for the picture buffer" };
        return m_muxer.writeHeader();
    }

    Status append(const uint8_t* pixels, int stride)
    {
        if (av_frame_make_writable(m_picture.get()) < 0)
            return Error { ErrorCode::CodecFailed, "out of memory" };
        const uint8_t* src[4] = { pixels, nullptr, nullptr, nullptr };
        const int srcStride[4] = { stride, 0, 0, 0 };
        sws_scale(m_converter.get(), src, srcStride, 0, m_height, m_picture->data, m_picture->linesize);
        m_picture->pts = m_frames;
        TRY(m_video->encode(m_picture.get(), videoSink()));
        ++m_frames;
        return writeToneUpTo(m_frames);
    }

    Status finish()
    {
        if (m_frames == 0)
            return Error { ErrorCode::InvalidState, "no frames were recorded" };
        TRY(m_video->flush(videoSink()));
        if (m_audio) {
            TRY(writeToneUpTo(m_frames));
            TRY(m_audio->flush(audioSink()));
        }
        TRY(m_muxer.finish());
        return m_file.commit();
    }

    int64_t frames() const { return m_frames; }

private:
    VideoEncoder::PacketSink videoSink()
    {
        return [this](AVPacket* p) { return m_muxer.write(p, m_video->timeBase(), m_videoIndex); };
    }
    AacEncoder::PacketSink audioSink()
    {
        return [this](AVPacket* p) { return m_muxer.write(p, m_audio->timeBase(), m_audioIndex); };
    }

    // Keeps the sound exactly as long as the pictures so far, which also
    // keeps the two tracks interleaved in the file as it grows.
    Status writeToneUpTo(int64_t frames)
    {
        if (!m_audio)
            return {};
        const int64_t target = av_rescale(frames, kSampleRate, m_fps);
        while (m_tone.samplesGenerated() < target) {
            const auto n = static_cast<int>(std::min<int64_t>(target - m_tone.samplesGenerated(), 4096));
            m_toneBuffer.resize(static_cast<size_t>(n));
            m_tone.generate(m_toneBuffer.data(), n);
            const float* planes[1] = { m_toneBuffer.data() };
            TRY(m_audio->push(planes, n, audioSink()));
        }
        return {};
    }

    foundation::AtomicFile m_file;
    MovieMuxer m_muxer;
    int m_width, m_height, m_fps;
    PixelOrder m_order;
    std::optional<VideoEncoder> m_video;
    std::optional<AacEncoder> m_audio;
    int m_videoIndex = -1;
    int m_audioIndex = -1;
    SwsPtr m_converter;
    FramePtr m_picture;
    ToneGenerator m_tone;
    std::vector<float> m_toneBuffer;
    int64_t m_frames = 0;
};

MovieWriter::MovieWriter() = default;
MovieWriter::~MovieWriter() = default;
MovieWriter::MovieWriter(MovieWriter&&) noexcept = default;
MovieWriter& MovieWriter::operator=(MovieWriter&&) noexcept = default;

Status MovieWriter::open(const std::string& path, int width, int height, int fps, bool withAudio, PixelOrder order)
{
    if (m_recording)
        return Error { ErrorCode::InvalidState, "a recording is already open" };
    if (width <= 0 || height <= 0 || width % 2 || height % 2 || width > 16384 || height > 16384)
        return Error { ErrorCode::InvalidArgument, "picture size must be even and positive, got " + std::to_string(width) + "x" + std::to_string(height) };
    if (fps < 1 || fps > 240)
        return Error { ErrorCode::InvalidArgument, "frame rate must be 1..240" };
    auto file = TRY(foundation::AtomicFile::create(path));
    auto rec = std::make_unique<Recording>(std::move(file), path, width, height, fps, order);
    TRY(rec->start(withAudio));
    m_recording = std::move(rec);
    m_width = width;
    m_height = height;
    return {};
}

Status MovieWriter::appendFrame(const uint8_t* pixels, int strideBytes)
{
    if (!m_recording)
        return Error { ErrorCode::InvalidState, "no recording is open" };
    if (!pixels)
        return Error { ErrorCode::InvalidArgument, "no pixels given" };
    if (strideBytes < m_width * 4)
        return Error { ErrorCode::InvalidArgument, "row stride is shorter than a row" };
    Status st = m_recording->append(pixels, strideBytes);
    // A half-written frame leaves the encoder's state unknown.
    if (!st)
        m_recording.reset();
    return st;
}

Status MovieWriter::finish()
{
    if (!m_recording)
        return Error { ErrorCode::InvalidState, "no recording is open" };
    auto rec = std::move(m_recording);
    return rec->finish();
}

void MovieWriter::discard()
{
    m_recording.reset();
}

bool MovieWriter::isOpen() const
{
    return m_recording != nullptr;
}

int64_t MovieWriter::framesWritten() const
{
    return m_recording ? m_recording->frames() : 0;
}

}  // namespace av
