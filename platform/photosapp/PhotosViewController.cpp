#include "platform/photosapp/PhotosViewController.h"

#include "platform/foundation/Foundation.h"
#include "platform/photos/PHFetchOptions.h"
#include "platform/photos/PHPhotoLibrary.h"
#include "platform/photosapp/DurationText.h"
#include "platform/photosapp/PhotosPlayerView.h"
#include "platform/photosapp/PhotosVideoCell.h"
#include "platform/uikit/UIKit.h"

#include <algorithm>
#include <cmath>

MARQEL_DEFINE_CLASS(PhotosViewController,
    method<&PhotosViewController::showLibrary>("showLibrary"),
    method<&PhotosViewController::showRecentlyDeleted>("showRecentlyDeleted"),
    method<&PhotosViewController::closePlayer>("closePlayer"),
    method<&PhotosViewController::videoCount>("videoCount"))

using foundation::Error;
using foundation::ErrorCode;
using photosapp::Tab;

namespace {
constexpr CGFloat titleInset = 16;
constexpr CGFloat statusBarHeight = 47;
constexpr CGFloat tabBarButtonsHeight = 49;
}  // namespace

void PhotosViewController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    auto root = view();
    root->setBackgroundColor(UIColor::systemBackgroundColor());

    m_collectionView = alloc<UICollectionView>(CGRectZero, alloc<UICollectionViewFlowLayout>());
    m_collectionView->setBackgroundColor(UIColor::clearColor());
    m_collectionView->setShowsVerticalScrollIndicator(false);
    m_collectionView->registerClass<PhotosVideoCell>(PhotosVideoCell::reuseIdentifier);
    auto self = retained<PhotosViewController>();
    m_thumbnails.setArrivalHandler([weak = std::weak_ptr<PhotosViewController>(self)] {
        if (auto controller = weak.lock())
            controller->m_collectionView->reloadData();
    });
    m_collectionView->setDataSource(std::static_pointer_cast<UICollectionViewDataSource>(self));
    m_collectionView->setDelegate(std::static_pointer_cast<UICollectionViewDelegate>(self));
    root->addSubview(m_collectionView);

    m_titleLabel = alloc<UILabel>(CGRectZero);
    m_titleLabel->setFont(UIFont::systemFontOfSize(28, UIFontWeightBold));
    m_titleLabel->setTextColor(UIColor::labelColor());
    root->addSubview(m_titleLabel);

    m_emptyLabel = alloc<UILabel>(CGRectZero);
    m_emptyLabel->setText(emptyText);
    m_emptyLabel->setFont(UIFont::systemFontOfSize(22, UIFontWeightBold));
    m_emptyLabel->setTextColor(UIColor::secondaryLabelColor());
    m_emptyLabel->setTextAlignment(NSTextAlignmentCenter);
    root->addSubview(m_emptyLabel);

    m_tabBar = alloc<UIView>(CGRectZero);
    m_tabBar->setBackgroundColor(UIColor::secondarySystemBackgroundColor());
    root->addSubview(m_tabBar);
    m_libraryButton = UIButton::buttonWithType(UIButtonTypeSystem);
    m_libraryButton->setTitle(libraryTitle, UIControlStateNormal);
    m_libraryButton->addTarget(self, "showLibrary", UIControlEventTouchUpInside);
    m_deletedButton = UIButton::buttonWithType(UIButtonTypeSystem);
    m_deletedButton->setTitle(recentlyDeletedTitle, UIControlStateNormal);
    m_deletedButton->addTarget(self, "showRecentlyDeleted", UIControlEventTouchUpInside);
    m_tabBar->addSubview(m_libraryButton);
    m_tabBar->addSubview(m_deletedButton);

    layoutViews();
    // The app's window may be resized after launch (on the phone, below the
    // status bar): every part keeps its place by the edges it hangs from.
    m_titleLabel->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleBottomMargin);
    m_collectionView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    m_emptyLabel->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleBottomMargin);
    m_tabBar->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleTopMargin);
    m_libraryButton->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleRightMargin);
    m_deletedButton->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleLeftMargin);
    fetch();
    updateChrome();
}

void PhotosViewController::layoutViews()
{
    CGRect b = view()->bounds();
    m_titleLabel->setFrame(CGRectMake(titleInset, statusBarHeight, b.size.width - 2 * titleInset, headerHeight - statusBarHeight));
    m_collectionView->setFrame(CGRectMake(0, headerHeight, b.size.width, std::max<CGFloat>(0, b.size.height - headerHeight - tabBarHeight)));
    m_emptyLabel->setFrame(CGRectMake(titleInset, CGRectGetMidY(b) - 20, b.size.width - 2 * titleInset, 40));
    m_tabBar->setFrame(CGRectMake(0, b.size.height - tabBarHeight, b.size.width, tabBarHeight));
    m_libraryButton->setFrame(CGRectMake(0, 0, b.size.width / 2, tabBarButtonsHeight));
    m_deletedButton->setFrame(CGRectMake(b.size.width / 2, 0, b.size.width / 2, tabBarButtonsHeight));
    if (m_player)
        m_player->setFrame(b);
}

CGFloat PhotosViewController::cellSide() const
{
    CGFloat width = m_collectionView ? m_collectionView->bounds().size.width : UIScreen::mainScreen()->bounds().size.width;
    return std::max<CGFloat>(1, std::floor((width - spacing * (columns - 1)) / columns));
}

