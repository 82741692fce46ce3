#include "kit/UIColor+ZRColours.h"
#include "kit/ZRColourText.h"
#include "kit/ZRPreferencesListViewController.h"
#include "kit/ZRPrefsHomeViewController.h"
#include "kit/ZRPrefsManager.h"
#include "kit/ZRTutorialViewController.h"
#include "kit/ZRUtilities.h"
#include "tests/uikit/UIKitTestSupport.h"

#include <fstream>

namespace {

constexpr const char* domain = "com.example.kittests";

// A product's home: records each tutorial request.
class RecordingHome : public ZRPrefsHomeViewController {
    MARQEL_OBJECT(RecordingHome, ZRPrefsHomeViewController)
public:
    void presentTutorialVC() { ++tutorials; }
    int tutorials = 0;
};

// A product's settings page, with one button action of its own.
class TestListPage : public ZRPreferencesListViewController {
    MARQEL_OBJECT(TestListPage, ZRPreferencesListViewController)
public:
    void viewDidLoad() override
    {
        ZRPreferencesListViewController::viewDidLoad();
        auto config = alloc<ZRPrefsConfig>();
        config->setTitleString("Settings");
        config->setPlistName("KitTestRows");
        updateWithPrefsConfig(config);
    }
    void presentDefaultAreaVC() { ++defaultAreas; }
    int defaultAreas = 0;
};

}  // namespace

MARQEL_DEFINE_CLASS(RecordingHome, method<&RecordingHome::presentTutorialVC>("presentTutorialVC"))
MARQEL_DEFINE_CLASS(TestListPage,
    method<&TestListPage::viewDidLoad>("viewDidLoad"),
    method<&TestListPage::presentDefaultAreaVC>("presentDefaultAreaVC"))

namespace {

const char* rowsResource = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>domain</key><string>com.example.kittests</string>
  <key>items</key><array>
    <dict><key>cell</key><string>group</string><key>label</key><string>Crop Box</string></dict>
    <dict><key>cell</key><string>switch</string><key>label</key><string>Dashed Line</string>
          <key>key</key><string>dashes</string><key>default</key><false/></dict>
    <dict><key>cell</key><string>switch</string><key>label</key><string>Haptics</string>
          <key>key</key><string>haptics</string><key>default</key><true/></dict>
    <dict><key>cell</key><string>colour</string><key>label</key><string>Border Colour</string>
          <key>key</key><string>border</string><key>default</key><string>FFFFFF</string></dict>
    <dict><key>cell</key><string>choice</string><key>label</key><string>Strength</string>
          <key>key</key><string>strength</string><key>default</key><integer>0</integer>
          <key>options</key><array><string>Soft</string><string>Light</string><string>Medium</string></array></dict>
    <dict><key>cell</key><string>button</string><key>label</key><string>Default Area</string>
          <key>action</key><string>presentDefaultAreaVC</string></dict>
    <dict><key>cell</key><string>button</string><key>label</key><string>Nothing Here</string>
          <key>action</key><string>noSuchAction</string></dict>
    <dict><key>cell</key><string>slider</string><key>label</key><string>Unknown</string></dict>
  </array>
</dict></plist>
)";

class KitScreenTest : public UIKitTest {
protected:
    void writeRows(const std::string& text)
    {
        std::ofstream(device.host("/KitTestRows.plist")) << text;
    }

    std::shared_ptr<TestListPage> shownList()
    {
        auto page = alloc<TestListPage>();
        window = shownWindow(page);
        window->layoutIfNeeded();
        return page;
    }

    std::shared_ptr<UIView> titled(const std::shared_ptr<UIView>& root, const std::string& text)
    {
        if (auto label = objc_cast<UILabel>(root); label && label->text() == text)
            return root;
        for (const auto& subview : root->subviews())
            if (auto found = titled(subview, text))
                return found;
        return nullptr;
    }

    void tapTitle(const std::string& text)
    {
        auto view = titled(window, text);
        ASSERT_TRUE(view) << text;
        tap(screenCentre(view));
    }

    std::optional<PlistValue> stored(const std::string& key)
    {
        return ZRPrefsManager::sharedInstance()->valueForKey(key, domain);
    }

