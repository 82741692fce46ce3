#include "platform/av/InputMovie.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "platform/av/FFmpegError.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/opt.h>
}

namespace av {

namespace {

bool isAttachedPicture(const AVStream* st)
{
    return (st->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0;
}

// Fixed-point display matrices store exact 0/±1 as near misses once a
// rotation went through floating point somewhere upstream.
double snap(double v)
{
    const double r = std::round(v);
    return std::fabs(v - r) < 1e-6 ? r : v;
}

AffineTransform transformFromDisplayMatrix(const int32_t* m, int width, int height)
{
    AffineTransform t { snap(m[0] / 65536.0), snap(m[1] / 65536.0), snap(m[3] / 65536.0),
        snap(m[4] / 65536.0), 0, 0 };
    // Files disagree on the stored translation (some writers leave it zero),
    // so place the displayed picture at the origin from the corners instead.
    double minX = 0, minY = 0;
    bool first = true;
    for (auto [x, y] : { std::pair { 0.0, 0.0 }, { double(width), 0.0 }, { 0.0, double(height) },
             { double(width), double(height) } }) {
        const auto p = t.apply(x, y);
        minX = first ? p.x : std::min(minX, p.x);
        minY = first ? p.y : std::min(minY, p.y);
        first = false;
    }
    t.tx = snap(-minX) + 0.0;
    t.ty = snap(-minY) + 0.0;
    return t;
}

// Demuxers whose files name other files or addresses and read them: a
// playlist or a session description inside the device root would otherwise
// pull in a movie from anywhere, or open a socket.
bool readsOtherInputs(const char* name)
{
    static const std::set<std::string> others { "concat", "dash", "hls", "imf", "rtp", "rtsp", "sap", "sdp",
        "webm_dash_manifest" };
    return others.count(name) != 0;
}

// Every demuxer but those, as FFmpeg's format_whitelist wants them.
const std::string& selfContainedDemuxers()
{
    static const std::string list = [] {
        std::string names;
        void* state = nullptr;
        while (const AVInputFormat* format = av_demuxer_iterate(&state)) {
            if (readsOtherInputs(format->name))
                continue;
            names += (names.empty() ? "" : ",") + std::string(format->name);
        }
        return names;
    }();
    return list;
}

// The demuxer FFmpeg would pick for the file from its first bytes, or null.
const AVInputFormat* probedFormat(const std::string& path)
{
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVIOContext* pb = nullptr;
    const int ret = avio_open2(&pb, path.c_str(), AVIO_FLAG_READ, nullptr, &options);
    av_dict_free(&options);
    if (ret < 0)
        return nullptr;
    const AVInputFormat* format = nullptr;
    if (av_probe_input_buffer2(pb, &format, path.c_str(), nullptr, 0, 0) < 0)
        format = nullptr;
    avio_closep(&pb);
    return format;
}

// A QuickTime or MPEG-4 header names every stream's size, rate, timing and
// codec set-up, which is all anything here reads before decoding. FFmpeg's
// stream analysis would decode the first seven pictures on one core to learn
// the rest (for a phone-sized movie, a twentieth of a second before an
// export can start), so it runs only for other files or incomplete headers.
// Samples per packet of plain AAC (AAC-LC, 1024-sample frames, no SBR)
// from its AudioSpecificConfig; 0 for anything else, which the stream
// analysis then works out by decoding.
int plainAacFrameSize(const AVCodecParameters* par)
{
    if (par->codec_id != AV_CODEC_ID_AAC || par->extradata_size < 2)
        return 0;
    const std::uint8_t* d = par->extradata;
    auto bits = [d](int from, int count) {
        unsigned value = 0;
        for (int i = from; i < from + count; ++i)
            value = (value << 1) | ((d[i / 8] >> (7 - i % 8)) & 1u);
        return value;
    };
    // Object type 2, a rate from the table, frameLengthFlag 0.
    if (bits(0, 5) != 2 || bits(5, 4) == 15 || bits(13, 1) != 0)
        return 0;
    if (par->extradata_size == 2)
        return 1024;
    // Only the backward-compatible signalling that says there is no SBR.
    if (par->extradata_size >= 5 && bits(16, 11) == 0x2b7 && bits(27, 5) == 5 && bits(32, 1) == 0)
        return 1024;
    return 0;
}

bool headerSaysEnough(AVFormatContext* format)
{
    if (!format->iformat || std::strncmp(format->iformat->name, "mov,", 4) != 0 || format->duration <= 0)
        return false;
    bool video = false;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* st = format->streams[i];
        const AVCodecParameters* par = st->codecpar;
        if (par->codec_id == AV_CODEC_ID_NONE)
            return false;
        if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
            const bool needsSetUp = par->codec_id == AV_CODEC_ID_H264 || par->codec_id == AV_CODEC_ID_HEVC;
            if (par->width <= 0 || par->height <= 0 || (needsSetUp && par->extradata_size <= 0)
                || st->avg_frame_rate.num <= 0 || st->avg_frame_rate.den <= 0)
                return false;
            video = video || !isAttachedPicture(st);
        } else if (par->codec_type == AVMEDIA_TYPE_AUDIO) {
            // A copied sound track's header repeats its packet length.
            if (par->sample_rate <= 0 || par->ch_layout.nb_channels <= 0 || (par->frame_size <= 0 && !plainAacFrameSize(par)))
                return false;
        }
    }
    if (!video)
        return false;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        AVCodecParameters* par = format->streams[i]->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_AUDIO && par->frame_size <= 0)
            par->frame_size = plainAacFrameSize(par);
    }
    return true;
}

