#pragma once

// Core Animation layers: geometry (bounds, position, anchor point, affine
// transform), appearance (opacity, colours, corners, border, shadow, mask)
// and an ordered tree of sublayers. A view's layer holds the view's
// geometry; changes to it inside a UIView animation block are recorded as
// animations, and the presentation accessors read their values at the run
// loop's time. Layers that back no view change at once.
// FIXME: implicit animations of standalone layers, and animated colours, are
// not imitated; the screens ask for neither.

#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/CGColor.h"
#include "platform/uikit/LayerContent.h"
#include "platform/uikit/UIViewAnimation.h"

#include <string>
#include <vector>

inline constexpr const char* kCACornerCurveCircular = "circular";
inline constexpr const char* kCACornerCurveContinuous = "continuous";

class CALayer : public Object {
    MARQEL_OBJECT(CALayer, Object)
public:
    CALayer();
    ~CALayer() override;
    static std::shared_ptr<CALayer> layer();

    CGRect bounds() const { return m_bounds; }
    void setBounds(CGRect bounds);
    CGPoint position() const { return m_position; }
    void setPosition(CGPoint position);
    CGPoint anchorPoint() const { return m_anchorPoint; }
    void setAnchorPoint(CGPoint anchorPoint);
    // The bounding box of the transformed bounds in the superlayer.
    CGRect frame() const;
    void setFrame(CGRect frame);
    CGAffineTransform affineTransform() const { return m_transform; }
    void setAffineTransform(CGAffineTransform transform);

    CGFloat opacity() const { return m_opacity; }
    void setOpacity(CGFloat opacity);
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden) { m_hidden = hidden; }
    bool masksToBounds() const { return m_masksToBounds; }
    void setMasksToBounds(bool masks) { m_masksToBounds = masks; }
    CGFloat cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(CGFloat radius) { m_cornerRadius = radius; }
    const std::string& cornerCurve() const { return m_cornerCurve; }
    void setCornerCurve(const std::string& curve) { m_cornerCurve = curve; }
    CGFloat borderWidth() const { return m_borderWidth; }
    void setBorderWidth(CGFloat width) { m_borderWidth = width; }
    const CGColorRef& borderColor() const { return m_borderColor; }
    void setBorderColor(CGColorRef color) { m_borderColor = std::move(color); }
    const CGColorRef& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(CGColorRef color) { m_backgroundColor = std::move(color); }

    const CGColorRef& shadowColor() const { return m_shadowColor; }
    void setShadowColor(CGColorRef color) { m_shadowColor = std::move(color); }
    CGFloat shadowOpacity() const { return m_shadowOpacity; }
    void setShadowOpacity(CGFloat opacity) { m_shadowOpacity = opacity; }
    CGFloat shadowRadius() const { return m_shadowRadius; }
    void setShadowRadius(CGFloat radius) { m_shadowRadius = radius; }
    CGSize shadowOffset() const { return m_shadowOffset; }
    void setShadowOffset(CGSize offset) { m_shadowOffset = offset; }

    // The mask's filled (or opaque) area, in this layer's coordinates, is
    // where this layer shows. The layer owns its mask; the mask has no
    // superlayer.
    const std::shared_ptr<CALayer>& mask() const { return m_mask; }
    void setMask(std::shared_ptr<CALayer> mask);

    const std::string& name() const { return m_name; }
    void setName(std::string name) { m_name = std::move(name); }

    std::shared_ptr<CALayer> superlayer() const;
    const std::vector<std::shared_ptr<CALayer>>& sublayers() const { return m_sublayers; }
    // A layer moves from its old superlayer. Adding a layer to itself or to
    // one of its own sublayers is refused (it would own itself).
    void addSublayer(const std::shared_ptr<CALayer>& layer);
    void insertSublayerAtIndex(const std::shared_ptr<CALayer>& layer, std::size_t index);
    void insertSublayerBelow(const std::shared_ptr<CALayer>& layer, const std::shared_ptr<CALayer>& sibling);
    void insertSublayerAbove(const std::shared_ptr<CALayer>& layer, const std::shared_ptr<CALayer>& sibling);
    void removeFromSuperlayer();
    bool isDescendantOf(const CALayer* ancestor) const;

    // The view this layer backs, if any (Core Animation's layer delegate).
    UIView* owningView() const { return m_view; }

    // What the layer draws of its own: content set on the layer itself,
    // otherwise what its view describes (a label's text, a switch...).
    // Layer kinds with content of their own (shapes, gradients) answer
    // from their properties.
    virtual LayerContent content() const;
    void setContent(LayerContent content) { m_content = std::move(content); }

    bool containsPoint(CGPoint point) const { return CGRectContainsPoint(m_bounds, point); }
    // Between this layer's coordinates and its superlayer's, through the
    // anchor point and the transform.
    CGPoint convertPointToSuperlayer(CGPoint point) const;
    CGPoint convertPointFromSuperlayer(CGPoint point) const;
    // Between any two layers of one tree (or between trees through their
    // roots' common space); a null layer means that space.
    CGPoint convertPointToLayer(CGPoint point, const CALayer* layer) const;
    CGPoint convertPointFromLayer(CGPoint point, const CALayer* layer) const;

    CGFloat presentationOpacity() const;
    CGPoint presentationPosition() const;
    CGRect presentationBounds() const;
    CGAffineTransform presentationAffineTransform() const;
    CGRect presentationFrame() const;
    // A detached copy holding the presentation values at this moment.
    std::shared_ptr<CALayer> presentationLayer() const;
    // Whether any recorded animation is still running.
    bool hasRunningAnimations() const;
    void removeAllAnimations();

    std::string description() const override;

protected:
    // A new layer of this layer's class carrying its model properties;
    // subclasses add their own.
    virtual std::shared_ptr<CALayer> makeCopy() const;
    void copyPropertiesTo(CALayer& copy) const;

private:
    friend class UIView;
    const AnimationParameters* animationBlock() const;
    void geometryChanged(CGSize oldSize);
    static CGRect frameFor(CGRect bounds, CGPoint position, CGPoint anchor, const CGAffineTransform& transform);

    CGRect m_bounds {};
    CGPoint m_position {};
    CGPoint m_anchorPoint { 0.5, 0.5 };
    CGAffineTransform m_transform {};
    CGFloat m_opacity = 1;
    bool m_hidden = false;
    bool m_masksToBounds = false;
    CGFloat m_cornerRadius = 0;
    std::string m_cornerCurve = kCACornerCurveCircular;
    CGFloat m_borderWidth = 0;
    CGColorRef m_borderColor;
    CGColorRef m_backgroundColor;
    CGColorRef m_shadowColor;
    CGFloat m_shadowOpacity = 0;
    CGFloat m_shadowRadius = 3;
    CGSize m_shadowOffset { 0, -3 };
    std::shared_ptr<CALayer> m_mask;
    std::string m_name;
    LayerContent m_content;

    std::vector<std::shared_ptr<CALayer>> m_sublayers;
    // Back pointers: cleared by the owner when it goes, so they never dangle.
    CALayer* m_superlayer = nullptr;
    UIView* m_view = nullptr;

    PropertyAnimation<CGFloat> m_opacityAnimation;
    PropertyAnimation<CGPoint> m_positionAnimation;
    PropertyAnimation<CGRect> m_boundsAnimation;
    PropertyAnimation<CGAffineTransform> m_transformAnimation;
};
