#include "platform/uikit/CALayer.h"

#include "platform/foundation/NSLog.h"
#include "platform/foundation/RunLoop.h"
#include "platform/uikit/LayerContentSource.h"
#include "platform/uikit/UIView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

MARQEL_DEFINE_CLASS(CALayer,
    method<&CALayer::bounds>("bounds"),
    method<&CALayer::setBounds>("setBounds:"),
    method<&CALayer::position>("position"),
    method<&CALayer::setPosition>("setPosition:"),
    method<&CALayer::frame>("frame"),
    method<&CALayer::setFrame>("setFrame:"),
    method<&CALayer::opacity>("opacity"),
    method<&CALayer::setOpacity>("setOpacity:"),
    method<&CALayer::setCornerRadius>("setCornerRadius:"),
    method<&CALayer::setMask>("setMask:"),
    method<&CALayer::addSublayer>("addSublayer:"),
    method<&CALayer::removeFromSuperlayer>("removeFromSuperlayer"))

CALayer::CALayer()
    : m_borderColor(CGColorCreateSRGB(0, 0, 0, 1))
    , m_shadowColor(CGColorCreateSRGB(0, 0, 0, 1))
{
}

CALayer::~CALayer()
{
    for (auto& sublayer : m_sublayers)
        sublayer->m_superlayer = nullptr;
}

std::shared_ptr<CALayer> CALayer::layer()
{
    return alloc<CALayer>();
}

const AnimationParameters* CALayer::animationBlock() const
{
    return m_view ? UIViewAnimation::current() : nullptr;
}

void CALayer::geometryChanged(CGSize oldSize)
{
    if (m_view)
        m_view->layerGeometryDidChange({}, oldSize);
}

void CALayer::setBounds(CGRect bounds)
{
    if (bounds == m_bounds && !m_boundsAnimation.active)
        return;
    CGSize oldSize = m_bounds.size;
    m_boundsAnimation.change(animationBlock(), RunLoop::main().now(), presentationBounds(), bounds);
    m_bounds = bounds;
    geometryChanged(oldSize);
}

void CALayer::setPosition(CGPoint position)
{
    if (position == m_position && !m_positionAnimation.active)
        return;
    m_positionAnimation.change(animationBlock(), RunLoop::main().now(), presentationPosition(), position);
    m_position = position;
    geometryChanged(m_bounds.size);
}

void CALayer::setAnchorPoint(CGPoint anchorPoint)
{
    if (anchorPoint == m_anchorPoint)
        return;
    m_anchorPoint = anchorPoint;
    geometryChanged(m_bounds.size);
}

void CALayer::setAffineTransform(CGAffineTransform transform)
{
    if (transform == m_transform && !m_transformAnimation.active)
        return;
    m_transformAnimation.change(animationBlock(), RunLoop::main().now(), presentationAffineTransform(), transform);
    m_transform = transform;
    geometryChanged(m_bounds.size);
}

void CALayer::setOpacity(CGFloat opacity)
{
    m_opacityAnimation.change(animationBlock(), RunLoop::main().now(), presentationOpacity(), opacity);
    m_opacity = opacity;
}

