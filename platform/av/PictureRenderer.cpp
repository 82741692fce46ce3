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
{
}

Result<PictureRenderer> PictureRenderer::create(PixelSize renderSize, PixelSize outputSize,
    const AffineTransform& inverse)
{
    FramePtr rendered = allocateYuv(renderSize);
    if (!rendered)
        return Error { ErrorCode::CodecFailed, "out of memory for the render buffer" };
    if (renderSize == outputSize)
        return PictureRenderer(std::move(rendered), nullptr, nullptr, inverse);
    FramePtr scaled = allocateYuv(outputSize);
    SwsPtr scaler(sws_getContext(renderSize.width, renderSize.height, AV_PIX_FMT_YUV420P, outputSize.width,
        outputSize.height, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaled || !scaler)
        return Error { ErrorCode::CodecFailed, "cannot set up scaling to the export size" };
    return PictureRenderer(std::move(rendered), std::move(scaled), std::move(scaler), inverse);
}

Result<AVFrame*> PictureRenderer::render(const AVFrame* source)
{
    if (source->format != AV_PIX_FMT_YUV420P)
        return Error { ErrorCode::InvalidArgument, "renderer needs yuv420p pictures" };
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
