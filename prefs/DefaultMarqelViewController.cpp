#include "prefs/DefaultMarqelViewController.h"

#include "common/CentringRule.h"
#include "common/MarqelPreferences.h"
#include "kit/UIView+ZRLayout.h"
#include "platform/foundation/NSLog.h"
#include "prefs/DefaultResizableBox.h"

MARQEL_DEFINE_CLASS(DefaultMarqelViewController,
    method<&DefaultMarqelViewController::layoutMarqelView>("layoutMarqelView"),
    method<&DefaultMarqelViewController::layoutToolView>("layoutToolView"),
    method<&DefaultMarqelViewController::updateMarqelArea>("updateMarqelArea"),
    method<&DefaultMarqelViewController::beginResizeArea>("beginResizeArea"),
    method<&DefaultMarqelViewController::resizeAreaFrameChanged>("resizeAreaFrameChanged"),
    method<&DefaultMarqelViewController::didFinishedResizeArea>("didFinishedResizeArea"),
    method<&DefaultMarqelViewController::hideToolView>("hideToolView:"),
    method<&DefaultMarqelViewController::saveChange>("saveChange"),
    method<&DefaultMarqelViewController::dismissVC>("dismissVC"),
    method<&DefaultMarqelViewController::dimmingView>("dimmingView"),
    method<&DefaultMarqelViewController::setDimmingView>("setDimmingView:"),
    method<&DefaultMarqelViewController::marqelView>("marqelView"),
    method<&DefaultMarqelViewController::setMarqelView>("setMarqelView:"),
    method<&DefaultMarqelViewController::bottomView>("bottomView"),
    method<&DefaultMarqelViewController::setBottomView>("setBottomView:"),
    method<&DefaultMarqelViewController::defaultX>("defaultX"),
    method<&DefaultMarqelViewController::setDefaultX>("setDefaultX:"),
    method<&DefaultMarqelViewController::defaultY>("defaultY"),
    method<&DefaultMarqelViewController::setDefaultY>("setDefaultY:"),
    method<&DefaultMarqelViewController::defaultWidth>("defaultWidth"),
    method<&DefaultMarqelViewController::setDefaultWidth>("setDefaultWidth:"),
    method<&DefaultMarqelViewController::defaultHeight>("defaultHeight"),
    method<&DefaultMarqelViewController::setDefaultHeight>("setDefaultHeight:"))

namespace {
namespace P = MarqelPreferences;

std::shared_ptr<UIButton> barButton(const char* title, std::shared_ptr<UIColor> background)
{
    auto button = UIButton::buttonWithType(UIButtonTypeSystem);
    button->setTitle(title, UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor()->colorWithAlphaComponent(0.5), UIControlStateHighlighted);
    button->setBackgroundColor(std::move(background));
    button->layer()->setCornerCurve(kCACornerCurveContinuous);
    button->layer()->setCornerRadius(12);
    return button;
}
}  // namespace

void DefaultMarqelViewController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    auto root = view();
    root->setBackgroundColor(UIColor::blackColor());
    m_defaultX = P::read(P::defaultX);
    m_defaultY = P::read(P::defaultY);
    m_defaultWidth = P::read(P::defaultWidth);
    m_defaultHeight = P::read(P::defaultHeight);

    // A missing picture leaves the view empty and the black shows through.
    auto wallpaper = alloc<UIImageView>(CGRectMake(0, 0, root->frame().size.width, root->frame().size.height));
    wallpaper->setContentMode(UIViewContentModeScaleAspectFill);
    wallpaper->setImage(UIImage::imageWithContentsOfFile(wallpaperDevicePath));
    root->addSubview(wallpaper);

    layoutMarqelView();
    layoutToolView();
}

