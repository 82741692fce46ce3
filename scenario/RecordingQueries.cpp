#include "scenario/RecordingQueries.h"

#include "platform/foundation/Foundation.h"
#include "platform/springboard/NoticeCenter.h"

namespace scenario {

std::size_t completionNoticeCount()
{
    std::size_t count = 0;
    for (const auto& notice : NoticeCenter::notices())
        if (notice.message == completionNotice::message)
            ++count;
    return count;
}

std::shared_ptr<PHFetchResult> videos(Videos which)
{
    auto options = alloc<PHFetchOptions>();
    options->setSortDescriptors({ NSSortDescriptor::sortDescriptorWithKey("creationDate", true) });
    options->setIncludeRecentlyDeleted(which == Videos::RecentlyDeleted);
    auto all = PHAsset::fetchAssetsWithMediaType(PHAssetMediaTypeVideo, options);
    if (which == Videos::InLibrary)
        return all;
    std::vector<std::shared_ptr<PHAsset>> trashed;
    for (const auto& asset : all->assets())
        if (asset->isTrashed())
            trashed.push_back(asset);
    return alloc<PHFetchResult>(std::move(trashed));
}

}  // namespace scenario
