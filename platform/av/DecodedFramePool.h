#pragma once

#include <cstddef>
#include <mutex>

#include "platform/av/Forward.h"

extern "C" {
#include <libavutil/pixfmt.h>
}

struct AVBufferPool;
struct AVCodecContext;
struct AVFrame;

namespace av {

// Picture memory for a video decoder, one block per picture, reused from
// picture to picture. A 1170 x 2532 source keeps a dozen pictures in flight;
// taking each as thousands of separately faulted and then cleared small
// pages was a fifth of the export's start on a virtual machine. The blocks
// are mapped whole and aligned for huge pages, and come zeroed from the
// kernel, as FFmpeg's own pool hands them out.
class DecodedFramePool {
public:
    DecodedFramePool() = default;
    DecodedFramePool(const DecodedFramePool&) = delete;
    DecodedFramePool& operator=(const DecodedFramePool&) = delete;
    ~DecodedFramePool();

    // `context` takes its pictures from this pool from now on (decoders that
    // cannot take outside memory keep FFmpeg's). The pool must outlive the
    // context; pictures still held elsewhere may outlive both.
    void attach(AVCodecContext* context);

    // Blocks mapped so far, for tests.
    int blocksMade() const;

private:
    static int getBuffer(AVCodecContext* context, AVFrame* frame, int flags);
    int fill(AVCodecContext* context, AVFrame* frame);
    // Lays out pictures of this size and format; false when the format is
    // not one this pool can lay out.
    bool layOut(AVCodecContext* context, int width, int height, AVPixelFormat format);

    mutable std::mutex m_mutex;
    AVBufferPool* m_pool = nullptr;
    int m_blocks = 0;
    int m_width = 0;
    int m_height = 0;
    AVPixelFormat m_format = AV_PIX_FMT_NONE;
    int m_linesize[4] = {};
    std::size_t m_offset[4] = {};
    int m_planes = 0;
    std::size_t m_blockSize = 0;
};

}  // namespace av
