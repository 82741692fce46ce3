#include "platform/av/CompositionExporter.h"

#include <cmath>
#include <optional>

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
#include "platform/foundation/AtomicFile.h"

namespace av {

namespace {

// Decoded pictures waiting for the encoder side; each is a whole source
// frame (4.4 MB at 1170 x 2532). The audio packets between them take no
// room, so two keep the encoder fed: three held another picture's memory
// for no time saved.
constexpr size_t kQueuedPictures = 2;

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

// One export, from opened input to renamed output: the range to cut, the
// output opened, the frames pumped through, the file finished. The parts
// share the streams and coders as members, declared in the order they are
// opened so they close in the reverse.
class ExportJob {
public:
    explicit ExportJob(const ExportRequest& request)
        : m_request(request)
    {
    }

    Status run(InputMovie& in)
    {
        m_video = in.videoStream();
        m_audio = in.audioStream();
        TRY(planRange(in.durationSeconds()));
        TRY(openOutput());
        seekToStart(in);
        TRY(pump(in));
        TRY(finish());
        report(1.0, true);
        return {};
    }

private:
    // The cut, clamped to the movie, and the number of frames it makes.
    Status planRange(double movieDuration)
    {
        m_start = m_request.timeRange ? m_request.timeRange->start : 0.0;
        double duration = m_request.timeRange ? m_request.timeRange->duration : movieDuration - m_start;
        if (movieDuration > 0) {
            if (m_start >= movieDuration)
                return invalid("time range starts after the movie ends");
            duration = std::min(duration, movieDuration - m_start);
        }
        if (!(duration > 0))
            return invalid("nothing to export: the movie has no duration");
        const double fd = m_request.frameDuration.toDouble();
        m_frameCount = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(duration / fd - 1e-6)));
        m_end = m_start + duration;
        return {};
    }

    // Decoder, renderer and the output file with its streams, up to the
    // written header.
    Status openOutput()
    {
        const PixelSize renderSize { m_request.renderWidth, m_request.renderHeight };
        const PixelSize outputSize = PresetFit::fit(renderSize, m_request.presetMaxSize);

        m_decoder.emplace(TRY(VideoDecoder::open(m_video)));
        m_renderer.emplace(TRY(PictureRenderer::create(renderSize, outputSize, *m_request.transform.inverted())));
        m_file.emplace(TRY(foundation::AtomicFile::create(m_request.outputPath)));
        m_muxer.emplace(m_file->fd(), m_request.outputPath);
        TRY(m_muxer->open());

        VideoEncoderSettings vs;
        vs.width = outputSize.width;
        vs.height = outputSize.height;
        vs.frameDuration = m_request.frameDuration;
        vs.preset = CompositionExporter::kX264Preset;
        vs.crf = CompositionExporter::kX264Crf;
        vs.globalHeader = m_muxer->wantsGlobalHeader();
        vs.colorSpace = m_video->codecpar->color_space;
        vs.colorPrimaries = m_video->codecpar->color_primaries;
        vs.colorTransfer = m_video->codecpar->color_trc;
        m_encoder.emplace(TRY(VideoEncoder::open(vs)));
        m_videoOut = TRY(m_muxer->addEncodedStream(m_encoder->context()));
        TRY(openAudio());
        return m_muxer->writeHeader();
    }

    // The sound is copied when the output can hold its codec, transcoded
    // otherwise. Its times are measured from the video track's start so the
    // two stay in sync after cutting.
    Status openAudio()
    {
        m_videoOrigin = m_video->start_time == AV_NOPTS_VALUE ? 0.0 : m_video->start_time * av_q2d(m_video->time_base);
        if (!m_audio)
            return {};
        if (AudioCopier::canCopy(m_audio->codecpar->codec_id)) {
            const auto origin = static_cast<int64_t>(std::llround(m_videoOrigin / av_q2d(m_audio->time_base)));
            m_copier.emplace(m_audio->time_base, origin, m_start, m_end);
            m_audioOut = TRY(m_muxer->addCopiedStream(m_audio));
        } else {
            m_transcoder.emplace(TRY(AudioTranscoder::open(m_audio, m_videoOrigin + m_start, m_videoOrigin + m_end,
                m_muxer->wantsGlobalHeader())));
            m_audioOut = TRY(m_muxer->addEncodedStream(m_transcoder->encoderContext()));
        }
        return {};
    }

    void seekToStart(InputMovie& in)
    {
        if (m_start <= 0)
            return;
        const int64_t origin = m_video->start_time == AV_NOPTS_VALUE ? 0 : m_video->start_time;
        const int64_t target = origin + static_cast<int64_t>(m_start / av_q2d(m_video->time_base));
        // Lands on the keyframe at or before the start; frames before
        // the start are decoded and then passed over.
        if (av_seek_frame(in.format(), m_video->index, target, AVSEEK_FLAG_BACKWARD) < 0)
            av_seek_frame(in.format(), m_video->index, origin, AVSEEK_FLAG_BACKWARD);
    }

