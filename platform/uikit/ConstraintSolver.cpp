#include "platform/uikit/ConstraintSolver.h"

#include "platform/foundation/NSLog.h"
#include "platform/uikit/NSLayoutAnchor.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIView.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace {

enum class State { Unvisited,
    Visiting,
    Done };

struct Span {
    double start = 0;
    double length = 0;
};

struct Entry {
    std::vector<NSLayoutConstraint*> constraints[2];
    State state[2] = { State::Unvisited, State::Unvisited };
    Span span[2];
    bool placed[2] = { false, false };
};

double component(CGPoint p, int axis) { return axis == 0 ? p.x : p.y; }
double component(CGSize s, int axis) { return axis == 0 ? s.width : s.height; }

}  // namespace

class ConstraintSolverRun {
public:
    explicit ConstraintSolverRun(UIView& root)
        : m_root(root)
    {
    }

    void run()
    {
        collect(m_root);
        if (m_order.empty())
            return;
        for (UIView* view : m_order)
            for (int axis = 0; axis < 2; ++axis)
                if (m_entries[view].placed[axis])
                    span(view, axis);
        if (m_cycle)
            NSLog("Layout: constraints depend on each other in a circle; the views involved keep their frames");
        for (UIView* view : m_order)
            commit(view);
    }

private:
    // Pre-order, so commits run parents first and a child's own placement
    // wins over what its parent's resizing did to it.
    void collect(UIView& view)
    {
        for (const auto& constraint : view.constraints()) {
            if (constraint->relation() != NSLayoutRelationEqual)
                continue;
            UIView* first = constraint->firstView();
            if (!first || first == &m_root)
                continue;  // the root has no superview to be placed in
            int axis = NSLayoutAttributeAxis(constraint->firstAttribute());
            Entry& entry = m_entries[first];
            if (!entry.placed[0] && !entry.placed[1])
                m_pending.push_back(first);
            entry.placed[axis] = true;
            entry.constraints[axis].push_back(constraint.get());
        }
        for (const auto& subview : view.subviews())
            collect(*subview);
        // Ordering by tree position: collect() sees views as holders, not as
        // first items, so sort the placed views by depth-first position.
        if (&view == &m_root)
            orderPlacedViews();
    }

    void orderPlacedViews()
    {
        std::unordered_map<UIView*, std::size_t> position;
        std::size_t counter = 0;
        auto visit = [&](auto& self, UIView& v) -> void {
            position[&v] = counter++;
            for (const auto& subview : v.subviews())
                self(self, *subview);
        };
        visit(visit, m_root);
        m_order = m_pending;
        std::sort(m_order.begin(), m_order.end(), [&](UIView* a, UIView* b) { return position[a] < position[b]; });
    }

    Span current(UIView* view, int axis)
    {
        const CALayer& layer = *view->layer();
        double size = component(layer.bounds().size, axis);
        double start = component(layer.position(), axis) - component(layer.anchorPoint(), axis) * size;
        return { start, size };
    }

    // Where `view`'s own coordinate origin lies in the root's coordinates.
    double contentOffset(UIView* view, int axis)
    {
        if (!view || view == &m_root)
            return 0;
        return span(view, axis).start - component(view->layer()->bounds().origin, axis);
    }

    // The view's frame (untransformed) along one axis, in root coordinates.
    Span span(UIView* view, int axis)
    {
        if (view == &m_root) {
            CGRect b = view->layer()->bounds();
            return { component(b.origin, axis), component(b.size, axis) };
        }
        Entry& entry = m_entries[view];
        if (entry.state[axis] == State::Done)
            return entry.span[axis];
        if (entry.state[axis] == State::Visiting) {
            m_cycle = true;
            Span fallback = current(view, axis);
            fallback.start += contentOffset(view->superviewPointer(), axis);
            return fallback;
        }
        entry.state[axis] = State::Visiting;
        Span result = entry.placed[axis] ? solve(view, entry, axis) : [&] {
            Span s = current(view, axis);
            s.start += contentOffset(view->superviewPointer(), axis);
            return s;
        }();
        entry.span[axis] = result;
        entry.state[axis] = State::Done;
        return result;
    }

