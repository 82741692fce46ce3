#include "platform/automation/ScenarioDriver.h"
#include "platform/automation/ScenarioFile.h"

#include "platform/foundation/Foundation.h"
#include "platform/photos/Photos.h"
#include "platform/replaykit/RPScreenRecorder.h"
#include "platform/springboard/NoticeCenter.h"
#include "platform/springboard/SpringBoardHost.h"
#include "platform/uikit/HapticsLog.h"
#include "platform/uikit/UIKit.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

namespace automation {

namespace {

std::vector<std::string> split(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

// Everything after the first `count` words, as written.
std::string rest(const std::string& line, std::size_t count)
{
    std::size_t pos = 0;
    for (std::size_t i = 0; i < count; ++i) {
        pos = line.find_first_not_of(" \t", pos);
        pos = line.find_first_of(" \t", pos);
        if (pos == std::string::npos)
            return "";
    }
    pos = line.find_first_not_of(" \t", pos);
    return pos == std::string::npos ? "" : line.substr(pos);
}

double number(const std::string& text)
{
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value))
        throw StepFailure("\"" + text + "\" is not a number");
    return value;
}

void need(const std::vector<std::string>& words, std::size_t count, const char* usage)
{
    if (words.size() < count)
        throw StepFailure(std::string("usage: ") + usage);
}

std::string fmt(double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

// Views on screen, front-most window first, each window's tree depth first
// with front-most subviews first.
void collect(const std::shared_ptr<UIView>& view, std::vector<std::shared_ptr<UIView>>& out)
{
    if (!view || view->isHidden())
        return;
    const auto& subviews = view->subviews();
    for (auto it = subviews.rbegin(); it != subviews.rend(); ++it)
        collect(*it, out);
    out.push_back(view);
}

std::vector<std::shared_ptr<UIView>> visibleViews()
{
    std::vector<std::shared_ptr<UIView>> out;
    auto windows = UIApplication::sharedApplication()->windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if ((*it)->isHidden())
            continue;
        (*it)->layoutIfNeeded();
        collect(*it, out);
    }
    return out;
}

bool onScreen(const std::shared_ptr<UIView>& view)
{
    for (auto v = view; v; v = v->superview())
        if (v->isHidden() || v->presentationAlpha() <= 0.01)
            return false;
    return true;
}

std::string symbolOf(const std::shared_ptr<UIView>& view)
{
    if (auto imageView = objc_cast<UIImageView>(view); imageView && imageView->image())
        return imageView->image()->symbolName();
    return "";
}

std::shared_ptr<UIAlertController> alertOnScreen()
{
    auto windows = UIApplication::sharedApplication()->windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        for (auto controller = (*it)->rootViewController(); controller; controller = controller->presentedViewController())
            if (auto alert = objc_cast<UIAlertController>(controller))
                return alert;
    }
    return nullptr;
}

// The bar a view sits in: its ancestor just below the controller's root view.
std::shared_ptr<UIView> barOf(std::shared_ptr<UIView> view)
{
    while (view && view->superview() && view->superview()->superview() && !objc_cast<UIWindow>(view->superview()->superview()))
        view = view->superview();
    return view;
}

std::shared_ptr<PHFetchResult> videos(bool trashedOnly)
{
    auto options = alloc<PHFetchOptions>();
    options->setSortDescriptors({ NSSortDescriptor::sortDescriptorWithKey("creationDate", true) });
    options->setIncludeRecentlyDeleted(trashedOnly);
    auto all = PHAsset::fetchAssetsWithMediaType(PHAssetMediaTypeVideo, options);
    if (!trashedOnly)
        return all;
    std::vector<std::shared_ptr<PHAsset>> trashed;
    for (const auto& asset : all->assets())
        if (asset->isTrashed())
            trashed.push_back(asset);
    return alloc<PHFetchResult>(std::move(trashed));
}

std::size_t cropNotices()
{
    std::size_t count = 0;
    for (const auto& notice : NoticeCenter::notices())
        if (notice.message == "Your cropped screen recording is rendered and ready.")
            ++count;
    return count;
}