using IoOpen = int (*)(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**);

IoOpen& defaultIoOpen()
{
    static IoOpen open = nullptr;
    return open;
}

// The demuxers left may still open a file by name (an image sequence reads
// its neighbours); only the file asked for is let through.
int openOnlyTheInput(AVFormatContext* s, AVIOContext** pb, const char* url, int flags, AVDictionary** options)
{
    if (!s->url || !url || std::strcmp(s->url, url) != 0 || (flags & AVIO_FLAG_WRITE))
        return AVERROR(EPERM);
    return defaultIoOpen()(s, pb, url, flags, options);
}

}  // namespace

void InputMovie::Closer::operator()(AVFormatContext* p) const
{
    avformat_close_input(&p);
}

InputMovie::InputMovie(std::unique_ptr<AVFormatContext, Closer> format, std::string path)
    : m_format(std::move(format))
    , m_path(std::move(path))
{
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        const AVStream* st = m_format->streams[i];
        const auto type = st->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_VIDEO && m_videoIndex < 0 && !isAttachedPicture(st))
            m_videoIndex = static_cast<int>(i);
        if (type == AVMEDIA_TYPE_AUDIO && m_audioIndex < 0)
            m_audioIndex = static_cast<int>(i);
    }
}

InputMovie::InputMovie(InputMovie&&) noexcept = default;
InputMovie& InputMovie::operator=(InputMovie&&) noexcept = default;
InputMovie::~InputMovie() = default;

Result<InputMovie> InputMovie::open(const std::string& path)
{
    // Refused here with a plain message; the whitelist below still stops a
    // file that changes in between.
    if (const AVInputFormat* format = probedFormat(path); format && readsOtherInputs(format->name))
        return Error { ErrorCode::UnreadableInput,
            "not a movie: " + path + ": a list of other files or streams (" + format->name + "), which is never followed" };
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw)
        return Error { ErrorCode::UnreadableInput, "not a movie: " + path + ": out of memory" };
    if (!defaultIoOpen())
        defaultIoOpen() = raw->io_open;
    raw->io_open = openOnlyTheInput;
    // A local file only: a relative name like "http:x" or "pipe:0" would
    // otherwise be read as an address.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", selfContainedDemuxers().c_str(), 0);
    // On failure avformat_open_input frees the context itself.
    int ret = avformat_open_input(&raw, path.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (ret < 0)
        return Error { ErrorCode::UnreadableInput, "not a movie: " + path + ": " + ffmpegErrorString(ret) };
    std::unique_ptr<AVFormatContext, Closer> format(raw);
    if (!headerSaysEnough(format.get())) {
        ret = avformat_find_stream_info(format.get(), nullptr);
        if (ret < 0)
            return Error { ErrorCode::UnreadableInput, "not a movie: " + path + ": " + ffmpegErrorString(ret) };
    }
    InputMovie movie(std::move(format), path);
    if (movie.m_videoIndex < 0)
        return Error { ErrorCode::NoVideoTrack, "no video track in " + path };
    const AVCodecParameters* par = movie.videoStream()->codecpar;
    if (par->width <= 0 || par->height <= 0)
        return Error { ErrorCode::UnreadableInput,
            "not a movie: " + path + ": video track has no picture size" };
    return movie;
}

AVStream* InputMovie::videoStream() const
{
    return m_videoIndex < 0 ? nullptr : m_format->streams[m_videoIndex];
}

AVStream* InputMovie::audioStream() const
{
    return m_audioIndex < 0 ? nullptr : m_format->streams[m_audioIndex];
}

double InputMovie::durationSeconds() const
{
    if (m_format->duration != AV_NOPTS_VALUE && m_format->duration > 0)
        return static_cast<double>(m_format->duration) / AV_TIME_BASE;
    double longest = 0;
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        const AVStream* st = m_format->streams[i];
        if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
            longest = std::max(longest, static_cast<double>(st->duration) * av_q2d(st->time_base));
    }
    return longest;
}

MovieInfo InputMovie::info() const
{
    MovieInfo info;
    info.durationSeconds = durationSeconds();
    info.hasAudio = m_audioIndex >= 0;
    const AVStream* st = videoStream();
    if (!st)
        return info;
    info.width = st->codecpar->width;
    info.height = st->codecpar->height;
    info.videoCodec = avcodec_get_name(st->codecpar->codec_id);
    AVRational rate = st->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = st->r_frame_rate;
    info.frameRate = (rate.num > 0 && rate.den > 0) ? av_q2d(rate) : 0.0;

    size_t size = 0;
    const auto* matrix = reinterpret_cast<const int32_t*>(
        av_stream_get_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, &size));
    if (matrix && size >= 9 * sizeof(int32_t)) {
        info.preferredTransform = transformFromDisplayMatrix(matrix, info.width, info.height);
        const double counterClockwise = av_display_rotation_get(matrix);
        if (std::isfinite(counterClockwise)) {
            double clockwise = std::fmod(-counterClockwise, 360.0);
            if (clockwise < 0)
                clockwise += 360.0;
            if (std::fabs(clockwise - std::round(clockwise)) < 1e-3)
                clockwise = std::round(clockwise);
            info.rotationDegrees = clockwise >= 360.0 ? 0.0 : clockwise;
        }
    }
    return info;
}

}  // namespace av
