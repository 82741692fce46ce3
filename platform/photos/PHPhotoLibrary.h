#pragma once

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NSObjects.h"
#include "platform/photos/PHAsset.h"
#include "platform/photos/PhotoLibraryStore.h"

#include <functional>
#include <mutex>

// A change asked for inside a change block.
class PHAssetChangeRequest : public Object {
    MARQEL_OBJECT(PHAssetChangeRequest, Object)
public:
    // Only valid inside a performChanges block, as on the phone.
    static std::shared_ptr<PHAssetChangeRequest> creationRequestForAssetFromVideoAtFileURL(const std::shared_ptr<NSURL>& fileURL);
    static void deleteAssets(const std::vector<std::shared_ptr<PHAsset>>& assets);

    std::shared_ptr<NSURL> fileURL() const { return m_fileURL; }

private:
    std::shared_ptr<NSURL> m_fileURL;
};

// The device's photo library: "/var/mobile/Media" (DCIM and PhotoData).
class PHPhotoLibrary : public Object {
    MARQEL_OBJECT(PHPhotoLibrary, Object)
public:
    static constexpr const char* mediaDevicePath = "/var/mobile/Media";
    using CompletionHandler = std::function<void(bool success, id error)>;

    static std::shared_ptr<PHPhotoLibrary> sharedPhotoLibrary();
    // Forgets the opened library, so the next use opens the current root's.
    static void resetShared();
    // The background queue that completions and asset requests run on.
    static std::shared_ptr<DispatchQueue> photosQueue();

    // Runs the change block and applies its requests on the Photos queue,
    // all or nothing; the handler runs there too.
    void performChanges(std::function<void()> changeBlock, CompletionHandler completionHandler);

    // The store underneath, for fetches and tools; a failure says why the
    // library cannot be opened. A library that cannot be opened is tried
    // again on the next call.
    foundation::Result<photos::PhotoLibraryStore*> store();

private:
    std::mutex m_mutex;
    std::unique_ptr<photos::PhotoLibraryStore> m_store;
};
