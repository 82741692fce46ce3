#pragma once

// A layer that fills and strokes a path in its own coordinates.

#include "platform/uikit/CALayer.h"
#include "platform/uikit/CGPath.h"

inline constexpr const char* kCAFillRuleNonZero = "non-zero";
inline constexpr const char* kCAFillRuleEvenOdd = "even-odd";

class CAShapeLayer : public CALayer {
    MARQEL_OBJECT(CAShapeLayer, CALayer)
public:
    CAShapeLayer();
    static std::shared_ptr<CAShapeLayer> layer();

    const CGPathRef& path() const { return m_path; }
    void setPath(CGPathRef path) { m_path = std::move(path); }
    // Opaque black unless set; null fills nothing.
    const CGColorRef& fillColor() const { return m_fillColor; }
    void setFillColor(CGColorRef color) { m_fillColor = std::move(color); }
    const std::string& fillRule() const { return m_fillRule; }
    void setFillRule(const std::string& rule) { m_fillRule = rule; }
    bool usesEvenOddFillRule() const { return m_fillRule == kCAFillRuleEvenOdd; }
    // Null (no stroke) unless set.
    const CGColorRef& strokeColor() const { return m_strokeColor; }
    void setStrokeColor(CGColorRef color) { m_strokeColor = std::move(color); }
    CGFloat lineWidth() const { return m_lineWidth; }
    void setLineWidth(CGFloat width) { m_lineWidth = width; }
    // Lengths painted and skipped in turn; empty draws a solid line.
    const std::vector<int>& lineDashPattern() const { return m_lineDashPattern; }
    void setLineDashPattern(std::vector<int> pattern) { m_lineDashPattern = std::move(pattern); }
    CGFloat lineDashPhase() const { return m_lineDashPhase; }
    void setLineDashPhase(CGFloat phase) { m_lineDashPhase = phase; }

    // Whether the path fills `point` (layer coordinates) under the fill rule.
    bool fillContainsPoint(CGPoint point) const;

    LayerContent content() const override;

protected:
    std::shared_ptr<CALayer> makeCopy() const override;

private:
    CGPathRef m_path;
    CGColorRef m_fillColor;
    std::string m_fillRule = kCAFillRuleNonZero;
    CGColorRef m_strokeColor;
    CGFloat m_lineWidth = 1;
    std::vector<int> m_lineDashPattern;
    CGFloat m_lineDashPhase = 0;
};
