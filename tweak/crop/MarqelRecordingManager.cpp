#include "tweak/crop/MarqelRecordingManager.h"

#include <algorithm>

#include "common/MarqelPreferences.h"
#include "platform/av/AVFoundation.h"
#include "platform/foundation/Foundation.h"
#include "platform/photos/Photos.h"
#include "platform/uikit/UIScreen.h"
#include "tweak/core/MarqelConfig.h"
#include "tweak/crop/CropGeometry.h"

MARQEL_DEFINE_CLASS_LAZY(MarqelRecordingManager,
    method<&MarqelRecordingManager::initWithConfig>("initWithConfig:"),
    method<&MarqelRecordingManager::prepareCropVideo>("prepareCropVideo"),
    method<&MarqelRecordingManager::noteSavedRecording>("noteSavedRecording"),
    method<&MarqelRecordingManager::beginCropTheVideoFromURL>("beginCropTheVideoFromURL:"),
    method<&MarqelRecordingManager::deleteDefaultVideo>("deleteDefaultVideo"),
    method<&MarqelRecordingManager::exportDidFinish>("exportDidFinish:"),
    method<&MarqelRecordingManager::calculateCropSizeFromVideo>("calculateCropSizeFromVideo:"),
    method<&MarqelRecordingManager::config>("config"),
    method<&MarqelRecordingManager::setConfig>("setConfig:"),
    method<&MarqelRecordingManager::videoURL>("videoURL"),
    method<&MarqelRecordingManager::setVideoURL>("setVideoURL:"),
    method<&MarqelRecordingManager::delegate>("delegate"),
    method<&MarqelRecordingManager::setDelegate>("setDelegate:"))

namespace {
std::shared_ptr<PHFetchResult> newestFirstVideos()
{
    auto options = alloc<PHFetchOptions>();
    options->setSortDescriptors({ NSSortDescriptor::sortDescriptorWithKey("creationDate", true) });
    return PHAsset::fetchAssetsWithMediaType(PHAssetMediaTypeVideo, options);
}
}  // namespace

std::shared_ptr<MarqelRecordingManager> MarqelRecordingManager::initWithConfig(const std::shared_ptr<MarqelConfig>& config)
{
    m_config = alloc<MarqelConfig>();
    m_config = config;
    return retained<MarqelRecordingManager>();
}

void MarqelRecordingManager::endRun(const std::string& why)
{
    if (!why.empty())
        NSLog("marqel: %@", why);
    m_cropping = false;
}

void MarqelRecordingManager::prepareCropVideo()
{
    // Two exports must never write the same file at once.
    if (m_cropping) {
        NSLog("marqel: a crop is already running; this one is not started");
        return;
    }
    // A video imported or saved by anyone else in the half second before
    // the crop would otherwise be cropped and deleted in the recording's
    // place.
    std::shared_ptr<PHAsset> asset;
    if (!m_savedRecording.empty()) {
        asset = PHAsset::fetchAssetsWithLocalIdentifiers({ m_savedRecording }, nullptr)->firstObject();
        m_savedRecording.clear();
        if (!asset || asset->isTrashed()) {
            NSLog("marqel: the saved recording left the library before its crop; nothing is cropped");
            return;
        }
    } else {
        asset = newestFirstVideos()->lastObject();
    }
    if (!asset) {
        NSLog("marqel: no video in the photo library, nothing to crop");
        return;
    }
    m_cropping = true;
    m_sourceIdentifier = asset->localIdentifier();
    auto self = retained<MarqelRecordingManager>();
    PHImageManager::defaultManager()->requestAVAssetForVideo(asset, nullptr, [self](id avAsset, id, id) {
        auto urlAsset = objc_cast<AVURLAsset>(avAsset);
        auto url = urlAsset ? urlAsset->URL() : nullptr;
        dispatch_async(dispatch_get_main_queue(), [self, url] {
            if (!url)
                return self->endRun("the newest video has no playable file, nothing to crop");
            self->m_videoURL = url;
            self->beginCropTheVideoFromURL(url);
        });
    });
}

CGRect MarqelRecordingManager::calculateCropSizeFromVideo(CGSize movieSize)
{
    CGRect screen = UIScreen::mainScreen()->bounds();
    return CropGeometry::cropRectInMovie(movieSize, screen.size, m_config ? m_config->cropFrame() : CGRectZero);
}

