#pragma once

#include "platform/av/AVVideoComposition.h"
#include "platform/foundation/Dispatch.h"

#include <atomic>
#include <functional>
#include <mutex>

inline constexpr const char* AVAssetExportPreset1920x1080 = "AVAssetExportPreset1920x1080";
inline constexpr const char* AVAssetExportPresetHighestQuality = "AVAssetExportPresetHighestQuality";
inline constexpr const char* AVFileTypeQuickTimeMovie = "com.apple.quicktime-movie";

enum AVAssetExportSessionStatus : std::int64_t {
    AVAssetExportSessionStatusUnknown = 0,
    AVAssetExportSessionStatusWaiting = 1,
    AVAssetExportSessionStatusExporting = 2,
    AVAssetExportSessionStatusCompleted = 3,
    AVAssetExportSessionStatusFailed = 4,
    AVAssetExportSessionStatusCancelled = 5,
};

// Exports an asset through a video composition on its own thread. The
// completion handler runs on that thread once the export has ended.
class AVAssetExportSession : public Object {
    MARQEL_OBJECT(AVAssetExportSession, Object)
public:
    static std::shared_ptr<AVAssetExportSession> exportSessionWithAsset(const std::shared_ptr<AVAsset>& asset, const std::string& presetName);

    std::shared_ptr<AVAsset> asset() const { return m_asset; }
    const std::string& presetName() const { return m_preset; }
    std::shared_ptr<NSURL> outputURL() const;
    void setOutputURL(const std::shared_ptr<NSURL>& url);
    std::string outputFileType() const;
    void setOutputFileType(const std::string& type);
    std::shared_ptr<AVMutableVideoComposition> videoComposition() const;
    void setVideoComposition(const std::shared_ptr<AVMutableVideoComposition>& composition);

    void exportAsynchronouslyWithCompletionHandler(std::function<void()> handler);
    void cancelExport();
    AVAssetExportSessionStatus status() const { return m_status.load(); }
    std::shared_ptr<NSError> error() const;
    float progress() const { return m_progress.load(); }

private:
    void run(std::function<void()> handler);
    void fail(std::int64_t code, const std::string& description);

    std::shared_ptr<AVAsset> m_asset;
    std::string m_preset;
    mutable std::mutex m_mutex;
    std::shared_ptr<NSURL> m_outputURL;
    std::string m_outputFileType;
    std::shared_ptr<AVMutableVideoComposition> m_composition;
    std::shared_ptr<NSError> m_error;
    std::atomic<AVAssetExportSessionStatus> m_status { AVAssetExportSessionStatusUnknown };
    std::atomic<float> m_progress { 0 };
    std::atomic<bool> m_cancel { false };
    std::shared_ptr<DispatchQueue> m_queue;
};
