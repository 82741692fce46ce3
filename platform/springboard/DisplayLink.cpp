#include "platform/springboard/DisplayLink.h"

#include "platform/foundation/Foundation.h"
#include "platform/render/Compositor.h"
#include "platform/render/Window.h"
#include "platform/replaykit/RPScreenRecorder.h"
#include "platform/springboard/controlcenter/ControlCenter.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UITraitCollection.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

#include <poll.h>
#include <set>
#include <unistd.h>

using foundation::Error;
using foundation::ErrorCode;

namespace {

// What the window's controller in front asks of the status bar: the root's
// preference, or that of a controller it presents over the full screen
// (a sheet or an alert leaves it to what is beneath).
bool wantsLightStatusBar(const UIWindow& window)
{
    auto controller = window.rootViewController();
    if (!controller)
        return UITraitCollection::systemUserInterfaceStyle() == UIUserInterfaceStyleDark;
    for (auto presented = controller->presentedViewController(); presented; presented = presented->presentedViewController()) {
        auto style = presented->modalPresentationStyle();
        if (style != UIModalPresentationFullScreen && style != UIModalPresentationOverFullScreen)
            break;
        controller = presented;
    }
    switch (controller->preferredStatusBarStyle()) {
    case UIStatusBarStyleLightContent:
        return true;
    case UIStatusBarStyleDarkContent:
        return false;
    default:
        return UITraitCollection::systemUserInterfaceStyle() == UIUserInterfaceStyleDark;
    }
}

}  // namespace

foundation::Result<std::unique_ptr<DisplayLink>> DisplayLink::connect(const std::string& socketPath, display::ProcessRole role,
    const std::string& bundleIdentifier)
{
    auto client = display::DisplayClient::connect(socketPath, { role, static_cast<std::int32_t>(::getpid()), bundleIdentifier });
    if (!client)
        return Error { client.code(), "cannot reach the display at " + socketPath + ": " + client.message() };
    return std::unique_ptr<DisplayLink>(new DisplayLink(client.release()));
}

DisplayLink::DisplayLink(std::unique_ptr<display::DisplayClient> client)
    : m_client(std::move(client))
{
    display::DisplayClient::Handlers handlers;
    handlers.touch = [](const display::Touch& touch) {
        static constexpr UITouchPhase phases[] = { UITouchPhaseBegan, UITouchPhaseMoved, UITouchPhaseEnded, UITouchPhaseCancelled };
        UIApplication::sharedApplication()->sendTouch(phases[static_cast<int>(touch.phase)], touch.point);
    };
    handlers.key = [this](const display::Key& key) { handleKey(key); };
    handlers.text = [](const display::Text& text) { UIApplication::sharedApplication()->insertText(text.text); };
    handlers.lifecycle = [this](const display::Lifecycle& lifecycle) {
        if (lifecycle.action == display::LifecycleAction::Terminate)
            m_finished = true;
        if (m_screenUse && (lifecycle.action == display::LifecycleAction::ToFront || lifecycle.action == display::LifecycleAction::Home)) {
            m_screenUse->appInFront = lifecycle.action == display::LifecycleAction::ToFront;
            askForScreen(*m_client, *m_screenUse);
        }
        if (m_lifecycle)
            m_lifecycle(lifecycle);
    };
    handlers.advance = [this](const display::Advance& advance) {
        RunLoop::main().runFor(advance.seconds);
        if (auto published = publishWindows(); !published)
            NSLog("display: windows not published: %@", published.message());
        if (auto sent = m_client->send(display::Reached { RunLoop::main().now() }); !sent)
            m_finished = true;
    };
    handlers.statusBarStyle = [this](const display::StatusBarStyle& style) {
        if (m_statusBarStyle)
            m_statusBarStyle(style.lightContent == 1);
    };
    handlers.step = [this](const display::Step& step) {
        display::StepDone done;
        if (!m_stepRunner) {
            done.outcome = display::StepOutcome::NotHere;
            done.message = "this process plays no steps";
        } else if (auto status = m_stepRunner(step.text); !status) {
            done.outcome = status.code() == ErrorCode::NotFound ? display::StepOutcome::NotHere : display::StepOutcome::Failed;
            done.message = status.message().substr(0, display::maxStepTextSize);
        }
        if (auto published = publishWindows(); !published)
            NSLog("display: windows not published: %@", published.message());
        if (auto sent = m_client->send(std::move(done)); !sent)
            m_finished = true;
    };
    m_client->setHandlers(std::move(handlers));
}

