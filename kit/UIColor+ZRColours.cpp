#include "kit/UIColor+ZRColours.h"

namespace zr {

namespace {

UIColor::RGBA rgb(int r, int g, int b, CGFloat alpha = 1) { return { r / 255.0, g / 255.0, b / 255.0, alpha }; }

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

// A calm green for "on", a soft red for "off"; shadows are the same hue
// translucent, borders a lighter tint.
std::shared_ptr<UIColor> enabledColour() { return UIColor::colorWithLightColor(rgb(52, 199, 89), rgb(48, 209, 88)); }
std::shared_ptr<UIColor> enabledShadowColour() { return UIColor::colorWithLightColor(rgb(52, 199, 89, 0.45), rgb(48, 209, 88, 0.45)); }
std::shared_ptr<UIColor> enabledBorderColour() { return UIColor::colorWithLightColor(rgb(134, 226, 157), rgb(105, 224, 137)); }
std::shared_ptr<UIColor> disabledColour() { return UIColor::colorWithLightColor(rgb(255, 69, 58), rgb(255, 79, 68)); }
std::shared_ptr<UIColor> disabledShadowColour() { return UIColor::colorWithLightColor(rgb(255, 69, 58, 0.45), rgb(255, 79, 68, 0.45)); }
std::shared_ptr<UIColor> disabledBorderColour() { return UIColor::colorWithLightColor(rgb(255, 150, 143), rgb(255, 128, 120)); }
std::shared_ptr<UIColor> primaryColour() { return UIColor::colorWithLightColor(rgb(0, 122, 255), rgb(10, 132, 255)); }
std::shared_ptr<UIColor> secondaryColour() { return UIColor::colorWithLightColor(rgb(242, 242, 247), rgb(44, 44, 46)); }

std::shared_ptr<UIColor> colourFromHex(std::string_view hex)
{
    if (!hex.empty() && hex.front() == '#')
        hex.remove_prefix(1);
    if (hex.size() != 6)
        return nullptr;
    int channel[3];
    for (int i = 0; i < 3; ++i) {
        int high = hexDigit(hex[2 * i]);
        int low = hexDigit(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return nullptr;
        channel[i] = high * 16 + low;
    }
    return UIColor::colorWithRed(channel[0] / 255.0, channel[1] / 255.0, channel[2] / 255.0, 1);
}

}  // namespace zr