std::shared_ptr<UIButton> PhotosViewController::tabButton(Tab tab) const
{
    return tab == Tab::Library ? m_libraryButton : m_deletedButton;
}

void PhotosViewController::fetch()
{
    auto options = alloc<PHFetchOptions>();
    options->setSortDescriptors({ NSSortDescriptor::sortDescriptorWithKey("creationDate", false) });
    options->setIncludeRecentlyDeleted(m_tab == Tab::RecentlyDeleted);
    auto result = PHAsset::fetchAssetsWithMediaType(PHAssetMediaTypeVideo, options);
    m_assets.clear();
    for (const auto& asset : result->assets())
        if (asset && asset->isTrashed() == (m_tab == Tab::RecentlyDeleted))
            m_assets.push_back(asset);
}

void PhotosViewController::reload()
{
    loadViewIfNeeded();
    fetch();
    updateChrome();
}

void PhotosViewController::showTab(Tab tab)
{
    loadViewIfNeeded();
    m_tab = tab;
    reload();
}

void PhotosViewController::updateChrome()
{
    m_titleLabel->setText(m_tab == Tab::Library ? libraryHeading : recentlyDeletedHeading);
    m_emptyLabel->setHidden(!m_assets.empty());
    for (Tab each : { Tab::Library, Tab::RecentlyDeleted })
        tabButton(each)->setTitleColor(m_tab == each ? UIColor::systemBlueColor() : UIColor::secondaryLabelColor(), UIControlStateNormal);
    m_collectionView->reloadData();
    m_collectionView->setNeedsLayout();
}

std::string PhotosViewController::hostPathOf(const PHAsset& asset) const
{
    auto store = PHPhotoLibrary::sharedPhotoLibrary()->store();
    if (!store)
        return "";
    auto path = store.value()->filePath(asset.record());
    return path ? path.value().string() : "";
}

std::int64_t PhotosViewController::numberOfItemsInSection(UICollectionView&, std::int64_t section)
{
    return section == 0 ? videoCount() : 0;
}

std::shared_ptr<UICollectionViewCell> PhotosViewController::cellForItemAtIndexPath(UICollectionView& collectionView, NSIndexPath indexPath)
{
    auto cell = std::dynamic_pointer_cast<PhotosVideoCell>(
        collectionView.dequeueReusableCellWithReuseIdentifier(PhotosVideoCell::reuseIdentifier, indexPath));
    if (!cell || indexPath.item < 0 || indexPath.item >= videoCount())
        return cell;
    const auto& asset = m_assets[static_cast<std::size_t>(indexPath.item)];
    const int side = static_cast<int>(std::lround(cellSide() * UIScreen::mainScreen()->scale()));
    std::string path = hostPathOf(*asset);
    auto picture = path.empty() ? nullptr : m_thumbnails.thumbnail(asset->localIdentifier(), path, side);
    cell->configure(picture, photosapp::durationText(asset->duration()));
    return cell;
}

void PhotosViewController::didSelectItemAtIndexPath(UICollectionView&, NSIndexPath indexPath)
{
    if (auto played = play(indexPath.item); !played)
        NSLog("Photos: %@", played.message());
}

std::optional<CGSize> PhotosViewController::sizeForItemAtIndexPath(UICollectionView&, UICollectionViewFlowLayout&, NSIndexPath)
{
    return CGSizeMake(cellSide(), cellSide());
}

std::optional<CGFloat> PhotosViewController::minimumInteritemSpacingForSectionAtIndex(UICollectionView&, UICollectionViewFlowLayout&, std::int64_t)
{
    return spacing;
}

std::optional<CGFloat> PhotosViewController::minimumLineSpacingForSectionAtIndex(UICollectionView&, UICollectionViewFlowLayout&, std::int64_t)
{
    return spacing;
}

foundation::Status PhotosViewController::play(std::int64_t index)
{
    loadViewIfNeeded();
    if (index < 0 || index >= videoCount()) {
        const std::string where = m_tab == Tab::Library ? "the library" : "Recently Deleted";
        return Error { ErrorCode::InvalidArgument,
            "there is no video " + std::to_string(index + 1) + " to play: " + where + " shows " + std::to_string(videoCount())
                + (videoCount() == 1 ? " video" : " videos") };
    }
    const auto& asset = m_assets[static_cast<std::size_t>(index)];
    std::string path = hostPathOf(*asset);
    if (path.empty())
        return Error { ErrorCode::NotFound, "the file of " + asset->localIdentifier() + " is not in the library" };
    auto player = alloc<PhotosPlayerView>(view()->bounds());
    player->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    if (auto opened = player->open(path); !opened)
        return Error { opened.code(), "cannot play " + asset->localIdentifier() + ": " + opened.message() };
    closePlayer();
    m_player = player;
    std::weak_ptr<PhotosViewController> weakSelf = retained<PhotosViewController>();
    m_player->setCloseHandler([weakSelf] {
        if (auto self = weakSelf.lock())
            self->closePlayer();
    });
    view()->addSubview(m_player);
    // In place before anyone looks, as after the phone's presentation.
    m_player->layoutIfNeeded();
    m_player->play();
    NSLog("Photos: playing %@", asset->localIdentifier());
    return {};
}

bool PhotosViewController::isPlaying() const { return m_player && m_player->isPlaying(); }

void PhotosViewController::closePlayer()
{
    if (!m_player)
        return;
    auto player = std::move(m_player);
    player->pause();
    player->removeFromSuperview();
}