    std::shared_ptr<UIAlertController> alert() const
    {
        return objc_cast<UIAlertController>(window->rootViewController()->presentedViewController());
    }

    std::shared_ptr<UIWindow> window;
};

// ---------------------------------------------------------------- the list

TEST_F(KitScreenTest, TheListShowsTheResourceRowsInOrderAndLeavesOutUnknownKinds)
{
    writeRows(rowsResource);
    auto page = shownList();
    EXPECT_EQ(page->title(), "Settings");
    EXPECT_EQ(page->domain(), domain);
    std::vector<std::string> labels;
    for (const auto& row : page->rows())
        labels.push_back(row.label);
    EXPECT_EQ(labels, (std::vector<std::string> { "Crop Box", "Dashed Line", "Haptics", "Border Colour", "Strength", "Default Area", "Nothing Here" }));
    // Unwritten keys show their defaults.
    EXPECT_FALSE(page->rowWithLabel("Dashed Line")->toggle->isOn());
    EXPECT_TRUE(page->rowWithLabel("Haptics")->toggle->isOn());
    EXPECT_EQ(page->rowWithLabel("Border Colour")->valueLabel->text(), "#FFFFFF");
    EXPECT_EQ(page->rowWithLabel("Strength")->choice->selectedSegmentIndex(), 0);
}

TEST_F(KitScreenTest, ASwitchRowWritesABoolFromATapOnItsTitleOrOnTheSwitch)
{
    writeRows(rowsResource);
    auto page = shownList();
    tapTitle("Dashed Line");
    ASSERT_TRUE(stored("dashes"));
    EXPECT_EQ(*stored("dashes"), PlistValue(true));
    EXPECT_TRUE(page->rowWithLabel("Dashed Line")->toggle->isOn());
    tap(screenCentre(page->rowWithLabel("Dashed Line")->toggle));
    EXPECT_EQ(*stored("dashes"), PlistValue(false));
    EXPECT_FALSE(page->rowWithLabel("Dashed Line")->toggle->isOn());
    // The other switch, on by default, turns off.
    tapTitle("Haptics");
    EXPECT_EQ(*stored("haptics"), PlistValue(false));
}

TEST_F(KitScreenTest, AChoiceRowWritesTheIntegerOfTheTappedSegment)
{
    writeRows(rowsResource);
    auto page = shownList();
    tapTitle("Medium");
    ASSERT_TRUE(stored("strength"));
    EXPECT_EQ(*stored("strength"), PlistValue(std::int64_t(2)));
    tapTitle("Light");
    EXPECT_EQ(*stored("strength"), PlistValue(std::int64_t(1)));
    EXPECT_EQ(page->rowWithLabel("Strength")->choice->selectedSegmentIndex(), 1);
}

TEST_F(KitScreenTest, AColourRowTakesSixHexDigitsThroughAnAlertTitledByItsLabel)
{
    writeRows(rowsResource);
    auto page = shownList();
    tapTitle("Border Colour");
    ASSERT_TRUE(alert());
    EXPECT_EQ(alert()->title(), "Border Colour");
    ASSERT_EQ(alert()->textFields().size(), 1u);
    EXPECT_EQ(alert()->textFields().front()->text(), "FFFFFF");
    alert()->textFields().front()->setText("ff9500");
    ASSERT_TRUE(alert()->tapActionWithTitle("Save"));
    ASSERT_TRUE(stored("border"));
    EXPECT_EQ(*stored("border"), PlistValue("FF9500"));
    EXPECT_EQ(page->rowWithLabel("Border Colour")->valueLabel->text(), "#FF9500");
    EXPECT_FALSE(alert());
}

