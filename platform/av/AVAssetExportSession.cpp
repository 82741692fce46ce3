#include "platform/av/AVAssetExportSession.h"

#include "platform/av/CompositionExporter.h"
#include "platform/av/InputMovie.h"

#include <cmath>

MARQEL_DEFINE_CLASS(AVAssetExportSession,
    method<&AVAssetExportSession::status>("status"),
    method<&AVAssetExportSession::cancelExport>("cancelExport"),
    method<&AVAssetExportSession::exportAsynchronouslyWithCompletionHandler>("exportAsynchronouslyWithCompletionHandler:"))

namespace {
constexpr const char* errorDomain = "AVFoundationErrorDomain";
// AVError codes the stand-in reports.
constexpr std::int64_t errorUnknown = -11800;
constexpr std::int64_t errorInvalidVideoComposition = -11841;
constexpr std::int64_t errorFileFormatNotRecognized = -11828;
constexpr std::int64_t errorNoDataCaptured = -11805;
constexpr std::int64_t errorDiskFull = -11807;
}  // namespace

std::shared_ptr<AVAssetExportSession> AVAssetExportSession::exportSessionWithAsset(const std::shared_ptr<AVAsset>& asset, const std::string& presetName)
{
    auto session = alloc<AVAssetExportSession>();
    session->m_asset = asset;
    session->m_preset = presetName;
    return session;
}

std::shared_ptr<NSURL> AVAssetExportSession::outputURL() const
{
    std::lock_guard lock(m_mutex);
    return m_outputURL;
}

void AVAssetExportSession::setOutputURL(const std::shared_ptr<NSURL>& url)
{
    std::lock_guard lock(m_mutex);
    m_outputURL = url;
}

std::string AVAssetExportSession::outputFileType() const
{
    std::lock_guard lock(m_mutex);
    return m_outputFileType;
}

void AVAssetExportSession::setOutputFileType(const std::string& type)
{
    std::lock_guard lock(m_mutex);
    m_outputFileType = type;
}

std::shared_ptr<AVMutableVideoComposition> AVAssetExportSession::videoComposition() const
{
    std::lock_guard lock(m_mutex);
    return m_composition;
}

void AVAssetExportSession::setVideoComposition(const std::shared_ptr<AVMutableVideoComposition>& composition)
{
    std::lock_guard lock(m_mutex);
    m_composition = composition;
}

std::shared_ptr<NSError> AVAssetExportSession::error() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

void AVAssetExportSession::cancelExport() { m_cancel = true; }

void AVAssetExportSession::fail(std::int64_t code, const std::string& description)
{
    {
        std::lock_guard lock(m_mutex);
        m_error = NSError::make(errorDomain, code, description);
    }
    m_status = code == 0 ? AVAssetExportSessionStatusCancelled : AVAssetExportSessionStatusFailed;
}

void AVAssetExportSession::exportAsynchronouslyWithCompletionHandler(std::function<void()> handler)
{
    AVAssetExportSessionStatus expected = AVAssetExportSessionStatusUnknown;
    if (!m_status.compare_exchange_strong(expected, AVAssetExportSessionStatusWaiting)) {
        // A session exports once, as AVFoundation's.
        if (handler)
            handler();
        return;
    }
    m_queue = dispatch_queue_create("com.apple.avfoundation.export");
    auto self = retained<AVAssetExportSession>();
    dispatch_async(m_queue, [self, handler = std::move(handler)] { self->run(handler); });
}

void AVAssetExportSession::run(std::function<void()> handler)
{
    m_status = AVAssetExportSessionStatusExporting;
    auto composition = videoComposition();
    auto url = outputURL();
    if (!url) {
        fail(errorUnknown, "The export has no output URL.");
    } else if (outputFileType() != AVFileTypeQuickTimeMovie) {
        fail(errorFileFormatNotRecognized, "The output file type \"" + outputFileType() + "\" is not supported; use com.apple.quicktime-movie.");
    } else if (!m_asset || !m_asset->isPlayable()) {
        fail(errorFileFormatNotRecognized, "The movie could not be opened: " + (m_asset && m_asset->loadError() ? m_asset->loadError()->message : std::string("no asset")) + ".");
    } else if (m_asset->tracksWithMediaType(AVMediaTypeVideo).empty()) {
        fail(errorNoDataCaptured, "The movie has no video track.");
    } else if (auto input = m_asset->URL()->hostPath(); !input) {
        fail(errorUnknown, "The movie cannot be read: " + input.message() + ".");
    } else if (auto output = url->hostPath(); !output) {
        fail(errorUnknown, "The export cannot be written: " + output.message() + ".");
    } else {
        av::ExportRequest request;
        request.inputPath = input.value();
        request.outputPath = output.value();
        auto track = m_asset->tracksWithMediaType(AVMediaTypeVideo).front();
        CGAffineTransform transform = CGAffineTransformIdentity;
        CGSize renderSize = track->naturalSize();
        if (composition) {
            renderSize = composition->renderSize();
            CMTime frame = composition->frameDuration();
            if (frame.value > 0 && frame.timescale > 0)
                request.frameDuration = { static_cast<int>(frame.value), static_cast<int>(frame.timescale) };
            if (!composition->instructions().empty() && !composition->instructions().front()->layerInstructions().empty())
                transform = composition->instructions().front()->layerInstructions().front()->transformAtTime(kCMTimeZero);
        }
        request.renderWidth = static_cast<int>(std::floor(renderSize.width));
        request.renderHeight = static_cast<int>(std::floor(renderSize.height));
        request.transform = { transform.a, transform.b, transform.c, transform.d, transform.tx, transform.ty };
        if (m_preset == AVAssetExportPreset1920x1080)
            request.presetMaxSize = av::PixelSize { 1920, 1080 };
        else
            request.presetMaxSize = std::nullopt;
        request.progress = [this](double p) { m_progress = static_cast<float>(p); };
        request.cancel = &m_cancel;
        if (request.renderWidth <= 0 || request.renderHeight <= 0) {
            fail(errorInvalidVideoComposition, "The video composition's render size " + std::to_string(request.renderWidth) + " x " + std::to_string(request.renderHeight) + " is empty: nothing can be exported.");
        } else {
            auto opened = m_asset->takeOpenedMovie();
            auto status = opened ? av::CompositionExporter::run(std::move(*opened), request) : av::CompositionExporter::run(request);
            if (status) {
                m_progress = 1;
                m_status = AVAssetExportSessionStatusCompleted;
            } else if (status.error().code == av::ErrorCode::Cancelled) {
                fail(0, "The export was cancelled.");
            } else {
                fail(status.error().code == av::ErrorCode::WriteFailed ? errorDiskFull : errorUnknown,
                    "The export failed: " + status.error().message);
            }
        }
    }
    if (handler)
        handler();
}
