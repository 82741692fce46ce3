#include "platform/uikit/UIView.h"

#include "platform/foundation/NSLog.h"
#include "platform/foundation/RunLoop.h"
#include "platform/uikit/ConstraintSolver.h"
#include "platform/uikit/NSLayoutAnchor.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

MARQEL_DEFINE_CLASS(UIView,
    method<&UIView::frame>("frame"),
    method<&UIView::setFrame>("setFrame:"),
    method<&UIView::bounds>("bounds"),
    method<&UIView::setBounds>("setBounds:"),
    method<&UIView::center>("center"),
    method<&UIView::setCenter>("setCenter:"),
    method<&UIView::transform>("transform"),
    method<&UIView::setTransform>("setTransform:"),
    method<&UIView::alpha>("alpha"),
    method<&UIView::setAlpha>("setAlpha:"),
    method<&UIView::isHidden>("isHidden"),
    method<&UIView::setHidden>("setHidden:"),
    method<&UIView::backgroundColor>("backgroundColor"),
    method<&UIView::setBackgroundColor>("setBackgroundColor:"),
    method<&UIView::setClipsToBounds>("setClipsToBounds:"),
    method<&UIView::tintColor>("tintColor"),
    method<&UIView::setTintColor>("setTintColor:"),
    method<&UIView::setUserInteractionEnabled>("setUserInteractionEnabled:"),
    method<&UIView::setMultipleTouchEnabled>("setMultipleTouchEnabled:"),
    method<&UIView::superview>("superview"),
    method<&UIView::window>("window"),
    method<&UIView::addSubview>("addSubview:"),
    method<&UIView::removeFromSuperview>("removeFromSuperview"),
    method<&UIView::addGestureRecognizer>("addGestureRecognizer:"),
    method<&UIView::removeGestureRecognizer>("removeGestureRecognizer:"),
    method<&UIView::bringSubviewToFront>("bringSubviewToFront:"),
    method<&UIView::hitTest>("hitTest:withEvent:"),
    method<&UIView::pointInside>("pointInside:withEvent:"),
    method<&UIView::setNeedsLayout>("setNeedsLayout"),
    method<&UIView::layoutIfNeeded>("layoutIfNeeded"),
    method<&UIView::layoutSubviews>("layoutSubviews"),
    method<&UIView::layer>("layer"))

UIView::UIView()
    : UIView(CGRectZero)
{
}

UIView::UIView(CGRect frame)
    : UIView(frame, alloc<CALayer>())
{
}

UIView::UIView(CGRect frame, std::shared_ptr<CALayer> layer)
    : m_layer(layer ? std::move(layer) : alloc<CALayer>())
{
    m_layer->m_view = this;
    m_layer->setFrame(frame);
    markLayoutPending();
}

UIView::~UIView()
{
    // Constraints first: they name this view and its subviews by plain
    // pointers, and the views they point at must still be whole.
    auto references = m_constraintReferences;
    for (NSLayoutConstraint* constraint : references)
        constraint->setActive(false);
    auto held = m_constraints;
    for (const auto& constraint : held)
        constraint->setActive(false);
    if (m_anchors)
        for (auto& anchor : *m_anchors)
            if (anchor)
                anchor->viewDidGo({});
    for (auto& subview : m_subviews)
        subview->m_superview = nullptr;
    for (auto& recognizer : m_gestureRecognizers)
        recognizer->setView({}, nullptr);
    m_layer->m_view = nullptr;
}

// ---------------------------------------------------------------- geometry

CGRect UIView::frame() const
{
    return m_layer->frame();
}

void UIView::setFrame(CGRect frame)
{
    m_layer->setFrame(frame);
}

CGRect UIView::bounds() const
{
    return m_layer->bounds();
}

void UIView::setBounds(CGRect bounds)
{
    m_layer->setBounds(bounds);
}

CGPoint UIView::center() const
{
    return m_layer->position();
}

void UIView::setCenter(CGPoint center)
{
    m_layer->setPosition(center);
}

void UIView::layerGeometryDidChange(Badge<CALayer>, CGSize oldSize)
{
    if (m_layer->bounds().size != oldSize) {
        autoresizeSubviews(oldSize);
        setNeedsLayout();
    }
    if (m_referencesInSubtree > 0)
        markLayoutPending();
}

