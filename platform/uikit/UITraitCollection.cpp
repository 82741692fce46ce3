#include "platform/uikit/UITraitCollection.h"

#include "platform/uikit/UIApplication.h"

#include <atomic>

MARQEL_DEFINE_CLASS(UITraitCollection,
    method<&UITraitCollection::userInterfaceStyle>("userInterfaceStyle"))

namespace {
// Read from any thread (a renderer may resolve colours off the main thread).
std::atomic<UIUserInterfaceStyle> systemStyle { UIUserInterfaceStyleLight };
}  // namespace

std::shared_ptr<UITraitCollection> UITraitCollection::traitCollectionWithUserInterfaceStyle(UIUserInterfaceStyle style)
{
    return alloc<UITraitCollection>(style);
}

std::shared_ptr<UITraitCollection> UITraitCollection::currentTraitCollection()
{
    return alloc<UITraitCollection>(systemUserInterfaceStyle());
}

UIUserInterfaceStyle UITraitCollection::systemUserInterfaceStyle()
{
    return systemStyle.load(std::memory_order_relaxed);
}

void UITraitCollection::setSystemUserInterfaceStyle(UIUserInterfaceStyle style)
{
    if (style == UIUserInterfaceStyleUnspecified)
        style = UIUserInterfaceStyleLight;
    UIUserInterfaceStyle previous = systemStyle.exchange(style);
    if (previous != style)
        UIApplication::sharedApplication()->userInterfaceStyleDidChange(previous);
}

std::string UITraitCollection::description() const
{
    return std::string("<UITraitCollection; UserInterfaceStyle = ") + (isDark() ? "Dark" : "Light") + ">";
}
