#include "platform/uikit/UIWindow.h"

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"

MARQEL_DEFINE_CLASS(UIWindow,
    method<&UIWindow::windowLevel>("windowLevel"),
    method<&UIWindow::setWindowLevel>("setWindowLevel:"),
    method<&UIWindow::makeKeyAndVisible>("makeKeyAndVisible"),
    method<&UIWindow::makeKeyWindow>("makeKeyWindow"),
    method<&UIWindow::isKeyWindow>("isKeyWindow"),
    method<&UIWindow::resignKeyWindow>("resignKeyWindow"),
    method<&UIWindow::becomeKeyWindow>("becomeKeyWindow"),
    method<&UIWindow::setHidden>("setHidden:"),
    method<&UIWindow::rootViewController>("rootViewController"),
    method<&UIWindow::setRootViewController>("setRootViewController:"),
    method<&UIWindow::sendEvent>("sendEvent:"))

UIWindow::UIWindow()
    : UIWindow(UIScreen::mainScreen()->bounds())
{
}

UIWindow::UIWindow(CGRect frame)
    : UIView(frame)
{
    UIView::setHidden(true);
    m_creationOrder = UIApplication::sharedApplication()->registerWindow(this);
}

UIWindow::~UIWindow()
{
    UIApplication::sharedApplication()->unregisterWindow(this);
}

void UIWindow::makeKeyAndVisible()
{
    setHidden(false);
    makeKeyWindow();
}

void UIWindow::makeKeyWindow()
{
    UIApplication::sharedApplication()->makeKey(this);
}

bool UIWindow::isKeyWindow() const
{
    return UIApplication::sharedApplication()->keyWindowPointer() == this;
}

void UIWindow::resignKeyWindow()
{
    UIApplication::sharedApplication()->resignKey(this);
}

void UIWindow::setHidden(bool hidden)
{
    if (hidden == isHidden())
        return;
    // The application may hold the last reference to a shown window; keep
    // this one alive until the change is complete.
    auto keepAlive = retained<UIWindow>();
    UIView::setHidden(hidden);
    if (m_rootViewController && !hidden)
        m_rootViewController->appearanceTransition(true, false);
    if (m_rootViewController && hidden)
        m_rootViewController->appearanceTransition(false, false);
    UIApplication::sharedApplication()->windowVisibilityChanged(*this);
}

void UIWindow::setRootViewController(std::shared_ptr<UIViewController> controller)
{
    if (controller == m_rootViewController)
        return;
    if (m_rootViewController && m_rootViewController->isViewLoaded()) {
        const auto& old = m_rootViewController->view();
        if (old->superview().get() == this)
            old->removeFromSuperview();
    }
    m_rootViewController = std::move(controller);
    if (!m_rootViewController)
        return;
    const auto& view = m_rootViewController->view();
    view->setFrame(bounds());
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    insertSubviewAtIndex(view, 0);
    if (!isHidden())
        m_rootViewController->appearanceTransition(true, false);
}

void UIWindow::sendEvent(const std::shared_ptr<UIEvent>& event)
{
    if (!event)
        return;
    auto& all = event->touches();
    std::vector<bool> delivered;
    std::size_t index = 0;
    for (const auto& touch : all) {
        std::size_t position = index++;
        if (touch->window().get() != this || (position < delivered.size() && delivered[position]))
            continue;
        auto view = touch->view();
        if (!view)
            continue;
        // Touches on the same view in the same phase go in one set. The
        // reused set is only safe outside a nested delivery (a handler that
        // sends events itself).
        UITouchSet nested;
        UITouchSet& touches = m_deliveryDepth == 0 ? m_delivery : nested;
        touches.removeAllObjects();
        std::size_t other = 0;
        for (const auto& candidate : all) {
            std::size_t at = other++;
            if (at >= position && candidate->window().get() == this && candidate->phase() == touch->phase()
                && candidate->view() == view) {
                touches.addObject(candidate);
                if (at > position) {
                    if (delivered.size() <= at)
                        delivered.resize(all.count(), false);
                    delivered[at] = true;
                }
            }
        }
        struct Depth {
            int& depth;
            explicit Depth(int& d)
                : depth(d)
            {
                ++depth;
            }
            ~Depth() { --depth; }
        } depth(m_deliveryDepth);
        deliverToGestureRecognizers(view, touch->phase(), touches, event);
        switch (touch->phase()) {
        case UITouchPhaseBegan:
            view->touchesBegan(touches, event);
            break;
        case UITouchPhaseMoved:
            view->touchesMoved(touches, event);
            break;
        case UITouchPhaseEnded:
            view->touchesEnded(touches, event);
            break;
        case UITouchPhaseCancelled:
            view->touchesCancelled(touches, event);
            break;
        case UITouchPhaseStationary:
            break;
        }
    }
}

void UIWindow::deliverToGestureRecognizers(const std::shared_ptr<UIView>& view, UITouchPhase phase,
    const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    // The touched view's recognisers and its ancestors', nearest first; a
    // control keeps its touches from the recognisers above it.
    std::vector<std::shared_ptr<UIGestureRecognizer>> recognizers;
    for (auto v = view; v; v = v->superview()) {
        for (const auto& recognizer : v->gestureRecognizers())
            if (recognizer->isEnabled())
                recognizers.push_back(recognizer);
        if (objc_cast<UIControl>(v))
            break;
    }
    for (const auto& recognizer : recognizers) {
        switch (phase) {
        case UITouchPhaseBegan: recognizer->touchesBegan(touches, event); break;
        case UITouchPhaseMoved: recognizer->touchesMoved(touches, event); break;
        case UITouchPhaseEnded: recognizer->touchesEnded(touches, event); break;
        case UITouchPhaseCancelled: recognizer->touchesCancelled(touches, event); break;
        case UITouchPhaseStationary: break;
        }
    }
}

std::shared_ptr<UIResponder> UIWindow::nextResponder() const
{
    return UIApplication::sharedApplication();
}
