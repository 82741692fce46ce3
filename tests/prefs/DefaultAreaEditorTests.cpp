#include "common/MarqelPreferences.h"
#include "platform/render/Surface.h"
#include "tests/prefs/EditorFixture.h"

#include <filesystem>

namespace {
namespace P = MarqelPreferences;

using DefaultAreaEditor = EditorFixture;

CGRect storedRectangle()
{
    return CGRectMake(P::read(P::defaultX), P::read(P::defaultY), P::read(P::defaultWidth), P::read(P::defaultHeight));
}

void store(CGRect rectangle)
{
    ASSERT_TRUE(P::write(P::defaultX, rectangle.origin.x));
    ASSERT_TRUE(P::write(P::defaultY, rectangle.origin.y));
    ASSERT_TRUE(P::write(P::defaultWidth, rectangle.size.width));
    ASSERT_TRUE(P::write(P::defaultHeight, rectangle.size.height));
}

std::vector<std::string> updateLines(std::size_t from)
{
    std::vector<std::string> found;
    for (const auto& line : SystemLog::shared().lines(from)) {
        if (line.starts_with("x:"))
            found.push_back(line);
    }
    return found;
}

TEST_F(DefaultAreaEditor, AFreshDomainOpensA250SquareInTheMiddle)
{
    auto editor = open();
    EXPECT_EQ(editor->marqelView()->frame(), CGRectMake(62.5, 281, 250, 250));
    EXPECT_EQ(editor->defaultX(), 0);
    EXPECT_EQ(editor->defaultY(), 0);
    EXPECT_EQ(editor->defaultWidth(), 250);
    EXPECT_EQ(editor->defaultHeight(), 250);
}

TEST_F(DefaultAreaEditor, TheWallpaperLiesBehindTheDimmingTheBoxAndTheBar)
{
    std::string host = device.host(DefaultMarqelViewController::wallpaperDevicePath);
    std::filesystem::create_directories(std::filesystem::path(host).parent_path());
    render::Surface picture(39, 84);
    picture.clear({ 0.2, 0.4, 0.8, 1 });
    ASSERT_TRUE(picture.writePNG(host));

    auto editor = open();
    auto root = editor->view();
    EXPECT_EQ(root->frame(), CGRectMake(0, 0, 375, 812));
    EXPECT_TRUE(UIColorEqual(root->backgroundColor(), UIColor::blackColor()));
    ASSERT_EQ(root->subviews().size(), 4u);
    auto wallpaper = std::dynamic_pointer_cast<UIImageView>(root->subviews()[0]);
    ASSERT_TRUE(wallpaper);
    ASSERT_TRUE(wallpaper->image());
    EXPECT_EQ(wallpaper->image()->filePath(), DefaultMarqelViewController::wallpaperDevicePath);
    EXPECT_EQ(wallpaper->contentMode(), UIViewContentModeScaleAspectFill);
    EXPECT_EQ(wallpaper->frame(), CGRectMake(0, 0, 375, 812));
    EXPECT_EQ(root->subviews()[1], editor->dimmingView());
    EXPECT_EQ(root->subviews()[2], editor->marqelView());
    EXPECT_EQ(root->subviews()[3], editor->bottomView());
}

TEST_F(DefaultAreaEditor, AMissingWallpaperLeavesThePictureEmptyAndTheEditorWorks)
{
    auto editor = open();
    auto wallpaper = std::dynamic_pointer_cast<UIImageView>(editor->view()->subviews()[0]);
    ASSERT_TRUE(wallpaper);
    EXPECT_EQ(wallpaper->image(), nullptr);
    drag({ 187.5, 406 }, { 197.5, 416 });
    EXPECT_EQ(editor->marqelView()->frame(), CGRectMake(72.5, 291, 250, 250));
    tap(button(editor, "Save"));
    EXPECT_EQ(storedRectangle(), CGRectMake(72, 291, 250, 250));
}

TEST_F(DefaultAreaEditor, TheDimmingIsCutOutWhereTheBoxLies)
{
    auto editor = open();
    auto dimming = editor->dimmingView();
    EXPECT_EQ(dimming->frame(), CGRectMake(0, 0, 375, 812));
    EXPECT_TRUE(UIColorEqual(dimming->backgroundColor(), UIColor::blackColor()->colorWithAlphaComponent(0.7)));
    auto mask = std::dynamic_pointer_cast<CAShapeLayer>(dimming->layer()->mask());
    ASSERT_TRUE(mask);
    EXPECT_TRUE(mask->usesEvenOddFillRule());
    auto before = mask;
    drag({ 187.5, 406 }, { 187.5, 306 });
    auto after = std::dynamic_pointer_cast<CAShapeLayer>(dimming->layer()->mask());
    ASSERT_TRUE(after);
    EXPECT_NE(after, before) << "every update cuts a new mask";
    EXPECT_EQ(editor->marqelView()->frame(), CGRectMake(62.5, 181, 250, 250));
}

TEST_F(DefaultAreaEditor, OnlyABottomBarWithCancelOnTheLeftAndSaveOnTheRight)
{
    auto editor = open();
    auto bar = editor->bottomView();
    EXPECT_EQ(bar->frame(), CGRectMake(0, 812 - 35 - 45, 375, 45));
    auto cancel = button(editor, "Cancel");
    auto save = button(editor, "Save");
    ASSERT_TRUE(cancel);
    ASSERT_TRUE(save);
    EXPECT_EQ(bar->subviews().size(), 2u);
    EXPECT_EQ(cancel->frame(), CGRectMake(20, 0, 157.5, 45));
    EXPECT_EQ(save->frame(), CGRectMake(197.5, 0, 157.5, 45));
    for (const auto& [b, colour] : { std::pair { cancel, UIColor::systemRedColor() }, std::pair { save, UIColor::systemTealColor() } }) {
        EXPECT_EQ(b->buttonType(), UIButtonTypeSystem);
        EXPECT_TRUE(UIColorEqual(b->backgroundColor(), colour));
        EXPECT_EQ(b->layer()->cornerRadius(), 12);
        EXPECT_EQ(b->layer()->cornerCurve(), kCACornerCurveContinuous);
        EXPECT_TRUE(UIColorEqual(b->titleColorForState(UIControlStateNormal), UIColor::whiteColor()));
        EXPECT_TRUE(UIColorEqual(b->titleColorForState(UIControlStateHighlighted), UIColor::whiteColor()->colorWithAlphaComponent(0.5)));
    }
}

TEST_F(DefaultAreaEditor, SavingTheUntouchedBoxStoresItsCentredPlaceInWholePoints)
{
    auto editor = open();
    tap(button(editor, "Save"));
    EXPECT_EQ(storedRectangle(), CGRectMake(62, 281, 250, 250));
    RunLoop::main().runFor(1);
    EXPECT_EQ(settings->presentedViewController(), nullptr) << "Save closes the editor";
    EXPECT_EQ(editor->view()->window(), nullptr);

    auto again = open();
    EXPECT_EQ(again->marqelView()->frame(), CGRectMake(62, 281, 250, 250)) << "a stored rectangle is no longer centred";
}

TEST_F(DefaultAreaEditor, ABoxMovedToAHalfPointIsStoredTruncatedAndReopensThere)
{
    store(CGRectMake(10, 100, 250, 250));
    auto editor = open();
    EXPECT_EQ(editor->marqelView()->frame(), CGRectMake(10, 100, 250, 250));
    drag({ 135, 225 }, { 187.5, 225 });
    EXPECT_EQ(editor->marqelView()->frame(), CGRectMake(62.5, 100, 250, 250));
    editor->saveChange();
    EXPECT_EQ(storedRectangle(), CGRectMake(62, 100, 250, 250));
    RunLoop::main().runFor(1);

    auto again = open();
    EXPECT_EQ(again->marqelView()->frame(), CGRectMake(62, 100, 250, 250));
}

TEST_F(DefaultAreaEditor, CancelWritesNothing)
{
    auto editor = open();
    drag({ 187.5, 406 }, { 100, 300 });
    tap(button(editor, "Cancel"));
    RunLoop::main().runFor(1);
    EXPECT_EQ(settings->presentedViewController(), nullptr);
    for (const char* key : { "defaultX", "defaultY", "defaultWidth", "defaultHeight" })
        EXPECT_FALSE(P::manager()->valueForKey(key, P::domain)) << key;

    store(CGRectMake(10, 20, 300, 200));
    auto second = open();
    drag({ 160, 120 }, { 200, 200 });
    second->dismissVC();
    RunLoop::main().runFor(1);
    EXPECT_EQ(storedRectangle(), CGRectMake(10, 20, 300, 200));
}

TEST_F(DefaultAreaEditor, ADragFadesTheBarOutOverAFifthOfASecondAndBackWhenLifted)
{
    auto editor = open();
    auto bar = editor->bottomView();
    touch(UITouchPhaseBegan, { 187.5, 406 });
    RunLoop::main().runFor(0.1);
    EXPECT_GT(bar->presentationAlpha(), 0);
    EXPECT_LT(bar->presentationAlpha(), 1);
    touch(UITouchPhaseMoved, { 190, 410 });
    RunLoop::main().runFor(0.21);
    EXPECT_EQ(bar->presentationAlpha(), 0);
    EXPECT_EQ(editor->marqelView()->presentationAlpha(), 1) << "only the bar fades";
    EXPECT_EQ(editor->dimmingView()->presentationAlpha(), 1);
    touch(UITouchPhaseEnded, { 190, 410 });
    RunLoop::main().runFor(0.1);
    EXPECT_GT(bar->presentationAlpha(), 0);
    EXPECT_LT(bar->presentationAlpha(), 1);
    RunLoop::main().runFor(0.11);
    EXPECT_EQ(bar->presentationAlpha(), 1);
}

TEST_F(DefaultAreaEditor, ACancelledDragBringsTheBarBack)
{
    auto editor = open();
    touch(UITouchPhaseBegan, { 187.5, 406 });
    touch(UITouchPhaseMoved, { 190, 410 });
    touch(UITouchPhaseCancelled, { 190, 410 });
    RunLoop::main().runFor(0.3);
    EXPECT_EQ(editor->bottomView()->presentationAlpha(), 1) << "Cancel and Save stay reachable";
    EXPECT_EQ(editor->marqelView()->rectLabel()->alpha(), 0);
}

TEST_F(DefaultAreaEditor, EveryUpdateWritesTheFrameToTheLog)
{
    std::size_t from = SystemLog::shared().lineCount();
    auto editor = open();
    auto atLoad = updateLines(from);
    ASSERT_EQ(atLoad.size(), 1u);
    EXPECT_EQ(atLoad[0], "x:62.500000 ,y:281.000000 ,width:250.000000 ,height:250.000000");

    from = SystemLog::shared().lineCount();
    drag({ 187.5, 406 }, { 197.5, 426 });  // begin, two moves, end
    auto during = updateLines(from);
    ASSERT_EQ(during.size(), 4u);
    EXPECT_EQ(during[0], "x:62.500000 ,y:281.000000 ,width:250.000000 ,height:250.000000");
    EXPECT_EQ(during[1], "x:67.500000 ,y:291.000000 ,width:250.000000 ,height:250.000000");
    EXPECT_EQ(during[3], "x:72.500000 ,y:301.000000 ,width:250.000000 ,height:250.000000");
}

TEST_F(DefaultAreaEditor, ResizingKeepsTheBoxAtLeast150PointsWide)
{
    auto editor = open();
    // The right edge band of the centred box, dragged 200 points leftwards.
    drag({ 300, 406 }, { 100, 406 });
    EXPECT_EQ(editor->marqelView()->frame(), CGRectMake(62.5, 281, 150, 250));
}

// The settings list reaches the editor only through the runtime: its class
// by name, and every message of its box and its buttons by selector. An
// editor made that way must work as one made directly.
TEST_F(DefaultAreaEditor, AnEditorMadeFromItsClassNameWorksThroughItsSelectors)
{
    Class named = objc_getClass("DefaultMarqelViewController");
    ASSERT_TRUE(named);
    auto editor = objc_cast<DefaultMarqelViewController>(class_createInstance(named));
    ASSERT_TRUE(editor);
    editor->setModalPresentationStyle(UIModalPresentationFullScreen);
    settings->presentViewController(editor, true, nullptr);
    RunLoop::main().runFor(1);
    UIApplication::sharedApplication()->layoutWindows();
    ASSERT_TRUE(objc_cast<DefaultResizableBox>(editor->marqelView()));

    std::size_t from = SystemLog::shared().lineCount();
    drag({ 187.5, 406 }, { 197.5, 426 });
    EXPECT_EQ(updateLines(from).size(), 4u) << "each of the box's messages reached the controller";
    tap(button(editor, "Save"));
    RunLoop::main().runFor(1);
    EXPECT_EQ(storedRectangle(), CGRectMake(72, 301, 250, 250));
    EXPECT_EQ(settings->presentedViewController(), nullptr);
}

}  // namespace
