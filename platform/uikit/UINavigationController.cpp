#include "platform/uikit/UINavigationController.h"

#include "platform/uikit/NSLayoutAnchor.h"
#include "platform/uikit/NSLayoutConstraint.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIScreen.h"

MARQEL_DEFINE_CLASS(UINavigationController,
    method<&UINavigationController::topViewController>("topViewController"),
    method<&UINavigationController::pushViewController>("pushViewController:animated:"),
    method<&UINavigationController::popViewControllerAnimated>("popViewControllerAnimated:"),
    method<&UINavigationController::backButtonPressed>("backButtonPressed"),
    method<&UINavigationController::prefersLargeTitles>("prefersLargeTitles"),
    method<&UINavigationController::setPrefersLargeTitles>("setPrefersLargeTitles:"))

namespace {
constexpr CGFloat itemSpacing = 8;
}

UINavigationController::UINavigationController(std::shared_ptr<UIViewController> rootViewController)
{
    if (rootViewController) {
        addChildViewController(rootViewController);
        watch(rootViewController);
    }
}

UINavigationController::~UINavigationController()
{
    for (const auto& child : childViewControllers())
        child->navigationItem()->setChangeHandler(nullptr);
}

void UINavigationController::watch(const std::shared_ptr<UIViewController>& controller)
{
    // The item belongs to the child, which may outlive this controller (or
    // leave it by other ways than a pop), so the handler checks first.
    std::weak_ptr<bool> alive = m_alive;
    controller->navigationItem()->setChangeHandler([this, alive] {
        if (alive.lock() && isViewLoaded())
            refreshBar();
    });
}

std::shared_ptr<UIViewController> UINavigationController::topViewController() const
{
    const auto& stack = childViewControllers();
    return stack.empty() ? nullptr : stack.back();
}

void UINavigationController::pushViewController(const std::shared_ptr<UIViewController>& controller, bool)
{
    if (!controller || controller->parentViewController().get() == this)
        return;
    addChildViewController(controller);
    if (controller->parentViewController().get() != this)
        return;
    watch(controller);
    if (isViewLoaded())
        showTop();
}

std::shared_ptr<UIViewController> UINavigationController::popViewControllerAnimated(bool)
{
    const auto& stack = childViewControllers();
    if (stack.size() < 2)
        return nullptr;
    auto top = stack.back();
    top->navigationItem()->setChangeHandler(nullptr);
    top->appearanceTransition(false, false);
    if (top->isViewLoaded())
        top->view()->removeFromSuperview();
    top->removeFromParentViewController();
    if (isViewLoaded())
        showTop();
    return top;
}

void UINavigationController::backButtonPressed()
{
    popViewControllerAnimated(true);
}

const std::shared_ptr<UIView>& UINavigationController::navigationBar()
{
    view();
    return m_bar;
}

const std::shared_ptr<UILabel>& UINavigationController::titleLabel()
{
    view();
    return m_titleLabel;
}

const std::shared_ptr<UILabel>& UINavigationController::largeTitleLabel()
{
    view();
    return m_largeTitleLabel;
}

void UINavigationController::setPrefersLargeTitles(bool prefers)
{
    m_prefersLargeTitles = prefers;
    if (!isViewLoaded())
        return;
    m_barHeight->setConstant(barHeight + (prefers ? largeTitleHeight : 0));
    m_titleLabel->setHidden(prefers);
    m_largeTitleLabel->setHidden(!prefers);
}

void UINavigationController::loadView()
{
    auto container = alloc<UIView>(UIScreen::mainScreen()->bounds());
    container->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    container->setBackgroundColor(UIColor::systemBackgroundColor());
    setView(container);

    m_bar = container->add<UIView>();
    m_bar->setBackgroundColor(UIColor::secondarySystemBackgroundColor());
    m_bar->setTranslatesAutoresizingMaskIntoConstraints(false);
    NSLayoutConstraint::activateConstraints({
        m_bar->topAnchor()->constraintEqualToAnchor(container->topAnchor()),
        m_bar->leadingAnchor()->constraintEqualToAnchor(container->leadingAnchor()),
        m_bar->trailingAnchor()->constraintEqualToAnchor(container->trailingAnchor()),
    });
    m_barHeight = m_bar->heightAnchor()->constraintEqualToConstant(barHeight);
    m_barHeight->setActive(true);
    m_titleLabel = m_bar->add<UILabel>();
    m_titleLabel->setTextAlignment(NSTextAlignmentCenter);
    m_titleLabel->setFont(UIFont::systemFontOfSize(17, UIFontWeightSemibold));
    m_titleLabel->setTranslatesAutoresizingMaskIntoConstraints(false);
    NSLayoutConstraint::activateConstraints({
        m_titleLabel->centerXAnchor()->constraintEqualToAnchor(m_bar->centerXAnchor()),
        m_titleLabel->centerYAnchor()->constraintEqualToAnchor(m_bar->topAnchor(), barHeight / 2),
        m_titleLabel->heightAnchor()->constraintEqualToConstant(24),
    });
    m_titleWidth = m_titleLabel->widthAnchor()->constraintEqualToConstant(0);
    m_titleWidth->setActive(true);
    m_largeTitleLabel = m_bar->add<UILabel>();
    m_largeTitleLabel->setTextAlignment(NSTextAlignmentLeft);
    m_largeTitleLabel->setFont(UIFont::systemFontOfSize(34, UIFontWeightBold));
    m_largeTitleLabel->setTranslatesAutoresizingMaskIntoConstraints(false);
    NSLayoutConstraint::activateConstraints({
        m_largeTitleLabel->leadingAnchor()->constraintEqualToAnchor(m_bar->leadingAnchor(), 16),
        m_largeTitleLabel->trailingAnchor()->constraintEqualToAnchor(m_bar->trailingAnchor(), -16),
        m_largeTitleLabel->bottomAnchor()->constraintEqualToAnchor(m_bar->bottomAnchor(), -6),
        m_largeTitleLabel->heightAnchor()->constraintEqualToConstant(41),
    });
    setPrefersLargeTitles(m_prefersLargeTitles);
}

