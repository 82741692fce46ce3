#pragma once

// The bookkeeping behind UIView's animation blocks, following Core
// Animation's model/presentation split: inside a block, a property's model
// value changes at once and the layer records an animation of that property
// (from its presentation value at that moment to the new model value, start
// time, duration, curve). Presentation values are read from these records at
// the run loop clock's time, so tests move time and never sleep.

#include "platform/foundation/CGGeometry.h"

#include <cstdint>
#include <vector>

using UIViewAnimationOptions = std::uint64_t;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionLayoutSubviews = 1 << 0;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionAllowUserInteraction = 1 << 1;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionBeginFromCurrentState = 1 << 2;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionCurveEaseInOut = 0 << 16;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionCurveEaseIn = 1 << 16;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionCurveEaseOut = 2 << 16;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionCurveLinear = 3 << 16;

enum class AnimationCurve { EaseInOut,
    EaseIn,
    EaseOut,
    Linear };

AnimationCurve animationCurveFromOptions(UIViewAnimationOptions options);
// The curve's progress at `fraction` (0...1) of the duration, from the cubic
// Bezier timing functions Core Animation names (ease-in-out is
// (0.42, 0, 0.58, 1)).
double animationProgress(AnimationCurve curve, double fraction);

inline CGFloat interpolate(CGFloat a, CGFloat b, double f) { return a + (b - a) * f; }
inline CGPoint interpolate(CGPoint a, CGPoint b, double f) { return { interpolate(a.x, b.x, f), interpolate(a.y, b.y, f) }; }
inline CGSize interpolate(CGSize a, CGSize b, double f) { return { interpolate(a.width, b.width, f), interpolate(a.height, b.height, f) }; }
inline CGRect interpolate(const CGRect& a, const CGRect& b, double f) { return { interpolate(a.origin, b.origin, f), interpolate(a.size, b.size, f) }; }
inline CGAffineTransform interpolate(const CGAffineTransform& a, const CGAffineTransform& b, double f)
{
    return { interpolate(a.a, b.a, f), interpolate(a.b, b.b, f), interpolate(a.c, b.c, f),
        interpolate(a.d, b.d, f), interpolate(a.tx, b.tx, f), interpolate(a.ty, b.ty, f) };
}

// The parameters of the innermost open animation block.
struct AnimationParameters {
    double begin = 0;  // clock time, delay included
    double duration = 0;
    AnimationCurve curve = AnimationCurve::EaseInOut;
};

// One property's animation on one layer. A fixed slot per property keeps
// recording free of allocation.
template <class T>
struct PropertyAnimation {
    bool active = false;
    T from {};
    T to {};
    AnimationParameters timing;

    bool runningAt(double now) const { return active && now < timing.begin + timing.duration; }
    T valueAt(double now, const T& model) const
    {
        if (!active || now >= timing.begin + timing.duration)
            return model;
        if (now <= timing.begin)
            return from;
        return interpolate(from, to, animationProgress(timing.curve, (now - timing.begin) / timing.duration));
    }
    // A change of the model value: animated from the presentation value when
    // a block is open, otherwise any running animation is dropped so the
    // presentation shows the new value at once. Asking again for the value a
    // running animation already heads to leaves it running, as UIKit's
    // additive animations do: a fade repeated on every move of a drag still
    // ends one duration after it began.
    void change(const AnimationParameters* block, double now, const T& presentationNow, const T& newValue)
    {
        if (block && runningAt(now) && to == newValue)
            return;
        if (!block || presentationNow == newValue) {
            active = false;
            return;
        }
        active = true;
        from = presentationNow;
        to = newValue;
        timing = *block;
    }
};

// The stack of open animation blocks. Nested blocks each take their own
// parameters; performWithoutAnimation opens a block that animates nothing.
class UIViewAnimation {
public:
    static const AnimationParameters* current();

    class Scope {
    public:
        explicit Scope(const AnimationParameters* parameters);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    };
};