TEST_F(KitScreenTest, AColourRowTakesTheFormsEveryOtherPathTakesAndStoresTheSixDigits)
{
    writeRows(rowsResource);
    auto page = shownList();
    for (auto [typed, kept] : { std::pair { "#FF9500", "FF9500" }, std::pair { "#a1b2c3", "A1B2C3" }, std::pair { "0a0B0c", "0A0B0C" } }) {
        tapTitle("Border Colour");
        ASSERT_TRUE(alert()) << typed;
        alert()->textFields().front()->setText(typed);
        ASSERT_TRUE(alert()->tapActionWithTitle("Save"));
        EXPECT_FALSE(alert()) << typed << " was refused";
        ASSERT_TRUE(stored("border"));
        EXPECT_EQ(*stored("border"), PlistValue(kept)) << typed;
        EXPECT_EQ(page->rowWithLabel("Border Colour")->valueLabel->text(), std::string("#") + kept);
    }
    // The editor opens on the kept form.
    tapTitle("Border Colour");
    EXPECT_EQ(alert()->textFields().front()->text(), "0A0B0C");
}

TEST_F(KitScreenTest, AColourRowRefusesAnythingButSixHexDigitsAndWritesNothing)
{
    writeRows(rowsResource);
    auto page = shownList();
    for (const char* wrong : { "12345G", "FFF", "", "##FF9500", "#", " FF950", "FF9500 ", "FF95001", "0xFF95" }) {
        tapTitle("Border Colour");
        ASSERT_TRUE(alert()) << wrong;
        alert()->textFields().front()->setText(wrong);
        ASSERT_TRUE(alert()->tapActionWithTitle("Save"));
        ASSERT_TRUE(alert()) << wrong;
        EXPECT_NE(alert()->message().find("six hexadecimal digits"), std::string::npos) << alert()->message();
        EXPECT_FALSE(stored("border")) << wrong;
        ASSERT_TRUE(alert()->tapActionWithTitle("OK"));
    }
    EXPECT_EQ(page->rowWithLabel("Border Colour")->valueLabel->text(), "#FFFFFF");
    // Cancel writes nothing either.
    tapTitle("Border Colour");
    alert()->textFields().front()->setText("000000");
    ASSERT_TRUE(alert()->tapActionWithTitle("Cancel"));
    EXPECT_FALSE(stored("border"));
}

// A megabyte pasted as a colour: the refusal quotes its start, cut with an
// ellipsis, and still says what to enter; nothing is stored.
TEST_F(KitScreenTest, ALongColourTextIsQuotedCutAndTheAdviceStillShows)
{
    writeRows(rowsResource);
    auto page = shownList();
    tapTitle("Border Colour");
    ASSERT_TRUE(alert());
    alert()->textFields().front()->setText(std::string(1000000, 'F'));
    ASSERT_TRUE(alert()->tapActionWithTitle("Save"));
    ASSERT_TRUE(alert());
    const std::string& message = alert()->message();
    EXPECT_LT(message.size(), 200u) << message.substr(0, 200);
    EXPECT_EQ(message.find("\"" + std::string(40, 'F') + "\u2026\" is not a colour"), 0u) << message.substr(0, 100);
    EXPECT_NE(message.find("six hexadecimal digits"), std::string::npos);
    EXPECT_FALSE(stored("border"));
    window->layoutIfNeeded();
    ASSERT_TRUE(alert()->tapActionWithTitle("OK"));
    EXPECT_EQ(page->rowWithLabel("Border Colour")->valueLabel->text(), "#FFFFFF");
}

TEST_F(KitScreenTest, AButtonRowSendsItsActionToThePageAndAMissingActionIsOnlyLogged)
{
    writeRows(rowsResource);
    auto page = shownList();
    tapTitle("Default Area");
    EXPECT_EQ(page->defaultAreas, 1);
    const std::size_t mark = SystemLog::shared().lineCount();
    tapTitle("Nothing Here");
    EXPECT_EQ(page->defaultAreas, 1);
    std::size_t said = 0;
    for (const auto& line : SystemLog::shared().lines(mark))
        said += line.find("has no action noSuchAction") != std::string::npos;
    EXPECT_EQ(said, 1u) << "the missing action is logged once";
    // ...and nothing else happens: no alert, no screen, the page stays.
    EXPECT_FALSE(alert());
    EXPECT_FALSE(page->presentedViewController());
    EXPECT_TRUE(page->view()->window());
}

