// The settings home, its enable switch, the tutorial and the settings page,
// driven as the Settings app shows them: inside a navigation controller in
// a window, on the virtual clock.

#include "common/MarqelPreferences.h"
#include "kit/UIColor+ZRColours.h"
#include "kit/ZRPreferencesListViewController.h"
#include "kit/ZRTutorialViewController.h"
#include "platform/foundation/Foundation.h"
#include "platform/render/Compositor.h"
#include "platform/render/Surface.h"
#include "platform/uikit/HapticsLog.h"
#include "platform/uikit/UIKit.h"
#include "prefs/DefaultMarqelViewController.h"
#include "prefs/MRQConfigViewController.h"
#include "prefs/MRQHomeViewController.h"
#include "prefs/MRQToggleView.h"
#include "prefs/TutorialPages.h"
#include "tests/render/PictureAuditCheck.h"
#include "tests/render/ScreenInk.h"
#include "tests/support/TestDevice.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {
namespace P = MarqelPreferences;

class SettingsScreens : public ::testing::Test {
protected:
    void SetUp() override
    {
        UIApplication::sharedApplication()->reset();
        UITraitCollection::setSystemUserInterfaceStyle(UIUserInterfaceStyleLight);
        HapticsLog::shared().clear();
        // The rows resource where the bundle keeps it; the list finds it
        // through the bundle of its class (the main bundle in a test).
        std::string resource = device.host(NSBundle::mainBundle()->bundlePath() + "/PrimarySetting.plist");
        std::filesystem::create_directories(std::filesystem::path(resource).parent_path());
        std::filesystem::copy_file(MARQEL_PRIMARY_SETTING, resource, std::filesystem::copy_options::overwrite_existing);
    }
    void TearDown() override
    {
        UIApplication::sharedApplication()->reset();
        UITraitCollection::setSystemUserInterfaceStyle(UIUserInterfaceStyleLight);
    }

    // A fresh Settings app showing the home, as the host starts it.
    std::shared_ptr<MRQHomeViewController> openHome()
    {
        auto home = alloc<MRQHomeViewController>();
        navigation = alloc<UINavigationController>(home);
        window = alloc<UIWindow>(UIScreen::mainScreen()->bounds());
        window->setRootViewController(navigation);
        window->makeKeyAndVisible();
        RunLoop::main().runFor(0.5);
        UIApplication::sharedApplication()->layoutWindows();
        return home;
    }
    std::shared_ptr<MRQToggleView> toggleOf(const std::shared_ptr<MRQHomeViewController>& home)
    {
        for (const auto& view : home->toggleContainerView()->subviews())
            if (auto toggle = objc_cast<MRQToggleView>(view))
                return toggle;
        return nullptr;
    }
    static void tap(const std::shared_ptr<UIView>& view)
    {
        CGRect bounds = view->bounds();
        CGPoint centre = view->convertPointToScreen(CGPointMake(CGRectGetMidX(bounds), CGRectGetMidY(bounds)));
        UIApplication::sharedApplication()->sendTouch(UITouchPhaseBegan, centre);
        UIApplication::sharedApplication()->sendTouch(UITouchPhaseEnded, centre);
    }
    static std::string hint(const std::shared_ptr<UIViewController>& home)
    {
        auto alert = objc_cast<UIAlertController>(home->presentedViewController());
        return alert ? alert->title() : "none";
    }

    TestDevice device;
    std::shared_ptr<UINavigationController> navigation;
    std::shared_ptr<UIWindow> window;
};

TEST_F(SettingsScreens, TheHintShowsOnEveryLoadUntilOKAndNeverAfter)
{
    auto home = openHome();
    EXPECT_EQ(hint(home), "Marqel");
    auto alert = objc_cast<UIAlertController>(home->presentedViewController());
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->message(),
        "You will need to open the Settings app then open the Control Center section and find the (Marqel) module then press on "
        "the green plus button to add it to your control center.");
    ASSERT_EQ(alert->actions().size(), 1u);
    EXPECT_EQ(alert->actions()[0]->title(), "OK");

    // Leaving the app with the hint up writes nothing: it comes back.
    EXPECT_FALSE(P::manager()->valueForKey(P::didShowControlCenterAlert.name, P::domain));
    UIApplication::sharedApplication()->reset();
    home = openHome();
    EXPECT_EQ(hint(home), "Marqel");

    ASSERT_TRUE(objc_cast<UIAlertController>(home->presentedViewController())->tapActionWithTitle("OK"));
    EXPECT_TRUE(P::read(P::didShowControlCenterAlert));
    UIApplication::sharedApplication()->reset();
    home = openHome();
    EXPECT_EQ(hint(home), "none");
}

