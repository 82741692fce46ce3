#pragma once

#include <optional>

#include "platform/av/AffineSampler.h"
#include "platform/av/AffineTransform.h"
#include "platform/av/FFmpegPtr.h"
#include "platform/av/Forward.h"
#include "platform/av/PixelSize.h"
#include "platform/foundation/Result.h"

namespace av {

// Source picture -> layer-transformed picture at the render size -> scaled
// to the output size. Holds the buffers so each picture costs no allocation.
//
// When the layer transform only cuts a window out of the source (a crop by
// whole pixels, nothing black, no scaling), nothing is drawn: the frame
// handed out shows the source's own planes at the window's offset, as
// ffmpeg's crop filter does. The encoder copies its input anyway; copying
// the window first cost a pass over every output pixel.
class PictureRenderer {
public:
    [[nodiscard]] static Result<PictureRenderer> create(PixelSize renderSize, PixelSize outputSize,
        const AffineTransform& inverse);

    // `source` must be yuv420p. The returned frame belongs to the renderer
    // and stays valid until the next call or release(); it may share
    // `source`'s picture memory (holding a reference of its own).
    [[nodiscard]] Result<AVFrame*> render(const AVFrame* source);

    // Lets go of the last source picture if the last frame handed out
    // showed it in place, so that it goes back to the decoder's pool as soon
    // as the caller is done with it. That frame is no longer valid after.
    void release();

private:
    PictureRenderer(FramePtr rendered, FramePtr scaled, SwsPtr scaler, const AffineTransform& inverse);

    // The window of `source` as a frame of its own, or null when the picture
    // has to be drawn.
    AVFrame* windowOnto(const AVFrame* source);

    FramePtr m_rendered;
    FramePtr m_scaled;  // null when no scaling is needed
    SwsPtr m_scaler;
    AffineTransform m_inverse;

    FramePtr m_window;  // source planes at the window's offset
    int m_windowSourceWidth = 0;  // the source size m_windowOffsets was worked out for
    int m_windowSourceHeight = 0;
    std::optional<AffineSampler::Window> m_windowOffsets;
};

}  // namespace av
