#pragma once

#include "platform/av/AffineTransform.h"
#include "platform/av/FFmpegPtr.h"
#include "platform/av/Forward.h"
#include "platform/av/PixelSize.h"
#include "platform/foundation/Result.h"

namespace av {

// Source picture -> layer-transformed picture at the render size -> scaled
// to the output size. Holds the buffers so each picture costs no allocation.
class PictureRenderer {
public:
    [[nodiscard]] static Result<PictureRenderer> create(PixelSize renderSize, PixelSize outputSize,
        const AffineTransform& inverse);

    // `source` must be yuv420p. The returned frame belongs to the renderer
    // and stays valid until the next call.
    [[nodiscard]] Result<AVFrame*> render(const AVFrame* source);

private:
    PictureRenderer(FramePtr rendered, FramePtr scaled, SwsPtr scaler, const AffineTransform& inverse);

    FramePtr m_rendered;
    FramePtr m_scaled;  // null when no scaling is needed
    SwsPtr m_scaler;
    AffineTransform m_inverse;
};

}  // namespace av