TEST_F(SettingsScreens, TheHomeDescribesTheProduct)
{
    ASSERT_TRUE(P::manager()->setBool(true, P::didShowControlCenterAlert.name, P::domain));
    auto home = openHome();
    auto config = home->config();
    ASSERT_TRUE(config);
    EXPECT_EQ(config->tweakName(), "Marqel");
    EXPECT_EQ(config->tweakVersion(), "v1.2");
    EXPECT_EQ(config->singlePrefsClassName(), "MRQConfigViewController");
    EXPECT_FALSE(config->isCategoriesAvailable());
    EXPECT_FALSE(config->isTutorialVideoAvailable());
    // No pictures in this device root: the home is built all the same.
    EXPECT_FALSE(config->heroCover());
    ASSERT_TRUE(toggleOf(home));
    EXPECT_EQ(toggleOf(home)->frame(), home->toggleContainerView()->bounds()) << "the switch fills its container";
}

TEST_F(SettingsScreens, TheTutorialPlaysOneTapThenShowsItsEightPagesInOrder)
{
    ASSERT_TRUE(P::manager()->setBool(true, P::didShowControlCenterAlert.name, P::domain));
    auto home = openHome();
    std::size_t before = HapticsLog::shared().count();
    home->presentTutorialVC();
    // The tap comes first: the impact is recorded before the tutorial is up.
    auto impacts = HapticsLog::shared().impacts();
    ASSERT_EQ(impacts.size(), before + 1);
    EXPECT_EQ(impacts.back().style, UIImpactFeedbackStyleLight);
    RunLoop::main().runFor(0.5);

    auto tutorial = objc_cast<ZRTutorialViewController>(home->presentedViewController());
    ASSERT_TRUE(tutorial);
    EXPECT_EQ(tutorial->tweakName(), "Marqel");
    EXPECT_EQ(tutorial->subtitle(), "A walk through tutorial how to use Marqel");
    const auto& pages = tutorial->tutorialArray();
    ASSERT_EQ(pages.size(), 8u);
    const char* icons[] = { "timer", "1.square.fill", "2.square.fill", "3.square.fill", "4.square.fill", "5.square.fill",
        "6.square.fill", "7.square.fill" };
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(pages[i]->icon(), icons[i]);
        EXPECT_EQ(pages[i]->descriptionText(), TutorialPages::all[i].text);
    }
    // The texts as the user reads them, trailing spaces and apostrophes kept.
    EXPECT_EQ(pages[1]->descriptionText(),
        "To get started, enable the tweak, respring your device then open the Settings app via the Control Center section and "
        "find Marqel then tap the green plus button to add it. ");
    EXPECT_EQ(pages[6]->descriptionText(),
        "If you want to use the microphone while screen recording then enable it. Tap on the red recording button to start "
        "screen recording. Once you\u2019re finished with screen recording tap on the red bar from the status bar to end the "
        "recording.");
    EXPECT_EQ(pages[7]->descriptionText(),
        "Give it a few seconds to minutes to render the cropped video depending on the duration of the screen recording. You "
        "will receive a notification once it\u2019s been completed, then open Photo app. ");
    EXPECT_EQ(pages[0]->descriptionText(), "Please take a few minutes of your time to read through to get started.");
    EXPECT_EQ(pages[3]->descriptionText(),
        "Once Marqel appears, you can drag the selection area around, resize it and Expand or Minimise the area. ");
    EXPECT_EQ(pages[5]->descriptionText().back(), ' ');
}