    Status writeVideo(AVPacket* packet) { return m_muxer->write(packet, m_encoder->timeBase(), m_videoOut); }
    Status writeAudio(AVPacket* packet)
    {
        return m_muxer->write(packet, m_copier ? m_copier->timeBase() : m_transcoder->timeBase(), m_audioOut);
    }

    // The picture on screen now, rendered once however many frames repeat it.
    Status emit(int64_t copies)
    {
        for (int64_t i = 0; i < copies; ++i) {
            if (cancelled())
                return cancelledError();
            if (!m_currentRendered) {
                m_picture = TRY(m_renderer->render(m_current.get()));
                m_currentRendered = true;
            }
            m_picture->pts = m_frames->emitted() - copies + i;
            TRY(m_encoder->encode(m_picture, [this](AVPacket* p) { return writeVideo(p); }));
            report(static_cast<double>(m_picture->pts + 1) / static_cast<double>(m_frameCount));
        }
        return {};
    }

    Status onFrame(FramePtr frame, double seconds)
    {
        if (m_frames->done())
            return {};
        TRY(emit(m_frames->arrive(seconds)));
        // The picture handed to the encoder may be the decoded one itself;
        // it goes back to the decoder now rather than a frame later.
        m_renderer->release();
        m_picture = nullptr;
        m_current = std::move(frame);
        m_currentRendered = false;
        return {};
    }

    // Whether the transcoder has all the sound it will keep.
    bool pastTheRange(const AVPacket* packet) const
    {
        // Past the range by more than any decoder delay.
        const int64_t pts = packet->pts;
        return pts != AV_NOPTS_VALUE && pts * av_q2d(m_audio->time_base) - m_videoOrigin > m_end + 0.5;
    }

    // Decoding runs ahead on its own thread; the muxer and encoders stay
    // on this one, fed in the file's order.
    Status pump(InputMovie& in)
    {
        m_frames.emplace(m_start, m_request.frameDuration, m_frameCount);
        auto writeAudio = [this](AVPacket* p) { return this->writeAudio(p); };
        DecodeThread reader(in.format(), *m_decoder, m_video->index, m_audio ? m_audio->index : -1, kQueuedPictures);
        bool audioDone = m_audioOut < 0;
        for (;;) {
            if (cancelled())
                return cancelledError();
            DecodeThread::Item item = reader.next();
            if (item.end)
                return {};
            TRY(std::move(item.failure));
            if (item.picture) {
                TRY(onFrame(std::move(item.picture), item.seconds));
                if (m_frames->done())
                    reader.videoDone();
            } else if (item.audio && !audioDone) {
                AVPacket* packet = item.audio.get();
                if (m_copier) {
                    TRY(m_copier->send(packet, writeAudio));
                    audioDone = m_copier->done();
                } else {
                    audioDone = pastTheRange(packet);
                    TRY(m_transcoder->send(packet, writeAudio));
                }
                if (audioDone)
                    reader.audioDone();
            }
        }
    }

    // The last frames, the coders' delayed output, the trailer and the rename.
    Status finish()
    {
        if (!m_frames->done()) {
            if (!m_current)
                return Error { ErrorCode::CodecFailed, "no picture could be decoded from " + m_request.inputPath };
            TRY(emit(m_frames->finish()));
        }
        TRY(m_encoder->flush([this](AVPacket* p) { return writeVideo(p); }));
        if (m_transcoder)
            TRY(m_transcoder->finish([this](AVPacket* p) { return writeAudio(p); }));
        if (cancelled())
            return cancelledError();
        TRY(m_muxer->finish());
        return m_file->commit();
    }

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

    AVStream* m_video = nullptr;
    AVStream* m_audio = nullptr;
    double m_start = 0, m_end = 0, m_videoOrigin = 0;
    int64_t m_frameCount = 0;

    std::optional<VideoDecoder> m_decoder;
    std::optional<PictureRenderer> m_renderer;
    std::optional<foundation::AtomicFile> m_file;
    std::optional<MovieMuxer> m_muxer;
    std::optional<VideoEncoder> m_encoder;
    int m_videoOut = -1;
    std::optional<AudioCopier> m_copier;
    std::optional<AudioTranscoder> m_transcoder;
    int m_audioOut = -1;
    std::optional<FrameRateConverter> m_frames;

    FramePtr m_current;  // source picture on screen now
    bool m_currentRendered = false;
    AVFrame* m_picture = nullptr;
};

}  // namespace

Status CompositionExporter::run(const ExportRequest& request)
{
    TRY(validate(request));
    if (request.cancel && request.cancel->load())
        return Error { ErrorCode::Cancelled, "export cancelled" };
    auto movie = TRY(InputMovie::open(request.inputPath));
    return ExportJob(request).run(movie);
}

Status CompositionExporter::run(InputMovie movie, const ExportRequest& request)
{
    TRY(validate(request));
    if (request.cancel && request.cancel->load())
        return Error { ErrorCode::Cancelled, "export cancelled" };
    return ExportJob(request).run(movie);
}

}  // namespace av
