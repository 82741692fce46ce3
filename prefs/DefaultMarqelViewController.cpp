#include "prefs/DefaultMarqelViewController.h"

#include "common/EditorViews.h"
#include "common/MarqelPreferences.h"
#include "kit/UIView+ZRLayout.h"
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
    CGRect stored = EditorViews::storedRectangle();
    m_defaultX = stored.origin.x;
    m_defaultY = stored.origin.y;
    m_defaultWidth = stored.size.width;
    m_defaultHeight = stored.size.height;

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
    m_dimmingView = EditorViews::addDimmingView(*root);
    CGRect stored = CGRectMake(m_defaultX, m_defaultY, m_defaultWidth, m_defaultHeight);
    m_marqelView = alloc<DefaultResizableBox>()->initWithFrame(stored);
    m_marqelView->setDelegate(retained());
    EditorViews::placeBox(*root, m_marqelView, stored);
    updateMarqelArea();
}

void DefaultMarqelViewController::updateMarqelArea() { EditorViews::cutOut(*m_dimmingView, m_marqelView->frame()); }

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
    EditorViews::fadeBars({ m_bottomView }, hide);
}

void DefaultMarqelViewController::saveChange()
{
    // One write of the four numbers, truncated toward zero; a failed write
    // is not reported, and the editor closes either way.
    (void)P::writeDefaultRectangle(m_marqelView->frame());
    dismissVC();
}

void DefaultMarqelViewController::dismissVC() { dismissViewControllerAnimated(true, nullptr); }