namespace {

// UIKit's autoresizing: the change of the superview's size is shared among
// the flexible parts (margins and size) in proportion to their lengths.
void resizeAxis(CGFloat& origin, CGFloat& length, CGFloat oldOuter, CGFloat delta,
    bool flexibleStart, bool flexibleLength, bool flexibleEnd)
{
    CGFloat start = origin, end = oldOuter - origin - length;
    CGFloat total = (flexibleStart ? start : 0) + (flexibleLength ? length : 0) + (flexibleEnd ? end : 0);
    int parts = int(flexibleStart) + int(flexibleLength) + int(flexibleEnd);
    if (parts == 0)
        return;
    auto share = [&](bool flexible, CGFloat part) -> CGFloat {
        if (!flexible)
            return 0;
        return total > 0 ? delta * part / total : delta / parts;
    };
    origin += share(flexibleStart, start);
    length += share(flexibleLength, length);
}

}  // namespace

void UIView::autoresizeSubviews(CGSize oldSize)
{
    if (!m_autoresizesSubviews || m_subviews.empty())
        return;
    CGSize newSize = m_layer->bounds().size;
    for (const auto& subview : m_subviews) {
        UIViewAutoresizing mask = subview->m_autoresizingMask;
        if (!subview->m_translatesAutoresizingMask || mask == UIViewAutoresizingNone)
            continue;
        CGRect f = subview->m_layer->frame();
        resizeAxis(f.origin.x, f.size.width, oldSize.width, newSize.width - oldSize.width,
            mask & UIViewAutoresizingFlexibleLeftMargin, mask & UIViewAutoresizingFlexibleWidth,
            mask & UIViewAutoresizingFlexibleRightMargin);
        resizeAxis(f.origin.y, f.size.height, oldSize.height, newSize.height - oldSize.height,
            mask & UIViewAutoresizingFlexibleTopMargin, mask & UIViewAutoresizingFlexibleHeight,
            mask & UIViewAutoresizingFlexibleBottomMargin);
        subview->m_layer->setFrame(f);
    }
}

// ---------------------------------------------------------------- appearance

void UIView::setBackgroundColor(std::shared_ptr<UIColor> color)
{
    m_backgroundColor = std::move(color);
    m_layer->setBackgroundColor(m_backgroundColor ? m_backgroundColor->CGColor() : nullptr);
}

std::shared_ptr<UIColor> UIView::tintColor() const
{
    for (const UIView* v = this; v; v = v->m_superview)
        if (v->m_tintColor)
            return v->m_tintColor;
    return UIColor::systemBlueColor();
}

void UIView::setTintColor(std::shared_ptr<UIColor> color)
{
    m_tintColor = std::move(color);
}

std::shared_ptr<UITraitCollection> UIView::traitCollection() const
{
    return UITraitCollection::currentTraitCollection();
}

void UIView::traitCollectionDidChange(const std::shared_ptr<UITraitCollection>&)
{
    if (m_backgroundColor)
        m_layer->setBackgroundColor(m_backgroundColor->CGColor());
}

// ---------------------------------------------------------------- hierarchy

std::shared_ptr<UIView> UIView::superview() const
{
    return m_superview ? m_superview->retained<UIView>() : nullptr;
}

UIView* UIView::rootView()
{
    UIView* v = this;
    while (v->m_superview)
        v = v->m_superview;
    return v;
}

const UIView* UIView::rootView() const
{
    return const_cast<UIView*>(this)->rootView();
}

std::shared_ptr<UIWindow> UIView::window() const
{
    const UIWindow* window = rootView()->asWindow();
    return window ? const_cast<UIWindow*>(window)->retained<UIWindow>() : nullptr;
}

bool UIView::isDescendantOfView(const UIView* view) const
{
    if (!view)
        return false;
    for (const UIView* v = this; v; v = v->m_superview)
        if (v == view)
            return true;
    return false;
}

std::shared_ptr<UIView> UIView::viewWithTag(std::int64_t tag)
{
    if (m_tag == tag)
        return retained<UIView>();
    for (const auto& subview : m_subviews)
        if (auto found = subview->viewWithTag(tag))
            return found;
    return nullptr;
}

void UIView::addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer)
{
    if (!recognizer)
        return;
    if (auto old = recognizer->view()) {
        if (old.get() == this)
            return;
        old->removeGestureRecognizer(recognizer);
    }
    m_gestureRecognizers.push_back(recognizer);
    recognizer->setView({}, this);
}

