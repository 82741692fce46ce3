// The player: a tap on a video plays it over the grid at the movie's own
// rate on the run loop's clock, the scrubber follows and seeks, play/pause
// holds and resumes, the end stops on the last picture, and the close
// button brings the grid back.

#include "platform/foundation/Foundation.h"
#include "platform/photos/PHPhotoLibrary.h"
#include "platform/photosapp/PhotosPlayerView.h"
#include "platform/photosapp/PhotosVideoCell.h"
#include "platform/photosapp/PhotosViewController.h"
#include "platform/uikit/UIKit.h"
#include "tests/photosapp/PhotosLibrary.h"
#include "tests/support/Program.h"
#include "tests/support/TestDevice.h"
#include "tests/support/Touches.h"

#include <gtest/gtest.h>

using namespace photostest;

namespace {

void tapAt(CGPoint at)
{
    testsupport::touch(UITouchPhaseBegan, at);
    testsupport::touch(UITouchPhaseEnded, at);
    RunLoop::main().drain();
}

Colour pictureColour(const PhotosPlayerView& player) { return colourAt(centreOf(*player.pictureView())); }

// The screen point of the scrubber's track at `seconds` of `duration`.
CGPoint scrubberPoint(const UISlider& slider, double seconds, double duration)
{
    CGRect b = slider.bounds();
    CGFloat travel = b.size.width - UISlider::thumbSize;
    return slider.convertPointToScreen(CGPointMake(UISlider::thumbSize / 2 + travel * seconds / duration, CGRectGetMidY(b)));
}

struct Playing {
    TestDevice device;
    testsupport::TempDir scratch;
    PhotosScreen shown;
    std::shared_ptr<PhotosPlayerView> player;

    explicit Playing(const std::vector<Colour>& colours)
    {
        importColourMovie(scratch, colours, 100);
        shown = showPhotos();
        auto cell = shown.controller->collectionView()->cellForItemAtIndexPath({ 0, 0 });
        tapAt(centreOf(*cell));
        player = shown.controller->player();
    }
};

}  // namespace

TEST(PhotosPlayer, PlaysAtTheMoviesRateOnTheClock)
{
    Playing p({ red, green, blue });
    ASSERT_TRUE(p.player) << "a tap on the cell opened no player";
    EXPECT_TRUE(p.shown.controller->isPlaying());
    // The picture fills the screen's width, on black.
    CGRect picture = p.player->pictureView()->frame();
    EXPECT_NEAR(picture.size.width, UIScreen::mainScreen()->bounds().size.width, 0.5);
    EXPECT_NEAR(picture.size.height / picture.size.width, 48.0 / 64.0, 0.01);
    EXPECT_TRUE(near(colourAt(CGPointMake(20, 30)), { 0, 0, 0 }, 2));

    EXPECT_TRUE(near(pictureColour(*p.player), red)) << describe(pictureColour(*p.player));
    RunLoop::main().runFor(0.9);
    EXPECT_TRUE(near(pictureColour(*p.player), red)) << describe(pictureColour(*p.player));
    RunLoop::main().runFor(0.1);
    EXPECT_TRUE(near(pictureColour(*p.player), green)) << "at 1.0 s: " << describe(pictureColour(*p.player));
    RunLoop::main().runFor(1.0);
    EXPECT_TRUE(near(pictureColour(*p.player), blue)) << "at 2.0 s: " << describe(pictureColour(*p.player));
    EXPECT_TRUE(p.player->isPlaying());
    // The scrubber's thumb has followed: two thirds along.
    EXPECT_NEAR(p.player->scrubber()->value(), 2.0, 0.05);

    // The last picture has its full time before playback stops.
    RunLoop::main().runFor(0.99);
    EXPECT_TRUE(p.player->isPlaying());
    // The end: the last picture stays and playback stops.
    RunLoop::main().runFor(0.51);
    EXPECT_FALSE(p.player->isPlaying());
    EXPECT_FALSE(p.shown.controller->isPlaying());
    EXPECT_TRUE(near(pictureColour(*p.player), blue)) << describe(pictureColour(*p.player));
    EXPECT_DOUBLE_EQ(p.player->position(), 3.0);
    EXPECT_EQ(p.player->playButton()->currentImage()->symbolName(), PhotosPlayerView::playSymbol);

    // Play again starts from the beginning.
    tapAt(centreOf(*p.player->playButton()));
    EXPECT_TRUE(p.player->isPlaying());
    EXPECT_TRUE(near(pictureColour(*p.player), red)) << describe(pictureColour(*p.player));
}