const char* styleName(std::int64_t style)
{
    switch (style) {
    case UIImpactFeedbackStyleSoft: return "soft";
    case UIImpactFeedbackStyleLight: return "light";
    case UIImpactFeedbackStyleMedium: return "medium";
    case UIImpactFeedbackStyleHeavy: return "heavy";
    case UIImpactFeedbackStyleRigid: return "rigid";
    }
    return "unknown";
}

}  // namespace

ScenarioDriver::ScenarioDriver()
    : m_output([](const std::string&) {})
{
}

void ScenarioDriver::setPreferences(PreferenceWriter writer, PreferenceReader reader)
{
    m_writePreference = std::move(writer);
    m_readPreference = std::move(reader);
}

void ScenarioDriver::setSnapshotter(Snapshotter snapshotter) { m_snapshot = std::move(snapshotter); }

void ScenarioDriver::say(const std::string& line) { m_output(line); }

void ScenarioDriver::screen(double width, double height, double scale)
{
    if (SpringBoardHost::shared().isBooted())
        throw StepFailure("the screen is set before boot");
    if (!UIScreen::mainScreen()->setSize(CGSizeMake(width, height)) || !UIScreen::mainScreen()->setScale(scale))
        throw StepFailure("a screen needs a positive size and scale");
}

void ScenarioDriver::boot()
{
    if (SpringBoardHost::shared().isBooted())
        throw StepFailure("SpringBoard is already running");
    m_logMark = SystemLog::shared().lineCount();
    auto report = SpringBoardHost::shared().boot();
    if (report.loadedTweaks.empty())
        say("warning: no tweak was injected (is the tweak installed in the device root?)");
    m_hapticMark = HapticsLog::shared().count();
    m_cropNoticesSeen = cropNotices();
    RunLoop::main().drain();
}

void ScenarioDriver::invoke()
{
    NSDistributedNotificationCenter::defaultCenter()->postNotificationName("com.zorvelin.marqeltoggle/invokemarqel", nullptr);
    RunLoop::main().drain();
}

void ScenarioDriver::touch(const std::string& phase, CGPoint point)
{
    static const std::map<std::string, UITouchPhase> phases { { "down", UITouchPhaseBegan }, { "move", UITouchPhaseMoved },
        { "up", UITouchPhaseEnded }, { "cancel", UITouchPhaseCancelled } };
    auto app = UIApplication::sharedApplication();
    if (phase != "down" && !app->currentTouch())
        throw StepFailure("no finger is down");
    app->sendTouch(phases.at(phase), point);
    RunLoop::main().drain();
}

void ScenarioDriver::drag(CGPoint from, CGPoint to, int steps)
{
    if (steps < 1)
        throw StepFailure("a drag needs at least one step");
    touch("down", from);
    for (int i = 1; i <= steps; ++i) {
        double t = static_cast<double>(i) / steps;
        touch("move", CGPointMake(from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t));
    }
    touch("up", to);
}

void ScenarioDriver::tap(CGPoint point)
{
    touch("down", point);
    touch("up", point);
}

std::shared_ptr<UIView> ScenarioDriver::findSymbol(const std::string& name) const
{
    for (const auto& view : visibleViews())
        if (symbolOf(view) == name && onScreen(view))
            return view;
    return nullptr;
}

void ScenarioDriver::tapSymbol(const std::string& name)
{
    auto view = findSymbol(name);
    if (!view)
        throw StepFailure("no visible view shows the symbol \"" + name + "\"");
    CGRect bounds = view->bounds();
    tap(view->convertPointToScreen(CGPointMake(CGRectGetMidX(bounds), CGRectGetMidY(bounds))));
}

void ScenarioDriver::tapTitle(const std::string& title)
{
    if (auto alert = alertOnScreen()) {
        if (alert->tapActionWithTitle(title)) {
            RunLoop::main().drain();
            return;
        }
    }
    for (const auto& view : visibleViews()) {
        std::string text;
        if (auto button = objc_cast<UIButton>(view))
            text = button->currentTitle();
        else if (auto label = objc_cast<UILabel>(view))
            text = label->text();
        if (text == title && onScreen(view)) {
            CGRect bounds = view->bounds();
            tap(view->convertPointToScreen(CGPointMake(CGRectGetMidX(bounds), CGRectGetMidY(bounds))));
            return;
        }
    }
    throw StepFailure("nothing on screen is titled \"" + title + "\"");
}

