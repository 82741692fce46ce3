#pragma once

#include "platform/foundation/CGGeometry.h"
#include "platform/foundation/NSObjects.h"
#include "platform/runtime/ClassBuilder.h"
#include "tweak/Forward.h"

class AVAssetExportSession;

// Turns the full-screen movie the system just saved into a movie of the
// crop rectangle: newest video of the library, a composition that shifts
// the rectangle's corner to the origin, export, save, and the uncropped
// movie deleted unless the user keeps it.
class MarqelRecordingManager : public Object {
    MARQEL_OBJECT(MarqelRecordingManager, Object)
public:
    static constexpr const char* outputPath = "/tmp/MarqelCroppedVideo.mp4";

    std::shared_ptr<MarqelRecordingManager> initWithConfig(const std::shared_ptr<MarqelConfig>& config);
    void prepareCropVideo();
    // The system's notice that it saved a recording arrived: the newest
    // video now is that recording, and the next crop takes it even if
    // another video reaches the library before the crop starts.
    void noteSavedRecording();
    void beginCropTheVideoFromURL(const std::shared_ptr<NSURL>& url);
    void deleteDefaultVideo();
    void exportDidFinish(const std::shared_ptr<AVAssetExportSession>& session);
    CGRect calculateCropSizeFromVideo(CGSize movieSize);

    std::shared_ptr<MarqelConfig> config() const { return m_config; }
    void setConfig(const std::shared_ptr<MarqelConfig>& config) { m_config = config; }
    std::shared_ptr<NSURL> videoURL() const { return m_videoURL; }
    void setVideoURL(const std::shared_ptr<NSURL>& url) { m_videoURL = url; }
    id delegate() const { return m_delegate.lock(); }
    void setDelegate(const id& delegate) { m_delegate = delegate; }

    // A crop is under way, from prepareCropVideo to its last step.
    bool isCropping() const { return m_cropping; }
    // This manager's latest export, kept until its next crop replaces it.
    std::shared_ptr<AVAssetExportSession> currentExport() const { return m_currentExport; }

private:
    void endRun(const std::string& why);

    std::shared_ptr<MarqelConfig> m_config;
    std::shared_ptr<NSURL> m_videoURL;
    std::weak_ptr<Object> m_delegate;
    // The recording this run crops: the one deleted afterwards, even if
    // another video reached the library meanwhile.
    std::string m_sourceIdentifier;
    // The recording named by noteSavedRecording, until a crop takes it.
    std::string m_savedRecording;
    bool m_keepOriginal = false;
    bool m_cropping = false;
    std::shared_ptr<AVAssetExportSession> m_currentExport;
};
