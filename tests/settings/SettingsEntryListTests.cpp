// The Settings app opened from the home screen: its first screen lists the
// installed settings entries with their icons, sorted by label; a tap opens
// the entry's bundle; an entry that cannot be read is left out with a log
// line and a bundle that cannot come up is an alert, never a blank screen.

#include "platform/automation/ScenarioDriver.h"
#include "platform/automation/ScreenQueries.h"
#include "platform/foundation/Foundation.h"
#include "platform/render/Compositor.h"
#include "platform/render/Surface.h"
#include "platform/springboard/SettingsAppHost.h"
#include "platform/springboard/SettingsRootListController.h"
#include "platform/uikit/UIKit.h"
#include "tests/settings/TestBundle.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {

using Entry = SettingsRootListController::Entry;
constexpr const char* marqelBundle = "/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle";
constexpr const char* entries = "/var/jb/Library/PreferenceLoader/Preferences/";

bool hasPart(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

PlistDict entryDict(const std::string& label, const std::string& bundlePath, const std::string& icon = "")
{
    PlistDict entry;
    entry.set("bundle", PlistValue("MarqelPrefs"));
    if (!bundlePath.empty())
        entry.set("bundlePath", PlistValue(bundlePath));
    entry.set("cell", PlistValue("PSLinkCell"));
    entry.set("isController", PlistValue(true));
    if (!label.empty())
        entry.set("label", PlistValue(label));
    if (!icon.empty())
        entry.set("icon", PlistValue(icon));
    return entry;
}

class SettingsEntryList : public testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(device.host(entries));
        auto info = testbundle::info();
        testbundle::install(&info);
    }

    void writeEntry(const std::string& file, const PlistDict& entry)
    {
        PlistDict top;
        top.set("entry", PlistValue(entry));
        ASSERT_TRUE(plist::writeFileAtomically(PlistValue(top), device.host(entries + file)));
    }
    void writeText(const std::string& file, const std::string& text) { std::ofstream(device.host(entries + file)) << text; }

    // A flat picture, as an entry's icon inside a bundle folder.
    void writeIcon(const std::string& devicePath, render::RGBA colour, int size = 87)
    {
        std::filesystem::create_directories(std::filesystem::path(device.host(devicePath)).parent_path());
        render::Surface picture(size, size);
        picture.clear(colour);
        ASSERT_TRUE(picture.writePNG(device.host(devicePath)));
    }

    // Marqel's own entry, as the installer lays it, with a red icon.
    void installMarqelEntry()
    {
        writeIcon(std::string(marqelBundle) + "/Assets/Images/icon.png", { 1, 0, 0, 1 });
        writeEntry("MarqelPrefs.plist", entryDict("Marqel", marqelBundle, "Assets/Images/icon.png"));
    }

    void boot()
    {
        ASSERT_TRUE(driver.setBooter(automation::ScenarioDriver::settingsAppBooter(SettingsAppHost::Start::AtEntries)));
        auto booted = driver.runStep("boot");
        ASSERT_TRUE(booted) << booted.message();
    }

    std::shared_ptr<SettingsRootListController> list() const { return SettingsAppHost::shared().entryList(); }
    std::shared_ptr<UINavigationController> navigation() const { return SettingsAppHost::shared().navigationController(); }

    // The labels on screen, top to bottom, as a person reads the list.
    std::vector<std::string> labelsShown() const
    {
        std::vector<std::pair<CGFloat, std::string>> shown;
        for (const auto& row : list()->rows())
            for (const auto& view : row->subviews())
                if (auto label = objc_cast<UILabel>(view); label && label->text() != "›" && automation::onScreen(label))
                    shown.emplace_back(automation::screenCentre(label).y, label->text());
        std::sort(shown.begin(), shown.end());
        std::vector<std::string> labels;
        for (const auto& [y, text] : shown)
            labels.push_back(text);
        return labels;
    }

    // The screen's pixel at the middle of the row's icon, as drawn.
    static std::array<std::uint8_t, 4> iconPixel(const std::shared_ptr<UIView>& row)
    {
        auto icon = objc_cast<UIImageView>(row->subviews().front());
        EXPECT_TRUE(icon);
        CGPoint centre = automation::screenCentre(icon);
        const auto& surface = render::Compositor::shared().renderSurface();
        double scale = UIScreen::mainScreen()->scale();
        return surface.pixel(static_cast<int>(centre.x * scale), static_cast<int>(centre.y * scale));
    }

    bool logHas(const std::string& part) const
    {
        auto lines = SystemLog::shared().lines();
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return hasPart(line, part); });
    }
    std::size_t logCount(const std::string& part) const
    {
        auto lines = SystemLog::shared().lines();
        return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return hasPart(line, part); }));
    }

    TestDevice device;
    automation::ScenarioDriver driver;
};

