#include "kit/UIColor+ZRColours.h"

#include "kit/ZRColourText.h"

#include <charconv>

namespace zr {

namespace {

UIColor::RGBA rgb(int r, int g, int b, CGFloat alpha = 1) { return { r / 255.0, g / 255.0, b / 255.0, alpha }; }

}  // namespace

// A calm green for "on", a soft red for "off"; shadows are the same hue
// translucent, borders a lighter tint.
std::shared_ptr<UIColor> enabledColour() { return UIColor::colorWithLightColor(rgb(52, 199, 89), rgb(48, 209, 88)); }
std::shared_ptr<UIColor> enabledShadowColour() { return UIColor::colorWithLightColor(rgb(52, 199, 89, 0.45), rgb(48, 209, 88, 0.45)); }
std::shared_ptr<UIColor> enabledBorderColour() { return UIColor::colorWithLightColor(rgb(134, 226, 157), rgb(105, 224, 137)); }
std::shared_ptr<UIColor> disabledColour() { return UIColor::colorWithLightColor(rgb(255, 69, 58), rgb(255, 79, 68)); }
std::shared_ptr<UIColor> disabledShadowColour() { return UIColor::colorWithLightColor(rgb(255, 69, 58, 0.45), rgb(255, 79, 68, 0.45)); }
std::shared_ptr<UIColor> disabledBorderColour() { return UIColor::colorWithLightColor(rgb(255, 150, 143), rgb(255, 128, 120)); }
// The screens' backgrounds follow the system's grouped look: a pale grey (black
// in dark mode) page with white (dark grey) cards on it, so text in the label
// colours reads on both. Tints use the accent, never a background.
std::shared_ptr<UIColor> primaryColour() { return UIColor::systemGroupedBackgroundColor(); }
std::shared_ptr<UIColor> secondaryColour() { return UIColor::secondarySystemGroupedBackgroundColor(); }
std::shared_ptr<UIColor> accentColour() { return UIColor::systemBlueColor(); }

std::shared_ptr<UIColor> colourFromHex(std::string_view hex)
{
    auto text = colourText(hex);
    if (!text)
        return nullptr;
    const std::string& digits = text.value();
    int channel[3] = {};
    for (int i = 0; i < 3; ++i)
        std::from_chars(digits.data() + 2 * i, digits.data() + 2 * i + 2, channel[i], 16);
    return UIColor::colorWithRed(channel[0] / 255.0, channel[1] / 255.0, channel[2] / 255.0, 1);
}

}  // namespace zr
