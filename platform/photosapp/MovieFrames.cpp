#include "platform/photosapp/MovieFrames.h"

#include "platform/av/DecodeThread.h"
#include "platform/av/InputMovie.h"
#include "platform/av/MovieProbe.h"
#include "platform/av/RgbaConverter.h"
#include "platform/av/VideoDecoder.h"
#include "platform/photosapp/PictureGeometry.h"

#include <cmath>

namespace photosapp {

using foundation::Error;
using foundation::ErrorCode;
using foundation::Status;

namespace {
// Pictures decoded ahead while one is shown.
constexpr std::size_t queuedPictures = 4;
// Clock times are sums of frame intervals; a picture due "now" must not be
// missed by a rounding error.
constexpr double timeSlack = 1e-6;
}  // namespace

// One pass of decoding from a point of the file. Members in this order so
// the thread stops before the decoder and the demuxer it reads go.
struct MovieFrames::Decoding {
    av::InputMovie movie;
    std::optional<av::VideoDecoder> decoder;
    std::unique_ptr<av::DecodeThread> thread;
    // The next picture, decoded but not yet due.
    av::FramePtr lookahead;
    double lookaheadSeconds = 0;
    bool ended = false;
    Status failure;
    av::RgbaConverter converter;

    explicit Decoding(av::InputMovie m)
        : movie(std::move(m))
    {
    }
    ~Decoding()
    {
        thread.reset();
        lookahead.reset();
    }
};

CGSize MovieFrames::uprightSize(const av::MovieInfo& info)
{
    const long quarters = std::lround(info.rotationDegrees / 90);
    const bool sideways = quarters % 2 != 0;
    return sideways ? CGSizeMake(info.height, info.width) : CGSizeMake(info.width, info.height);
}

foundation::Result<std::unique_ptr<MovieFrames>> MovieFrames::open(const std::string& hostPath, const Sizing& pixelSizeFor)
{
    auto info = TRY(av::MovieProbe::probe(hostPath));
    const CGSize pixelSize = pixelSizeFor ? pixelSizeFor(info) : uprightSize(info);
    std::unique_ptr<MovieFrames> frames(new MovieFrames(hostPath, info, pixelSize));
    TRY(frames->start(0));
    return frames;
}

MovieFrames::MovieFrames(std::string path, av::MovieInfo info, CGSize pixelSize)
    : m_path(std::move(path))
    , m_info(std::move(info))
    , m_pixelSize(CGSizeMake(std::max<CGFloat>(1, std::round(pixelSize.width)), std::max<CGFloat>(1, std::round(pixelSize.height))))
{
}

MovieFrames::~MovieFrames() = default;

double MovieFrames::duration() const
{
    if (m_info.durationSeconds > 0)
        return m_info.durationSeconds;
    return m_lastSeenSeconds + frameInterval();
}

double MovieFrames::frameInterval() const
{
    return m_info.frameRate > 0 ? 1.0 / m_info.frameRate : 1.0 / 30;
}

Status MovieFrames::start(double seconds)
{
    m_decoding.reset();
    auto movie = TRY(av::InputMovie::open(m_path));
    auto decoding = std::make_unique<Decoding>(std::move(movie));
    AVStream* stream = decoding->movie.videoStream();
    if (!stream)
        return Error { ErrorCode::NoVideoTrack, "no video track in " + m_path };
    if (seconds > 0) {
        const int64_t origin = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
        const int64_t target = origin + static_cast<int64_t>(seconds / av_q2d(stream->time_base));
        // A failed seek leaves the reader at the start, which is slower but right.
        if (av_seek_frame(decoding->movie.format(), decoding->movie.videoStreamIndex(), target, AVSEEK_FLAG_BACKWARD) < 0)
            av_seek_frame(decoding->movie.format(), decoding->movie.videoStreamIndex(), origin, AVSEEK_FLAG_BACKWARD);
    }
    auto decoder = TRY(av::VideoDecoder::open(stream));
    decoding->decoder.emplace(std::move(decoder));
    decoding->thread = std::make_unique<av::DecodeThread>(decoding->movie.format(), *decoding->decoder,
        decoding->movie.videoStreamIndex(), -1, queuedPictures);
    m_decoding = std::move(decoding);
    m_current.reset();
    return {};
}

Status MovieFrames::fillLookahead()
{
    auto& d = *m_decoding;
    while (!d.lookahead && !d.ended) {
        auto item = d.thread->next();
        if (!item.failure) {
            d.ended = true;
            d.failure = item.failure;
        } else if (item.end) {
            d.ended = true;
        } else if (item.picture) {
            d.lookahead = std::move(item.picture);
            d.lookaheadSeconds = item.seconds;
            m_lastSeenSeconds = std::max(m_lastSeenSeconds, item.seconds);
        }
    }
    return {};
}

foundation::Result<MovieFrames::Frame> MovieFrames::frameAt(double seconds)
{
    if (!std::isfinite(seconds))
        seconds = 0;
    if (!m_decoding || (m_current && seconds + timeSlack < m_current->seconds))
        TRY(start(seconds));
    auto& d = *m_decoding;
    av::FramePtr due;
    double dueSeconds = 0;
    for (;;) {
        TRY(fillLookahead());
        if (!d.lookahead)
            break;
        const bool first = !m_current && !due;
        if (!first && d.lookaheadSeconds > seconds + timeSlack)
            break;
        due = std::move(d.lookahead);
        dueSeconds = d.lookaheadSeconds;
    }
    if (due) {
        const long quarters = std::lround(m_info.rotationDegrees / 90);
        const bool sideways = quarters % 2 != 0;
        const int w = static_cast<int>(sideways ? m_pixelSize.height : m_pixelSize.width);
        const int h = static_cast<int>(sideways ? m_pixelSize.width : m_pixelSize.height);
        auto converted = TRY(d.converter.convert(due.get(), w, h));
        ScreenFrame picture;
        picture.width = converted.width;
        picture.height = converted.height;
        picture.pixels = std::move(converted.pixels);
        m_current = Frame { std::make_shared<const ScreenFrame>(rotated(picture, m_info.rotationDegrees)), dueSeconds };
    }
    if (!m_current) {
        if (!d.failure)
            return d.failure.error();
        return Error { ErrorCode::CodecFailed, "no picture of " + m_path + " could be decoded" };
    }
    return *m_current;
}

bool MovieFrames::atEnd() const
{
    return m_decoding && m_decoding->ended && !m_decoding->lookahead;
}

}  // namespace photosapp
