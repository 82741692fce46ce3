#include "platform/uikit/UICollectionView.h"

#include "platform/foundation/NSLog.h"
#include "platform/foundation/RunLoop.h"
#include "platform/uikit/UICollectionViewCell.h"
#include "platform/uikit/UICollectionViewDataSource.h"
#include "platform/uikit/UICollectionViewDelegate.h"
#include "platform/uikit/UICollectionViewFlowLayout.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIContextMenuConfiguration.h"
#include "platform/uikit/UIContextMenuView.h"
#include "platform/uikit/UIMenu.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UITouchSet.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <cmath>

MARQEL_DEFINE_CLASS(UICollectionView,
    method<&UICollectionView::reloadData>("reloadData"),
    method<&UICollectionView::numberOfSections>("numberOfSections"),
    method<&UICollectionView::numberOfItemsInSection>("numberOfItemsInSection:"),
    method<&UICollectionView::showsVerticalScrollIndicator>("showsVerticalScrollIndicator"),
    method<&UICollectionView::setShowsVerticalScrollIndicator>("setShowsVerticalScrollIndicator:"),
    method<&UICollectionView::showsHorizontalScrollIndicator>("showsHorizontalScrollIndicator"),
    method<&UICollectionView::setShowsHorizontalScrollIndicator>("setShowsHorizontalScrollIndicator:"))

UICollectionView::UICollectionView(CGRect frame, std::shared_ptr<UICollectionViewFlowLayout> layout)
    : UIScrollView(frame)
    , m_layout(layout ? std::move(layout) : alloc<UICollectionViewFlowLayout>())
{
}

UICollectionView::~UICollectionView()
{
    if (auto menu = m_menu.lock())
        menu->dismissMenu();
}

void UICollectionView::setDataSource(std::weak_ptr<UICollectionViewDataSource> dataSource)
{
    m_dataSource = std::move(dataSource);
    reloadData();
}

void UICollectionView::setDelegate(std::weak_ptr<UICollectionViewDelegate> delegate)
{
    m_delegate = std::move(delegate);
    setNeedsLayout();
}

void UICollectionView::registerClass(CellFactory factory, const std::string& identifier)
{
    if (factory)
        m_factories[identifier] = std::move(factory);
    else
        m_factories.erase(identifier);
}

std::shared_ptr<UICollectionViewCell> UICollectionView::dequeueReusableCellWithReuseIdentifier(
    const std::string& identifier, NSIndexPath indexPath)
{
    auto& pool = m_reusePool[identifier];
    if (!pool.empty()) {
        auto cell = std::move(pool.back());
        pool.pop_back();
        cell->prepareForReuse();
        return cell;
    }
    auto factory = m_factories.find(identifier);
    if (factory == m_factories.end()) {
        NSLog("UICollectionView: no cell class is registered for the identifier \"%s\"", identifier.c_str());
        return nullptr;
    }
    auto cell = factory->second(m_layout->frameForItemAtIndexPath(indexPath));
    if (cell)
        cell->setReuseIdentifier(identifier);
    return cell;
}

void UICollectionView::reloadData()
{
    m_needsReload = true;
    m_selected.reset();
    setNeedsLayout();
}

std::int64_t UICollectionView::numberOfSections() const
{
    auto source = dataSource();
    return source ? std::max<std::int64_t>(source->numberOfSectionsInCollectionView(const_cast<UICollectionView&>(*this)), 0) : 0;
}

std::int64_t UICollectionView::numberOfItemsInSection(std::int64_t section) const
{
    auto source = dataSource();
    if (!source || section < 0 || section >= numberOfSections())
        return 0;
    return std::max<std::int64_t>(source->numberOfItemsInSection(const_cast<UICollectionView&>(*this), section), 0);
}

std::shared_ptr<UICollectionViewCell> UICollectionView::cellForItemAtIndexPath(NSIndexPath indexPath) const
{
    auto found = m_visible.find(indexPath);
    return found == m_visible.end() ? nullptr : found->second;
}

