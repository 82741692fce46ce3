#include "common/EditorViews.h"

#include "common/CentringRule.h"
#include "common/MarqelPreferences.h"
#include "platform/foundation/NSLog.h"

namespace EditorViews {

namespace P = MarqelPreferences;

CGRect storedRectangle()
{
    double x = P::read(P::defaultX);
    double y = P::read(P::defaultY);
    double width = P::read(P::defaultWidth);
    double height = P::read(P::defaultHeight);
    return CGRectMake(x, y, width, height);
}

std::shared_ptr<UIView> addDimmingView(UIView& root)
{
    auto dimming = alloc<UIView>(CGRectMake(0, 0, root.frame().size.width, root.frame().size.height));
    dimming->setBackgroundColor(UIColor::blackColor()->colorWithAlphaComponent(0.7));
    root.addSubview(dimming);
    return dimming;
}

void placeBox(UIView& root, const std::shared_ptr<UIView>& box, CGRect stored)
{
    if (CentringRule::centresBox(stored.origin.x, stored.origin.y, stored.size.width, stored.size.height))
        box->setCenter(root.center());
    root.addSubview(box);
}

void cutOut(UIView& dimming, CGRect box)
{
    NSLog("x:%f ,y:%f ,width:%f ,height:%f", box.origin.x, box.origin.y, box.size.width, box.size.height);
    auto mask = CAShapeLayer::layer();
    auto path = CGPathCreateMutable();
    CGPathAddRect(path, nullptr, box);
    CGPathAddRect(path, nullptr, dimming.bounds());
    mask->setPath(path);
    mask->setFillRule(kCAFillRuleEvenOdd);
    CGPathRelease(path);
    dimming.layer()->setMask(mask);
}

void fadeBars(std::vector<std::shared_ptr<UIView>> bars, bool hide)
{
    UIView::animateWithDuration(0.2, [bars = std::move(bars), hide] {
        for (const auto& bar : bars)
            bar->setAlpha(hide ? 0 : 1);
    });
}

}  // namespace EditorViews
