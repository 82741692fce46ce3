// The overlay's crop box and the settings bundle's twin, side by side in one
// process: built from the same preferences they must look alike bar for bar,
// and the same finger must move them alike. They differ only where they are
// meant to: when the read-out appears at a touch's begin, and that only the
// overlay's box offers its outline refit to its controller.

#include "common/MarqelPreferences.h"
#include "platform/foundation/Foundation.h"
#include "platform/uikit/UIKit.h"
#include "prefs/DefaultResizableBox.h"
#include "tests/support/TestDevice.h"
#include "tests/support/Touches.h"
#include "tweak/editor/ResizableBox.h"

#include <gtest/gtest.h>

namespace {

// Stands in for either editor: notes each message with what the read-out
// showed at that moment.
class TwinRecorder : public Object {
    MARQEL_OBJECT(TwinRecorder, Object)
public:
    void note(const char* message)
    {
        auto label = box.lock()->rectLabel();
        events.push_back(message + std::string(label->alpha() == 1 ? " shown " : " hidden ") + label->text());
    }
    void beginResizeArea() { note("begin"); }
    void resizeAreaFrameChanged() { note("changed"); }
    void didFinishedResizeArea() { note("finished"); }

    std::weak_ptr<CropBoxView> box;
    std::vector<std::string> events;
};

}  // namespace

MARQEL_DEFINE_CLASS(TwinRecorder,
    method<&TwinRecorder::beginResizeArea>("beginResizeArea"),
    method<&TwinRecorder::resizeAreaFrameChanged>("resizeAreaFrameChanged"),
    method<&TwinRecorder::didFinishedResizeArea>("didFinishedResizeArea"))

namespace {
namespace P = MarqelPreferences;

class TwinBoxes : public ::testing::Test {
protected:
    void SetUp() override
    {
        UIApplication::sharedApplication()->reset();
        ASSERT_TRUE(UIScreen::mainScreen()->setSize({ 390, 844 }));
        window = alloc<UIWindow>(UIScreen::mainScreen()->bounds());
        window->setRootViewController(alloc<UIViewController>());
        window->makeKeyAndVisible();
        RunLoop::main().drain();
    }
    void TearDown() override
    {
        UIApplication::sharedApplication()->reset();
        UIScreen::mainScreen()->resetToDefault();
    }

    // One box alone on the screen, as its editor places it.
    template <class Box>
    std::shared_ptr<Box> place(CGRect frame, const std::shared_ptr<TwinRecorder>& recorder)
    {
        for (const auto& view : window->rootViewController()->view()->subviews())
            view->removeFromSuperview();
        auto box = alloc<Box>()->initWithFrame(frame);
        recorder->box = box;
        box->setDelegate(recorder);
        window->rootViewController()->view()->addSubview(box);
        UIApplication::sharedApplication()->layoutWindows();
        return box;
    }

    static void touch(UITouchPhase phase, CGPoint point) { testsupport::touch(phase, point); }
    static void drag(CGPoint from, CGPoint to) { testsupport::drag(from, to); }

    static void expectAlike(const CropBoxView& overlay, const CropBoxView& settings)
    {
        EXPECT_EQ(overlay.frame(), settings.frame());
        EXPECT_TRUE(UIColorEqual(overlay.handlerColour(), settings.handlerColour()));
        EXPECT_TRUE(UIColorEqual(overlay.borderColour(), settings.borderColour()));
        const auto& a = *overlay.dashBorder();
        const auto& b = *settings.dashBorder();
        EXPECT_EQ(a.frame(), b.frame());
        EXPECT_TRUE(CGPathEqualToPath(a.path(), b.path()));
        EXPECT_TRUE(CGColorEqualToColor(a.strokeColor(), b.strokeColor()));
        EXPECT_EQ(a.lineWidth(), b.lineWidth());
        EXPECT_EQ(a.lineDashPattern(), b.lineDashPattern());
        ASSERT_EQ(overlay.handles().size(), 12u);
        ASSERT_EQ(settings.handles().size(), 12u);
        for (std::size_t i = 0; i < 12; ++i) {
            const auto& bar = *overlay.handles()[i];
            const auto& twin = *settings.handles()[i];
            EXPECT_EQ(bar.frame(), twin.frame()) << "bar " << i;
            EXPECT_TRUE(UIColorEqual(bar.backgroundColor(), twin.backgroundColor())) << "bar " << i;
            EXPECT_EQ(bar.layer()->cornerRadius(), twin.layer()->cornerRadius()) << "bar " << i;
        }
        const auto& label = *overlay.rectLabel();
        const auto& twinLabel = *settings.rectLabel();
        EXPECT_EQ(label.frame(), twinLabel.frame());
        EXPECT_EQ(label.text(), twinLabel.text());
        EXPECT_EQ(label.alpha(), twinLabel.alpha());
        EXPECT_TRUE(label.font()->isEqual(twinLabel.font()));
        EXPECT_TRUE(UIColorEqual(label.textColor(), twinLabel.textColor()));
        EXPECT_TRUE(UIColorEqual(label.backgroundColor(), twinLabel.backgroundColor()));
        EXPECT_EQ(overlay.subviews().size(), settings.subviews().size()) << "twelve bars and the read-out";
    }

