#pragma once

// The crop tool's overlay as a user sees it, found by what each part is:
// the window and the box by their classes, a tool bar as the bar that holds
// a given button, the read-out and the outline as the box's label and shape
// layer. Every lookup returns null when the part is not on screen.

#include "platform/uikit/Forward.h"

#include <memory>
#include <string>

namespace scenario {

std::shared_ptr<UIWindow> overlayWindow();
std::shared_ptr<UIView> findBox();
// The bar of the overlay holding a button that shows `symbol`, also while
// the bar is faded out: the holder's ancestor that sits directly on the
// overlay's content view.
std::shared_ptr<UIView> toolBarHolding(const std::string& symbol);
std::shared_ptr<UILabel> boxReadout();
// The overlay's dimmed layer: the view whose layer is masked by a shape, so
// the screen shows through where the mask leaves a hole.
std::shared_ptr<UIView> dimmingView();
std::shared_ptr<CAShapeLayer> boxOutline();

}  // namespace scenario
