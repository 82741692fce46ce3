#pragma once

// Views: a rectangle in a tree, backed by a layer that holds its geometry.
// A view owns its subviews; the pointer back to the superview does not own
// (it reads as null once the superview is gone). Touches arrive through the
// responder handlers. Layout is its own pass (constraints solved, then
// layoutSubviews): it runs in the run loop's layout phase, before touches are
// routed and before drawing, or when asked with layoutIfNeeded. Reading
// geometry never lays out: a frame placed by constraints reads as the last
// pass left it.

#include "platform/foundation/Badge.h"
#include "platform/foundation/CGGeometry.h"
#include "platform/uikit/CALayer.h"
#include "platform/uikit/UIResponder.h"
#include "platform/uikit/UIViewAnimation.h"

#include <array>
#include <functional>
#include <vector>

enum UIViewContentMode : std::int64_t {
    UIViewContentModeScaleToFill = 0,
    UIViewContentModeScaleAspectFit = 1,
    UIViewContentModeScaleAspectFill = 2,
    UIViewContentModeRedraw = 3,
    UIViewContentModeCenter = 4,
    UIViewContentModeTop = 5,
    UIViewContentModeBottom = 6,
    UIViewContentModeLeft = 7,
    UIViewContentModeRight = 8,
    UIViewContentModeTopLeft = 9,
    UIViewContentModeTopRight = 10,
    UIViewContentModeBottomLeft = 11,
    UIViewContentModeBottomRight = 12,
};

using UIViewAutoresizing = std::uint64_t;
inline constexpr UIViewAutoresizing UIViewAutoresizingNone = 0;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleLeftMargin = 1 << 0;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleWidth = 1 << 1;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleRightMargin = 1 << 2;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleTopMargin = 1 << 3;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleHeight = 1 << 4;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleBottomMargin = 1 << 5;

enum NSLayoutAttribute : std::int64_t {
    NSLayoutAttributeNotAnAttribute = 0,
    NSLayoutAttributeLeft = 1,
    NSLayoutAttributeRight = 2,
    NSLayoutAttributeTop = 3,
    NSLayoutAttributeBottom = 4,
    NSLayoutAttributeLeading = 5,
    NSLayoutAttributeTrailing = 6,
    NSLayoutAttributeWidth = 7,
    NSLayoutAttributeHeight = 8,
    NSLayoutAttributeCenterX = 9,
    NSLayoutAttributeCenterY = 10,
};

class UIView : public UIResponder {
    MARQEL_OBJECT(UIView, UIResponder)
public:
    UIView();
    explicit UIView(CGRect frame);
    ~UIView() override;

    // Build and attach in one call.
    template <class T = UIView, class... Args>
    std::shared_ptr<T> add(Args&&... args)
    {
        auto view = alloc<T>(std::forward<Args>(args)...);
        addSubview(view);
        return view;
    }

    const std::shared_ptr<CALayer>& layer() const { return m_layer; }

    // Geometry, in the superview's coordinates (frame, centre) or the view's
    // own (bounds). The frame is undefined under a transform other than a
    // scale; centre, bounds and transform always hold.
    CGRect frame() const;
    void setFrame(CGRect frame);
    CGRect bounds() const;
    void setBounds(CGRect bounds);
    CGPoint center() const;
    void setCenter(CGPoint center);
    CGAffineTransform transform() const { return m_layer->affineTransform(); }
    void setTransform(CGAffineTransform transform) { m_layer->setAffineTransform(transform); }

    CGFloat alpha() const { return m_layer->opacity(); }
    void setAlpha(CGFloat alpha) { m_layer->setOpacity(alpha); }
    bool isHidden() const { return m_layer->isHidden(); }
    virtual void setHidden(bool hidden) { m_layer->setHidden(hidden); }
    const std::shared_ptr<UIColor>& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(std::shared_ptr<UIColor> color);
    bool clipsToBounds() const { return m_layer->masksToBounds(); }
    void setClipsToBounds(bool clips) { m_layer->setMasksToBounds(clips); }
    // Unset, a view takes its superview's tint; the top of the tree is
    // system blue.
    std::shared_ptr<UIColor> tintColor() const;
    void setTintColor(std::shared_ptr<UIColor> color);
    UIViewContentMode contentMode() const { return m_contentMode; }
    void setContentMode(UIViewContentMode mode) { m_contentMode = mode; }
    bool isUserInteractionEnabled() const { return m_userInteractionEnabled; }
    void setUserInteractionEnabled(bool enabled) { m_userInteractionEnabled = enabled; }
    bool isMultipleTouchEnabled() const { return m_multipleTouchEnabled; }
    void setMultipleTouchEnabled(bool enabled) { m_multipleTouchEnabled = enabled; }
    std::int64_t tag() const { return m_tag; }
    void setTag(std::int64_t tag) { m_tag = tag; }

