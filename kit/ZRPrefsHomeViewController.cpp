#include "kit/ZRPrefsHomeViewController.h"

#include "kit/UIColor+ZRColours.h"
#include "platform/foundation/NSLog.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITapGestureRecognizer.h"

#include <algorithm>

MARQEL_DEFINE_CLASS(ZRPrefsHomeViewController,
    method<&ZRPrefsHomeViewController::viewDidLoad>("viewDidLoad"),
    method<&ZRPrefsHomeViewController::updateWithPrefsConfig>("updateWithPrefsConfig:"),
    method<&ZRPrefsHomeViewController::toggleContainerView>("toggleContainerView"),
    method<&ZRPrefsHomeViewController::openSettings>("openSettings"),
    method<&ZRPrefsHomeViewController::openTutorial>("openTutorial"),
    method<&ZRPrefsHomeViewController::rowTapped>("rowTapped:"))

namespace {
enum RowTag : std::int64_t {
    SettingsRowTag = 1,
    TutorialRowTag = 2,
};
}  // namespace

void ZRPrefsHomeViewController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    auto& root = *view();
    root.setBackgroundColor(UIColor::systemGroupedBackgroundColor());
    m_scrollView = root.add<UIScrollView>(root.bounds());
    m_scrollView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
}

const std::shared_ptr<UIView>& ZRPrefsHomeViewController::toggleContainerView()
{
    if (!m_toggleContainer) {
        m_toggleContainer = alloc<UIView>();
        m_toggleContainer->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    }
    return m_toggleContainer;
}

void ZRPrefsHomeViewController::updateWithPrefsConfig(const std::shared_ptr<ZRPrefsConfig>& config)
{
    m_config = config ? config : alloc<ZRPrefsConfig>();
    if (!m_scrollView)
        view();  // loads, which makes the scroll view
    if (!m_scrollView)
        return;
    auto keptToggle = toggleContainerView();
    for (auto subviews = m_scrollView->subviews(); const auto& subview : subviews)
        subview->removeFromSuperview();
    auto& content = *m_scrollView;
    const CGFloat width = content.bounds().size.width;

    // The cover fills the top; the icon sits half over its lower edge.
    m_coverView = content.add<UIImageView>(CGRectMake(0, 0, width, coverHeight));
    m_coverView->setImage(m_config->heroCover());
    m_coverView->setContentMode(UIViewContentModeScaleAspectFill);
    m_coverView->setClipsToBounds(true);
    m_coverView->setBackgroundColor(zr::accentColour());
    m_coverView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);

    m_iconView = content.add<UIImageView>(CGRectMake((width - iconSize) / 2, coverHeight - iconSize / 2, iconSize, iconSize));
    m_iconView->setImage(m_config->heroIcon());
    m_iconView->setContentMode(UIViewContentModeScaleAspectFill);
    m_iconView->setClipsToBounds(true);
    m_iconView->setBackgroundColor(UIColor::secondarySystemBackgroundColor());
    m_iconView->layer()->setCornerRadius(iconSize / 2);
    m_iconView->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin);

    CGFloat y = CGRectGetMaxY(m_iconView->frame()) + 10;
    m_nameLabel = content.add<UILabel>(CGRectMake(sideInset, y, width - 2 * sideInset, 34));
    m_nameLabel->setText(m_config->tweakName());
    m_nameLabel->setFont(UIFont::systemFontOfSize(28, UIFontWeightBold));
    m_nameLabel->setTextAlignment(NSTextAlignmentCenter);
    m_nameLabel->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    y += 36;
    m_versionLabel = content.add<UILabel>(CGRectMake(sideInset, y, width - 2 * sideInset, 20));
    m_versionLabel->setText(m_config->tweakVersion());
    m_versionLabel->setFont(UIFont::systemFontOfSize(15));
    m_versionLabel->setTextColor(UIColor::secondaryLabelColor());
    m_versionLabel->setTextAlignment(NSTextAlignmentCenter);
    m_versionLabel->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    y += 20 + 16;

    keptToggle->setFrame(CGRectMake(0, y, width, toggleContainerHeight));
    content.addSubview(keptToggle);
    y += toggleContainerHeight + 16;

    m_settingsRow = makeRow(content, settingsRowTitle, y, SettingsRowTag);
    y += rowHeight + 10;
    m_tutorialRow = makeRow(content, tutorialRowTitle, y, TutorialRowTag);
    y += rowHeight + 24;
    m_scrollView->setContentSize({ width, y });
}

std::shared_ptr<UIView> ZRPrefsHomeViewController::makeRow(UIView& parent, const std::string& title, CGFloat y, std::int64_t tag)
{
    const CGFloat width = parent.bounds().size.width - 2 * sideInset;
    auto row = parent.add<UIView>(CGRectMake(sideInset, y, width, rowHeight));
    row->setTag(tag);
    row->setBackgroundColor(UIColor::secondarySystemGroupedBackgroundColor());
    row->layer()->setCornerRadius(12);
    row->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    auto label = row->add<UILabel>(CGRectMake(16, 0, width - 48, rowHeight));
    label->setText(title);
    label->setFont(UIFont::systemFontOfSize(17, UIFontWeightMedium));
    label->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    auto mark = row->add<UILabel>(CGRectMake(width - 28, 0, 16, rowHeight));
    mark->setText("\u203A");  // a disclosure mark
    mark->setFont(UIFont::systemFontOfSize(24));
    mark->setTextColor(UIColor::tertiaryLabelColor());
    mark->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
    row->addGestureRecognizer(alloc<UITapGestureRecognizer>(retained(), "rowTapped:"));
    return row;
}

void ZRPrefsHomeViewController::rowTapped(const std::shared_ptr<UIGestureRecognizer>& sender)
{
    auto row = sender ? sender->view() : nullptr;
    if (!row)
        return;
    if (row->tag() == SettingsRowTag)
        openSettings();
    else if (row->tag() == TutorialRowTag)
        openTutorial();
}

void ZRPrefsHomeViewController::openSettings()
{
    std::string name = m_config ? m_config->singlePrefsClassName() : "";
    Class cls = name.empty() ? nullptr : objc_getClass(name);
    if (!cls) {
        NSLog("ZRPrefsHomeViewController: no settings page class named \"%@\"", name);
        return;
    }
    auto page = objc_cast<UIViewController>(class_createInstance(cls));
    if (!page) {
        NSLog("ZRPrefsHomeViewController: %@ cannot be made into a view controller", name);
        return;
    }
    if (auto navigation = navigationController()) {
        navigation->pushViewController(page, true);
        return;
    }
    // Outside a navigation controller the page still opens, over the home.
    presentViewController(page, true, nullptr);
}

void ZRPrefsHomeViewController::openTutorial()
{
    static SEL presentTutorial = sel_registerName("presentTutorialVC");
    if (!respondsToSelector(presentTutorial)) {
        NSLog("ZRPrefsHomeViewController: %@ has no tutorial to present", className());
        return;
    }
    msgSend<void>(retained(), presentTutorial);
}
