#include "kit/UIView+ZRLayout.h"

#include "platform/foundation/NSLog.h"

namespace zr {

namespace {

// Activates and hands back the constraint only when the platform accepted it.
template <class Anchor>
Constraint pin(UIView& view, const std::shared_ptr<Anchor>& own, const std::shared_ptr<Anchor>& other, CGFloat constant)
{
    if (!other)
        return nullptr;
    view.setTranslatesAutoresizingMaskIntoConstraints(false);
    auto constraint = own->constraintEqualToAnchor(other, constant);
    constraint->setActive(true);
    return constraint->isActive() ? constraint : nullptr;
}

void keep(std::vector<Constraint>& list, Constraint constraint)
{
    if (constraint)
        list.push_back(std::move(constraint));
}

}  // namespace

std::vector<Constraint> fill(UIView& view)
{
    auto superview = view.superview();
    if (!superview) {
        NSLog("zr::fill: %@ has no superview to fill", &view);
        return {};
    }
    std::vector<Constraint> constraints;
    keep(constraints, top(view, superview->topAnchor(), 0));
    keep(constraints, leading(view, superview->leadingAnchor(), 0));
    keep(constraints, trailing(view, superview->trailingAnchor(), 0));
    keep(constraints, bottom(view, superview->bottomAnchor(), 0));
    return constraints;
}

std::vector<Constraint> size(UIView& view, CGFloat width, CGFloat height)
{
    view.setTranslatesAutoresizingMaskIntoConstraints(false);
    std::vector<Constraint> constraints { view.widthAnchor()->constraintEqualToConstant(width),
        view.heightAnchor()->constraintEqualToConstant(height) };
    NSLayoutConstraint::activateConstraints(constraints);
    return constraints;
}

Constraint top(UIView& view, const YAnchor& anchor, CGFloat padding) { return pin(view, view.topAnchor(), anchor, padding); }
Constraint bottom(UIView& view, const YAnchor& anchor, CGFloat padding) { return pin(view, view.bottomAnchor(), anchor, padding); }
Constraint leading(UIView& view, const XAnchor& anchor, CGFloat padding) { return pin(view, view.leadingAnchor(), anchor, padding); }
Constraint trailing(UIView& view, const XAnchor& anchor, CGFloat padding) { return pin(view, view.trailingAnchor(), anchor, padding); }
Constraint x(UIView& view, const XAnchor& anchor) { return pin(view, view.centerXAnchor(), anchor, 0); }
Constraint y(UIView& view, const YAnchor& anchor) { return pin(view, view.centerYAnchor(), anchor, 0); }

std::vector<Constraint> xy(UIView& view, const XAnchor& anchorX, const YAnchor& anchorY)
{
    std::vector<Constraint> constraints;
    keep(constraints, x(view, anchorX));
    keep(constraints, y(view, anchorY));
    return constraints;
}

std::vector<Constraint> fill(const std::shared_ptr<UIView>& view) { return view ? fill(*view) : std::vector<Constraint> {}; }
std::vector<Constraint> size(const std::shared_ptr<UIView>& view, CGFloat width, CGFloat height)
{
    return view ? size(*view, width, height) : std::vector<Constraint> {};
}
Constraint top(const std::shared_ptr<UIView>& view, const YAnchor& anchor, CGFloat padding) { return view ? top(*view, anchor, padding) : nullptr; }
Constraint bottom(const std::shared_ptr<UIView>& view, const YAnchor& anchor, CGFloat padding) { return view ? bottom(*view, anchor, padding) : nullptr; }
Constraint leading(const std::shared_ptr<UIView>& view, const XAnchor& anchor, CGFloat padding) { return view ? leading(*view, anchor, padding) : nullptr; }
Constraint trailing(const std::shared_ptr<UIView>& view, const XAnchor& anchor, CGFloat padding) { return view ? trailing(*view, anchor, padding) : nullptr; }
Constraint x(const std::shared_ptr<UIView>& view, const XAnchor& anchor) { return view ? x(*view, anchor) : nullptr; }
Constraint y(const std::shared_ptr<UIView>& view, const YAnchor& anchor) { return view ? y(*view, anchor) : nullptr; }
std::vector<Constraint> xy(const std::shared_ptr<UIView>& view, const XAnchor& anchorX, const YAnchor& anchorY)
{
    return view ? xy(*view, anchorX, anchorY) : std::vector<Constraint> {};
}

}  // namespace zr
