#include "platform/photos/PHPhotoLibrary.h"

#include "platform/av/MovieProbe.h"
#include "platform/foundation/DevicePath.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/RunLoop.h"
#include "platform/photos/PHFetchOptions.h"

#include <cmath>

MARQEL_DEFINE_CLASS(PHAsset,
    method<&PHAsset::localIdentifier>("localIdentifier"),
    method<&PHAsset::pixelWidth>("pixelWidth"),
    method<&PHAsset::pixelHeight>("pixelHeight"))
MARQEL_DEFINE_CLASS(PHFetchResult)
MARQEL_DEFINE_CLASS(PHFetchOptions)
MARQEL_DEFINE_CLASS(PHAssetChangeRequest)
MARQEL_DEFINE_CLASS(PHPhotoLibrary)

namespace {

constexpr const char* errorDomain = "PHPhotosErrorDomain";

// The requests of the change block being run on this thread.
struct ChangeSet {
    std::vector<std::shared_ptr<PHAssetChangeRequest>> creations;
    std::vector<std::string> deletions;
};
thread_local ChangeSet* currentChanges = nullptr;

std::shared_ptr<PHPhotoLibrary>& sharedSlot()
{
    static auto* slot = new std::shared_ptr<PHPhotoLibrary>;
    return *slot;
}
std::mutex sharedMutex;

photos::FetchQuery queryFor(std::optional<photos::MediaType> type, const std::shared_ptr<PHFetchOptions>& options)
{
    photos::FetchQuery query;
    query.mediaType = type;
    if (options) {
        query.includeTrashed = options->includeRecentlyDeleted();
        for (const auto& descriptor : options->sortDescriptors())
            if (descriptor)
                query.sortKeys.push_back({ descriptor->key(), descriptor->ascending() });
    }
    return query;
}

std::vector<std::shared_ptr<PHAsset>> wrap(const std::vector<photos::AssetRecord>& records)
{
    std::vector<std::shared_ptr<PHAsset>> assets;
    for (const auto& record : records)
        assets.push_back(alloc<PHAsset>(record));
    return assets;
}

}  // namespace

std::shared_ptr<PHFetchResult> PHAsset::fetchAssetsWithMediaType(PHAssetMediaType mediaType, const std::shared_ptr<PHFetchOptions>& options)
{
    auto store = PHPhotoLibrary::sharedPhotoLibrary()->store();
    if (!store) {
        NSLog("Photos: %@", store.message());
        return alloc<PHFetchResult>();
    }
    auto records = store.value()->fetch(queryFor(photos::mediaTypeFromInt(mediaType), options));
    if (!records) {
        NSLog("Photos: fetch failed: %@", records.message());
        return alloc<PHFetchResult>();
    }
    return alloc<PHFetchResult>(wrap(records.value()));
}

std::shared_ptr<PHFetchResult> PHAsset::fetchAssetsWithLocalIdentifiers(const std::vector<std::string>& identifiers, const std::shared_ptr<PHFetchOptions>& options)
{
    auto store = PHPhotoLibrary::sharedPhotoLibrary()->store();
    if (!store) {
        NSLog("Photos: %@", store.message());
        return alloc<PHFetchResult>();
    }
    std::vector<std::shared_ptr<PHAsset>> assets;
    bool includeTrashed = options && options->includeRecentlyDeleted();
    for (const auto& identifier : identifiers) {
        auto record = store.value()->asset(identifier);
        if (!record)
            NSLog("Photos: cannot look up %@: %@", identifier, record.message());
        else if (record.value() && (includeTrashed || !record.value()->isTrashed()))
            assets.push_back(alloc<PHAsset>(*record.value()));
    }
    return alloc<PHFetchResult>(std::move(assets));
}

std::shared_ptr<PHAssetChangeRequest> PHAssetChangeRequest::creationRequestForAssetFromVideoAtFileURL(const std::shared_ptr<NSURL>& fileURL)
{
    auto request = alloc<PHAssetChangeRequest>();
    request->m_fileURL = fileURL;
    if (currentChanges)
        currentChanges->creations.push_back(request);
    else
        NSLog("Photos: a change request was made outside a change block and is ignored");
    return request;
}