void ScenarioDriver::type(const std::string& text)
{
    auto alert = alertOnScreen();
    if (!alert || alert->textFields().empty())
        throw StepFailure("no alert with a text field is on screen");
    alert->textFields().front()->setText(text);
}

void ScenarioDriver::wait(double seconds)
{
    if (seconds < 0)
        throw StepFailure("time only goes forward");
    RunLoop::main().runFor(seconds);
}

void ScenarioDriver::stopRecording(const std::string& how)
{
    if (how == "status-bar") {
        msgSend<void>(RPScreenRecorder::sharedRecorder(), "stopSystemRecording");
    } else if (how == "control-center") {
        auto bundle = NSBundle::bundleWithPath(RPControlCenterModule::bundlePath);
        if (bundle)
            bundle->load();
        msgSend<void>(msgSendClass<id>(objc_getClass("RPControlCenterModule"), "sharedModule"), "didStopRecordingOrBroadcast");
    } else {
        throw StepFailure("record-stop takes status-bar or control-center");
    }
    RunLoop::main().drain();
}

void ScenarioDriver::waitForCrop(double timeout)
{
    std::size_t before = m_cropNoticesSeen;
    bool done = RunLoop::main().runUntil([&] { return cropNotices() > before; }, timeout);
    RunLoop::main().drain();
    m_cropNoticesSeen = cropNotices();
    if (!done)
        throw StepFailure("no cropped movie's notice within " + fmt(timeout) + " s");
}

std::shared_ptr<UIView> ScenarioDriver::findBox() const
{
    for (const auto& view : visibleViews())
        if (std::string(view->className()) == "ResizableBox")
            return view;
    return nullptr;
}

std::shared_ptr<UIWindow> ScenarioDriver::overlayWindow() const
{
    for (const auto& window : UIApplication::sharedApplication()->windows())
        if (std::string(window->className()) == "MarqelWindow")
            return window;
    return nullptr;
}

