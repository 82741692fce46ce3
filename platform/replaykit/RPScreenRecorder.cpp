#include "platform/replaykit/RPScreenRecorder.h"

#include "platform/av/MovieWriter.h"
#include "platform/foundation/Foundation.h"
#include "platform/replaykit/TestPattern.h"

MARQEL_DEFINE_CLASS(RPScreenRecorder,
    classMethod<&RPScreenRecorder::sharedRecorder>("sharedRecorder"),
    method<&RPScreenRecorder::startSystemRecordingWithMicrophoneEnabled>("startSystemRecordingWithMicrophoneEnabled:handler:"),
    method<&RPScreenRecorder::stopSystemRecording>("stopSystemRecording"),
    method<&RPScreenRecorder::recordingDidStopWithError>("recordingDidStopWithError:movieURL:"),
    method<&RPScreenRecorder::isRecording>("isRecording"))

MARQEL_DEFINE_CLASS_LAZY(RPControlCenterModule,
    classMethod<&RPControlCenterModule::sharedModule>("sharedModule"),
    method<&RPControlCenterModule::didStopRecordingOrBroadcast>("didStopRecordingOrBroadcast"))

namespace {
constexpr const char* errorDomain = "com.apple.ReplayKit.RPRecordingErrorDomain";
// Frames waiting for the encoder beyond this are not captured anew: the
// last one is repeated, so a slow encoder never piles up whole screens.
constexpr int maxFramesInFlight = 4;
}  // namespace

RPScreenRecorder::RPScreenRecorder()
    : m_encoderQueue(dispatch_queue_create("com.apple.replaykit.encoder"))
{
}

RPScreenRecorder::~RPScreenRecorder() = default;

id RPScreenRecorder::sharedRecorder()
{
    static auto* instance = new std::shared_ptr<RPScreenRecorder>(alloc<RPScreenRecorder>());
    return *instance;
}

void RPScreenRecorder::setScreenSize(int pixelWidth, int pixelHeight)
{
    m_width = pixelWidth & ~1;  // H.264 4:2:0 needs even sides
    m_height = pixelHeight & ~1;
    m_wallpaper.reset();
}

void RPScreenRecorder::setScreenSource(ScreenSource source) { m_source = std::move(source); }
void RPScreenRecorder::setFinishedMovieHandler(FinishedMovieHandler handler) { m_finished = std::move(handler); }

void RPScreenRecorder::addRecordingObserver(std::function<void()> observer)
{
    if (observer)
        m_recordingObservers.push_back(std::move(observer));
}

void RPScreenRecorder::recordingChanged() const
{
    // An observer may add another: call over a copy.
    auto observers = m_recordingObservers;
    for (const auto& observer : observers)
        observer();
}

std::int64_t RPScreenRecorder::framesRecorded() const { return m_framesCaptured; }

std::shared_ptr<const ScreenFrame> RPScreenRecorder::capture()
{
    if (m_source) {
        auto frame = m_source();
        if (frame && frame->width >= m_width && frame->height >= m_height)
            return frame;
    }
    if (!m_wallpaper)
        m_wallpaper = TestPattern::make(m_width, m_height);
    return m_wallpaper;
}

void RPScreenRecorder::startSystemRecordingWithMicrophoneEnabled(bool microphoneEnabled, StartHandler handler)
{
    if (m_recording) {
        if (handler)
            handler(NSError::make(errorDomain, -5805, "A recording is already in progress."));
        return;
    }
    std::string folder = "/var/mobile/Library/ReplayKit";
    NSFileManager::defaultManager()->createDirectoryAtPath(folder);
    m_moviePath = folder + "/RPScreenRecording-" + NSProcessInfo::processInfo()->globallyUniqueString() + ".mov";
    auto writer = std::make_shared<av::MovieWriter>();
    auto hostPath = DevicePath::toHost(m_moviePath);
    foundation::Status status = hostPath ? writer->open(hostPath.value(), m_width, m_height, framesPerSecond, microphoneEnabled, av::PixelOrder::RGBA)
                                         : foundation::Status(hostPath.error());
    if (!status) {
        if (handler)
            handler(NSError::make(errorDomain, -5803, "The recording could not start: " + status.error().message));
        return;
    }
    m_writer = writer;
    m_encoderStatus = std::make_shared<foundation::Status>();
    m_recording = true;
    m_microphone = microphoneEnabled;
    m_startTime = RunLoop::main().now();
    m_framesCaptured = 0;
    std::uint64_t generation = ++m_generation;
    NSLog("ReplayKit: recording started (%dx%d, microphone %s)", m_width, m_height, microphoneEnabled ? "on" : "off");
    if (handler)
        handler(nullptr);
    tick(generation);
    recordingChanged();
}

void RPScreenRecorder::tick(std::uint64_t generation)
{
    if (!m_recording || generation != m_generation)
        return;
    auto frame = capture();
    auto writer = m_writer;
    auto encoderStatus = m_encoderStatus;
    dispatch_async(m_encoderQueue, [writer, frame, encoderStatus] {
        if (*encoderStatus)
            *encoderStatus = writer->appendFrame(frame->pixels.data(), frame->stride());
    });
    ++m_framesCaptured;
    // Frames are due at fixed times from the start, so none drift.
    double next = m_startTime + static_cast<double>(m_framesCaptured) / framesPerSecond;
    auto self = retained<RPScreenRecorder>();
    RunLoop::main().schedule(next, [self, generation] { self->tick(generation); });
}

void RPScreenRecorder::stopSystemRecording()
{
    if (!m_recording)
        return;
    m_recording = false;
    ++m_generation;
    recordingChanged();
    auto writer = m_writer;
    auto encoderStatus = m_encoderStatus;
    std::string moviePath = m_moviePath;
    auto self = retained<RPScreenRecorder>();
    dispatch_async(m_encoderQueue, [self, writer, encoderStatus, moviePath] {
        // The first failure wins: once a frame is lost the movie is not kept.
        if (*encoderStatus)
            *encoderStatus = writer->finish();
        else
            writer->discard();
        dispatch_async(dispatch_get_main_queue(), [self, encoderStatus, moviePath] {
            if (!*encoderStatus) {
                const std::string& why = encoderStatus->message();
                NSLog("ReplayKit: the recording could not be saved: %@", why);
                msgSend<void>(self, "recordingDidStopWithError:movieURL:", id(NSError::make(errorDomain, -5824, why)), id());
                return;
            }
            NSLog("ReplayKit: recording stopped, %lld frames", static_cast<long long>(self->framesRecorded()));
            msgSend<void>(self, "recordingDidStopWithError:movieURL:", id(), id(NSURL::fileURLWithPath(moviePath)));
            if (self->m_finished)
                self->m_finished(moviePath);
        });
    });
}

void RPScreenRecorder::recordingDidStopWithError(id, id) { }

id RPControlCenterModule::sharedModule()
{
    static auto* instance = new std::shared_ptr<RPControlCenterModule>(alloc<RPControlCenterModule>());
    return *instance;
}

void RPControlCenterModule::didStopRecordingOrBroadcast()
{
    msgSend<void>(RPScreenRecorder::sharedRecorder(), "stopSystemRecording");
}

namespace replaykit {
void registerControlCenterBundle()
{
    NSBundle::registerLoader(RPControlCenterModule::bundlePath, [] {
        RPControlCenterModule::classObject();
        return true;
    });
}
}  // namespace replaykit
