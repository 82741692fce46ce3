#pragma once

// A scrolling list of items placed by a flow layout. As in UIKit it is a
// scroll view: the content offset, its clamping and the content size are
// the scroll view's, and cells sit in content coordinates (this view's
// bounds). Cells are registered by reuse identifier, made on demand for the
// items in view and reused once they leave it. A finger held on an item highlights it; lifting it
// inside the item selects it, moving it off or scrolling cancels. A finger
// held still for half a second opens the item's context menu, if the
// delegate gives one. A vertical drag scrolls when the content is taller
// than the view.
// FIXME: no deceleration, bounce or scroll indicators are drawn.

#include "platform/uikit/NSIndexPath.h"
#include "platform/uikit/UIScrollView.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class UICollectionViewDataSource;
class UICollectionViewDelegate;
class UIContextMenuView;

class UICollectionView : public UIScrollView {
    MARQEL_OBJECT(UICollectionView, UIScrollView)
public:
    static constexpr double longPressDuration = 0.5;
    // How far a finger moves before a touch becomes a scroll.
    static constexpr CGFloat scrollThreshold = 10;

    using CellFactory = std::function<std::shared_ptr<UICollectionViewCell>(CGRect)>;

    UICollectionView()
        : UICollectionView(CGRectZero, nullptr)
    {
    }
    // initWithFrame:collectionViewLayout:; a null layout gets a default one.
    UICollectionView(CGRect frame, std::shared_ptr<UICollectionViewFlowLayout> layout);
    ~UICollectionView() override;

    const std::shared_ptr<UICollectionViewFlowLayout>& collectionViewLayout() const { return m_layout; }
    // Neither is owned.
    std::shared_ptr<UICollectionViewDataSource> dataSource() const { return m_dataSource.lock(); }
    void setDataSource(std::weak_ptr<UICollectionViewDataSource> dataSource);
    std::shared_ptr<UICollectionViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<UICollectionViewDelegate> delegate);

    bool showsHorizontalScrollIndicator() const { return m_showsHorizontalIndicator; }
    void setShowsHorizontalScrollIndicator(bool shows) { m_showsHorizontalIndicator = shows; }
    bool showsVerticalScrollIndicator() const { return m_showsVerticalIndicator; }
    void setShowsVerticalScrollIndicator(bool shows) { m_showsVerticalIndicator = shows; }

    void registerClass(CellFactory factory, const std::string& identifier);
    // A cell class that builds its views in initWithFrame (after
    // construction, when the kit's layout operations can reach its
    // superview) is made with it; others with their frame constructor.
    template <class Cell>
    void registerClass(const std::string& identifier)
    {
        registerClass(
            [](CGRect frame) -> std::shared_ptr<UICollectionViewCell> {
                if constexpr (requires(Cell & cell) { cell.initWithFrame(frame); })
                    return alloc<Cell>()->initWithFrame(frame);
                else
                    return alloc<Cell>(frame);
            },
            identifier);
    }
    // A used cell of that identifier after its prepareForReuse, or a new
    // one. An identifier never registered is a programmer error: it is
    // reported in the system log and gives null.
    std::shared_ptr<UICollectionViewCell> dequeueReusableCellWithReuseIdentifier(const std::string& identifier,
        NSIndexPath indexPath);

    // Asks the data source again, on the next layout pass.
    void reloadData();
    std::int64_t numberOfSections() const;
    std::int64_t numberOfItemsInSection(std::int64_t section) const;

    // The cell shown for an item, or null when it is out of view.
    std::shared_ptr<UICollectionViewCell> cellForItemAtIndexPath(NSIndexPath indexPath) const;
    // In item order.
    std::vector<std::shared_ptr<UICollectionViewCell>> visibleCells() const;
    std::vector<NSIndexPath> indexPathsForVisibleItems() const;
    // `point` in this view's coordinates, which are the content's.
    std::optional<NSIndexPath> indexPathForItemAtPoint(CGPoint point) const;
    // In this view's coordinates, which are the content's; zero for an
    // unknown item.
    CGRect frameForItemAtIndexPath(NSIndexPath indexPath) const;
    std::optional<NSIndexPath> selectedItem() const { return m_selected; }

    // The context menu on screen, opened from this view, or null.
    std::shared_ptr<UIContextMenuView> contextMenuView() const;
    // Opens the item's menu as a long press would. False when the delegate
    // gives none or the view is in no window.
    bool presentContextMenuForItemAtIndexPath(NSIndexPath indexPath, CGPoint point);

    void layoutSubviews() override;
    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;

protected:
    void didScroll() override { setNeedsLayout(); }

private:
    void updateVisibleCells();
    void recycle(NSIndexPath indexPath);
    void highlightItem(NSIndexPath indexPath, bool highlighted);
    void endTracking();
    void longPressFired(std::uint64_t generation);

    std::shared_ptr<UICollectionViewFlowLayout> m_layout;
    std::weak_ptr<UICollectionViewDataSource> m_dataSource;
    std::weak_ptr<UICollectionViewDelegate> m_delegate;
    bool m_showsHorizontalIndicator = true;
    bool m_showsVerticalIndicator = true;
    std::map<std::string, CellFactory> m_factories;
    std::map<std::string, std::vector<std::shared_ptr<UICollectionViewCell>>> m_reusePool;
    std::map<NSIndexPath, std::shared_ptr<UICollectionViewCell>> m_visible;
    bool m_needsReload = true;
    std::optional<NSIndexPath> m_selected;

    // The touch being followed.
    std::optional<NSIndexPath> m_trackedItem;
    bool m_highlighted = false;
    bool m_scrolling = false;
    bool m_touchDown = false;
    CGPoint m_touchStart {};  // in content coordinates
    CGPoint m_touchStartOnScreen {};
    CGPoint m_offsetAtStart {};
    std::uint64_t m_touchGeneration = 0;
    std::weak_ptr<UIContextMenuView> m_menu;
};