// An action naming a method of another shape (one taking a string, one
// answering a value) would fail the call's type check and end the app: it
// is said once when the rows are read, and the button does nothing.
TEST_F(KitScreenTest, AnActionOfTheWrongShapeIsLoggedAndDoesNothing)
{
    std::string text = rowsResource;
    text.replace(text.find("noSuchAction"), std::string("noSuchAction").size(), "setTitle:");
    writeRows(text);
    const std::size_t mark = SystemLog::shared().lineCount();
    auto page = shownList();
    const std::string title = page->title();
    std::size_t said = 0;
    for (const auto& line : SystemLog::shared().lines(mark))
        said += line.find("\"Nothing Here\" names setTitle:") != std::string::npos && line.find("does nothing") != std::string::npos;
    EXPECT_EQ(said, 1u) << "the unusable action is said when the rows are read";
    tapTitle("Nothing Here");
    tapTitle("Nothing Here");
    EXPECT_EQ(page->title(), title);
    EXPECT_FALSE(alert());
    EXPECT_TRUE(page->view()->window());
    // The other button still works.
    tapTitle("Default Area");
    EXPECT_EQ(page->defaultAreas, 1);
}

TEST_F(KitScreenTest, AMissingOrDamagedResourceGivesAnEmptyList)
{
    EXPECT_TRUE(shownList()->rows().empty());
    for (const char* damaged : { "not a property list", "<plist><array/></plist>",
             "<plist><dict><key>items</key><array/></dict></plist>",
             "<plist><dict><key>domain</key><string>d</string><key>items</key><string>x</string></dict></plist>" }) {
        writeRows(damaged);
        auto page = shownList();
        EXPECT_TRUE(page->rows().empty()) << damaged;
        EXPECT_EQ(page->title(), "Settings");
    }
}

TEST_F(KitScreenTest, ARowWithAWronglyTypedDefaultIsLeftOut)
{
    writeRows(R"(<plist><dict><key>domain</key><string>com.example.kittests</string><key>items</key><array>
        <dict><key>cell</key><string>switch</string><key>label</key><string>A</string><key>key</key><string>a</string><key>default</key><string>yes</string></dict>
        <dict><key>cell</key><string>colour</string><key>label</key><string>B</string><key>key</key><string>b</string><key>default</key><string>white</string></dict>
        <dict><key>cell</key><string>choice</string><key>label</key><string>C</string><key>key</key><string>c</string></dict>
        <dict><key>cell</key><string>switch</string><key>label</key><string>D</string></dict>
        <dict><key>cell</key><string>switch</string><key>label</key><string>E</string><key>key</key><string>e</string></dict>
        </array></dict></plist>)");
    auto page = shownList();
    ASSERT_EQ(page->rows().size(), 1u);
    EXPECT_EQ(page->rows().front().label, "E");
}

TEST(ColourText, SixHexDigitsAfterAtMostOneHashInAnyCaseAreKeptInUpperCaseWithoutTheHash)
{
    for (auto [typed, kept] : { std::pair { "00ff9A", "00FF9A" }, std::pair { "#00ff9A", "00FF9A" }, std::pair { "FFFFFF", "FFFFFF" },
             std::pair { "#abcdef", "ABCDEF" } }) {
        auto text = zr::colourText(typed);
        ASSERT_TRUE(text) << typed;
        EXPECT_EQ(text.value(), kept);
    }
    for (const char* wrong : { "00ff9", "-0ff9A", "00ff9A ", " 00ff9A", "##00ff9A", "#", "", "00ff9A0", "0x00ff", "+0ff9A" }) {
        auto text = zr::colourText(wrong);
        ASSERT_FALSE(text) << wrong;
        EXPECT_NE(text.message().find("six hexadecimal digits"), std::string::npos) << text.message();
    }
    EXPECT_FALSE(zr::colourText(std::string_view("00ff\0"
                                                 "9A",
        7)))
        << "a NUL inside is no digit";
}

