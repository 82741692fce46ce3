#include "platform/uikit/UIApplication.h"

#include "platform/foundation/NSLog.h"
#include "platform/foundation/RunLoop.h"
#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UIKeyCommand.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>

MARQEL_DEFINE_CLASS(UIApplication,
    method<&UIApplication::keyWindow>("keyWindow"),
    method<&UIApplication::sendEvent>("sendEvent:"),
    method<&UIApplication::sendAction>("sendAction:to:from:forEvent:"))

UIApplication::UIApplication()
    : m_event(alloc<UIEvent>())
{
}

std::shared_ptr<UIApplication> UIApplication::sharedApplication()
{
    // Never destroyed: windows may be torn down during static destruction.
    static const auto* application = [] {
        auto* shared = new std::shared_ptr<UIApplication>(alloc<UIApplication>());
        RunLoop::main().addTurnObserver([] { sharedApplication()->layoutWindows(); });
        return shared;
    }();
    return *application;
}

std::uint64_t UIApplication::registerWindow(UIWindow* window)
{
    std::uint64_t order = m_nextOrder++;
    m_windows.push_back({ window, order });
    return order;
}

void UIApplication::unregisterWindow(UIWindow* window)
{
    m_windows.erase(std::remove_if(m_windows.begin(), m_windows.end(),
                        [&](const WindowRecord& r) { return r.window == window; }),
        m_windows.end());
    if (m_keyWindow == window)
        m_keyWindow = nullptr;
}

std::vector<std::shared_ptr<UIWindow>> UIApplication::windows() const
{
    std::vector<WindowRecord> records = m_windows;
    std::stable_sort(records.begin(), records.end(), [](const WindowRecord& a, const WindowRecord& b) {
        if (a.window->windowLevel() != b.window->windowLevel())
            return a.window->windowLevel() < b.window->windowLevel();
        return a.order < b.order;
    });
    std::vector<std::shared_ptr<UIWindow>> result;
    result.reserve(records.size());
    for (const auto& r : records)
        if (auto window = r.window->retained<UIWindow>())  // skips one being torn down
            result.push_back(std::move(window));
    return result;
}

std::shared_ptr<UIWindow> UIApplication::keyWindow() const
{
    return m_keyWindow ? m_keyWindow->retained<UIWindow>() : nullptr;
}

void UIApplication::makeKey(UIWindow* window)
{
    if (window == m_keyWindow)
        return;
    auto previous = keyWindow();
    auto next = window ? window->retained<UIWindow>() : nullptr;
    m_keyWindow = next ? window : nullptr;
    if (previous)
        previous->resignKeyWindow();
    if (next)
        next->becomeKeyWindow();
}

void UIApplication::resignKey(const UIWindow* window)
{
    if (window && window == m_keyWindow)
        m_keyWindow = nullptr;
}

std::shared_ptr<UIWindow> UIApplication::topVisibleWindowExcept(const UIWindow* excluded) const
{
    auto all = windows();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (it->get() != excluded && !(*it)->isHidden())
            return *it;
    return nullptr;
}

void UIApplication::windowVisibilityChanged(UIWindow& window)
{
    auto self = window.retained<UIWindow>();
    if (!window.isHidden()) {
        if (self && std::find(m_shown.begin(), m_shown.end(), self) == m_shown.end())
            m_shown.push_back(self);
        return;
    }
    // A hidden key window hands key status to the topmost shown window.
    if (m_keyWindow == &window) {
        auto next = topVisibleWindowExcept(&window);
        makeKey(next.get());
    }
    auto it = std::find_if(m_shown.begin(), m_shown.end(), [&](const auto& w) { return w.get() == &window; });
    if (it != m_shown.end()) {
        auto released = std::move(*it);  // dropped after the list is consistent
        m_shown.erase(it);
    }
}

void UIApplication::reset()
{
    auto shown = std::move(m_shown);
    m_shown.clear();
    m_keyWindow = nullptr;
    m_touch.reset();
    m_fingerDown = false;
    m_event->touches().removeAllObjects();
    shown.clear();
}

std::shared_ptr<UIView> UIApplication::hitTestWindows(CGPoint screenPoint, const std::shared_ptr<UIEvent>& event,
    std::shared_ptr<UIWindow>* hitWindow)
{
    auto all = windows();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        const auto& window = *it;
        if (window->isHidden() || window->alpha() <= 0.01 || !window->isUserInteractionEnabled())
            continue;
        if (auto view = window->hitTest(window->convertPointFromScreen(screenPoint), event)) {
            if (hitWindow)
                *hitWindow = window;
            return view;
        }
    }
    return nullptr;
}

void UIApplication::layoutWindows()
{
    // A pass may show, hide or make windows: go over a snapshot.
    for (const auto& window : windows())
        if (!window->isHidden())
            window->layoutIfNeeded();
}

std::shared_ptr<UIView> UIApplication::hitTest(CGPoint screenPoint)
{
    layoutWindows();
    return hitTestWindows(screenPoint, nullptr, nullptr);
}

