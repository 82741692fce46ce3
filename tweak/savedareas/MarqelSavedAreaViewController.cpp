#include "tweak/savedareas/MarqelSavedAreaViewController.h"

#include "common/SavedAreaStore.h"
#include "kit/UIColor+ZRColours.h"
#include "kit/UIView+ZRLayout.h"
#include "platform/foundation/NSLog.h"
#include "platform/uikit/UIKit.h"
#include "tweak/savedareas/SavedAreaCell.h"

MARQEL_DEFINE_CLASS_LAZY(MarqelSavedAreaViewController,
    method<&MarqelSavedAreaViewController::layoutCollectionView>("layoutCollectionView"),
    method<&MarqelSavedAreaViewController::refreshData>("refreshData"),
    method<&MarqelSavedAreaViewController::dismissVC>("dismissVC"),
    method<&MarqelSavedAreaViewController::collectionView>("collectionView"),
    method<&MarqelSavedAreaViewController::messageLabel>("messageLabel"),
    method<&MarqelSavedAreaViewController::delegate>("delegate"),
    method<&MarqelSavedAreaViewController::setDelegate>("setDelegate:"))

namespace {

using SavedAreaFormat::SavedArea;

// The store dictionary and record list that every browser shares; each load
// replaces both.
struct SharedRecords {
    SavedAreaStore::Contents contents;
    std::vector<SavedArea> list;
};

SharedRecords& shared()
{
    static SharedRecords records;
    return records;
}

void loadShared()
{
    auto& records = shared();
    records.contents = SavedAreaStore::load();
    records.list = SavedAreaStore::list(*records.contents.dictionary);
}

// The record behind a row at this moment; null when the list has changed
// under a menu that was opened on a row now gone.
const SavedArea* recordAt(NSIndexPath indexPath)
{
    const auto& list = shared().list;
    if (indexPath.section != 0 || indexPath.item < 0 || indexPath.item >= static_cast<std::int64_t>(list.size()))
        return nullptr;
    return &list[static_cast<std::size_t>(indexPath.item)];
}

constexpr double pressDuration = 0.2;
constexpr double releaseDuration = 0.6;
constexpr CGFloat pressedScale = 0.97;
constexpr CGFloat pressedAlpha = 0.5;

}  // namespace

const std::vector<SavedArea>& MarqelSavedAreaViewController::savedAreas() { return shared().list; }

void MarqelSavedAreaViewController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    view()->setBackgroundColor(zr::primaryColour());
    if (auto navigation = navigationController())
        navigation->setPrefersLargeTitles(true);
    navigationItem()->setLeftBarButtonItem(
        UIBarButtonItem::itemWithTitle("Cancel", UIBarButtonItemStylePlain, retained(), sel_registerName("dismissVC")));
    setTitle("Saved Areas");
    layoutCollectionView();
}

void MarqelSavedAreaViewController::layoutCollectionView()
{
    loadShared();
    auto root = view();
    if (m_collectionView)
        m_collectionView->removeFromSuperview();
    if (m_messageLabel)
        m_messageLabel->removeFromSuperview();

    m_collectionView = alloc<UICollectionView>(root->bounds(), alloc<UICollectionViewFlowLayout>());
    m_collectionView->setBackgroundColor(UIColor::clearColor());
    m_collectionView->setTranslatesAutoresizingMaskIntoConstraints(false);
    m_collectionView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    m_collectionView->setShowsHorizontalScrollIndicator(false);
    m_collectionView->setShowsVerticalScrollIndicator(false);
    m_collectionView->registerClass<SavedAreaCell>(reuseIdentifier);
    root->addSubview(m_collectionView);
    zr::fill(*m_collectionView);
    auto self = retained<MarqelSavedAreaViewController>();
    m_collectionView->setDelegate(std::static_pointer_cast<UICollectionViewDelegate>(self));
    m_collectionView->setDataSource(std::static_pointer_cast<UICollectionViewDataSource>(self));

    auto font = UIFont::systemFontOfSize(22, UIFontWeightBold);
    // Starts two lines high; layout then gives it the height of its text at
    // the width its edges leave.
    m_messageLabel = alloc<UILabel>(CGRectMake(0, 0, 0, std::ceil(font->lineHeight() * 2)));
    m_messageLabel->setTextAlignment(NSTextAlignmentCenter);
    m_messageLabel->setText(emptyMessage);
    m_messageLabel->setNumberOfLines(2);
    m_messageLabel->setTextColor(UIColor::labelColor());
    m_messageLabel->setFont(font);
    m_messageLabel->setAlpha(shared().list.empty() ? 1 : 0);
    root->addSubview(m_messageLabel);
    zr::xy(*m_messageLabel, root->centerXAnchor(), root->centerYAnchor());
    zr::leading(*m_messageLabel, root->leadingAnchor(), 20);
    zr::trailing(*m_messageLabel, root->trailingAnchor(), -20);
}

void MarqelSavedAreaViewController::refreshData()
{
    loadShared();
    if (m_messageLabel)
        m_messageLabel->setAlpha(shared().list.empty() ? 1 : 0);
    if (m_collectionView)
        m_collectionView->reloadData();
}

void MarqelSavedAreaViewController::dismissVC() { dismissViewControllerAnimated(true, nullptr); }

std::int64_t MarqelSavedAreaViewController::numberOfItemsInSection(UICollectionView&, std::int64_t)
{
    return static_cast<std::int64_t>(shared().list.size());
}