TEST(PhotosPlayer, PauseHoldsThePictureAndPlayGoesOn)
{
    Playing p({ red, green, blue });
    ASSERT_TRUE(p.player);
    RunLoop::main().runFor(0.5);
    tapAt(centreOf(*p.player->playButton()));
    EXPECT_FALSE(p.player->isPlaying());
    EXPECT_EQ(p.player->playButton()->currentImage()->symbolName(), PhotosPlayerView::playSymbol);
    RunLoop::main().runFor(5);
    EXPECT_TRUE(near(pictureColour(*p.player), red));
    EXPECT_NEAR(p.player->position(), 0.5, 1e-6);
    tapAt(centreOf(*p.player->playButton()));
    EXPECT_TRUE(p.player->isPlaying());
    EXPECT_EQ(p.player->playButton()->currentImage()->symbolName(), PhotosPlayerView::pauseSymbol);
    RunLoop::main().runFor(0.5);
    EXPECT_TRUE(near(pictureColour(*p.player), green)) << describe(pictureColour(*p.player));
}

TEST(PhotosPlayer, DraggingTheScrubberSeeksBothWays)
{
    Playing p({ red, green, blue, yellow });
    ASSERT_TRUE(p.player);
    tapAt(centreOf(*p.player->playButton()));
    ASSERT_FALSE(p.player->isPlaying());
    const UISlider& slider = *p.player->scrubber();
    const double duration = p.player->duration();
    ASSERT_NEAR(duration, 4.0, 0.05);

    // Forward into the fourth second, then back into the second.
    testsupport::drag(centreOf(*slider.thumbView()), scrubberPoint(slider, 3.5, duration));
    RunLoop::main().drain();
    EXPECT_NEAR(p.player->position(), 3.5, 0.1);
    EXPECT_TRUE(near(pictureColour(*p.player), yellow)) << describe(pictureColour(*p.player));
    testsupport::drag(centreOf(*slider.thumbView()), scrubberPoint(slider, 1.5, duration));
    RunLoop::main().drain();
    EXPECT_NEAR(p.player->position(), 1.5, 0.1);
    EXPECT_TRUE(near(pictureColour(*p.player), green)) << describe(pictureColour(*p.player));
    EXPECT_FALSE(p.player->isPlaying());

    // A tap on the bare track, away from the thumb, moves nothing.
    tapAt(scrubberPoint(slider, 3.8, duration));
    EXPECT_NEAR(p.player->position(), 1.5, 0.1);
}

TEST(PhotosPlayer, ScrubbingWhilePlayingGoesOnFromThere)
{
    Playing p({ red, green, blue, yellow });
    ASSERT_TRUE(p.player);
    const UISlider& slider = *p.player->scrubber();
    testsupport::drag(centreOf(*slider.thumbView()), scrubberPoint(slider, 2.0, p.player->duration()));
    RunLoop::main().drain();
    EXPECT_TRUE(p.player->isPlaying());
    EXPECT_TRUE(near(pictureColour(*p.player), blue)) << describe(pictureColour(*p.player));
    RunLoop::main().runFor(1.0);
    EXPECT_TRUE(near(pictureColour(*p.player), yellow)) << describe(pictureColour(*p.player));
}

TEST(PhotosPlayer, CloseBringsTheGridBack)
{
    Playing p({ red, green });
    ASSERT_TRUE(p.player);
    RunLoop::main().runFor(1.2);
    tapAt(centreOf(*p.player->closeButton()));
    EXPECT_FALSE(p.shown.controller->player());
    EXPECT_FALSE(p.shown.controller->isPlaying());
    EXPECT_FALSE(p.player->superview());
    // The grid again, its cell showing the first picture.
    auto cell = p.shown.controller->collectionView()->cellForItemAtIndexPath({ 0, 0 });
    Colour seen = colourAt(centreOf(*cell));
    EXPECT_TRUE(near(seen, red)) << describe(seen);
    // Closed means stopped: time passing changes nothing.
    RunLoop::main().runFor(2);
    EXPECT_FALSE(p.player->isPlaying());
}

TEST(PhotosPlayer, AnIndexOutsideTheGridSaysWhatIsThere)
{
    TestDevice device;
    testsupport::TempDir scratch;
    importColourMovie(scratch, { red }, 100);
    auto shown = showPhotos();
    auto played = shown.controller->play(1);
    ASSERT_FALSE(played);
    EXPECT_EQ(played.message(), "there is no video 2 to play: the library shows 1 video");
    EXPECT_FALSE(shown.controller->play(-1));
    EXPECT_FALSE(shown.controller->player());
}

