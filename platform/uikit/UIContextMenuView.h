#pragma once

// A context menu on screen: a dimmed window with a card of the menu's
// actions beside the item it was opened on, title on top. A touch on an
// action closes the menu and then runs the action's handler, as on the
// phone; a touch anywhere else only closes it.

#include "platform/uikit/UIView.h"

#include <functional>
#include <string>
#include <vector>

class UIContextMenuView : public UIView {
    MARQEL_OBJECT(UIContextMenuView, UIView)
public:
    static constexpr CGFloat cardWidth = 250;
    static constexpr CGFloat rowHeight = 44;
    static constexpr CGFloat headerHeight = 30;
    static constexpr CGFloat margin = 8;

    UIContextMenuView() = default;
    // `source` is the pressed item's rectangle in the window's coordinates.
    UIContextMenuView(std::shared_ptr<UIMenu> menu, CGRect windowBounds, CGRect source);

    // Adds the menu over the whole window.
    void showInWindow(const std::shared_ptr<UIWindow>& window);
    bool isShown() const { return superviewPointer() != nullptr; }
    const std::shared_ptr<UIMenu>& menu() const { return m_menu; }
    const std::shared_ptr<UIView>& card() const { return m_card; }
    // The row showing each shown action, in the menu's order.
    const std::vector<std::shared_ptr<UIView>>& actionRows() const { return m_rows; }

    // Chooses the first enabled action with this title, as a touch on its
    // row would. False when the menu is not shown or has no such action.
    [[nodiscard]] bool chooseActionWithTitle(const std::string& title);
    void chooseAction(const std::shared_ptr<UIAction>& action);
    void dismissMenu();
    // Runs once the menu has closed, by a choice or not.
    void setDismissHandler(std::function<void()> handler) { m_onDismiss = std::move(handler); }

    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesMoved(const UITouchSet&, const std::shared_ptr<UIEvent>&) override { }
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>&) override { }
    void traitCollectionDidChange(const std::shared_ptr<UITraitCollection>& previous) override;

private:
    void applyEdgeColour();

    std::shared_ptr<UIMenu> m_menu;
    std::shared_ptr<UIView> m_shadow;
    std::shared_ptr<UIView> m_card;
    std::vector<std::shared_ptr<UIView>> m_rows;
    std::vector<std::shared_ptr<UIAction>> m_rowActions;
    std::function<void()> m_onDismiss;
};
