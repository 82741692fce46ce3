#include "platform/av/PictureRenderer.h"

#include "platform/av/AffineSampler.h"

namespace av {

namespace {

FramePtr allocateYuv(PixelSize size)
{
    FramePtr f = makeFrame();
    if (!f)
        return nullptr;
    f->format = AV_PIX_FMT_YUV420P;
    f->width = size.width;
    f->height = size.height;
    f->color_range = AVCOL_RANGE_MPEG;
    if (av_frame_get_buffer(f.get(), 0) < 0)
        return nullptr;
    return f;
}

PlanarImage viewOf(const AVFrame* f)
{
    PlanarImage img;
    for (int i = 0; i < 3; ++i) {
        img.data[i] = f->data[i];
        img.linesize[i] = f->linesize[i];
    }
    img.width = f->width;
    img.height = f->height;
    return img;
}

}  // namespace

PictureRenderer::PictureRenderer(FramePtr rendered, FramePtr scaled, SwsPtr scaler, const AffineTransform& inverse)
    : m_rendered(std::move(rendered))
    , m_scaled(std::move(scaled))
    , m_scaler(std::move(scaler))
    , m_inverse(inverse)
    , m_window(makeFrame())
{
}

Result<PictureRenderer> PictureRenderer::create(PixelSize renderSize, PixelSize outputSize,
    const AffineTransform& inverse)
{
    FramePtr rendered = allocateYuv(renderSize);
    if (!rendered)
        return Error { ErrorCode::CodecFailed, "out of memory for the render buffer" };
    if (renderSize == outputSize) {
        PictureRenderer renderer(std::move(rendered), nullptr, nullptr, inverse);
        if (!renderer.m_window)
            return Error { ErrorCode::CodecFailed, "out of memory for the render buffer" };
        return renderer;
    }
    FramePtr scaled = allocateYuv(outputSize);
    SwsPtr scaler(sws_getContext(renderSize.width, renderSize.height, AV_PIX_FMT_YUV420P, outputSize.width,
        outputSize.height, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaled || !scaler)
        return Error { ErrorCode::CodecFailed, "cannot set up scaling to the export size" };
    return PictureRenderer(std::move(rendered), std::move(scaled), std::move(scaler), inverse);
}

AVFrame* PictureRenderer::windowOnto(const AVFrame* source)
{
    if (source->width != m_windowSourceWidth || source->height != m_windowSourceHeight) {
        m_windowSourceWidth = source->width;
        m_windowSourceHeight = source->height;
        m_windowOffsets = AffineSampler::windowOf(source->width, source->height, m_rendered->width,
            m_rendered->height, m_inverse);
    }
    if (!m_windowOffsets || !source->buf[0] || source->nb_extended_buf)
        return nullptr;
    // A frame of its own rather than a reference to the decoded one: the
    // encoder reads a decoded picture's type and side data as orders (a
    // decoded I picture would force a keyframe), and the drawn frame never
    // carried any of them.
    AVFrame* window = m_window.get();
    av_frame_unref(window);
    for (int i = 0; i < AV_NUM_DATA_POINTERS && source->buf[i]; ++i) {
        window->buf[i] = av_buffer_ref(source->buf[i]);
        if (!window->buf[i]) {
            av_frame_unref(window);
            return nullptr;
        }
    }
    for (int plane = 0; plane < 3; ++plane) {
        window->data[plane] = source->data[plane] + static_cast<ptrdiff_t>(m_windowOffsets->y[plane]) * source->linesize[plane]
            + m_windowOffsets->x[plane];
        window->linesize[plane] = source->linesize[plane];
    }
    window->format = AV_PIX_FMT_YUV420P;
    window->width = m_rendered->width;
    window->height = m_rendered->height;
    window->color_range = AVCOL_RANGE_MPEG;
    return window;
}

void PictureRenderer::release()
{
    if (m_window)
        av_frame_unref(m_window.get());
}

Result<AVFrame*> PictureRenderer::render(const AVFrame* source)
{
    if (source->format != AV_PIX_FMT_YUV420P)
        return Error { ErrorCode::InvalidArgument, "renderer needs yuv420p pictures" };
    if (!m_scaled) {
        if (AVFrame* window = windowOnto(source))
            return window;
    }
    // The encoder may still hold a reference to the previous picture.
    if (av_frame_make_writable(m_rendered.get()) < 0)
        return Error { ErrorCode::CodecFailed, "out of memory rendering" };
    AffineSampler::render(viewOf(source), viewOf(m_rendered.get()), m_inverse);
    if (!m_scaled)
        return m_rendered.get();
    if (av_frame_make_writable(m_scaled.get()) < 0)
        return Error { ErrorCode::CodecFailed, "out of memory rendering" };
    sws_scale(m_scaler.get(), m_rendered->data, m_rendered->linesize, 0, m_rendered->height, m_scaled->data,
        m_scaled->linesize);
    return m_scaled.get();
}

}  // namespace av
