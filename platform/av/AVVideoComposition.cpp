#include "platform/av/AVVideoComposition.h"

MARQEL_DEFINE_CLASS(AVMutableVideoCompositionLayerInstruction,
    method<&AVMutableVideoCompositionLayerInstruction::setTransform>("setTransform:atTime:"))
MARQEL_DEFINE_CLASS(AVMutableVideoCompositionInstruction)
MARQEL_DEFINE_CLASS(AVMutableVideoComposition,
    method<&AVMutableVideoComposition::setFrameDuration>("setFrameDuration:"),
    method<&AVMutableVideoComposition::setRenderSize>("setRenderSize:"))

std::shared_ptr<AVMutableVideoCompositionLayerInstruction> AVMutableVideoCompositionLayerInstruction::videoCompositionLayerInstructionWithAssetTrack(
    const std::shared_ptr<AVAssetTrack>& track)
{
    auto instruction = alloc<AVMutableVideoCompositionLayerInstruction>();
    instruction->m_track = track;
    return instruction;
}

void AVMutableVideoCompositionLayerInstruction::setTransform(CGAffineTransform transform, CMTime atTime)
{
    for (auto& [time, value] : m_ramps) {
        if (time.seconds() == atTime.seconds()) {
            value = transform;
            return;
        }
    }
    m_ramps.emplace_back(atTime, transform);
}

CGAffineTransform AVMutableVideoCompositionLayerInstruction::transformAtTime(CMTime time) const
{
    CGAffineTransform result = CGAffineTransformIdentity;
    double best = -1e300;
    for (const auto& [at, value] : m_ramps) {
        if (at.seconds() <= time.seconds() && at.seconds() >= best) {
            best = at.seconds();
            result = value;
        }
    }
    return result;
}