    bool translatesAutoresizingMaskIntoConstraints() const { return m_translatesAutoresizingMask; }
    void setTranslatesAutoresizingMaskIntoConstraints(bool translates) { m_translatesAutoresizingMask = translates; }
    UIViewAutoresizing autoresizingMask() const { return m_autoresizingMask; }
    void setAutoresizingMask(UIViewAutoresizing mask) { m_autoresizingMask = mask; }
    bool autoresizesSubviews() const { return m_autoresizesSubviews; }
    void setAutoresizesSubviews(bool autoresizes) { m_autoresizesSubviews = autoresizes; }

    std::shared_ptr<UIView> superview() const;
    // The same without retaining it, for walks up a tree that stays whole
    // during the walk (constraints, layout), including from a view's
    // constructor, where it cannot be retained yet.
    UIView* superviewPointer() const { return m_superview; }
    const std::vector<std::shared_ptr<UIView>>& subviews() const { return m_subviews; }
    // The window at the top of this view's tree, if the tree is in one.
    std::shared_ptr<UIWindow> window() const;
    // A view moves from its old superview and goes in front of its new
    // siblings. Adding a view to itself or to its own subtree is refused.
    void addSubview(const std::shared_ptr<UIView>& view);
    void insertSubviewAtIndex(const std::shared_ptr<UIView>& view, std::int64_t index);
    void insertSubviewBelowSubview(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& sibling);
    void insertSubviewAboveSubview(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& sibling);
    void bringSubviewToFront(const std::shared_ptr<UIView>& view);
    void sendSubviewToBack(const std::shared_ptr<UIView>& view);
    // Also deactivates the constraints that tie the removed subtree to views
    // outside it, as UIKit does.
    void removeFromSuperview();
    bool isDescendantOfView(const UIView* view) const;
    std::shared_ptr<UIView> viewWithTag(std::int64_t tag);

    // The view owns its recognisers; a recogniser moves from its old view.
    void addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
    void removeGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
    const std::vector<std::shared_ptr<UIGestureRecognizer>>& gestureRecognizers() const { return m_gestureRecognizers; }

    virtual void willMoveToSuperview(UIView* newSuperview);
    virtual void didMoveToSuperview();
    virtual void didMoveToWindow();
    virtual void didAddSubview(const std::shared_ptr<UIView>& subview);
    virtual void willRemoveSubview(const std::shared_ptr<UIView>& subview);

    // Point and rectangle conversion through frames and transforms. A null
    // view means this view's window; views of different windows convert
    // through the screen.
    CGPoint convertPointToView(CGPoint point, const UIView* view) const;
    CGPoint convertPointFromView(CGPoint point, const UIView* view) const;
    CGRect convertRectToView(CGRect rect, const UIView* view) const;
    CGRect convertRectFromView(CGRect rect, const UIView* view) const;
    // The screen's coordinate space, in points (for drivers that place
    // touches on views).
    CGPoint convertPointToScreen(CGPoint point) const;
    CGPoint convertPointFromScreen(CGPoint point) const;
    CGRect convertRectToScreen(CGRect rect) const;

    // The deepest visible, interactive descendant whose bounds contain the
    // point (in this view's coordinates), front to back, or this view.
    virtual std::shared_ptr<UIView> hitTest(CGPoint point, const std::shared_ptr<UIEvent>& event);
    virtual bool pointInside(CGPoint point, const std::shared_ptr<UIEvent>& event);

