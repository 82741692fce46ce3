#include "platform/uikit/NSLayoutAnchor.h"

#include "platform/uikit/NSLayoutConstraint.h"

MARQEL_DEFINE_CLASS(NSLayoutAnchor)
MARQEL_DEFINE_CLASS(NSLayoutXAxisAnchor,
    method<&NSLayoutXAxisAnchor::constraintEqualToAnchor>("constraintEqualToAnchor:constant:"))
MARQEL_DEFINE_CLASS(NSLayoutYAxisAnchor,
    method<&NSLayoutYAxisAnchor::constraintEqualToAnchor>("constraintEqualToAnchor:constant:"))
MARQEL_DEFINE_CLASS(NSLayoutDimension,
    method<&NSLayoutDimension::constraintEqualToConstant>("constraintEqualToConstant:"),
    method<&NSLayoutDimension::constraintEqualToAnchor>("constraintEqualToAnchor:constant:multiplier:"))

std::shared_ptr<UIView> NSLayoutAnchor::item() const
{
    return m_view ? m_view->retained<UIView>() : nullptr;
}

std::string NSLayoutAnchor::description() const
{
    static const char* const names[] = { "notAnAttribute", "left", "right", "top", "bottom", "leading",
        "trailing", "width", "height", "centerX", "centerY" };
    std::string view = m_view ? m_view->description() : "(no view)";
    return view + "." + names[m_attribute];
}

std::shared_ptr<NSLayoutConstraint> NSLayoutXAxisAnchor::constraintEqualToAnchor(
    const std::shared_ptr<NSLayoutXAxisAnchor>& anchor, CGFloat constant)
{
    return alloc<NSLayoutConstraint>(retained<NSLayoutAnchor>(), anchor, 1.0, constant);
}

std::shared_ptr<NSLayoutConstraint> NSLayoutYAxisAnchor::constraintEqualToAnchor(
    const std::shared_ptr<NSLayoutYAxisAnchor>& anchor, CGFloat constant)
{
    return alloc<NSLayoutConstraint>(retained<NSLayoutAnchor>(), anchor, 1.0, constant);
}

std::shared_ptr<NSLayoutConstraint> NSLayoutDimension::constraintEqualToConstant(CGFloat constant)
{
    return alloc<NSLayoutConstraint>(retained<NSLayoutAnchor>(), nullptr, 1.0, constant);
}

std::shared_ptr<NSLayoutConstraint> NSLayoutDimension::constraintEqualToAnchor(
    const std::shared_ptr<NSLayoutDimension>& anchor, CGFloat constant, CGFloat multiplier)
{
    return alloc<NSLayoutConstraint>(retained<NSLayoutAnchor>(), anchor, multiplier, constant);
}