std::vector<std::shared_ptr<UICollectionViewCell>> UICollectionView::visibleCells() const
{
    std::vector<std::shared_ptr<UICollectionViewCell>> cells;
    for (const auto& [indexPath, cell] : m_visible)
        cells.push_back(cell);
    return cells;
}

std::vector<NSIndexPath> UICollectionView::indexPathsForVisibleItems() const
{
    std::vector<NSIndexPath> paths;
    for (const auto& entry : m_visible)
        paths.push_back(entry.first);
    return paths;
}

std::optional<NSIndexPath> UICollectionView::indexPathForItemAtPoint(CGPoint point) const
{
    for (const auto& indexPath : m_layout->indexPathsForItemsInRect(CGRectMake(point.x - 0.5, point.y - 0.5, 1, 1)))
        if (CGRectContainsPoint(m_layout->frameForItemAtIndexPath(indexPath), point))
            return indexPath;
    return std::nullopt;
}

CGRect UICollectionView::frameForItemAtIndexPath(NSIndexPath indexPath) const
{
    return m_layout->frameForItemAtIndexPath(indexPath);
}

void UICollectionView::layoutSubviews()
{
    updateVisibleCells();
}

void UICollectionView::recycle(NSIndexPath indexPath)
{
    auto found = m_visible.find(indexPath);
    if (found == m_visible.end())
        return;
    auto cell = found->second;
    m_visible.erase(found);
    cell->removeFromSuperview();
    cell->setHighlighted(false);
    m_reusePool[cell->reuseIdentifier()].push_back(cell);
}

void UICollectionView::updateVisibleCells()
{
    auto keepAlive = retained<UICollectionView>();
    if (m_needsReload) {
        m_needsReload = false;
        endTracking();
        auto shown = indexPathsForVisibleItems();
        for (const auto& indexPath : shown)
            recycle(indexPath);
    }
    m_layout->prepareLayout(*this);
    // Keeps the offset within content that may have shrunk under it.
    setContentSize(m_layout->collectionViewContentSize());

    auto wanted = m_layout->indexPathsForItemsInRect(bounds());
    for (const auto& indexPath : indexPathsForVisibleItems())
        if (std::find(wanted.begin(), wanted.end(), indexPath) == wanted.end())
            recycle(indexPath);
    auto source = dataSource();
    for (const auto& indexPath : wanted) {
        CGRect frame = m_layout->frameForItemAtIndexPath(indexPath);
        if (auto shown = cellForItemAtIndexPath(indexPath)) {
            shown->setFrame(frame);
            continue;
        }
        auto cell = source ? source->cellForItemAtIndexPath(*this, indexPath) : nullptr;
        if (!cell)
            continue;
        cell->setFrame(frame);
        cell->setSelected(m_selected == indexPath);
        addSubview(cell);
        m_visible[indexPath] = cell;
    }
}

std::shared_ptr<UIContextMenuView> UICollectionView::contextMenuView() const
{
    auto menu = m_menu.lock();
    return menu && menu->isShown() ? menu : nullptr;
}

bool UICollectionView::presentContextMenuForItemAtIndexPath(NSIndexPath indexPath, CGPoint point)
{
    auto owner = delegate();
    auto shownWindow = window();
    if (!owner || !shownWindow || contextMenuView())
        return false;
    auto configuration = owner->contextMenuConfigurationForItemAtIndexPath(*this, indexPath, point);
    auto menu = configuration ? configuration->makeMenu() : nullptr;
    if (!menu || menu->children().empty())
        return false;
    CGRect source = convertRectToView(frameForItemAtIndexPath(indexPath), shownWindow.get());
    auto view = alloc<UIContextMenuView>(menu, shownWindow->bounds(), source);
    view->showInWindow(shownWindow);
    m_menu = view;
    return true;
}

