// Touches and actions travelling along the responder chain.

#include "UIKitTestSupport.h"

#include "kit/UIView+ZRLayout.h"

namespace {

class RecordingController : public UIViewController {
    MARQEL_OBJECT(RecordingController, UIViewController)
public:
    void prepareRecording() { ++recordPresses; }
    void microphonePressed(const id& sender) { lastSender = sender; }
    int recordPresses = 0;
    id lastSender;
};

// A plain bar that implements the action itself, nearer than the controller.
class HandlingBar : public UIView {
    MARQEL_OBJECT(HandlingBar, UIView)
public:
    void prepareRecording() { ++presses; }
    int presses = 0;
};

class TouchLog : public UIView {
    MARQEL_OBJECT(TouchLog, UIView)
public:
    using UIView::UIView;
    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) override
    {
        began.push_back(touches.anyObject()->view());
        where = touches.anyObject()->locationInView(this);
    }
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>&) override
    {
        where = touches.anyObject()->locationInView(this);
        ++moves;
    }
    void touchesEnded(const UITouchSet&, const std::shared_ptr<UIEvent>&) override { ++ended; }
    void touchesCancelled(const UITouchSet&, const std::shared_ptr<UIEvent>&) override { ++cancelled; }
    std::vector<std::weak_ptr<UIView>> began;  // weak: the view may be this one
    CGPoint where {};
    int moves = 0, ended = 0, cancelled = 0;
};

class EventCounter : public Object {
    MARQEL_OBJECT(EventCounter, Object)
public:
    void down() { ++downs; }
    void upInside() { ++ups; }
    void upOutside() { ++outsides; }
    void cancelled() { ++cancels; }
    void changed(const id& sender) { changedSender = sender; }
    int downs = 0, ups = 0, outsides = 0, cancels = 0;
    id changedSender;
};

}  // namespace

MARQEL_DEFINE_CLASS(RecordingController,
    method<&RecordingController::prepareRecording>("prepareRecording"),
    method<&RecordingController::microphonePressed>("microphonePressed:"))
MARQEL_DEFINE_CLASS(HandlingBar, method<&HandlingBar::prepareRecording>("prepareRecording"))
MARQEL_DEFINE_CLASS(TouchLog)
MARQEL_DEFINE_CLASS(EventCounter,
    method<&EventCounter::down>("down"),
    method<&EventCounter::upInside>("upInside"),
    method<&EventCounter::upOutside>("upOutside"),
    method<&EventCounter::cancelled>("cancelled"),
    method<&EventCounter::changed>("changed:"))

namespace {

class ResponderChain : public UIKitTest {
protected:
    void SetUp() override
    {
        UIKitTest::SetUp();
        controller = alloc<RecordingController>();
        window = shownWindow(controller);
        bar = controller->view()->add<UIView>(CGRectMake(0, 700, 390, 45));
        record = bar->add<UIControl>(CGRectMake(172.5, 0, 45, 45));
        // The tool button's way: no target, so the chain is searched on tap.
        record->addTarget(nullptr, "prepareRecording", UIControlEventTouchUpInside);
    }

