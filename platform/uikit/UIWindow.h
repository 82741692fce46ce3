#pragma once

// Windows: the roots of view trees, stacked by level on the screen. A window
// starts hidden; the application keeps a shown window alive, as UIKit does,
// and routes touches to the topmost visible window that takes them.

#include "platform/uikit/UITouch.h"
#include "platform/uikit/UIView.h"

using UIWindowLevel = CGFloat;
inline constexpr UIWindowLevel UIWindowLevelNormal = 0;
inline constexpr UIWindowLevel UIWindowLevelStatusBar = 1000;
inline constexpr UIWindowLevel UIWindowLevelAlert = 2000;

class UIWindow : public UIView {
    MARQEL_OBJECT(UIWindow, UIView)
public:
    // The main screen's rectangle.
    UIWindow();
    explicit UIWindow(CGRect frame);
    ~UIWindow() override;

    UIWindowLevel windowLevel() const { return m_windowLevel; }
    void setWindowLevel(UIWindowLevel level) { m_windowLevel = level; }

    void makeKeyAndVisible();
    void makeKeyWindow();
    bool isKeyWindow() const;
    // Called when this window becomes key.
    virtual void becomeKeyWindow() { }
    // Gives up key status if this window has it (then no window is key).
    virtual void resignKeyWindow();

    void setHidden(bool hidden) override;

    const std::shared_ptr<UIViewController>& rootViewController() const { return m_rootViewController; }
    // The controller's view becomes the window's content, filling it.
    void setRootViewController(std::shared_ptr<UIViewController> controller);

    // Delivers the event's touches that belong to this window to the views
    // they were hit-tested to.
    virtual void sendEvent(const std::shared_ptr<UIEvent>& event);

    std::shared_ptr<UIResponder> nextResponder() const override;
    std::uint64_t creationOrder() const { return m_creationOrder; }

protected:
    UIWindow* asWindow() override { return this; }

private:
    // Recognisers see the touches before the view does (the view gets them
    // all the same).
    static void deliverToGestureRecognizers(const std::shared_ptr<UIView>& view, UITouchPhase phase,
        const UITouchSet& touches, const std::shared_ptr<UIEvent>& event);
    UIWindowLevel m_windowLevel = UIWindowLevelNormal;
    std::shared_ptr<UIViewController> m_rootViewController;
    std::uint64_t m_creationOrder = 0;
    UITouchSet m_delivery;  // reused so delivering a touch allocates nothing
    int m_deliveryDepth = 0;
};
