#include "platform/uikit/UIAlertController.h"

#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSString.h"
#include "platform/uikit/NSLayoutAnchor.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIKeyCommand.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITextField.h"

#include <algorithm>

MARQEL_DEFINE_CLASS(UIAlertController,
    method<&UIAlertController::addAction>("addAction:"),
    method<&UIAlertController::addTextFieldWithConfigurationHandler>("addTextFieldWithConfigurationHandler:"),
    method<&UIAlertController::message>("message"),
    method<&UIAlertController::setMessage>("setMessage:"),
    method<&UIAlertController::preferredStyle>("preferredStyle"),
    method<&UIAlertController::actionButtonPressed>("actionButtonPressed:"),
    method<&UIAlertController::returnKeyPressed>("returnKeyPressed"),
    method<&UIAlertController::escapeKeyPressed>("escapeKeyPressed"))

namespace {
constexpr CGFloat padding = 16;
constexpr CGFloat fieldHeight = 30;
constexpr CGFloat buttonHeight = 44;
constexpr CGFloat fieldCornerRadius = 6;
constexpr CGFloat fieldTextInset = 6;
// The room a side-by-side title keeps from its half's edges.
constexpr CGFloat actionTitleInset = 8;
}  // namespace

UIAlertController::UIAlertController(std::string title, std::string message, UIAlertControllerStyle style)
    : m_message(std::move(message))
    , m_style(style)
{
    UIViewController::setTitle(title);
    setModalPresentationStyle(UIModalPresentationCustom);
}

std::shared_ptr<UIAlertController> UIAlertController::alertControllerWithTitle(const std::string& title,
    const std::string& message, UIAlertControllerStyle style)
{
    return alloc<UIAlertController>(title, message, style);
}

void UIAlertController::setMessage(const std::string& message)
{
    m_message = message;
    rebuild();
}

void UIAlertController::setTitle(const std::string& title)
{
    UIViewController::setTitle(title);
    rebuild();
}

void UIAlertController::addAction(const std::shared_ptr<UIAlertAction>& action)
{
    if (!action || std::find(m_actions.begin(), m_actions.end(), action) != m_actions.end())
        return;
    m_actions.push_back(action);
    rebuild();
}

void UIAlertController::addTextFieldWithConfigurationHandler(
    const std::function<void(std::shared_ptr<UITextField>)>& handler)
{
    if (m_style != UIAlertControllerStyleAlert) {
        NSLog("UIAlertController: text fields can only be added to an alert");
        return;
    }
    auto field = alloc<UITextField>();
    m_textFields.push_back(field);
    if (handler)
        handler(field);
    rebuild();
}

bool UIAlertController::tapActionWithTitle(const std::string& title)
{
    for (const auto& action : m_actions)
        if (action->title() == title && action->isEnabled())
            return tapAction(action);
    return false;
}

bool UIAlertController::tapAction(const std::shared_ptr<UIAlertAction>& action)
{
    if (!action || !action->isEnabled())
        return false;
    if (std::find(m_actions.begin(), m_actions.end(), action) == m_actions.end())
        return false;
    auto presenter = presentingViewController();
    if (!presenter || isBeingDismissed())
        return false;
    auto keepAlive = retained<UIAlertController>();
    presenter->dismissViewControllerAnimated(false, nullptr);
    if (action->handler())
        action->handler()(action);
    return true;
}

std::shared_ptr<UIButton> UIAlertController::buttonForAction(const std::shared_ptr<UIAlertAction>& action)
{
    view();
    auto it = std::find(m_actions.begin(), m_actions.end(), action);
    if (it == m_actions.end())
        return nullptr;
    auto index = static_cast<std::size_t>(it - m_actions.begin());
    return index < m_buttons.size() ? m_buttons[index] : nullptr;
}

void UIAlertController::actionButtonPressed(const std::shared_ptr<UIButton>& sender)
{
    if (!sender)
        return;
    auto index = static_cast<std::size_t>(sender->tag());
    if (index < m_actions.size())
        tapAction(m_actions[index]);
}