    void setNeedsLayout();
    bool needsLayout() const { return m_needsLayout; }
    // Runs the layout pass of this view's whole tree if anything in it
    // changed: constraints are solved and committed, then layoutSubviews
    // runs top-down on the views that asked for it.
    void layoutIfNeeded();
    virtual void layoutSubviews() { }
    virtual CGSize sizeThatFits(CGSize size) const;
    void sizeToFit();
    // The size the content asks for along each axis, or noIntrinsicMetric.
    // Layout gives it to a view whose constraints fix only its position on
    // that axis, as UIKit does (a label pinned by one edge shows its text).
    static constexpr CGFloat noIntrinsicMetric = -1;
    virtual CGSize intrinsicContentSize() const { return { noIntrinsicMetric, noIntrinsicMetric }; }
    // Layout runs again to pick up a changed intrinsic size.
    void invalidateIntrinsicContentSize() { setNeedsLayout(); }

    std::shared_ptr<NSLayoutXAxisAnchor> leadingAnchor();
    std::shared_ptr<NSLayoutXAxisAnchor> trailingAnchor();
    std::shared_ptr<NSLayoutXAxisAnchor> leftAnchor();
    std::shared_ptr<NSLayoutXAxisAnchor> rightAnchor();
    std::shared_ptr<NSLayoutXAxisAnchor> centerXAnchor();
    std::shared_ptr<NSLayoutYAxisAnchor> topAnchor();
    std::shared_ptr<NSLayoutYAxisAnchor> bottomAnchor();
    std::shared_ptr<NSLayoutYAxisAnchor> centerYAnchor();
    std::shared_ptr<NSLayoutDimension> widthAnchor();
    std::shared_ptr<NSLayoutDimension> heightAnchor();
    // The active constraints held by this view (those whose items' nearest
    // common ancestor it is).
    const std::vector<std::shared_ptr<NSLayoutConstraint>>& constraints() const { return m_constraints; }
    void addConstraint(const std::shared_ptr<NSLayoutConstraint>& constraint);
    void removeConstraint(const std::shared_ptr<NSLayoutConstraint>& constraint);
    // Whether an active constraint places this view.
    bool hasConstraintsOnItself() const { return m_placingConstraints > 0; }
    // The next layout pass solves this view's tree again (a constraint in it
    // changed).
    void setNeedsUpdateConstraints() { markLayoutPending(); }

    // Bookkeeping for NSLayoutConstraint alone. An active constraint is held
    // (owned) by one view, and every view it names keeps a plain pointer to
    // it, which the constraint removes when it is deactivated; a view that
    // goes deactivates the constraints naming it first.
    void holdConstraint(Badge<NSLayoutConstraint>, std::shared_ptr<NSLayoutConstraint> constraint);
    // Hands the holder's reference back, so the caller decides when the
    // constraint may go.
    std::shared_ptr<NSLayoutConstraint> releaseConstraint(Badge<NSLayoutConstraint>, const NSLayoutConstraint* constraint);
    // `placesThisView`: this view is the constraint's first item.
    void addConstraintReference(Badge<NSLayoutConstraint>, NSLayoutConstraint* constraint, bool placesThisView);
    void removeConstraintReference(Badge<NSLayoutConstraint>, NSLayoutConstraint* constraint, bool placesThisView);

    // The layer reports each change of its geometry, so the view can
    // autoresize its subviews and schedule layout.
    void layerGeometryDidChange(Badge<CALayer>, CGSize oldSize);
    // Set by the controller whose root view this is; cleared by it when it
    // goes or takes another view.
    void setViewController(Badge<UIViewController>, UIViewController* controller) { m_viewController = controller; }
    void forgetViewController(Badge<UIViewController>, const UIViewController* controller)
    {
        if (m_viewController == controller)
            m_viewController = nullptr;
    }

    // Presentation values at the run loop's time.
    CGFloat presentationAlpha() const { return m_layer->presentationOpacity(); }
    CGRect presentationFrame() const { return m_layer->presentationFrame(); }
    CGPoint presentationCenter() const { return m_layer->presentationPosition(); }
    CGRect presentationBounds() const { return m_layer->presentationBounds(); }
    CGAffineTransform presentationTransform() const { return m_layer->presentationAffineTransform(); }

