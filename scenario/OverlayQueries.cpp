#include "scenario/OverlayQueries.h"

#include "platform/automation/ScreenQueries.h"
#include "platform/runtime/Runtime.h"
#include "platform/uikit/UIKit.h"

namespace scenario {

// The tweak's classes live in the module SpringBoard loads, so they are
// looked up by name, as any code outside the tweak would.
std::shared_ptr<UIWindow> overlayWindow() { return automation::findWindowOfClass(objc_getClass("MarqelWindow")); }

// The overlay's box in SpringBoard, or its twin in the Settings app's
// default-area editor.
std::shared_ptr<UIView> findBox()
{
    if (auto box = automation::findViewOfClass(objc_getClass("ResizableBox")))
        return box;
    return automation::findViewOfClass(objc_getClass("DefaultResizableBox"));
}

namespace {

// The overlay controller's root view, which holds the box, the dimming and the bars.
std::shared_ptr<UIView> overlayContent()
{
    auto window = overlayWindow();
    auto controller = window ? window->rootViewController() : nullptr;
    return controller && controller->isViewLoaded() ? controller->view() : nullptr;
}

}  // namespace

std::shared_ptr<UIView> toolBarHolding(const std::string& symbol)
{
    auto content = overlayContent();
    if (!content)
        return nullptr;
    for (const auto& view : automation::viewsUnder(content)) {
        if (automation::symbolOf(view) != symbol)
            continue;
        auto bar = view;
        while (bar->superview() && bar->superview() != content)
            bar = bar->superview();
        return bar->superview() == content && bar != view ? bar : nullptr;
    }
    return nullptr;
}

std::shared_ptr<UILabel> boxReadout()
{
    auto box = findBox();
    std::shared_ptr<UILabel> label;
    for (const auto& view : box ? box->subviews() : std::vector<std::shared_ptr<UIView>> {})
        if (auto found = objc_cast<UILabel>(view))
            label = found;
    return label;
}

std::shared_ptr<UIView> dimmingView()
{
    // The editor's view holds the dimming beside the box, in either app.
    auto box = findBox();
    auto content = box ? box->superview() : overlayContent();
    for (const auto& view : content ? automation::viewsUnder(content) : std::vector<std::shared_ptr<UIView>> {})
        if (std::dynamic_pointer_cast<CAShapeLayer>(view->layer()->mask()))
            return view;
    return nullptr;
}

std::shared_ptr<CAShapeLayer> boxOutline()
{
    auto box = findBox();
    std::shared_ptr<CAShapeLayer> outline;
    for (const auto& layer : box ? box->layer()->sublayers() : std::vector<std::shared_ptr<CALayer>> {})
        if (auto shape = std::dynamic_pointer_cast<CAShapeLayer>(layer))
            outline = shape;
    return outline;
}

}  // namespace scenario
