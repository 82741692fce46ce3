#pragma once

// The Photos app's one screen: the library's videos in a grid of squares,
// newest first, three to a row, with a tab bar at the bottom for the
// library and Recently Deleted; a tap on a video opens the player over the
// grid. The grid is read from the photo library whenever a tab is shown.

#include "platform/foundation/Result.h"
#include "platform/photos/Forward.h"
#include "platform/photosapp/Forward.h"
#include "platform/photosapp/ThumbnailCache.h"
#include "platform/uikit/UICollectionViewDataSource.h"
#include "platform/uikit/UICollectionViewDelegateFlowLayout.h"
#include "platform/uikit/UIViewController.h"

#include <vector>

namespace photosapp {
enum class Tab {
    Library,
    RecentlyDeleted,
};
}  // namespace photosapp

class PhotosViewController : public UIViewController,
                             public UICollectionViewDataSource,
                             public UICollectionViewDelegateFlowLayout {
    MARQEL_OBJECT(PhotosViewController, UIViewController)
public:
    static constexpr int columns = 3;
    static constexpr CGFloat spacing = 2;
    static constexpr CGFloat headerHeight = 96;  // the status bar and the title
    static constexpr CGFloat tabBarHeight = 83;  // the bar and the home indicator
    static constexpr const char* libraryTitle = "Library";
    static constexpr const char* recentlyDeletedTitle = "Recently Deleted";
    static constexpr const char* emptyText = "No Videos";
    // Above the grid; not the tabs' titles, so a title names one thing on screen.
    static constexpr const char* libraryHeading = "Videos";
    static constexpr const char* recentlyDeletedHeading = "Deleted Videos";

    void viewDidLoad() override;

    // Reads the library again and shows the tab's videos.
    void showTab(photosapp::Tab tab);
    photosapp::Tab tab() const { return m_tab; }
    void reload();

    std::int64_t videoCount() const { return static_cast<std::int64_t>(m_assets.size()); }
    const std::vector<std::shared_ptr<PHAsset>>& videos() const { return m_assets; }
    // Opens the player on the grid's video at `index` (0 is the newest) and
    // starts it; an index outside the grid, or a movie that cannot be read,
    // is an error saying so, and the grid stays.
    [[nodiscard]] foundation::Status play(std::int64_t index);
    bool isPlaying() const;
    void closePlayer();
    // Light over the player's black, as the status bar is over a movie.
    UIStatusBarStyle preferredStatusBarStyle() const override
    {
        return m_player ? UIStatusBarStyleLightContent : UIStatusBarStyleDefault;
    }
    const std::shared_ptr<PhotosPlayerView>& player() const { return m_player; }

    std::shared_ptr<UICollectionView> collectionView() const { return m_collectionView; }
    std::shared_ptr<UILabel> emptyLabel() const { return m_emptyLabel; }
    std::shared_ptr<UILabel> titleLabel() const { return m_titleLabel; }
    std::shared_ptr<UIButton> tabButton(photosapp::Tab tab) const;
    const photosapp::ThumbnailCache& thumbnails() const { return m_thumbnails; }
    CGFloat cellSide() const;

    // Tab bar actions.
    void showLibrary() { showTab(photosapp::Tab::Library); }
    void showRecentlyDeleted() { showTab(photosapp::Tab::RecentlyDeleted); }

    std::int64_t numberOfItemsInSection(UICollectionView&, std::int64_t section) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAtIndexPath(UICollectionView&, NSIndexPath indexPath) override;
    void didSelectItemAtIndexPath(UICollectionView&, NSIndexPath indexPath) override;
    std::optional<CGSize> sizeForItemAtIndexPath(UICollectionView&, UICollectionViewFlowLayout&, NSIndexPath) override;
    std::optional<CGFloat> minimumInteritemSpacingForSectionAtIndex(UICollectionView&, UICollectionViewFlowLayout&,
        std::int64_t) override;
    std::optional<CGFloat> minimumLineSpacingForSectionAtIndex(UICollectionView&, UICollectionViewFlowLayout&,
        std::int64_t) override;

private:
    void fetch();
    void updateChrome();
    void layoutViews();
    std::string hostPathOf(const PHAsset& asset) const;

    photosapp::Tab m_tab = photosapp::Tab::Library;
    std::vector<std::shared_ptr<PHAsset>> m_assets;
    photosapp::ThumbnailCache m_thumbnails;
    std::shared_ptr<UICollectionView> m_collectionView;
    std::shared_ptr<UILabel> m_titleLabel;
    std::shared_ptr<UILabel> m_emptyLabel;
    std::shared_ptr<UIView> m_tabBar;
    std::shared_ptr<UIButton> m_libraryButton;
    std::shared_ptr<UIButton> m_deletedButton;
    std::shared_ptr<PhotosPlayerView> m_player;
};