CGRect CALayer::frameFor(CGRect bounds, CGPoint position, CGPoint anchor, const CGAffineTransform& t)
{
    CGFloat w = bounds.size.width, h = bounds.size.height;
    CGFloat left = -anchor.x * w, top = -anchor.y * h;
    if (CGAffineTransformIsIdentity(t))
        return CGRectMake(position.x + left, position.y + top, w, h);
    CGPoint corners[4] = { { left, top }, { left + w, top }, { left + w, top + h }, { left, top + h } };
    CGFloat minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (CGPoint c : corners) {
        CGPoint p = CGPointApplyAffineTransform(c, t);
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    return CGRectMake(position.x + minX, position.y + minY, maxX - minX, maxY - minY);
}

CGRect CALayer::frame() const
{
    return frameFor(m_bounds, m_position, m_anchorPoint, m_transform);
}

void CALayer::setFrame(CGRect frame)
{
    CGSize size = frame.size;
    CGPoint position = { frame.origin.x + m_anchorPoint.x * size.width, frame.origin.y + m_anchorPoint.y * size.height };
    const CGAffineTransform& t = m_transform;
    // With a scale (and translation) the bounds are the frame undone by the
    // transform, as Core Animation computes it; other transforms leave the
    // frame undefined, so it is taken as untransformed.
    if (!CGAffineTransformIsIdentity(t) && t.b == 0 && t.c == 0 && t.a != 0 && t.d != 0) {
        size = { frame.size.width / std::fabs(t.a), frame.size.height / std::fabs(t.d) };
        CGFloat ax = t.a > 0 ? m_anchorPoint.x : 1 - m_anchorPoint.x;
        CGFloat ay = t.d > 0 ? m_anchorPoint.y : 1 - m_anchorPoint.y;
        position = { frame.origin.x - t.tx + std::fabs(t.a) * ax * size.width,
            frame.origin.y - t.ty + std::fabs(t.d) * ay * size.height };
    }
    CGRect bounds = m_bounds;
    bounds.size = size;
    CGSize oldSize = m_bounds.size;
    const AnimationParameters* block = animationBlock();
    if (bounds != m_bounds || m_boundsAnimation.active)
        m_boundsAnimation.change(block, RunLoop::main().now(), presentationBounds(), bounds);
    if (position != m_position || m_positionAnimation.active)
        m_positionAnimation.change(block, RunLoop::main().now(), presentationPosition(), position);
    if (bounds == m_bounds && position == m_position)
        return;
    m_bounds = bounds;
    m_position = position;
    geometryChanged(oldSize);
}

void CALayer::setMask(std::shared_ptr<CALayer> mask)
{
    if (mask.get() == this)
        return;
    m_mask = std::move(mask);
}

std::shared_ptr<CALayer> CALayer::superlayer() const
{
    return m_superlayer ? m_superlayer->retained<CALayer>() : nullptr;
}

bool CALayer::isDescendantOf(const CALayer* ancestor) const
{
    for (const CALayer* l = this; l; l = l->m_superlayer)
        if (l == ancestor)
            return true;
    return false;
}

void CALayer::insertSublayerAtIndex(const std::shared_ptr<CALayer>& layer, std::size_t index)
{
    if (!layer)
        return;
    if (isDescendantOf(layer.get())) {
        NSLog("CALayer: refusing to add %@ inside itself", layer);
        return;
    }
    auto keep = layer;
    if (layer->m_superlayer == this) {
        auto it = std::find(m_sublayers.begin(), m_sublayers.end(), layer);
        std::size_t old = static_cast<std::size_t>(it - m_sublayers.begin());
        m_sublayers.erase(it);
        if (old < index)
            --index;
    } else {
        layer->removeFromSuperlayer();
    }
    index = std::min(index, m_sublayers.size());
    m_sublayers.insert(m_sublayers.begin() + static_cast<std::ptrdiff_t>(index), keep);
    keep->m_superlayer = this;
}

void CALayer::addSublayer(const std::shared_ptr<CALayer>& layer)
{
    insertSublayerAtIndex(layer, m_sublayers.size() + (layer && layer->m_superlayer == this ? 1 : 0));
}

void CALayer::insertSublayerBelow(const std::shared_ptr<CALayer>& layer, const std::shared_ptr<CALayer>& sibling)
{
    auto it = std::find(m_sublayers.begin(), m_sublayers.end(), sibling);
    if (it == m_sublayers.end() || layer == sibling) {
        addSublayer(layer);
        return;
    }
    insertSublayerAtIndex(layer, static_cast<std::size_t>(it - m_sublayers.begin()));
}

void CALayer::insertSublayerAbove(const std::shared_ptr<CALayer>& layer, const std::shared_ptr<CALayer>& sibling)
{
    auto it = std::find(m_sublayers.begin(), m_sublayers.end(), sibling);
    if (it == m_sublayers.end() || layer == sibling) {
        addSublayer(layer);
        return;
    }
    insertSublayerAtIndex(layer, static_cast<std::size_t>(it - m_sublayers.begin()) + 1);
}

void CALayer::removeFromSuperlayer()
{
    CALayer* parent = m_superlayer;
    if (!parent)
        return;
    auto keep = retained<CALayer>();  // the parent's entry may be the last owner
    m_superlayer = nullptr;
    auto& list = parent->m_sublayers;
    list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& l) { return l.get() == this; }), list.end());
}

CGPoint CALayer::convertPointToSuperlayer(CGPoint point) const
{
    CGPoint local = { point.x - m_bounds.origin.x - m_anchorPoint.x * m_bounds.size.width,
        point.y - m_bounds.origin.y - m_anchorPoint.y * m_bounds.size.height };
    CGPoint mapped = CGPointApplyAffineTransform(local, m_transform);
    return { m_position.x + mapped.x, m_position.y + mapped.y };
}

