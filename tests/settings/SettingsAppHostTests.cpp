// The Settings app: it loads the preference bundle from the device root and
// shows its principal class; each way that can fail says what to do; the
// tweak, whose filter names SpringBoard, stays out of this process.

#include "platform/automation/ScenarioDriver.h"
#include "platform/foundation/Foundation.h"
#include "platform/render/Compositor.h"
#include "platform/springboard/ProcessHost.h"
#include "platform/springboard/SettingsAppHost.h"
#include "platform/springboard/SpringBoardHost.h"
#include "platform/uikit/UIKit.h"
#include "tests/settings/TestBundle.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

std::string failureOf(const PlistDict* info, const std::string& executableName = "MarqelPrefs.so")
{
    testbundle::install(info, executableName);
    auto made = SettingsAppHost::instantiatePrincipalController(SettingsAppHost::preferenceBundlePath);
    return made ? "made " + std::string(made.value()->className()) : made.message();
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(SettingsApp, WithoutTheBundleItSaysToInstall)
{
    TestDevice device;
    auto made = SettingsAppHost::instantiatePrincipalController(SettingsAppHost::preferenceBundlePath);
    ASSERT_FALSE(made);
    EXPECT_EQ(made.message(),
        "the settings bundle is not installed: nothing at /var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/ "
        "(build MarqelPrefs, then run `marqel install`)");
}

TEST(SettingsApp, EachMissingPieceOfTheBundleIsNamed)
{
    struct Case {
        const char* what;
        std::function<void(PlistDict&)> change;
        bool withInfo;
        std::string executable;
        std::vector<std::string> message;
    };
    std::vector<Case> cases {
        { "no Info.plist", nullptr, false, "MarqelPrefs.so",
            { "/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/Info.plist is missing", "marqel install --force" } },
        { "no principal class named", [](PlistDict& info) { info.remove("NSPrincipalClass"); }, true, "MarqelPrefs.so",
            { "Info.plist names no NSPrincipalClass", "marqel install --force" } },
        { "a principal class that is not a string", [](PlistDict& info) { info.set("NSPrincipalClass", PlistValue(std::int64_t(7))); }, true,
            "MarqelPrefs.so", { "MarqelPrefs.bundle/Info.plist: NSPrincipalClass is a number, not the name of a class", "marqel install --force" } },
        { "an executable that is not there", [](PlistDict& info) { info.set("CFBundleExecutable", PlistValue("Gone.so")); }, true,
            "MarqelPrefs.so", { "cannot load /var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle: ", "Gone.so", "rebuild MarqelPrefs" } },
        { "a class the bundle does not register", [](PlistDict& info) { info.set("NSPrincipalClass", PlistValue("MRQNowhere")); },
            true, "MarqelPrefs.so", { "the principal class MRQNowhere named by /var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/Info.plist is not in the runtime" } },
        { "a class that is no screen", [](PlistDict& info) { info.set("NSPrincipalClass", PlistValue("TestPrefsSettingsModel")); },
            true, "MarqelPrefs.so", { "the principal class TestPrefsSettingsModel of /var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle is not a view controller" } },
        { "all there", nullptr, true, "MarqelPrefs.so", { "made TestPrefsRootController" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestDevice device;
        auto info = testbundle::info();
        if (c.change)
            c.change(info);
        std::string message = failureOf(c.withInfo ? &info : nullptr, c.executable);
        for (const auto& part : c.message)
            EXPECT_TRUE(contains(message, part)) << message;
    }
}

// One process, one Settings app: the whole session in one test.
// Every substrate filter is read by the one guarded property-list reader: a
// filter nested far past any real one, or one without its list, is named
// in the boot report and skipped, and the app starts; it used to exhaust
// the stack in the parser at every start.
TEST(SettingsApp, AHostileSubstrateFilterIsReportedAndTheAppStillStarts)
{
    TestDevice device;
    testbundle::installTweak();
    auto info = testbundle::info();
    testbundle::install(&info);
    const std::string folder = "/var/jb/Library/MobileSubstrate/DynamicLibraries/";
    std::string deep = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (int i = 0; i < 200000; ++i)
        deep += "<array>";
    std::ofstream(device.host(folder + "Deep.plist")) << deep;
    std::ofstream(device.host(folder + "Listless.plist")) << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict/></plist>";

    auto booted = SettingsAppHost::shared().boot();
    ASSERT_TRUE(booted) << booted.message();
    const auto& errors = booted.value().loaderErrors;
    auto names = [&](const std::string& text) {
        return std::any_of(errors.begin(), errors.end(), [&](const std::string& e) { return e.find(text) != std::string::npos; });
    };
    EXPECT_TRUE(names("unreadable filter " + device.host(folder + "Deep.plist"))) << testing::PrintToString(errors);
    EXPECT_TRUE(names("Listless.plist has no Filter/Bundles list")) << testing::PrintToString(errors);
    EXPECT_TRUE(SettingsAppHost::shared().isBooted());

    auto read = host::readSubstrateFilter(device.host(folder + "Deep.plist"));
    EXPECT_FALSE(read);
    EXPECT_EQ(read.code(), foundation::ErrorCode::UnreadableInput);
}

TEST(SettingsApp, ShowsThePrincipalClassInANavigationControllerWithTheTweakLeftOut)
{
    TestDevice device;
    testbundle::installTweak();
    auto info = testbundle::info();
    testbundle::install(&info);

    automation::ScenarioDriver driver;
    ASSERT_TRUE(driver.setBooter(automation::ScenarioDriver::settingsAppBooter()));
    EXPECT_EQ(driver.hostName(), "the Settings app");
    auto early = driver.runStep("tap 10 10");
    EXPECT_TRUE(early) << "touches before boot are allowed unless the runner asks";
    EXPECT_EQ(driver.requireBooted("invoke").message(), "invoke before boot: the Settings app is not running yet (put a `boot` step first)");
    auto booted = driver.runStep("boot");
    ASSERT_TRUE(booted) << booted.message();

    auto& settings = SettingsAppHost::shared();
    ASSERT_TRUE(settings.isBooted());
    EXPECT_FALSE(SpringBoardHost::shared().isBooted());
    EXPECT_EQ(NSBundle::mainBundle()->bundleIdentifier(), "com.apple.Preferences");
    EXPECT_EQ(NSProcessInfo::processInfo()->arguments().front(), "/Applications/Preferences.app/Preferences");

    // The bundle's screen at the root of a navigation controller, in a key
    // window covering the screen, laid out below the bar.
    auto root = settings.rootViewController();
    ASSERT_TRUE(root);
    EXPECT_STREQ(root->className(), "TestPrefsRootController");
    auto navigation = settings.navigationController();
    ASSERT_EQ(navigation->viewControllers().size(), 1u);
    EXPECT_EQ(navigation->viewControllers().front(), root);
    EXPECT_EQ(settings.window()->rootViewController(), navigation);
    EXPECT_TRUE(settings.window()->isKeyWindow());
    EXPECT_EQ(NSStringFromCGRect(settings.window()->frame()), NSStringFromCGRect(UIScreen::mainScreen()->bounds()));
    EXPECT_EQ(root->view()->frame().origin.y, UINavigationController::barHeight);
    EXPECT_EQ(navigation->titleLabel()->text(), "Test Settings");
    EXPECT_TRUE(driver.runStep("expect text Hello from the bundle"));

    // The tweak's filter names SpringBoard: nothing of it runs here.
    EXPECT_EQ(objc_getClass("MarqelWindow"), nullptr);
    EXPECT_TRUE(host::methodChanges(SpringBoardHost::privateClassNames()).empty());
    EXPECT_FALSE(SettingsAppHost::shared().boot());
    EXPECT_EQ(driver.runStep("boot").message(), "the Settings app is already running");
    EXPECT_FALSE(driver.setBooter(automation::ScenarioDriver::settingsAppBooter()));

    // Steps that only SpringBoard answers say so.
    EXPECT_EQ(driver.runStep("expect notices 0").message(), "expect notices works in SpringBoard, and this scenario runs in the Settings app");

    // Back: nothing below the first screen; then a pushed screen is popped.
    EXPECT_EQ(driver.runStep("back").message(), "nothing to go back to: TestPrefsRootController is the navigation controller's first screen");
    auto pushed = alloc<UIViewController>();
    pushed->setTitle("Pushed");
    navigation->pushViewController(pushed, true);
    RunLoop::main().drain();
    EXPECT_TRUE(driver.runStep("expect text Back"));
    EXPECT_TRUE(driver.runStep("back"));
    EXPECT_EQ(navigation->topViewController(), root);
    EXPECT_EQ(navigation->titleLabel()->text(), "Test Settings");

    // The appearance reaches the bundle's views.
    CGColorRef light = root->view()->layer()->backgroundColor();
    ASSERT_TRUE(driver.runStep("appearance dark"));
    CGColorRef dark = root->view()->layer()->backgroundColor();
    EXPECT_FALSE(CGColorEqualToColor(light, dark));
    EXPECT_LT(dark->red, light->red);
    ASSERT_TRUE(driver.runStep("appearance light"));
    EXPECT_TRUE(CGColorEqualToColor(root->view()->layer()->backgroundColor(), light));

    // A picture of the Settings app's screen.
    driver.setSnapshotter([](const std::string& path) { return render::writeScreenPNG(path); });
    std::string picture = device.root() + "/settings.png";
    auto snapped = driver.runStep("snapshot " + picture);
    EXPECT_TRUE(snapped) << snapped.message();
    EXPECT_GT(std::filesystem::file_size(picture), 0u);
}

}  // namespace
