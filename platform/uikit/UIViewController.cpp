#include "platform/uikit/UIViewController.h"

#include "platform/foundation/NSLog.h"
#include "platform/foundation/RunLoop.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>

MARQEL_DEFINE_CLASS(UIViewController,
    method<&UIViewController::view>("view"),
    method<&UIViewController::setView>("setView:"),
    method<&UIViewController::isViewLoaded>("isViewLoaded"),
    method<&UIViewController::loadView>("loadView"),
    method<&UIViewController::viewDidLoad>("viewDidLoad"),
    method<&UIViewController::viewWillAppear>("viewWillAppear:"),
    method<&UIViewController::viewDidAppear>("viewDidAppear:"),
    method<&UIViewController::viewWillDisappear>("viewWillDisappear:"),
    method<&UIViewController::viewDidDisappear>("viewDidDisappear:"),
    method<&UIViewController::title>("title"),
    method<&UIViewController::setTitle>("setTitle:"),
    method<&UIViewController::navigationItem>("navigationItem"),
    method<&UIViewController::presentViewController>("presentViewController:animated:completion:"),
    method<&UIViewController::dismissViewControllerAnimated>("dismissViewControllerAnimated:completion:"),
    method<&UIViewController::presentedViewController>("presentedViewController"),
    method<&UIViewController::presentingViewController>("presentingViewController"))

UIViewController::~UIViewController()
{
    if (m_view)
        m_view->forgetViewController({}, this);
    for (auto& child : m_children)
        child->m_parent = nullptr;
}

const std::shared_ptr<UIView>& UIViewController::view()
{
    if (!m_view && !m_loadingView) {
        m_loadingView = true;
        loadView();
        if (!m_view)
            setView(alloc<UIView>(UIScreen::mainScreen()->bounds()));
        m_loadingView = false;
        viewDidLoad();
    }
    return m_view;
}

void UIViewController::setView(std::shared_ptr<UIView> view)
{
    if (view == m_view)
        return;
    if (m_view)
        m_view->forgetViewController({}, this);
    m_view = std::move(view);
    if (m_view)
        m_view->setViewController({}, this);
}

void UIViewController::loadView()
{
    auto view = alloc<UIView>(UIScreen::mainScreen()->bounds());
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    setView(std::move(view));
}

void UIViewController::setTitle(const std::string& title)
{
    m_title = title;
    if (m_navigationItem)
        m_navigationItem->setTitle(title);
}

std::shared_ptr<UINavigationItem> UIViewController::navigationItem()
{
    if (!m_navigationItem) {
        m_navigationItem = alloc<UINavigationItem>();
        m_navigationItem->setTitle(m_title);
    }
    return m_navigationItem;
}

std::shared_ptr<UINavigationController> UIViewController::navigationController() const
{
    for (UIViewController* c = m_parent; c; c = c->m_parent)
        if (auto* navigation = dynamic_cast<UINavigationController*>(c))
            return navigation->retained<UINavigationController>();
    return nullptr;
}

std::shared_ptr<UIViewController> UIViewController::parentViewController() const
{
    return m_parent ? m_parent->retained<UIViewController>() : nullptr;
}

void UIViewController::addChildViewController(const std::shared_ptr<UIViewController>& child)
{
    if (!child || child.get() == this)
        return;
    for (UIViewController* c = m_parent; c; c = c->m_parent)
        if (c == child.get())
            return;  // would own itself
    if (child->m_parent == this)
        return;
    child->removeFromParentViewController();
    m_children.push_back(child);
    child->m_parent = this;
}

void UIViewController::removeFromParentViewController()
{
    UIViewController* parent = m_parent;
    if (!parent)
        return;
    m_parent = nullptr;
    auto& list = parent->m_children;
    auto it = std::find_if(list.begin(), list.end(), [&](const auto& c) { return c.get() == this; });
    if (it != list.end()) {
        auto keep = std::move(*it);  // the parent's entry may be the last owner
        list.erase(it);
    }
}

void UIViewController::appearanceTransition(bool appearing, bool animated)
{
    if (appearing == m_appeared || !isViewLoaded())
        return;
    m_appeared = appearing;
    if (appearing) {
        viewWillAppear(animated);
        viewDidAppear(animated);
    } else {
        viewWillDisappear(animated);
        viewDidDisappear(animated);
    }
    auto children = m_children;
    for (const auto& child : children)
        child->appearanceTransition(appearing, animated);
}

CGRect UIViewController::presentedFrame(CGRect windowBounds) const
{
    switch (m_modalPresentationStyle) {
    case UIModalPresentationAutomatic:
    case UIModalPresentationPageSheet:
    case UIModalPresentationFormSheet:
    case UIModalPresentationPopover:
        // The card of a sheet, below the status bar.
        return CGRectMake(0, sheetTopInset, windowBounds.size.width,
            std::max<CGFloat>(windowBounds.size.height - sheetTopInset, 0));
    default:
        return windowBounds;
    }
}

