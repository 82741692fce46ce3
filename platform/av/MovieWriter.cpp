#include "platform/av/MovieWriter.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/av/AacEncoder.h"
#include "platform/av/AtomicOutputFile.h"
#include "platform/av/FFmpegPtr.h"
#include "platform/av/MovieMuxer.h"
#include "platform/av/ToneGenerator.h"
#include "platform/av/VideoEncoder.h"

namespace av {

class MovieWriter::Recording {
public:
    Recording(AtomicOutputFile file, std::string path, int width, int height, int fps, PixelOrder order)
        : file_(std::move(file)),
          muxer_(file_.fd(), path),
          width_(width),
          height_(height),
          fps_(fps),
          order_(order),
          tone_(kToneHz, kSampleRate) {}

    Status start(bool withAudio) {
        if (Status st = muxer_.open(); !st) return st;
        VideoEncoderSettings vs;
        vs.width = width_;
        vs.height = height_;
        vs.frameDuration = Rational{1, fps_};
        vs.preset = kX264Preset;
        vs.crf = kX264Crf;
        vs.globalHeader = muxer_.wantsGlobalHeader();
        // swscale's default RGB->YUV matrix is BT.601; say so in the file so
        // players convert back with the same one.
        vs.colorSpace = AVCOL_SPC_SMPTE170M;
        vs.colorPrimaries = AVCOL_PRI_BT709;
        vs.colorTransfer = AVCOL_TRC_BT709;
        auto video = VideoEncoder::open(vs);
        if (!video) return video.error();
        video_.emplace(std::move(video).value());
        auto vIndex = muxer_.addEncodedStream(video_->context());
        if (!vIndex) return vIndex.error();
        videoIndex_ = vIndex.value();
        if (withAudio) {
            auto audio = AacEncoder::open(kSampleRate, 1, muxer_.wantsGlobalHeader());
            if (!audio) return audio.error();
            audio_.emplace(std::move(audio).value());
            auto aIndex = muxer_.addEncodedStream(audio_->context());
            if (!aIndex) return aIndex.error();
            audioIndex_ = aIndex.value();
        }
        converter_.reset(sws_getContext(width_, height_, order_ == PixelOrder::RGBA ? AV_PIX_FMT_RGBA : AV_PIX_FMT_BGRA,
                                        width_, height_, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr,
                                        nullptr));
        picture_ = makeFrame();
        if (!converter_ || !picture_) return Error{ErrorCode::CodecFailed, "cannot set up colour conversion"};
        picture_->format = AV_PIX_FMT_YUV420P;
        picture_->width = width_;
        picture_->height = height_;
        if (av_frame_get_buffer(picture_.get(), 0) < 0)
            return Error{ErrorCode::CodecFailed, "out of memory for the picture buffer"};
        return muxer_.writeHeader();
    }

    Status append(const uint8_t* pixels, int stride) {
        if (av_frame_make_writable(picture_.get()) < 0) return Error{ErrorCode::CodecFailed, "out of memory"};
        const uint8_t* src[4] = {pixels, nullptr, nullptr, nullptr};
        const int srcStride[4] = {stride, 0, 0, 0};
        sws_scale(converter_.get(), src, srcStride, 0, height_, picture_->data, picture_->linesize);
        picture_->pts = frames_;
        if (Status st = video_->encode(picture_.get(), videoSink()); !st) return st;
        ++frames_;
        return writeToneUpTo(frames_);
    }

    Status finish() {
        if (frames_ == 0) return Error{ErrorCode::InvalidState, "no frames were recorded"};
        if (Status st = video_->flush(videoSink()); !st) return st;
        if (audio_) {
            if (Status st = writeToneUpTo(frames_); !st) return st;
            if (Status st = audio_->flush(audioSink()); !st) return st;
        }
        if (Status st = muxer_.finish(); !st) return st;
        return file_.commit();
    }

    int64_t frames() const { return frames_; }

private:
    VideoEncoder::PacketSink videoSink() {
        return [this](AVPacket* p) { return muxer_.write(p, video_->timeBase(), videoIndex_); };
    }
    AacEncoder::PacketSink audioSink() {
        return [this](AVPacket* p) { return muxer_.write(p, audio_->timeBase(), audioIndex_); };
    }

    // Keeps the sound exactly as long as the pictures so far, which also
    // keeps the two tracks interleaved in the file as it grows.
    Status writeToneUpTo(int64_t frames) {
        if (!audio_) return {};
        const int64_t target = av_rescale(frames, kSampleRate, fps_);
        while (tone_.samplesGenerated() < target) {
            const auto n = static_cast<int>(std::min<int64_t>(target - tone_.samplesGenerated(), 4096));
            toneBuffer_.resize(static_cast<size_t>(n));
            tone_.generate(toneBuffer_.data(), n);
            const float* planes[1] = {toneBuffer_.data()};
            if (Status st = audio_->push(planes, n, audioSink()); !st) return st;
        }
        return {};
    }

    AtomicOutputFile file_;
    MovieMuxer muxer_;
    int width_, height_, fps_;
    PixelOrder order_;
    std::optional<VideoEncoder> video_;
    std::optional<AacEncoder> audio_;
    int videoIndex_ = -1;
    int audioIndex_ = -1;
    SwsPtr converter_;
    FramePtr picture_;
    ToneGenerator tone_;
    std::vector<float> toneBuffer_;
    int64_t frames_ = 0;
};

MovieWriter::MovieWriter() = default;
MovieWriter::~MovieWriter() = default;
MovieWriter::MovieWriter(MovieWriter&&) noexcept = default;
MovieWriter& MovieWriter::operator=(MovieWriter&&) noexcept = default;

Status MovieWriter::open(const std::string& path, int width, int height, int fps, bool withAudio, PixelOrder order) {
    if (recording_) return Error{ErrorCode::InvalidState, "a recording is already open"};
    if (width <= 0 || height <= 0 || width % 2 || height % 2 || width > 16384 || height > 16384)
        return Error{ErrorCode::InvalidArgument, "picture size must be even and positive, got " +
                                                     std::to_string(width) + "x" + std::to_string(height)};
    if (fps < 1 || fps > 240) return Error{ErrorCode::InvalidArgument, "frame rate must be 1..240"};
    auto file = AtomicOutputFile::create(path);
    if (!file) return file.error();
    auto rec = std::make_unique<Recording>(std::move(file).value(), path, width, height, fps, order);
    if (Status st = rec->start(withAudio); !st) return st;
    recording_ = std::move(rec);
    width_ = width;
    height_ = height;
    return {};
}

Status MovieWriter::appendFrame(const uint8_t* pixels, int strideBytes) {
    if (!recording_) return Error{ErrorCode::InvalidState, "no recording is open"};
    if (!pixels) return Error{ErrorCode::InvalidArgument, "no pixels given"};
    if (strideBytes < width_ * 4) return Error{ErrorCode::InvalidArgument, "row stride is shorter than a row"};
    Status st = recording_->append(pixels, strideBytes);
    // A half-written frame leaves the encoder's state unknown.
    if (!st) recording_.reset();
    return st;
}

Status MovieWriter::finish() {
    if (!recording_) return Error{ErrorCode::InvalidState, "no recording is open"};
    auto rec = std::move(recording_);
    return rec->finish();
}

void MovieWriter::discard() {
    recording_.reset();
}

bool MovieWriter::isOpen() const {
    return recording_ != nullptr;
}

int64_t MovieWriter::framesWritten() const {
    return recording_ ? recording_->frames() : 0;
}

}  // namespace av