TEST_F(SettingsEntryList, ShowsTheEntriesSortedByLabelWithTheirIcons)
{
    installMarqelEntry();
    writeEntry("Zeta.plist", entryDict("Zeta", "/var/jb/Library/PreferenceBundles/Zeta.bundle"));
    writeEntry("alpha.plist", entryDict("alpha tools", marqelBundle));
    writeIcon("/var/jb/Library/PreferenceBundles/Blue.bundle/icon@3x.png", { 0, 0, 1, 1 });
    writeEntry("Blue.plist", entryDict("Blue", "/var/jb/Library/PreferenceBundles/Blue.bundle", "icon.png"));
    boot();

    EXPECT_TRUE(SettingsAppHost::shared().isBooted());
    EXPECT_EQ(SettingsAppHost::shared().rootViewController(), list());
    EXPECT_EQ(navigation()->titleLabel()->text(), "Settings");
    EXPECT_TRUE(driver.runStep("expect text Settings"));
    EXPECT_TRUE(driver.runStep("expect text Marqel"));
    // Case does not order the list; file names do not either.
    EXPECT_EQ(labelsShown(), (std::vector<std::string> { "alpha tools", "Blue", "Marqel", "Zeta" }));

    // Each icon as its entry names it, drawn; Zeta's bundle is not there,
    // so its tile is blank grey, not another entry's picture.
    const auto& rows = list()->rows();
    ASSERT_EQ(rows.size(), 4u);
    auto marqel = iconPixel(rows[2]);
    EXPECT_GT(marqel[0], 200);
    EXPECT_LT(marqel[1], 40);
    EXPECT_LT(marqel[2], 40);
    auto blue = iconPixel(rows[1]);
    EXPECT_LT(blue[0], 40);
    EXPECT_GT(blue[2], 200);
    auto zeta = iconPixel(rows[3]);
    EXPECT_NEAR(zeta[0], zeta[2], 40) << "a blank tile is grey";
    EXPECT_FALSE(zeta[0] > 200 && zeta[2] < 40);

    auto label = automation::findTitled("Marqel");
    ASSERT_TRUE(label);
    EXPECT_TRUE(automation::onScreen(label));
    EXPECT_GT(automation::screenCentre(label).y, UINavigationController::barHeight);
}

