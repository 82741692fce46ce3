#include "platform/uikit/UICollectionViewFlowLayout.h"

#include "platform/uikit/UICollectionView.h"
#include "platform/uikit/UICollectionViewDataSource.h"
#include "platform/uikit/UICollectionViewDelegateFlowLayout.h"

#include <algorithm>

MARQEL_DEFINE_CLASS(UICollectionViewFlowLayout)

void UICollectionViewFlowLayout::prepareLayout(UICollectionView& collectionView)
{
    m_frames.clear();
    const CGFloat width = collectionView.bounds().size.width;
    auto dataSource = collectionView.dataSource();
    auto sizing = std::dynamic_pointer_cast<UICollectionViewDelegateFlowLayout>(collectionView.delegate());
    const std::int64_t sections = dataSource ? std::max<std::int64_t>(dataSource->numberOfSectionsInCollectionView(collectionView), 0) : 0;
    CGFloat y = 0;
    for (std::int64_t section = 0; section < sections; ++section) {
        UIEdgeInsets inset = m_sectionInset;
        CGFloat interitem = m_interitemSpacing;
        CGFloat line = m_lineSpacing;
        if (sizing) {
            inset = sizing->insetForSectionAtIndex(collectionView, *this, section).value_or(inset);
            interitem = sizing->minimumInteritemSpacingForSectionAtIndex(collectionView, *this, section).value_or(interitem);
            line = sizing->minimumLineSpacingForSectionAtIndex(collectionView, *this, section).value_or(line);
        }
        const std::int64_t items = std::max<std::int64_t>(dataSource->numberOfItemsInSection(collectionView, section), 0);
        std::vector<CGRect> frames;
        frames.reserve(static_cast<std::size_t>(items));
        y += inset.top;
        CGFloat x = inset.left;
        CGFloat lineHeight = 0;
        bool lineEmpty = true;
        for (std::int64_t item = 0; item < items; ++item) {
            CGSize size = m_itemSize;
            if (sizing)
                size = sizing->sizeForItemAtIndexPath(collectionView, *this, { section, item }).value_or(size);
            size.width = std::max<CGFloat>(size.width, 0);
            size.height = std::max<CGFloat>(size.height, 0);
            // An item wider than the line still gets a line of its own.
            if (!lineEmpty && x + size.width > width - inset.right) {
                y += lineHeight + line;
                x = inset.left;
                lineHeight = 0;
                lineEmpty = true;
            }
            frames.push_back(CGRectMake(x, y, size.width, size.height));
            x += size.width + interitem;
            lineHeight = std::max(lineHeight, size.height);
            lineEmpty = false;
        }
        y += lineHeight + inset.bottom;
        m_frames.push_back(std::move(frames));
    }
    m_contentSize = CGSizeMake(width, y);
}

CGRect UICollectionViewFlowLayout::frameForItemAtIndexPath(NSIndexPath indexPath) const
{
    if (indexPath.section < 0 || indexPath.section >= static_cast<std::int64_t>(m_frames.size()))
        return CGRectZero;
    const auto& frames = m_frames[static_cast<std::size_t>(indexPath.section)];
    if (indexPath.item < 0 || indexPath.item >= static_cast<std::int64_t>(frames.size()))
        return CGRectZero;
    return frames[static_cast<std::size_t>(indexPath.item)];
}

std::vector<NSIndexPath> UICollectionViewFlowLayout::indexPathsForItemsInRect(CGRect rect) const
{
    std::vector<NSIndexPath> found;
    for (std::size_t section = 0; section < m_frames.size(); ++section)
        for (std::size_t item = 0; item < m_frames[section].size(); ++item)
            if (CGRectIntersectsRect(m_frames[section][item], rect))
                found.push_back({ static_cast<std::int64_t>(section), static_cast<std::int64_t>(item) });
    return found;
}
