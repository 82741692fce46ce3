#include "common/MarqelPreferences.h"
#include "tests/prefs/EditorFixture.h"

namespace {

// Stands in for the editor: notes each message with what the read-out
// showed at that moment.
class AreaRecorder : public Object {
    MARQEL_OBJECT(AreaRecorder, Object)
public:
    void note(const char* message)
    {
        auto label = box.lock()->rectLabel();
        events.push_back({ message, label->alpha(), label->text() });
    }
    void beginResizeArea() { note("begin"); }
    void resizeAreaFrameChanged() { note("changed"); }
    void didFinishedResizeArea() { note("finished"); }

    struct Event {
        std::string message;
        CGFloat labelAlpha;
        std::string labelText;
    };
    std::weak_ptr<DefaultResizableBox> box;
    std::vector<Event> events;
};

}  // namespace

MARQEL_DEFINE_CLASS(AreaRecorder,
    method<&AreaRecorder::beginResizeArea>("beginResizeArea"),
    method<&AreaRecorder::resizeAreaFrameChanged>("resizeAreaFrameChanged"),
    method<&AreaRecorder::didFinishedResizeArea>("didFinishedResizeArea"))

namespace {
namespace P = MarqelPreferences;

class DefaultBox : public EditorFixture {
protected:
    std::shared_ptr<DefaultResizableBox> place(CGRect frame)
    {
        auto box = alloc<DefaultResizableBox>()->initWithFrame(frame);
        recorder->box = box;
        box->setDelegate(recorder);
        settings->view()->addSubview(box);
        UIApplication::sharedApplication()->layoutWindows();
        return box;
    }

    std::shared_ptr<AreaRecorder> recorder = alloc<AreaRecorder>();
};

TEST_F(DefaultBox, TheReadOutIsShownAndFilledBeforeTheControllerHearsOfTheTouch)
{
    auto box = place(CGRectMake(50, 100, 250, 250));
    EXPECT_EQ(box->rectLabel()->alpha(), 0);
    EXPECT_EQ(box->rectLabel()->text(), "") << "empty until the first touch";
    drag({ 175, 225 }, { 185, 235 });
    ASSERT_EQ(recorder->events.size(), 4u);
    EXPECT_EQ(recorder->events[0].message, "begin");
    EXPECT_EQ(recorder->events[0].labelAlpha, 1);
    EXPECT_EQ(recorder->events[0].labelText, "W:250 H:250");
    EXPECT_EQ(recorder->events[1].message, "changed");
    EXPECT_EQ(recorder->events[2].message, "changed");
    EXPECT_EQ(recorder->events[3].message, "finished");
    EXPECT_EQ(recorder->events[3].labelAlpha, 0);
    EXPECT_EQ(box->frame(), CGRectMake(60, 110, 250, 250));
}

TEST_F(DefaultBox, TheFirstTouchChoosesTheRegion)
{
    auto box = place(CGRectMake(50, 100, 250, 250));
    using enum BoxGeometry::Region;
    struct Case {
        CGPoint inBox;
        BoxGeometry::Region region;
    };
    for (auto [inBox, region] : { Case { { 30, 30 }, TopLeft }, Case { { 125, 30 }, Top }, Case { { 125, 125 }, Move }, Case { { 60, 30 }, Move },
             Case { { 230, 125 }, Right }, Case { { 30, 230 }, BottomLeft } }) {
        CGPoint screen = CGPointMake(50 + inBox.x, 100 + inBox.y);
        touch(UITouchPhaseBegan, screen);
        EXPECT_EQ(box->touchedRegion(), region) << inBox.x << "," << inBox.y;
        touch(UITouchPhaseEnded, screen);
    }
}

TEST_F(DefaultBox, ResizesFollowTheFingerAndStopAtTheParentsSides)
{
    auto box = place(CGRectMake(100, 100, 200, 200));
    // The top-left corner dragged far past the screen's corner.
    drag({ 110, 110 }, { -200, -200 });
    EXPECT_EQ(box->frame(), CGRectMake(0, 0, 300, 300));
    EXPECT_EQ(box->dashBorder()->frame(), CGRectMake(0, 0, 300, 300)) << "the outline follows the box";
    // Moved past the right side: flush with it, same size.
    drag({ 150, 150 }, { 600, 150 });
    EXPECT_EQ(box->frame(), CGRectMake(75, 0, 300, 300));
}

TEST_F(DefaultBox, ColoursAndLineStyleComeFromThePreferencesAtConstruction)
{
    auto plain = place(CGRectMake(50, 100, 250, 250));
    EXPECT_TRUE(plain->dashBorder()->lineDashPattern().empty());
    EXPECT_TRUE(UIColorEqual(plain->handlerColour(), UIColor::whiteColor()));
    EXPECT_EQ(plain->handles().size(), 12u);

    ASSERT_TRUE(P::manager()->writeValue(PlistValue("FF0000"), "areaHandlerColour", P::domain));
    ASSERT_TRUE(P::manager()->writeValue(PlistValue("00FF00"), "areaBorderColour", P::domain));
    ASSERT_TRUE(P::write(P::toggleDashLine, true));
    auto styled = place(CGRectMake(50, 100, 250, 250));
    EXPECT_EQ(styled->dashBorder()->lineDashPattern(), (std::vector<int> { 6, 8 }));
    EXPECT_EQ(styled->dashBorder()->lineWidth(), 2);
    EXPECT_TRUE(UIColorEqual(styled->handlerColour(), UIColor::colorWithRed(1, 0, 0, 1)));
    EXPECT_TRUE(UIColorEqual(styled->borderColour(), UIColor::colorWithRed(0, 1, 0, 1)));
    for (const auto& bar : styled->handles())
        EXPECT_TRUE(UIColorEqual(bar->backgroundColor(), styled->handlerColour()));
    EXPECT_TRUE(plain->dashBorder()->lineDashPattern().empty()) << "a built box keeps its style";
}

TEST_F(DefaultBox, TheHandlesStraddleTheOutlineAndTheReadOutSitsAboveTheBottom)
{
    auto box = place(CGRectMake(50, 100, 250, 200));
    const auto& bars = box->handles();
    ASSERT_EQ(bars.size(), 12u);
    EXPECT_EQ(bars[0]->frame(), CGRectMake(-2.5, -2.5, 5, 25));
    EXPECT_EQ(bars[2]->frame(), CGRectMake(112.5, -2.5, 25, 5));
    EXPECT_EQ(bars[7]->frame(), CGRectMake(247.5, 177.5, 5, 25));
    EXPECT_EQ(bars[11]->frame(), CGRectMake(-2.5, 87.5, 5, 25));
    EXPECT_EQ(box->rectLabel()->frame(), CGRectMake(75, 172, 100, 18));
}

}  // namespace
