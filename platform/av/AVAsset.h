#pragma once

#include "platform/av/CMTime.h"
#include "platform/av/Forward.h"
#include "platform/foundation/CGGeometry.h"
#include "platform/foundation/NSObjects.h"
#include "platform/foundation/Result.h"
#include "platform/runtime/ClassBuilder.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* AVMediaTypeVideo = "vide";
inline constexpr const char* AVMediaTypeAudio = "soun";

class AVAssetTrack : public Object {
    MARQEL_OBJECT(AVAssetTrack, Object)
public:
    AVAssetTrack() = default;
    AVAssetTrack(std::string mediaType, CGSize naturalSize, CGAffineTransform preferredTransform, int trackID)
        : m_mediaType(std::move(mediaType))
        , m_naturalSize(naturalSize)
        , m_preferredTransform(preferredTransform)
        , m_trackID(trackID)
    {
    }
    const std::string& mediaType() const { return m_mediaType; }
    CGSize naturalSize() const { return m_naturalSize; }
    CGAffineTransform preferredTransform() const { return m_preferredTransform; }
    int trackID() const { return m_trackID; }

private:
    std::string m_mediaType;
    CGSize m_naturalSize;
    CGAffineTransform m_preferredTransform;
    int m_trackID = 0;
};

// A movie file, opened and probed when created. An unreadable file gives an
// asset with no tracks and a zero duration, as AVFoundation's lazily
// failing assets do; `loadError()` says why (nothing for a readable one).
class AVAsset : public Object {
    MARQEL_OBJECT(AVAsset, Object)
public:
    static std::shared_ptr<AVAsset> assetWithURL(const std::shared_ptr<NSURL>& url);

    std::shared_ptr<NSURL> URL() const { return m_url; }
    CMTime duration() const { return m_duration; }
    std::vector<std::shared_ptr<AVAssetTrack>> tracksWithMediaType(const std::string& mediaType) const;
    bool isPlayable() const { return m_playable; }
    const std::optional<foundation::Error>& loadError() const { return m_loadError; }

    // The movie as opened to read its tracks, handed to the first export
    // so the file's streams are not probed again; null once taken (a later
    // export opens the file afresh) or when the asset could not be read.
    std::unique_ptr<av::InputMovie> takeOpenedMovie();

    AVAsset();
    ~AVAsset() override;

protected:
    std::mutex m_openedMutex;
    std::unique_ptr<av::InputMovie> m_opened;
    std::shared_ptr<NSURL> m_url;
    CMTime m_duration = kCMTimeZero;
    std::vector<std::shared_ptr<AVAssetTrack>> m_tracks;
    bool m_playable = false;
    std::optional<foundation::Error> m_loadError;
};

class AVURLAsset : public AVAsset {
    MARQEL_OBJECT(AVURLAsset, AVAsset)
public:
    static std::shared_ptr<AVURLAsset> URLAssetWithURL(const std::shared_ptr<NSURL>& url);
};
