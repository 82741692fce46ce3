#pragma once

// Core Graphics geometry. Structures carry their Objective-C type encoding so
// they can cross message sends.

#include <cmath>
#include <string>

using CGFloat = double;

struct CGPoint {
    static constexpr const char* encoding = "{CGPoint=dd}";
    CGFloat x = 0, y = 0;
    bool operator==(const CGPoint&) const = default;
};

struct CGSize {
    static constexpr const char* encoding = "{CGSize=dd}";
    CGFloat width = 0, height = 0;
    bool operator==(const CGSize&) const = default;
};

struct CGRect {
    static constexpr const char* encoding = "{CGRect={CGPoint=dd}{CGSize=dd}}";
    CGPoint origin;
    CGSize size;
    bool operator==(const CGRect&) const = default;
};

struct CGAffineTransform {
    static constexpr const char* encoding = "{CGAffineTransform=dddddd}";
    CGFloat a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    bool operator==(const CGAffineTransform&) const = default;
};

inline constexpr CGPoint CGPointMake(CGFloat x, CGFloat y) { return { x, y }; }
inline constexpr CGSize CGSizeMake(CGFloat w, CGFloat h) { return { w, h }; }
inline constexpr CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat w, CGFloat h) { return { { x, y }, { w, h } }; }
inline constexpr CGRect CGRectZero {};
inline constexpr CGPoint CGPointZero {};
inline constexpr CGSize CGSizeZero {};
inline constexpr CGAffineTransform CGAffineTransformIdentity {};

inline CGFloat CGRectGetMinX(const CGRect& r) { return r.origin.x; }
inline CGFloat CGRectGetMinY(const CGRect& r) { return r.origin.y; }
inline CGFloat CGRectGetMaxX(const CGRect& r) { return r.origin.x + r.size.width; }
inline CGFloat CGRectGetMaxY(const CGRect& r) { return r.origin.y + r.size.height; }
inline CGFloat CGRectGetMidX(const CGRect& r) { return r.origin.x + r.size.width / 2; }
inline CGFloat CGRectGetMidY(const CGRect& r) { return r.origin.y + r.size.height / 2; }
inline CGFloat CGRectGetWidth(const CGRect& r) { return r.size.width; }
inline CGFloat CGRectGetHeight(const CGRect& r) { return r.size.height; }
// The rectangle shrunk by dx on the left and right and dy on the top and
// bottom (grown when negative), about the same centre.
inline CGRect CGRectInset(const CGRect& r, CGFloat dx, CGFloat dy)
{
    return { { r.origin.x + dx, r.origin.y + dy }, { r.size.width - 2 * dx, r.size.height - 2 * dy } };
}
inline bool CGRectContainsPoint(const CGRect& r, CGPoint p)
{
    return p.x >= r.origin.x && p.x < CGRectGetMaxX(r) && p.y >= r.origin.y && p.y < CGRectGetMaxY(r);
}
// Rectangles (of positive size) that only touch along an edge do not meet.
inline bool CGRectIntersectsRect(const CGRect& a, const CGRect& b)
{
    return CGRectGetMinX(a) < CGRectGetMaxX(b) && CGRectGetMinX(b) < CGRectGetMaxX(a) && CGRectGetMinY(a) < CGRectGetMaxY(b)
        && CGRectGetMinY(b) < CGRectGetMaxY(a);
}

inline CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty) { return { 1, 0, 0, 1, tx, ty }; }
inline CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy) { return { sx, 0, 0, sy, 0, 0 }; }
inline CGAffineTransform CGAffineTransformMakeRotation(CGFloat angle)
{
    return { std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle), 0, 0 };
}
// t1 then t2, as Core Graphics defines the concatenation.
inline CGAffineTransform CGAffineTransformConcat(const CGAffineTransform& t1, const CGAffineTransform& t2)
{
    return { t1.a * t2.a + t1.b * t2.c, t1.a * t2.b + t1.b * t2.d,
        t1.c * t2.a + t1.d * t2.c, t1.c * t2.b + t1.d * t2.d,
        t1.tx * t2.a + t1.ty * t2.c + t2.tx, t1.tx * t2.b + t1.ty * t2.d + t2.ty };
}
inline CGAffineTransform CGAffineTransformScale(const CGAffineTransform& t, CGFloat sx, CGFloat sy)
{
    return CGAffineTransformConcat(CGAffineTransformMakeScale(sx, sy), t);
}
inline CGAffineTransform CGAffineTransformTranslate(const CGAffineTransform& t, CGFloat tx, CGFloat ty)
{
    return CGAffineTransformConcat(CGAffineTransformMakeTranslation(tx, ty), t);
}
inline CGAffineTransform CGAffineTransformInvert(const CGAffineTransform& t)
{
    CGFloat det = t.a * t.d - t.b * t.c;
    if (det == 0)
        return t;
    return { t.d / det, -t.b / det, -t.c / det, t.a / det,
        (t.c * t.ty - t.d * t.tx) / det, (t.b * t.tx - t.a * t.ty) / det };
}
inline bool CGAffineTransformIsIdentity(const CGAffineTransform& t) { return t == CGAffineTransformIdentity; }
inline CGPoint CGPointApplyAffineTransform(CGPoint p, const CGAffineTransform& t)
{
    return { t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty };
}

// "{{x, y}, {w, h}}" with the shortest decimal text of each number, as
// NSStringFromCGRect writes it.
std::string NSStringFromCGRect(const CGRect& rect);
std::string NSStringFromCGPoint(const CGPoint& point);
std::string NSStringFromCGSize(const CGSize& size);