TEST_F(SettingsEntryList, TappingAnEntryPushesItsBundleAndBackReturnsToTheList)
{
    installMarqelEntry();
    boot();
    EXPECT_FALSE(driver.runStep("expect text Hello from the bundle")) << "no bundle is loaded before a tap";

    ASSERT_TRUE(driver.runStep("tap-title Marqel"));
    ASSERT_TRUE(driver.runStep("wait 0.5"));
    ASSERT_EQ(navigation()->viewControllers().size(), 2u);
    EXPECT_STREQ(navigation()->topViewController()->className(), "TestPrefsRootController");
    EXPECT_TRUE(driver.runStep("expect text Hello from the bundle"));
    EXPECT_EQ(navigation()->titleLabel()->text(), "Test Settings");
    EXPECT_TRUE(driver.runStep("expect text Back"));
    EXPECT_FALSE(driver.runStep("expect text alpha tools"));

    ASSERT_TRUE(driver.runStep("tap-title Back"));
    ASSERT_TRUE(driver.runStep("wait 0.5"));
    EXPECT_EQ(navigation()->topViewController(), list());
    EXPECT_EQ(navigation()->titleLabel()->text(), "Settings");
    EXPECT_TRUE(driver.runStep("expect text Marqel"));
    EXPECT_FALSE(driver.runStep("expect text Hello from the bundle"));

    // Opened again by label, through the host: a fresh screen of the same
    // class, the one bundle loaded once.
    ASSERT_TRUE(SettingsAppHost::shared().openEntry("Marqel"));
    EXPECT_STREQ(navigation()->topViewController()->className(), "TestPrefsRootController");
    EXPECT_TRUE(driver.runStep("expect text Hello from the bundle"));
    // Asked again while the bundle is open, it opens from the list anew.
    ASSERT_TRUE(SettingsAppHost::shared().openEntry("Marqel"));
    EXPECT_EQ(navigation()->viewControllers().size(), 2u);

    auto missing = SettingsAppHost::shared().openEntry("Nowhere");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.message(), "no settings entry is labelled \"Nowhere\" (the list shows: Marqel)");
}

TEST_F(SettingsEntryList, DamagedEntriesAreLeftOutEachWithOneLogLine)
{
    installMarqelEntry();
    writeText("Garbage.plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>entry</key>");
    writeEntry("NoBundle.plist", [] {
        PlistDict entry;
        entry.set("label", PlistValue("Orphan"));
        return entry;
    }());
    {
        PlistDict top;
        top.set("items", PlistValue(PlistArray {}));
        ASSERT_TRUE(plist::writeFileAtomically(PlistValue(top), device.host(std::string(entries) + "NoEntry.plist")));
    }
    // A FIFO where a file belongs would block a reader that opened it
    // blindly; the list must come up all the same.
    ASSERT_EQ(::mkfifo(device.host(std::string(entries) + "Pipe.plist").c_str(), 0644), 0);
    // Not an entry at all: only property lists are read.
    writeText("README.txt", "not an entry");
    boot();

    EXPECT_EQ(labelsShown(), (std::vector<std::string> { "Marqel" }));
    EXPECT_FALSE(driver.runStep("expect text Orphan"));
    for (const char* file : { "Garbage.plist", "NoBundle.plist", "NoEntry.plist", "Pipe.plist" }) {
        SCOPED_TRACE(file);
        EXPECT_EQ(logCount(std::string("Preferences: left out the settings entry ") + entries + file + ": "), 1u);
    }
    EXPECT_TRUE(logHas("NoBundle.plist: it names no bundle"));
    EXPECT_TRUE(logHas("NoEntry.plist: it has no \"entry\" dictionary"));
    EXPECT_TRUE(logHas("Garbage.plist: it cannot be read: "));
    EXPECT_TRUE(logHas("Pipe.plist: it cannot be read: ") && logHas("a FIFO"));
    EXPECT_FALSE(logHas("README.txt"));

    // What is left works.
    ASSERT_TRUE(driver.runStep("tap-title Marqel"));
    EXPECT_TRUE(driver.runStep("expect text Hello from the bundle"));
}

