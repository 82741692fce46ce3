#include "platform/uikit/UIControl.h"

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIEvent.h"

#include <algorithm>

MARQEL_DEFINE_CLASS(UIControl,
    method<static_cast<void (UIControl::*)(const id&, SEL, UIControlEvents)>(&UIControl::addTarget)>(
        "addTarget:action:forControlEvents:"),
    method<&UIControl::removeTarget>("removeTarget:action:forControlEvents:"),
    method<&UIControl::sendActionsForControlEvents>("sendActionsForControlEvents:"),
    method<&UIControl::isEnabled>("isEnabled"),
    method<&UIControl::setEnabled>("setEnabled:"),
    method<&UIControl::isSelected>("isSelected"),
    method<&UIControl::setSelected>("setSelected:"),
    method<&UIControl::isHighlighted>("isHighlighted"),
    method<&UIControl::setHighlighted>("setHighlighted:"))

void UIControl::addTarget(const id& target, SEL action, UIControlEvents events)
{
    if (!action || events == 0)
        return;
    for (auto& r : m_registrations) {
        if (r.action == action && r.hasTarget == bool(target) && r.target.lock() == target) {
            r.events |= events;
            return;
        }
    }
    m_registrations.push_back({ target, bool(target), action, events });
}

void UIControl::addTarget(const id& target, std::string_view action, UIControlEvents events)
{
    addTarget(target, sel_registerName(action), events);
}

void UIControl::removeTarget(const id& target, SEL action, UIControlEvents events)
{
    for (auto& r : m_registrations) {
        bool targetMatches = !target || (r.hasTarget && r.target.lock() == target);
        if (targetMatches && (!action || r.action == action))
            r.events &= ~events;
    }
    m_registrations.erase(std::remove_if(m_registrations.begin(), m_registrations.end(),
                              [](const Registration& r) { return r.events == 0; }),
        m_registrations.end());
}

std::vector<SEL> UIControl::actionsForTarget(const id& target, UIControlEvents events) const
{
    std::vector<SEL> actions;
    for (const auto& r : m_registrations)
        if ((r.events & events) && r.hasTarget == bool(target) && (!target || r.target.lock() == target))
            actions.push_back(r.action);
    return actions;
}

UIControlEvents UIControl::allControlEvents() const
{
    UIControlEvents all = 0;
    for (const auto& r : m_registrations)
        all |= r.events;
    return all;
}

void UIControl::sendActionsForControlEvents(UIControlEvents events)
{
    fire(events, nullptr);
}

void UIControl::fire(UIControlEvents events, const std::shared_ptr<UIEvent>& event)
{
    // A copy: an action may add or remove registrations.
    auto registrations = m_registrations;
    for (const auto& r : registrations) {
        if (!(r.events & events))
            continue;
        if (r.hasTarget) {
            auto target = r.target.lock();
            if (target)
                sendAction(r.action, target, event);
        } else {
            sendAction(r.action, nullptr, event);
        }
    }
}

void UIControl::sendAction(SEL action, const id& target, const std::shared_ptr<UIEvent>& event)
{
    UIApplication::sharedApplication()->sendAction(action, target, retained(), event);
}

void UIControl::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (!enabled) {
        m_tracking = false;
        m_highlighted = false;
    }
    stateDidChange();
}

void UIControl::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    stateDidChange();
}

void UIControl::setHighlighted(bool highlighted)
{
    if (highlighted == m_highlighted)
        return;
    m_highlighted = highlighted;
    stateDidChange();
}

UIControlState UIControl::state() const
{
    UIControlState state = UIControlStateNormal;
    if (m_highlighted)
        state |= UIControlStateHighlighted;
    if (!m_enabled)
        state |= UIControlStateDisabled;
    if (m_selected)
        state |= UIControlStateSelected;
    return state;
}

bool UIControl::touchIsInside(const UITouchSet& touches) const
{
    auto touch = touches.anyObject();
    return touch && CGRectContainsPoint(bounds(), touch->locationInView(this));
}

void UIControl::touchesBegan(const UITouchSet&, const std::shared_ptr<UIEvent>& event)
{
    if (!m_enabled)
        return;
    m_tracking = true;
    m_touchInside = true;
    setHighlighted(true);
    fire(UIControlEventTouchDown, event);
}

void UIControl::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    if (!m_tracking)
        return;
    bool inside = touchIsInside(touches);
    bool wasInside = m_touchInside;
    m_touchInside = inside;
    setHighlighted(inside);
    if (inside != wasInside)
        fire(inside ? UIControlEventTouchDragEnter : UIControlEventTouchDragExit, event);
    fire(inside ? UIControlEventTouchDragInside : UIControlEventTouchDragOutside, event);
}

void UIControl::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event)
{
    if (!m_tracking)
        return;
    bool inside = touchIsInside(touches);
    m_tracking = false;
    m_touchInside = inside;
    setHighlighted(false);
    fire(inside ? UIControlEventTouchUpInside | UIControlEventPrimaryActionTriggered : UIControlEventTouchUpOutside,
        event);
}

void UIControl::touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>& event)
{
    if (!m_tracking)
        return;
    m_tracking = false;
    m_touchInside = false;
    setHighlighted(false);
    fire(UIControlEventTouchCancel, event);
}