    std::shared_ptr<RecordingController> controller;
    std::shared_ptr<UIWindow> window;
    std::shared_ptr<UIView> bar;
    std::shared_ptr<UIControl> record;
};

TEST_F(ResponderChain, AButtonWithoutTargetReachesTheViewController)
{
    tap(screenCentre(record));
    EXPECT_EQ(controller->recordPresses, 1);
}

TEST_F(ResponderChain, TheNearestResponderThatImplementsTheActionTakesIt)
{
    auto nearer = controller->view()->add<HandlingBar>();
    nearer->setFrame(CGRectMake(0, 600, 390, 45));
    auto button = nearer->add<UIControl>(CGRectMake(0, 0, 45, 45));
    button->addTarget(nullptr, "prepareRecording", UIControlEventTouchUpInside);
    tap(screenCentre(button));
    EXPECT_EQ(nearer->presses, 1);
    EXPECT_EQ(controller->recordPresses, 0);
}

TEST_F(ResponderChain, TheSenderComesAlongWhenTheActionTakesOne)
{
    record->addTarget(nullptr, "microphonePressed:", UIControlEventTouchUpInside);
    tap(screenCentre(record));
    EXPECT_EQ(controller->lastSender, record);
}

TEST_F(ResponderChain, ATapThatNobodyHandlesDoesNothing)
{
    auto stray = bar->add<UIControl>(CGRectMake(0, 0, 45, 45));
    stray->addTarget(nullptr, "noSuchAction", UIControlEventTouchUpInside);
    EXPECT_EQ(tap(screenCentre(stray)), stray) << "the tap must land on the control it is about";
    EXPECT_EQ(controller->recordPresses, 0);
    EXPECT_FALSE(stray->isHighlighted());
    EXPECT_FALSE(UIApplication::sharedApplication()->sendAction(sel_registerName("noSuchAction"), nullptr, stray, nullptr));
}

TEST_F(ResponderChain, ATargetThatIsGoneReceivesNothing)
{
    auto counter = alloc<EventCounter>();
    auto button = bar->add<UIControl>(CGRectMake(0, 0, 45, 45));
    button->addTarget(counter, "upInside", UIControlEventTouchUpInside);
    tap(screenCentre(button));
    EXPECT_EQ(counter->ups, 1);
    counter.reset();
    tap(screenCentre(button));  // must not crash or fall back to the chain
    EXPECT_EQ(controller->recordPresses, 0);
}

TEST_F(ResponderChain, TouchUpInsideFiresOnlyWhenTheFingerLiftsInsideTheControl)
{
    auto counter = alloc<EventCounter>();
    record->addTarget(counter, "down", UIControlEventTouchDown);
    record->addTarget(counter, "upInside", UIControlEventTouchUpInside);
    record->addTarget(counter, "upOutside", UIControlEventTouchUpOutside);
    auto app = UIApplication::sharedApplication();
    CGPoint centre = screenCentre(record);

    app->sendTouch(UITouchPhaseBegan, centre);
    EXPECT_EQ(counter->downs, 1);
    EXPECT_TRUE(record->isHighlighted());
    app->sendTouch(UITouchPhaseMoved, { centre.x + 100, centre.y });
    EXPECT_FALSE(record->isHighlighted());
    app->sendTouch(UITouchPhaseEnded, { centre.x + 100, centre.y });
    EXPECT_EQ(counter->ups, 0);
    EXPECT_EQ(counter->outsides, 1);
    EXPECT_EQ(controller->recordPresses, 0);

    // Out and back in again counts as inside.
    app->sendTouch(UITouchPhaseBegan, centre);
    app->sendTouch(UITouchPhaseMoved, { centre.x + 100, centre.y });
    app->sendTouch(UITouchPhaseMoved, { centre.x + 5, centre.y });
    EXPECT_TRUE(record->isHighlighted());
    app->sendTouch(UITouchPhaseEnded, { centre.x + 5, centre.y });
    EXPECT_EQ(counter->ups, 1);
    EXPECT_EQ(controller->recordPresses, 1);
    EXPECT_FALSE(record->isHighlighted());
}

TEST_F(ResponderChain, ACancelledTouchSendsNoActionAndANewFingerCancelsTheOld)
{
    auto counter = alloc<EventCounter>();
    record->addTarget(counter, "cancelled", UIControlEventTouchCancel);
    auto app = UIApplication::sharedApplication();
    app->sendTouch(UITouchPhaseBegan, screenCentre(record));
    app->sendTouch(UITouchPhaseCancelled, screenCentre(record));
    EXPECT_EQ(counter->cancels, 1);
    EXPECT_EQ(controller->recordPresses, 0);

    app->sendTouch(UITouchPhaseBegan, screenCentre(record));
    app->sendTouch(UITouchPhaseBegan, { 5, 5 });  // the first finger never lifted
    EXPECT_EQ(counter->cancels, 2);
    EXPECT_FALSE(record->isHighlighted());
}

TEST_F(ResponderChain, PhasesWithoutAFingerDownAreIgnored)
{
    auto app = UIApplication::sharedApplication();
    EXPECT_EQ(app->sendTouch(UITouchPhaseMoved, { 10, 10 }), nullptr);
    EXPECT_EQ(app->sendTouch(UITouchPhaseEnded, { 10, 10 }), nullptr);
    EXPECT_EQ(controller->recordPresses, 0);
}

TEST_F(ResponderChain, ADisabledControlSwallowsTheTouchWithoutActing)
{
    record->setEnabled(false);
    EXPECT_EQ(tap(screenCentre(record)), record);
    EXPECT_EQ(controller->recordPresses, 0);
}

TEST_F(ResponderChain, DecorationsPassTheirTouchesToTheViewBeneathThem)
{
    // The crop box's handles are plain views: their touches reach the box,
    // which still sees its own coordinates.
    auto box = controller->view()->add<TouchLog>(CGRectMake(70, 297, 250, 250));
    auto handle = box->add<UIView>(CGRectMake(0, 0, 25, 5));
    auto app = UIApplication::sharedApplication();
    app->sendTouch(UITouchPhaseBegan, { 71, 298 });
    ASSERT_EQ(box->began.size(), 1u);
    EXPECT_EQ(box->began[0].lock(), handle);
    EXPECT_EQ(box->where, CGPointMake(1, 1));
    app->sendTouch(UITouchPhaseMoved, { 171, 398 });
    EXPECT_EQ(box->where, CGPointMake(101, 101));
    app->sendTouch(UITouchPhaseEnded, { 171, 398 });
    EXPECT_EQ(box->moves, 1);
    EXPECT_EQ(box->ended, 1);
}

TEST_F(ResponderChain, LaterPhasesFollowTheViewTheTouchBeganOnEvenWhenItMoves)
{
    auto box = controller->view()->add<TouchLog>(CGRectMake(70, 297, 250, 250));
    auto app = UIApplication::sharedApplication();
    app->sendTouch(UITouchPhaseBegan, { 100, 300 });
    box->setFrame(CGRectMake(0, 0, 250, 250));  // the box follows the finger
    app->sendTouch(UITouchPhaseMoved, { 600, 900 });  // far outside, still the box's touch
    EXPECT_EQ(box->moves, 1);
    EXPECT_EQ(box->where, CGPointMake(600, 900));
    EXPECT_EQ(app->currentTouch()->previousLocationInView(nullptr), CGPointMake(100, 300));
}

TEST_F(ResponderChain, ASwitchFlipsOnATapAndReportsTheChange)
{
    auto toggle = bar->add<UISwitch>(CGRectMake(10, 5, 0, 0));
    auto counter = alloc<EventCounter>();
    toggle->addTarget(counter, "changed:", UIControlEventValueChanged);
    EXPECT_EQ(toggle->bounds().size, CGSizeMake(51, 31));
    tap(screenCentre(toggle));
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(counter->changedSender, toggle);
    counter->changedSender = nullptr;
    toggle->setOn(false, true);  // in code: no event
    EXPECT_EQ(counter->changedSender, nullptr);
}

TEST_F(ResponderChain, ATappedSystemButtonShowsItsStateContent)
{
    auto button = UIButton::buttonWithType(UIButtonTypeSystem);
    bar->addSubview(button);
    button->setFrame(CGRectMake(300, 0, 40, 40));
    button->setImage(UIImage::systemImageNamed("xmark"), UIControlStateNormal);
    button->setTitle("Close", UIControlStateNormal);
    button->setTitle("Closing", UIControlStateHighlighted);
    button->setTintColor(UIColor::whiteColor());
    EXPECT_EQ(button->currentImage()->symbolName(), "xmark");
    EXPECT_EQ(button->imageView()->tintColor(), UIColor::whiteColor());
    auto app = UIApplication::sharedApplication();
    app->sendTouch(UITouchPhaseBegan, screenCentre(button));
    EXPECT_EQ(button->currentTitle(), "Closing");
    EXPECT_EQ(button->currentImage()->symbolName(), "xmark");  // falls back to normal
    app->sendTouch(UITouchPhaseEnded, screenCentre(button));
    EXPECT_EQ(button->titleLabel()->text(), "Close");
}

}  // namespace
