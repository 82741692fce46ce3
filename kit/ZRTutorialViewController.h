#pragma once

// A tutorial: the product's name and a subtitle on top, then the pages in
// order, each a symbol beside its text, in a scroll view, and a close button
// (the "xmark" symbol) that dismisses it. Meant to be presented modally.

#include "kit/ZRTutorialData.h"
#include "platform/uikit/UIViewController.h"

#include <vector>

class ZRTutorialViewController : public UIViewController {
    MARQEL_OBJECT(ZRTutorialViewController, UIViewController)
public:
    static constexpr CGFloat sideInset = 20;
    static constexpr CGFloat iconSize = 30;
    static constexpr CGFloat pageSpacing = 22;

    // What one page shows, for scenario steps and tests.
    struct Page {
        std::shared_ptr<UIView> row;
        std::shared_ptr<UIImageView> iconView;
        std::shared_ptr<UILabel> textLabel;
    };

    ZRTutorialViewController() = default;
    // initWithTweakName:subtitle:tutorialArray:
    ZRTutorialViewController(std::string tweakName, std::string subtitle,
        std::vector<std::shared_ptr<ZRTutorialData>> tutorialArray);

    void viewDidLoad() override;
    void closeTutorial();

    const std::string& tweakName() const { return m_tweakName; }
    const std::string& subtitle() const { return m_subtitle; }
    const std::vector<std::shared_ptr<ZRTutorialData>>& tutorialArray() const { return m_tutorialArray; }
    // Built with the view, in the order of the tutorial array.
    const std::vector<Page>& pages() const { return m_pages; }
    // The indexes of the pages that the scroll view shows at least partly.
    std::vector<std::size_t> visiblePageIndexes() const;
    std::shared_ptr<UIScrollView> scrollView() const { return m_scrollView; }
    std::shared_ptr<UILabel> titleLabel() const { return m_titleLabel; }
    std::shared_ptr<UILabel> subtitleLabel() const { return m_subtitleLabel; }
    std::shared_ptr<UIButton> closeButton() const { return m_closeButton; }

private:
    std::string m_tweakName;
    std::string m_subtitle;
    std::vector<std::shared_ptr<ZRTutorialData>> m_tutorialArray;
    std::vector<Page> m_pages;
    std::shared_ptr<UIScrollView> m_scrollView;
    std::shared_ptr<UILabel> m_titleLabel;
    std::shared_ptr<UILabel> m_subtitleLabel;
    std::shared_ptr<UIButton> m_closeButton;
};
