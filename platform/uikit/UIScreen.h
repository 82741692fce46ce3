#pragma once

// The device's screen: its size in points and its scale. Defaults to a
// 390 × 844 point screen at 3x; hosts and tests may set another device.

#include "platform/foundation/CGGeometry.h"
#include "platform/foundation/Result.h"
#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/Forward.h"

class UIScreen : public Object {
    MARQEL_OBJECT(UIScreen, Object)
public:
    static constexpr CGSize defaultSize { 390, 844 };
    static constexpr CGFloat defaultScale = 3;

    UIScreen() = default;
    static std::shared_ptr<UIScreen> mainScreen();

    CGRect bounds() const { return { CGPointZero, m_size }; }
    CGFloat scale() const { return m_scale; }
    CGFloat nativeScale() const { return m_scale; }
    // In pixels.
    CGRect nativeBounds() const { return { CGPointZero, { m_size.width * m_scale, m_size.height * m_scale } }; }
    std::shared_ptr<UITraitCollection> traitCollection() const;

    // A size or scale that is not positive (or not a finite number) is
    // refused, leaving the screen as it was: no device has one, and
    // everything sized from the screen would be empty.
    foundation::Status setSize(CGSize size);
    foundation::Status setScale(CGFloat scale);
    void resetToDefault();

private:
    CGSize m_size = defaultSize;
    CGFloat m_scale = defaultScale;
};
