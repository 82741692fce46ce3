#include "platform/av/RgbaConverter.h"

namespace av {

Result<RgbaConverter::Picture> RgbaConverter::convert(const AVFrame* source, int width, int height)
{
    if (!source || source->format != AV_PIX_FMT_YUV420P || source->width <= 0 || source->height <= 0)
        return Error { ErrorCode::InvalidArgument, "only decoded yuv420p pictures can be shown" };
    if (width <= 0 || height <= 0)
        return Error { ErrorCode::InvalidArgument, "a picture needs a size of at least 1x1 to be shown" };
    // sws_getCachedContext frees the old context itself when it must make a
    // new one, hence release() rather than letting the owner free it.
    m_scaler.reset(sws_getCachedContext(m_scaler.release(), source->width, source->height, AV_PIX_FMT_YUV420P, width, height,
        AV_PIX_FMT_RGBA, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!m_scaler)
        return Error { ErrorCode::CodecFailed, "cannot set up the conversion of pictures to RGBA" };
    const int* coefficients = sws_getCoefficients(SWS_CS_DEFAULT);
    sws_setColorspaceDetails(m_scaler.get(), coefficients, 0, coefficients, 1, 0, 1 << 16, 1 << 16);

    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    std::uint8_t* destination[4] = { picture.pixels.data(), nullptr, nullptr, nullptr };
    const int stride[4] = { width * 4, 0, 0, 0 };
    sws_scale(m_scaler.get(), source->data, source->linesize, 0, source->height, destination, stride);
    return picture;
}

}  // namespace av