void ScenarioDriver::expect(const std::vector<std::string>& w)
{
    need(w, 2, "expect WHAT ...");
    const std::string& what = w[1];
    auto fail = [&](const std::string& expected, const std::string& found) {
        throw StepFailure("expected " + expected + ", found " + found);
    };
    if (what == "box") {
        need(w, 6, "expect box X Y W H");
        auto box = findBox();
        if (!box)
            fail("a crop box on screen", "none");
        CGRect f = box->frame();
        double want[4] = { number(w[2]), number(w[3]), number(w[4]), number(w[5]) };
        double got[4] = { f.origin.x, f.origin.y, f.size.width, f.size.height };
        for (int i = 0; i < 4; ++i)
            if (std::fabs(want[i] - got[i]) > 1e-3)
                fail("box " + w[2] + " " + w[3] + " " + w[4] + " " + w[5], "box " + fmt(got[0]) + " " + fmt(got[1]) + " " + fmt(got[2]) + " " + fmt(got[3]));
    } else if (what == "pref") {
        need(w, 4, "expect pref KEY VALUE");
        if (!m_readPreference)
            throw StepFailure("preferences are not available in this runner");
        auto value = m_readPreference(w[2]);
        if (!value)
            throw StepFailure("unknown preference key " + w[2]);
        if (*value != w[3])
            fail(w[2] + " = " + w[3], w[2] + " = " + *value);
    } else if (what == "log" || what == "no-log") {
        need(w, 3, "expect log TEXT");
        std::string text = w[2];
        for (std::size_t i = 3; i < w.size(); ++i)
            text += " " + w[i];
        bool seen = false;
        for (const auto& line : SystemLog::shared().lines(m_logMark))
            seen = seen || line.find(text) != std::string::npos;
        if (what == "log" && !seen)
            fail("a log line containing \"" + text + "\"", "none");
        if (what == "no-log" && seen)
            fail("no log line containing \"" + text + "\"", "one");
    } else if (what == "haptic" || what == "haptics") {
        need(w, 3, "expect haptic STYLE");
        auto impacts = HapticsLog::shared().impacts();
        std::vector<HapticImpact> since(impacts.begin() + static_cast<long>(std::min(m_hapticMark, impacts.size())), impacts.end());
        m_hapticMark = impacts.size();
        if (what == "haptics") {
            if (since.size() != static_cast<std::size_t>(number(w[2])))
                fail(w[2] + " impacts", std::to_string(since.size()));
        } else {
            std::string found = since.empty() ? "none" : styleName(since.back().style);
            if (found != w[2])
                fail("haptic " + w[2], "haptic " + found);
        }
    } else if (what == "toolbars") {
        need(w, 3, "expect toolbars ALPHA");
        auto top = barOf(findSymbol("xmark"));
        auto bottom = barOf(findSymbol("record.circle"));
        if (!top || !bottom) {
            // A bar at alpha 0 hides its symbols; look the bars up through the box.
            auto box = findBox();
            auto root = box ? box->superview() : nullptr;
            if (!root || root->subviews().size() < 4)
                fail("the overlay's tool bars", "none");
            top = root->subviews()[2];
            bottom = root->subviews()[3];
        }
        double want = number(w[2]);
        if (std::fabs(top->presentationAlpha() - want) > 0.01 || std::fabs(bottom->presentationAlpha() - want) > 0.01)
            fail("tool bars at alpha " + w[2], "top " + fmt(top->presentationAlpha()) + ", bottom " + fmt(bottom->presentationAlpha()));
    } else if (what == "window") {
        need(w, 3, "expect window ALPHA");
        auto window = overlayWindow();
        if (!window)
            fail("the overlay window", "none");
        if (std::fabs(window->presentationAlpha() - number(w[2])) > 0.01)
            fail("window alpha " + w[2], fmt(window->presentationAlpha()));
    } else if (what == "readout") {
        need(w, 3, "expect readout TEXT|hidden");
        auto box = findBox();
        std::shared_ptr<UILabel> label;
        for (const auto& view : box ? box->subviews() : std::vector<std::shared_ptr<UIView>> {})
            if (auto l = objc_cast<UILabel>(view))
                label = l;
        if (!label)
            fail("a read-out in the box", "none");
        std::string want = w[2];
        for (std::size_t i = 3; i < w.size(); ++i)
            want += " " + w[i];
        bool visible = label->presentationAlpha() > 0.01;
        std::string found = visible ? label->text() : "hidden";
        if (found != want)
            fail("read-out " + want, found);
    } else if (what == "dash") {
        need(w, 3, "expect dash solid|A,B");
        auto box = findBox();
        std::shared_ptr<CAShapeLayer> outline;
        for (const auto& layer : box ? box->layer()->sublayers() : std::vector<std::shared_ptr<CALayer>> {})
            if (auto shape = std::dynamic_pointer_cast<CAShapeLayer>(layer))
                outline = shape;
        if (!outline)
            fail("the box's outline", "none");
        std::string found;
        for (int v : outline->lineDashPattern())
            found += (found.empty() ? "" : ",") + std::to_string(v);
        if (found.empty())
            found = "solid";
        if (found != w[2])
            fail("dash " + w[2], "dash " + found);
    } else if (what == "symbol") {
        need(w, 3, "expect symbol NAME");
        if (!findSymbol(w[2]))
            fail("a visible view showing \"" + w[2] + "\"", "none");
    } else if (what == "recording") {
        need(w, 3, "expect recording on|off");
        bool on = objc_cast<RPScreenRecorder>(RPScreenRecorder::sharedRecorder())->isRecording();
        if ((w[2] == "on") != on)
            fail("recording " + w[2], on ? "on" : "off");
    } else if (what == "library" || what == "deleted") {
        need(w, 3, "expect library N");
        auto count = videos(what == "deleted")->count();
        if (count != static_cast<std::int64_t>(number(w[2])))
            fail(w[2] + (what == "library" ? " videos in the library" : " videos in Recently Deleted"), std::to_string(count));
    } else if (what == "notice") {
        need(w, 3, "expect notice TEXT");
        std::string text = w[2];
        for (std::size_t i = 3; i < w.size(); ++i)
            text += " " + w[i];
        bool seen = false;
        for (const auto& notice : NoticeCenter::notices())
            seen = seen || notice.title.find(text) != std::string::npos || notice.message.find(text) != std::string::npos;
        if (!seen)
            fail("a notice containing \"" + text + "\"", std::to_string(NoticeCenter::notices().size()) + " notices without it");
    } else if (what == "log-count") {
        need(w, 4, "expect log-count N TEXT");
        std::string text = w[3];
        for (std::size_t i = 4; i < w.size(); ++i)
            text += " " + w[i];
        std::size_t count = 0;
        for (const auto& line : SystemLog::shared().lines(m_logMark))
            count += line.find(text) != std::string::npos;
        if (count != static_cast<std::size_t>(number(w[2])))
            fail(w[2] + " log lines containing \"" + text + "\"", std::to_string(count));
    } else if (what == "launched") {
        need(w, 3, "expect launched BUNDLE");
        auto launches = NoticeCenter::launches();
        if (launches.empty() || launches.back() != w[2])
            fail("a launch of " + w[2], launches.empty() ? "none" : launches.back());
    } else if (what == "completion-notices") {
        // Every completion notice as built: fields in order, three fresh
        // identifiers each, none shared between notices, published on the
        // server's queue to the four lowest destinations.
        need(w, 3, "expect completion-notices N");
        static const std::string order = "setTitle:,setMessage:,setSectionID:,setBulletinID:,setRecordID:,setPublisherBulletinID:,"
                                         "setDate:,setDefaultAction:,setClearable:,setShowsMessagePreview:,setPublicationDate:,setLastInterruptDate:";
        std::set<std::string> identifiers;
        std::size_t count = 0;
        for (const auto& n : NoticeCenter::notices()) {
            if (n.section != "com.apple.mobileslideshow")
                continue;
            ++count;
            if (n.title != "Marqel" || n.message != "Your cropped screen recording is rendered and ready.")
                fail("the completion notice's title and message", n.title + ": " + n.message);
            if (n.setters != order)
                fail("the fields set in order " + order, n.setters);
            if (n.launchBundleID != "com.apple.mobileslideshow")
                fail("a tap that opens Photos", "\"" + n.launchBundleID + "\"");
            if (n.destinations != 15 || !n.onServerQueue)
                fail("destinations 15 on the server's queue", std::to_string(n.destinations) + (n.onServerQueue ? " on" : " off") + " the queue");
            for (const auto* id : { &n.bulletinID, &n.recordID, &n.publisherBulletinID })
                if (id->empty() || !identifiers.insert(*id).second)
                    fail("fresh, distinct identifiers", "\"" + *id + "\" again");
        }
        if (count != static_cast<std::size_t>(number(w[2])))
            fail(w[2] + " completion notices", std::to_string(count));
    } else if (what == "notices") {
        need(w, 3, "expect notices N");
        auto count = NoticeCenter::notices().size();
        if (count != static_cast<std::size_t>(number(w[2])))
            fail(w[2] + " notices", std::to_string(count));
    } else if (what == "video") {
        need(w, 4, "expect video W H");
        auto newest = videos(false)->lastObject();
        if (!newest)
            fail("a video in the library", "none");
        if (newest->pixelWidth() != static_cast<std::int64_t>(number(w[2])) || newest->pixelHeight() != static_cast<std::int64_t>(number(w[3])))
            fail("video " + w[2] + " x " + w[3], "video " + std::to_string(newest->pixelWidth()) + " x " + std::to_string(newest->pixelHeight()));
    } else {
        throw StepFailure("unknown expectation \"" + what + "\"");
    }
}

