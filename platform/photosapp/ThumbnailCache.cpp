#include "platform/photosapp/ThumbnailCache.h"

#include "platform/foundation/NSLog.h"
#include "platform/photosapp/MovieFrames.h"
#include "platform/photosapp/PictureGeometry.h"

namespace photosapp {

std::shared_ptr<const ScreenFrame> ThumbnailCache::thumbnail(const std::string& assetIdentifier, const std::string& hostPath, int sidePixels)
{
    auto key = std::make_pair(assetIdentifier, sidePixels);
    if (auto found = m_pictures.find(key); found != m_pictures.end())
        return found->second;
    ++m_decodes;
    std::shared_ptr<const ScreenFrame> picture;
    // FIXME: decoded on the main thread as the cell is made; the phone
    // fills cells in as their pictures arrive.
    auto frames = MovieFrames::open(hostPath, [sidePixels](const av::MovieInfo& info) {
        return sizeFillingSquare(MovieFrames::uprightSize(info), sidePixels);
    });
    if (frames) {
        auto first = frames.value()->frameAt(0);
        if (first)
            picture = std::make_shared<const ScreenFrame>(centreSquare(*first.value().picture));
        else
            NSLog("Photos: no thumbnail for %@: %@", assetIdentifier, first.message());
    } else {
        NSLog("Photos: no thumbnail for %@: %@", assetIdentifier, frames.message());
    }
    m_pictures[key] = picture;
    return picture;
}

}  // namespace photosapp
