#pragma once

// A stack of controllers under a navigation bar. The bar shows the top
// controller's navigation item: its title in the middle, its right items
// from the right edge inwards, its left items (or a back button once
// something has been pushed) from the left. With large titles the bar grows
// by a strip below its items that shows the title large, at the left, in
// place of the small one.
// FIXME: pushes and pops are not animated.

#include "platform/uikit/UIViewController.h"

class UINavigationController : public UIViewController {
    MARQEL_OBJECT(UINavigationController, UIViewController)
public:
    static constexpr CGFloat barHeight = 56;
    static constexpr CGFloat largeTitleHeight = 52;

    UINavigationController() = default;
    explicit UINavigationController(std::shared_ptr<UIViewController> rootViewController);
    ~UINavigationController() override;

    const std::vector<std::shared_ptr<UIViewController>>& viewControllers() const { return childViewControllers(); }
    std::shared_ptr<UIViewController> topViewController() const;
    void pushViewController(const std::shared_ptr<UIViewController>& controller, bool animated);
    // The root stays; popping it gives null.
    std::shared_ptr<UIViewController> popViewControllerAnimated(bool animated);
    void backButtonPressed();

    // The bar and its title label (loads the view).
    const std::shared_ptr<UIView>& navigationBar();
    const std::shared_ptr<UILabel>& titleLabel();
    const std::shared_ptr<UILabel>& largeTitleLabel();
    // On the phone this is the bar's own setting; our bar is a plain view,
    // so its controller keeps it.
    bool prefersLargeTitles() const { return m_prefersLargeTitles; }
    void setPrefersLargeTitles(bool prefers);

    void loadView() override;
    void viewDidLoad() override;

private:
    void showTop();
    void refreshBar();
    void watch(const std::shared_ptr<UIViewController>& controller);

    // Bar item handlers hold this weakly: they live in the children's items,
    // which may outlive this controller.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    std::shared_ptr<UIView> m_bar;
    std::shared_ptr<UILabel> m_titleLabel;
    std::shared_ptr<NSLayoutConstraint> m_titleWidth;
    std::shared_ptr<UILabel> m_largeTitleLabel;
    std::shared_ptr<NSLayoutConstraint> m_barHeight;
    bool m_prefersLargeTitles = false;
    std::vector<std::shared_ptr<UIView>> m_itemViews;
    std::vector<std::shared_ptr<NSLayoutConstraint>> m_itemConstraints;
    std::shared_ptr<UIView> m_backButton;
    std::shared_ptr<UIView> m_shownContent;
};