// Every page's icon stands level with the page's first line, whether the
// page has two lines or seven, and every page can be scrolled into view.
// Short pages used to start about ten points below their icon, as the
// label was made taller than the lines the text breaks into.
TEST_F(SettingsScreens, EachTutorialIconIsLevelWithItsPagesFirstLine)
{
    ASSERT_TRUE(P::manager()->setBool(true, P::didShowControlCenterAlert.name, P::domain));
    auto home = openHome();
    home->presentTutorialVC();
    RunLoop::main().runFor(0.5);
    auto tutorial = objc_cast<ZRTutorialViewController>(home->presentedViewController());
    ASSERT_TRUE(tutorial);
    auto scroll = tutorial->scrollView();
    const auto& pages = tutorial->pages();
    ASSERT_EQ(pages.size(), 8u);
    std::vector<bool> seen(pages.size(), false);
    for (int screenful = 0; screenful < 4; ++screenful) {
        UIApplication::sharedApplication()->layoutWindows();
        render::Compositor::shared().invalidate();
        const render::Surface& screen = render::Compositor::shared().renderSurface();
        EXPECT_TRUE(audit::readsWell("tutorial-" + std::to_string(screenful)));
        CGRect visible = scroll->convertRectToScreen(scroll->bounds());
        for (std::size_t i = 0; i < pages.size(); ++i) {
            CGRect icon = pages[i].iconView->convertRectToScreen(pages[i].iconView->bounds());
            CGRect text = pages[i].textLabel->convertRectToScreen(pages[i].textLabel->bounds());
            if (CGRectGetMinY(icon) < CGRectGetMinY(visible) || CGRectGetMaxY(text) > CGRectGetMaxY(visible)
                || CGRectGetMaxY(text) > UIScreen::mainScreen()->bounds().size.height)
                continue;
            seen[i] = true;
            SCOPED_TRACE("page " + std::to_string(i + 1));
            ink::Pixel page = ink::at(screen, CGRectGetMinX(icon) - 4, CGRectGetMidY(icon));
            ink::Box symbol = ink::bounds(screen, icon, page);
            ink::Box firstLine = ink::firstBand(screen, text, page);
            ASSERT_TRUE(symbol.found && firstLine.found);
            EXPECT_LE(firstLine.height(), 20) << "one line, not the whole text";
            // Level to two points (the ink of a line is not centred in it:
            // capitals rise above the middle, descenders fall below), however
            // many lines the page has: lines are drawn as far apart as they
            // are laid out, where a seven-line page used to sit three points
            // low.
            EXPECT_NEAR((symbol.minY + symbol.maxY) / 2, (firstLine.minY + firstLine.maxY) / 2, 2);
            ink::Box all = ink::bounds(screen, text, page);
            EXPECT_LE(all.maxY, CGRectGetMaxY(text)) << "no line is cut off";
        }
        CGPoint offset = scroll->contentOffset();
        scroll->setContentOffset(CGPointMake(offset.x, offset.y + scroll->bounds().size.height / 2));
    }
    for (std::size_t i = 0; i < seen.size(); ++i)
        EXPECT_TRUE(seen[i]) << "page " << i + 1 << " is never wholly on the screen";
}

TEST_F(SettingsScreens, TheSwitchOpensDisabledOnAFreshDomain)
{
    auto toggle = alloc<MRQToggleView>()->initWithFrame(CGRectMake(0, 0, 200, 130));
    EXPECT_FALSE(toggle->isEnabled());
    EXPECT_EQ(toggle->disabledView()->alpha(), 1);
    EXPECT_EQ(toggle->enabledView()->alpha(), 0);
    EXPECT_EQ(toggle->statusLabel()->text(), "Disabled");
    // The disabled card lies above the enabled one, so it takes the taps.
    auto& cards = toggle->subviews();
    auto above = std::find(cards.begin(), cards.end(), toggle->disabledView());
    auto below = std::find(cards.begin(), cards.end(), toggle->enabledView());
    EXPECT_GT(above - below, 0);
}