void UINavigationController::viewDidLoad()
{
    showTop();
}

void UINavigationController::showTop()
{
    auto top = topViewController();
    const auto& container = view();
    if (m_shownContent && (!top || m_shownContent != top->view()))
        m_shownContent->removeFromSuperview();
    m_shownContent = nullptr;
    if (top) {
        const auto& content = top->view();
        if (content->superview() != container) {
            content->setTranslatesAutoresizingMaskIntoConstraints(false);
            container->insertSubviewBelowSubview(content, m_bar);
            NSLayoutConstraint::activateConstraints({
                content->topAnchor()->constraintEqualToAnchor(m_bar->bottomAnchor()),
                content->leadingAnchor()->constraintEqualToAnchor(container->leadingAnchor()),
                content->trailingAnchor()->constraintEqualToAnchor(container->trailingAnchor()),
                content->bottomAnchor()->constraintEqualToAnchor(container->bottomAnchor()),
            });
        }
        m_shownContent = content;
    }
    refreshBar();
}

void UINavigationController::refreshBar()
{
    NSLayoutConstraint::deactivateConstraints(m_itemConstraints);
    m_itemConstraints.clear();
    for (const auto& view : m_itemViews)
        view->removeFromSuperview();
    m_itemViews.clear();
    auto top = topViewController();
    if (!top)
        return;
    auto item = top->navigationItem();
    m_titleLabel->setText(item->title().empty() ? top->title() : item->title());
    m_largeTitleLabel->setText(m_titleLabel->text());
    // The width is an estimate of the drawn title; centred text has room to
    // spare on both sides, short of the bar items' places at the edges.
    CGFloat estimate = m_titleLabel->sizeThatFits(CGSizeZero).width;
    CGFloat room = std::max<CGFloat>(UIScreen::mainScreen()->bounds().size.width - 2 * 80, estimate);
    m_titleWidth->setConstant(std::min(std::max(estimate * 1.4, estimate + 16), room));

    auto place = [&](const std::shared_ptr<UIView>& view, bool right, const std::shared_ptr<UIView>& previous) {
        CGSize size = view->bounds().size;
        view->setTranslatesAutoresizingMaskIntoConstraints(false);
        m_bar->addSubview(view);
        std::vector<std::shared_ptr<NSLayoutConstraint>> constraints {
            view->widthAnchor()->constraintEqualToConstant(size.width),
            view->heightAnchor()->constraintEqualToConstant(size.height),
            view->centerYAnchor()->constraintEqualToAnchor(m_bar->topAnchor(), barHeight / 2),
        };
        if (right)
            constraints.push_back(view->trailingAnchor()->constraintEqualToAnchor(
                previous ? previous->leadingAnchor() : m_bar->trailingAnchor(), -itemSpacing));
        else
            constraints.push_back(view->leadingAnchor()->constraintEqualToAnchor(
                previous ? previous->trailingAnchor() : m_bar->leadingAnchor(), itemSpacing));
        NSLayoutConstraint::activateConstraints(constraints);
        m_itemConstraints.insert(m_itemConstraints.end(), constraints.begin(), constraints.end());
        m_itemViews.push_back(view);
    };
    std::shared_ptr<UIView> previous;
    for (const auto& barItem : item->rightBarButtonItems()) {
        auto view = barItem->barView();
        place(view, true, previous);
        previous = view;
    }
    previous = nullptr;
    if (!item->leftBarButtonItems().empty()) {
        for (const auto& barItem : item->leftBarButtonItems()) {
            auto view = barItem->barView();
            place(view, false, previous);
            previous = view;
        }
    } else if (childViewControllers().size() > 1) {
        if (!m_backButton) {
            auto back = UIButton::buttonWithType(UIButtonTypeSystem);
            back->setTitle("Back", UIControlStateNormal);
            back->addTarget(retained(), "backButtonPressed", UIControlEventTouchUpInside);
            back->setFrame(CGRectMake(0, 0, 60, 44));
            m_backButton = back;
        }
        place(m_backButton, false, nullptr);
    }
}