std::shared_ptr<UIAlertAction> UIAlertController::returnKeyAction() const
{
    if (m_preferredAction)
        return m_preferredAction;
    for (auto it = m_actions.rbegin(); it != m_actions.rend(); ++it)
        if ((*it)->style() != UIAlertActionStyleCancel)
            return *it;
    return nullptr;
}

std::shared_ptr<UIAlertAction> UIAlertController::cancelAction() const
{
    for (const auto& action : m_actions)
        if (action->style() == UIAlertActionStyleCancel)
            return action;
    return nullptr;
}

void UIAlertController::returnKeyPressed()
{
    if (auto action = returnKeyAction())
        tapAction(action);
}

void UIAlertController::escapeKeyPressed()
{
    if (auto action = cancelAction())
        tapAction(action);
}

std::vector<std::shared_ptr<UIKeyCommand>> UIAlertController::keyCommands() const
{
    // Both keys belong to the alert while it is up, even when there is
    // nothing to choose: Escape on an alert without a cancel action does
    // nothing on the phone, and must not reach whatever hosts the screen.
    static const std::vector<std::shared_ptr<UIKeyCommand>> commands {
        UIKeyCommand::keyCommandWithInput("\r", 0, sel_registerName("returnKeyPressed")),
        UIKeyCommand::keyCommandWithInput(UIKeyInputEscape, 0, sel_registerName("escapeKeyPressed")),
    };
    if (!presentingViewController() || isBeingDismissed())
        return {};
    return commands;
}

void UIAlertController::viewWillAppear(bool animated)
{
    UIViewController::viewWillAppear(animated);
    // The keyboard comes up with the alert: its first field is edited at
    // once, without a tap.
    if (!m_textFields.empty())
        m_textFields.front()->becomeFirstResponder();
}

void UIAlertController::loadView()
{
    auto container = alloc<UIView>(UIScreen::mainScreen()->bounds());
    container->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    container->setBackgroundColor(UIColor::colorWithWhite(0, 0.2));
    setView(container);
    rebuild();
}