void ScenarioDriver::runStep(const std::string& line)
{
    auto w = split(line);
    if (w.empty())
        return;
    const std::string& step = w[0];
    if (step == "screen") {
        need(w, 2, "screen WxH@SCALE");
        double width = 0, height = 0, scale = 0;
        if (std::sscanf(w[1].c_str(), "%lfx%lf@%lf", &width, &height, &scale) != 3)
            throw StepFailure("usage: screen WxH@SCALE, e.g. screen 390x844@3");
        screen(width, height, scale);
    } else if (step == "pref") {
        need(w, 3, "pref KEY VALUE");
        if (!m_writePreference)
            throw StepFailure("preferences are not available in this runner");
        if (auto error = m_writePreference(w[1], rest(line, 2)); !error.empty())
            throw StepFailure(error);
    } else if (step == "boot") {
        boot();
    } else if (step == "invoke") {
        invoke();
    } else if (step == "down" || step == "move" || step == "up") {
        need(w, 3, "down|move|up X Y");
        touch(step, CGPointMake(number(w[1]), number(w[2])));
    } else if (step == "cancel") {
        touch("cancel", UIApplication::sharedApplication()->currentTouch() ? UIApplication::sharedApplication()->currentTouch()->locationInView(nullptr) : CGPointZero);
    } else if (step == "drag") {
        need(w, 5, "drag X1 Y1 X2 Y2 [STEPS]");
        drag(CGPointMake(number(w[1]), number(w[2])), CGPointMake(number(w[3]), number(w[4])), w.size() > 5 ? static_cast<int>(number(w[5])) : 10);
    } else if (step == "tap") {
        need(w, 3, "tap X Y");
        tap(CGPointMake(number(w[1]), number(w[2])));
    } else if (step == "tap-symbol") {
        need(w, 2, "tap-symbol NAME");
        tapSymbol(w[1]);
    } else if (step == "tap-title") {
        need(w, 2, "tap-title TEXT");
        tapTitle(rest(line, 1));
    } else if (step == "type") {
        type(rest(line, 1));
    } else if (step == "wait") {
        need(w, 2, "wait SECONDS");
        wait(number(w[1]));
    } else if (step == "record-start") {
        // The system's own Control Center button, without the overlay.
        bool microphone = w.size() > 1 && w[1] == "mic";
        msgSend<void>(RPScreenRecorder::sharedRecorder(), "startSystemRecordingWithMicrophoneEnabled:handler:", microphone,
            RPScreenRecorder::StartHandler());
        RunLoop::main().drain();
    } else if (step == "replaykit-notices") {
        need(w, 2, "replaykit-notices dispatcher|bulletin-server|both");
        if (w[1] == "dispatcher")
            SpringBoardHost::shared().setReplayKitNotices(SpringBoardHost::ReplayKitNotices::ThroughDispatcher);
        else if (w[1] == "bulletin-server")
            SpringBoardHost::shared().setReplayKitNotices(SpringBoardHost::ReplayKitNotices::ThroughBulletinServer);
        else if (w[1] == "both")
            SpringBoardHost::shared().setReplayKitNotices(SpringBoardHost::ReplayKitNotices::ThroughBoth);
        else
            throw StepFailure("replaykit-notices takes dispatcher, bulletin-server or both");
    } else if (step == "tap-notice") {
        need(w, 2, "tap-notice TEXT");
        std::string text = rest(line, 1);
        auto all = NoticeCenter::notices();
        for (std::size_t i = all.size(); i-- > 0;) {
            if (all[i].title.find(text) != std::string::npos || all[i].message.find(text) != std::string::npos) {
                if (auto tapped = NoticeCenter::shared().tap(i); !tapped)
                    throw StepFailure(tapped.message());
                RunLoop::main().drain();
                return;
            }
        }
        throw StepFailure("no notice contains \"" + text + "\"");
    } else if (step == "record-stop") {
        stopRecording(w.size() > 1 ? w[1] : "status-bar");
    } else if (step == "wait-crop") {
        waitForCrop(w.size() > 1 ? number(w[1]) : 60);
    } else if (step == "snapshot") {
        need(w, 2, "snapshot FILE.png");
        if (!m_snapshot)
            throw StepFailure("snapshots are not available in this runner");
        if (auto error = m_snapshot(rest(line, 1)); !error.empty())
            throw StepFailure(error);
    } else if (step == "expect") {
        expect(w);
    } else {
        throw StepFailure("unknown step \"" + step + "\"");
    }
}

}  // namespace automation