TEST_F(SettingsEntryList, ABundleThatCannotComeUpIsAnAlertAndTheListStays)
{
    installMarqelEntry();
    writeEntry("Zeta.plist", entryDict("Zeta", "/var/jb/Library/PreferenceBundles/Zeta.bundle"));
    boot();

    ASSERT_TRUE(driver.runStep("tap-title Zeta"));
    ASSERT_TRUE(driver.runStep("wait 0.5"));
    auto alert = automation::alertOnScreen();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "Cannot Open Zeta");
    EXPECT_EQ(alert->message(),
        "the settings bundle is not installed: nothing at /var/jb/Library/PreferenceBundles/Zeta.bundle "
        "(reinstall the package that installed it)");
    EXPECT_TRUE(logHas("Preferences: cannot open Zeta (entry /var/jb/Library/PreferenceLoader/Preferences/Zeta.plist): the settings bundle is not installed"));
    EXPECT_EQ(navigation()->topViewController(), list());
    ASSERT_TRUE(driver.runStep("tap-title OK"));
    ASSERT_TRUE(driver.runStep("wait 0.5"));
    EXPECT_TRUE(driver.runStep("expect alert none"));
    EXPECT_TRUE(driver.runStep("expect text Zeta"));

    // Marqel's own bundle, broken: the alert says how to put it back.
    auto info = testbundle::info();
    info.remove("NSPrincipalClass");
    ASSERT_TRUE(plist::writeFileAtomically(PlistValue(info), device.host(std::string(marqelBundle) + "/Info.plist")));
    auto opened = SettingsAppHost::shared().openEntry("Marqel");
    ASSERT_FALSE(opened);
    EXPECT_TRUE(hasPart(opened.message(), "Info.plist names no NSPrincipalClass")) << opened.message();
    ASSERT_TRUE(driver.runStep("wait 0.5"));
    alert = automation::alertOnScreen();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "Cannot Open Marqel");
    EXPECT_TRUE(hasPart(alert->message(), "marqel install --force")) << alert->message();
    EXPECT_EQ(navigation()->topViewController(), list());
}

TEST_F(SettingsEntryList, WithoutEntriesTheListSaysSo)
{
    std::filesystem::remove_all(device.host(entries));
    boot();
    EXPECT_TRUE(list()->entries().empty());
    EXPECT_TRUE(driver.runStep("expect text No settings are installed"));
    EXPECT_FALSE(logHas("left out"));
    EXPECT_FALSE(logHas("cannot list"));
}

TEST_F(SettingsEntryList, AnIconThatIsNoFileOrLeavesItsBundleLeavesABlankTile)
{
    ASSERT_EQ(::mkfifo(device.host(std::string(marqelBundle) + "/pipe.png").c_str(), 0644), 0);
    writeEntry("MarqelPrefs.plist", entryDict("Marqel", marqelBundle, "pipe.png"));
    writeIcon("/var/jb/Library/secret.png", { 0, 1, 0, 1 });
    writeEntry("Escape.plist", entryDict("Escape", marqelBundle, "../../../../jb/Library/secret.png"));
    boot();

    EXPECT_EQ(labelsShown(), (std::vector<std::string> { "Escape", "Marqel" }));
    for (const auto& row : list()->rows()) {
        auto icon = objc_cast<UIImageView>(row->subviews().front());
        ASSERT_TRUE(icon);
        EXPECT_FALSE(icon->image());
        auto pixel = iconPixel(row);
        EXPECT_FALSE(pixel[1] > 200 && pixel[0] < 40) << "the picture outside the bundle was drawn";
    }
    EXPECT_TRUE(logHas("Escape.plist names the icon \"../../../../jb/Library/secret.png\", which is not inside its bundle"));
}

TEST_F(SettingsEntryList, StartedInTheBundleThereIsNoListToOpenFrom)
{
    installMarqelEntry();
    auto booted = SettingsAppHost::shared().boot();
    ASSERT_TRUE(booted) << booted.message();
    EXPECT_FALSE(SettingsAppHost::shared().entryList());
    EXPECT_STREQ(SettingsAppHost::shared().rootViewController()->className(), "TestPrefsRootController");
    EXPECT_EQ(SettingsAppHost::shared().openEntry("Marqel").message(),
        "the Settings app started inside Marqel's bundle, without the entry list");
}

