#pragma once

// A layer filled with a linear gradient across its bounds, in the manner of
// Core Animation's gradient layer: colours at locations (0...1) along the
// line from startPoint to endPoint, both in the unit square of the bounds.
// The home screen's wallpaper and icons use it.

#include "platform/uikit/CALayer.h"

#include <vector>

class GradientLayer : public CALayer {
    MARQEL_OBJECT(GradientLayer, CALayer)
public:
    GradientLayer() = default;
    static std::shared_ptr<GradientLayer> layer();

    const std::vector<CGColorRef>& colors() const { return m_colors; }
    void setColors(std::vector<CGColorRef> colors) { m_colors = std::move(colors); }
    // Empty spreads the colours evenly; otherwise one per colour.
    const std::vector<CGFloat>& locations() const { return m_locations; }
    void setLocations(std::vector<CGFloat> locations) { m_locations = std::move(locations); }
    CGPoint startPoint() const { return m_startPoint; }
    void setStartPoint(CGPoint point) { m_startPoint = point; }
    CGPoint endPoint() const { return m_endPoint; }
    void setEndPoint(CGPoint point) { m_endPoint = point; }

    LayerContent content() const override;

protected:
    std::shared_ptr<CALayer> makeCopy() const override;

private:
    std::vector<CGColorRef> m_colors;
    std::vector<CGFloat> m_locations;
    CGPoint m_startPoint { 0.5, 0 };
    CGPoint m_endPoint { 0.5, 1 };
};
