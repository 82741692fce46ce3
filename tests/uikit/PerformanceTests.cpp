// Every move event of a drag on the editor's box resizes the box, refits its
// outline, rewrites its read-out, re-cuts the dimming mask and restarts the
// tool bars' fade. Here many moves must each do the whole job; what they
// cost is measured by bench/editor, not here.

#include "UIKitTestSupport.h"

#include "tweak/editor/MarqelViewController.h"
#include "tweak/editor/ResizableBox.h"

namespace {

class DragCost : public UIKitTest { };

TEST_F(DragCost, ManyMoveEventsEachDoTheWholeJob)
{
    auto editor = alloc<MarqelViewController>();
    auto window = shownWindow(editor);
    auto box = editor->marqelView();
    ASSERT_EQ(box->frame(), CGRectMake(70, 297, 250, 250));

    auto app = UIApplication::sharedApplication();
    ASSERT_EQ(app->sendTouch(UITouchPhaseBegan, { 300, 500 }), box);  // the bottom-right corner
    const int moves = 4000;
    for (int i = 0; i < moves; ++i)
        app->sendTouch(UITouchPhaseMoved, { 300.0 - (i % 100), 500.0 - (i % 50) });

    // The work was real: the last move's results are all in place.
    ExpectRect(box->frame(), 70, 297, 151, 201);
    EXPECT_EQ(box->rectLabel()->text(), "W:151 H:201");
    EXPECT_EQ(box->rectLabel()->alpha(), 1);
    EXPECT_EQ(box->dashBorder()->frame(), CGRectMake(0, 0, 151, 201));
    auto mask = std::dynamic_pointer_cast<CAShapeLayer>(editor->dimmingView()->layer()->mask());
    ASSERT_TRUE(mask);
    EXPECT_TRUE(mask->fillContainsPoint({ 10, 10 }));  // dimmed outside the box
    EXPECT_FALSE(mask->fillContainsPoint({ 71, 298 }));  // clear inside it
    EXPECT_TRUE(mask->fillContainsPoint({ 71 + 151, 298 }));
    EXPECT_EQ(editor->topView()->alpha(), 0);
    EXPECT_EQ(editor->bottomView()->alpha(), 0);

    app->sendTouch(UITouchPhaseEnded, { 201, 451 });
    RunLoop::main().runFor(0.2);  // the layout phase, and the tool bars' fade back
    ExpectRect(box->rectLabel()->frame(), 25.5, 173, 100, 18);
    EXPECT_EQ(box->rectLabel()->alpha(), 0);
    EXPECT_EQ(editor->topView()->presentationAlpha(), 1);
    EXPECT_EQ(editor->bottomView()->presentationAlpha(), 1);
}

}  // namespace
