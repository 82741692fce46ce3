#pragma once

#include "platform/photos/PHAsset.h"

#include <functional>

class PHImageManager : public Object {
    MARQEL_OBJECT(PHImageManager, Object)
public:
    // asset (an AVAsset, or nil when the asset's file is gone), audio mix, info.
    using AVAssetHandler = std::function<void(id asset, id audioMix, id info)>;

    static std::shared_ptr<PHImageManager> defaultManager();
    // The handler runs on the Photos queue.
    void requestAVAssetForVideo(const std::shared_ptr<PHAsset>& asset, id options, AVAssetHandler resultHandler);
};