    // Inside `animations` the model values change at once and each changed
    // alpha, frame, centre, bounds and transform is animated from its
    // presentation value. The completion runs on the main queue once delay
    // and duration have passed, with finished true; a zero duration applies
    // at once and completes on the next turn of the main queue.
    static void animateWithDuration(double duration, const std::function<void()>& animations);
    static void animateWithDuration(double duration, const std::function<void()>& animations,
        std::function<void(bool)> completion);
    static void animateWithDuration(double duration, double delay, UIViewAnimationOptions options,
        const std::function<void()>& animations, std::function<void(bool)> completion);
    static void performWithoutAnimation(const std::function<void()>& actions);

    std::shared_ptr<UITraitCollection> traitCollection() const;
    // Sent to every view when the appearance changes; the default re-resolves
    // the background colour into the layer.
    virtual void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous);

    std::shared_ptr<UIResponder> nextResponder() const override;
    // The controller whose root view this is, if any.
    std::shared_ptr<UIViewController> owningViewController() const;
    std::string description() const override;

protected:
    UIView(CGRect frame, std::shared_ptr<CALayer> layer);
    // Non-null for a window, so a tree can tell whether it is in one.
    virtual UIWindow* asWindow() { return nullptr; }
    const UIWindow* asWindow() const { return const_cast<UIView*>(this)->asWindow(); }

private:
    // Where a tree's root stands in its layout pass. While constraints are
    // committed, the frames they set do not ask for another pass.
    enum class LayoutPhase {
        Idle,
        Solving,
        LayingOut,
    };

    UIView* rootView();
    const UIView* rootView() const;
    void autoresizeSubviews(CGSize oldSize);
    void markLayoutPending();
    static void runLayoutPass(UIView& root);
    static void layoutSubviewsTopDown(UIView& view);
    void insertSubviewAt(const std::shared_ptr<UIView>& view, std::size_t index);
    // Takes the view out of its superview on its way to `newSuperview`
    // (null: removal), so a move notifies once, from the insertion.
    void detachFromSuperview(UIView* newSuperview);
    void adjustConstraintReferences(std::int64_t delta);
    void detachConstraintsCrossing(const UIView* subtreeRoot);
    void notifyWindowChange(const UIWindow* oldWindow);
    template <class Anchor>
    std::shared_ptr<Anchor> anchor(NSLayoutAttribute attribute);

    std::shared_ptr<CALayer> m_layer;
    std::vector<std::shared_ptr<UIView>> m_subviews;
    std::vector<std::shared_ptr<UIGestureRecognizer>> m_gestureRecognizers;
    // Non-owning: the superview clears it when it lets this view go or is
    // destroyed, so it never dangles.
    UIView* m_superview = nullptr;
    UIViewController* m_viewController = nullptr;  // non-owning, cleared by the controller
    std::shared_ptr<UIColor> m_backgroundColor;
    std::shared_ptr<UIColor> m_tintColor;
    UIViewContentMode m_contentMode = UIViewContentModeScaleToFill;
    std::int64_t m_tag = 0;
    UIViewAutoresizing m_autoresizingMask = UIViewAutoresizingNone;
    bool m_userInteractionEnabled = true;
    bool m_multipleTouchEnabled = false;
    bool m_translatesAutoresizingMask = true;
    bool m_autoresizesSubviews = true;
    bool m_needsLayout = true;
    // Kept on a tree's root: whether its layout pass has work, and where the
    // pass stands.
    bool m_layoutPending = false;
    LayoutPhase m_layoutPhase = LayoutPhase::Idle;

    // Constraint bookkeeping. Anchors are made on first use and outlive the
    // view harmlessly (they then name no view).
    std::unique_ptr<std::array<std::shared_ptr<NSLayoutAnchor>, 11>> m_anchors;
    std::vector<std::shared_ptr<NSLayoutConstraint>> m_constraints;  // held here
    std::vector<NSLayoutConstraint*> m_constraintReferences;  // active ones naming this view
    std::int64_t m_placingConstraints = 0;  // active ones whose first item is this view
    std::int64_t m_referencesInSubtree = 0;  // m_constraintReferences summed over the subtree
};
