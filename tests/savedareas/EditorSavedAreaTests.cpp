#include "tests/savedareas/OverlayFixture.h"

#include "common/SavedAreaStore.h"
#include "platform/foundation/Foundation.h"
#include "platform/foundation/UnreadableFile.h"
#include "platform/uikit/HapticsLog.h"
#include "platform/uikit/UIKit.h"
#include "tests/support/TestDevice.h"
#include "tweak/core/MarqelWindow.h"
#include "tweak/editor/MarqelToolButton.h"
#include "tweak/editor/MarqelViewController.h"
#include "tweak/editor/ResizableBox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using SavedAreaFormat::SavedArea;

class EditorSavedAreas : public OverlayFixture {
protected:
    // The user presses the save-area button and waits for the alert.
    std::shared_ptr<UIAlertController> openNameAlert()
    {
        tapCentre(editor->addButton());
        RunLoop::main().runFor(0.5);
        return std::dynamic_pointer_cast<UIAlertController>(editor->presentedViewController());
    }
    void saveWithName(const std::string& name)
    {
        auto alert = openNameAlert();
        ASSERT_NE(alert, nullptr);
        alert->textFields().front()->insertText(name);
        ASSERT_TRUE(alert->tapActionWithTitle("Save Custom Area"));
        RunLoop::main().runFor(0.5);
    }
    std::string file() const { return device.host(SavedAreaStore::devicePath); }
    std::string bytes() const
    {
        std::ifstream in(file(), std::ios::binary);
        std::stringstream out;
        out << in.rdbuf();
        return out.str();
    }
    std::vector<SavedArea> listed() const { return SavedAreaStore::list(*SavedAreaStore::load().dictionary); }
    std::shared_ptr<CAShapeLayer> cutOut() const { return std::dynamic_pointer_cast<CAShapeLayer>(editor->dimmingView()->layer()->mask()); }
};

TEST_F(EditorSavedAreas, TheSaveAreaButtonTapsOnceAndAsksForAName)
{
    auto alert = openNameAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(HapticsLog::shared().count(), 1u);
    EXPECT_EQ(alert->title(), "Marqel");
    EXPECT_EQ(alert->message(), "Enter the name you want to save the custom area so you can restore the area");
    EXPECT_EQ(alert->preferredStyle(), UIAlertControllerStyleAlert);
    ASSERT_EQ(alert->textFields().size(), 1u);
    EXPECT_EQ(alert->textFields()[0]->placeholder(), "Enter area name...");
    EXPECT_EQ(alert->textFields()[0]->text(), "");
    ASSERT_EQ(alert->actions().size(), 2u);
    EXPECT_EQ(alert->actions()[0]->title(), "Save Custom Area");
    EXPECT_EQ(alert->actions()[0]->style(), UIAlertActionStyleDefault);
    EXPECT_EQ(alert->actions()[1]->title(), "Cancel");
    EXPECT_EQ(alert->actions()[1]->style(), UIAlertActionStyleCancel);
}

TEST_F(EditorSavedAreas, SavingStoresTheBoxsCurrentRectangleUnderTheTypedName)
{
    editor->didSelectedSavedArea(CGRectMake(20.25, 100.1, 300, 180));
    std::string expectedId = SavedAreaFormat::identifierFor(RunLoop::main().clock().epochSeconds() + 0.5);
    auto alert = openNameAlert();
    ASSERT_NE(alert, nullptr);
    alert->textFields().front()->insertText("Reading");
    // The button on the card, as a finger would press it.
    tapCentre(alert->buttonForAction(alert->actions()[0]));
    RunLoop::main().runFor(0.5);
    EXPECT_EQ(editor->presentedViewController(), nullptr) << "the alert has closed";

    auto list = listed();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], (SavedArea { expectedId, expectedId, "Reading", 20.25, static_cast<double>(100.1f), 300, 180 }));
    ASSERT_NE(editor->mutableDict(), nullptr);
    EXPECT_EQ(editor->mutableDict()->contents(), SavedAreaStore::load().dictionary->contents())
        << "the editor keeps the dictionary it wrote";
}

