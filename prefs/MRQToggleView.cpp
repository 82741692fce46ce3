#include "prefs/MRQToggleView.h"

#include "common/MarqelPreferences.h"
#include "kit/UIColor+ZRColours.h"
#include "kit/UIView+ZRLayout.h"

namespace P = MarqelPreferences;

MARQEL_DEFINE_CLASS(MRQToggleView,
    method<&MRQToggleView::initWithFrame>("initWithFrame:"),
    method<&MRQToggleView::disableAction>("disableAction"),
    method<&MRQToggleView::enableAction>("enableAction"),
    method<&MRQToggleView::updatingValue>("updatingValue"),
    method<&MRQToggleView::invokeHapticFeedback>("invokeHapticFeedback"),
    method<&MRQToggleView::disabledView>("disabledView"),
    method<&MRQToggleView::setDisabledView>("setDisabledView:"),
    method<&MRQToggleView::disabledIcon>("disabledIcon"),
    method<&MRQToggleView::setDisabledIcon>("setDisabledIcon:"),
    method<&MRQToggleView::enabledView>("enabledView"),
    method<&MRQToggleView::setEnabledView>("setEnabledView:"),
    method<&MRQToggleView::enabledIcon>("enabledIcon"),
    method<&MRQToggleView::setEnabledIcon>("setEnabledIcon:"),
    method<&MRQToggleView::isEnabled>("isEnabled"),
    method<&MRQToggleView::setIsEnabled>("setIsEnabled:"),
    method<&MRQToggleView::statusLabel>("statusLabel"),
    method<&MRQToggleView::setStatusLabel>("setStatusLabel:"),
    method<&MRQToggleView::haptic>("haptic"),
    method<&MRQToggleView::setHaptic>("setHaptic:"))

namespace {
constexpr CGFloat cardSize = 90;
constexpr CGFloat iconSize = 35;
}  // namespace

std::shared_ptr<UIView> MRQToggleView::makeCard(std::shared_ptr<UIImageView>& icon)
{
    auto card = alloc<UIView>(CGRectZero);
    card->layer()->setCornerRadius(cardSize / 2);
    card->layer()->setShadowOpacity(1.0);
    card->layer()->setShadowOffset(CGSizeMake(0, 0));
    card->layer()->setShadowRadius(8);
    card->layer()->setMasksToBounds(false);
    card->layer()->setBorderWidth(3);
    addSubview(card);
    zr::size(card, cardSize, cardSize);
    zr::top(card, topAnchor(), 0);
    zr::x(card, centerXAnchor());

    icon = alloc<UIImageView>(CGRectZero);
    icon->setContentMode(UIViewContentModeScaleAspectFit);
    icon->setTintColor(UIColor::whiteColor());
    icon->setImage(UIImage::systemImageNamed("power"));
    card->addSubview(icon);
    zr::size(icon, iconSize, iconSize);
    zr::xy(icon, card->centerXAnchor(), card->centerYAnchor());
    return card;
}

std::shared_ptr<MRQToggleView> MRQToggleView::initWithFrame(CGRect frame)
{
    setFrame(frame);
    m_isEnabled = P::read(P::toggleMarqel);

    // Built enabled first so the disabled card lies above it.
    m_enabledView = makeCard(m_enabledIcon);
    m_disabledView = makeCard(m_disabledIcon);
    applyCardColours();

    m_statusLabel = alloc<UILabel>(CGRectZero);
    m_statusLabel->setTextAlignment(NSTextAlignmentCenter);
    m_statusLabel->setTextColor(UIColor::tertiaryLabelColor());
    m_statusLabel->setFont(UIFont::systemFontOfSize(14, UIFontWeightBold));
    addSubview(m_statusLabel);
    zr::x(m_statusLabel, centerXAnchor());
    zr::bottom(m_statusLabel, bottomAnchor(), 0);

    m_enabledView->setAlpha(m_isEnabled ? 1 : 0);
    m_disabledView->setAlpha(m_isEnabled ? 0 : 1);
    m_statusLabel->setText(m_isEnabled ? "Enabled" : "Disabled");

    auto self = retained<MRQToggleView>();
    m_disabledView->addGestureRecognizer(alloc<UITapGestureRecognizer>(self, "disableAction"));
    m_enabledView->addGestureRecognizer(alloc<UITapGestureRecognizer>(self, "enableAction"));
    return self;
}

void MRQToggleView::applyCardColours()
{
    m_enabledView->setBackgroundColor(zr::enabledColour());
    m_enabledView->layer()->setShadowColor(zr::enabledShadowColour()->CGColor());
    m_enabledView->layer()->setBorderColor(zr::enabledBorderColour()->CGColor());
    m_disabledView->setBackgroundColor(zr::disabledColour());
    m_disabledView->layer()->setShadowColor(zr::disabledShadowColour()->CGColor());
    m_disabledView->layer()->setBorderColor(zr::disabledBorderColour()->CGColor());
}

void MRQToggleView::traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous)
{
    UIView::traitCollectionDidChange(previous);
    if (m_enabledView && m_disabledView)
        applyCardColours();
}

void MRQToggleView::disableAction()
{
    invokeHapticFeedback();
    P::manager()->setBool(true, P::toggleMarqel.name, P::domain);
    updatingValue();
}

void MRQToggleView::enableAction()
{
    invokeHapticFeedback();
    P::manager()->setBool(false, P::toggleMarqel.name, P::domain);
    m_enabledView->setTransform(CGAffineTransformMakeScale(0.9, 0.9));
    updatingValue();
}

void MRQToggleView::updatingValue()
{
    m_isEnabled = P::read(P::toggleMarqel);
    bool enabled = m_isEnabled;
    auto enabledView = m_enabledView;
    auto disabledView = m_disabledView;
    UIView::animateWithDuration(
        0.4, 0, UIViewAnimationOptionCurveEaseOut, [=] {
        enabledView->setAlpha(enabled ? 1 : 0);
        disabledView->setAlpha(enabled ? 0 : 1); }, nullptr);
    m_statusLabel->setText(enabled ? "Enabled" : "Disabled");
    UIView::animateWithDuration(
        0.6, 0, UIViewAnimationOptionCurveEaseOut, [=] {
        enabledView->setTransform(CGAffineTransformIdentity);
        disabledView->setTransform(CGAffineTransformIdentity); }, nullptr);
}

void MRQToggleView::invokeHapticFeedback()
{
    m_haptic = alloc<UIImpactFeedbackGenerator>(UIImpactFeedbackStyleLight);
    m_haptic->impactOccurred();
}
