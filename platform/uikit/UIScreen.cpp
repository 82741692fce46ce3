#include "platform/uikit/UIScreen.h"

#include "platform/uikit/UITraitCollection.h"

#include <cmath>
#include <string>

MARQEL_DEFINE_CLASS(UIScreen,
    method<&UIScreen::bounds>("bounds"),
    method<&UIScreen::scale>("scale"),
    method<&UIScreen::nativeBounds>("nativeBounds"))

std::shared_ptr<UIScreen> UIScreen::mainScreen()
{
    static const auto* screen = new std::shared_ptr<UIScreen>(alloc<UIScreen>());
    return *screen;
}

std::shared_ptr<UITraitCollection> UIScreen::traitCollection() const
{
    return UITraitCollection::currentTraitCollection();
}

foundation::Status UIScreen::setSize(CGSize size)
{
    if (!(size.width > 0) || !(size.height > 0) || !std::isfinite(size.width) || !std::isfinite(size.height))
        return foundation::Error { foundation::ErrorCode::InvalidArgument,
            "a screen of " + std::to_string(size.width) + " x " + std::to_string(size.height)
                + " points cannot be shown: give both sides as positive numbers" };
    m_size = size;
    return {};
}

foundation::Status UIScreen::setScale(CGFloat scale)
{
    if (!(scale > 0) || !std::isfinite(scale))
        return foundation::Error { foundation::ErrorCode::InvalidArgument,
            "a screen scale of " + std::to_string(scale) + " pixels a point cannot be shown: give a positive number" };
    m_scale = scale;
    return {};
}

void UIScreen::resetToDefault()
{
    m_size = defaultSize;
    m_scale = defaultScale;
}
