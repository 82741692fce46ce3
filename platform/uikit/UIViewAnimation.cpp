#include "platform/uikit/UIViewAnimation.h"

#include <cmath>

namespace {

struct Bezier {
    double x1, y1, x2, y2;

    static double coordinate(double t, double p1, double p2)
    {
        double u = 1 - t;
        return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
    }
    static double slope(double t, double p1, double p2)
    {
        double u = 1 - t;
        return 3 * u * u * p1 + 6 * u * t * (p2 - p1) + 3 * t * t * (1 - p2);
    }
    double yForX(double x) const
    {
        // Newton first (fast near the answer), bisection when the slope is
        // flat; x(t) is monotonic for these control points.
        double t = x;
        for (int i = 0; i < 8; ++i) {
            double error = coordinate(t, x1, x2) - x;
            if (std::fabs(error) < 1e-9)
                return coordinate(t, y1, y2);
            double d = slope(t, x1, x2);
            if (std::fabs(d) < 1e-6)
                break;
            t -= error / d;
        }
        double lo = 0, hi = 1;
        t = x;
        for (int i = 0; i < 60; ++i) {
            double value = coordinate(t, x1, x2);
            if (std::fabs(value - x) < 1e-9)
                break;
            (value < x ? lo : hi) = t;
            t = (lo + hi) / 2;
        }
        return coordinate(t, y1, y2);
    }
};

std::vector<const AnimationParameters*>& stack()
{
    static std::vector<const AnimationParameters*> blocks;
    return blocks;
}

}  // namespace

AnimationCurve animationCurveFromOptions(UIViewAnimationOptions options)
{
    switch ((options >> 16) & 3) {
    case 1:
        return AnimationCurve::EaseIn;
    case 2:
        return AnimationCurve::EaseOut;
    case 3:
        return AnimationCurve::Linear;
    default:
        return AnimationCurve::EaseInOut;
    }
}

double animationProgress(AnimationCurve curve, double fraction)
{
    if (fraction <= 0)
        return 0;
    if (fraction >= 1)
        return 1;
    switch (curve) {
    case AnimationCurve::Linear:
        return fraction;
    case AnimationCurve::EaseIn:
        return Bezier { 0.42, 0, 1, 1 }.yForX(fraction);
    case AnimationCurve::EaseOut:
        return Bezier { 0, 0, 0.58, 1 }.yForX(fraction);
    case AnimationCurve::EaseInOut:
        break;
    }
    return Bezier { 0.42, 0, 0.58, 1 }.yForX(fraction);
}

const AnimationParameters* UIViewAnimation::current()
{
    auto& blocks = stack();
    return blocks.empty() ? nullptr : blocks.back();
}

UIViewAnimation::Scope::Scope(const AnimationParameters* parameters)
{
    stack().push_back(parameters);
}

UIViewAnimation::Scope::~Scope()
{
    stack().pop_back();
}