void UIViewController::presentViewController(const std::shared_ptr<UIViewController>& controller, bool animated,
    std::function<void()> completion)
{
    auto self = retained<UIViewController>();
    if (!controller || !self || controller == self)
        return;
    if (m_presented) {
        NSLog("Attempt to present %@ on %@ which is already presenting %@", controller, this, m_presented);
        return;
    }
    if (controller->presentingViewController() || controller->m_parent) {
        NSLog("Attempt to present %@ which is already shown elsewhere", controller);
        return;
    }
    auto window = isViewLoaded() ? m_view->window() : nullptr;
    if (!window) {
        NSLog("Attempt to present %@ on %@ whose view is not in the window hierarchy", controller, this);
        return;
    }
    m_presented = controller;
    controller->m_presenting = self;
    const auto& view = controller->view();
    CGRect finalFrame = controller->presentedFrame(window->bounds());
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    window->addSubview(view);
    controller->viewWillAppear(animated);
    auto finish = [controller, animated, completion = std::move(completion)](bool) {
        controller->m_appeared = true;
        controller->viewDidAppear(animated);
        if (completion)
            completion();
    };
    if (!animated) {
        view->setFrame(finalFrame);
        RunLoop::main().post([finish] { finish(true); });
        return;
    }
    // Full-window presentations over the content fade in; sheets and
    // full-screen ones slide up from the bottom edge.
    bool fades = controller->m_modalPresentationStyle == UIModalPresentationOverFullScreen
        || controller->m_modalPresentationStyle == UIModalPresentationCustom;
    UIView::performWithoutAnimation([&] {
        CGRect start = finalFrame;
        if (fades)
            view->setAlpha(0);
        else
            start.origin.y = window->bounds().size.height;
        view->setFrame(start);
    });
    UIView::animateWithDuration(
        transitionDuration, 0, UIViewAnimationOptionCurveEaseInOut, [&] {
            view->setFrame(finalFrame);
            if (fades)
                view->setAlpha(1);
        },
        finish);
}

std::shared_ptr<UIViewController> UIViewController::presentingViewController() const
{
    if (auto presenting = m_presenting.lock())
        return presenting;
    return m_parent ? m_parent->presentingViewController() : nullptr;
}

void UIViewController::dismissViewControllerAnimated(bool animated, std::function<void()> completion)
{
    if (!m_presented) {
        if (auto presenting = presentingViewController())
            presenting->dismissViewControllerAnimated(animated, std::move(completion));
        return;
    }
    auto presented = m_presented;
    if (presented->m_beingDismissed)
        return;
    // Whatever the presented controller presents goes with it.
    if (presented->m_presented)
        presented->finishDismissal(presented->m_presented, false);
    presented->m_beingDismissed = true;
    presented->viewWillDisappear(animated);
    auto self = retained<UIViewController>();
    auto done = [self, presented, animated, completion = std::move(completion)](bool) {
        if (self)
            self->finishDismissal(presented, animated);
        if (completion)
            completion();
    };
    if (!animated) {
        finishDismissal(presented, false);
        if (completion)
            RunLoop::main().post(std::move(completion));
        return;
    }
    const auto& view = presented->view();
    bool fades = presented->m_modalPresentationStyle == UIModalPresentationOverFullScreen
        || presented->m_modalPresentationStyle == UIModalPresentationCustom;
    UIView::animateWithDuration(
        transitionDuration, 0, UIViewAnimationOptionCurveEaseInOut, [&] {
            if (fades) {
                view->setAlpha(0);
            } else if (auto window = view->window()) {
                CGRect gone = view->frame();
                gone.origin.y = window->bounds().size.height;
                view->setFrame(gone);
            }
        },
        done);
}

// By value: callers pass members (m_presented) that this clears.
void UIViewController::finishDismissal(std::shared_ptr<UIViewController> presented, bool animated)
{
    if (m_presented != presented)
        return;  // already finished
    if (presented->m_presented)
        presented->finishDismissal(presented->m_presented, false);
    if (!presented->m_beingDismissed)
        presented->viewWillDisappear(animated);
    presented->view()->removeFromSuperview();
    presented->m_presenting.reset();
    presented->m_beingDismissed = false;
    presented->m_appeared = false;
    m_presented = nullptr;
    presented->viewDidDisappear(animated);
}

std::shared_ptr<UIResponder> UIViewController::nextResponder() const
{
    if (auto presenting = m_presenting.lock())
        return presenting;
    if (m_view)
        if (auto superview = m_view->superview())
            return superview;
    return parentViewController();
}
