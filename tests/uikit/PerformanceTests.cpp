// Every move event of a drag on the editor's box resizes the box, refits its
// outline, rewrites its read-out, re-cuts the dimming mask, logs the new
// area and keeps the tool bars faded. Each move must do the whole job
// itself: a move that only queued its work, or that was merged into a later
// one, would leave the picture behind the finger. What a move costs is
// measured by bench/editor, not here.

#include "UIKitTestSupport.h"

#include "tweak/editor/MarqelViewController.h"
#include "tweak/editor/ResizableBox.h"

#include <cstdio>

namespace {

class DragCost : public UIKitTest { };

std::string areaLine(CGRect box)
{
    char line[160];
    std::snprintf(line, sizeof line, "x:%f ,y:%f ,width:%f ,height:%f", box.origin.x, box.origin.y, box.size.width, box.size.height);
    return line;
}

TEST_F(DragCost, EveryMoveEventDoesTheWholeJobAtOnce)
{
    auto editor = alloc<MarqelViewController>();
    auto window = shownWindow(editor);
    auto box = editor->marqelView();
    ASSERT_EQ(box->frame(), CGRectMake(70, 297, 250, 250));

    auto app = UIApplication::sharedApplication();
    ASSERT_EQ(app->sendTouch(UITouchPhaseBegan, { 300, 500 }), box);  // the bottom-right corner
    const int moves = 400;
    for (int i = 0; i < moves; ++i) {
        // The finger shrinks the box by a different amount each time.
        const double left = i % 100, up = i % 50;
        app->sendTouch(UITouchPhaseMoved, { 300.0 - left, 500.0 - up });
        const double width = 250 - left, height = 250 - up;
        SCOPED_TRACE("move " + std::to_string(i));
        ASSERT_EQ(box->frame(), CGRectMake(70, 297, width, height));
        ASSERT_EQ(box->rectLabel()->text(), "W:" + std::to_string(static_cast<int>(width)) + " H:" + std::to_string(static_cast<int>(height)));
        ASSERT_EQ(box->dashBorder()->frame(), CGRectMake(0, 0, width, height));
        ASSERT_EQ(SystemLog::shared().lines().back(), areaLine(box->frame()));
        auto mask = std::dynamic_pointer_cast<CAShapeLayer>(editor->dimmingView()->layer()->mask());
        ASSERT_TRUE(mask);
        ASSERT_FALSE(mask->fillContainsPoint({ 70 + width - 1, 297 + height - 1 }));  // clear just inside the box
        ASSERT_TRUE(mask->fillContainsPoint({ 70 + width + 1, 297 + height - 1 }));  // dimmed just outside it
        ASSERT_EQ(editor->topView()->alpha(), 0);
        ASSERT_EQ(editor->bottomView()->alpha(), 0);
    }
    EXPECT_EQ(box->rectLabel()->alpha(), 1);

    app->sendTouch(UITouchPhaseEnded, { 201, 451 });
    RunLoop::main().runFor(0.2);  // the layout phase, and the tool bars' fade back
    ExpectRect(box->rectLabel()->frame(), 25.5, 173, 100, 18);
    EXPECT_EQ(box->rectLabel()->alpha(), 0);
    EXPECT_EQ(editor->topView()->presentationAlpha(), 1);
    EXPECT_EQ(editor->bottomView()->presentationAlpha(), 1);
}

}  // namespace
