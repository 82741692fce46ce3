#pragma once

// The sizes a flow layout asks its collection view's delegate for. An
// answer left empty takes the layout's own value.

#include "platform/uikit/UICollectionViewDelegate.h"
#include "platform/uikit/UIEdgeInsets.h"

#include <optional>

class UICollectionViewDelegateFlowLayout : public UICollectionViewDelegate {
public:
    virtual std::optional<CGSize> sizeForItemAtIndexPath(UICollectionView&, UICollectionViewFlowLayout&, NSIndexPath)
    {
        return std::nullopt;
    }
    virtual std::optional<CGFloat> minimumInteritemSpacingForSectionAtIndex(UICollectionView&,
        UICollectionViewFlowLayout&, std::int64_t)
    {
        return std::nullopt;
    }
    virtual std::optional<CGFloat> minimumLineSpacingForSectionAtIndex(UICollectionView&, UICollectionViewFlowLayout&,
        std::int64_t)
    {
        return std::nullopt;
    }
    virtual std::optional<UIEdgeInsets> insetForSectionAtIndex(UICollectionView&, UICollectionViewFlowLayout&,
        std::int64_t)
    {
        return std::nullopt;
    }
};
