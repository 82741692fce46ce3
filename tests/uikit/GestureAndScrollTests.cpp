#include "tests/uikit/UIKitTestSupport.h"

#include "platform/foundation/NSBundle.h"

#include <filesystem>
#include <fstream>

namespace {

// Counts the taps its recognisers report.
class TapCounter : public Object {
    MARQEL_OBJECT(TapCounter, Object)
public:
    void tapped()
    {
        ++taps;
        ++tapsOnAnyCounter;
    }
    void tappedBy(const std::shared_ptr<UIGestureRecognizer>& sender)
    {
        ++taps;
        ++tapsOnAnyCounter;
        lastSender = sender;
    }
    // Outlives every counter, so a tap delivered to one that should be gone
    // still shows.
    static inline int tapsOnAnyCounter = 0;
    void changed(const std::shared_ptr<UISegmentedControl>&) { ++changes; }
    int taps = 0;
    int changes = 0;
    std::shared_ptr<UIGestureRecognizer> lastSender;
};

}  // namespace

MARQEL_DEFINE_CLASS(TapCounter,
    method<&TapCounter::tapped>("tapped"),
    method<&TapCounter::tappedBy>("tappedBy:"),
    method<&TapCounter::changed>("changed:"))

namespace {

class GestureTest : public UIKitTest {
protected:
    void SetUp() override
    {
        window = shownWindow();
        counter = alloc<TapCounter>();
    }

    std::shared_ptr<UIView> tappableView(CGRect frame, const char* action = "tapped")
    {
        auto view = window->add<UIView>(frame);
        view->addGestureRecognizer(alloc<UITapGestureRecognizer>(counter, action));
        return view;
    }