void PHAssetChangeRequest::deleteAssets(const std::vector<std::shared_ptr<PHAsset>>& assets)
{
    if (!currentChanges) {
        NSLog("Photos: a change request was made outside a change block and is ignored");
        return;
    }
    for (const auto& asset : assets)
        if (asset)
            currentChanges->deletions.push_back(asset->localIdentifier());
}

std::shared_ptr<PHPhotoLibrary> PHPhotoLibrary::sharedPhotoLibrary()
{
    std::lock_guard lock(sharedMutex);
    auto& slot = sharedSlot();
    if (!slot)
        slot = alloc<PHPhotoLibrary>();
    return slot;
}

void PHPhotoLibrary::resetShared()
{
    std::lock_guard lock(sharedMutex);
    sharedSlot().reset();
}

std::shared_ptr<DispatchQueue> PHPhotoLibrary::photosQueue()
{
    static auto* queue = new std::shared_ptr<DispatchQueue>(dispatch_queue_create("com.apple.photos.background"));
    return *queue;
}

foundation::Result<photos::PhotoLibraryStore*> PHPhotoLibrary::store()
{
    std::lock_guard lock(m_mutex);
    if (!m_store) {
        photos::StoreOptions options;
        options.now = [] { return RunLoop::main().clock().epochSeconds(); };
        auto media = DevicePath::toHost(mediaDevicePath);
        if (!media)
            return foundation::Error { media.code(), "cannot open the photo library: " + media.message() };
        m_store = TRY(photos::PhotoLibraryStore::open(media.value(), options).withContext("cannot open the photo library"));
    }
    return m_store.get();
}

void PHPhotoLibrary::performChanges(std::function<void()> changeBlock, CompletionHandler completionHandler)
{
    auto self = retained<PHPhotoLibrary>();
    dispatch_async(photosQueue(), [self, changeBlock = std::move(changeBlock), completionHandler = std::move(completionHandler)] {
        ChangeSet changes;
        currentChanges = &changes;
        if (changeBlock)
            changeBlock();
        currentChanges = nullptr;

        auto finish = [&](bool success, const std::string& description, std::int64_t code) {
            if (completionHandler)
                completionHandler(success, success ? id() : id(NSError::make(errorDomain, code, description)));
        };
        auto opened = self->store();
        if (!opened)
            return finish(false, opened.message(), 3300);
        auto* store = opened.value();

        // Everything is checked before anything is applied, so a change
        // block either happens whole or not at all.
        struct Import {
            std::string hostPath;
            av::MovieInfo info;
        };
        std::vector<Import> imports;
        for (const auto& request : changes.creations) {
            auto url = request->fileURL();
            if (!url)
                return finish(false, "A creation request has no file URL.", 3302);
            auto hostPath = url->hostPath();
            if (!hostPath)
                return finish(false, "The file at " + url->path() + " cannot be reached: " + hostPath.message(), 3302);
            auto info = av::probeMovie(hostPath.value());
            if (!info)
                return finish(false, "The file at " + url->path() + " is not a movie the library can take: " + info.error().message, 3302);
            imports.push_back({ hostPath.value(), info.value() });
        }
        if (!changes.deletions.empty()) {
            auto trashed = store->trash(changes.deletions);
            if (!trashed)
                return finish(false, "The assets could not be deleted: " + trashed.message(), 3201);
        }
        for (const auto& import : imports) {
            bool rotated = std::fmod(std::fabs(import.info.rotationDegrees), 180.0) == 90.0;
            photos::MediaFacts facts { rotated ? import.info.height : import.info.width,
                rotated ? import.info.width : import.info.height, import.info.durationSeconds };
            auto added = store->importFile(import.hostPath, photos::MediaType::Video, facts, RunLoop::main().clock().epochSeconds());
            if (!added)
                return finish(false, "The movie could not be added to the library: " + added.message(), 3300);
        }
        finish(true, "", 0);
    });
}