void UIView::removeGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer)
{
    auto it = std::find(m_gestureRecognizers.begin(), m_gestureRecognizers.end(), recognizer);
    if (it == m_gestureRecognizers.end())
        return;
    auto kept = *it;  // the list may hold the last reference
    m_gestureRecognizers.erase(it);
    kept->setView({}, nullptr);
}

void UIView::adjustConstraintReferences(std::int64_t delta)
{
    for (UIView* v = this; v; v = v->m_superview)
        v->m_referencesInSubtree += delta;
}

void UIView::insertSubviewAt(const std::shared_ptr<UIView>& view, std::size_t index)
{
    if (!view)
        return;
    if (isDescendantOfView(view.get())) {
        NSLog("UIView: refusing to add %@ inside itself", view);
        return;
    }
    const UIWindow* oldWindow = view->rootView()->asWindow();
    bool subtreeHadPendingLayout = false;
    if (view->m_superview == this) {
        auto it = std::find(m_subviews.begin(), m_subviews.end(), view);
        std::size_t old = static_cast<std::size_t>(it - m_subviews.begin());
        m_subviews.erase(it);
        if (old < index)
            --index;
    } else {
        if (view->m_superview)
            view->detachFromSuperview(this);
        else
            view->willMoveToSuperview(this);
        // The view's tree joins this one, and so does its pending layout.
        subtreeHadPendingLayout = view->m_layoutPending;
        view->m_layoutPending = false;
        view->m_superview = this;
        adjustConstraintReferences(view->m_referencesInSubtree);
    }
    index = std::min(index, m_subviews.size());
    m_subviews.insert(m_subviews.begin() + static_cast<std::ptrdiff_t>(index), view);
    if (index + 1 < m_subviews.size())
        m_layer->insertSublayerBelow(view->m_layer, m_subviews[index + 1]->m_layer);
    else
        m_layer->addSublayer(view->m_layer);
    setNeedsLayout();
    if (subtreeHadPendingLayout || view->m_needsLayout || view->m_referencesInSubtree > 0)
        markLayoutPending();
    didAddSubview(view);
    view->didMoveToSuperview();
    view->notifyWindowChange(oldWindow);
}

void UIView::addSubview(const std::shared_ptr<UIView>& view)
{
    insertSubviewAt(view, m_subviews.size() + (view && view->m_superview == this ? 1 : 0));
}

void UIView::insertSubviewAtIndex(const std::shared_ptr<UIView>& view, std::int64_t index)
{
    insertSubviewAt(view, static_cast<std::size_t>(std::max<std::int64_t>(index, 0)));
}

void UIView::insertSubviewBelowSubview(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& sibling)
{
    auto it = std::find(m_subviews.begin(), m_subviews.end(), sibling);
    if (it == m_subviews.end() || view == sibling) {
        addSubview(view);
        return;
    }
    insertSubviewAt(view, static_cast<std::size_t>(it - m_subviews.begin()));
}

void UIView::insertSubviewAboveSubview(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& sibling)
{
    auto it = std::find(m_subviews.begin(), m_subviews.end(), sibling);
    if (it == m_subviews.end() || view == sibling) {
        addSubview(view);
        return;
    }
    insertSubviewAt(view, static_cast<std::size_t>(it - m_subviews.begin()) + 1);
}

void UIView::bringSubviewToFront(const std::shared_ptr<UIView>& view)
{
    if (view && view->m_superview == this)
        addSubview(view);
}

void UIView::sendSubviewToBack(const std::shared_ptr<UIView>& view)
{
    if (view && view->m_superview == this)
        insertSubviewAt(view, 0);
}

void UIView::detachConstraintsCrossing(const UIView* subtreeRoot)
{
    if (m_referencesInSubtree == 0)
        return;
    auto references = m_constraintReferences;
    for (NSLayoutConstraint* constraint : references) {
        UIView* other = constraint->firstView() == this ? constraint->secondView() : constraint->firstView();
        if (other && !other->isDescendantOfView(subtreeRoot))
            constraint->setActive(false);
    }
    for (std::size_t i = 0; i < m_subviews.size(); ++i)
        m_subviews[i]->detachConstraintsCrossing(subtreeRoot);
}

void UIView::removeFromSuperview()
{
    detachFromSuperview(nullptr);
}

