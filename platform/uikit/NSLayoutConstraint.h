#pragma once

// A layout constraint: first anchor = second anchor × multiplier + constant,
// or a dimension = constant. An active constraint is held by the nearest
// common ancestor of its views and placed by the solver on the next layout
// pass. Only equalities are solved (see ConstraintSolver).

#include "platform/foundation/CGGeometry.h"
#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/UIView.h"

#include <string>
#include <vector>

enum NSLayoutRelation : std::int64_t {
    NSLayoutRelationLessThanOrEqual = -1,
    NSLayoutRelationEqual = 0,
    NSLayoutRelationGreaterThanOrEqual = 1,
};

class NSLayoutConstraint : public Object {
    MARQEL_OBJECT(NSLayoutConstraint, Object)
public:
    NSLayoutConstraint() = default;
    NSLayoutConstraint(std::shared_ptr<NSLayoutAnchor> first, std::shared_ptr<NSLayoutAnchor> second,
        CGFloat multiplier, CGFloat constant);
    ~NSLayoutConstraint() override;

    static std::shared_ptr<NSLayoutConstraint> constraintWithItem(const std::shared_ptr<UIView>& view1,
        NSLayoutAttribute attribute1, NSLayoutRelation relation, const std::shared_ptr<UIView>& view2,
        NSLayoutAttribute attribute2, CGFloat multiplier, CGFloat constant);
    static void activateConstraints(const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints);
    static void deactivateConstraints(const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints);

    const std::shared_ptr<NSLayoutAnchor>& firstAnchor() const { return m_first; }
    const std::shared_ptr<NSLayoutAnchor>& secondAnchor() const { return m_second; }
    std::shared_ptr<UIView> firstItem() const;
    std::shared_ptr<UIView> secondItem() const;
    NSLayoutAttribute firstAttribute() const;
    NSLayoutAttribute secondAttribute() const;
    NSLayoutRelation relation() const { return m_relation; }
    CGFloat multiplier() const { return m_multiplier; }
    CGFloat constant() const { return m_constant; }
    void setConstant(CGFloat constant);
    float priority() const { return m_priority; }
    void setPriority(float priority) { m_priority = priority; }
    const std::string& identifier() const { return m_identifier; }
    void setIdentifier(std::string identifier) { m_identifier = std::move(identifier); }

    bool isActive() const { return m_holder != nullptr; }
    // Activation needs the views to share an ancestor (as on the phone); a
    // constraint that cannot be activated is reported in the system log and
    // stays inactive.
    void setActive(bool active);
    // The view holding this constraint while it is active.
    UIView* holder() const { return m_holder; }
    // The items without retaining them (for the solver, which runs while
    // the tree holds them); null once a view is gone.
    UIView* firstView() const;
    UIView* secondView() const;
    std::string description() const override;

private:
    bool activate();
    void deactivate();
    void setRelation(NSLayoutRelation relation) { m_relation = relation; }

    std::shared_ptr<NSLayoutAnchor> m_first;
    std::shared_ptr<NSLayoutAnchor> m_second;
    NSLayoutRelation m_relation = NSLayoutRelationEqual;
    CGFloat m_multiplier = 1;
    CGFloat m_constant = 0;
    float m_priority = 1000;
    std::string m_identifier;
    // Non-owning: the holder owns this constraint while it is active, and
    // deactivates it (clearing this) before it goes.
    UIView* m_holder = nullptr;
};

// The axis an attribute belongs to: 0 horizontal, 1 vertical.
int NSLayoutAttributeAxis(NSLayoutAttribute attribute);
bool NSLayoutAttributeIsDimension(NSLayoutAttribute attribute);