std::shared_ptr<UICollectionViewCell> MarqelSavedAreaViewController::cellForItemAtIndexPath(UICollectionView& view,
    NSIndexPath indexPath)
{
    auto cell = objc_cast<SavedAreaCell>(view.dequeueReusableCellWithReuseIdentifier(reuseIdentifier, indexPath));
    const SavedArea* area = recordAt(indexPath);
    if (!cell || !area)
        return cell;
    cell->setBackgroundColor(UIColor::clearColor());
    // A name whose first character has no lettered square keeps an empty icon.
    std::string letter = SavedAreaFormat::iconLetter(area->name);
    cell->icon()->setImage(letter.empty() ? nullptr : UIImage::systemImageNamed(letter + ".square.fill"));
    cell->nameLabel()->setText(area->name);
    cell->frameLabel()->setText(SavedAreaFormat::frameText(*area));
    return cell;
}

void MarqelSavedAreaViewController::didSelectItemAtIndexPath(UICollectionView&, NSIndexPath indexPath)
{
    if (const SavedArea* area = recordAt(indexPath)) {
        if (auto target = delegate())
            msgSend<void>(target, "didSelectedSavedArea:", SavedAreaFormat::rectangle(*area));
    }
    dismissVC();
}

std::shared_ptr<UIContextMenuConfiguration> MarqelSavedAreaViewController::contextMenuConfigurationForItemAtIndexPath(
    UICollectionView&, NSIndexPath indexPath, CGPoint)
{
    // The menu's actions are kept by the menu on screen; they must not keep
    // the browser, nor it them.
    std::weak_ptr<MarqelSavedAreaViewController> weakSelf = retained<MarqelSavedAreaViewController>();
    return UIContextMenuConfiguration::configurationWithIdentifier("", [weakSelf, indexPath] {
        auto setDefault = UIAction::actionWithTitle("Set Area As Default", UIImage::systemImageNamed("square.grid.2x2.fill"),
            "", [weakSelf, indexPath](auto) {
                if (auto self = weakSelf.lock())
                    self->setAreaAsDefault(indexPath);
            });
        auto remove = UIAction::actionWithTitle("Delete Area", UIImage::systemImageNamed("trash.fill"), "",
            [weakSelf, indexPath](auto) {
                if (auto self = weakSelf.lock())
                    self->deleteArea(indexPath);
            });
        remove->setAttributes(UIMenuElementAttributesDestructive);
        return UIMenu::menuWithTitle("Area Action", { setDefault, remove });
    });
}

void MarqelSavedAreaViewController::setAreaAsDefault(NSIndexPath indexPath)
{
    const SavedArea* area = recordAt(indexPath);
    if (!area)
        return;
    // A hand-edited record the preferences refuse, or a failed write: the
    // system log says which; the user is told nothing.
    if (auto written = SavedAreaStore::setAsDefault(*area); !written)
        NSLog("marqel: could not make the area the default: %@", written.message());
}

void MarqelSavedAreaViewController::deleteArea(NSIndexPath indexPath)
{
    const SavedArea* area = recordAt(indexPath);
    if (!area)
        return;
    std::string key = area->key;
    auto& records = shared();
    records.contents = SavedAreaStore::load();
    (void)SavedAreaStore::remove(records.contents, key);  // failures are logged; the user is told nothing
    refreshData();
}

void MarqelSavedAreaViewController::didHighlightItemAtIndexPath(UICollectionView&, NSIndexPath indexPath)
{
    animateRow(indexPath, true);
}

void MarqelSavedAreaViewController::didUnhighlightItemAtIndexPath(UICollectionView&, NSIndexPath indexPath)
{
    animateRow(indexPath, false);
}

void MarqelSavedAreaViewController::animateRow(NSIndexPath indexPath, bool pressed)
{
    auto cell = m_collectionView ? m_collectionView->cellForItemAtIndexPath(indexPath) : nullptr;
    if (!cell)
        return;
    UIView::animateWithDuration(
        pressed ? pressDuration : releaseDuration, 0, UIViewAnimationOptionCurveEaseOut,
        [cell, pressed] {
            cell->setTransform(pressed ? CGAffineTransformMakeScale(pressedScale, pressedScale) : CGAffineTransformIdentity);
            cell->setAlpha(pressed ? pressedAlpha : 1.0);
        },
        nullptr);
}

std::optional<CGSize> MarqelSavedAreaViewController::sizeForItemAtIndexPath(UICollectionView&,
    UICollectionViewFlowLayout&, NSIndexPath)
{
    return CGSizeMake(view()->frame().size.width - 2 * sideInset, rowHeight);
}

std::optional<CGFloat> MarqelSavedAreaViewController::minimumInteritemSpacingForSectionAtIndex(UICollectionView&,
    UICollectionViewFlowLayout&, std::int64_t)
{
    return rowSpacing;
}

std::optional<CGFloat> MarqelSavedAreaViewController::minimumLineSpacingForSectionAtIndex(UICollectionView&,
    UICollectionViewFlowLayout&, std::int64_t)
{
    return rowSpacing;
}

std::optional<UIEdgeInsets> MarqelSavedAreaViewController::insetForSectionAtIndex(UICollectionView&,
    UICollectionViewFlowLayout&, std::int64_t)
{
    return UIEdgeInsetsMake(0, sideInset, 0, sideInset);
}