void UIView::detachFromSuperview(UIView* newSuperview)
{
    UIView* parent = m_superview;
    if (!parent)
        return;
    auto it = std::find_if(parent->m_subviews.begin(), parent->m_subviews.end(),
        [&](const auto& v) { return v.get() == this; });
    if (it == parent->m_subviews.end())
        return;
    std::shared_ptr<UIView> self = *it;  // the parent's entry may be the last owner
    const UIWindow* oldWindow = rootView()->asWindow();
    willMoveToSuperview(newSuperview);
    parent->willRemoveSubview(self);
    detachConstraintsCrossing(this);
    parent->adjustConstraintReferences(-m_referencesInSubtree);
    m_layer->removeFromSuperlayer();
    auto& list = parent->m_subviews;
    list.erase(std::find(list.begin(), list.end(), self));
    m_superview = nullptr;
    parent->setNeedsLayout();
    if (newSuperview)
        return;
    if (m_needsLayout || m_referencesInSubtree > 0)
        markLayoutPending();
    didMoveToSuperview();
    notifyWindowChange(oldWindow);
}

void UIView::notifyWindowChange(const UIWindow* oldWindow)
{
    if (rootView()->asWindow() == oldWindow)
        return;
    auto visit = [](auto& self, UIView& view) -> void {
        view.didMoveToWindow();
        for (std::size_t i = 0; i < view.m_subviews.size(); ++i) {
            auto child = view.m_subviews[i];
            self(self, *child);
        }
    };
    visit(visit, *this);
}

void UIView::willMoveToSuperview(UIView*) { }
void UIView::didMoveToSuperview() { }
void UIView::didMoveToWindow() { }
void UIView::didAddSubview(const std::shared_ptr<UIView>&) { }
void UIView::willRemoveSubview(const std::shared_ptr<UIView>&) { }

// ---------------------------------------------------------------- coordinates

CGPoint UIView::convertPointToScreen(CGPoint point) const
{
    for (const UIView* v = this; v; v = v->m_superview)
        point = v->m_layer->convertPointToSuperlayer(point);
    return point;
}

CGPoint UIView::convertPointFromScreen(CGPoint point) const
{
    if (m_superview)
        point = m_superview->convertPointFromScreen(point);
    return m_layer->convertPointFromSuperlayer(point);
}

CGPoint UIView::convertPointToView(CGPoint point, const UIView* view) const
{
    if (view == this)
        return point;
    CGPoint screen = convertPointToScreen(point);
    if (view)
        return view->convertPointFromScreen(screen);
    const UIWindow* window = rootView()->asWindow();
    return window ? window->convertPointFromScreen(screen) : screen;
}

CGPoint UIView::convertPointFromView(CGPoint point, const UIView* view) const
{
    if (view == this)
        return point;
    CGPoint screen;
    if (view) {
        screen = view->convertPointToScreen(point);
    } else {
        const UIWindow* window = rootView()->asWindow();
        screen = window ? window->convertPointToScreen(point) : point;
    }
    return convertPointFromScreen(screen);
}

