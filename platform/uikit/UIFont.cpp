#include "platform/uikit/UIFont.h"

#include <cstdio>

MARQEL_DEFINE_CLASS(UIFont,
    method<&UIFont::pointSize>("pointSize"),
    method<&UIFont::fontName>("fontName"),
    method<&UIFont::isEqual>("isEqual:"))

std::shared_ptr<UIFont> UIFont::systemFontOfSize(CGFloat pointSize)
{
    return alloc<UIFont>(pointSize, UIFontWeightRegular);
}

std::shared_ptr<UIFont> UIFont::systemFontOfSize(CGFloat pointSize, UIFontWeight weight)
{
    return alloc<UIFont>(pointSize, weight);
}

std::shared_ptr<UIFont> UIFont::boldSystemFontOfSize(CGFloat pointSize)
{
    return alloc<UIFont>(pointSize, UIFontWeightBold);
}

std::string UIFont::fontName() const
{
    if (m_weight >= UIFontWeightBold)
        return ".SFUI-Bold";
    if (m_weight >= UIFontWeightSemibold)
        return ".SFUI-Semibold";
    if (m_weight >= UIFontWeightMedium)
        return ".SFUI-Medium";
    if (m_weight <= UIFontWeightLight)
        return ".SFUI-Light";
    return ".SFUI-Regular";
}

std::shared_ptr<UIFont> UIFont::fontWithSize(CGFloat pointSize) const
{
    return alloc<UIFont>(pointSize, m_weight);
}

bool UIFont::isEqual(const std::shared_ptr<UIFont>& other) const
{
    return other && other->m_pointSize == m_pointSize && other->m_weight == m_weight;
}

std::string UIFont::description() const
{
    char text[96];
    std::snprintf(text, sizeof text, "<UICTFont> font-family: \"%s\"; font-size: %gpt", fontName().c_str(), m_pointSize);
    return text;
}
