#pragma once

// Places a collection view's items in lines, section after section, in
// the vertical direction: items fill a line from the left inset until the
// next one would cross the right inset, then a new line starts below the
// tallest item of the line. Sizes, spacings and insets are asked from the
// collection view's delegate when it answers them.
// FIXME: horizontal scrolling and the spreading of a line's spare width
// between its items are not done; each line is packed to the left.

#include "platform/foundation/CGGeometry.h"
#include "platform/runtime/ClassBuilder.h"
#include "platform/uikit/Forward.h"
#include "platform/uikit/NSIndexPath.h"
#include "platform/uikit/UIEdgeInsets.h"

#include <vector>

enum UICollectionViewScrollDirection : std::int64_t {
    UICollectionViewScrollDirectionVertical = 0,
    UICollectionViewScrollDirectionHorizontal = 1,
};

class UICollectionViewFlowLayout : public Object {
    MARQEL_OBJECT(UICollectionViewFlowLayout, Object)
public:
    UICollectionViewFlowLayout() = default;

    CGSize itemSize() const { return m_itemSize; }
    void setItemSize(CGSize size) { m_itemSize = size; }
    CGFloat minimumInteritemSpacing() const { return m_interitemSpacing; }
    void setMinimumInteritemSpacing(CGFloat spacing) { m_interitemSpacing = spacing; }
    CGFloat minimumLineSpacing() const { return m_lineSpacing; }
    void setMinimumLineSpacing(CGFloat spacing) { m_lineSpacing = spacing; }
    UIEdgeInsets sectionInset() const { return m_sectionInset; }
    void setSectionInset(UIEdgeInsets insets) { m_sectionInset = insets; }
    UICollectionViewScrollDirection scrollDirection() const { return UICollectionViewScrollDirectionVertical; }

    // Computes every item's frame for the collection view's current width
    // and data.
    void prepareLayout(UICollectionView& collectionView);
    // In the content's coordinates; zero for an item the last preparation
    // did not place.
    CGRect frameForItemAtIndexPath(NSIndexPath indexPath) const;
    std::vector<NSIndexPath> indexPathsForItemsInRect(CGRect rect) const;
    CGSize collectionViewContentSize() const { return m_contentSize; }

private:
    CGSize m_itemSize { 50, 50 };
    CGFloat m_interitemSpacing = 10;
    CGFloat m_lineSpacing = 10;
    UIEdgeInsets m_sectionInset;
    std::vector<std::vector<CGRect>> m_frames;
    CGSize m_contentSize {};
};
