#pragma once

// ZorvelinKit's view layout operations. The caller adds the view to its
// superview first; each operation turns off the view's autoresizing-mask
// translation, then creates and activates its constraints. Paddings are
// added to the other anchor unchanged (positive is right or down), so
// callers pass negative paddings for bottom and trailing.
//
// An operation whose anchors are missing, or whose views share no ancestor,
// activates nothing (the platform reports the latter in the system log).

#include "platform/uikit/NSLayoutAnchor.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIView.h"

#include <memory>
#include <vector>

namespace zr {

using Constraint = std::shared_ptr<NSLayoutConstraint>;
using XAnchor = std::shared_ptr<NSLayoutXAxisAnchor>;
using YAnchor = std::shared_ptr<NSLayoutYAxisAnchor>;

// All four edges to the superview's; nothing without a superview.
std::vector<Constraint> fill(UIView& view);
std::vector<Constraint> size(UIView& view, CGFloat width, CGFloat height);
Constraint top(UIView& view, const YAnchor& anchor, CGFloat padding);
Constraint bottom(UIView& view, const YAnchor& anchor, CGFloat padding);
Constraint leading(UIView& view, const XAnchor& anchor, CGFloat padding);
Constraint trailing(UIView& view, const XAnchor& anchor, CGFloat padding);
// Centre on an anchor.
Constraint x(UIView& view, const XAnchor& anchor);
Constraint y(UIView& view, const YAnchor& anchor);
std::vector<Constraint> xy(UIView& view, const XAnchor& anchorX, const YAnchor& anchorY);

// The same on a shared view; a null view does nothing.
std::vector<Constraint> fill(const std::shared_ptr<UIView>& view);
std::vector<Constraint> size(const std::shared_ptr<UIView>& view, CGFloat width, CGFloat height);
Constraint top(const std::shared_ptr<UIView>& view, const YAnchor& anchor, CGFloat padding);
Constraint bottom(const std::shared_ptr<UIView>& view, const YAnchor& anchor, CGFloat padding);
Constraint leading(const std::shared_ptr<UIView>& view, const XAnchor& anchor, CGFloat padding);
Constraint trailing(const std::shared_ptr<UIView>& view, const XAnchor& anchor, CGFloat padding);
Constraint x(const std::shared_ptr<UIView>& view, const XAnchor& anchor);
Constraint y(const std::shared_ptr<UIView>& view, const YAnchor& anchor);
std::vector<Constraint> xy(const std::shared_ptr<UIView>& view, const XAnchor& anchorX, const YAnchor& anchorY);

}  // namespace zr
