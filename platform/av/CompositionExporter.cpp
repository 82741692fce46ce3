#include "platform/av/CompositionExporter.h"

#include <cmath>
#include <optional>

#include "platform/av/AtomicOutputFile.h"
#include "platform/av/AudioCopier.h"
#include "platform/av/AudioTranscoder.h"
#include "platform/av/DecodeThread.h"
#include "platform/av/FFmpegError.h"
#include "platform/av/FrameRateConverter.h"
#include "platform/av/InputMovie.h"
#include "platform/av/MovieMuxer.h"
#include "platform/av/PictureRenderer.h"
#include "platform/av/PresetFit.h"
#include "platform/av/VideoDecoder.h"
#include "platform/av/VideoEncoder.h"

namespace av {

namespace {

// Decoded pictures waiting for the encoder side; each is a whole source
// frame (4.4 MB at 1170 x 2532), so a few keep both sides busy without
// holding much memory.
constexpr size_t kQueuedPictures = 3;

Error invalid(std::string message)
{
    return Error { ErrorCode::InvalidArgument, std::move(message) };
}

Status validate(const ExportRequest& r)
{
    if (r.inputPath.empty())
        return invalid("no input movie given");
    if (r.outputPath.empty())
        return invalid("no output path given");
    if (r.renderWidth <= 0 || r.renderHeight <= 0)
        return invalid("render size must be positive, got " + std::to_string(r.renderWidth) + "x" + std::to_string(r.renderHeight));
    if (r.renderWidth > CompositionExporter::kMaxRenderSide || r.renderHeight > CompositionExporter::kMaxRenderSide)
        return invalid("render size " + std::to_string(r.renderWidth) + "x" + std::to_string(r.renderHeight) + " is too large");
    if (!r.frameDuration.isPositive() || r.frameDuration.num > INT32_MAX || r.frameDuration.den > INT32_MAX || r.frameDuration.toDouble() > 10.0 || r.frameDuration.toDouble() < 1.0 / 1000.0)
        return invalid("frame duration must be between 1/1000 s and 10 s");
    if (!r.transform.inverted())
        return invalid("layer transform cannot be inverted");
    if (r.timeRange) {
        const auto& tr = *r.timeRange;
        if (!std::isfinite(tr.start) || !std::isfinite(tr.duration) || tr.start < 0 || tr.duration <= 0)
            return invalid("time range needs a start >= 0 and a positive duration");
    }
    if (r.presetMaxSize && (r.presetMaxSize->width <= 0 || r.presetMaxSize->height <= 0))
        return invalid("preset size must be positive");
    return {};
}

// One export, from opened input to renamed output.
class ExportJob {
public:
    explicit ExportJob(const ExportRequest& request)
        : m_request(request)
    {
    }

    Status run(InputMovie& in)
    {
        AVStream* video = in.videoStream();

        const double movieDuration = in.durationSeconds();
        double start = m_request.timeRange ? m_request.timeRange->start : 0.0;
        double duration = m_request.timeRange ? m_request.timeRange->duration : movieDuration - start;
        if (movieDuration > 0) {
            if (start >= movieDuration)
                return invalid("time range starts after the movie ends");
            duration = std::min(duration, movieDuration - start);
        }
        if (!(duration > 0))
            return invalid("nothing to export: the movie has no duration");
        const double fd = m_request.frameDuration.toDouble();
        const auto frameCount = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(duration / fd - 1e-6)));
        const double end = start + duration;

        const PixelSize renderSize { m_request.renderWidth, m_request.renderHeight };
        const PixelSize outputSize = PresetFit::fit(renderSize, m_request.presetMaxSize);

        auto decoder = VideoDecoder::open(video);
        if (!decoder)
            return decoder.error();
        auto renderer = TRY(PictureRenderer::create(renderSize, outputSize, *m_request.transform.inverted()));

        auto file = AtomicOutputFile::create(m_request.outputPath);
        if (!file)
            return file.error();
        MovieMuxer muxer(file.value().fd(), m_request.outputPath);
        if (Status st = muxer.open(); !st)
            return st;

        VideoEncoderSettings vs;
        vs.width = outputSize.width;
        vs.height = outputSize.height;
        vs.frameDuration = m_request.frameDuration;
        vs.preset = CompositionExporter::kX264Preset;
        vs.crf = CompositionExporter::kX264Crf;
        vs.globalHeader = muxer.wantsGlobalHeader();
        vs.colorSpace = video->codecpar->color_space;
        vs.colorPrimaries = video->codecpar->color_primaries;
        vs.colorTransfer = video->codecpar->color_trc;
        auto encoder = TRY(VideoEncoder::open(vs));
        auto videoOut = TRY(muxer.addEncodedStream(encoder.context()));

        // Audio times are measured from the video track's start so the two
        // stay in sync after cutting.
        AVStream* audio = in.audioStream();
        std::optional<AudioCopier> copier;
        std::optional<AudioTranscoder> transcoder;
        int audioOut = -1;
        const double videoOrigin = video->start_time == AV_NOPTS_VALUE ? 0.0 : video->start_time * av_q2d(video->time_base);
        if (audio) {
            if (AudioCopier::canCopy(audio->codecpar->codec_id)) {
                const auto origin = static_cast<int64_t>(std::llround(videoOrigin / av_q2d(audio->time_base)));
                copier.emplace(audio->time_base, origin, start, end);
                auto idx = muxer.addCopiedStream(audio);
                if (!idx)
                    return idx.error();
                audioOut = idx.value();
            } else {
                auto t = TRY(AudioTranscoder::open(audio, videoOrigin + start, videoOrigin + end,
                    muxer.wantsGlobalHeader()));
                transcoder.emplace(std::move(t));
                auto idx = TRY(muxer.addEncodedStream(transcoder->encoderContext()));
                audioOut = idx;
            }
        }
        if (Status st = muxer.writeHeader(); !st)
            return st;