void UIApplication::sendEvent(const std::shared_ptr<UIEvent>& event)
{
    if (!event)
        return;
    // Every phase: a handler of the last touch may have changed constraints,
    // and this touch's locations are read through the frames.
    layoutWindows();
    for (const auto& touch : event->allTouches()) {
        if (touch->phase() != UITouchPhaseBegan || touch->view())
            continue;
        std::shared_ptr<UIWindow> window;
        if (auto view = hitTestWindows(touch->screenLocation(), event, &window)) {
            touch->setView(view);
            touch->setWindow(window);
        }
    }
    // Each window involved once, even when several touches share it.
    std::shared_ptr<UIWindow> first;
    for (const auto& touch : event->allTouches()) {
        auto window = touch->window();
        if (!window || window == first)
            continue;
        if (!first) {
            first = window;
            window->sendEvent(event);
            continue;
        }
        bool seen = false;
        for (const auto& earlier : event->allTouches()) {
            if (earlier == touch)
                break;
            if (earlier->window() == window)
                seen = true;
        }
        if (!seen)
            window->sendEvent(event);
    }
}

std::shared_ptr<UITouch> UIApplication::currentTouch() const
{
    return m_fingerDown ? m_touch : nullptr;
}

std::shared_ptr<UIView> UIApplication::sendTouch(UITouchPhase phase, CGPoint screenPoint)
{
    double now = RunLoop::main().now();
    if (phase == UITouchPhaseBegan) {
        if (m_fingerDown)
            sendTouch(UITouchPhaseCancelled, m_touch->screenLocation());
        m_touch = alloc<UITouch>();
        m_touch->setScreenLocation(screenPoint, false);
        m_fingerDown = true;
    } else {
        if (!m_fingerDown)
            return nullptr;
        m_touch->setScreenLocation(screenPoint, true);
    }
    auto touch = m_touch;  // a handler may start another touch
    touch->setPhase(phase);
    touch->setTimestamp(now);
    if (phase == UITouchPhaseEnded || phase == UITouchPhaseCancelled)
        m_fingerDown = false;
    auto event = m_event;
    event->setTimestamp(now);
    event->touches().removeAllObjects();
    event->touches().addObject(touch);
    sendEvent(event);
    return touch->view();
}

bool UIApplication::sendAction(SEL action, const id& target, const id& sender, const std::shared_ptr<UIEvent>&)
{
    if (!action)
        return false;
    if (target) {
        if (performAction(target, action, sender))
            return true;
        NSLog("UIApplication: %@ does not respond to %s", target, sel_getName(action));
        return false;
    }
    for (auto responder = std::dynamic_pointer_cast<UIResponder>(sender); responder;
         responder = responder->nextResponder()) {
        if (responder->respondsToSelector(action))
            return performAction(responder, action, sender);
    }
    return false;
}

std::shared_ptr<UIResponder> UIApplication::textInputResponder() const
{
    auto responder = UIResponder::currentFirstResponder();
    auto view = std::dynamic_pointer_cast<UIView>(responder);
    if (!view || !view->respondsToSelector(sel_registerName("insertText:"))
        || !view->respondsToSelector(sel_registerName("deleteBackward")))
        return nullptr;
    auto window = view->window();
    if (!window || window->isHidden())
        return nullptr;
    return responder;
}

std::shared_ptr<UIResponder> UIApplication::keyResponder() const
{
    if (auto first = UIResponder::currentFirstResponder()) {
        auto view = std::dynamic_pointer_cast<UIView>(first);
        auto window = view ? view->window() : nullptr;
        if (!view || (window && !window->isHidden()))
            return first;
    }
    auto window = keyWindow();
    if (!window || window->isHidden())
        return nullptr;
    // What the key window shows in front: the last controller presented
    // over its root.
    auto front = window->rootViewController();
    while (front && front->presentedViewController() && !front->presentedViewController()->isBeingDismissed())
        front = front->presentedViewController();
    if (front && front->isViewLoaded())
        return front->view();
    return window;
}

bool UIApplication::sendKeyPress(const std::shared_ptr<UIKey>& key)
{
    if (!key)
        return false;
    for (auto responder = keyResponder(); responder; responder = responder->nextResponder()) {
        for (const auto& command : responder->keyCommands()) {
            if (command && command->matches(*key) && performAction(responder, command->action(), command))
                return true;
        }
    }
    auto editing = textInputResponder();
    if (!editing)
        return false;
    if (key->keyCode() == UIKeyboardHIDUsageKeyboardDeleteOrBackspace)
        msgSend<void>(editing, "deleteBackward");
    else if (key->keyCode() == UIKeyboardHIDUsageKeyboardReturnOrEnter || key->keyCode() == UIKeyboardHIDUsageKeypadEnter)
        msgSend<void>(editing, "insertText:", std::string("\n"));
    return true;
}

bool UIApplication::insertText(const std::string& text)
{
    auto editing = textInputResponder();
    if (!editing)
        return false;
    if (!text.empty())
        msgSend<void>(editing, "insertText:", text);
    return true;
}

void UIApplication::userInterfaceStyleDidChange(UIUserInterfaceStyle previous)
{
    auto traits = UITraitCollection::traitCollectionWithUserInterfaceStyle(previous);
    auto visit = [&](auto& self, UIView& view) -> void {
        view.traitCollectionDidChange(traits);
        for (std::size_t i = 0; i < view.subviews().size(); ++i) {
            auto child = view.subviews()[i];
            self(self, *child);
        }
    };
    for (const auto& window : windows())
        visit(visit, *window);
}