void DisplayLink::seeTheWholeDisplay(RPScreenRecorder& recorder)
{
    std::weak_ptr<display::DisplayClient> client = m_client;
    ScreenSource source = [client, own = render::Compositor::shared().screenSource()]() -> std::shared_ptr<const ScreenFrame> {
        if (!RunLoop::main().isMainThread())
            return nullptr;
        if (auto link = client.lock())
            if (auto frame = link->screen())
                return frame;
        return own();
    };
    recorder.setScreenSource(source);
    ControlCenter::shared().setScreenSource(source);
    m_screenUse = std::make_shared<ScreenUse>();
    // The recorder is the process's one, alive as long as the process.
    recorder.addRecordingObserver([client, use = m_screenUse, recording = &recorder] {
        use->recording = recording->isRecording();
        if (auto link = client.lock())
            askForScreen(*link, *use);
    });
}

void DisplayLink::askForScreen(display::DisplayClient& client, ScreenUse& use)
{
    const bool wanted = use.recording || use.appInFront;
    if (wanted == use.asked)
        return;
    if (auto asked = client.shareScreen(wanted); !asked) {
        NSLog("display: the screen's pictures could not be asked for: %@", asked.message());
        return;
    }
    use.asked = wanted;
}

void DisplayLink::handleKey(const display::Key& key)
{
    if (key.phase != display::KeyPhase::Down)
        return;
    render::Window::KeyEvent event { key.keycode, key.scancode, key.modifiers, false, key.name };
    if (UIApplication::sharedApplication()->sendKeyPress(render::Window::uiKey(event)))
        return;
    if (m_shortcut && m_shortcut(key.name))
        return;
    if (auto sent = m_client->send(display::KeyNotTaken { key }); !sent)
        NSLog("display: the %@ key could not be handed back: %@", key.name, sent.message());
}

foundation::Status DisplayLink::publishWindows()
{
    const double scale = UIScreen::mainScreen()->scale();
    std::set<std::uint32_t> shown;
    for (const auto& picture : render::Compositor::shared().renderEachWindow()) {
        if (!picture.picture || !picture.picture->isValid() || picture.frame.size.width <= 0 || picture.frame.size.height <= 0)
            continue;
        // Ids start at 1: the protocol keeps 0 for no window.
        auto id = static_cast<std::uint32_t>(picture.window->creationOrder() + 1);
        shown.insert(id);
        bool keyWindow = picture.window->isKeyWindow();
        bool light = keyWindow && wantsLightStatusBar(*picture.window);
        auto [it, fresh] = m_windows.try_emplace(id);
        Published& state = it->second;
        if (picture.changed || fresh || state.keyWindow != keyWindow || state.lightContent != light)
            state.pending = true;
        state.keyWindow = keyWindow;
        state.lightContent = light;
        // The display may still read both buffers: the newest picture goes
        // at the next chance, never over one being shown.
        if (!state.pending || !m_client->canPublish(id))
            continue;
        display::DisplayClient::WindowState published { picture.window->windowLevel(), picture.frame, scale, false, keyWindow,
            light };
        TRY(m_client->publish(id, published, *picture.picture));
        state.pending = false;
        ++m_published;
    }
    for (auto it = m_windows.begin(); it != m_windows.end();) {
        if (shown.contains(it->first)) {
            ++it;
            continue;
        }
        TRY(m_client->removeWindow(it->first));
        it = m_windows.erase(it);
    }
    return {};
}

foundation::Status DisplayLink::pump()
{
    auto handled = m_client->pump();
    if (!handled)
        return handled.error();
    return {};
}

foundation::Status DisplayLink::runLive()
{
    constexpr double frameTime = 1.0 / 60;
    while (!m_finished && !RunLoop::stopRequestedBySignal()) {
        TRY(pump());
        if (m_finished)
            break;
        RunLoop::main().runFor(frameTime);
        TRY(publishWindows());
        TRY(pump());
    }
    return {};
}

foundation::Status DisplayLink::runScripted()
{
    while (!m_finished && !RunLoop::stopRequestedBySignal()) {
        pollfd fd { m_client->fd(), POLLIN, 0 };
        ::poll(&fd, 1, 1000);
        TRY(pump());
    }
    return {};
}
