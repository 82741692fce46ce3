// The Photos grid as a person sees it: the library's videos, newest first,
// three squares to a row, each the movie's first picture with its length in
// the corner; Recently Deleted as the second tab; a movie that cannot be
// read is a placeholder, never a crash.

#include "platform/foundation/Foundation.h"
#include "platform/photos/PHPhotoLibrary.h"
#include "platform/photosapp/DurationText.h"
#include "platform/photosapp/PhotosVideoCell.h"
#include "platform/photosapp/PhotosViewController.h"
#include "platform/uikit/UIKit.h"
#include "tests/photosapp/PhotosLibrary.h"
#include "tests/support/TestDevice.h"
#include "tests/support/Touches.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

using namespace photostest;

namespace {

std::shared_ptr<PhotosVideoCell> cellAt(PhotosViewController& controller, std::int64_t item)
{
    return std::dynamic_pointer_cast<PhotosVideoCell>(controller.collectionView()->cellForItemAtIndexPath({ 0, item }));
}

void tapView(const UIView& view)
{
    CGPoint at = centreOf(view);
    testsupport::touch(UITouchPhaseBegan, at);
    testsupport::touch(UITouchPhaseEnded, at);
    RunLoop::main().drain();
}

}  // namespace

TEST(PhotosGrid, DurationsReadAsOnThePhone)
{
    EXPECT_EQ(photosapp::durationText(0), "0:00");
    EXPECT_EQ(photosapp::durationText(6.6), "0:07");
    EXPECT_EQ(photosapp::durationText(59.4), "0:59");
    EXPECT_EQ(photosapp::durationText(62), "1:02");
    EXPECT_EQ(photosapp::durationText(3599.6), "1:00:00");
    EXPECT_EQ(photosapp::durationText(3723), "1:02:03");
    EXPECT_EQ(photosapp::durationText(-4), "0:00");
    EXPECT_EQ(photosapp::durationText(std::nan("")), "0:00");
}

TEST(PhotosGrid, ShowsEachFirstFrameNewestFirstInThreeColumns)
{
    TestDevice device;
    testsupport::TempDir scratch;
    importColourMovie(scratch, { red, yellow }, 100);
    importColourMovie(scratch, { blue, red, red }, 300);
    importColourMovie(scratch, { green }, 200);
    importColourMovie(scratch, { yellow }, 50);
    auto shown = showPhotos();
    auto& controller = *shown.controller;
    ASSERT_EQ(controller.videoCount(), 4);

    auto frame = screen();
    const Colour expected[] = { blue, green, red, yellow };
    for (int i = 0; i < 4; ++i) {
        auto cell = cellAt(controller, i);
        ASSERT_TRUE(cell) << "cell " << i;
        Colour seen = colourAt(*frame, centreOf(*cell));
        EXPECT_TRUE(near(seen, expected[i])) << "cell " << i << " shows " << describe(seen) << ", expected " << describe(expected[i]);
    }
    // Squares, three to a row, the fourth starting the second row.
    const CGFloat side = controller.cellSide();
    CGPoint first = cellAt(controller, 0)->convertPointToScreen(CGPointZero);
    for (int i = 0; i < 4; ++i) {
        auto cell = cellAt(controller, i);
        CGPoint origin = cell->convertPointToScreen(CGPointZero);
        EXPECT_DOUBLE_EQ(cell->bounds().size.width, side);
        EXPECT_DOUBLE_EQ(cell->bounds().size.height, side);
        EXPECT_NEAR(origin.x, first.x + (i % 3) * (side + PhotosViewController::spacing), 0.01) << i;
        EXPECT_NEAR(origin.y, first.y + (i / 3) * (side + PhotosViewController::spacing), 0.01) << i;
    }
    EXPECT_GE(side * 3 + 2 * PhotosViewController::spacing, UIScreen::mainScreen()->bounds().size.width - 3);
}

TEST(PhotosGrid, EachCellWritesItsLengthInItsBottomRightCorner)
{
    TestDevice device;
    testsupport::TempDir scratch;
    importColourMovie(scratch, { blue, blue, blue }, 100);
    auto shown = showPhotos();
    auto cell = cellAt(*shown.controller, 0);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->durationLabel()->text(), "0:03");

    // White digits over the blue picture, in the corner and nowhere else.
    auto frame = screen();
    CGRect b = cell->bounds();
    CGPoint origin = cell->convertPointToScreen(CGPointZero);
    CGRect corner = CGRectMake(origin.x + b.size.width / 2, origin.y + b.size.height * 0.75, b.size.width / 2, b.size.height / 4);
    CGRect top = CGRectMake(origin.x, origin.y, b.size.width, b.size.height / 2);
    EXPECT_GT(countNear(*frame, corner, { 255, 255, 255 }), 20);
    EXPECT_EQ(countNear(*frame, top, { 255, 255, 255 }), 0);
}

TEST(PhotosGrid, AnEmptyLibrarySaysSoInTheMiddle)
{
    TestDevice device;
    auto shown = showPhotos();
    EXPECT_EQ(shown.controller->videoCount(), 0);
    auto label = shown.controller->emptyLabel();
    ASSERT_FALSE(label->isHidden());
    EXPECT_EQ(label->text(), "No Videos");
    CGPoint centre = centreOf(*label);
    CGSize screenSize = UIScreen::mainScreen()->bounds().size;
    EXPECT_NEAR(centre.x, screenSize.width / 2, 1);
    EXPECT_NEAR(centre.y, screenSize.height / 2, 1);
    // The words are drawn: grey text on the white screen.
    auto frame = screen();
    EXPECT_GT(countNear(*frame, CGRectMake(0, centre.y - 15, screenSize.width, 30), { 60, 60, 67 }, 90), 50);
}

