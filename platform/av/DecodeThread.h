#pragma once

#include <atomic>
#include <thread>

#include "platform/av/BoundedQueue.h"
#include "platform/av/FFmpegPtr.h"
#include "platform/av/Forward.h"
#include "platform/av/VideoDecoder.h"

namespace av {

// Reads a movie's packets and decodes its video track on a thread of its
// own, so decoding the next pictures overlaps drawing and encoding the
// current one. Everything comes out in file order through one queue:
// decoded pictures, the audio track's packets untouched, then an end (or
// the first failure). The consumer says when it needs no more of either
// track, and the reader stops there rather than at the end of the file.
class DecodeThread {
public:
    struct Item {
        FramePtr picture;  // a decoded picture and its time...
        double seconds = 0;
        PacketPtr audio;  // ...or an audio packet...
        Status failure;  // ...or how reading failed; all empty at the end
        bool end = false;
    };

    // `format`, `decoder` and the stream indices must outlive the thread;
    // audioIndex is -1 without audio. At most `capacity` pictures wait in
    // the queue; the audio packets between them do not count.
    DecodeThread(AVFormatContext* format, VideoDecoder& decoder, int videoIndex, int audioIndex, size_t capacity);
    ~DecodeThread();  // stops reading and joins

    DecodeThread(const DecodeThread&) = delete;
    DecodeThread& operator=(const DecodeThread&) = delete;

    // Blocks until the next item; after the end or a failure, keeps
    // returning an end.
    Item next();

    void videoDone() { m_videoDone.store(true, std::memory_order_relaxed); }
    void audioDone() { m_audioDone.store(true, std::memory_order_relaxed); }

private:
    void run();
    bool enough() const;

    AVFormatContext* m_format;
    VideoDecoder& m_decoder;
    const int m_videoIndex;
    const int m_audioIndex;
    BoundedQueue<Item> m_queue;
    std::atomic<bool> m_videoDone { false };
    std::atomic<bool> m_audioDone { false };
    std::thread m_thread;
};

}  // namespace av
