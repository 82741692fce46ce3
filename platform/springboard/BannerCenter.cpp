#include "platform/springboard/BannerCenter.h"

#include "platform/foundation/Foundation.h"
#include "platform/springboard/HomeScreenArt.h"
#include "platform/springboard/SystemGestureView.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"

#include <algorithm>
#include <map>

namespace {

constexpr CGFloat bannerPadding = 14;
constexpr CGFloat bannerIconSize = 38;
constexpr CGFloat bannerTextLeft = bannerPadding + bannerIconSize + 12;

// The app a notice belongs to, by its section, else by what a tap opens.
std::string appName(const Notice& notice)
{
    static const std::map<std::string, std::string> apps {
        { "com.apple.mobileslideshow", "Photos" },
        { "com.apple.Preferences", "Settings" },
        { "com.apple.mobilenotes", "Notes" },
    };
    for (const auto* key : { &notice.section, &notice.launchBundleID })
        if (auto found = apps.find(*key); found != apps.end())
            return found->second;
    return notice.section;
}

// Darker than the system's secondary label colour, so the app's name reads
// at more than 4.5:1 on the banner in either appearance.
std::shared_ptr<UIColor> appNameColour()
{
    return UIColor::colorWithLightColor({ 90 / 255.0, 90 / 255.0, 96 / 255.0, 1 }, { 170 / 255.0, 170 / 255.0, 178 / 255.0, 1 });
}

std::shared_ptr<UILabel> addLabel(UIView& parent, const std::string& text, std::shared_ptr<UIFont> font,
    std::shared_ptr<UIColor> colour, CGFloat y, CGFloat width, std::int64_t lines)
{
    auto label = parent.add<UILabel>();
    label->setText(text);
    label->setFont(std::move(font));
    label->setTextColor(std::move(colour));
    label->setNumberOfLines(lines);
    CGSize size = label->sizeThatFits({ width, 0 });
    label->setFrame(CGRectMake(bannerTextLeft, y, width, size.height));
    return label;
}

}  // namespace

BannerCenter& BannerCenter::shared()
{
    static auto* instance = new BannerCenter;
    return *instance;
}

void BannerCenter::present(const Notice& notice)
{
    m_waiting.push_back(notice);
    if (!m_banner)
        showNext();
}

std::shared_ptr<UIView> BannerCenter::build(const Notice& notice)
{
    CGRect screen = UIScreen::mainScreen()->bounds();
    CGFloat width = screen.size.width - 2 * inset;
    CGFloat textWidth = width - bannerTextLeft - bannerPadding;
    auto banner = m_window->add<SystemGestureView>(CGRectMake(inset, top, width, 0));
    banner->setBackgroundColor(UIColor::secondarySystemBackgroundColor());
    banner->layer()->setCornerRadius(22);
    banner->layer()->setCornerCurve(kCACornerCurveContinuous);
    banner->layer()->setShadowColor(CGColorCreateSRGB(0, 0, 0, 1));
    banner->layer()->setShadowOpacity(0.25);
    banner->layer()->setShadowRadius(12);
    banner->layer()->setShadowOffset(CGSizeMake(0, 4));

    std::string app = appName(notice);
    CGRect iconFrame = CGRectMake(bannerPadding, bannerPadding, bannerIconSize, bannerIconSize);
    if (!HomeScreenArt::addAppIcon(*banner, app, iconFrame)) {
        auto blank = banner->add<UIView>(iconFrame);
        blank->setBackgroundColor(UIColor::systemGrayColor());
        blank->layer()->setCornerRadius(9);
    }
    CGFloat y = bannerPadding - 2;
    auto name = addLabel(*banner, app, UIFont::systemFontOfSize(13), appNameColour(), y, textWidth, 1);
    y = CGRectGetMaxY(name->frame()) + 2;
    if (!notice.title.empty()) {
        auto title = addLabel(*banner, notice.title, UIFont::systemFontOfSize(15, UIFontWeightSemibold), UIColor::labelColor(), y, textWidth, 1);
        y = CGRectGetMaxY(title->frame());
    }
    if (!notice.message.empty()) {
        auto message = addLabel(*banner, notice.message, UIFont::systemFontOfSize(15), UIColor::labelColor(), y, textWidth, 2);
        y = CGRectGetMaxY(message->frame());
    }
    for (const auto& subview : banner->subviews())
        subview->setUserInteractionEnabled(false);
    banner->setFrame(CGRectMake(inset, top, width, std::max(y + bannerPadding, bannerPadding * 2 + bannerIconSize)));
    banner->onTap = [this](CGPoint) { tapped(); };
    banner->onSwipeUp = [this] { dismiss(); };
    return banner;
}