TEST(SettingsEntryFile, ReadsAnEntryAsTheInstallerLaysIt)
{
    PlistDict entry = entryDict("Marqel", "/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/", "Assets/Images/icon.png");
    PlistDict top;
    top.set("entry", PlistValue(entry));
    auto read = SettingsRootListController::entryFromPropertyList(PlistValue(top), "/e/MarqelPrefs.plist");
    ASSERT_TRUE(read) << read.message();
    EXPECT_EQ(read.value().label, "Marqel");
    EXPECT_EQ(read.value().bundlePath, "/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle");
    EXPECT_EQ(read.value().iconPath, "/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/Assets/Images/icon.png");
    EXPECT_EQ(read.value().entryPath, "/e/MarqelPrefs.plist");
}

// The entry the package installs lists Marqel with the bundle's own icon.
TEST(SettingsEntryFile, ThePackagedEntryNamesMarqelsBundleAndIcon)
{
    auto contents = plist::readFile(MARQEL_SETTINGS_ENTRY);
    ASSERT_TRUE(contents) << contents.message();
    auto read = SettingsRootListController::entryFromPropertyList(contents.value(), "/e/MarqelPrefs.plist");
    ASSERT_TRUE(read) << read.message();
    EXPECT_EQ(read.value().label, "Marqel");
    EXPECT_EQ(read.value().bundlePath + "/", SettingsAppHost::preferenceBundlePath);
    EXPECT_EQ(read.value().iconPath, read.value().bundlePath + "/Assets/Images/icon.png");
}

TEST(SettingsEntryFile, FillsInWhatThePhoneFillsIn)
{
    PlistDict entry;
    entry.set("bundle", PlistValue("Other"));
    PlistDict top;
    top.set("entry", PlistValue(entry));
    auto read = SettingsRootListController::entryFromPropertyList(PlistValue(top), "/e/Other.plist");
    ASSERT_TRUE(read) << read.message();
    EXPECT_EQ(read.value().label, "Other");
    EXPECT_EQ(read.value().bundlePath, "/var/jb/Library/PreferenceBundles/Other.bundle");
    EXPECT_EQ(read.value().iconPath, "");
}

TEST(SettingsEntryFile, RefusesWhatNamesNoBundleOrNoPlace)
{
    struct Case {
        const char* what;
        PlistValue contents;
        std::string message;
    };
    auto wrapped = [](PlistDict entry) {
        PlistDict top;
        top.set("entry", PlistValue(std::move(entry)));
        return PlistValue(top);
    };
    auto with = [](const char* key, PlistValue value) {
        PlistDict entry;
        entry.set("label", PlistValue("L"));
        entry.set(key, std::move(value));
        return entry;
    };
    std::vector<Case> cases {
        { "an array", PlistValue(PlistArray {}), "it has no \"entry\" dictionary" },
        { "entry is a string", [] { PlistDict d; d.set("entry", PlistValue("x")); return PlistValue(d); }(), "it has no \"entry\" dictionary" },
        { "no bundle", wrapped(with("cell", PlistValue("PSLinkCell"))), "it names no bundle (neither \"bundle\" nor \"bundlePath\")" },
        { "a bundle that is a number", wrapped(with("bundle", PlistValue(std::int64_t(3)))), "it names no bundle (neither \"bundle\" nor \"bundlePath\")" },
        { "a bundle name that is a path", wrapped(with("bundle", PlistValue("../../etc"))), "its bundle name \"../../etc\" is not a name" },
        { "a relative bundle path", wrapped(with("bundlePath", PlistValue("Library/X.bundle"))), "its bundlePath \"Library/X.bundle\" is not a full path" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto read = SettingsRootListController::entryFromPropertyList(c.contents, "/e/X.plist");
        ASSERT_FALSE(read);
        EXPECT_EQ(read.message(), c.message);
    }
}

}  // namespace
