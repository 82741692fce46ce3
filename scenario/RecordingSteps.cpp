#include "scenario/RecordingSteps.h"

#include "platform/automation/ScenarioDriver.h"
#include "platform/automation/StepContext.h"
#include "platform/foundation/Foundation.h"
#include "platform/replaykit/RPScreenRecorder.h"
#include "platform/springboard/NoticeCenter.h"
#include "platform/springboard/ScreenRecordingControl.h"
#include "platform/springboard/SpringBoardHost.h"
#include "scenario/RecordingQueries.h"

#include <cstdio>
#include <set>

namespace scenario {

using automation::StepContext;
using foundation::Error;
using foundation::ErrorCode;
using foundation::Status;

namespace {

bool mentions(const Notice& notice, const std::string& text)
{
    return notice.title.find(text) != std::string::npos || notice.message.find(text) != std::string::npos;
}

Status expectRecording(StepContext& c)
{
    TRY(c.driver().requireHost(automation::ScenarioDriver::springBoard, "expect recording"));
    TRY(c.need(1));
    if (c.argument(0) != "on" && c.argument(0) != "off")
        return Error { ErrorCode::InvalidArgument, "usage: " + c.usage() };
    bool on = objc_cast<RPScreenRecorder>(RPScreenRecorder::sharedRecorder())->isRecording();
    if ((c.argument(0) == "on") != on)
        return StepContext::mismatch("recording " + c.argument(0), on ? "on" : "off");
    return {};
}

Status expectVideoCount(StepContext& c, Videos which)
{
    TRY(c.need(1));
    return c.expectCount(0, static_cast<std::size_t>(videos(which)->count()),
        which == Videos::InLibrary ? "videos in the library" : "videos in Recently Deleted");
}

Status expectVideo(StepContext& c)
{
    TRY(c.need(2));
    auto width = TRY(c.count(0));
    auto height = TRY(c.count(1));
    auto newest = videos(Videos::InLibrary)->lastObject();
    if (!newest)
        return StepContext::mismatch("a video in the library", "none");
    if (newest->pixelWidth() != width || newest->pixelHeight() != height)
        return StepContext::mismatch("video " + c.argument(0) + " x " + c.argument(1),
            "video " + std::to_string(newest->pixelWidth()) + " x " + std::to_string(newest->pixelHeight()));
    return {};
}

Status expectNotice(StepContext& c)
{
    TRY(c.driver().requireHost(automation::ScenarioDriver::springBoard, "expect notice"));
    TRY(c.need(1));
    std::string text = c.joined(0);
    auto notices = NoticeCenter::notices();
    for (const auto& notice : notices)
        if (mentions(notice, text))
            return {};
    return StepContext::mismatch("a notice containing \"" + text + "\"", std::to_string(notices.size()) + " notices without it");
}

// Every completion notice as built: fields in order, three fresh
// identifiers each, none shared between notices, published on the server's
// queue to the four lowest destinations, opening Photos on a tap.
Status expectCompletionNotices(StepContext& c)
{
    namespace form = completionNotice;
    TRY(c.driver().requireHost(automation::ScenarioDriver::springBoard, "expect completion-notices"));
    TRY(c.need(1));
    TRY(c.count(0));
    std::set<std::string> identifiers;
    std::size_t count = 0;
    for (const auto& n : NoticeCenter::notices()) {
        if (n.section != form::section)
            continue;
        ++count;
        if (n.title != form::title || n.message != form::message)
            return StepContext::mismatch("the completion notice's title and message", n.title + ": " + n.message);
        if (n.setters != form::setterOrder)
            return StepContext::mismatch(std::string("the fields set in order ") + form::setterOrder, n.setters);
        if (n.launchBundleID != form::opens)
            return StepContext::mismatch("a tap that opens Photos", "\"" + n.launchBundleID + "\"");
        if (n.destinations != form::destinations || !n.onServerQueue)
            return StepContext::mismatch("destinations " + std::to_string(form::destinations) + " on the server's queue",
                std::to_string(n.destinations) + (n.onServerQueue ? " on" : " off") + " the queue");
        for (const auto* id : { &n.bulletinID, &n.recordID, &n.publisherBulletinID })
            if (id->empty() || !identifiers.insert(*id).second)
                return StepContext::mismatch("fresh, distinct identifiers", "\"" + *id + "\" again");
    }
    return c.expectCount(0, count, "completion notices");
}

Status expectLaunched(StepContext& c)
{
    TRY(c.driver().requireHost(automation::ScenarioDriver::springBoard, "expect launched"));
    TRY(c.need(1));
    auto launches = NoticeCenter::launches();
    if (launches.empty() || launches.back() != c.argument(0))
        return StepContext::mismatch("a launch of " + c.argument(0), launches.empty() ? "none" : launches.back());
    return {};
}

}  // namespace

RecordingSteps::RecordingSteps()
    : m_marks(std::make_shared<Marks>())
{
}

Status RecordingSteps::startSystemRecording(bool microphone)
{
    std::string refusal;
    ScreenRecordingControl::start(microphone, [&refusal](const std::string& why) { refusal = why; });
    RunLoop::main().drain();
    if (!refusal.empty())
        return Error { ErrorCode::Failed, "the system recording did not start: " + refusal };
    return {};
}

Status RecordingSteps::stopRecording(const std::string& how)
{
    if (how == "status-bar")
        ScreenRecordingControl::stopFromStatusBar();
    else if (how == "control-center")
        ScreenRecordingControl::stopFromControlCenter();
    else
        return Error { ErrorCode::InvalidArgument, "record-stop takes status-bar or control-center" };
    RunLoop::main().drain();
    return {};
}

Status RecordingSteps::waitForCrop(double timeout)
{
    if (timeout < 0)
        return Error { ErrorCode::InvalidArgument, "time only goes forward" };
    std::size_t before = m_marks->completionNoticesSeen;
    bool done = RunLoop::main().runUntil([&] { return completionNoticeCount() > before; }, timeout);
    RunLoop::main().drain();
    m_marks->completionNoticesSeen = completionNoticeCount();
    if (!done) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%g", timeout);
        return Error { ErrorCode::Failed, std::string("no cropped movie's notice within ") + seconds + " s" };
    }
    return {};
}