void UICollectionView::highlightItem(NSIndexPath indexPath, bool highlighted)
{
    if (m_highlighted == highlighted)
        return;
    m_highlighted = highlighted;
    if (auto cell = cellForItemAtIndexPath(indexPath))
        cell->setHighlighted(highlighted);
    if (auto owner = delegate()) {
        if (highlighted)
            owner->didHighlightItemAtIndexPath(*this, indexPath);
        else
            owner->didUnhighlightItemAtIndexPath(*this, indexPath);
    }
}

void UICollectionView::endTracking()
{
    if (m_trackedItem)
        highlightItem(*m_trackedItem, false);
    m_trackedItem.reset();
    m_highlighted = false;
    ++m_touchGeneration;
}

void UICollectionView::longPressFired(std::uint64_t generation)
{
    if (generation != m_touchGeneration || !m_trackedItem || m_scrolling)
        return;
    NSIndexPath indexPath = *m_trackedItem;
    endTracking();
    presentContextMenuForItemAtIndexPath(indexPath, m_touchStart);
}

void UICollectionView::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>&)
{
    auto touch = touches.anyObject();
    if (!touch)
        return;
    endTracking();
    m_touchDown = true;
    m_scrolling = false;
    m_touchStart = touch->locationInView(this);
    m_touchStartOnScreen = touch->screenLocation();
    m_offsetAtStart = contentOffset();
    m_trackedItem = indexPathForItemAtPoint(m_touchStart);
    if (!m_trackedItem)
        return;
    highlightItem(*m_trackedItem, true);
    const std::uint64_t generation = m_touchGeneration;
    std::weak_ptr<UICollectionView> weakSelf = retained<UICollectionView>();
    RunLoop::main().schedule(RunLoop::main().now() + longPressDuration, [weakSelf, generation] {
        if (auto self = weakSelf.lock())
            self->longPressFired(generation);
    });
}

void UICollectionView::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>&)
{
    auto touch = touches.anyObject();
    if (!touch || !m_touchDown)
        return;
    // How far the finger went, measured on the screen: the view's own
    // coordinates move as it scrolls.
    const CGPoint from = convertPointFromScreen(m_touchStartOnScreen);
    const CGPoint to = convertPointFromScreen(touch->screenLocation());
    const CGFloat moved = to.y - from.y;
    const bool scrollable = isScrollEnabled() && contentSize().height > bounds().size.height;
    if (!m_scrolling && scrollable && std::fabs(moved) > scrollThreshold) {
        endTracking();
        m_scrolling = true;
    }
    if (m_scrolling) {
        performWithoutAnimation([&] { setContentOffset(CGPointMake(m_offsetAtStart.x, m_offsetAtStart.y - moved)); });
        return;
    }
    if (m_trackedItem && !CGRectContainsPoint(frameForItemAtIndexPath(*m_trackedItem), touch->locationInView(this)))
        endTracking();
}

void UICollectionView::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>&)
{
    auto touch = touches.anyObject();
    m_touchDown = false;
    if (!touch || !m_trackedItem || m_scrolling) {
        endTracking();
        m_scrolling = false;
        return;
    }
    NSIndexPath indexPath = *m_trackedItem;
    const bool inside = CGRectContainsPoint(frameForItemAtIndexPath(indexPath), touch->locationInView(this));
    endTracking();
    if (!inside)
        return;
    if (m_selected && *m_selected != indexPath)
        if (auto previous = cellForItemAtIndexPath(*m_selected))
            previous->setSelected(false);
    m_selected = indexPath;
    if (auto cell = cellForItemAtIndexPath(indexPath))
        cell->setSelected(true);
    if (auto owner = delegate())
        owner->didSelectItemAtIndexPath(*this, indexPath);
}

void UICollectionView::touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>&)
{
    m_touchDown = false;
    m_scrolling = false;
    endTracking();
}
