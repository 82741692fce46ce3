#pragma once

// What a collection view asks for its items. The collection view holds its
// data source without owning it.

#include "platform/uikit/Forward.h"
#include "platform/uikit/NSIndexPath.h"

class UICollectionViewDataSource {
public:
    virtual ~UICollectionViewDataSource() = default;

    virtual std::int64_t numberOfSectionsInCollectionView(UICollectionView&) { return 1; }
    virtual std::int64_t numberOfItemsInSection(UICollectionView&, std::int64_t section) = 0;
    // Usually a cell from dequeueReusableCellWithReuseIdentifier, filled in.
    virtual std::shared_ptr<UICollectionViewCell> cellForItemAtIndexPath(UICollectionView&, NSIndexPath indexPath) = 0;
};
