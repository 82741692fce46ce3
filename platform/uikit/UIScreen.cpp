#include "platform/uikit/UIScreen.h"

#include "platform/uikit/UITraitCollection.h"

#include <cmath>

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

bool UIScreen::setSize(CGSize size)
{
    if (!(size.width > 0) || !(size.height > 0) || !std::isfinite(size.width) || !std::isfinite(size.height))
        return false;
    m_size = size;
    return true;
}

bool UIScreen::setScale(CGFloat scale)
{
    if (!(scale > 0) || !std::isfinite(scale))
        return false;
    m_scale = scale;
    return true;
}

void UIScreen::resetToDefault()
{
    m_size = defaultSize;
    m_scale = defaultScale;
}
