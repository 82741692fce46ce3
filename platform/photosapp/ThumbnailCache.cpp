#include "platform/photosapp/ThumbnailCache.h"

#include "platform/foundation/NSLog.h"
#include "platform/photosapp/MovieFrames.h"
#include "platform/photosapp/PictureGeometry.h"

namespace photosapp {

namespace {

std::shared_ptr<const ScreenFrame> firstFrameSquare(const std::string& assetIdentifier, const std::string& hostPath, int sidePixels)
{
    auto frames = MovieFrames::open(hostPath, [sidePixels](const av::MovieInfo& info) {
        return sizeFillingSquare(MovieFrames::uprightSize(info), sidePixels);
    });
    if (!frames) {
        NSLog("Photos: no thumbnail for %@: %@", assetIdentifier, frames.message());
        return nullptr;
    }
    auto first = frames.value()->frameAt(0);
    if (!first) {
        NSLog("Photos: no thumbnail for %@: %@", assetIdentifier, first.message());
        return nullptr;
    }
    return std::make_shared<const ScreenFrame>(centreSquare(*first.value().picture));
}

}  // namespace

ThumbnailCache::ThumbnailCache()
    : m_state(std::make_shared<State>())
    , m_queue(dispatch_queue_create("com.apple.mobileslideshow.thumbnails"))
{
}

std::shared_ptr<const ScreenFrame> ThumbnailCache::thumbnail(const std::string& assetIdentifier, const std::string& hostPath, int sidePixels)
{
    Key key(assetIdentifier, sidePixels);
    if (auto found = m_state->pictures.find(key); found != m_state->pictures.end())
        return found->second;
    if (!m_state->pending.insert(key).second)
        return nullptr;
    ++m_decodes;
    dispatch_async(m_queue, [state = m_state, key, assetIdentifier, hostPath, sidePixels] {
        auto picture = firstFrameSquare(assetIdentifier, hostPath, sidePixels);
        dispatch_async(dispatch_get_main_queue(), [state, key, picture] {
            state->pending.erase(key);
            state->pictures[key] = picture;
            if (state->arrivalPosted)
                return;
            // The pictures that arrive in one turn of the loop are told once.
            state->arrivalPosted = true;
            dispatch_async(dispatch_get_main_queue(), [state] {
                state->arrivalPosted = false;
                if (state->arrived)
                    state->arrived();
            });
        });
    });
    return nullptr;
}

}  // namespace photosapp
