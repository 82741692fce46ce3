// The Photos app process: it boots as every app does, shows its grid in a
// key window covering the screen, opens on the newest video when asked,
// and the scenario steps drive it as a person would.

#include "platform/automation/ScenarioDriver.h"
#include "platform/foundation/Foundation.h"
#include "platform/photos/PHPhotoLibrary.h"
#include "platform/photosapp/PhotosAppHost.h"
#include "platform/photosapp/PhotosPlayerView.h"
#include "platform/photosapp/PhotosViewController.h"
#include "platform/uikit/UIKit.h"
#include "tests/photosapp/PhotosLibrary.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

using namespace photostest;

// One process, one Photos app: the whole session in one test.
TEST(PhotosApp, BootsOnItsGridAndOpensTheNewestVideo)
{
    TestDevice device;
    testsupport::TempDir scratch;
    auto& app = PhotosAppHost::shared();
    auto early = app.openNewestVideo();
    ASSERT_FALSE(early);
    EXPECT_EQ(early.message(), "the Photos app is not running, so it cannot open the newest video");

    importColourMovie(scratch, { red, red }, 100);
    importColourMovie(scratch, { green, blue }, 200);
    ASSERT_TRUE(app.boot());
    EXPECT_FALSE(app.boot());
    EXPECT_EQ(NSBundle::mainBundle()->bundleIdentifier(), "com.apple.mobileslideshow");
    ASSERT_TRUE(app.window());
    EXPECT_TRUE(app.window()->isKeyWindow());
    CGRect frame = app.window()->frame();
    CGRect screenBounds = UIScreen::mainScreen()->bounds();
    EXPECT_EQ(frame.origin.x, screenBounds.origin.x);
    EXPECT_EQ(frame.origin.y, screenBounds.origin.y);
    EXPECT_EQ(frame.size.width, screenBounds.size.width);
    EXPECT_EQ(frame.size.height, screenBounds.size.height);
    EXPECT_EQ(app.videoCount(), 2);

    ASSERT_TRUE(app.openNewestVideo());
    EXPECT_TRUE(app.isPlaying());
    auto player = app.viewController()->player();
    ASSERT_TRUE(player);
    EXPECT_TRUE(near(colourAt(centreOf(*player->pictureView())), green));
    RunLoop::main().runFor(1.0);
    EXPECT_TRUE(near(colourAt(centreOf(*player->pictureView())), blue));
    app.closePlayer();
    EXPECT_FALSE(app.isPlaying());

    // A video saved while the app runs shows up when it reads the library again.
    importColourMovie(scratch, { yellow }, 300);
    EXPECT_EQ(app.videoCount(), 2);
    app.reload();
    EXPECT_EQ(app.videoCount(), 3);
    RunLoop::main().drain();
    auto newest = app.viewController()->collectionView()->cellForItemAtIndexPath({ 0, 0 });
    ASSERT_TRUE(newest);
    EXPECT_TRUE(near(colourAt(centreOf(*newest)), yellow));
    ASSERT_TRUE(PHPhotoLibrary::sharedPhotoLibrary()->store().value()->trash({ app.viewController()->videos().front()->localIdentifier() }));

    app.showTab(photosapp::Tab::RecentlyDeleted);
    EXPECT_EQ(app.videoCount(), 1);
    app.showTab(photosapp::Tab::Library);
    EXPECT_EQ(app.videoCount(), 2);
    app.showTab(photosapp::Tab::RecentlyDeleted);
    auto none = app.openNewestVideo();
    ASSERT_TRUE(none) << none.message();  // back to the library, whose newest is there
    app.closePlayer();

    // The steps a scenario plays here.
    automation::ScenarioDriver driver;
    ASSERT_TRUE(driver.setBooter(automation::ScenarioDriver::photosAppBooter()));
    EXPECT_TRUE(driver.runStep("expect photos 2")) << driver.runStep("expect photos 2").message();
    auto wrongCount = driver.runStep("expect photos 3");
    ASSERT_FALSE(wrongCount);
    EXPECT_EQ(wrongCount.message(), "expected 3 videos in the grid, found 2 videos in the library");
    auto notPlaying = driver.runStep("expect playing");
    ASSERT_FALSE(notPlaying);
    EXPECT_EQ(notPlaying.message(), "expected a video playing, found the grid of the library, no player open");
    auto tooFar = driver.runStep("play 3");
    ASSERT_FALSE(tooFar);
    EXPECT_EQ(tooFar.message(), "expected a video 3 to play (1 is the newest), found 2 videos in the library");
    ASSERT_TRUE(driver.runStep("play 2"));
    EXPECT_TRUE(driver.runStep("expect playing"));
    EXPECT_TRUE(near(colourAt(centreOf(*app.viewController()->player()->pictureView())), red));
    ASSERT_TRUE(driver.runStep("wait 2.5"));
    auto ended = driver.runStep("expect playing");
    ASSERT_FALSE(ended);
    EXPECT_NE(ended.message().find("found the player paused at 2"), std::string::npos) << ended.message();
    ASSERT_TRUE(driver.runStep("tap-symbol xmark"));
    EXPECT_FALSE(app.viewController()->player());
}
