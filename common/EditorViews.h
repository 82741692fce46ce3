#pragma once

// What the overlay's editor and its twin in the settings bundle build
// alike around their crop box: the stored rectangle they start from, the
// dimmed surroundings with the box's cut-out, and the bars that fade while
// a finger is down.

#include "platform/uikit/UIKit.h"

#include <memory>
#include <vector>

namespace EditorViews {

// The default crop rectangle, read from the four preferences in order
// (x, y, width, height) and widened to double.
CGRect storedRectangle();

// A dark layer over the whole of `root`, added to it.
std::shared_ptr<UIView> addDimmingView(UIView& root);

// Adds `box`, built at `stored`, to `root`; the untouched defaults, which
// cannot be told from a box at the top-left, centre it instead.
void placeBox(UIView& root, const std::shared_ptr<UIView>& box, CGRect stored);

// Re-cuts the dimming around `box`, with the editor's log line.
void cutOut(UIView& dimming, CGRect box);

// Fades `bars` out (hide) or back in over 0.2 s.
void fadeBars(std::vector<std::shared_ptr<UIView>> bars, bool hide);

}  // namespace EditorViews
