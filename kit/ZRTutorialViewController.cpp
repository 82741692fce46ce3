#include "kit/ZRTutorialViewController.h"

#include "kit/UIColor+ZRColours.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScrollView.h"

#include <algorithm>
#include <cmath>

MARQEL_DEFINE_CLASS(ZRTutorialViewController,
    method<&ZRTutorialViewController::viewDidLoad>("viewDidLoad"),
    method<&ZRTutorialViewController::closeTutorial>("closeTutorial"))

namespace {

// A label wrapping to `width`, as tall as its lines need.
std::shared_ptr<UILabel> wrappingLabel(UIView& parent, const std::string& text, std::shared_ptr<UIFont> font,
    std::shared_ptr<UIColor> colour, CGPoint origin, CGFloat width)
{
    auto label = parent.add<UILabel>();
    label->setText(text);
    label->setFont(std::move(font));
    label->setTextColor(std::move(colour));
    label->setNumberOfLines(0);
    CGSize fits = label->sizeThatFits({ width, 0 });
    label->setFrame(CGRectMake(origin.x, origin.y, width, fits.height));
    label->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    return label;
}

}  // namespace

ZRTutorialViewController::ZRTutorialViewController(std::string tweakName, std::string subtitle,
    std::vector<std::shared_ptr<ZRTutorialData>> tutorialArray)
    : m_tweakName(std::move(tweakName))
    , m_subtitle(std::move(subtitle))
    , m_tutorialArray(std::move(tutorialArray))
{
    setModalPresentationStyle(UIModalPresentationPageSheet);
}

void ZRTutorialViewController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    auto& root = *view();
    root.setBackgroundColor(UIColor::systemBackgroundColor());
    const CGFloat width = root.bounds().size.width;

    m_scrollView = root.add<UIScrollView>(root.bounds());
    m_scrollView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    auto& content = *m_scrollView;

    const CGFloat textWidth = std::max<CGFloat>(width - 2 * sideInset, 1);
    CGFloat y = 36;
    m_titleLabel = wrappingLabel(content, m_tweakName, UIFont::systemFontOfSize(32, UIFontWeightBold),
        UIColor::labelColor(), { sideInset, y }, textWidth - 40);
    y = CGRectGetMaxY(m_titleLabel->frame()) + 6;
    // Read before the pages, so as dark as they are: the secondary grey
    // reads at 3.4:1 on white.
    m_subtitleLabel = wrappingLabel(content, m_subtitle, UIFont::systemFontOfSize(16), UIColor::labelColor(), { sideInset, y }, textWidth);
    y = CGRectGetMaxY(m_subtitleLabel->frame()) + 30;

    const CGFloat pageTextX = iconSize + 16;
    m_pages.clear();
    for (const auto& data : m_tutorialArray) {
        if (!data)
            continue;
        auto row = content.add<UIView>(CGRectMake(sideInset, y, textWidth, iconSize));
        row->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
        // The icon stands beside the page's first line, centred on it,
        // however many lines follow.
        auto font = UIFont::systemFontOfSize(16);
        const CGFloat firstLine = font->lineHeight();
        const CGFloat iconTop = std::max<CGFloat>((firstLine - iconSize) / 2, 0);
        const CGFloat textTop = std::max<CGFloat>((iconSize - firstLine) / 2, 0);
        auto icon = row->add<UIImageView>(CGRectMake(0, iconTop, iconSize, iconSize));
        icon->setImage(UIImage::systemImageNamed(data->icon()));
        icon->setContentMode(UIViewContentModeScaleAspectFit);
        icon->setTintColor(zr::accentColour());
        auto text = wrappingLabel(*row, data->descriptionText(), std::move(font), UIColor::labelColor(),
            { pageTextX, textTop }, textWidth - pageTextX);
        CGFloat height = std::max(iconTop + iconSize, CGRectGetMaxY(text->frame()));
        row->setFrame(CGRectMake(sideInset, y, textWidth, height));
        m_pages.push_back({ row, icon, text });
        y += height + pageSpacing;
    }
    m_scrollView->setContentSize({ width, y + 20 });

    // Above the scroll view, so it stays put while the pages move.
    m_closeButton = UIButton::buttonWithType(UIButtonTypeSystem);
    m_closeButton->setImage(UIImage::systemImageNamed("xmark"), UIControlStateNormal);
    m_closeButton->setTintColor(UIColor::secondaryLabelColor());
    m_closeButton->setFrame(CGRectMake(width - sideInset - 30, 16, 30, 30));
    m_closeButton->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
    m_closeButton->addTarget(retained(), "closeTutorial", UIControlEventTouchUpInside);
    root.addSubview(m_closeButton);
}

void ZRTutorialViewController::closeTutorial()
{
    dismissViewControllerAnimated(true, nullptr);
}

std::vector<std::size_t> ZRTutorialViewController::visiblePageIndexes() const
{
    std::vector<std::size_t> shown;
    if (!m_scrollView)
        return shown;
    CGRect visible = m_scrollView->bounds();
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        CGRect frame = m_pages[i].row->frame();
        if (CGRectGetMaxY(frame) > CGRectGetMinY(visible) && CGRectGetMinY(frame) < CGRectGetMaxY(visible))
            shown.push_back(i);
    }
    return shown;
}
