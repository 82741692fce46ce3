#include "tweak/savedareas/SavedAreaCell.h"

#include "kit/UIColor+ZRColours.h"
#include "kit/UIView+ZRLayout.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

#include <cmath>

MARQEL_DEFINE_CLASS_LAZY(SavedAreaCell,
    method<&SavedAreaCell::initWithFrame>("initWithFrame:"),
    method<&SavedAreaCell::prepareForReuse>("prepareForReuse"),
    method<&SavedAreaCell::setHighlighted>("setHighlighted:"),
    method<&SavedAreaCell::baseView>("baseView"),
    method<&SavedAreaCell::colourView>("colourView"),
    method<&SavedAreaCell::icon>("icon"),
    method<&SavedAreaCell::nameLabel>("nameLabel"),
    method<&SavedAreaCell::frameLabel>("frameLabel"))

namespace {

void roundCorners(UIView& view, bool clip)
{
    view.layer()->setCornerRadius(SavedAreaCell::cornerRadius);
    view.layer()->setCornerCurve(kCACornerCurveContinuous);
    view.setClipsToBounds(clip);
}

// Our layout solver knows no intrinsic sizes, so a label placed by its
// edges alone starts one line of its font high.
std::shared_ptr<UILabel> label(std::shared_ptr<UIFont> font, std::shared_ptr<UIColor> colour)
{
    auto made = alloc<UILabel>(CGRectMake(0, 0, 0, std::ceil(font->lineHeight())));
    made->setTextColor(std::move(colour));
    made->setFont(std::move(font));
    made->setTextAlignment(NSTextAlignmentLeft);
    return made;
}

}  // namespace

std::shared_ptr<SavedAreaCell> SavedAreaCell::initWithFrame(CGRect frame)
{
    setFrame(frame);
    roundCorners(*this, true);

    m_baseView = alloc<UIView>();
    m_baseView->setBackgroundColor(zr::secondaryColour());
    roundCorners(*m_baseView, true);
    // On the cell itself, not its content view.
    addSubview(m_baseView);
    zr::fill(*m_baseView);

    m_colourView = alloc<UIView>();
    m_colourView->setBackgroundColor(UIColor::systemBlueColor()->colorWithAlphaComponent(0.4));
    roundCorners(*m_colourView, false);
    m_baseView->addSubview(m_colourView);
    zr::size(*m_colourView, squareSize, squareSize);
    zr::y(*m_colourView, m_baseView->centerYAnchor());
    zr::leading(*m_colourView, m_baseView->leadingAnchor(), spacing);

    m_icon = alloc<UIImageView>();
    m_icon->setContentMode(UIViewContentModeScaleAspectFit);
    m_icon->setTintColor(UIColor::systemBlueColor());
    m_colourView->addSubview(m_icon);
    zr::size(*m_icon, iconSize, iconSize);
    zr::xy(*m_icon, m_colourView->centerXAnchor(), m_colourView->centerYAnchor());

    m_nameLabel = label(UIFont::systemFontOfSize(18, UIFontWeightSemibold), UIColor::labelColor());
    m_baseView->addSubview(m_nameLabel);
    zr::leading(*m_nameLabel, m_colourView->trailingAnchor(), spacing);
    zr::top(*m_nameLabel, m_colourView->topAnchor(), 2);
    zr::trailing(*m_nameLabel, m_baseView->trailingAnchor(), -spacing);

    m_frameLabel = label(UIFont::systemFontOfSize(13, UIFontWeightRegular), UIColor::secondaryLabelColor());
    m_baseView->addSubview(m_frameLabel);
    zr::leading(*m_frameLabel, m_colourView->trailingAnchor(), spacing);
    zr::bottom(*m_frameLabel, m_colourView->bottomAnchor(), -2);
    zr::trailing(*m_frameLabel, m_baseView->trailingAnchor(), -spacing);
    return retained<SavedAreaCell>();
}

void SavedAreaCell::prepareForReuse()
{
    UICollectionViewCell::prepareForReuse();
    m_icon->setImage(nullptr);
    m_nameLabel->setText("");
    m_frameLabel->setText("");
}

void SavedAreaCell::setHighlighted(bool highlighted)
{
    UICollectionViewCell::setHighlighted(highlighted);
    setBackgroundColor(UIColor::clearColor());
    contentView()->setBackgroundColor(UIColor::clearColor());
}
