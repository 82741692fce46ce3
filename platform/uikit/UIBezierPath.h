#pragma once

// UIKit's path object, a thin owner of a CGPath.

#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/CGPath.h"

class UIBezierPath : public Object {
    MARQEL_OBJECT(UIBezierPath, Object)
public:
    UIBezierPath();
    static std::shared_ptr<UIBezierPath> bezierPath();
    static std::shared_ptr<UIBezierPath> bezierPathWithRect(CGRect rect);

    // The path as it is now; later changes to this object do not alter it.
    CGPathRef CGPath() const;
    void appendPath(const std::shared_ptr<UIBezierPath>& other);
    void moveToPoint(CGPoint point);
    void addLineToPoint(CGPoint point);
    void closePath();

    bool usesEvenOddFillRule() const { return m_evenOdd; }
    void setUsesEvenOddFillRule(bool evenOdd) { m_evenOdd = evenOdd; }
    bool containsPoint(CGPoint point) const;
    CGRect bounds() const;
    bool isEmpty() const;

private:
    // Copied on the first change after CGPath() handed it out.
    CGMutablePathRef& writable();

    mutable CGMutablePathRef m_path;
    mutable bool m_shared = false;
    bool m_evenOdd = false;
};