    static void drag(CGPoint from, CGPoint to)
    {
        auto app = UIApplication::sharedApplication();
        app->sendTouch(UITouchPhaseBegan, from);
        app->sendTouch(UITouchPhaseMoved, { (from.x + to.x) / 2, (from.y + to.y) / 2 });
        app->sendTouch(UITouchPhaseMoved, to);
        app->sendTouch(UITouchPhaseEnded, to);
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<TapCounter> counter;
};

TEST_F(GestureTest, ATapSendsTheActionToTheTargetWithTheRecognizer)
{
    auto view = tappableView(CGRectMake(20, 100, 200, 60), "tappedBy:");
    ASSERT_EQ(view->gestureRecognizers().size(), 1u);
    EXPECT_EQ(view->gestureRecognizers().front()->view(), view);
    tap(screenCentre(view));
    EXPECT_EQ(counter->taps, 1);
    ASSERT_TRUE(counter->lastSender);
    EXPECT_EQ(counter->lastSender->state(), UIGestureRecognizerStateRecognized);
    EXPECT_EQ(counter->lastSender->view(), view);
}

TEST_F(GestureTest, AFingerThatWandersOrLeavesIsNoTap)
{
    auto view = tappableView(CGRectMake(20, 100, 300, 60));
    drag({ 40, 130 }, { 200, 130 });
    EXPECT_EQ(counter->taps, 0);
    // Small wobbles are still a tap.
    drag({ 40, 130 }, { 46, 134 });
    EXPECT_EQ(counter->taps, 1);
    // Down inside, up outside.
    drag({ 40, 130 }, { 40, 400 });
    EXPECT_EQ(counter->taps, 1);
}

TEST_F(GestureTest, HiddenAndTransparentViewsAreNotTapped)
{
    auto view = tappableView(CGRectMake(20, 100, 200, 60));
    view->setHidden(true);
    tap({ 100, 130 });
    view->setHidden(false);
    view->setAlpha(0);
    tap({ 100, 130 });
    EXPECT_EQ(counter->taps, 0);
    view->setAlpha(1);
    tap({ 100, 130 });
    EXPECT_EQ(counter->taps, 1);
}

TEST_F(GestureTest, OfTwoStackedCardsTheVisibleOneIsTapped)
{
    auto under = alloc<TapCounter>();
    auto lower = window->add<UIView>(CGRectMake(50, 200, 90, 90));
    lower->addGestureRecognizer(alloc<UITapGestureRecognizer>(under, "tapped"));
    auto upper = tappableView(CGRectMake(50, 200, 90, 90));
    upper->setAlpha(0);
    tap({ 95, 245 });
    EXPECT_EQ(under->taps, 1);
    EXPECT_EQ(counter->taps, 0);
    upper->setAlpha(1);
    lower->setAlpha(0);
    tap({ 95, 245 });
    EXPECT_EQ(under->taps, 1);
    EXPECT_EQ(counter->taps, 1);
}

TEST_F(GestureTest, ATapOnALabelInsideReachesTheRecognizerAndTheViewStillGetsTouches)
{
    auto row = tappableView(CGRectMake(0, 100, 300, 50));
    auto label = row->add<UILabel>(CGRectMake(10, 10, 100, 30));
    label->setText("Row");
    tap(screenCentre(label));
    EXPECT_EQ(counter->taps, 1);
}

TEST_F(GestureTest, AControlKeepsItsTouchesFromTheRecognizersAbove)
{
    auto row = tappableView(CGRectMake(0, 100, 300, 50));
    auto toggle = row->add<UISwitch>(CGRectMake(230, 10, 51, 31));
    tap(screenCentre(toggle));
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(counter->taps, 0);
}

TEST_F(GestureTest, ARecognizerMovesBetweenViewsAndGoesWithRemoval)
{
    auto first = tappableView(CGRectMake(0, 100, 100, 50));
    auto second = window->add<UIView>(CGRectMake(0, 300, 100, 50));
    auto recognizer = first->gestureRecognizers().front();
    second->addGestureRecognizer(recognizer);
    EXPECT_TRUE(first->gestureRecognizers().empty());
    EXPECT_EQ(recognizer->view(), second);
    tap(screenCentre(first));
    tap(screenCentre(second));
    EXPECT_EQ(counter->taps, 1);
    second->removeGestureRecognizer(recognizer);
    EXPECT_FALSE(recognizer->view());
    tap(screenCentre(second));
    EXPECT_EQ(counter->taps, 1);
}

TEST_F(GestureTest, AGoneTargetIsNotSentAnything)
{
    auto view = tappableView(CGRectMake(0, 100, 100, 50));
    auto recognizer = view->gestureRecognizers().front();
    std::weak_ptr<TapCounter> target = counter;
    counter.reset();
    EXPECT_TRUE(target.expired()) << "the recognizer keeps its target alive";
    const int before = TapCounter::tapsOnAnyCounter;
    tap(screenCentre(view));
    EXPECT_EQ(TapCounter::tapsOnAnyCounter, before);
    // The tap was still recognised; only the gone target was skipped, and a
    // target that is still there is sent it.
    EXPECT_EQ(recognizer->state(), UIGestureRecognizerStateRecognized);
    auto alive = alloc<TapCounter>();
    recognizer->addTarget(alive, "tapped");
    tap(screenCentre(view));
    EXPECT_EQ(alive->taps, 1);
    EXPECT_EQ(TapCounter::tapsOnAnyCounter, before + 1);
}

// ---------------------------------------------------------------- scrolling

class ScrollTest : public GestureTest {
protected:
    void SetUp() override
    {
        GestureTest::SetUp();
        scroll = window->add<UIScrollView>(CGRectMake(0, 100, 300, 400));
        scroll->setContentSize({ 300, 1000 });
        for (int i = 0; i < 10; ++i) {
            auto row = scroll->add<UIView>(CGRectMake(0, i * 100, 300, 100));
            row->setTag(i + 1);
        }
    }
    std::shared_ptr<UIScrollView> scroll;
};

TEST_F(ScrollTest, ADragScrollsTheContentWithTheFinger)
{
    drag({ 150, 450 }, { 150, 250 });
    EXPECT_EQ(scroll->contentOffset().y, 200);
    EXPECT_EQ(scroll->contentOffset().x, 0);
    // What is on screen moved with it: the third row is now at the top.
    auto hit = UIApplication::sharedApplication()->hitTest({ 150, 150 });
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->tag(), 3);
    EXPECT_NEAR(scroll->viewWithTag(3)->convertPointToScreen({ 0, 0 }).y, 100, 1e-9);
}

TEST_F(ScrollTest, TheOffsetStaysWithinTheContent)
{
    drag({ 150, 200 }, { 150, 480 });
    EXPECT_EQ(scroll->contentOffset().y, 0);
    for (int i = 0; i < 5; ++i)
        drag({ 150, 480 }, { 150, 120 });
    EXPECT_EQ(scroll->contentOffset().y, 600);
    EXPECT_EQ(scroll->maximumContentOffset().y, 600);
    scroll->setContentOffset({ -5, 5000 });
    EXPECT_EQ(scroll->contentOffset().x, 0);
    EXPECT_EQ(scroll->contentOffset().y, 600);
    // Shrinking the content pulls the offset back.
    scroll->setContentSize({ 300, 500 });
    EXPECT_EQ(scroll->contentOffset().y, 100);
    scroll->setContentSize({ 300, 200 });
    EXPECT_EQ(scroll->contentOffset().y, 0);
}

TEST_F(ScrollTest, AnimatedOffsetsArriveOverTime)
{
    scroll->setContentOffset({ 0, 300 }, true);
    EXPECT_EQ(scroll->contentOffset().y, 300);
    EXPECT_LT(scroll->presentationBounds().origin.y, 300);
    RunLoop::main().runFor(UIScrollView::scrollAnimationDuration + 0.05);
    EXPECT_NEAR(scroll->presentationBounds().origin.y, 300, 1e-9);
}

TEST_F(ScrollTest, ATapOnScrolledContentStillReachesItsRow)
{
    auto row = scroll->viewWithTag(5);
    row->addGestureRecognizer(alloc<UITapGestureRecognizer>(counter, "tapped"));
    scroll->setContentOffset({ 0, 350 });
    tap(screenCentre(row));
    EXPECT_EQ(counter->taps, 1);
    EXPECT_EQ(scroll->contentOffset().y, 350);
}

// ---------------------------------------------------------------- choices

TEST_F(GestureTest, ATapOnASegmentChoosesItAndReportsTheChange)
{
    auto control = window->add<UISegmentedControl>(std::vector<std::string> { "Soft", "Light", "Medium" });
    control->setFrame(CGRectMake(20, 200, 300, 32));
    control->addTarget(counter, "changed:", UIControlEventValueChanged);
    EXPECT_EQ(control->numberOfSegments(), 3);
    EXPECT_EQ(control->selectedSegmentIndex(), UISegmentedControl::noSegment);
    EXPECT_EQ(control->titleForSegmentAtIndex(2), "Medium");
    EXPECT_EQ(control->titleForSegmentAtIndex(3), "");

    window->layoutIfNeeded();
    tap(screenCentre(control->labelForSegmentAtIndex(2)));
    EXPECT_EQ(control->selectedSegmentIndex(), 2);
    EXPECT_EQ(counter->changes, 1);
    // The chosen one again changes nothing.
    tap(screenCentre(control->labelForSegmentAtIndex(2)));
    EXPECT_EQ(counter->changes, 1);
    tap({ 30, 216 });
    EXPECT_EQ(control->selectedSegmentIndex(), 0);
    EXPECT_EQ(counter->changes, 2);
}

TEST_F(GestureTest, ChoosingInCodeSendsNothingAndOutOfRangeChoosesNone)
{
    auto control = window->add<UISegmentedControl>(std::vector<std::string> { "A", "B" });
    control->addTarget(counter, "changed:", UIControlEventValueChanged);
    control->setSelectedSegmentIndex(1);
    EXPECT_EQ(control->selectedSegmentIndex(), 1);
    control->setSelectedSegmentIndex(7);
    EXPECT_EQ(control->selectedSegmentIndex(), UISegmentedControl::noSegment);
    control->setSelectedSegmentIndex(-3);
    EXPECT_EQ(control->selectedSegmentIndex(), UISegmentedControl::noSegment);
    EXPECT_EQ(counter->changes, 0);
    EXPECT_GT(control->bounds().size.width, 0);
}

// ---------------------------------------------------------------- bundles

TEST_F(UIKitTest, AClassOfTheProgramItselfBelongsToTheMainBundle)
{
    EXPECT_EQ(NSBundle::bundleForClass(TapCounter::classObject()), NSBundle::mainBundle());
    EXPECT_EQ(NSBundle::bundleForClass(UIView::classObject()), NSBundle::mainBundle());
    EXPECT_EQ(NSBundle::bundleForClass(nullptr), NSBundle::mainBundle());
}

TEST_F(UIKitTest, AResourcePathIsGivenOnlyWhenTheFileIsThere)
{
    std::filesystem::create_directories(device.host("/Library/Demo.bundle"));
    std::ofstream(device.host("/Library/Demo.bundle/Rows.plist")) << "<plist/>";
    auto bundle = NSBundle::bundleWithPath("/Library/Demo.bundle");
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->pathForResource("Rows", "plist"), "/Library/Demo.bundle/Rows.plist");
    EXPECT_EQ(bundle->pathForResource("Rows", ".plist"), "/Library/Demo.bundle/Rows.plist");
    EXPECT_EQ(bundle->pathForResource("Missing", "plist"), "");
    EXPECT_EQ(bundle->pathForResource("", "plist"), "");
    // A folder is not a resource file.
    std::filesystem::create_directories(device.host("/Library/Demo.bundle/Folder.plist"));
    EXPECT_EQ(bundle->pathForResource("Folder", "plist"), "");
    // Nothing outside the device root is reached.
    EXPECT_EQ(bundle->pathForResource("../../../../../../../../etc/hostname", ""), "");
}

}  // namespace
