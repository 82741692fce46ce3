#pragma once

// What a collection view tells its delegate about touches on its items, and
// asks it for a row's context menu. Every method has an empty default. The
// collection view holds its delegate without owning it.

#include "platform/foundation/CGGeometry.h"
#include "platform/uikit/Forward.h"
#include "platform/uikit/NSIndexPath.h"

class UICollectionViewDelegate {
public:
    virtual ~UICollectionViewDelegate() = default;

    virtual void didHighlightItemAtIndexPath(UICollectionView&, NSIndexPath) { }
    virtual void didUnhighlightItemAtIndexPath(UICollectionView&, NSIndexPath) { }
    virtual void didSelectItemAtIndexPath(UICollectionView&, NSIndexPath) { }
    // Null: the item has no menu and a long press does nothing.
    virtual std::shared_ptr<UIContextMenuConfiguration> contextMenuConfigurationForItemAtIndexPath(UICollectionView&,
        NSIndexPath, CGPoint)
    {
        return nullptr;
    }
};
