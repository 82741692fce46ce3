#include "platform/uikit/UIGestureRecognizer.h"

#include "platform/uikit/UITouch.h"
#include "platform/uikit/UITouchSet.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>

MARQEL_DEFINE_CLASS(UIGestureRecognizer,
    method<&UIGestureRecognizer::view>("view"),
    method<&UIGestureRecognizer::state>("state"),
    method<&UIGestureRecognizer::isEnabled>("isEnabled"),
    method<&UIGestureRecognizer::setEnabled>("setEnabled:"))

UIGestureRecognizer::UIGestureRecognizer(const id& target, std::string_view action)
{
    addTarget(target, action);
}

void UIGestureRecognizer::addTarget(const id& target, std::string_view action)
{
    if (!target || action.empty())
        return;
    SEL sel = sel_registerName(action);
    for (const auto& t : m_targets)
        if (t.action == sel && t.target.lock() == target)
            return;
    m_targets.push_back({ target, sel });
}

void UIGestureRecognizer::removeTarget(const id& target, std::string_view action)
{
    SEL sel = action.empty() ? nullptr : sel_registerName(action);
    std::erase_if(m_targets, [&](const Target& t) {
        return (!target || t.target.lock() == target) && (!sel || t.action == sel);
    });
}

std::shared_ptr<UIView> UIGestureRecognizer::view() const
{
    return m_view ? m_view->retained<UIView>() : nullptr;
}

void UIGestureRecognizer::setAttachedView(UIView* view)
{
    if (m_view != view)
        reset();
    m_view = view;
}

void UIGestureRecognizer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled)
        reset();
}

CGPoint UIGestureRecognizer::locationInView(const UIView* view) const
{
    if (view)
        return view->convertPointFromScreen(m_screenLocation);
    if (m_view)
        if (auto window = m_view->window())
            return window->convertPointFromScreen(m_screenLocation);
    return m_screenLocation;
}

void UIGestureRecognizer::rememberLocation(const UITouchSet& touches)
{
    if (auto touch = touches.anyObject())
        m_screenLocation = touch->screenLocation();
}

void UIGestureRecognizer::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) { rememberLocation(touches); }
void UIGestureRecognizer::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) { rememberLocation(touches); }
void UIGestureRecognizer::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) { rememberLocation(touches); }
void UIGestureRecognizer::touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>&)
{
    setState(UIGestureRecognizerStateCancelled);
}

void UIGestureRecognizer::reset()
{
    m_state = UIGestureRecognizerStatePossible;
}

void UIGestureRecognizer::setState(UIGestureRecognizerState state)
{
    m_state = state;
    if (state == UIGestureRecognizerStateBegan || state == UIGestureRecognizerStateChanged
        || state == UIGestureRecognizerStateEnded)
        sendActions();
}

void UIGestureRecognizer::sendActions()
{
    // An action may add or remove targets, or detach this recogniser.
    auto self = retained<UIGestureRecognizer>();
    auto targets = m_targets;
    for (const auto& t : targets)
        if (auto target = t.target.lock())
            performAction(target, t.action, self);
}