void UIAlertController::rebuild()
{
    if (!isViewLoaded())
        return;
    const auto& container = view();
    if (m_card)
        m_card->removeFromSuperview();
    m_buttons.clear();
    bool sheet = m_style == UIAlertControllerStyleActionSheet;
    CGFloat width = sheet ? std::max<CGFloat>(container->bounds().size.width - 2 * 8, 0) : cardWidth;
    auto card = container->add<UIView>();
    card->setBackgroundColor(UIColor::secondarySystemBackgroundColor());
    card->layer()->setCornerRadius(14);
    card->layer()->setCornerCurve(kCACornerCurveContinuous);
    card->setClipsToBounds(true);
    m_card = card;

    CGFloat y = padding;
    auto addLabel = [&](const std::string& text, std::shared_ptr<UIFont> font) {
        if (text.empty())
            return;
        auto label = card->add<UILabel>();
        label->setText(foundation::shortened(text, maxShownCharacters));
        label->setFont(std::move(font));
        label->setTextAlignment(NSTextAlignmentCenter);
        label->setNumberOfLines(0);
        CGSize size = label->sizeThatFits({ width - 2 * padding, 0 });
        label->setFrame(CGRectMake(padding, y, width - 2 * padding, size.height));
        y += size.height + 4;
    };
    addLabel(title(), UIFont::systemFontOfSize(17, UIFontWeightSemibold));
    addLabel(m_message, UIFont::systemFontOfSize(13));
    const CGFloat hairline = 1 / std::max<CGFloat>(UIScreen::mainScreen()->scale(), 1);
    for (const auto& field : m_textFields) {
        y += 8;
        // A field is drawn as a box: a hairline edge around a plain
        // background, with the text inset from the edge. The box is two
        // views (edge and fill) so both follow the appearance.
        CGRect boxFrame = CGRectMake(padding, y, width - 2 * padding, fieldHeight);
        auto edge = card->add<UIView>(boxFrame);
        edge->setBackgroundColor(UIColor::separatorColor());
        edge->layer()->setCornerRadius(fieldCornerRadius);
        auto fill = card->add<UIView>(CGRectInset(boxFrame, hairline, hairline));
        fill->setBackgroundColor(UIColor::systemBackgroundColor());
        fill->layer()->setCornerRadius(fieldCornerRadius - hairline);
        card->addSubview(field);
        field->setFrame(CGRectInset(boxFrame, fieldTextInset, 0));
        y += fieldHeight;
    }
    y += padding;

    // Two actions share a row only when both titles fit whole in half the
    // card; otherwise each gets a row, and a cancel action goes last, as
    // UIKit lays them out.
    std::vector<std::shared_ptr<UIButton>> buttons;
    for (std::size_t i = 0; i < m_actions.size(); ++i) {
        const auto& action = m_actions[i];
        auto button = UIButton::buttonWithType(UIButtonTypeSystem);
        button->setTitle(action->title(), UIControlStateNormal);
        button->setTag(static_cast<std::int64_t>(i));
        button->setEnabled(action->isEnabled());
        if (action->style() == UIAlertActionStyleDestructive)
            button->setTitleColor(UIColor::systemRedColor(), UIControlStateNormal);
        if (action->style() == UIAlertActionStyleCancel || action == m_preferredAction)
            button->titleLabel()->setFont(UIFont::systemFontOfSize(17, UIFontWeightSemibold));
        button->addTarget(retained(), "actionButtonPressed:", UIControlEventTouchUpInside);
        buttons.push_back(button);
    }
    bool sideBySide = !sheet && buttons.size() == 2 && std::all_of(buttons.begin(), buttons.end(), [&](const auto& button) {
        return button->titleLabel()->sizeThatFits({ 0, 0 }).width <= width / 2 - 2 * actionTitleInset;
    });
    std::vector<std::size_t> rowOrder;
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (sideBySide || m_actions[i]->style() != UIAlertActionStyleCancel)
            rowOrder.push_back(i);
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (!sideBySide && m_actions[i]->style() == UIAlertActionStyleCancel)
            rowOrder.push_back(i);
    auto addHairline = [&](CGRect frame) {
        auto line = card->add<UIView>(frame);
        line->setBackgroundColor(UIColor::separatorColor());
    };
    for (std::size_t row = 0; row < rowOrder.size(); ++row) {
        const auto& button = buttons[rowOrder[row]];
        if (sideBySide) {
            button->setFrame(CGRectMake(static_cast<CGFloat>(row) * width / 2, y, width / 2, buttonHeight));
            if (row > 0)
                addHairline(CGRectMake(width / 2, y, hairline, buttonHeight));
        } else {
            button->setFrame(CGRectMake(0, y + static_cast<CGFloat>(row) * buttonHeight, width, buttonHeight));
        }
        if (row == 0 || !sideBySide)
            addHairline(CGRectMake(0, CGRectGetMinY(button->frame()), width, hairline));
        card->addSubview(button);
    }
    m_buttons = std::move(buttons);
    CGFloat height = y + (sideBySide ? buttonHeight : buttonHeight * static_cast<CGFloat>(m_actions.size()));

    card->setTranslatesAutoresizingMaskIntoConstraints(false);
    std::vector<std::shared_ptr<NSLayoutConstraint>> constraints {
        card->widthAnchor()->constraintEqualToConstant(width),
        card->heightAnchor()->constraintEqualToConstant(height),
        card->centerXAnchor()->constraintEqualToAnchor(container->centerXAnchor()),
    };
    if (sheet)
        constraints.push_back(card->bottomAnchor()->constraintEqualToAnchor(container->bottomAnchor(), -8));
    else
        constraints.push_back(card->centerYAnchor()->constraintEqualToAnchor(container->centerYAnchor()));
    NSLayoutConstraint::activateConstraints(constraints);
}
