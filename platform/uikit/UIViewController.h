#pragma once

// View controllers: a lazily loaded root view (loadView, then viewDidLoad),
// appearance callbacks, child controllers and modal presentation. The
// controller is the next responder of its root view, so actions sent up the
// chain from its views reach it.

#include "platform/uikit/UIResponder.h"

#include <functional>
#include <string>
#include <vector>

enum UIModalPresentationStyle : std::int64_t {
    UIModalPresentationAutomatic = -2,
    UIModalPresentationNone = -1,
    UIModalPresentationFullScreen = 0,
    UIModalPresentationPageSheet = 1,
    UIModalPresentationFormSheet = 2,
    UIModalPresentationCurrentContext = 3,
    UIModalPresentationCustom = 4,
    UIModalPresentationOverFullScreen = 5,
    UIModalPresentationOverCurrentContext = 6,
    UIModalPresentationPopover = 7,
};

enum UIStatusBarStyle : std::int64_t {
    UIStatusBarStyleDefault = 0,  // dark content in light appearance, light in dark
    UIStatusBarStyleLightContent = 1,
    UIStatusBarStyleDarkContent = 3,
};

class UIViewController : public UIResponder {
    MARQEL_OBJECT(UIViewController, UIResponder)
public:
    // The length of animated presentations and dismissals.
    static constexpr double transitionDuration = 0.3;
    // How far a sheet's card sits below the top of the window.
    static constexpr double sheetTopInset = 54;

    UIViewController() = default;
    ~UIViewController() override;

    // Loads the view on first use.
    const std::shared_ptr<UIView>& view();
    void setView(std::shared_ptr<UIView> view);
    bool isViewLoaded() const { return m_view != nullptr; }
    void loadViewIfNeeded() { view(); }
    // Makes the root view; the default is a plain view of the screen's size.
    virtual void loadView();
    virtual void viewDidLoad() { }
    virtual void viewWillAppear(bool) { }
    virtual void viewDidAppear(bool) { }
    virtual void viewWillDisappear(bool) { }
    virtual void viewDidDisappear(bool) { }

    const std::string& title() const { return m_title; }
    virtual void setTitle(const std::string& title);
    std::shared_ptr<UINavigationItem> navigationItem();
    std::shared_ptr<UINavigationController> navigationController() const;

    std::shared_ptr<UIViewController> parentViewController() const;
    const std::vector<std::shared_ptr<UIViewController>>& childViewControllers() const { return m_children; }
    void addChildViewController(const std::shared_ptr<UIViewController>& child);
    void removeFromParentViewController();

    // The status bar's content over this controller when it is in front;
    // read again each time the app's windows are drawn.
    virtual UIStatusBarStyle preferredStatusBarStyle() const { return UIStatusBarStyleDefault; }

    UIModalPresentationStyle modalPresentationStyle() const { return m_modalPresentationStyle; }
    void setModalPresentationStyle(UIModalPresentationStyle style) { m_modalPresentationStyle = style; }
    // Shows `controller`'s view in this controller's window, above what is
    // there. Refused (reported in the system log, completion not run) when
    // this controller already presents one, when `controller` is already
    // presented, or when this controller's view is in no window. The
    // completion runs after the transition: on the next main-queue turn, or
    // once an animated one has finished.
    void presentViewController(const std::shared_ptr<UIViewController>& controller, bool animated,
        std::function<void()> completion);
    // Sent to the presenter, dismisses what it presents (and anything that
    // presents); sent to a presented controller, asks its presenter. The
    // view leaves the window at once when not animated.
    void dismissViewControllerAnimated(bool animated, std::function<void()> completion);
    std::shared_ptr<UIViewController> presentedViewController() const { return m_presented; }
    // For a child of a presented controller (a navigation controller's
    // content), its ancestor's presenter, as UIKit answers: so the child can
    // close what holds it.
    std::shared_ptr<UIViewController> presentingViewController() const;
    bool isBeingDismissed() const { return m_beingDismissed; }

    std::shared_ptr<UIResponder> nextResponder() const override;

    // Sends the will/did appear (or disappear) pair, once per change.
    void appearanceTransition(bool appearing, bool animated);

protected:
    // The frame the presented view takes in a window of `bounds`.
    CGRect presentedFrame(CGRect windowBounds) const;

private:
    friend class UINavigationController;
    void finishDismissal(std::shared_ptr<UIViewController> presented, bool animated);

    std::shared_ptr<UIView> m_view;
    bool m_loadingView = false;
    bool m_appeared = false;
    std::string m_title;
    std::shared_ptr<UINavigationItem> m_navigationItem;
    UIViewController* m_parent = nullptr;  // cleared by the parent when it goes
    std::vector<std::shared_ptr<UIViewController>> m_children;
    UIModalPresentationStyle m_modalPresentationStyle = UIModalPresentationAutomatic;
    std::shared_ptr<UIViewController> m_presented;
    std::weak_ptr<UIViewController> m_presenting;
    bool m_beingDismissed = false;
};
