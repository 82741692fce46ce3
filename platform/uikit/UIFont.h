#pragma once

// System fonts by size and weight. The renderer maps them to a real face.

#include "platform/foundation/CGGeometry.h"
#include "platform/runtime/ClassBuilder.h"

using UIFontWeight = CGFloat;
inline constexpr UIFontWeight UIFontWeightUltraLight = -0.8;
inline constexpr UIFontWeight UIFontWeightThin = -0.6;
inline constexpr UIFontWeight UIFontWeightLight = -0.4;
inline constexpr UIFontWeight UIFontWeightRegular = 0;
inline constexpr UIFontWeight UIFontWeightMedium = 0.23;
inline constexpr UIFontWeight UIFontWeightSemibold = 0.3;
inline constexpr UIFontWeight UIFontWeightBold = 0.4;
inline constexpr UIFontWeight UIFontWeightHeavy = 0.56;
inline constexpr UIFontWeight UIFontWeightBlack = 0.62;

class UIFont : public Object {
    MARQEL_OBJECT(UIFont, Object)
public:
    UIFont() = default;
    UIFont(CGFloat pointSize, UIFontWeight weight)
        : m_pointSize(pointSize)
        , m_weight(weight)
    {
    }

    static std::shared_ptr<UIFont> systemFontOfSize(CGFloat pointSize);
    static std::shared_ptr<UIFont> systemFontOfSize(CGFloat pointSize, UIFontWeight weight);
    static std::shared_ptr<UIFont> boldSystemFontOfSize(CGFloat pointSize);

    CGFloat pointSize() const { return m_pointSize; }
    UIFontWeight weight() const { return m_weight; }
    CGFloat lineHeight() const { return m_pointSize * 1.2; }
    std::string fontName() const;
    std::shared_ptr<UIFont> fontWithSize(CGFloat pointSize) const;
    bool isEqual(const std::shared_ptr<UIFont>& other) const;
    std::string description() const override;

private:
    CGFloat m_pointSize = 17;
    UIFontWeight m_weight = UIFontWeightRegular;
};