        if (start > 0) {
            const int64_t origin = video->start_time == AV_NOPTS_VALUE ? 0 : video->start_time;
            const int64_t target = origin + static_cast<int64_t>(start / av_q2d(video->time_base));
            // Lands on the keyframe at or before the start; frames before
            // the start are decoded and then passed over.
            if (av_seek_frame(in.format(), video->index, target, AVSEEK_FLAG_BACKWARD) < 0)
                av_seek_frame(in.format(), video->index, origin, AVSEEK_FLAG_BACKWARD);
        }

        FrameRateConverter frc(start, m_request.frameDuration, frameCount);
        VideoEncoder& enc = encoder;
        const AVRational encTb = enc.timeBase();
        auto writeVideo = [&](AVPacket* p) { return muxer.write(p, encTb, videoOut); };
        auto writeAudio = [&](AVPacket* p) {
            return muxer.write(p, copier ? copier->timeBase() : transcoder->timeBase(), audioOut);
        };

        FramePtr current;  // source picture on screen now
        bool currentRendered = false;
        AVFrame* picture = nullptr;
        auto emit = [&](int64_t copies) -> Status {
            for (int64_t i = 0; i < copies; ++i) {
                if (cancelled())
                    return cancelledError();
                if (!currentRendered) {
                    auto out = TRY(renderer.render(current.get()));
                    picture = out;
                    currentRendered = true;
                }
                picture->pts = frc.emitted() - copies + i;
                if (Status st = enc.encode(picture, writeVideo); !st)
                    return st;
                report(static_cast<double>(picture->pts + 1) / static_cast<double>(frameCount));
            }
            return {};
        };
        auto onFrame = [&](FramePtr frame, double seconds) -> Status {
            if (frc.done())
                return {};
            const int64_t copies = frc.arrive(seconds);
            if (Status st = emit(copies); !st)
                return st;
            current = std::move(frame);
            currentRendered = false;
            return {};
        };

        // Decoding runs ahead on its own thread; the muxer and encoders stay
        // on this one, fed in the file's order as before.
        DecodeThread reader(in.format(), decoder.value(), video->index, audio ? audio->index : -1, kQueuedPictures);
        bool audioDone = audioOut < 0;
        for (;;) {
            if (cancelled())
                return cancelledError();
            DecodeThread::Item item = reader.next();
            if (item.end)
                break;
            if (!item.failure)
                return item.failure;
            Status st;
            if (item.picture) {
                st = onFrame(std::move(item.picture), item.seconds);
                if (frc.done())
                    reader.videoDone();
            } else if (item.audio && !audioDone) {
                AVPacket* packet = item.audio.get();
                if (copier) {
                    st = copier->send(packet, writeAudio);
                    audioDone = copier->done();
                } else {
                    const int64_t pts = packet->pts;
                    // Past the range by more than any decoder delay: the
                    // transcoder has all it will keep.
                    if (pts != AV_NOPTS_VALUE && pts * av_q2d(audio->time_base) - videoOrigin > end + 0.5)
                        audioDone = true;
                    st = transcoder->send(packet, writeAudio);
                }
                if (audioDone)
                    reader.audioDone();
            }
            if (!st)
                return st;
        }

        if (!frc.done()) {
            if (!current)
                return Error { ErrorCode::CodecFailed, "no picture could be decoded from " + m_request.inputPath };
            if (Status st = emit(frc.finish()); !st)
                return st;
        }
        if (Status st = enc.flush(writeVideo); !st)
            return st;
        if (transcoder) {
            if (Status st = transcoder->finish(writeAudio); !st)
                return st;
        }
        if (cancelled())
            return cancelledError();
        if (Status st = muxer.finish(); !st)
            return st;
        if (Status st = file.value().commit(); !st)
            return st;
        report(1.0, true);
        return {};
    }

private:
    bool cancelled() const { return m_request.cancel && m_request.cancel->load(std::memory_order_relaxed); }
    static Error cancelledError() { return Error { ErrorCode::Cancelled, "export cancelled" }; }

    void report(double value, bool final = false)
    {
        if (!m_request.progress)
            return;
        // 1.0 means "file is in place", so frames alone never reach it.
        if (!final)
            value = std::min(value, 0.99);
        if (value <= m_lastProgress)
            return;
        m_lastProgress = value;
        m_request.progress(value);
    }

    const ExportRequest& m_request;
    double m_lastProgress = -1.0;
};

}  // namespace

Status CompositionExporter::run(const ExportRequest& request)
{
    if (Status st = validate(request); !st)
        return st;
    if (request.cancel && request.cancel->load())
        return Error { ErrorCode::Cancelled, "export cancelled" };
    auto movie = TRY(InputMovie::open(request.inputPath));
    return ExportJob(request).run(movie);
}

Status CompositionExporter::run(InputMovie movie, const ExportRequest& request)
{
    if (Status st = validate(request); !st)
        return st;
    if (request.cancel && request.cancel->load())
        return Error { ErrorCode::Cancelled, "export cancelled" };
    return ExportJob(request).run(movie);
}

}  // namespace av