void DefaultMarqelViewController::layoutMarqelView()
{
    auto root = view();
    CGRect own = CGRectMake(0, 0, root->frame().size.width, root->frame().size.height);
    m_dimmingView = alloc<UIView>(own);
    m_dimmingView->setBackgroundColor(UIColor::blackColor()->colorWithAlphaComponent(0.7));
    root->addSubview(m_dimmingView);

    m_marqelView = alloc<DefaultResizableBox>()->initWithFrame(CGRectMake(m_defaultX, m_defaultY, m_defaultWidth, m_defaultHeight));
    if (CentringRule::centresBox(m_defaultX, m_defaultY, m_defaultWidth, m_defaultHeight))
        m_marqelView->setCenter(root->center());
    m_marqelView->setDelegate(retained());
    root->addSubview(m_marqelView);
    updateMarqelArea();
}

void DefaultMarqelViewController::updateMarqelArea()
{
    CGRect box = m_marqelView->frame();
    NSLog("x:%f ,y:%f ,width:%f ,height:%f", box.origin.x, box.origin.y, box.size.width, box.size.height);
    auto mask = CAShapeLayer::layer();
    auto path = CGPathCreateMutable();
    CGPathAddRect(path, nullptr, box);
    CGPathAddRect(path, nullptr, m_dimmingView->bounds());
    mask->setPath(path);
    mask->setFillRule(kCAFillRuleEvenOdd);
    CGPathRelease(path);
    m_dimmingView->layer()->setMask(mask);
}

void DefaultMarqelViewController::layoutToolView()
{
    auto root = view();
    CGFloat W = root->frame().size.width;

    m_bottomView = alloc<UIView>();
    root->addSubview(m_bottomView);
    zr::size(*m_bottomView, W, 45);
    zr::x(*m_bottomView, root->centerXAnchor());
    zr::bottom(*m_bottomView, root->bottomAnchor(), -35);

    // 20 points at each outer side and 20 between the two.
    CGFloat buttonWidth = W * 0.5 - 30;

    auto save = barButton("Save", UIColor::systemTealColor());
    save->addTarget(retained(), sel_registerName("saveChange"), UIControlEventTouchUpInside);
    m_bottomView->addSubview(save);
    zr::size(*save, buttonWidth, 45);
    zr::top(*save, m_bottomView->topAnchor(), 0);
    zr::trailing(*save, m_bottomView->trailingAnchor(), -20);

    auto cancel = barButton("Cancel", UIColor::systemRedColor());
    cancel->addTarget(retained(), sel_registerName("dismissVC"), UIControlEventTouchUpInside);
    m_bottomView->addSubview(cancel);
    zr::size(*cancel, buttonWidth, 45);
    zr::top(*cancel, m_bottomView->topAnchor(), 0);
    zr::leading(*cancel, m_bottomView->leadingAnchor(), 20);
}

void DefaultMarqelViewController::beginResizeArea()
{
    updateMarqelArea();
    hideToolView(true);
}

void DefaultMarqelViewController::resizeAreaFrameChanged()
{
    updateMarqelArea();
    hideToolView(true);
}

void DefaultMarqelViewController::didFinishedResizeArea()
{
    updateMarqelArea();
    hideToolView(false);
}

void DefaultMarqelViewController::hideToolView(bool hide)
{
    auto bottom = m_bottomView;
    UIView::animateWithDuration(0.2, [bottom, hide] { bottom->setAlpha(hide ? 0 : 1); });
}

void DefaultMarqelViewController::saveChange()
{
    CGRect box = m_marqelView->frame();
    // Each write fetches the shared manager afresh and stores the value
    // truncated toward zero; a failed write is not reported, and the editor
    // closes either way.
    (void)P::write(P::defaultX, box.origin.x);
    (void)P::write(P::defaultY, box.origin.y);
    (void)P::write(P::defaultWidth, box.size.width);
    (void)P::write(P::defaultHeight, box.size.height);
    dismissVC();
}

void DefaultMarqelViewController::dismissVC() { dismissViewControllerAnimated(true, nullptr); }
