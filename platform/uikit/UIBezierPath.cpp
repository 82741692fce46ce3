#include "platform/uikit/UIBezierPath.h"

MARQEL_DEFINE_CLASS(UIBezierPath,
    method<&UIBezierPath::appendPath>("appendPath:"),
    method<&UIBezierPath::closePath>("closePath"),
    method<&UIBezierPath::containsPoint>("containsPoint:"))

UIBezierPath::UIBezierPath()
    : m_path(CGPathCreateMutable())
{
}

std::shared_ptr<UIBezierPath> UIBezierPath::bezierPath()
{
    return alloc<UIBezierPath>();
}

std::shared_ptr<UIBezierPath> UIBezierPath::bezierPathWithRect(CGRect rect)
{
    auto path = alloc<UIBezierPath>();
    CGPathAddRect(path->m_path, nullptr, rect);
    return path;
}

CGPathRef UIBezierPath::CGPath() const
{
    m_shared = true;
    return m_path;
}

CGMutablePathRef& UIBezierPath::writable()
{
    if (m_shared) {
        m_path = CGPathCreateMutableCopy(m_path);
        m_shared = false;
    }
    return m_path;
}

void UIBezierPath::appendPath(const std::shared_ptr<UIBezierPath>& other)
{
    if (!other)
        return;
    CGPathRef snapshot = other.get() == this ? CGPathCreateMutableCopy(m_path) : other->CGPath();
    CGPathAddPath(writable(), nullptr, snapshot);
}

void UIBezierPath::moveToPoint(CGPoint point)
{
    CGPathMoveToPoint(writable(), nullptr, point.x, point.y);
}

void UIBezierPath::addLineToPoint(CGPoint point)
{
    CGPathAddLineToPoint(writable(), nullptr, point.x, point.y);
}

void UIBezierPath::closePath()
{
    CGPathCloseSubpath(writable());
}

bool UIBezierPath::containsPoint(CGPoint point) const
{
    return CGPathContainsPoint(m_path, nullptr, point, m_evenOdd);
}

CGRect UIBezierPath::bounds() const
{
    return CGPathIsEmpty(m_path) ? CGRectZero : CGPathGetBoundingBox(m_path);
}

bool UIBezierPath::isEmpty() const
{
    return CGPathIsEmpty(m_path);
}
