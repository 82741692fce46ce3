#include "platform/photosapp/PhotosVideoCell.h"

#include "platform/uikit/UIKit.h"

MARQEL_DEFINE_CLASS(PhotosVideoCell)

namespace {
constexpr CGFloat durationInset = 5;
constexpr CGFloat durationHeight = 16;
}  // namespace

PhotosVideoCell::PhotosVideoCell(CGRect frame)
    : UICollectionViewCell(frame)
{
    setClipsToBounds(true);
    m_picture = alloc<UIView>(CGRectZero);
    m_picture->setBackgroundColor(UIColor::colorWithWhite(0.82, 1));
    m_placeholder = alloc<UIImageView>(UIImage::systemImageNamed(placeholderSymbol));
    m_placeholder->setTintColor(UIColor::colorWithWhite(0.55, 1));
    m_placeholder->setContentMode(UIViewContentModeScaleAspectFit);
    m_duration = alloc<UILabel>(CGRectZero);
    m_duration->setFont(UIFont::systemFontOfSize(12, UIFontWeightSemibold));
    m_duration->setTextColor(UIColor::whiteColor());
    m_duration->setTextAlignment(NSTextAlignmentRight);
    // A shadow alone leaves the white digits unreadable on a light or
    // bright frame; a dark capsule behind them keeps them readable on any
    // picture and hides no more of it than the digits do.
    m_scrim = alloc<UIView>(CGRectZero);
    m_scrim->setBackgroundColor(UIColor::colorWithWhite(0, 0.5));
    m_scrim->setUserInteractionEnabled(false);
    contentView()->addSubview(m_picture);
    contentView()->addSubview(m_placeholder);
    contentView()->addSubview(m_scrim);
    contentView()->addSubview(m_duration);
    m_placeholder->setHidden(true);
}

void PhotosVideoCell::configure(std::shared_ptr<const ScreenFrame> picture, const std::string& duration)
{
    const bool placeholder = !picture;
    if (picture)
        m_picture->layer()->setContent(PictureContent { std::move(picture) });
    else
        m_picture->layer()->setContent(std::monostate {});
    m_placeholder->setHidden(!placeholder);
    m_duration->setText(duration);
    setNeedsLayout();
}

bool PhotosVideoCell::showsPlaceholder() const { return !m_placeholder->isHidden(); }

void PhotosVideoCell::layoutSubviews()
{
    UICollectionViewCell::layoutSubviews();
    CGRect b = contentView()->bounds();
    m_picture->setFrame(b);
    const CGFloat symbol = std::min(b.size.width, b.size.height) * 0.3;
    m_placeholder->setFrame(CGRectMake(CGRectGetMidX(b) - symbol / 2, CGRectGetMidY(b) - symbol / 2, symbol, symbol));
    m_duration->setFrame(CGRectMake(b.origin.x + durationInset, b.origin.y + b.size.height - durationInset - durationHeight,
        b.size.width - 2 * durationInset, durationHeight));
    const CGFloat digits = std::min(m_duration->intrinsicContentSize().width, b.size.width - 2 * durationInset);
    const CGFloat pad = 3;
    m_scrim->setFrame(CGRectMake(CGRectGetMaxX(m_duration->frame()) - digits - pad, m_duration->frame().origin.y - 1,
        digits + 2 * pad, durationHeight + 2));
    m_scrim->layer()->setCornerRadius((durationHeight + 2) / 2);
}

void PhotosVideoCell::prepareForReuse()
{
    UICollectionViewCell::prepareForReuse();
    configure(nullptr, "");
    m_placeholder->setHidden(true);
}
