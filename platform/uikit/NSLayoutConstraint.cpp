#include "platform/uikit/NSLayoutConstraint.h"

#include "platform/foundation/NSLog.h"
#include "platform/uikit/NSLayoutAnchor.h"

#include <algorithm>
#include <cstdio>

MARQEL_DEFINE_CLASS(NSLayoutConstraint,
    method<&NSLayoutConstraint::isActive>("isActive"),
    method<&NSLayoutConstraint::setActive>("setActive:"),
    method<&NSLayoutConstraint::constant>("constant"),
    method<&NSLayoutConstraint::setConstant>("setConstant:"))

int NSLayoutAttributeAxis(NSLayoutAttribute attribute)
{
    switch (attribute) {
    case NSLayoutAttributeTop:
    case NSLayoutAttributeBottom:
    case NSLayoutAttributeHeight:
    case NSLayoutAttributeCenterY:
        return 1;
    default:
        return 0;
    }
}

bool NSLayoutAttributeIsDimension(NSLayoutAttribute attribute)
{
    return attribute == NSLayoutAttributeWidth || attribute == NSLayoutAttributeHeight;
}

NSLayoutConstraint::NSLayoutConstraint(std::shared_ptr<NSLayoutAnchor> first, std::shared_ptr<NSLayoutAnchor> second,
    CGFloat multiplier, CGFloat constant)
    : m_first(std::move(first))
    , m_second(std::move(second))
    , m_multiplier(multiplier)
    , m_constant(constant)
{
}

NSLayoutConstraint::~NSLayoutConstraint()
{
    // Normally the holder keeps an active constraint alive; this covers a
    // holder that is itself being torn down.
    if (m_holder)
        deactivate();
}

std::shared_ptr<NSLayoutConstraint> NSLayoutConstraint::constraintWithItem(const std::shared_ptr<UIView>& view1,
    NSLayoutAttribute attribute1, NSLayoutRelation relation, const std::shared_ptr<UIView>& view2,
    NSLayoutAttribute attribute2, CGFloat multiplier, CGFloat constant)
{
    if (!view1)
        return nullptr;
    auto anchorOf = [](UIView& view, NSLayoutAttribute attribute) -> std::shared_ptr<NSLayoutAnchor> {
        switch (attribute) {
        case NSLayoutAttributeLeft:
            return view.leftAnchor();
        case NSLayoutAttributeRight:
            return view.rightAnchor();
        case NSLayoutAttributeTop:
            return view.topAnchor();
        case NSLayoutAttributeBottom:
            return view.bottomAnchor();
        case NSLayoutAttributeLeading:
            return view.leadingAnchor();
        case NSLayoutAttributeTrailing:
            return view.trailingAnchor();
        case NSLayoutAttributeWidth:
            return view.widthAnchor();
        case NSLayoutAttributeHeight:
            return view.heightAnchor();
        case NSLayoutAttributeCenterX:
            return view.centerXAnchor();
        case NSLayoutAttributeCenterY:
            return view.centerYAnchor();
        case NSLayoutAttributeNotAnAttribute:
            break;
        }
        return nullptr;
    };
    auto first = anchorOf(*view1, attribute1);
    if (!first)
        return nullptr;
    auto second = view2 ? anchorOf(*view2, attribute2) : nullptr;
    auto constraint = alloc<NSLayoutConstraint>(first, second, multiplier, constant);
    constraint->setRelation(relation);
    return constraint;
}

void NSLayoutConstraint::activateConstraints(const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints)
{
    for (const auto& constraint : constraints)
        if (constraint)
            constraint->setActive(true);
}

void NSLayoutConstraint::deactivateConstraints(const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints)
{
    for (const auto& constraint : constraints)
        if (constraint)
            constraint->setActive(false);
}

UIView* NSLayoutConstraint::firstView() const
{
    return m_first ? m_first->view() : nullptr;
}

UIView* NSLayoutConstraint::secondView() const
{
    return m_second ? m_second->view() : nullptr;
}

std::shared_ptr<UIView> NSLayoutConstraint::firstItem() const
{
    return m_first ? m_first->item() : nullptr;
}

std::shared_ptr<UIView> NSLayoutConstraint::secondItem() const
{
    return m_second ? m_second->item() : nullptr;
}

NSLayoutAttribute NSLayoutConstraint::firstAttribute() const
{
    return m_first ? m_first->attribute() : NSLayoutAttributeNotAnAttribute;
}

NSLayoutAttribute NSLayoutConstraint::secondAttribute() const
{
    return m_second ? m_second->attribute() : NSLayoutAttributeNotAnAttribute;
}

void NSLayoutConstraint::setConstant(CGFloat constant)
{
    if (constant == m_constant)
        return;
    m_constant = constant;
    if (m_holder)
        m_holder->setNeedsUpdateConstraints();
}

void NSLayoutConstraint::setActive(bool active)
{
    if (active)
        activate();
    else
        deactivate();
}

bool NSLayoutConstraint::activate()
{
    if (m_holder)
        return true;
    UIView* a = firstView();
    UIView* b = secondView();
    if (!a || (m_second && !b)) {
        NSLog("Unable to activate constraint %@: one of its views is gone", this);
        return false;
    }
    NSLayoutAttribute first = firstAttribute();
    NSLayoutAttribute second = secondAttribute();
    bool compatible = b ? (NSLayoutAttributeIsDimension(first) == NSLayoutAttributeIsDimension(second)
                          && NSLayoutAttributeAxis(first) == NSLayoutAttributeAxis(second))
                        : NSLayoutAttributeIsDimension(first);
    if (!compatible) {
        NSLog("Unable to activate constraint %@: its attributes do not belong together", this);
        return false;
    }
    // The nearest common ancestor holds it.
    UIView* holder = a;
    if (b)
        while (holder && !b->isDescendantOfView(holder))
            holder = holder->superviewPointer();
    if (!holder) {
        NSLog("Unable to activate constraint %@: its views have no common ancestor", this);
        return false;
    }
    auto self = retained<NSLayoutConstraint>();
    if (!self)
        return false;
    m_holder = holder;
    a->addConstraintReference({}, this, true);
    if (b && b != a)
        b->addConstraintReference({}, this, false);
    holder->holdConstraint({}, std::move(self));
    return true;
}

void NSLayoutConstraint::deactivate()
{
    UIView* holder = m_holder;
    if (!holder)
        return;
    UIView* a = firstView();
    UIView* b = secondView();
    if (a)
        a->removeConstraintReference({}, this, true);
    if (b && b != a)
        b->removeConstraintReference({}, this, false);
    m_holder = nullptr;
    // Last: the holder's reference may be the only owner of this constraint,
    // and it goes when `released` does, on the way out.
    auto released = holder->releaseConstraint({}, this);
}

std::string NSLayoutConstraint::description() const
{
    std::string text = "<NSLayoutConstraint " + (m_first ? m_first->description() : std::string("?")) + " == ";
    if (m_second) {
        text += m_second->description();
        if (m_multiplier != 1) {
            char factor[32];
            std::snprintf(factor, sizeof factor, " * %g", m_multiplier);
            text += factor;
        }
        char offset[32];
        std::snprintf(offset, sizeof offset, " + %g", m_constant);
        text += offset;
    } else {
        char value[32];
        std::snprintf(value, sizeof value, "%g", m_constant);
        text += value;
    }
    return text + ">";
}
