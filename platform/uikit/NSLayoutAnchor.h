#pragma once

// Layout anchors: one edge, centre or dimension of a view, from which
// constraints are made. An anchor names its view without owning it; once the
// view is gone the anchor names nothing.

#include "platform/foundation/CGGeometry.h"
#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/UIView.h"

class NSLayoutAnchor : public Object {
    MARQEL_OBJECT(NSLayoutAnchor, Object)
public:
    NSLayoutAnchor() = default;
    NSLayoutAnchor(UIView* view, NSLayoutAttribute attribute)
        : m_view(view)
        , m_attribute(attribute)
    {
    }

    // The view, without retaining it: null once the view is gone.
    UIView* view() const { return m_view; }
    std::shared_ptr<UIView> item() const;
    NSLayoutAttribute attribute() const { return m_attribute; }
    std::string description() const override;
    // Sent by the view as it goes.
    void viewDidGo(Badge<UIView>) { m_view = nullptr; }

private:
    UIView* m_view = nullptr;  // non-owning, cleared by the view when it goes
    NSLayoutAttribute m_attribute = NSLayoutAttributeNotAnAttribute;
};

class NSLayoutXAxisAnchor : public NSLayoutAnchor {
    MARQEL_OBJECT(NSLayoutXAxisAnchor, NSLayoutAnchor)
public:
    using NSLayoutAnchor::NSLayoutAnchor;
    // this = anchor + constant; inactive until activated.
    std::shared_ptr<NSLayoutConstraint> constraintEqualToAnchor(const std::shared_ptr<NSLayoutXAxisAnchor>& anchor,
        CGFloat constant = 0);
};

class NSLayoutYAxisAnchor : public NSLayoutAnchor {
    MARQEL_OBJECT(NSLayoutYAxisAnchor, NSLayoutAnchor)
public:
    using NSLayoutAnchor::NSLayoutAnchor;
    std::shared_ptr<NSLayoutConstraint> constraintEqualToAnchor(const std::shared_ptr<NSLayoutYAxisAnchor>& anchor,
        CGFloat constant = 0);
};

class NSLayoutDimension : public NSLayoutAnchor {
    MARQEL_OBJECT(NSLayoutDimension, NSLayoutAnchor)
public:
    using NSLayoutAnchor::NSLayoutAnchor;
    std::shared_ptr<NSLayoutConstraint> constraintEqualToConstant(CGFloat constant);
    // this = anchor × multiplier + constant.
    std::shared_ptr<NSLayoutConstraint> constraintEqualToAnchor(const std::shared_ptr<NSLayoutDimension>& anchor,
        CGFloat constant = 0, CGFloat multiplier = 1);
};