CGPoint CALayer::convertPointFromSuperlayer(CGPoint point) const
{
    CGPoint relative = { point.x - m_position.x, point.y - m_position.y };
    CGPoint local = CGAffineTransformIsIdentity(m_transform)
        ? relative
        : CGPointApplyAffineTransform(relative, CGAffineTransformInvert(m_transform));
    return { local.x + m_bounds.origin.x + m_anchorPoint.x * m_bounds.size.width,
        local.y + m_bounds.origin.y + m_anchorPoint.y * m_bounds.size.height };
}

CGPoint CALayer::convertPointToLayer(CGPoint point, const CALayer* layer) const
{
    for (const CALayer* l = this; l && l->m_superlayer; l = l->m_superlayer) {
        if (l == layer)
            return point;
        point = l->convertPointToSuperlayer(point);
    }
    // Now in the root's coordinates, which the tree's roots share.
    return layer ? layer->convertPointFromLayer(point, nullptr) : point;
}

CGPoint CALayer::convertPointFromLayer(CGPoint point, const CALayer* layer) const
{
    if (layer)
        point = layer->convertPointToLayer(point, nullptr);
    // Down from the root: collect the chain, then apply from the top.
    const CALayer* chain[64];
    std::size_t depth = 0;
    for (const CALayer* l = this; l && l->m_superlayer && depth < 64; l = l->m_superlayer)
        chain[depth++] = l;
    while (depth > 0)
        point = chain[--depth]->convertPointFromSuperlayer(point);
    return point;
}

CGFloat CALayer::presentationOpacity() const
{
    return m_opacityAnimation.valueAt(RunLoop::main().now(), m_opacity);
}

CGPoint CALayer::presentationPosition() const
{
    return m_positionAnimation.valueAt(RunLoop::main().now(), m_position);
}

CGRect CALayer::presentationBounds() const
{
    return m_boundsAnimation.valueAt(RunLoop::main().now(), m_bounds);
}

CGAffineTransform CALayer::presentationAffineTransform() const
{
    return m_transformAnimation.valueAt(RunLoop::main().now(), m_transform);
}

CGRect CALayer::presentationFrame() const
{
    return frameFor(presentationBounds(), presentationPosition(), m_anchorPoint, presentationAffineTransform());
}

bool CALayer::hasRunningAnimations() const
{
    double now = RunLoop::main().now();
    return m_opacityAnimation.runningAt(now) || m_positionAnimation.runningAt(now)
        || m_boundsAnimation.runningAt(now) || m_transformAnimation.runningAt(now);
}

void CALayer::removeAllAnimations()
{
    m_opacityAnimation.active = false;
    m_positionAnimation.active = false;
    m_boundsAnimation.active = false;
    m_transformAnimation.active = false;
}

std::shared_ptr<CALayer> CALayer::makeCopy() const
{
    auto copy = alloc<CALayer>();
    copyPropertiesTo(*copy);
    return copy;
}

void CALayer::copyPropertiesTo(CALayer& copy) const
{
    copy.m_bounds = m_bounds;
    copy.m_position = m_position;
    copy.m_anchorPoint = m_anchorPoint;
    copy.m_transform = m_transform;
    copy.m_opacity = m_opacity;
    copy.m_hidden = m_hidden;
    copy.m_masksToBounds = m_masksToBounds;
    copy.m_cornerRadius = m_cornerRadius;
    copy.m_cornerCurve = m_cornerCurve;
    copy.m_borderWidth = m_borderWidth;
    copy.m_borderColor = m_borderColor;
    copy.m_backgroundColor = m_backgroundColor;
    copy.m_shadowColor = m_shadowColor;
    copy.m_shadowOpacity = m_shadowOpacity;
    copy.m_shadowRadius = m_shadowRadius;
    copy.m_shadowOffset = m_shadowOffset;
    copy.m_mask = m_mask;
    copy.m_name = m_name;
    copy.m_content = m_content;
}

LayerContent CALayer::content() const
{
    if (!std::holds_alternative<std::monostate>(m_content))
        return m_content;
    if (const auto* source = dynamic_cast<const LayerContentSource*>(m_view))
        return source->layerContent();
    return {};
}

std::shared_ptr<CALayer> CALayer::presentationLayer() const
{
    auto copy = makeCopy();
    copy->m_bounds = presentationBounds();
    copy->m_position = presentationPosition();
    copy->m_transform = presentationAffineTransform();
    copy->m_opacity = presentationOpacity();
    return copy;
}

std::string CALayer::description() const
{
    CGRect f = frame();
    char text[160];
    std::snprintf(text, sizeof text, "<%s: %p; frame = (%g %g; %g %g)>", className(), static_cast<const void*>(this),
        f.origin.x, f.origin.y, f.size.width, f.size.height);
    return text;
}