void MarqelRecordingManager::beginCropTheVideoFromURL(const std::shared_ptr<NSURL>& url)
{
    auto asset = AVAsset::assetWithURL(url);
    auto tracks = asset->tracksWithMediaType(AVMediaTypeVideo);
    if (tracks.empty())
        return endRun("the recording has no video track, nothing to crop" + (asset->loadError() ? ": " + asset->loadError()->message : std::string()));
    auto track = tracks.front();

    auto composition = AVMutableVideoComposition::videoComposition();
    composition->setFrameDuration(CMTimeMake(1, 30));
    CGSize natural = track->naturalSize();
    CGRect crop = calculateCropSizeFromVideo(natural);
    if (!CropGeometry::meetsMovie(natural, crop))
        return endRun("the crop rectangle " + NSStringFromCGRect(m_config ? m_config->cropFrame() : CGRectZero)
            + " does not meet the screen; nothing is exported and the recording is kept");
    composition->setRenderSize(CropGeometry::renderSize(crop));

    auto instruction = alloc<AVMutableVideoCompositionInstruction>();
    instruction->setTimeRange(CMTimeRangeMake(kCMTimeZero, asset->duration()));
    auto layer = AVMutableVideoCompositionLayerInstruction::videoCompositionLayerInstructionWithAssetTrack(track);
    layer->setTransform(CropGeometry::layerTransform(track->preferredTransform(), crop), kCMTimeZero);
    instruction->setLayerInstructions({ layer });
    composition->setInstructions({ instruction });

    auto output = NSURL::fileURLWithPath(outputPath);
    NSFileManager::defaultManager()->removeItemAtPath(outputPath);

    m_currentExport = AVAssetExportSession::exportSessionWithAsset(asset, AVAssetExportPreset1920x1080);
    m_currentExport->setVideoComposition(composition);
    m_currentExport->setOutputURL(output);
    m_currentExport->setOutputFileType(AVFileTypeQuickTimeMovie);
    auto self = retained<MarqelRecordingManager>();
    m_currentExport->exportAsynchronouslyWithCompletionHandler([self] {
        dispatch_async(dispatch_get_main_queue(), [self] {
            NSLog("marqel: prepare export");
            self->m_keepOriginal = MarqelPreferences::read(MarqelPreferences::toggleKeepOriginalVideo);
            self->exportDidFinish(self->m_currentExport);
        });
    });
}

void MarqelRecordingManager::noteSavedRecording()
{
    // The notice reaches us a queue hop or two after the save, and a movie
    // another process adds in between is newer still; the system's
    // recording is the newest of the screen's own size.
    auto videos = newestFirstVideos()->assets();
    const CGSize screen = UIScreen::mainScreen()->nativeBounds().size;
    auto isScreenSized = [screen](const std::shared_ptr<PHAsset>& video) {
        const auto w = static_cast<CGFloat>(video->pixelWidth()), h = static_cast<CGFloat>(video->pixelHeight());
        return (w == screen.width && h == screen.height) || (w == screen.height && h == screen.width);
    };
    auto found = std::find_if(videos.rbegin(), videos.rend(), isScreenSized);
    if (found == videos.rend())
        found = videos.rbegin();
    if (found != videos.rend())
        m_savedRecording = (*found)->localIdentifier();
}

void MarqelRecordingManager::deleteDefaultVideo()
{
    auto found = PHAsset::fetchAssetsWithLocalIdentifiers({ m_sourceIdentifier }, nullptr)->firstObject();
    if (!found) {
        NSLog("marqel: the original recording is no longer in the library");
        return;
    }
    PHPhotoLibrary::sharedPhotoLibrary()->performChanges([found] { PHAssetChangeRequest::deleteAssets({ found }); },
        [](bool success, id error) {
            if (!success)
                NSLog("marqel: the original recording was not deleted: %@", error);
        });
}

void MarqelRecordingManager::exportDidFinish(const std::shared_ptr<AVAssetExportSession>& session)
{
    // A failed or cancelled export produced nothing: keep the original,
    // save nothing, tell no one.
    if (!session || session->status() != AVAssetExportSessionStatusCompleted) {
        auto error = session ? session->error() : nullptr;
        return endRun(error ? error->localizedDescription() : std::string("the export did not complete"));
    }
    auto url = session->outputURL();
    auto self = retained<MarqelRecordingManager>();
    PHPhotoLibrary::sharedPhotoLibrary()->performChanges(
        [url] { PHAssetChangeRequest::creationRequestForAssetFromVideoAtFileURL(url); },
        [self](bool success, id error) {
            if (!success) {
                NSLog("marqel: %@", error);
                dispatch_async(dispatch_get_main_queue(), [self] { self->endRun(""); });
                return;
            }
            NSLog("marqel: Video saved");
            // The original goes only once its cropped movie is safe.
            dispatch_sync(dispatch_get_main_queue(), [self] {
                if (!self->m_keepOriginal)
                    self->deleteDefaultVideo();
                self->endRun("");
            });
            msgSend<void>(self->delegate(), "finishedCropVideoAndSavedToPhotoLibrary");
        });
}
