#pragma once

// Alerts and action sheets: a title, a message, text fields (alerts only)
// and actions, shown as a card over a dimmed window. Choosing an action, by
// a touch on its button or through tapActionWithTitle, dismisses the alert
// first and then runs the action's handler, as on the phone. An alert's
// first text field is being edited as soon as the alert appears; with a
// keyboard, Return chooses the preferred action (else the last one that is
// not a cancel action) and Escape the cancel action.

#include "platform/uikit/UIAlertAction.h"
#include "platform/uikit/UIViewController.h"

#include <string>
#include <vector>

enum UIAlertControllerStyle : std::int64_t {
    UIAlertControllerStyleActionSheet = 0,
    UIAlertControllerStyleAlert = 1,
};

class UIAlertController : public UIViewController {
    MARQEL_OBJECT(UIAlertController, UIViewController)
public:
    static constexpr CGFloat cardWidth = 270;
    // The most of a title or message the card shows; the rest is cut with an
    // ellipsis. Far more than fits on a screen, and what the card lays out
    // stays quick whatever text the app passes.
    static constexpr std::size_t maxShownCharacters = 600;

    UIAlertController()
        : UIAlertController("", "", UIAlertControllerStyleAlert)
    {
    }
    UIAlertController(std::string title, std::string message, UIAlertControllerStyle style);
    static std::shared_ptr<UIAlertController> alertControllerWithTitle(const std::string& title,
        const std::string& message, UIAlertControllerStyle style);

    const std::string& message() const { return m_message; }
    void setMessage(const std::string& message);
    void setTitle(const std::string& title) override;
    UIAlertControllerStyle preferredStyle() const { return m_style; }

    void addAction(const std::shared_ptr<UIAlertAction>& action);
    const std::vector<std::shared_ptr<UIAlertAction>>& actions() const { return m_actions; }
    const std::shared_ptr<UIAlertAction>& preferredAction() const { return m_preferredAction; }
    void setPreferredAction(std::shared_ptr<UIAlertAction> action) { m_preferredAction = std::move(action); }
    // Alerts only: an action sheet has no text fields (the request is
    // reported in the system log and ignored). The handler configures the
    // new field at once.
    void addTextFieldWithConfigurationHandler(const std::function<void(std::shared_ptr<UITextField>)>& handler);
    const std::vector<std::shared_ptr<UITextField>>& textFields() const { return m_textFields; }

    // Chooses the first enabled action with this title, as a tap on its
    // button would. False when the alert is not shown or no enabled action
    // has the title.
    [[nodiscard]] bool tapActionWithTitle(const std::string& title);
    bool tapAction(const std::shared_ptr<UIAlertAction>& action);
    // The button shown for an action (loads the view).
    std::shared_ptr<UIButton> buttonForAction(const std::shared_ptr<UIAlertAction>& action);

    void actionButtonPressed(const std::shared_ptr<UIButton>& sender);
    // What Return and Escape choose; null when none is to be chosen.
    std::shared_ptr<UIAlertAction> returnKeyAction() const;
    std::shared_ptr<UIAlertAction> cancelAction() const;
    void returnKeyPressed();
    void escapeKeyPressed();
    std::vector<std::shared_ptr<UIKeyCommand>> keyCommands() const override;
    void loadView() override;
    void viewWillAppear(bool animated) override;

private:
    void rebuild();

    std::string m_message;
    UIAlertControllerStyle m_style;
    std::vector<std::shared_ptr<UIAlertAction>> m_actions;
    std::shared_ptr<UIAlertAction> m_preferredAction;
    std::vector<std::shared_ptr<UITextField>> m_textFields;
    std::shared_ptr<UIView> m_card;
    std::vector<std::shared_ptr<UIButton>> m_buttons;
};