void BannerCenter::showNext()
{
    if (m_waiting.empty()) {
        if (m_window)
            m_window->setHidden(true);
        return;
    }
    Notice notice = m_waiting.front();
    m_waiting.pop_front();
    CGRect screen = UIScreen::mainScreen()->bounds();
    if (!m_window || m_window->bounds().size.width != screen.size.width)
        m_window = alloc<SystemWindow>(screen, SystemWindow::bannerLevel, SystemWindow::Touches::OnInteractiveViewsOnly);
    // Only as tall as the banner: where the phone's display routes a
    // finger by window, a screen-sized window would take every touch meant
    // for the app beneath while the banner shows.
    m_window->setFrame(screen);
    m_window->setHidden(false);
    m_notice = notice;
    m_banner = build(notice);
    m_window->setFrame(CGRectMake(0, 0, screen.size.width, std::min(screen.size.height, CGRectGetMaxY(m_banner->frame()) + 8)));

    // In from above the screen.
    CGPoint rest = m_banner->center();
    CGPoint above = CGPointMake(rest.x, -m_banner->bounds().size.height / 2 - 10);
    UIView::performWithoutAnimation([&] { m_banner->setCenter(above); });
    UIView::animateWithDuration(
        slideDuration, 0, UIViewAnimationOptionCurveEaseOut, [banner = m_banner, rest] { banner->setCenter(rest); }, nullptr);
    NSLog("SpringBoard: banner [%@] %@", notice.section, notice.title);

    std::uint64_t generation = ++m_generation;
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, static_cast<std::int64_t>(showDuration * 1e9)), dispatch_get_main_queue(), [this, generation] {
        if (generation == m_generation)
            dismiss();
    });
}

std::shared_ptr<UIView> BannerCenter::bannerView() const { return m_notice ? m_banner : nullptr; }

std::optional<Notice> BannerCenter::currentNotice() const { return m_notice; }

void BannerCenter::dismiss()
{
    if (!m_notice || !m_banner)
        return;
    m_notice.reset();
    std::uint64_t generation = ++m_generation;
    auto banner = m_banner;
    banner->setUserInteractionEnabled(false);
    CGPoint above = CGPointMake(banner->center().x, -banner->bounds().size.height / 2 - 10);
    UIView::animateWithDuration(
        slideDuration, 0, UIViewAnimationOptionCurveEaseIn, [banner, above] { banner->setCenter(above); },
        [this, banner, generation](bool) {
            banner->removeFromSuperview();
            if (generation != m_generation)
                return;
            m_banner.reset();
            showNext();
        });
}

void BannerCenter::tapped()
{
    if (!m_notice)
        return;
    Notice notice = *m_notice;
    // Opening the app is the app's business once it exists; until then the
    // launch is recorded and logged.
    if (auto opened = NoticeCenter::shared().open(notice); !opened)
        NSLog("SpringBoard: the banner's action failed: %@", opened.message());
    dismiss();
}

void BannerCenter::reset()
{
    ++m_generation;
    m_waiting.clear();
    m_notice.reset();
    if (m_banner)
        m_banner->removeFromSuperview();
    m_banner.reset();
    if (m_window)
        m_window->setHidden(true);
    m_window.reset();
}
