#pragma once

// The small layout solver. It handles exactly the forms the screens use:
//
//   edge or centre = other anchor (× multiplier) + constant
//   width or height = constant, or = other dimension × multiplier + constant
//
// Each axis of each view is solved on its own, in dependency order: a view's
// position may depend on its superview's or a sibling's (or any view's of
// the same tree). Attributes without a constraint keep the view's current
// value, and two edges give the size (leading + trailing gives the width).
// Values are worked out in the root's coordinates, ignoring transforms as
// Auto Layout does, then committed as each view's centre and bounds size,
// so a transformed view keeps its transform. Inequalities and priorities
// are not solved (FIXME: the screens do not use them).

#include "platform/uikit/Forward.h"

class ConstraintSolver {
public:
    static void solve(UIView& root);
};
