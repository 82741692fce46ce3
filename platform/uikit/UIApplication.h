#pragma once

// The application: its windows, the key window, touch routing and action
// sending. One per process.

#include "platform/foundation/CGGeometry.h"
#include "platform/uikit/UIResponder.h"
#include "platform/uikit/UITraitCollection.h"

#include <string>
#include <vector>

class UIApplication : public UIResponder {
    MARQEL_OBJECT(UIApplication, UIResponder)
public:
    UIApplication();
    static std::shared_ptr<UIApplication> sharedApplication();

    // Every window of the process, lowest level first; windows of one level
    // in the order they were created.
    std::vector<std::shared_ptr<UIWindow>> windows() const;
    std::shared_ptr<UIWindow> keyWindow() const;

    // Touches in their first phase are hit-tested against the visible
    // windows from the top (after laying them out); later phases go to the
    // view the touch began on.
    void sendEvent(const std::shared_ptr<UIEvent>& event);
    // One finger, in screen points. A new Began cancels a finger still
    // down; phases without a finger down are ignored. Returns the view the
    // touch went to, or null when nothing took it.
    std::shared_ptr<UIView> sendTouch(UITouchPhase phase, CGPoint screenPoint);
    // The finger of sendTouch, while it is down.
    std::shared_ptr<UITouch> currentTouch() const;
    // What a touch at `screenPoint` would land on, after laying out.
    std::shared_ptr<UIView> hitTest(CGPoint screenPoint);
    // The layout phase: the layout pass of every shown window. The main run
    // loop runs it at the end of each turn; touch routing runs it first, so
    // touches land on laid-out views.
    void layoutWindows();

    // The keyboard, as a desktop window hands it over. A key press goes
    // first to the key commands of the responders on the chain from the
    // first responder (or, when no responder on a shown window is first,
    // from what the key window shows in front: a presented alert answers
    // Return and Escape unfocused too). Then, while a responder that takes
    // text is first, the key is its own: Backspace deletes, Return types a
    // line break, every other key types what arrives as text, so no key is
    // a host's shortcut while a field is edited. Returns whether the key was
    // taken; a key that was not is the host's to use.
    bool sendKeyPress(const std::shared_ptr<UIKey>& key);
    // Text the keyboard typed (UTF-8, after any input method), inserted by
    // the responder that takes text. False when there is none.
    bool insertText(const std::string& text);
    // The first responder when it takes text (answers insertText: and
    // deleteBackward, as UIKit's key input protocol asks) and is a view on a
    // shown window.
    std::shared_ptr<UIResponder> textInputResponder() const;

    // Sends an action to `target`, or with a null target to the first
    // responder along the chain from `sender` that implements it. Returns
    // whether someone received it.
    bool sendAction(SEL action, const id& target, const id& sender, const std::shared_ptr<UIEvent>& event);

    // Starts afresh (tests, a new scripted run): shown windows are released,
    // no window is key, no finger is down.
    void reset();

    // Window bookkeeping, called by UIWindow.
    std::uint64_t registerWindow(UIWindow* window);
    void unregisterWindow(UIWindow* window);
    void windowVisibilityChanged(UIWindow& window);
    // Makes `window` key; the previous key window is sent resignKeyWindow.
    void makeKey(UIWindow* window);
    // `window` stops being key, if it is; nothing is sent.
    void resignKey(const UIWindow* window);
    UIWindow* keyWindowPointer() const { return m_keyWindow; }
    // Tells every view of every window that the appearance changed.
    void userInterfaceStyleDidChange(UIUserInterfaceStyle previous);

private:
    std::shared_ptr<UIResponder> keyResponder() const;
    std::shared_ptr<UIWindow> topVisibleWindowExcept(const UIWindow* excluded) const;
    std::shared_ptr<UIView> hitTestWindows(CGPoint screenPoint, const std::shared_ptr<UIEvent>& event,
        std::shared_ptr<UIWindow>* hitWindow);

    struct WindowRecord {
        UIWindow* window;
        std::uint64_t order;
    };
    std::vector<WindowRecord> m_windows;  // every living window
    std::vector<std::shared_ptr<UIWindow>> m_shown;  // kept alive while visible
    UIWindow* m_keyWindow = nullptr;  // cleared when that window goes
    std::uint64_t m_nextOrder = 0;
    std::shared_ptr<UITouch> m_touch;
    bool m_fingerDown = false;
    std::shared_ptr<UIEvent> m_event;
};
