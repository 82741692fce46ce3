#pragma once

#include "platform/av/AVAsset.h"

#include <vector>

class AVMutableVideoCompositionLayerInstruction : public Object {
    MARQEL_OBJECT(AVMutableVideoCompositionLayerInstruction, Object)
public:
    static std::shared_ptr<AVMutableVideoCompositionLayerInstruction> videoCompositionLayerInstructionWithAssetTrack(
        const std::shared_ptr<AVAssetTrack>& track);
    void setTransform(CGAffineTransform transform, CMTime atTime);
    // The transform in force at a time (the latest set at or before it).
    CGAffineTransform transformAtTime(CMTime time) const;
    std::shared_ptr<AVAssetTrack> track() const { return m_track; }

private:
    std::shared_ptr<AVAssetTrack> m_track;
    std::vector<std::pair<CMTime, CGAffineTransform>> m_ramps;
};

class AVMutableVideoCompositionInstruction : public Object {
    MARQEL_OBJECT(AVMutableVideoCompositionInstruction, Object)
public:
    CMTimeRange timeRange() const { return m_timeRange; }
    void setTimeRange(CMTimeRange range) { m_timeRange = range; }
    const std::vector<std::shared_ptr<AVMutableVideoCompositionLayerInstruction>>& layerInstructions() const { return m_layers; }
    void setLayerInstructions(std::vector<std::shared_ptr<AVMutableVideoCompositionLayerInstruction>> layers) { m_layers = std::move(layers); }

private:
    CMTimeRange m_timeRange {};
    std::vector<std::shared_ptr<AVMutableVideoCompositionLayerInstruction>> m_layers;
};

class AVMutableVideoComposition : public Object {
    MARQEL_OBJECT(AVMutableVideoComposition, Object)
public:
    static std::shared_ptr<AVMutableVideoComposition> videoComposition() { return alloc<AVMutableVideoComposition>(); }
    CMTime frameDuration() const { return m_frameDuration; }
    void setFrameDuration(CMTime duration) { m_frameDuration = duration; }
    CGSize renderSize() const { return m_renderSize; }
    void setRenderSize(CGSize size) { m_renderSize = size; }
    const std::vector<std::shared_ptr<AVMutableVideoCompositionInstruction>>& instructions() const { return m_instructions; }
    void setInstructions(std::vector<std::shared_ptr<AVMutableVideoCompositionInstruction>> instructions) { m_instructions = std::move(instructions); }

private:
    CMTime m_frameDuration = CMTimeMake(1, 30);
    CGSize m_renderSize;
    std::vector<std::shared_ptr<AVMutableVideoCompositionInstruction>> m_instructions;
};