    TestDevice device;
    std::shared_ptr<UIWindow> window;
};

TEST_F(TwinBoxes, BuiltFromTheSamePreferencesTheyLookAlike)
{
    ASSERT_TRUE(P::manager()->writeValue(PlistValue("FF9500"), P::areaHandlerColour.name, P::domain));
    ASSERT_TRUE(P::manager()->writeValue(PlistValue("00FF00"), P::areaBorderColour.name, P::domain));
    ASSERT_TRUE(P::write(P::toggleDashLine, true));
    for (CGRect frame : { CGRectMake(70, 297, 250, 250), CGRectMake(10, 20, 150, 320.5) }) {
        auto recorder = alloc<TwinRecorder>();
        auto overlay = place<ResizableBox>(frame, recorder);
        auto settings = place<DefaultResizableBox>(frame, recorder);
        EXPECT_TRUE(UIColorEqual(overlay->handlerColour(), UIColor::colorWithRed(1, 149 / 255.0, 0, 1)));
        EXPECT_EQ(overlay->dashBorder()->lineDashPattern(), (std::vector<int> { 6, 8 }));
        expectAlike(*overlay, *settings);
    }
}

TEST_F(TwinBoxes, TheSameFingerMovesThemAlikeAndOnlyTheReadOutsMomentDiffers)
{
    struct Drag {
        CGPoint from, to;
    };
    // A move, a corner resize down to the minimum, an edge past the screen.
    const Drag drags[] = { { { 195, 422 }, { 215, 402 } }, { { 110, 327 }, { 330, 600 } }, { { 300, 422 }, { 500, 422 } } };
    auto overlayRecorder = alloc<TwinRecorder>();
    auto settingsRecorder = alloc<TwinRecorder>();
    for (const auto& [from, to] : drags) {
        auto overlay = place<ResizableBox>(CGRectMake(70, 297, 250, 250), overlayRecorder);
        drag(from, to);
        UIApplication::sharedApplication()->layoutWindows();
        auto settings = place<DefaultResizableBox>(CGRectMake(70, 297, 250, 250), settingsRecorder);
        drag(from, to);
        UIApplication::sharedApplication()->layoutWindows();
        EXPECT_EQ(overlay->touchedRegion(), settings->touchedRegion());
        expectAlike(*overlay, *settings);
    }
    ASSERT_EQ(overlayRecorder->events.size(), settingsRecorder->events.size());
    for (std::size_t i = 0; i < overlayRecorder->events.size(); ++i) {
        const std::string& heard = overlayRecorder->events[i];
        const std::string& twin = settingsRecorder->events[i];
        if (heard.starts_with("begin")) {
            // The overlay's controller hears of the touch first; the
            // settings box has shown its read-out by then.
            EXPECT_TRUE(heard.starts_with("begin hidden")) << heard;
            EXPECT_TRUE(twin.starts_with("begin shown W:")) << twin;
        } else {
            EXPECT_EQ(heard, twin);
        }
    }
    EXPECT_EQ(overlayRecorder->events.back(), "finished hidden W:320 H:250");
}

TEST_F(TwinBoxes, OnlyTheOverlaysBoxRefitsItsOutlineWhenItsControllerAsks)
{
    auto recorder = alloc<TwinRecorder>();
    auto overlay = place<ResizableBox>(CGRectMake(70, 297, 250, 250), recorder);
    overlay->setFrame(CGRectMake(0, 0, 390, 844));
    msgSend<void>(overlay, "updateDashFrame");
    EXPECT_EQ(overlay->dashBorder()->frame(), CGRectMake(0, 0, 390, 844));
    auto settings = place<DefaultResizableBox>(CGRectMake(70, 297, 250, 250), recorder);
    EXPECT_FALSE(settings->respondsToSelector("updateDashFrame")) << "nothing resizes the settings box from outside";
}

}  // namespace
