#include "platform/photos/PHImageManager.h"

#include "platform/av/AVAsset.h"
#include "platform/foundation/NSLog.h"
#include "platform/photos/PHPhotoLibrary.h"

MARQEL_DEFINE_CLASS(PHImageManager)

std::shared_ptr<PHImageManager> PHImageManager::defaultManager()
{
    static auto* instance = new std::shared_ptr<PHImageManager>(alloc<PHImageManager>());
    return *instance;
}

void PHImageManager::requestAVAssetForVideo(const std::shared_ptr<PHAsset>& asset, id, AVAssetHandler resultHandler)
{
    dispatch_async(PHPhotoLibrary::photosQueue(), [asset, resultHandler = std::move(resultHandler)] {
        id result;
        auto opened = PHPhotoLibrary::sharedPhotoLibrary()->store();
        if (!opened)
            NSLog("Photos: %@", opened.message());
        auto* store = opened ? opened.value() : nullptr;
        if (asset && store && store->hasFile(asset->record())) {
            auto path = store->filePath(asset->record());
            if (path) {
                // The store speaks host paths; assets carry device paths.
                std::string host = path.value().string();
                std::string media = store->mediaDirectory().string();
                std::string device = std::string(PHPhotoLibrary::mediaDevicePath) + host.substr(media.size());
                result = AVURLAsset::URLAssetWithURL(NSURL::fileURLWithPath(device));
            }
        }
        if (resultHandler)
            resultHandler(result, nullptr, nullptr);
    });
}