// The word under the switch is drawn: its label takes its text's size from
// layout (it is pinned by one edge only) and its pixels differ from the
// page behind it. It used to be created at no size and never shown.
TEST_F(SettingsScreens, TheSwitchsStatusWordIsDrawnUnderIt)
{
    ASSERT_TRUE(P::manager()->setBool(true, P::didShowControlCenterAlert.name, P::domain));
    auto home = openHome();
    auto toggle = toggleOf(home);
    ASSERT_TRUE(toggle);
    auto label = toggle->statusLabel();
    CGRect onScreen = label->convertRectToScreen(label->bounds());
    EXPECT_GT(onScreen.size.width, 40) << "as wide as \"Disabled\" in bold 14 points";
    EXPECT_GT(onScreen.size.height, 14);
    CGRect card = toggle->disabledView()->convertRectToScreen(toggle->disabledView()->bounds());
    EXPECT_GE(onScreen.origin.y, CGRectGetMaxY(card)) << "below the switch, not under it";
    EXPECT_NEAR(CGRectGetMidX(onScreen), CGRectGetMidX(card), 1);

    const render::Surface& screen = render::Compositor::shared().renderSurface();
    double scale = UIScreen::mainScreen()->scale();
    auto background = screen.pixel(static_cast<int>(CGRectGetMinX(onScreen) * scale) - 4, static_cast<int>(CGRectGetMidY(onScreen) * scale));
    int inked = 0;
    for (int y = static_cast<int>(CGRectGetMinY(onScreen) * scale); y < static_cast<int>(CGRectGetMaxY(onScreen) * scale); ++y)
        for (int x = static_cast<int>(CGRectGetMinX(onScreen) * scale); x < static_cast<int>(CGRectGetMaxX(onScreen) * scale); ++x) {
            auto p = screen.pixel(x, y);
            if (std::abs(p[0] - background[0]) + std::abs(p[1] - background[1]) + std::abs(p[2] - background[2]) > 60)
                ++inked;
        }
    EXPECT_GT(inked, 200) << "the word's strokes are on the screen";
}

TEST_F(SettingsScreens, TurningOnStoresYesAndCrossfadesWithoutAShrink)
{
    ASSERT_TRUE(P::manager()->setBool(true, P::didShowControlCenterAlert.name, P::domain));
    auto home = openHome();
    auto toggle = toggleOf(home);
    ASSERT_TRUE(toggle);
    std::size_t impacts = HapticsLog::shared().count();
    tap(toggle->disabledView());
    EXPECT_EQ(HapticsLog::shared().count(), impacts + 1);
    EXPECT_EQ(HapticsLog::shared().impacts().back().style, UIImpactFeedbackStyleLight);
    EXPECT_TRUE(P::read(P::toggleMarqel));
    EXPECT_EQ(toggle->statusLabel()->text(), "Enabled") << "the label changes at once";
    EXPECT_TRUE(CGAffineTransformIsIdentity(toggle->enabledView()->presentationTransform())) << "no shrink on turning on";

    RunLoop::main().runFor(0.2);
    EXPECT_GT(toggle->enabledView()->presentationAlpha(), 0.05);
    EXPECT_LT(toggle->enabledView()->presentationAlpha(), 0.95);
    EXPECT_TRUE(CGAffineTransformIsIdentity(toggle->enabledView()->presentationTransform()));
    RunLoop::main().runFor(0.21);
    EXPECT_EQ(toggle->enabledView()->presentationAlpha(), 1);
    EXPECT_EQ(toggle->disabledView()->presentationAlpha(), 0);
}

TEST_F(SettingsScreens, TurningOffStoresNoShrinksAtOnceAndGrowsBackOverSixTenths)
{
    ASSERT_TRUE(P::manager()->setBool(true, P::didShowControlCenterAlert.name, P::domain));
    ASSERT_TRUE(P::manager()->setBool(true, P::toggleMarqel.name, P::domain));
    auto home = openHome();
    auto toggle = toggleOf(home);
    ASSERT_TRUE(toggle);
    EXPECT_EQ(toggle->statusLabel()->text(), "Enabled");
    tap(toggle->enabledView());
    EXPECT_FALSE(P::read(P::toggleMarqel));
    EXPECT_EQ(toggle->statusLabel()->text(), "Disabled");
    EXPECT_NEAR(toggle->enabledView()->presentationTransform().a, 0.9, 1e-9) << "shrunk at once";

    RunLoop::main().runFor(0.3);
    double midway = toggle->enabledView()->presentationTransform().a;
    EXPECT_GT(midway, 0.9);
    EXPECT_LT(midway, 1.0);
    EXPECT_LT(toggle->enabledView()->presentationAlpha(), 0.5) << "the crossfade runs alongside";
    RunLoop::main().runFor(0.31);
    EXPECT_TRUE(CGAffineTransformIsIdentity(toggle->enabledView()->presentationTransform()));
    EXPECT_EQ(toggle->enabledView()->presentationAlpha(), 0);
    EXPECT_EQ(toggle->disabledView()->presentationAlpha(), 1);
}