TEST(PhotosPlayer, ATurnedMovieIsShownUprightInTheGridAndThePlayer)
{
    TestDevice device;
    testsupport::TempDir scratch;
    // Red on the left, blue on the right, stored landscape with a display
    // matrix that turns it a quarter: ffmpeg's own player shows it 48x64,
    // blue above red.
    const std::string plain = scratch.path() + "/plain.mov";
    const std::string turned = scratch.path() + "/turned.mov";
    ASSERT_EQ(testsupport::runProgram({ "ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "color=c=red:size=32x48:rate=30:duration=1", "-f",
                                          "lavfi", "-i", "color=c=blue:size=32x48:rate=30:duration=1", "-filter_complex", "[0:v][1:v]hstack,format=yuv420p[v]", "-map",
                                          "[v]", "-c:v", "libx264", "-preset", "ultrafast", "-f", "mov", plain })
                  .exitCode,
        0);
    ASSERT_EQ(testsupport::runProgram({ "ffmpeg", "-v", "error", "-y", "-i", plain, "-c", "copy", "-metadata:s:v:0", "rotate=90", "-f", "mov", turned })
                  .exitCode,
        0);
    auto store = PHPhotoLibrary::sharedPhotoLibrary()->store().value();
    ASSERT_TRUE(store->importFile(turned, photos::MediaType::Video, { 64, 48, 1 }, 100));

    auto shown = showPhotos();
    auto cell = shown.controller->collectionView()->cellForItemAtIndexPath({ 0, 0 });
    ASSERT_TRUE(cell);
    CGRect b = cell->bounds();
    auto frame = screen();
    Colour top = colourAt(*frame, cell->convertPointToScreen(CGPointMake(b.size.width / 2, b.size.height * 0.2)));
    Colour bottom = colourAt(*frame, cell->convertPointToScreen(CGPointMake(b.size.width / 2, b.size.height * 0.8)));
    EXPECT_TRUE(near(top, blue)) << describe(top);
    EXPECT_TRUE(near(bottom, red)) << describe(bottom);

    ASSERT_TRUE(shown.controller->play(0));
    auto picture = shown.controller->player()->pictureView();
    EXPECT_NEAR(picture->bounds().size.height / picture->bounds().size.width, 64.0 / 48.0, 0.01);
    CGRect p = picture->bounds();
    top = colourAt(picture->convertPointToScreen(CGPointMake(p.size.width / 2, p.size.height * 0.2)));
    bottom = colourAt(picture->convertPointToScreen(CGPointMake(p.size.width / 2, p.size.height * 0.8)));
    EXPECT_TRUE(near(top, blue)) << describe(top);
    EXPECT_TRUE(near(bottom, red)) << describe(bottom);
}

TEST(PhotosPlayer, AMovieCutShortPlaysWhatItHasAndStops)
{
    TestDevice device;
    testsupport::TempDir scratch;
    // The index at the front, so the first pictures survive the cut.
    const std::string whole = scratch.path() + "/whole.mov";
    ASSERT_EQ(testsupport::runProgram({ "ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "color=c=red:size=64x48:rate=30:duration=1", "-f",
                                          "lavfi", "-i", "color=c=lime:size=64x48:rate=30:duration=2", "-filter_complex", "[0:v][1:v]concat=n=2:v=1:a=0,format=yuv420p[v]",
                                          "-map", "[v]", "-c:v", "libx264", "-preset", "ultrafast", "-g", "30", "-movflags", "+faststart", "-f", "mov", whole })
                  .exitCode,
        0);
    auto store = PHPhotoLibrary::sharedPhotoLibrary()->store().value();
    auto record = store->importFile(whole, photos::MediaType::Video, { 64, 48, 3 }, 100);
    ASSERT_TRUE(record);
    const auto file = store->filePath(record.value()).value();
    std::filesystem::resize_file(file, std::filesystem::file_size(file) * 2 / 3);

    auto shown = showPhotos();
    ASSERT_EQ(shown.controller->videoCount(), 1);
    auto played = shown.controller->play(0);
    ASSERT_TRUE(played) << played.message();
    auto player = shown.controller->player();
    EXPECT_TRUE(near(colourAt(centreOf(*player->pictureView())), red));
    RunLoop::main().runFor(4);
    EXPECT_FALSE(player->isPlaying());
    EXPECT_LT(player->position(), 2.5);  // where the pictures ran out, not the movie's stated end
    // The last picture that decoded stays on screen.
    Colour last = colourAt(centreOf(*player->pictureView()));
    EXPECT_TRUE(near(last, red) || near(last, green)) << describe(last);
}
