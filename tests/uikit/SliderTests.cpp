// The slider as a finger uses it: only a finger on the thumb moves it, the
// value follows the finger and stays in range, and value-changed comes as
// it moves (or once at the end for a slider that is not continuous).

#include "UIKitTestSupport.h"

#include "platform/render/Compositor.h"
#include "tests/support/Touches.h"

namespace {

class SliderTally : public Object {
    MARQEL_OBJECT(SliderTally, Object)
public:
    void changed() { ++changes; }
    int changes = 0;
};

}  // namespace

MARQEL_DEFINE_CLASS(SliderTally, method<&SliderTally::changed>("changed"))

namespace {

class Slider : public UIKitTest {
protected:
    std::shared_ptr<UIWindow> window = shownWindow();
    std::shared_ptr<UISlider> slider = alloc<UISlider>(CGRectMake(20, 100, 228, UISlider::defaultHeight));
    std::shared_ptr<SliderTally> tally = alloc<SliderTally>();

    void SetUp() override
    {
        window->setBackgroundColor(UIColor::blackColor());
        window->addSubview(slider);
        slider->setMaximumValue(10);
        slider->addTarget(tally, "changed", UIControlEventValueChanged);
        window->layoutIfNeeded();
    }

    // The screen point of the track where the thumb's centre stands at `value`.
    CGPoint at(float value) const
    {
        CGFloat travel = slider->bounds().size.width - UISlider::thumbSize;
        return slider->convertPointToScreen(CGPointMake(UISlider::thumbSize / 2 + travel * value / 10, UISlider::defaultHeight / 2));
    }
};

TEST_F(Slider, DraggingTheThumbFollowsTheFingerAndStaysInRange)
{
    testsupport::drag(at(0), at(7.5));
    EXPECT_NEAR(slider->value(), 7.5, 1e-4);
    EXPECT_EQ(tally->changes, 2);  // one for each move
    window->layoutIfNeeded();
    EXPECT_NEAR(CGRectGetMidX(slider->thumbView()->frame()), at(7.5).x - 20, 1e-3);

    // Past the end the value stops at the maximum.
    testsupport::drag(at(7.5), CGPointMake(at(10).x + 200, at(10).y + 40));
    EXPECT_FLOAT_EQ(slider->value(), 10);
}

TEST_F(Slider, AFingerOffTheThumbMovesNothing)
{
    slider->setValue(2);
    window->layoutIfNeeded();
    testsupport::drag(at(8), at(9));
    UIKitTest::tap(at(6));
    EXPECT_FLOAT_EQ(slider->value(), 2);
    EXPECT_EQ(tally->changes, 0);
}

TEST_F(Slider, ProgrammaticValuesAreClampedAndSendNothing)
{
    slider->setValue(-3);
    EXPECT_FLOAT_EQ(slider->value(), 0);
    slider->setValue(30, true);
    EXPECT_FLOAT_EQ(slider->value(), 10);
    slider->setMaximumValue(4);
    EXPECT_FLOAT_EQ(slider->value(), 4);
    EXPECT_EQ(tally->changes, 0);
}

TEST_F(Slider, ANonContinuousSliderReportsOnceWhenLifted)
{
    slider->setContinuous(false);
    testsupport::drag(at(0), at(5));
    EXPECT_EQ(tally->changes, 1);
    EXPECT_NEAR(slider->value(), 5, 1e-4);
}

TEST_F(Slider, TheThumbAndTheFilledTrackAreDrawnAtTheValue)
{
    slider->setValue(5);
    slider->setMinimumTrackTintColor(UIColor::colorWithRed(1, 0, 0, 1));
    window->layoutIfNeeded();
    auto frame = render::Compositor::shared().renderScreen();
    auto colour = [&](CGPoint p) {
        const CGFloat scale = UIScreen::mainScreen()->scale();
        const auto* px = &frame->pixels[(static_cast<std::size_t>(p.y * scale) * frame->width + static_cast<std::size_t>(p.x * scale)) * 4];
        return std::array<int, 3> { px[0], px[1], px[2] };
    };
    EXPECT_EQ(colour(at(5)), (std::array<int, 3> { 255, 255, 255 }));  // the thumb
    auto filled = colour(at(1.5));
    EXPECT_GT(filled[0], 200);
    EXPECT_LT(filled[1], 40);
    auto empty = colour(at(9.5));
    EXPECT_LT(empty[0], 100);  // the bare track, grey on black
}

}  // namespace