TEST_F(EditorSavedAreas, ANameTypedOnTheKeyboardIsSavedWithReturnAndEscapeSavesNothing)
{
    auto app = UIApplication::sharedApplication();
    auto alert = openNameAlert();
    ASSERT_NE(alert, nullptr);
    // The field takes the keys at once; I is the window's invoke key and a
    // letter here.
    app->insertText("Inbox");
    ASSERT_TRUE(app->sendKeyPress(UIKey::keyWithInput(UIKeyboardHIDUsageKeyboardEscape, UIKeyInputEscape)));
    RunLoop::main().runFor(0.5);
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    EXPECT_TRUE(listed().empty());

    alert = openNameAlert();
    ASSERT_NE(alert, nullptr);
    app->insertText("Caf\u00E9 \U0001F1EB\U0001F1F7");
    ASSERT_TRUE(app->sendKeyPress(UIKey::keyWithInput(UIKeyboardHIDUsageKeyboardDeleteOrBackspace, "\b")));
    ASSERT_TRUE(app->sendKeyPress(UIKey::keyWithInput(UIKeyboardHIDUsageKeyboardReturnOrEnter, "\r")));
    RunLoop::main().runFor(0.5);
    auto list = listed();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "Caf\u00E9 ");
}

TEST_F(EditorSavedAreas, AnEmptyNameLeavesTheFileByteForByteUntouched)
{
    saveWithName("Home");
    std::string before = bytes();
    ASSERT_FALSE(before.empty());
    auto alert = openNameAlert();
    ASSERT_NE(alert, nullptr);
    ASSERT_TRUE(alert->tapActionWithTitle("Save Custom Area"));
    RunLoop::main().runFor(0.5);
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(editor->presentedViewController(), nullptr) << "the alert closes without a message";
}

TEST_F(EditorSavedAreas, AnEmptyNameWithNoFileCreatesNone)
{
    saveWithName("");
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_FALSE(fs::exists(fs::path(file()).parent_path()));
}

TEST_F(EditorSavedAreas, ANameOfSpacesIsStoredAsTyped)
{
    saveWithName("  ");
    auto list = listed();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "  ");
}

// The store refuses a name the file cannot keep for every reader. The
// user meant to save, so the same question comes back, empty, with no
// other message; nothing is written and the haptic is not repeated.
TEST_F(EditorSavedAreas, ANameTheFileCannotKeepAsksAgainAndWritesNothing)
{
    saveWithName("Home");
    std::string before = bytes();
    std::size_t mark = SystemLog::shared().lineCount();
    saveWithName("Line\nbreak");
    EXPECT_EQ(bytes(), before);
    auto again = std::dynamic_pointer_cast<UIAlertController>(editor->presentedViewController());
    ASSERT_NE(again, nullptr) << "the name is asked for again";
    EXPECT_EQ(again->title(), "Marqel");
    EXPECT_EQ(again->message(), "Enter the name you want to save the custom area so you can restore the area");
    ASSERT_EQ(again->textFields().size(), 1u);
    EXPECT_EQ(again->textFields()[0]->text(), "");
    EXPECT_EQ(HapticsLog::shared().count(), 2u) << "one tap for each press of the button, none for the question again";
    bool logged = false;
    for (const auto& line : SystemLog::shared().lines(mark))
        logged = logged || line.find("marqel: could not save the area: an area name must be UTF-8 text without control characters") != std::string::npos;
    EXPECT_TRUE(logged);

    again->textFields().front()->insertText("Work");
    ASSERT_TRUE(again->tapActionWithTitle("Save Custom Area"));
    RunLoop::main().runFor(0.5);
    auto list = listed();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].name, "Work");
}

// Pasted text can carry anything; what would make other readers refuse
// the whole file, or reach a terminal as control bytes, is asked for again.
TEST_F(EditorSavedAreas, EveryNameTheStoreRefusesIsAskedForAgain)
{
    saveWithName("Home");
    std::string before = bytes();
    for (const char* name : { "Ho\x01me\x0b", "tab\there", "surrogate \xED\xA0\x80", "overlong \xC0\x80", "beyond \xF4\x90\x80\x80",
             "nonchar \xEF\xBF\xBE" }) {
        saveWithName(name);
        EXPECT_EQ(bytes(), before) << SavedAreaFormat::listedText(name);
        auto again = std::dynamic_pointer_cast<UIAlertController>(editor->presentedViewController());
        ASSERT_NE(again, nullptr) << SavedAreaFormat::listedText(name) << " was not asked for again";
        ASSERT_TRUE(again->tapActionWithTitle("Cancel"));
        RunLoop::main().runFor(0.5);
    }
    ASSERT_EQ(listed().size(), 1u);
}