TEST(ColourText, TheManagerReadsAStoredColourInItsKeptFormAndTheSwatchFollowsTheSameRule)
{
    TestDevice device;
    auto manager = ZRPrefsManager::sharedInstance();
    ASSERT_TRUE(manager->writeValue(PlistValue("#ff9500"), "hand", domain));
    EXPECT_EQ(manager->colourHexForKey("hand", "FFFFFF", domain), "FF9500") << "a hand-written '#' and lower case read as the kept form";
    ASSERT_TRUE(manager->writeValue(PlistValue("ff95"), "hand", domain));
    EXPECT_EQ(manager->colourHexForKey("hand", "FFFFFF", domain), "FFFFFF");
    EXPECT_TRUE(zr::colourFromHex("#FF9500")->isEqual(zr::colourFromHex("ff9500")));
    EXPECT_EQ(zr::colourFromHex("##FF9500"), nullptr);
}

// ---------------------------------------------------------------- the rows resource, without views

PlistValue resource(const std::string& text)
{
    auto parsed = plist::parse(text);
    EXPECT_TRUE(parsed) << parsed.message();
    return parsed ? parsed.release() : PlistValue();
}

TEST(RowsResource, EachItemBecomesARowInOrderWithItsKindKeyAndDefault)
{
    auto rows = ZRPreferencesListViewController::parseRows(resource(rowsResource));
    ASSERT_TRUE(rows) << rows.message();
    EXPECT_EQ(rows.value().domain, domain);
    using Kind = ZRPreferencesListViewController::RowKind;
    const auto& list = rows.value().rows;
    ASSERT_EQ(list.size(), 7u);
    EXPECT_EQ(list[0].kind, Kind::Group);
    EXPECT_EQ(list[0].label, "Crop Box");
    EXPECT_EQ(list[1].kind, Kind::Switch);
    EXPECT_EQ(list[1].key, "dashes");
    EXPECT_EQ(list[1].defaultValue, PlistValue(false));
    EXPECT_EQ(list[2].defaultValue, PlistValue(true));
    EXPECT_EQ(list[3].kind, Kind::Colour);
    EXPECT_EQ(list[3].defaultValue, PlistValue("FFFFFF"));
    EXPECT_EQ(list[4].kind, Kind::Choice);
    EXPECT_EQ(list[4].options, (std::vector<std::string> { "Soft", "Light", "Medium" }));
    EXPECT_EQ(list[4].defaultValue, PlistValue(std::int64_t(0)));
    EXPECT_EQ(list[5].kind, Kind::Button);
    EXPECT_EQ(list[5].action, "presentDefaultAreaVC");
    EXPECT_EQ(list[6].action, "noSuchAction");
    EXPECT_FALSE(list[1].view) << "no view is built while reading";
    ASSERT_EQ(rows.value().leftOut.size(), 1u);
    EXPECT_NE(rows.value().leftOut[0].find("unknown kind \"slider\""), std::string::npos) << rows.value().leftOut[0];
}

