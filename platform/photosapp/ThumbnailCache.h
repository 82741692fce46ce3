#pragma once

// The grid's pictures: each video's first frame, upright, cut to a square,
// decoded once per asset and size and kept. Decoding runs on a queue of its
// own, so opening Photos on a full library never stalls the main thread: a
// cell shows its placeholder until its picture arrives, and the grid is
// told then. A movie that cannot be read is remembered as such (logged
// once), so the grid shows its placeholder without trying again on every
// scroll.

#include "platform/foundation/Dispatch.h"
#include "platform/render/ScreenFrame.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace photosapp {

class ThumbnailCache {
public:
    ThumbnailCache();

    // Told on the main thread each time pictures asked for have arrived
    // (several that arrive together are told once).
    void setArrivalHandler(std::function<void()> handler) { m_state->arrived = std::move(handler); }
    // The picture when it has been decoded; null while it is being decoded
    // (it is started here), or when the movie cannot be decoded.
    std::shared_ptr<const ScreenFrame> thumbnail(const std::string& assetIdentifier, const std::string& hostPath, int sidePixels);
    // How many thumbnails were decoded (or failed) since the cache was made.
    int decodeCount() const { return m_decodes; }
    // Pictures asked for and not yet arrived.
    std::size_t pendingCount() const { return m_state->pending.size(); }

private:
    using Key = std::pair<std::string, int>;
    // Shared with the decoding queue's work, which may finish after the
    // cache's owner is gone; touched on the main thread only.
    struct State {
        std::map<Key, std::shared_ptr<const ScreenFrame>> pictures;
        std::set<Key> pending;
        std::function<void()> arrived;
        bool arrivalPosted = false;
    };
    std::shared_ptr<State> m_state;
    dispatch_queue_t m_queue;
    int m_decodes = 0;
};

}  // namespace photosapp
