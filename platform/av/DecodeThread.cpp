#include "platform/av/DecodeThread.h"

#include "platform/av/FFmpegError.h"

namespace av {

namespace {

// Audio packets are a few hundred bytes; this many is seconds of sound, so
// the reader can run on through the audio that lies between two pictures.
constexpr size_t kQueuedAudioPackets = 256;

}  // namespace

DecodeThread::DecodeThread(AVFormatContext* format, VideoDecoder& decoder, int videoIndex, int audioIndex,
    size_t capacity)
    : m_format(format)
    , m_decoder(decoder)
    , m_videoIndex(videoIndex)
    , m_audioIndex(audioIndex)
    , m_queue(capacity, kQueuedAudioPackets)
{
    if (m_audioIndex < 0)
        m_audioDone = true;
    m_thread = std::thread([this] { run(); });
}

DecodeThread::~DecodeThread()
{
    m_queue.close();
    m_thread.join();
}

DecodeThread::Item DecodeThread::next()
{
    if (auto item = m_queue.pop())
        return std::move(*item);
    Item end;
    end.end = true;
    return end;
}

bool DecodeThread::enough() const
{
    return m_videoDone.load(std::memory_order_relaxed) && m_audioDone.load(std::memory_order_relaxed);
}

void DecodeThread::run()
{
    // A refused push means the consumer has gone; stop quietly.
    bool consumerGone = false;
    auto onPicture = [this, &consumerGone](FramePtr picture, double seconds) -> Status {
        Item item;
        item.picture = std::move(picture);
        item.seconds = seconds;
        if (!m_queue.push(std::move(item))) {
            consumerGone = true;
            return Error { ErrorCode::Cancelled, "nobody is taking pictures" };
        }
        return {};
    };
    auto fail = [this](Status failure) {
        Item item;
        item.failure = std::move(failure);
        m_queue.push(std::move(item));
        m_queue.close();
    };

    PacketPtr packet = makePacket();
    if (!packet)
        return fail(Error { ErrorCode::CodecFailed, "out of memory reading the movie" });
    bool stoppedEarly = false;
    while (!consumerGone) {
        if (enough()) {
            stoppedEarly = true;
            break;
        }
        const int ret = av_read_frame(m_format, packet.get());
        if (ret == AVERROR_EOF)
            break;
        if (ret < 0)
            return fail(Error { ErrorCode::UnreadableInput,
                std::string("cannot read ") + (m_format->url ? m_format->url : "the movie") + ": " + ffmpegErrorString(ret) });
        Status st;
        if (packet->stream_index == m_videoIndex && !m_videoDone.load(std::memory_order_relaxed)) {
            st = m_decoder.send(packet.get(), onPicture);
        } else if (packet->stream_index == m_audioIndex && !m_audioDone.load(std::memory_order_relaxed)) {
            PacketPtr audio = makePacket();
            if (!audio)
                return fail(Error { ErrorCode::CodecFailed, "out of memory reading the movie" });
            av_packet_move_ref(audio.get(), packet.get());
            Item item;
            item.audio = std::move(audio);
            if (!m_queue.push(std::move(item), BoundedQueue<Item>::ItemSize::Small))
                consumerGone = true;
        }
        av_packet_unref(packet.get());
        if (consumerGone)
            return;
        if (!st)
            return fail(std::move(st));
    }
    if (consumerGone)
        return;
    if (!stoppedEarly && !m_videoDone.load(std::memory_order_relaxed)) {
        if (Status st = m_decoder.flush(onPicture); !st) {
            if (!consumerGone)
                fail(std::move(st));
            return;
        }
    }
    m_queue.close();
}

}  // namespace av