Status RecordingSteps::tapNotice(const std::string& text)
{
    auto all = NoticeCenter::notices();
    for (std::size_t i = all.size(); i-- > 0;) {
        if (mentions(all[i], text)) {
            auto tapped = NoticeCenter::shared().tap(i);
            if (!tapped)
                return tapped.error();
            RunLoop::main().drain();
            return {};
        }
    }
    return Error { ErrorCode::NotFound, "no notice contains \"" + text + "\"" };
}

Status RecordingSteps::setReplayKitNotices(const std::string& route)
{
    using Route = SpringBoardHost::ReplayKitNotices;
    if (route == "dispatcher")
        SpringBoardHost::shared().setReplayKitNotices(Route::ThroughDispatcher);
    else if (route == "bulletin-server")
        SpringBoardHost::shared().setReplayKitNotices(Route::ThroughBulletinServer);
    else if (route == "both")
        SpringBoardHost::shared().setReplayKitNotices(Route::ThroughBoth);
    else
        return Error { ErrorCode::InvalidArgument, "replaykit-notices takes dispatcher, bulletin-server or both" };
    return {};
}

foundation::Result<RecordingSteps> RecordingSteps::registerOn(automation::ScenarioDriver& d)
{
    RecordingSteps steps;
    // A previous session on the same device root may have left notices.
    d.addBootObserver([marks = steps.m_marks] { marks->completionNoticesSeen = completionNoticeCount(); });
    TRY(d.registerStep("record-start", "record-start [mic]", [steps](StepContext& c) mutable -> Status {
        if (c.has(0) && c.argument(0) != "mic")
            return Error { ErrorCode::InvalidArgument, "usage: " + c.usage() };
        TRY(c.driver().requireSpringBoard("record-start"));
        return steps.startSystemRecording(c.has(0));
    }));
    TRY(d.registerStep("record-stop", "record-stop [status-bar|control-center]", [steps](StepContext& c) mutable -> Status {
        TRY(c.driver().requireHost(automation::ScenarioDriver::springBoard, "record-stop"));
        return steps.stopRecording(c.has(0) ? c.argument(0) : "status-bar");
    }));
    TRY(d.registerStep("wait-crop", "wait-crop [TIMEOUT]", [steps](StepContext& c) mutable -> Status {
        TRY(c.driver().requireHost(automation::ScenarioDriver::springBoard, "wait-crop"));
        double timeout = c.has(0) ? TRY(c.number(0)) : 60;
        TRY(c.driver().checkWait(timeout, "wait-crop"));
        return steps.waitForCrop(timeout);
    }));
    TRY(d.registerStep("tap-notice", "tap-notice TEXT", [steps](StepContext& c) mutable -> Status {
        TRY(c.driver().requireHost(automation::ScenarioDriver::springBoard, "tap-notice"));
        TRY(c.need(1));
        return steps.tapNotice(c.rest(0));
    }));
    TRY(d.registerStep("replaykit-notices", "replaykit-notices dispatcher|bulletin-server|both", [steps](StepContext& c) mutable -> Status {
        TRY(c.need(1));
        return steps.setReplayKitNotices(c.argument(0));
    }));
    TRY(d.registerExpectation("recording", "expect recording on|off", expectRecording));
    TRY(d.registerExpectation("library", "expect library N", [](StepContext& c) { return expectVideoCount(c, Videos::InLibrary); }));
    TRY(d.registerExpectation("deleted", "expect deleted N", [](StepContext& c) { return expectVideoCount(c, Videos::RecentlyDeleted); }));
    TRY(d.registerExpectation("video", "expect video W H", expectVideo));
    TRY(d.registerExpectation("notice", "expect notice TEXT", expectNotice));
    TRY(d.registerExpectation("completion-notices", "expect completion-notices N", expectCompletionNotices));
    TRY(d.registerExpectation("launched", "expect launched BUNDLE", expectLaunched));
    return steps;
}

}  // namespace scenario
