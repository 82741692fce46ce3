#include "platform/av/DecodedFramePool.h"

#include <sys/mman.h>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/buffer.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

namespace av {

namespace {

constexpr std::size_t kHugePage = 2u << 20;
// Room after each plane for SIMD code reading past its end, and the
// alignment FFmpeg's widest SIMD code wants; as FFmpeg's own pool leaves.
constexpr std::size_t kPlaneSlack = 16 + 64;
constexpr std::size_t kPlaneAlign = 64;

std::size_t roundUp(std::size_t value, std::size_t step) { return (value + step - 1) / step * step; }

void unmapBlock(void* mapped, std::uint8_t* data) { ::munmap(data, reinterpret_cast<std::size_t>(mapped)); }

// One block, its start on a huge-page boundary so that the kernel can back
// it with huge pages when it is told it may. Its length is not rounded up
// to a whole huge page: a huge page touched at all is resident whole, and
// the tail of every block would be memory never used.
AVBufferRef* mapBlock(void* owner, std::size_t size)
{
    const std::size_t length = roundUp(size, static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)));
    void* raw = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    auto* start = static_cast<std::uint8_t*>(raw);
    auto* aligned = reinterpret_cast<std::uint8_t*>(roundUp(reinterpret_cast<std::uintptr_t>(start), kHugePage));
    if (aligned > start)
        ::munmap(start, static_cast<std::size_t>(aligned - start));
    if (std::uint8_t* tail = aligned + length; tail < start + length + kHugePage)
        ::munmap(tail, static_cast<std::size_t>(start + length + kHugePage - tail));
    // Advice only: without huge pages the block still works.
    (void)::madvise(aligned, length, MADV_HUGEPAGE);
    AVBufferRef* buffer = av_buffer_create(aligned, size, unmapBlock, reinterpret_cast<void*>(length), 0);
    if (!buffer) {
        ::munmap(aligned, length);
        return nullptr;
    }
    ++*static_cast<int*>(owner);
    return buffer;
}

}  // namespace

DecodedFramePool::~DecodedFramePool()
{
    // Blocks still in pictures are unmapped when the last picture goes.
    av_buffer_pool_uninit(&m_pool);
}

void DecodedFramePool::attach(AVCodecContext* context)
{
    if (!context->codec || !(context->codec->capabilities & AV_CODEC_CAP_DR1))
        return;
    context->opaque = this;
    context->get_buffer2 = &DecodedFramePool::getBuffer;
}

int DecodedFramePool::blocksMade() const
{
    std::lock_guard lock(m_mutex);
    return m_blocks;
}

int DecodedFramePool::getBuffer(AVCodecContext* context, AVFrame* frame, int flags)
{
    auto* pool = static_cast<DecodedFramePool*>(context->opaque);
    if (!pool)
        return avcodec_default_get_buffer2(context, frame, flags);
    return pool->fill(context, frame);
}

bool DecodedFramePool::layOut(AVCodecContext* context, int width, int height, AVPixelFormat format)
{
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    if (!descriptor || (descriptor->flags & (AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_BITSTREAM)))
        return false;
    int w = width, h = height;
    int strideAlign[AV_NUM_DATA_POINTERS];
    avcodec_align_dimensions2(context, &w, &h, strideAlign);
    // As FFmpeg's own allocator: widen until every plane's stride meets its
    // alignment, never aligning planes one by one (some code wants the
    // chroma stride to be exactly half the luma's).
    int linesize[4] = {};
    for (bool unaligned = true; unaligned;) {
        if (av_image_fill_linesizes(linesize, format, w) < 0)
            return false;
        w += w & ~(w - 1);
        unaligned = false;
        for (int i = 0; i < 4; ++i)
            unaligned = unaligned || (linesize[i] && strideAlign[i] && linesize[i] % strideAlign[i]);
    }
    ptrdiff_t strides[4] = { linesize[0], linesize[1], linesize[2], linesize[3] };
    std::size_t sizes[4] = {};
    if (av_image_fill_plane_sizes(sizes, format, h, strides) < 0)
        return false;
    std::size_t offset = 0;
    m_planes = 0;
    for (int i = 0; i < 4; ++i) {
        m_linesize[i] = linesize[i];
        m_offset[i] = offset;
        if (sizes[i]) {
            m_planes = i + 1;
            offset = roundUp(offset + sizes[i] + kPlaneSlack, kPlaneAlign);
        }
    }
    if (offset != m_blockSize || !m_pool) {
        av_buffer_pool_uninit(&m_pool);
        m_pool = av_buffer_pool_init2(offset, &m_blocks, mapBlock, nullptr);
        if (!m_pool)
            return false;
    }
    m_blockSize = offset;
    m_width = width;
    m_height = height;
    m_format = format;
    return true;
}

int DecodedFramePool::fill(AVCodecContext* context, AVFrame* frame)
{
    const auto format = static_cast<AVPixelFormat>(frame->format);
    std::lock_guard lock(m_mutex);
    if (frame->width != m_width || frame->height != m_height || format != m_format || !m_pool) {
        if (!layOut(context, frame->width, frame->height, format)) {
            m_width = m_height = 0;
            return avcodec_default_get_buffer2(context, frame, 0);
        }
    }
    AVBufferRef* block = av_buffer_pool_get(m_pool);
    if (!block)
        return AVERROR(ENOMEM);
    frame->buf[0] = block;
    for (int i = 0; i < 4; ++i) {
        frame->data[i] = i < m_planes ? block->data + m_offset[i] : nullptr;
        frame->linesize[i] = i < m_planes ? m_linesize[i] : 0;
    }
    frame->extended_data = frame->data;
    return 0;
}

}  // namespace av
