#include "platform/av/AVAsset.h"

#include "platform/av/InputMovie.h"

MARQEL_DEFINE_CLASS(AVAssetTrack,
    method<&AVAssetTrack::naturalSize>("naturalSize"),
    method<&AVAssetTrack::preferredTransform>("preferredTransform"))
MARQEL_DEFINE_CLASS(AVAsset,
    classMethod<&AVAsset::assetWithURL>("assetWithURL:"),
    method<&AVAsset::duration>("duration"))
MARQEL_DEFINE_CLASS(AVURLAsset)

std::shared_ptr<AVAsset> AVAsset::assetWithURL(const std::shared_ptr<NSURL>& url)
{
    auto asset = alloc<AVURLAsset>();
    asset->m_url = url;
    if (!url) {
        asset->m_loadError = foundation::Error { foundation::ErrorCode::InvalidArgument, "no URL to open (give the asset a file URL)" };
        return asset;
    }
    auto hostPath = url->hostPath();
    if (!hostPath) {
        asset->m_loadError = hostPath.error();
        return asset;
    }
    auto opened = av::InputMovie::open(hostPath.value());
    if (!opened) {
        asset->m_loadError = opened.error();
        return asset;
    }
    const av::MovieInfo movie = opened.value().info();
    asset->m_opened = std::make_unique<av::InputMovie>(opened.release());
    asset->m_playable = true;
    asset->m_duration = CMTimeMakeWithSeconds(movie.durationSeconds, 600);
    const auto& t = movie.preferredTransform;
    asset->m_tracks.push_back(alloc<AVAssetTrack>(AVMediaTypeVideo, CGSizeMake(movie.width, movie.height),
        CGAffineTransform { t.a, t.b, t.c, t.d, t.tx, t.ty }, 1));
    if (movie.hasAudio)
        asset->m_tracks.push_back(alloc<AVAssetTrack>(AVMediaTypeAudio, CGSizeZero, CGAffineTransformIdentity, 2));
    return asset;
}

AVAsset::AVAsset() = default;
AVAsset::~AVAsset() = default;

std::unique_ptr<av::InputMovie> AVAsset::takeOpenedMovie()
{
    std::lock_guard lock(m_openedMutex);
    return std::move(m_opened);
}

std::shared_ptr<AVURLAsset> AVURLAsset::URLAssetWithURL(const std::shared_ptr<NSURL>& url)
{
    return std::static_pointer_cast<AVURLAsset>(AVAsset::assetWithURL(url));
}

std::vector<std::shared_ptr<AVAssetTrack>> AVAsset::tracksWithMediaType(const std::string& mediaType) const
{
    std::vector<std::shared_ptr<AVAssetTrack>> out;
    for (const auto& track : m_tracks)
        if (track->mediaType() == mediaType)
            out.push_back(track);
    return out;
}