TEST_F(SettingsScreens, FastRepeatedTapsEndOnTheStoredValue)
{
    ASSERT_TRUE(P::manager()->setBool(true, P::didShowControlCenterAlert.name, P::domain));
    auto home = openHome();
    auto toggle = toggleOf(home);
    ASSERT_TRUE(toggle);
    for (int i = 0; i < 5; ++i) {
        // Whichever card is visible now takes the tap.
        tap(toggle->isEnabled() ? toggle->enabledView() : toggle->disabledView());
        RunLoop::main().runFor(0.05);
    }
    RunLoop::main().runFor(1);
    bool stored = P::read(P::toggleMarqel);
    EXPECT_TRUE(stored) << "five taps from off end on";
    EXPECT_EQ(toggle->isEnabled(), stored);
    EXPECT_EQ(toggle->statusLabel()->text(), stored ? "Enabled" : "Disabled");
    EXPECT_EQ(toggle->enabledView()->presentationAlpha(), stored ? 1 : 0);
    EXPECT_EQ(toggle->disabledView()->presentationAlpha(), stored ? 0 : 1);
}

TEST_F(SettingsScreens, AnAppearanceChangeReappliesTheSixColours)
{
    ASSERT_TRUE(P::manager()->setBool(true, P::didShowControlCenterAlert.name, P::domain));
    auto home = openHome();
    auto toggle = toggleOf(home);
    ASSERT_TRUE(toggle);
    UITraitCollection::setSystemUserInterfaceStyle(UIUserInterfaceStyleDark);
    auto dark = [](const std::shared_ptr<UIColor>& colour) {
        return colour->resolvedColorWithTraitCollection(UITraitCollection::traitCollectionWithUserInterfaceStyle(UIUserInterfaceStyleDark))->CGColor();
    };
    EXPECT_TRUE(CGColorEqualToColor(toggle->enabledView()->layer()->shadowColor(), dark(zr::enabledShadowColour())));
    EXPECT_TRUE(CGColorEqualToColor(toggle->enabledView()->layer()->borderColor(), dark(zr::enabledBorderColour())));
    EXPECT_TRUE(CGColorEqualToColor(toggle->disabledView()->layer()->shadowColor(), dark(zr::disabledShadowColour())));
    EXPECT_TRUE(CGColorEqualToColor(toggle->disabledView()->layer()->borderColor(), dark(zr::disabledBorderColour())));
    EXPECT_TRUE(CGColorEqualToColor(toggle->enabledView()->layer()->backgroundColor(), dark(zr::enabledColour())));
    EXPECT_TRUE(CGColorEqualToColor(toggle->disabledView()->layer()->backgroundColor(), dark(zr::disabledColour())));
}

TEST_F(SettingsScreens, TheSettingsPageHasARowForEveryKeyItWritesAndOpensTheEditor)
{
    ASSERT_TRUE(P::manager()->setBool(true, P::didShowControlCenterAlert.name, P::domain));
    auto home = openHome();
    auto page = alloc<MRQConfigViewController>();
    navigation->pushViewController(page, false);
    RunLoop::main().runFor(0.5);
    EXPECT_EQ(page->navigationItem()->title(), "Settings");
    std::set<std::string> keys;
    const ZRPreferencesListViewController::Row* area = nullptr;
    for (const auto& row : page->rows()) {
        if (!row.key.empty())
            keys.insert(row.key);
        if (row.label == "Default Area")
            area = &row;
    }
    for (const char* key : { "areaHandlerColour", "areaBorderColour", "toggleDashLine", "toggleHaptic", "marqelHapticStrength",
             "toggleKeepOriginalVideo" })
        EXPECT_TRUE(keys.count(key)) << key << " has no row";
    ASSERT_TRUE(area);
    EXPECT_EQ(area->kind, ZRPreferencesListViewController::RowKind::Button);
    EXPECT_EQ(area->action, "presentDefaultAreaVC");

    msgSend<void>(page, "presentDefaultAreaVC");
    RunLoop::main().runFor(1);
    auto editor = objc_cast<DefaultMarqelViewController>(page->presentedViewController());
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->modalPresentationStyle(), UIModalPresentationFullScreen);
}

}  // namespace