TEST(PhotosGrid, ThumbnailsAreDecodedOnce)
{
    TestDevice device;
    testsupport::TempDir scratch;
    importColourMovie(scratch, { red }, 100);
    importColourMovie(scratch, { green }, 200);
    auto shown = showPhotos();
    const int decoded = shown.controller->thumbnails().decodeCount();
    EXPECT_EQ(decoded, 2);
    shown.controller->reload();
    RunLoop::main().drain();
    screen();
    EXPECT_EQ(shown.controller->thumbnails().decodeCount(), decoded);
}

TEST(PhotosGrid, TheGridShowsAtOnceAndEachPictureFillsInWhenDecoded)
{
    TestDevice device;
    testsupport::TempDir scratch;
    importColourMovie(scratch, { red }, 100);
    importColourMovie(scratch, { green }, 200);
    auto controller = alloc<PhotosViewController>();
    auto window = alloc<UIWindow>(UIScreen::mainScreen()->bounds());
    window->setRootViewController(controller);
    window->makeKeyAndVisible();
    // Drawn before the decoding queue has answered: placeholders, and the
    // pictures on their way.
    auto before = screen();
    auto cell = cellAt(*controller, 0);
    ASSERT_TRUE(cell);
    EXPECT_EQ(controller->thumbnails().pendingCount(), 2u);
    EXPECT_FALSE(near(colourAt(*before, centreOf(*cell)), green));

    RunLoop::main().drain();
    EXPECT_EQ(controller->thumbnails().pendingCount(), 0u);
    cell = cellAt(*controller, 0);
    ASSERT_TRUE(cell);
    EXPECT_TRUE(near(colourAt(*screen(), centreOf(*cell)), green));
}

TEST(PhotosGrid, RecentlyDeletedListsTheTrashedVideos)
{
    TestDevice device;
    testsupport::TempDir scratch;
    auto trashed = importColourMovie(scratch, { red }, 100);
    importColourMovie(scratch, { green }, 200);
    ASSERT_TRUE(PHPhotoLibrary::sharedPhotoLibrary()->store().value()->trash({ trashed }));
    auto shown = showPhotos();
    auto& controller = *shown.controller;
    ASSERT_EQ(controller.videoCount(), 1);
    EXPECT_TRUE(near(colourAt(centreOf(*cellAt(controller, 0))), green));

    // The second tab, as a finger chooses it.
    tapView(*controller.tabButton(photosapp::Tab::RecentlyDeleted));
    EXPECT_EQ(controller.tab(), photosapp::Tab::RecentlyDeleted);
    ASSERT_EQ(controller.videoCount(), 1);
    auto frame = screen();
    Colour seen = colourAt(*frame, centreOf(*cellAt(controller, 0)));
    EXPECT_TRUE(near(seen, red)) << describe(seen);
    EXPECT_EQ(controller.titleLabel()->text(), "Deleted Videos");
    // The chosen tab is the blue one.
    EXPECT_GT(countNear(
                  *frame, [&] {
                      auto button = controller.tabButton(photosapp::Tab::RecentlyDeleted);
                      CGPoint o = button->convertPointToScreen(CGPointZero);
                      return CGRectMake(o.x, o.y, button->bounds().size.width, button->bounds().size.height);
                  }(),
                  { 0, 122, 255 }, 60),
        20);

    tapView(*controller.tabButton(photosapp::Tab::Library));
    ASSERT_EQ(controller.videoCount(), 1);
    EXPECT_TRUE(near(colourAt(centreOf(*cellAt(controller, 0))), green));
}

TEST(PhotosGrid, AnUnreadableMovieIsAPlaceholderAndDoesNotPlay)
{
    TestDevice device;
    testsupport::TempDir scratch;
    auto broken = importColourMovie(scratch, { red }, 100);
    auto gone = importColourMovie(scratch, { blue }, 150);
    importColourMovie(scratch, { green }, 200);
    // Damaged after the import, as a disk or another program might leave it.
    std::ofstream(assetFile(broken), std::ios::trunc) << "not a movie any more";
    std::filesystem::remove(assetFile(gone));

    auto shown = showPhotos();
    auto& controller = *shown.controller;
    ASSERT_EQ(controller.videoCount(), 3);
    auto frame = screen();
    EXPECT_TRUE(near(colourAt(*frame, centreOf(*cellAt(controller, 0))), green));
    for (int i : { 1, 2 }) {
        auto cell = cellAt(controller, i);
        EXPECT_TRUE(cell->showsPlaceholder()) << i;
        Colour seen = colourAt(*frame, cell->convertPointToScreen(CGPointMake(4, 4)));
        EXPECT_TRUE(near(seen, { 209, 209, 209 }, 10)) << i << ": " << describe(seen);
    }

    auto played = controller.play(2);
    ASSERT_FALSE(played);
    EXPECT_NE(played.message().find("cannot play " + broken), std::string::npos) << played.message();
    EXPECT_FALSE(controller.player());
    EXPECT_FALSE(controller.isPlaying());
    // A tap on it leaves the grid as it was.
    tapView(*cellAt(controller, 2));
    EXPECT_FALSE(controller.player());
}
