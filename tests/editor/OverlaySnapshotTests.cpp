#include "platform/foundation/Foundation.h"
#include "platform/render/Compositor.h"
#include "platform/springboard/HomeScreen.h"
#include "platform/uikit/UIKit.h"
#include "tests/render/PictureAuditCheck.h"
#include "tests/render/ReferenceImage.h"
#include "tests/support/TestDevice.h"
#include "tweak/core/MarqelWindow.h"
#include "tweak/editor/MarqelViewController.h"

#include <gtest/gtest.h>

namespace {

// The overlay over the home screen, as the user sees it, compared with
// reference pictures (MARQEL_UPDATE_REFERENCES=1 rewrites them).
class OverlaySnapshot : public ::testing::Test {
protected:
    void SetUp() override
    {
        HomeScreen::shared().setWallpaper(HomeScreen::Wallpaper::Gradient);
        HomeScreen::shared().show();
        window = alloc<MarqelWindow>()->init();
        window->showWithAnimation(true);
        RunLoop::main().runFor(0.3);
        render::Compositor::shared().invalidate();
    }
    const render::Surface& screen() { return render::Compositor::shared().renderSurface(); }
    void touch(UITouchPhase phase, CGPoint p) { UIApplication::sharedApplication()->sendTouch(phase, p); }

    TestDevice device;
    std::shared_ptr<MarqelWindow> window;
};

TEST_F(OverlaySnapshot, JustOpened)
{
    EXPECT_TRUE(reference::matches(screen(), "overlay-open", 3, 0.002));
    EXPECT_TRUE(audit::readsWell("overlay-open"));
}

TEST_F(OverlaySnapshot, DuringADragTheReadOutShowsAndTheBarsAreGone)
{
    touch(UITouchPhaseBegan, { 195, 422 });
    touch(UITouchPhaseMoved, { 175, 402 });
    RunLoop::main().runFor(0.2);
    EXPECT_TRUE(reference::matches(screen(), "overlay-drag", 3, 0.002));
    EXPECT_TRUE(audit::readsWell("overlay-drag"));
    touch(UITouchPhaseEnded, { 175, 402 });
}

TEST_F(OverlaySnapshot, Expanded)
{
    window->marqelVC()->expandPressed();
    RunLoop::main().runFor(0.3);
    EXPECT_TRUE(reference::matches(screen(), "overlay-expanded", 3, 0.002));
    // The box fills the screen, and its twelve handle bars straddle its
    // outline, 2.5 points out and 2.5 in: the outer half of each is past the
    // screen's edge. That is how the bars are made; everything else reads.
    auto findings = render::PictureAudit::auditScreen();
    EXPECT_EQ(findings.size(), 12u) << render::PictureAudit::report("overlay-expanded.png", findings);
    for (const auto& finding : findings) {
        EXPECT_EQ(finding.problem, render::PictureAudit::Problem::OffScreen) << finding.description();
        bool bar = finding.detail.find("5 × 25 points") != std::string::npos || finding.detail.find("25 × 5 points") != std::string::npos;
        EXPECT_TRUE(bar) << finding.description();
    }
}

}  // namespace