TEST(RowsResource, AColourDefaultIsKeptInTheSameFormAsAStoredColour)
{
    auto rows = ZRPreferencesListViewController::parseRows(resource(R"(<plist><dict><key>domain</key><string>d</string><key>items</key><array>
        <dict><key>cell</key><string>colour</string><key>label</key><string>A</string><key>key</key><string>a</string><key>default</key><string>#ff9500</string></dict>
        <dict><key>cell</key><string>colour</string><key>label</key><string>B</string><key>key</key><string>b</string></dict>
        </array></dict></plist>)"));
    ASSERT_TRUE(rows) << rows.message();
    ASSERT_EQ(rows.value().rows.size(), 2u);
    EXPECT_EQ(rows.value().rows[0].defaultValue, PlistValue("FF9500"));
    EXPECT_EQ(rows.value().rows[1].defaultValue, PlistValue("FFFFFF"));
}

TEST(RowsResource, EveryItemLeftOutSaysWhy)
{
    auto rows = ZRPreferencesListViewController::parseRows(resource(R"(<plist><dict><key>domain</key><string>d</string><key>items</key><array>
        <string>not a row</string>
        <dict><key>label</key><string>No Kind</string></dict>
        <dict><key>cell</key><string>button</string><key>label</key><string>Idle</string></dict>
        <dict><key>cell</key><string>switch</string><key>label</key><string>Keyless</string></dict>
        <dict><key>cell</key><string>choice</string><key>label</key><string>Empty</string><key>key</key><string>c</string><key>options</key><array/></dict>
        <dict><key>cell</key><string>choice</string><key>label</key><string>Mixed</string><key>key</key><string>c</string><key>options</key><array><integer>1</integer></array></dict>
        <dict><key>cell</key><string>colour</string><key>label</key><string>Named</string><key>key</key><string>k</string><key>default</key><string>white</string></dict>
        </array></dict></plist>)"));
    ASSERT_TRUE(rows) << rows.message();
    EXPECT_TRUE(rows.value().rows.empty());
    std::vector<std::string> expected { "not a dictionary", "no \"cell\" kind", "the button \"Idle\" has no action", "the row \"Keyless\" has no key",
        "the choice \"Empty\" has no options", "the choice \"Mixed\" has an option that is not a string",
        "the colour \"Named\" has a default that is not six hexadecimal digits" };
    ASSERT_EQ(rows.value().leftOut.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NE(rows.value().leftOut[i].find(expected[i]), std::string::npos) << rows.value().leftOut[i];
}

TEST(RowsResource, WithoutADomainOrAnItemArrayThereAreNoRowsAndTheReasonIsGiven)
{
    struct Case {
        const char* text;
        const char* why;
    };
    for (auto [text, why] : { Case { "<plist><array/></plist>", "not a dictionary" },
             Case { "<plist><dict><key>items</key><array/></dict></plist>", "no preference domain" },
             Case { "<plist><dict><key>domain</key><string></string><key>items</key><array/></dict></plist>", "no preference domain" },
             Case { "<plist><dict><key>domain</key><string>d</string><key>items</key><string>x</string></dict></plist>", "no item array" } }) {
        auto rows = ZRPreferencesListViewController::parseRows(resource(text));
        ASSERT_FALSE(rows) << text;
        EXPECT_NE(rows.message().find(why), std::string::npos) << rows.message();
    }
}

// ---------------------------------------------------------------- the home

class HomeTest : public KitScreenTest {
protected:
    void SetUp() override
    {
        home = alloc<RecordingHome>();
        navigation = alloc<UINavigationController>(home);
        window = shownWindow(navigation);
        auto config = alloc<ZRPrefsConfig>();
        config->setTweakName("Demo");
        config->setTweakVersion("v1.0");
        config->setSinglePrefsClassName("TestListPage");
        home->view();
        home->updateWithPrefsConfig(config);
        window->layoutIfNeeded();
    }
    std::shared_ptr<RecordingHome> home;
    std::shared_ptr<UINavigationController> navigation;
};

TEST_F(HomeTest, TheHeaderShowsTheNameAndVersionAndTheToggleAreaHasItsSize)
{
    EXPECT_EQ(home->nameLabel()->text(), "Demo");
    EXPECT_EQ(home->versionLabel()->text(), "v1.0");
    auto container = home->toggleContainerView();
    ASSERT_TRUE(container->superview());
    EXPECT_EQ(container->bounds().size.height, ZRPrefsHomeViewController::toggleContainerHeight);
    EXPECT_EQ(container->bounds().size.width, window->bounds().size.width);
}

TEST_F(HomeTest, SettingsPushesANewInstanceOfTheNamedClass)
{
    tapTitle("Settings");
    RunLoop::main().runFor(1);
    auto top = objc_cast<TestListPage>(navigation->topViewController());
    ASSERT_TRUE(top);
    EXPECT_EQ(home->tutorials, 0);
}

TEST_F(HomeTest, AMissingSettingsClassIsLoggedAndNothingOpens)
{
    auto config = alloc<ZRPrefsConfig>();
    config->setSinglePrefsClassName("NoSuchPageClass");
    home->updateWithPrefsConfig(config);
    window->layoutIfNeeded();
    tapTitle("Settings");
    RunLoop::main().runFor(1);
    EXPECT_EQ(navigation->topViewController(), home);
}

TEST_F(HomeTest, TutorialAsksTheProductsHomeThroughTheRuntime)
{
    tapTitle("Tutorial");
    EXPECT_EQ(home->tutorials, 1);
    // The kit's own home has no tutorial: nothing happens, nothing breaks.
    auto plain = alloc<ZRPrefsHomeViewController>();
    plain->view();
    plain->updateWithPrefsConfig(alloc<ZRPrefsConfig>());
    plain->openTutorial();
}

TEST_F(HomeTest, ARebuildKeepsWhatTheToggleAreaHolds)
{
    auto toggle = home->toggleContainerView()->add<UIView>();
    home->updateWithPrefsConfig(home->prefsConfig());
    EXPECT_EQ(toggle->superview(), home->toggleContainerView());
    EXPECT_TRUE(home->toggleContainerView()->isDescendantOfView(home->view().get()));
}

// ---------------------------------------------------------------- the tutorial

TEST_F(KitScreenTest, TheTutorialShowsItsPagesInOrderAndScrolls)
{
    std::vector<std::shared_ptr<ZRTutorialData>> pages;
    for (int i = 0; i < 8; ++i)
        pages.push_back(alloc<ZRTutorialData>("Page " + std::to_string(i) + ": " + std::string(180, 'x'),
            i == 0 ? "timer" : std::to_string(i) + ".square.fill"));
    auto host = alloc<UIViewController>();
    window = shownWindow(host);
    auto tutorial = alloc<ZRTutorialViewController>("Demo", "A walk through", pages);
    host->presentViewController(tutorial, true, nullptr);
    RunLoop::main().runFor(1);
    EXPECT_EQ(tutorial->titleLabel()->text(), "Demo");
    EXPECT_EQ(tutorial->subtitleLabel()->text(), "A walk through");
    ASSERT_EQ(tutorial->pages().size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) {
        const auto& page = tutorial->pages()[i];
        EXPECT_EQ(page.textLabel->text(), pages[i]->descriptionText());
        ASSERT_TRUE(page.iconView->image()) << i;
        EXPECT_EQ(page.iconView->image()->symbolName(), pages[i]->icon());
        EXPECT_EQ(page.textLabel->numberOfLines(), 0);
        // Long texts wrap onto several lines.
        EXPECT_GT(page.textLabel->frame().size.height, 2 * page.textLabel->font()->lineHeight());
        if (i > 0) {
            EXPECT_GT(page.row->frame().origin.y, tutorial->pages()[i - 1].row->frame().origin.y);
        }
    }
    auto shown = tutorial->visiblePageIndexes();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), 0u);
    EXPECT_LT(shown.back(), 7u);

    CGPoint bottom = tutorial->scrollView()->maximumContentOffset();
    ASSERT_GT(bottom.y, 0);
    auto scroll = tutorial->scrollView();
    CGPoint from = scroll->convertPointToScreen({ 100, scroll->contentOffset().y + 600 });
    auto app = UIApplication::sharedApplication();
    app->sendTouch(UITouchPhaseBegan, from);
    for (int step = 1; step <= 10; ++step)
        app->sendTouch(UITouchPhaseMoved, { from.x, from.y - step * 50.0 });
    app->sendTouch(UITouchPhaseEnded, { from.x, from.y - 500 });
    EXPECT_GT(scroll->contentOffset().y, 0);
    EXPECT_EQ(tutorial->visiblePageIndexes().back(), 7u);

    tap(screenCentre(tutorial->closeButton()));
    RunLoop::main().runFor(1);
    EXPECT_FALSE(host->presentedViewController());
}

TEST_F(KitScreenTest, AHapticOfStrengthZeroPlaysOneLightTap)
{
    ZRUtilities::sharedInstance()->haptic(0);
    auto impacts = HapticsLog::shared().impacts();
    ASSERT_EQ(impacts.size(), 1u);
    EXPECT_EQ(impacts.front().style, UIImpactFeedbackStyleLight);
    ZRUtilities::sharedInstance()->haptic(9);
    EXPECT_EQ(HapticsLog::shared().count(), 1u);
    EXPECT_EQ(msgSendClass<std::shared_ptr<ZRUtilities>>(ZRUtilities::classObject(), "sharedInstance"), ZRUtilities::sharedInstance());
}

}  // namespace
