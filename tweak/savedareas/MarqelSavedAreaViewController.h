#pragma once

#include "common/SavedAreaFormat.h"
#include "platform/uikit/UICollectionViewDataSource.h"
#include "platform/uikit/UICollectionViewDelegateFlowLayout.h"
#include "platform/uikit/UIViewController.h"

#include <vector>

// The full-screen list of saved areas, opened from the editor's saved-areas
// button inside a navigation controller. A tap on a row hands its rectangle
// to the delegate (the editor, by "didSelectedSavedArea:") and closes the
// list; a long press opens a menu that makes the area the default or
// deletes it. The records are read from the file whenever the list is built
// and after each delete, into a list that every browser shares.
class MarqelSavedAreaViewController : public UIViewController,
                                      public UICollectionViewDataSource,
                                      public UICollectionViewDelegateFlowLayout {
    MARQEL_OBJECT(MarqelSavedAreaViewController, UIViewController)
public:
    static constexpr const char* reuseIdentifier = "Cell";
    static constexpr const char* emptyMessage = "You don't have any saved area...";
    static constexpr CGFloat rowHeight = 60;
    static constexpr CGFloat sideInset = 10;
    static constexpr CGFloat rowSpacing = 10;

    void viewDidLoad() override;
    void layoutCollectionView();
    void refreshData();
    void dismissVC();

    // The records every browser lists, as the last load left them.
    static const std::vector<SavedAreaFormat::SavedArea>& savedAreas();

    std::shared_ptr<UICollectionView> collectionView() const { return m_collectionView; }
    std::shared_ptr<UILabel> messageLabel() const { return m_messageLabel; }
    // Not owned: the browser never keeps the editor alive.
    id delegate() const { return m_delegate.lock(); }
    void setDelegate(const id& delegate) { m_delegate = delegate; }

    std::int64_t numberOfItemsInSection(UICollectionView&, std::int64_t section) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAtIndexPath(UICollectionView&, NSIndexPath indexPath) override;
    void didSelectItemAtIndexPath(UICollectionView&, NSIndexPath indexPath) override;
    std::shared_ptr<UIContextMenuConfiguration> contextMenuConfigurationForItemAtIndexPath(UICollectionView&,
        NSIndexPath indexPath, CGPoint point) override;
    void didHighlightItemAtIndexPath(UICollectionView&, NSIndexPath indexPath) override;
    void didUnhighlightItemAtIndexPath(UICollectionView&, NSIndexPath indexPath) override;
    std::optional<CGSize> sizeForItemAtIndexPath(UICollectionView&, UICollectionViewFlowLayout&, NSIndexPath) override;
    std::optional<CGFloat> minimumInteritemSpacingForSectionAtIndex(UICollectionView&, UICollectionViewFlowLayout&,
        std::int64_t) override;
    std::optional<CGFloat> minimumLineSpacingForSectionAtIndex(UICollectionView&, UICollectionViewFlowLayout&,
        std::int64_t) override;
    std::optional<UIEdgeInsets> insetForSectionAtIndex(UICollectionView&, UICollectionViewFlowLayout&,
        std::int64_t) override;

private:
    void setAreaAsDefault(NSIndexPath indexPath);
    void deleteArea(NSIndexPath indexPath);
    void animateRow(NSIndexPath indexPath, bool pressed);

    std::shared_ptr<UICollectionView> m_collectionView;
    std::shared_ptr<UILabel> m_messageLabel;
    std::weak_ptr<Object> m_delegate;
};
