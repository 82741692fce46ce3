#pragma once

// The grid's pictures: each video's first frame, upright, cut to a square,
// decoded once per asset and size and kept. A movie that cannot be read is
// remembered as such (logged once), so the grid shows its placeholder
// without trying again on every scroll.

#include "platform/render/ScreenFrame.h"

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace photosapp {

class ThumbnailCache {
public:
    // Null when the movie cannot be decoded.
    std::shared_ptr<const ScreenFrame> thumbnail(const std::string& assetIdentifier, const std::string& hostPath, int sidePixels);
    // How many thumbnails were decoded (or failed) since the cache was made.
    int decodeCount() const { return m_decodes; }

private:
    std::map<std::pair<std::string, int>, std::shared_ptr<const ScreenFrame>> m_pictures;
    int m_decodes = 0;
};

}  // namespace photosapp
