#pragma once

#include "platform/foundation/NSObjects.h"
#include "platform/photos/AssetRecord.h"
#include "platform/photos/Forward.h"

#include <cstdint>
#include <vector>

enum PHAssetMediaType : std::int64_t {
    PHAssetMediaTypeUnknown = 0,
    PHAssetMediaTypeImage = 1,
    PHAssetMediaTypeVideo = 2,
};

// One asset of the photo library as it was when fetched.
class PHAsset : public Object {
    MARQEL_OBJECT(PHAsset, Object)
public:
    PHAsset() = default;
    explicit PHAsset(photos::AssetRecord record)
        : m_record(std::move(record))
    {
    }

    static std::shared_ptr<PHFetchResult> fetchAssetsWithMediaType(PHAssetMediaType mediaType, const std::shared_ptr<PHFetchOptions>& options);
    static std::shared_ptr<PHFetchResult> fetchAssetsWithLocalIdentifiers(const std::vector<std::string>& identifiers, const std::shared_ptr<PHFetchOptions>& options);

    std::string localIdentifier() const { return m_record.localIdentifier; }
    PHAssetMediaType mediaType() const { return static_cast<PHAssetMediaType>(m_record.mediaType); }
    std::shared_ptr<NSDate> creationDate() const { return alloc<NSDate>(m_record.creationDate); }
    std::int64_t pixelWidth() const { return m_record.pixelWidth; }
    std::int64_t pixelHeight() const { return m_record.pixelHeight; }
    double duration() const { return m_record.duration; }
    bool isTrashed() const { return m_record.isTrashed(); }
    const photos::AssetRecord& record() const { return m_record; }
    std::string description() const override { return "<PHAsset " + m_record.localIdentifier + ">"; }

private:
    photos::AssetRecord m_record;
};

class PHFetchResult : public Object {
    MARQEL_OBJECT(PHFetchResult, Object)
public:
    PHFetchResult() = default;
    explicit PHFetchResult(std::vector<std::shared_ptr<PHAsset>> assets)
        : m_assets(std::move(assets))
    {
    }
    std::int64_t count() const { return static_cast<std::int64_t>(m_assets.size()); }
    std::shared_ptr<PHAsset> objectAtIndex(std::int64_t index) const
    {
        return index >= 0 && index < count() ? m_assets[static_cast<std::size_t>(index)] : nullptr;
    }
    std::shared_ptr<PHAsset> firstObject() const { return m_assets.empty() ? nullptr : m_assets.front(); }
    std::shared_ptr<PHAsset> lastObject() const { return m_assets.empty() ? nullptr : m_assets.back(); }
    const std::vector<std::shared_ptr<PHAsset>>& assets() const { return m_assets; }

private:
    std::vector<std::shared_ptr<PHAsset>> m_assets;
};