TEST_F(EditorSavedAreas, CancelSavesNothing)
{
    auto alert = openNameAlert();
    ASSERT_NE(alert, nullptr);
    alert->textFields().front()->insertText("Never");
    ASSERT_TRUE(alert->tapActionWithTitle("Cancel"));
    RunLoop::main().runFor(0.5);
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_EQ(editor->presentedViewController(), nullptr);
}

TEST_F(EditorSavedAreas, EachSaveAddsToWhatTheFileHoldsThen)
{
    saveWithName("One");
    // Another writer (the browser's delete, a hand edit) between two saves.
    auto contents = SavedAreaStore::load();
    contents.dictionary->setObject(SavedAreaFormat::makeRecord("77", "Elsewhere", CGRectMake(1, 2, 3, 4)), "77");
    ASSERT_TRUE(SavedAreaStore::save(contents, "77").ok());
    saveWithName("Two");
    auto list = listed();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].name, "One");
    EXPECT_EQ(list[1].name, "Elsewhere");
    EXPECT_EQ(list[2].name, "Two");
}

TEST_F(EditorSavedAreas, AnUnreadableFileSurvivesASaveFromTheEditor)
{
    fs::create_directories(fs::path(file()).parent_path());
    std::ofstream(file()) << "not a property list";
    saveWithName("Fresh");
    auto copies = foundation::unreadableCopiesOf(file());
    ASSERT_EQ(copies.size(), 1u);
    std::ifstream kept(copies[0]);
    std::string text((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "not a property list");
    ASSERT_EQ(listed().size(), 1u);
}

TEST_F(EditorSavedAreas, RestoringPutsTheBoxExactlyWhereTheRecordSaysEvenOffScreen)
{
    auto contents = SavedAreaStore::load();
    ASSERT_TRUE(SavedAreaStore::add(contents, "Corner", CGRectMake(-60.5, 700.25, 200.1, 250)).ok());
    auto area = listed().at(0);
    std::size_t haptics = HapticsLog::shared().count();
    msgSend<void>(editor, "didSelectedSavedArea:", SavedAreaFormat::rectangle(area));

    CGRect expected = CGRectMake(-60.5, 700.25, static_cast<double>(200.1f), 250);
    EXPECT_EQ(editor->marqelView()->frame(), expected) << "not fitted to the screen, not clamped to a minimum";
    auto mask = cutOut();
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(CGPathGetBoundingBox(mask->path()), CGRectMake(-60.5, 0, 450.5, 950.25))
        << "the box's rectangle and the screen";
    EXPECT_FALSE(mask->fillContainsPoint(CGPointMake(10, 800))) << "clear inside the box";
    EXPECT_TRUE(mask->fillContainsPoint(CGPointMake(10, 600))) << "dimmed above it";
    EXPECT_TRUE(mask->fillContainsPoint(CGPointMake(200, 800))) << "dimmed beside it";
    EXPECT_EQ(CGPathGetBoundingBox(editor->marqelView()->dashBorder()->path()), CGRectMake(0, 0, expected.size.width, 250))
        << "the outline follows the box";
    EXPECT_EQ(HapticsLog::shared().count(), haptics) << "restoring gives no tap";
}

TEST_F(EditorSavedAreas, TheSavedAreaSelectorsAnswerThroughTheRuntime)
{
    auto dictionary = alloc<NSMutableDictionary>();
    msgSend<void>(editor, "setMutableDict:", dictionary);
    EXPECT_EQ(msgSend<std::shared_ptr<NSMutableDictionary>>(editor, "mutableDict"), dictionary);
    msgSend<void>(editor, "addFavouritePressed");
    RunLoop::main().runFor(0.5);
    EXPECT_NE(std::dynamic_pointer_cast<UIAlertController>(editor->presentedViewController()), nullptr);
}

TEST_F(EditorSavedAreas, TheSavedAreasButtonStillGivesItsTap)
{
    tapCentre(editor->favButton());
    EXPECT_EQ(HapticsLog::shared().count(), 1u);
}

}  // namespace