namespace {
template <class Convert>
CGRect convertCorners(CGRect rect, Convert&& convert)
{
    CGPoint corners[4] = { rect.origin, { CGRectGetMaxX(rect), rect.origin.y },
        { CGRectGetMaxX(rect), CGRectGetMaxY(rect) }, { rect.origin.x, CGRectGetMaxY(rect) } };
    CGFloat minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (CGPoint corner : corners) {
        CGPoint p = convert(corner);
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}
}  // namespace

CGRect UIView::convertRectToScreen(CGRect rect) const
{
    return convertCorners(rect, [&](CGPoint p) { return convertPointToScreen(p); });
}

CGRect UIView::convertRectToView(CGRect rect, const UIView* view) const
{
    return convertCorners(rect, [&](CGPoint p) { return convertPointToView(p, view); });
}

CGRect UIView::convertRectFromView(CGRect rect, const UIView* view) const
{
    return convertCorners(rect, [&](CGPoint p) { return convertPointFromView(p, view); });
}

// ---------------------------------------------------------------- hit testing

std::shared_ptr<UIView> UIView::hitTest(CGPoint point, const std::shared_ptr<UIEvent>& event)
{
    if (isHidden() || !m_userInteractionEnabled || alpha() <= 0.01)
        return nullptr;
    if (!pointInside(point, event))
        return nullptr;
    for (std::size_t i = m_subviews.size(); i-- > 0;) {
        auto subview = m_subviews[i];
        if (auto hit = subview->hitTest(subview->m_layer->convertPointFromSuperlayer(point), event))
            return hit;
    }
    return retained<UIView>();
}

bool UIView::pointInside(CGPoint point, const std::shared_ptr<UIEvent>&)
{
    return CGRectContainsPoint(m_layer->bounds(), point);
}

// ---------------------------------------------------------------- layout

void UIView::markLayoutPending()
{
    UIView* root = rootView();
    if (root->m_layoutPhase != LayoutPhase::Solving)
        root->m_layoutPending = true;
}

void UIView::setNeedsLayout()
{
    m_needsLayout = true;
    markLayoutPending();
}

void UIView::layoutIfNeeded()
{
    runLayoutPass(*rootView());
}

void UIView::runLayoutPass(UIView& root)
{
    // A layoutSubviews that asks its own tree to lay out gets the pass that
    // is already running.
    if (root.m_layoutPhase != LayoutPhase::Idle || !root.m_layoutPending)
        return;
    auto keepAlive = root.retained<UIView>();
    // layoutSubviews may change what was just laid out; a few rounds settle
    // any sane tree, and the cap keeps a view that always asks again from
    // hanging the loop.
    for (int round = 0; round < 16 && root.m_layoutPending; ++round) {
        root.m_layoutPending = false;
        if (root.m_referencesInSubtree > 0) {
            root.m_layoutPhase = LayoutPhase::Solving;
            ConstraintSolver::solve(root);
        }
        root.m_layoutPhase = LayoutPhase::LayingOut;
        layoutSubviewsTopDown(root);
    }
    root.m_layoutPhase = LayoutPhase::Idle;
}

void UIView::layoutSubviewsTopDown(UIView& view)
{
    if (view.m_needsLayout) {
        view.m_needsLayout = false;
        view.layoutSubviews();
    }
    for (std::size_t i = 0; i < view.m_subviews.size(); ++i) {
        auto child = view.m_subviews[i];
        layoutSubviewsTopDown(*child);
    }
}

CGSize UIView::sizeThatFits(CGSize) const
{
    return m_layer->bounds().size;
}

void UIView::sizeToFit()
{
    CGRect b = m_layer->bounds();
    b.size = sizeThatFits(b.size);
    setBounds(b);
}

// ---------------------------------------------------------------- constraints

template <class Anchor>
std::shared_ptr<Anchor> UIView::anchor(NSLayoutAttribute attribute)
{
    if (!m_anchors)
        m_anchors = std::make_unique<std::array<std::shared_ptr<NSLayoutAnchor>, 11>>();
    auto& slot = (*m_anchors)[static_cast<std::size_t>(attribute)];
    if (!slot)
        slot = alloc<Anchor>(this, attribute);
    return std::static_pointer_cast<Anchor>(slot);
}

std::shared_ptr<NSLayoutXAxisAnchor> UIView::leadingAnchor() { return anchor<NSLayoutXAxisAnchor>(NSLayoutAttributeLeading); }
std::shared_ptr<NSLayoutXAxisAnchor> UIView::trailingAnchor() { return anchor<NSLayoutXAxisAnchor>(NSLayoutAttributeTrailing); }
std::shared_ptr<NSLayoutXAxisAnchor> UIView::leftAnchor() { return anchor<NSLayoutXAxisAnchor>(NSLayoutAttributeLeft); }
std::shared_ptr<NSLayoutXAxisAnchor> UIView::rightAnchor() { return anchor<NSLayoutXAxisAnchor>(NSLayoutAttributeRight); }
std::shared_ptr<NSLayoutXAxisAnchor> UIView::centerXAnchor() { return anchor<NSLayoutXAxisAnchor>(NSLayoutAttributeCenterX); }
std::shared_ptr<NSLayoutYAxisAnchor> UIView::topAnchor() { return anchor<NSLayoutYAxisAnchor>(NSLayoutAttributeTop); }
std::shared_ptr<NSLayoutYAxisAnchor> UIView::bottomAnchor() { return anchor<NSLayoutYAxisAnchor>(NSLayoutAttributeBottom); }
std::shared_ptr<NSLayoutYAxisAnchor> UIView::centerYAnchor() { return anchor<NSLayoutYAxisAnchor>(NSLayoutAttributeCenterY); }
std::shared_ptr<NSLayoutDimension> UIView::widthAnchor() { return anchor<NSLayoutDimension>(NSLayoutAttributeWidth); }
std::shared_ptr<NSLayoutDimension> UIView::heightAnchor() { return anchor<NSLayoutDimension>(NSLayoutAttributeHeight); }

void UIView::addConstraint(const std::shared_ptr<NSLayoutConstraint>& constraint)
{
    if (constraint)
        constraint->setActive(true);
}

void UIView::removeConstraint(const std::shared_ptr<NSLayoutConstraint>& constraint)
{
    if (constraint && std::find(m_constraints.begin(), m_constraints.end(), constraint) != m_constraints.end())
        constraint->setActive(false);
}

void UIView::holdConstraint(Badge<NSLayoutConstraint>, std::shared_ptr<NSLayoutConstraint> constraint)
{
    m_constraints.push_back(std::move(constraint));
    markLayoutPending();
}

std::shared_ptr<NSLayoutConstraint> UIView::releaseConstraint(Badge<NSLayoutConstraint>, const NSLayoutConstraint* constraint)
{
    auto it = std::find_if(m_constraints.begin(), m_constraints.end(), [&](const auto& c) { return c.get() == constraint; });
    if (it == m_constraints.end())
        return nullptr;
    auto released = std::move(*it);
    m_constraints.erase(it);
    markLayoutPending();
    return released;
}

void UIView::addConstraintReference(Badge<NSLayoutConstraint>, NSLayoutConstraint* constraint, bool placesThisView)
{
    m_constraintReferences.push_back(constraint);
    adjustConstraintReferences(1);
    if (placesThisView)
        ++m_placingConstraints;
}

void UIView::removeConstraintReference(Badge<NSLayoutConstraint>, NSLayoutConstraint* constraint, bool placesThisView)
{
    auto it = std::find(m_constraintReferences.begin(), m_constraintReferences.end(), constraint);
    if (it == m_constraintReferences.end())
        return;
    m_constraintReferences.erase(it);
    adjustConstraintReferences(-1);
    if (placesThisView)
        --m_placingConstraints;
}

// ---------------------------------------------------------------- animation

void UIView::animateWithDuration(double duration, const std::function<void()>& animations)
{
    animateWithDuration(duration, 0, UIViewAnimationOptionCurveEaseInOut, animations, nullptr);
}

void UIView::animateWithDuration(double duration, const std::function<void()>& animations,
    std::function<void(bool)> completion)
{
    animateWithDuration(duration, 0, UIViewAnimationOptionCurveEaseInOut, animations, std::move(completion));
}

void UIView::animateWithDuration(double duration, double delay, UIViewAnimationOptions options,
    const std::function<void()>& animations, std::function<void(bool)> completion)
{
    RunLoop& loop = RunLoop::main();
    duration = std::max(duration, 0.0);
    delay = std::max(delay, 0.0);
    if (duration == 0 && delay == 0) {
        {
            UIViewAnimation::Scope immediate(nullptr);
            if (animations)
                animations();
        }
        if (completion)
            loop.post([completion = std::move(completion)] { completion(true); });
        return;
    }
    AnimationParameters parameters { loop.now() + delay, duration, animationCurveFromOptions(options) };
    {
        UIViewAnimation::Scope scope(&parameters);
        if (animations)
            animations();
    }
    if (completion)
        loop.schedule(parameters.begin + parameters.duration, [completion = std::move(completion)] { completion(true); });
}

void UIView::performWithoutAnimation(const std::function<void()>& actions)
{
    UIViewAnimation::Scope immediate(nullptr);
    if (actions)
        actions();
}

// ---------------------------------------------------------------- responder

std::shared_ptr<UIResponder> UIView::nextResponder() const
{
    if (m_viewController)
        if (auto controller = m_viewController->retained<UIViewController>())
            return controller;
    return superview();
}

std::shared_ptr<UIViewController> UIView::owningViewController() const
{
    return m_viewController ? m_viewController->retained<UIViewController>() : nullptr;
}

std::string UIView::description() const
{
    CGRect f = m_layer->frame();
    char text[192];
    std::snprintf(text, sizeof text, "<%s: %p; frame = (%g %g; %g %g)%s>", className(), static_cast<const void*>(this),
        f.origin.x, f.origin.y, f.size.width, f.size.height, isHidden() ? "; hidden = YES" : "");
    return text;
}