    double anchorValue(const NSLayoutAnchor& anchor, int axis)
    {
        Span s = span(anchor.view(), axis);
        switch (anchor.attribute()) {
        case NSLayoutAttributeLeft:
        case NSLayoutAttributeLeading:
        case NSLayoutAttributeTop:
            return s.start;
        case NSLayoutAttributeRight:
        case NSLayoutAttributeTrailing:
        case NSLayoutAttributeBottom:
            return s.start + s.length;
        case NSLayoutAttributeCenterX:
        case NSLayoutAttributeCenterY:
            return s.start + s.length / 2;
        default:
            return s.length;
        }
    }

    // Content decides a length its constraints leave open. A height follows
    // the width the constraints gave, as a wrapping label's lines do.
    double intrinsicLength(UIView* view, Entry& entry, int axis)
    {
        double intrinsic = component(view->intrinsicContentSize(), axis);
        if (axis == 0 || intrinsic == UIView::noIntrinsicMetric)
            return intrinsic;
        double width = entry.placed[0] ? span(view, 0).length : current(view, 0).length;
        return view->sizeThatFits({ width, 0 }).height;
    }

    Span solve(UIView* view, Entry& entry, int axis)
    {
        bool hasStart = false, hasEnd = false, hasCentre = false, hasSize = false;
        double start = 0, end = 0, centre = 0, size = 0;
        for (NSLayoutConstraint* constraint : entry.constraints[axis]) {
            double value = constraint->constant();
            if (constraint->secondAnchor()) {
                if (!constraint->secondView())
                    continue;  // its other view is gone
                value += anchorValue(*constraint->secondAnchor(), axis) * constraint->multiplier();
            }
            switch (constraint->firstAttribute()) {
            case NSLayoutAttributeLeft:
            case NSLayoutAttributeLeading:
            case NSLayoutAttributeTop:
                hasStart = true;
                start = value;
                break;
            case NSLayoutAttributeRight:
            case NSLayoutAttributeTrailing:
            case NSLayoutAttributeBottom:
                hasEnd = true;
                end = value;
                break;
            case NSLayoutAttributeCenterX:
            case NSLayoutAttributeCenterY:
                hasCentre = true;
                centre = value;
                break;
            default:
                hasSize = true;
                size = value;
                break;
            }
        }
        Span now = current(view, axis);
        if (!hasSize) {
            if (hasStart && hasEnd)
                size = end - start;
            else if (hasStart && hasCentre)
                size = 2 * (centre - start);
            else if (hasCentre && hasEnd)
                size = 2 * (end - centre);
            else if (double intrinsic = intrinsicLength(view, entry, axis); intrinsic != UIView::noIntrinsicMetric)
                size = intrinsic;
            else
                size = now.length;
        }
        size = std::max(size, 0.0);  // crossed edges give an empty view, never a negative size
        double offset = contentOffset(view->superviewPointer(), axis);
        if (!hasStart) {
            if (hasEnd)
                start = end - size;
            else if (hasCentre)
                start = centre - size / 2;
            else
                start = offset + now.start;
        }
        return { start, size };
    }

    void commit(UIView* view)
    {
        Entry& entry = m_entries[view];
        CALayer& layer = *view->layer();
        CGRect bounds = layer.bounds();
        CGPoint position = layer.position();
        CGPoint anchor = layer.anchorPoint();
        for (int axis = 0; axis < 2; ++axis) {
            if (!entry.placed[axis])
                continue;
            Span s = entry.span[axis];
            double start = s.start - contentOffset(view->superviewPointer(), axis);
            if (axis == 0) {
                bounds.size.width = s.length;
                position.x = start + anchor.x * s.length;
            } else {
                bounds.size.height = s.length;
                position.y = start + anchor.y * s.length;
            }
        }
        layer.setBounds(bounds);
        layer.setPosition(position);
    }

    UIView& m_root;
    std::unordered_map<UIView*, Entry> m_entries;
    std::vector<UIView*> m_pending;
    std::vector<UIView*> m_order;
    bool m_cycle = false;
};

void ConstraintSolver::solve(UIView& root)
{
    ConstraintSolverRun(root).run();
}
